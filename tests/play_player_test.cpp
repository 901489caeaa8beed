// The heroine through real play ticks: walking, jumps, walls, the step-up, blocks hit from
// below, harm and knockback, healing, the lift and look-down, in small mazes written here.
#include <gtest/gtest.h>

#include <tuple>

#include "play_world.h"

namespace {

using namespace play_testing;
using quelmire::False;
using quelmire::True;

TEST(PlayerWalking, AcceleratesBrakesAndCancelsOppositeKeys) {
  PlayWorld w;
  w.Start(30, At(1, "down Right") + At(12, "up Right") + At(20, "down Left") +
                  At(21, "down Right") + At(23, "up Left") + At(23, "up Right"));
  std::vector<int> vx;
  for (int k = 1; k <= 22; ++k) {
    w.Tick();
    vx.push_back(w.p().VX);
  }
  // One pixel per tick up to 8, then friction of one per tick once the key is up. Tick 21:
  // Left and Right together give no direction, so she slows as if no key were held.
  EXPECT_EQ(vx,
            (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 8, 8, 8, 7, 6, 5, 4, 3, 2, 1, 0, -1, 0, 0}));
  // Still facing the way she last moved.
  EXPECT_EQ(std::tuple(w.p().Face, w.p().Frame, w.p().Anim), std::tuple(1, 0, 0));
}

TEST(PlayerWalking, FramesFollowTheWalkString) {
  PlayWorld w;
  w.Start(30, At(1, "down Left"));
  std::vector<int> frames;
  for (int k = 1; k <= 14; ++k, frames.push_back(w.p().Frame)) w.Tick();
  // Anim 1..12 then 0: "000111222111", and position 13 is past the end.
  EXPECT_EQ(frames, (std::vector<int>{0, 0, 1, 1, 1, 2, 2, 2, 1, 1, 1, 0, 0, 0}));
  EXPECT_EQ(w.p().Face, 1);
}

// Ticks spent rising at 12 pixels per tick after a jump at the given speed, Space held.
int RiseTicks(int speed) {
  PlayWorld w;
  // Tick 1 sets the latches; Right is held for `speed` ticks, then Space pressed alone.
  std::string script = speed > 0 ? At(2, "down Right") + At(speed + 2, "up Right") : "";
  script += At(speed + 2, "down Space");
  w.Start(30, script);
  w.Tick(speed + 1);
  EXPECT_EQ(w.p().VX, speed);
  // From here on no direction is held: friction slows her, but the jump was set by the speed.
  int rising = 0;
  for (int k = 0; k < 45; ++k) {
    w.Tick();
    if (w.p().VY == -12) ++rising;
  }
  EXPECT_EQ(w.p().Y, kStandRow);  // back on the floor
  EXPECT_EQ(w.f().AirTime, 0);
  return rising;
}

TEST(PlayerJump, RiseLengthDependsOnSpeed) {
  for (auto [speed, ticks] : {std::pair{0, 6}, {2, 6}, {4, 7}, {5, 9}, {8, 11}}) {
    EXPECT_EQ(RiseTicks(speed), ticks) << speed;
  }
}

TEST(PlayerJump, ReleasingEndsTheRiseAndHoldingNeverRepeats) {
  PlayWorld w;
  // Tick 1 refreshes the latches (they start unset: no jump in the first tick).
  w.Start(30, At(1, "down Space") + At(2, "up Space") + At(3, "down Space") + At(4, "up Space") +
                  At(30, "down Enter") + At(70, "up Enter") + At(71, "down Z"));
  w.Tick();
  EXPECT_EQ(w.f().AirTime, 0);
  w.Tick(2);  // up, then down: a fresh press
  EXPECT_EQ(std::tuple(w.p().VY, w.f().JumpLen), std::tuple(-12, 6));
  w.Tick();  // released after one tick of rise: gravity takes over at once
  EXPECT_EQ(w.p().VY, -10);
  w.Tick(25);
  EXPECT_EQ(w.f().AirTime, 0);

  // Enter held from tick 30 to 69: one jump only.
  int jumps = 0, lastVY = 0;
  for (int k = 30; k <= 70; ++k) {
    w.Tick();
    if (w.p().VY == -12 && lastVY != -12) ++jumps;
    lastVY = w.p().VY;
  }
  EXPECT_EQ(jumps, 1);
  EXPECT_EQ(w.f().AirTime, 0);
  w.Tick();  // Z after Enter was up for a tick: jumps again
  EXPECT_EQ(w.p().VY, -12);
}

// A jump pressed d ticks after the tick of walking off an edge.
struct LateJump {
  bool jumped;
  int offX;
};
LateJump JumpAfterEdge(int d, bool press) {
  PlayWorld w;
  w.maze.Fill(60, kFloorRow, 90, 255, kOpen);  // a deep pit
  w.Start(30, press ? At(2 + d, "press Space") : "");
  w.Tick();  // latches set
  auto& p = w.p();
  p.X = 70;  // standing over the pit, moving right
  p.VX = 4;
  w.f().BuildRoom();
  for (int k = 0; k <= d; ++k) w.Tick();
  return {p.VY == -12, p.OffX};
}

TEST(PlayerJump, GraceOfThreeTicksAfterWalkingOffAnEdge) {
  for (int d = 0; d <= 2; ++d) {
    LateJump with = JumpAfterEdge(d, true), without = JumpAfterEdge(d, false);
    EXPECT_TRUE(with.jumped) << d;
    // Nudged two pixels forward.
    EXPECT_EQ(with.offX, without.offX + 2) << d;
  }
  EXPECT_FALSE(JumpAfterEdge(3, true).jumped);
}

TEST(PlayerWalls, HeldTenPixelsFromTheCentreAgainstTheWind) {
  PlayWorld w;
  w.maze.Fill(40, 30, 40, kStandRow, kRock);  // a wall right of column 39
  w.maze.Fill(20, 30, 20, kStandRow, kRock);  // and left of column 21
  w.Start(36, At(1, "down Right") + At(20, "up Right") + At(21, "down Left") + At(110, "up Left"));
  auto at = [&] { return std::tuple(w.p().X, w.p().OffX, w.p().VX); };
  w.Tick(18);
  EXPECT_EQ(at(), std::tuple(39, 10, 0));
  w.Tick(90);
  EXPECT_EQ(at(), std::tuple(21, -10, 0));

  // With a wind of 2 to the right she rests against the right wall with VX = -2.
  w.Tick(5);
  w.f().DriftX = 2;
  w.f().Obj(0).X = 38;
  w.f().BuildRoom();
  w.Tick(60);
  EXPECT_EQ(at(), std::tuple(39, 10, -2));
}

TEST(PlayerWalls, StepsUpOverAOneCellGapAtSpeedButFallsInWhenSlow) {
  for (bool fast : {true, false}) {
    PlayWorld w;
    w.maze.Set(50, kFloorRow, kOpen);  // a one-cell hole, one cell deep
    w.Start(44, fast ? At(1, "down Right") : "");
    if (!fast) {
      w.p().X = 49;
      w.p().OffX = 12;
      w.f().BuildRoom();
    }
    int lowest = w.p().Y;
    for (int k = 0; k < 60 && w.p().X < 53; ++k) {
      if (!fast) w.p().VX = 2;  // creep on at one pixel per tick after friction
      w.Tick();
      lowest = std::max<int>(lowest, w.p().Y);
    }
    if (fast) {  // crossed on the edge
      EXPECT_TRUE(lowest == kStandRow && w.p().X >= 51 && w.f().AirTime == 0);
    } else {  // fell into the hole
      EXPECT_EQ(std::tuple(w.p().X, w.p().Y), std::tuple(50, kFloorRow));
    }
  }
}

TEST(PlayerBlocks, StrikeBlocksChangeOnlyFromBelow) {
  for (auto [code, after] : {std::pair{37, 0}, std::pair{54, 19}, std::pair{146, 122}}) {
    PlayWorld w;
    w.maze.Set(30, 37, code);         // two rows above her head row
    w.maze.Set(33, kStandRow, code);  // in her way sideways: passable
    w.Start(30, At(2, "down Space"));
    w.Tick(2);
    EXPECT_EQ(w.p().VY, -12);
    w.Tick();  // the head crosses into row 37
    EXPECT_EQ(w.f().Map(30, 37), after) << code;
    EXPECT_EQ(std::tuple(w.p().VY, w.p().OffY, w.f().AirTime),
              std::tuple(0, -15, w.f().JumpLen + 1));
    EXPECT_TRUE(w.MapBufferIsCurrent());
    w.Tick(40);
    EXPECT_EQ(w.p().Y, kStandRow);
    EXPECT_EQ(w.f().Map(33, kStandRow), code);
    const auto sounds = w.Sounds();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 0), 1) << code;
  }
  // Walking through one sideways does not stop her.
  PlayWorld w;
  w.maze.Set(33, kStandRow, 54);
  w.maze.Set(33, kStandRow - 1, 54);
  w.Start(30, At(1, "down Right"));
  w.Tick(25);
  EXPECT_GE(w.p().X, 35);
}

TEST(PlayerBlocks, BreakableBlocksHalveTheRiseAndOpen) {
  for (auto [code, after] : {std::pair{7, 9}, std::pair{12, 8}}) {
    PlayWorld w;
    w.maze.Set(30, 37, code);
    w.Start(30, At(2, "down Space"));
    w.Tick(3);
    EXPECT_EQ(w.f().Map(30, 37), after);
    EXPECT_EQ(w.p().VY, -6);  // -12 halved, and she keeps rising
    EXPECT_TRUE(w.MapBufferIsCurrent());
    int highest = w.p().Y;
    for (int k = 0; k < 40; ++k) {
      w.Tick();
      highest = std::min<int>(highest, w.p().Y);
    }
    EXPECT_EQ(highest, 37) << "through the opened cell";
    const auto sounds = w.Sounds();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 3), 1);
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 0), 0);
  }
}

TEST(PlayerBlocks, CeilingBumpIsSilentWhileTheLiftButtonIsHeld) {
  for (bool lift : {false, true}) {
    PlayWorld w;
    w.maze.Fill(25, 37, 35, 37, 2);  // a low ceiling
    w.Start(30, (lift ? At(1, "down X") : "") + At(2, "down Space"));
    w.Tick(3);
    EXPECT_EQ(std::tuple(w.p().Y, w.p().OffY, w.p().VY), std::tuple(kStandRow, -15, 0));
    const auto sounds = w.Sounds();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 0), lift ? 0 : 1);
  }
}

TEST(PlayerHarm, ClassTwoThrowsBackClassOneOnlyHurts) {
  struct Case {
    int tile, offX, spikeCol, wantVX;
    bool knock;
  };
  // Centred on red-hot spikes: straight up. Off-centre: away from the offset's sign.
  // Leaning into spikes in the next column: thrown back from them. Steel spikes: no throw.
  for (Case c : {Case{49, 0, 30, 0, true}, Case{49, 5, 30, 6, true}, Case{53, 12, 31, -6, true},
                 Case{48, 0, 30, 0, false}}) {
    PlayWorld w;
    w.maze.Set(c.spikeCol, kStandRow, c.tile);
    w.Start(30);
    w.p().OffX = static_cast<int16_t>(c.offX);
    w.Tick();
    // Delay 40, less this tick's count; VY -12 and gravity at once: the throw has no rise.
    EXPECT_EQ(std::tuple(w.f().Life, w.p().Delay), std::tuple(2, 39)) << c.tile;
    if (c.knock) {
      EXPECT_EQ(std::tuple(w.p().VX, w.p().Param, w.p().VY, w.f().JumpLen),
                std::tuple(c.wantVX, 1, -10, 2));
    } else {
      EXPECT_EQ(std::tuple(w.p().VY, w.p().Param), std::tuple(0, 0));
    }
    // Invulnerable for 40 ticks: no further harm while she stays on them.
    w.Tick(38);
    EXPECT_EQ(w.f().Life, 2) << c.tile;
    const auto sounds = w.Sounds();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 2), 1);
  }
}

TEST(PlayerHarm, KnockbackLocksSteeringAndJumpUntilLanding) {
  PlayWorld w;
  w.maze.Set(30, kStandRow, 49);
  w.Start(30, At(1, "down Left") + At(3, "press Space"));
  w.p().OffX = 3;
  w.Tick();
  EXPECT_EQ(w.p().VX, 6);
  w.Tick(2);
  EXPECT_EQ(std::tuple(w.p().VX, w.f().JumpLen), std::tuple(6, 2));  // no steering or friction
  for (int k = 0; k < 30 && w.p().Param != 0; ++k) w.Tick();
  EXPECT_EQ(std::tuple(w.p().Param, w.f().AirTime), std::tuple(0, 0));  // landed
  w.Tick(2);
  EXPECT_LT(w.p().VX, 6);  // steering again
  EXPECT_EQ(w.f().Life, 2);
}

TEST(PlayerHealing, OnePointPerPressUpToTheMaximum) {
  PlayWorld w;
  w.maze.Set(30, kStandRow, 76);
  w.Start(30, At(2, "down Up") + At(5, "up Up") + At(6, "press Up") + At(8, "press Up"));
  w.f().Life = 1;
  w.Tick(4);
  EXPECT_EQ(w.f().Life, 2);  // held: once
  w.Tick(2);
  EXPECT_EQ(w.f().Life, 3);
  w.Tick(3);
  EXPECT_EQ(w.f().Life, 3);  // already full
}

TEST(PlayerLift, FairyShoesLiftWhileHeld) {
  PlayWorld w;
  w.Start(30, At(1, "down X") + At(5, "up X"));
  w.Tick(2);
  EXPECT_EQ(w.p().VY, 0);  // without the shoes nothing happens
  w.f().ItemCount(34) = 1;
  w.p().Param = 1;
  w.Tick();
  EXPECT_EQ(std::tuple(w.p().VY, w.p().Param, w.p().OffY), std::tuple(-8, 0, -8));
  w.Tick();
  EXPECT_EQ(w.p().OffY, -16);
  w.Tick(2);
  EXPECT_GT(w.p().VY, -8);  // gravity again
}

TEST(PlayerView, LookDownPansFiveRowsOrToTheLastRowTheViewCanShowAndBack) {
  // Standing on row 39, 252 or 249, and falling from row 240 down a shaft to row 252.
  const struct {
    int row, floor, lookRow, lookPx;
  } cases[] = {{39, 40, 5, -16}, {252, 253, 0, 0}, {249, 250, 3, -16}, {240, 253, 0, 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    PlayWorld w;
    w.maze.Fill(0, c.floor, 255, 255, kFloor);
    w.maze.Fill(0, 0, 255, c.floor - 1, kOpen);
    w.Start(30, At(1, "down Down") + At(60, "up Down"), "@\n", c.row);
    for (int k = 1; k < 60; ++k) {
      w.Tick();
      ASSERT_LE(w.p().Y + w.f().LookRow, 252);
    }
    // Five rows and a half less 16 pixels: 144.
    EXPECT_EQ(std::tuple(w.p().Y, w.f().LookRow, w.f().LookPx),
              std::tuple(c.floor - 1, c.lookRow, c.lookPx));
    EXPECT_TRUE(w.MapBufferIsCurrent());
    w.Tick(30);
    EXPECT_EQ(std::tuple(w.f().LookRow, w.f().LookPx), std::tuple(0, 0));
    EXPECT_TRUE(w.MapBufferIsCurrent());
  }
}

}  // namespace
