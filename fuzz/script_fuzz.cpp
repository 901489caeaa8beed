// An event script run in the first room of a new game, then some play: scripts never fail,
// so every stop of the game is a finding. The first byte chooses the keys held meanwhile.
#include "game_harness.h"

namespace {
// Ticks played: a few seconds of play after the script.
constexpr int kTicks = 40;
constexpr char kKeys[] = "\x00\x10\x02\x04\x80\x01\x08\x00\x40\x00\x20\x11";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  quelmire::Form1& f = fuzz::FreshGame({kKeys, sizeof kKeys - 1});
  try {
    fuzz::Normal([&] {
      fuzz::StartPlay(f, 5, 1, 33, 38);
      fuzz::PlayTicks(f, 2);
      f.RunEventScript(quelmire::FromUtf8(text));
      fuzz::PlayTicks(f, kTicks);
    });
  } catch (const platform::FatalError& e) {
    fuzz::Finding("script", e.what());
  }
  return 0;
}
