// A thing whose "&" cell takes play to another room leaves the new room's records alone, and
// the key that leaves the save prompt is no fresh jump.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace testing_support;

TEST(ThingWarp, AThingsWarpDoesNotMoveTheNextRoomsThing) {
  TempDir dir;
  CopyGameData(dir.path());
  MazeFile maze(3);
  maze.Fill(20, 20, 60, 39, 0);
  maze.Write(dir.path(), 0);
  WriteRoom(dir.path(), 1, "mo,30,39,1,0,0,2,\r\nev,30,39,\"&jp000,040,039,002\"\r\n@\r\n");
  WriteRoom(dir.path(), 2, "mo,45,39,11,0,0,0,\r\n@\r\n");
  std::string script;
  // Z leaves the save prompt on "no save" and is still down when the tick goes on.
  for (int ms = 300; ms < 9000; ms += 300) script += std::to_string(ms) + " press Z\n";
  HeadlessGame game(dir.path(), script);
  StartPlay(game, 0, 1, 40, 39);
  auto& f = *game.form;
  f.Obj(1).VX = 4;  // the walker is on its way when it steps on the cell
  RunTicks(game, 1);
  ASSERT_EQ(f.RoomNo, 2);
  EXPECT_EQ(f.Obj(1).Kind, 11);
  EXPECT_EQ(f.Obj(1).X, 45);
  EXPECT_EQ(f.Obj(1).OffX, 0);
  EXPECT_EQ(f.JumpLen, 0);  // and makes no jump
}

}  // namespace
