// A room file as the game reads it, in the first maze of a new game, then some play on it:
// the reader's own report of a bad file is a normal end; any other stop is a finding.
#include "game_harness.h"

namespace {
// Ticks played: five seconds of play: the things move, meet walls and her.
constexpr int kTicks = 100;
// Walks both ways, jumps, presses Up on event cells, looks down and confirms messages.
constexpr char kKeys[] = "\x02\x02\x04\x00\x12\x02\x08\x00\x10\x01\x01\x04\x00\x11\x01\x80\x00";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::WriteGameFile("map/room900.rdt", {reinterpret_cast<const char*>(data), size});
  quelmire::Form1& f = fuzz::FreshGame({kKeys, sizeof kKeys - 1});
  const std::string file = f.AppPath("\\map\\room900.rdt");
  try {
    fuzz::Normal([&] {
      quelmire::ObjRecord& p = f.Obj(0);
      p.X = 33;
      p.Y = 38;
      p.Kind = 5;
      f.RoomNo = 900;
      f.Life = f.LifeMax = 3;
      f.LoadMazeMap();
      try {
        f.LoadRoomData();
      } catch (const platform::FatalError& e) {
        if (fuzz::ReportNames(e, file)) return;
        throw;
      }
      f.RunPendingWarps();
      f.Timer1.Enabled = true;
      fuzz::PlayTicks(f, kTicks);
    });
  } catch (const platform::FatalError& e) {
    fuzz::Finding("room load or play on an accepted room", e.what());
  }
  return 0;
}
