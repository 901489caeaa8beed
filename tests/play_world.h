// A small play world for the play-tick tests: a maze of open cave with a floor, one room,
// the game started on the headless platform with an input script whose times line up with
// the ticks (tick k of Tick() runs at 48 k ms).
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

namespace play_testing {

using namespace testing_support;

constexpr int kOpen = 13;  // dark cave wall, free
constexpr int kFloor = 1;  // cave rock top, solid
constexpr int kRock = 0;   // cave rock, solid
constexpr int kFloorRow = 40;
constexpr int kStandRow = 39;
constexpr int kDumpMs = 48 * 20000;

// "ms action KEY" line at the time of tick k.
inline std::string At(int tick, const std::string& action) {
  return std::to_string(48 * tick) + " " + action + "\n";
}

struct PlayWorld {
  PlayWorld() : maze(kOpen) {
    maze.Fill(0, kFloorRow + 1, 255, 255, kRock);
    maze.Fill(0, kFloorRow, 255, kFloorRow, kFloor);
  }
  // Writes the maze (1) and room (1), starts the game with the player standing at column x.
  void Start(int x, const std::string& script = "", const std::string& room = "@\n",
             int y = kStandRow) {
    CopyGameData(dir.path());
    maze.Write(dir.path(), 1);
    WriteRoom(dir.path(), 1, room);
    game = std::make_unique<HeadlessGame>(dir.path(), script + std::to_string(kDumpMs) + " state " +
                                                          (dir / "state.json").string() + "\n");
    StartPlay(*game, 1, 1, x, y);
  }
  // The state dump of the headless runner, taken by running the clock to kDumpMs (after
  // this, no more ticks).
  Json State() {
    game->plat->WaitUntil(kDumpMs * 1000LL);
    return ParseJson(ReadFile(dir / "state.json"));
  }
  std::vector<int> Sounds() {
    std::vector<int> slots;
    const Json state = State();
    for (const Json& e : state["sounds"].arr) slots.push_back(static_cast<int>(e["slot"].Int()));
    return slots;
  }
  quelmire::Form1& f() { return *game->form; }
  quelmire::ObjRecord& p() { return game->form->Obj(0); }
  void Tick(int n = 1) { RunTicks(*game, n); }
  // The map buffer now, and as a fresh BuildRoom draws it.
  bool MapBufferIsCurrent() {
    auto& s = *f().MapSurface;
    std::vector<uint8_t> now(s.Pixels(), s.Pixels() + s.Width() * s.Height());
    f().BuildRoom();
    return std::equal(now.begin(), now.end(), s.Pixels());
  }

  TempDir dir;
  MazeFile maze;
  std::unique_ptr<HeadlessGame> game;
};

}  // namespace play_testing
