// A small world for the tests of a room's things: a maze of open cave with a floor, a room
// file, the heroine standing at (50, 50) of maze 5 in room 1, and state dumps on demand.
#pragma once

#include <string>

#include "test_support.h"

namespace testing_support {

struct ThingScene {
  static constexpr int kMaze = 5, kRoom = 1;
  static constexpr int kFloorRow = 51;  // the heroine stands on it at row 50

  TempDir dir;
  MazeFile maze{13};  // dark cave wall: free
  std::unique_ptr<HeadlessGame> game;

  ThingScene() {
    CopyGameData(dir.path());
    maze.Fill(20, kFloorRow, 100, kFloorRow, 1);
  }

  // Writes the maze and the room, starts play with the heroine at (x, y). The input script
  // taps Down between the ticks (at 20 ms past each 48 ms step) so that a message window
  // waiting for a key is answered while the ticks never see the key.
  void Start(const std::string& room, int x = 50, int y = 50, std::string script = "") {
    maze.Write(dir.path(), kMaze);
    WriteRoom(dir.path(), kRoom, room);
    if (script.empty()) {
      for (int t = 20; t < 60000; t += 48) script += std::to_string(t) + " press Down 2\n";
    }
    script += "900000 state " + (dir / "state.json").string() + "\n";
    game = std::make_unique<HeadlessGame>(dir.path(), script);
    StartPlay(*game, kMaze, kRoom, x, y);
  }

  quelmire::Form1& f() { return *game->form; }
  quelmire::ObjRecord& obj(int i) { return f().Obj(i); }
  void Ticks(int n) { RunTicks(*game, n); }

  // The state dump at 900 s of virtual time (once per scene: the clock moves there).
  Json Dump() {
    game->plat->WaitUntil(900000LL * 1000);
    return ParseJson(ReadFile(dir / "state.json"));
  }
  // How many times effect slot n was started.
  int SoundCount(int n) {
    int c = 0;
    const Json state = Dump();  // kept alive for the loop
    for (const Json& s : state["sounds"].arr) c += s["slot"].Int() == n;
    return c;
  }
};

// Pixel position of a record.
inline int PixelX(const quelmire::ObjRecord& o) {
  return o.X * 32 + o.OffX;
}
inline int PixelY(const quelmire::ObjRecord& o) {
  return o.Y * 32 + o.OffY;
}

}  // namespace testing_support
