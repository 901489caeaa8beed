// How the kinds of things move, through the real play tick on small mazes and rooms.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
#include <vector>

#include "things_support.h"

namespace {

using namespace testing_support;

// Pixel x and speed of a thing, compared in one go.
std::pair<int, int> XV(const quelmire::ObjRecord& o) {
  return {PixelX(o), o.VX};
}
std::pair<int, int> XV(int x, int vx) {
  return {x, vx};
}

TEST(ThingWalkers, KindOneWalksAtItsSpeedAndTurnsAtTheLedge) {
  ThingScene s;  // the floor ends at column 100; a second floor ends at column 60
  s.maze.Fill(20, 51, 100, 51, 13);
  s.maze.Fill(20, 51, 60, 51, 1);
  s.Start("mo,58,50,1,0,0,2,\"\"\n@\n", 30, 50);
  auto& w = s.obj(1);
  s.Ticks(10);  // the first tick only takes up the speed
  EXPECT_EQ(XV(w), XV(58 * 32 + 18, 2));
  int most = 0;
  for (int k = 10; k < 40; ++k) {
    s.Ticks(1);
    most = std::max(most, PixelX(w));
    EXPECT_EQ(w.Y, 50);
    EXPECT_EQ(w.OffY, 0);
  }
  // It looks 9 pixels ahead: at 8 past the centre of the last floor cell it turns back.
  EXPECT_EQ(most, 60 * 32 + 8);
  EXPECT_EQ(w.Face, 1);
  EXPECT_EQ(XV(w), XV(60 * 32 + 4, -2));
  EXPECT_TRUE(w.Frame == 0 || w.Frame == 1);
}

TEST(ThingWalkers, KindSixWalksOffTheLedgeFallsAtEightAndTurnsAtAWall) {
  ThingScene s;
  s.maze.Fill(20, 51, 100, 51, 13);
  s.maze.Fill(20, 51, 60, 51, 1);
  s.maze.Fill(55, 55, 90, 55, 1);  // lower floor
  s.maze.Fill(66, 50, 66, 54, 0);  // wall on the lower floor
  s.Start("mo,60,50,6,0,11,2,\"\"\n@\n", 30, 50);
  auto& w = s.obj(1);
  int lastY = PixelY(w);
  bool fell = false;
  for (int k = 0; k < 60; ++k) {
    s.Ticks(1);
    const int dy = PixelY(w) - lastY;
    EXPECT_TRUE(dy == 0 || dy == 8) << "tick " << k << " moved " << dy;
    if (w.VY == 8) {  // it drops where its own cell lost the floor
      fell = true;
      EXPECT_EQ(XV(w), XV(61 * 32 - 8, 0));
      EXPECT_EQ(w.Frame, 11);
    }
    lastY = PixelY(w);
  }
  EXPECT_TRUE(fell);
  EXPECT_EQ(PixelY(w), 54 * 32);  // on the lower floor
  EXPECT_EQ(w.Face, 0);           // and walks on
  s.Ticks(100);
  EXPECT_EQ(w.Face, 1);  // turned at the wall of column 66
  EXPECT_LE(PixelX(w), 65 * 32 + 8);
  EXPECT_TRUE(w.Frame == 11 || w.Frame == 12);
}

TEST(ThingWalkers, WatchfulWalkerPausesTwelveTicksAndTurnsToAPlayerBehindIt) {
  ThingScene s;
  // The second walker has her behind it too, but twelve columns away.
  s.Start("mo,40,50,4,0,5,2,\"\"\nmo,49,50,4,0,5,2,\"\"\n@\n", 37, 50);
  auto& w = s.obj(1);
  s.Ticks(2);  // tick 1 takes up the speed; tick 2 sees the heroine behind it
  const int x = 40 * 32 + 2;
  EXPECT_EQ(std::tuple(PixelX(w), w.VX, w.Face, w.Delay, w.Frame), std::tuple(x, 0, 1, 11, 6));
  s.Ticks(12);  // stands through the pause
  EXPECT_EQ(std::tuple(PixelX(w), w.VX, w.Delay), std::tuple(x, -2, 0));
  s.Ticks(5);  // now walking at her; she is ahead, so no new pause
  EXPECT_EQ(std::tuple(PixelX(w), w.VX, w.Delay), std::tuple(x - 10, -2, 0));
  EXPECT_TRUE(w.Frame >= 5 && w.Frame <= 7);
  EXPECT_EQ(s.obj(2).Face, 0);
  EXPECT_EQ(PixelX(s.obj(2)), 49 * 32 + 2 * 18);  // never paused
}

TEST(ThingBouncer, BouncesBetweenFloorAndCeilingTenPixelsFromTheCellCentres) {
  ThingScene s;
  s.maze.Fill(20, 42, 100, 42, 2);  // ceiling
  s.Start("mo,40,45,2,0,2,4,\"\"\n@\n", 30, 50);
  auto& b = s.obj(1);
  int lo = 1 << 30, hi = -(1 << 30);
  std::set<int> frames;
  for (int k = 0; k < 200; ++k) {
    s.Ticks(1);
    lo = std::min(lo, PixelY(b));
    hi = std::max(hi, PixelY(b));
    frames.insert(b.Frame);
    EXPECT_EQ(PixelX(b), 40 * 32);
    EXPECT_EQ(b.Face, 0);
  }
  EXPECT_EQ(hi, 50 * 32 + 10);
  EXPECT_EQ(lo, 43 * 32 - 10);
  EXPECT_EQ(frames, (std::set<int>{2, 3, 4}));
}

TEST(ThingCommands, WaiHoldsTheLastCommandUntilTheHeroineIsNearThenStopsOneTick) {
  ThingScene s;
  // She stands 11 pixels into column 45; the mover comes from column 50, moving left.
  s.Start("mo,50,50,10,1,8,0,\"<<1wai>>1\"\n@\n", 45, 50);
  s.obj(0).OffX = 11;
  auto& m = s.obj(1);
  s.Ticks(64);
  // Pixel x, command number and speed: it passed columns 49, 48, 47 without stopping, halts
  // aligned on column 46 with her 23 pixels away ("wai"), then takes the command after it.
  const std::tuple<int, int, int> want[] = {
      {46 * 32 + 2, 1, -2}, {46 * 32, 2, 0}, {46 * 32, 3, 2}, {46 * 32 + 2, 3, 2}};
  for (const auto& state : want) {
    EXPECT_EQ(std::tuple(PixelX(m), int{m.Param}, int{m.VX}), state);
    s.Ticks(1);
  }
  EXPECT_TRUE(m.Frame >= 8 && m.Frame <= 10);
  EXPECT_EQ(m.Face, 1);
  EXPECT_EQ(s.f().Life, 3);  // near but never touching
}

TEST(ThingCommands, WaiWithoutTheHeroineNearNeverStopsTillTheMazeEdgeTakesIt) {
  ThingScene s;
  s.Start("mo,58,33,3,1,2,0,\"<<1wai>>1\"\n@\n", 80, 50, "600000 quit\n");
  auto& m = s.obj(1);
  s.Ticks(100);
  EXPECT_EQ(PixelX(m), 58 * 32 - 2 * 99);  // through every cell, walls or not
  EXPECT_EQ(m.Param, 1);
  // Ten minutes of play: past column 0 it is gone, and play goes on.
  EXPECT_THROW(s.f().RunTimers(), platform::ExitRequest);
  EXPECT_EQ(m.Kind, 0);
  EXPECT_EQ(m.X, 0);
}

TEST(ThingEdges, ThingsThatLeaveTheMazeVanish) {
  // From a cell next to each edge: two command movers, a follower of the second, a chaser
  // whose home is the edge cell itself, a mover a script turns into a drifter, and a walker or
  // a bouncer that looks past the edge.
  const struct {
    int x, y;
    const char *dir, *home, *extra;
  } edges[] = {{1, 100, "<<", "000100", "mo,1,100,6,1,11,4,\"\"\n"},
               {254, 100, ">>", "255100", ""},
               {100, 1, "^^", "100000", "mo,100,1,2,0,2,-8,\"\"\n"},
               {100, 254, "vv", "100255", ""}};
  for (const auto& e : edges) {
    SCOPED_TRACE(e.dir);
    ThingScene s;
    s.maze.Fill(0, 101, 3, 101, 1);  // the walker's floor
    const std::string at = "mo," + std::to_string(e.x) + "," + std::to_string(e.y) + ",";
    const std::string go = std::string("\"") + e.dir + "8\"\n";
    s.Start(at + "3,1,8,0," + go + at + "8,0,16,0,\"gggggg\"\n" + at + "10,1,8,0," + go + at +
            "7,0,13,8,\"" + e.home + "\"\n" + at + "3,1,8,0," + go + e.extra + "@\n");
    s.Ticks(1);
    s.f().RunEventScript(U"om005,011");
    s.Ticks(60);
    for (int i = 1; i <= 6; ++i) {
      EXPECT_EQ(s.obj(i).Kind, 0) << "slot " << i;
      EXPECT_TRUE(s.obj(i).X >= 0 && s.obj(i).X <= 255 && s.obj(i).Y >= 0 && s.obj(i).Y <= 255);
    }
  }
}

TEST(ThingCommands, VanRemovesTheMoverAfterItsLastMove) {
  ThingScene s;
  s.Start("mo,50,45,3,1,2,0,\"<<1van\"\n@\n", 80, 50);
  auto& m = s.obj(1);
  s.Ticks(16);
  EXPECT_EQ(m.Kind, 3);
  s.Ticks(1);  // aligned on column 49: the next command is "van"
  EXPECT_EQ(m.Kind, 0);
  s.Ticks(5);
  EXPECT_EQ(PixelX(m), 49 * 32);  // gone: no longer processed
}

TEST(ThingCommands, DiagonalCommandsAndTheListRepeats) {
  ThingScene s;
  s.Start("mo,50,40,3,1,2,0,\">v1<^1\"\n@\n", 80, 50);
  auto& m = s.obj(1);
  s.Ticks(17);  // 16 moving ticks: one cell right and down
  EXPECT_EQ(std::tuple(PixelX(m), PixelY(m), m.Param), std::tuple(51 * 32, 41 * 32, 2));
  s.Ticks(16);  // and back up-left, where the list starts over
  EXPECT_EQ(std::tuple(PixelX(m), PixelY(m), m.Param, m.VX), std::tuple(50 * 32, 40 * 32, 1, 2));
}

TEST(ThingCommands, MalformedListsStandStillAndStrayStartsFindTheList) {
  ThingScene s;
  // An empty list, a speed that is no digit, a start far past the list, a negative start.
  s.Start(
      "mo,50,40,3,1,2,0,\"\"\nmo,52,40,3,1,2,0,\">x?\"\n"
      "mo,54,40,3,1,2,500,\">>1\"\nmo,56,40,3,1,2,-5,\">>1\"\n@\n",
      80, 50);
  s.Ticks(3);
  // Slots 1 and 2 stand; 3 wrapped round to the first command; 4's number below 1 names no
  // command, so it waits until the count reaches 1.
  auto xs = [&] {
    std::vector<int> v;
    for (int i = 1; i <= 4; ++i) v.insert(v.end(), {PixelX(s.obj(i)), s.obj(i).Param});
    return v;
  };
  EXPECT_EQ(xs(), (std::vector<int>{50 * 32, 1, 52 * 32, 1, 54 * 32 + 4, 1, 56 * 32, -2}));
  s.Ticks(10);
  EXPECT_EQ(xs()[6], 56 * 32 + 14);
  EXPECT_EQ(xs()[7], 1);
  EXPECT_EQ(xs()[0] + xs()[2], 50 * 32 + 52 * 32);
}

TEST(ThingChasers, KindSevenFliesHomeWhenTheHeroineIsFarAndThroughWalls) {
  ThingScene s;
  s.maze.Fill(55, 40, 56, 55, 0);  // a rock wall between it and home
  s.Start("mo,52,47,7,0,13,4,\"060047\"\n@\n", 30, 50);
  auto& c = s.obj(1);
  bool home = false;
  for (int k = 0; k < 150 && !home; ++k) {
    s.Ticks(1);
    home = std::abs(PixelX(c) - 60 * 32) <= 4 && std::abs(PixelY(c) - 47 * 32) <= 4;
    EXPECT_LE(std::abs(c.VX), 4);
    EXPECT_EQ(c.Face, c.VX < 0 ? 1 : 0);
    EXPECT_TRUE(c.Frame >= 13 && c.Frame <= 15);
  }
  EXPECT_TRUE(home);
}

TEST(ThingChasers, KindFiveChasesANearHeroineAndGoesBackHomeWhenSheIsFar) {
  ThingScene s;
  s.Start("mo,54,47,5,0,8,3,\"ignored\"\n@\n", 50, 50);
  auto& c = s.obj(1);
  EXPECT_EQ(c.Cmd, U"054047");
  s.Ticks(6);  // accelerates toward her: left and down
  EXPECT_TRUE(c.VX < 0 && c.VY > 0 && c.Face == 0);
  // She leaves: from then on it makes for its home cell.
  s.obj(0).X = 80;
  s.obj(1).X = 52;
  bool home = false;
  for (int k = 0; k < 150 && !home; ++k) {
    s.Ticks(1);
    home = std::abs(PixelX(c) - 54 * 32) <= 3 && std::abs(PixelY(c) - 47 * 32) <= 3;
  }
  EXPECT_TRUE(home);
}

TEST(ThingFollowers, AChainRepeatsItsLeadersMovesThreeTicksLaterEach) {
  ThingScene s;
  s.Start(
      "mo,44,40,8,0,16,0,\"gggggg\"\nmo,46,40,8,0,16,0,\"gggggg\"\n"
      "mo,48,40,3,1,2,0,\">>1\"\n@\n",
      80, 50);
  s.Ticks(20);
  EXPECT_EQ(PixelX(s.obj(3)), 48 * 32 + 2 * 19);
  EXPECT_EQ(PixelX(s.obj(2)), 46 * 32 + 2 * 16);
  EXPECT_EQ(PixelX(s.obj(1)), 44 * 32 + 2 * 13);
  EXPECT_EQ(s.obj(1).Cmd, U"igigig");
  for (int i = 1; i <= 2; ++i) {
    EXPECT_EQ(s.obj(i).Face, 0);
    EXPECT_TRUE(s.obj(i).Frame >= 16 && s.obj(i).Frame <= 18);
  }
}

TEST(ThingFollowers, LeaderSpeedsPastTheAlphabetAreHeldAtItsEnds) {
  ThingScene s;
  s.Start(
      "mo,44,40,8,0,16,0,\"\"\nmo,46,40,3,1,2,0,\">>9\"\nmo,44,42,8,0,16,0,\"\"\n"
      "mo,46,42,3,1,2,0,\"<<9\"\n@\n",
      80, 50);
  s.Ticks(8);
  EXPECT_EQ(std::tuple(s.obj(2).VX, s.obj(1).VX, s.obj(3).VX), std::tuple(18, 13, -16));
  EXPECT_EQ(std::tuple(s.obj(1).Face, s.obj(3).Face), std::tuple(0, 1));
}

}  // namespace
