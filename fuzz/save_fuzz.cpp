// A save file read the way the title's LOAD reads it, then play from it: a refusal is a
// normal end; any stop after a save was accepted is a finding.
#include "game_harness.h"

namespace {
// Ticks played: a few seconds of play from the saved place.
constexpr int kTicks = 60;
constexpr char kKeys[] = "\x02\x02\x12\x08\x08\x08\x04\x01\x11\x01\x00\x80";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::WriteGameFile("savedata1.sav", {reinterpret_cast<const char*>(data), size});
  quelmire::Form1& f = fuzz::FreshGame({kKeys, sizeof kKeys - 1});
  std::string report;
  try {
    if (!f.ReadSaveFile(1, report)) return 0;
  } catch (const platform::FatalError& e) {
    fuzz::Finding("save reader", e.what());
  }
  try {
    fuzz::Normal([&] {
      f.Timer2.Enabled = false;
      f.LoadMazeMap();
      f.LoadRoomData();
      f.RunPendingWarps();
      f.Timer1.Enabled = true;
      fuzz::PlayTicks(f, kTicks);
    });
  } catch (const platform::FatalError& e) {
    fuzz::Finding("play from an accepted save", e.what());
  }
  return 0;
}
