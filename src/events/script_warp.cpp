// "jp": the warp to another maze and room, with the fades and the offer to save. A warp
// asked for by a room's init script waits until the room loader has closed its file.
#include <filesystem>
#include <iostream>

#include "shell/form1.h"

namespace quelmire {

namespace {

// Rooms whose init scripts warp on to further rooms: the chain is followed this far. Warps
// nested through the ticks that compose new scenes go as deep.
constexpr int kMaxChainedWarps = 8;

std::string ThreeDigits(Integer n) {
  return ToUtf8(Right(Str(n + 1000), 3));
}

std::string WarpTarget(Integer maze, Integer x, Integer y, Integer room) {
  return "maze " + std::to_string(maze) + " room " + std::to_string(room) + " cell (" +
         std::to_string(x) + ", " + std::to_string(y) + ")";
}

}  // namespace

std::string Form1::WarpProblem(Integer maze, Integer x, Integer y, Integer room) const {
  namespace fs = std::filesystem;
  const std::string where = WarpTarget(maze, x, y, room);
  if (maze < 0 || maze > 999 || !fs::exists(AppPath("\\map\\maz" + ThreeDigits(maze) + ".map"))) {
    return where + ": no maze file";
  }
  if (room < 0 || room > 999 || !fs::exists(AppPath("\\map\\room" + ThreeDigits(room) + ".rdt"))) {
    return where + ": no room file";
  }
  // A look down reaching past the maze there is held in it.
  if (!InViewReach(x, y)) {
    return where + ": the view cannot show that cell";
  }
  return {};
}

void Form1::LoadWarpTarget(Integer maze, Integer x, Integer y, Integer room) {
  ObjRecord& p = Obj(0);
  p.Kind = maze;
  p.X = x;
  p.Y = y;
  p.OffX = p.OffY = p.VX = p.VY = p.Frame = 0;
  RoomNo = room;
  HoldLookInMaze();
}

void Form1::RunPendingWarps() {
  for (int hop = 0; WarpPending; ++hop) {
    WarpPending = false;
    if (hop == kMaxChainedWarps) {
      std::cerr << "map/room" << ThreeDigits(RoomNo) << ".rdt: its init script warps on after "
                << kMaxChainedWarps << " warps in a row; the player stays in this room\n";
      return;
    }
    LoadWarpTarget(PendingMaze, PendingX, PendingY, PendingRoom);
    LoadMazeMap();
    LoadRoomData();
  }
}

void Form1::ScriptWarp(Integer maze, Integer x, Integer y, Integer room) {
  const std::string problem = WarpProblem(maze, x, y, room);
  if (!problem.empty()) {
    std::cerr << "event script in room " << RoomNo << ": warp ignored, " << problem << "\n";
    return;
  }
  if (!InInitScript && OnWarp && OnWarp(maze, x, y, room)) return;
  if (InInitScript) {
    // The loader still reads its room file: loading another room now would pull it away.
    WarpPending = true;
    PendingMaze = maze;
    PendingX = x;
    PendingY = y;
    PendingRoom = room;
    return;
  }
  // The tick that composes the new scene runs the things' "&" scripts, which may warp again:
  // a cycle of such rooms would nest without end.
  if (WarpDepth == kMaxChainedWarps) {
    std::cerr << "map/room" << ThreeDigits(RoomNo) << ".rdt: warp to "
              << WarpTarget(maze, x, y, room) << " dropped: " << kMaxChainedWarps
              << " warps are already under way\n";
    return;
  }
  struct Nesting {
    int& depth;
    explicit Nesting(int& d) : depth(++d) {}
    ~Nesting() { --depth; }
  } nesting(WarpDepth);
  WarpPending = false;
  Timer1.Enabled = false;
  LoadWarpTarget(maze, x, y, room);
  FadePalette(15, 0, -1);
  LoadMazeMap();
  LoadRoomData();
  RunPendingWarps();
  BuildRoom();
  // Composes the new scene under the black palette; with Timer1 off it runs no event.
  Timer1_Timer();
  FadePalette(0, 13, 1);
  RunSavePrompt();
  FadePalette(13, 16, 1);
  Timer1.Enabled = true;
}

}  // namespace quelmire
