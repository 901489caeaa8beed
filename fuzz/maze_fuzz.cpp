// A maze file as the game reads it, then some play on it: the reader's own report of a bad
// file is a normal end; any other stop after a maze was accepted is a finding.
#include "game_harness.h"

namespace {
// Ticks played: a few seconds of play: walking and jumping over the new walls.
constexpr int kTicks = 60;
// Right with jumps, a look down, left with jumps.
constexpr char kKeys[] = "\x02\x02\x12\x02\x02\x02\x08\x08\x01\x01\x11\x01\x01\x04";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::WriteGameFile("map/maz900.map", {reinterpret_cast<const char*>(data), size});
  quelmire::Form1& f = fuzz::FreshGame({kKeys, sizeof kKeys - 1});
  const std::string file = f.AppPath("\\map\\maz900.map");
  quelmire::ObjRecord& p = f.Obj(0);
  p.X = 33;
  p.Y = 38;
  p.Kind = 900;
  try {
    f.LoadMazeMap();
  } catch (const platform::FatalError& e) {
    if (fuzz::ReportNames(e, file)) return 0;
    fuzz::Finding("maze load", e.what());
  }
  try {
    fuzz::Normal([&] {
      f.RoomNo = 1;
      f.Life = f.LifeMax = 3;
      f.LoadRoomData();
      f.RunPendingWarps();
      f.Timer1.Enabled = true;
      fuzz::PlayTicks(f, kTicks);
    });
  } catch (const platform::FatalError& e) {
    fuzz::Finding("play on an accepted maze", e.what());
  }
  return 0;
}
