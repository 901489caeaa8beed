// A maze open at its edge: she stops at the last cells the view can follow her to, walking,
// jumping or falling, and play goes on.
#include <gtest/gtest.h>

#include "shell/form1.h"
#include "test_support.h"

namespace {

using namespace testing_support;

TEST(MazeEdge, OpeningsAtTheEdgeHoldHerInView) {
  struct Case {
    const char* edge;
    int x, y;
    const char* keys;  // held from the start
    int minX, maxX, minY, maxY;
  } const cases[] = {
      {"left", 14, 120, "Left", 10, 10, 120, 120},
      {"right", 243, 120, "Right", 247, 247, 120, 120},
      {"bottom", 60, 230, "", 60, 60, 252, 252},
      {"top", 60, 12, "Space", 60, 60, 12, 12},  // a jump from row 12 would reach row 9
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edge);
    TempDir dir;
    CopyGameData(dir.path());
    MazeFile maze(13);  // open cave everywhere, floors under rows 12 and 120 only
    maze.Fill(0, 121, 255, 121, 1);
    maze.Fill(40, 13, 80, 13, 1);
    maze.Write(dir.path(), 1);
    WriteRoom(dir.path(), 1, "@\n");
    HeadlessGame game(dir.path(), *c.keys ? std::string("0 down ") + c.keys + "\n" : "");
    StartPlay(game, 1, 1, c.x, c.y);
    RunTicks(game, 120);
    const quelmire::ObjRecord& p = game.form->Obj(0);
    EXPECT_TRUE(p.X >= c.minX && p.X <= c.maxX && p.Y >= c.minY && p.Y <= c.maxY)
        << p.X << "," << p.Y;
  }
}

}  // namespace
