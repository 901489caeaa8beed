// The play tick through real ticks in small mazes written here: the heroine's walking, jumps,
// walls, the step-up, blocks hit from below, harm and knockback, healing, the lift, look-down
// and the maze's edge; what runs only while play is enabled, events under her, the one-cell
// scroll of the map buffer, the end-of-tick tests, the animation counter and the music repeat.
// And the timer loop that runs the ticks: deadlines on a fixed grid, one timer at a time, no
// make-up ticks; quick taps seen by the play tick; a close request quitting from every wait.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <tuple>

#include "test_support.h"

namespace {

using namespace testing_support;

// The scene's maze: free backdrop, a floor from row 39 down; she stands on row 38.
constexpr int kOpen = 9, kRock = 0, kFloor = 1, kFloorRow = 39, kStandRow = 38;

// A script line at the time of tick k (tick k of Tick() runs at 48 k ms).
const auto At = [](int tick, const std::string& action) { return Line(48 * tick, action); };

const auto Count = [](const std::vector<int>& v, int n) {
  return std::count(v.begin(), v.end(), n);
};

// The map buffer now, and as a fresh BuildRoom draws it.
bool MapBufferIsCurrent(Scene& s) {
  auto& m = *s.f().MapSurface;
  std::vector<uint8_t> now(m.Pixels(), m.Pixels() + m.Width() * m.Height());
  s.f().BuildRoom();
  return std::equal(now.begin(), now.end(), m.Pixels());
}

TEST(PlayerWalking, AcceleratesBrakesFramesFollowTheWalkStringAndOppositeKeysCancel) {
  Scene s;
  s.Play(At(1, "down Right") + At(15, "up Right") + At(23, "down Left") + At(24, "down Right") +
             At(26, "up Left") + At(26, "up Right"),
         30);
  std::vector<int> vx, frames;
  for (int k = 1; k <= 25; ++k) {
    s.Tick();
    vx.push_back(s.obj().VX);
    if (k <= 14) frames.push_back(s.obj().Frame);
  }
  // One pixel per tick up to 8, then friction of one per tick once the key is up. Tick 24:
  // Left and Right together give no direction, so she slows as if no key were held.
  EXPECT_EQ(vx, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 8, 8,  8, 8, 8,
                                  8, 7, 6, 5, 4, 3, 2, 1, 0, -1, 0, 0}));
  // Anim 1..12 then 0: "000111222111", and position 13 is past the end.
  EXPECT_EQ(frames, (std::vector<int>{0, 0, 1, 1, 1, 2, 2, 2, 1, 1, 1, 0, 0, 0}));
  // Still facing the way she last moved.
  EXPECT_EQ(std::tuple(s.obj().Face, s.obj().Frame, s.obj().Anim), std::tuple(1, 0, 0));
}

TEST(PlayerJump, RiseLengthDependsOnSpeed) {
  for (auto [speed, ticks] : {std::pair{0, 6}, {2, 6}, {4, 7}, {5, 9}, {8, 11}}) {
    Scene s;
    // Tick 1 sets the latches; Right is held for `speed` ticks, then Space pressed alone.
    s.Play((speed > 0 ? At(2, "down Right") + At(speed + 2, "up Right") : "") +
               At(speed + 2, "down Space"),
           30);
    s.Tick(speed + 1);
    EXPECT_EQ(s.obj().VX, speed);
    // From here on no direction is held: friction slows her, but the speed set the jump.
    int rising = 0;
    for (int k = 0; k < 45; ++k, s.Tick()) rising += s.obj().VY == -12;
    EXPECT_EQ(std::tuple(rising, s.obj().Y, s.f().AirTime), std::tuple(ticks, kStandRow, 0))
        << speed;
  }
}

TEST(PlayerJump, ReleasingEndsTheRiseAndHoldingNeverRepeats) {
  Scene s;
  // Tick 1 refreshes the latches (they start unset: no jump in the first tick).
  s.Play(At(1, "down Space") + At(2, "up Space") + At(3, "down Space") + At(4, "up Space") +
             At(30, "down Enter") + At(70, "up Enter") + At(71, "down Z"),
         30);
  s.Tick();
  EXPECT_EQ(s.f().AirTime, 0);
  s.Tick(2);  // up, then down: a fresh press
  EXPECT_EQ(std::tuple(s.obj().VY, s.f().JumpLen), std::tuple(-12, 6));
  s.Tick();  // released after one tick of rise: gravity takes over at once
  EXPECT_EQ(s.obj().VY, -10);
  s.Tick(25);
  EXPECT_EQ(s.f().AirTime, 0);
  // Enter held from tick 30 to 69: one jump only.
  int jumps = 0, lastVY = 0;
  for (int k = 30; k <= 70; ++k, lastVY = s.obj().VY) {
    s.Tick();
    jumps += s.obj().VY == -12 && lastVY != -12;
  }
  EXPECT_EQ(std::tuple(jumps, s.f().AirTime), std::tuple(1, 0));
  s.Tick();  // Z after Enter was up for a tick: jumps again
  EXPECT_EQ(s.obj().VY, -12);
}

TEST(PlayerJump, GraceOfThreeTicksAfterWalkingOffAnEdge) {
  // A jump pressed d ticks after the tick of walking off an edge: whether she jumped, and OffX.
  auto jumpAfterEdge = [](int d, bool press) {
    Scene s;
    s.maze.Fill(60, kFloorRow, 90, 255, kOpen);  // a deep pit
    s.Play(press ? At(2 + d, "press Space") : "", 30);
    s.Tick();        // latches set
    s.obj().X = 70;  // standing over the pit, moving right
    s.obj().VX = 4;
    s.f().BuildRoom();
    s.Tick(d + 1);
    return std::pair(s.obj().VY == -12, int{s.obj().OffX});
  };
  for (int d = 0; d <= 2; ++d) {  // nudged two pixels forward
    EXPECT_EQ(jumpAfterEdge(d, true), std::pair(true, jumpAfterEdge(d, false).second + 2)) << d;
  }
  EXPECT_FALSE(jumpAfterEdge(3, true).first);
}

TEST(PlayerWalls, HeldTenPixelsFromTheCentreAgainstTheWind) {
  Scene s;
  s.maze.Fill(40, 30, 40, kStandRow, kRock);  // a wall right of column 39
  s.maze.Fill(20, 30, 20, kStandRow, kRock);  // and left of column 21
  s.Play(At(1, "down Right") + At(20, "up Right") + At(21, "down Left") + At(110, "up Left"), 36);
  auto at = [&] { return std::tuple(s.obj().X, s.obj().OffX, s.obj().VX); };
  s.Tick(18);
  const auto right = at();
  s.Tick(90);
  const auto left = at();
  s.Tick(5);
  // With a wind of 2 to the right she rests against the right wall with VX = -2.
  std::tie(s.f().DriftX, s.obj().X) = std::tuple(2, 38);
  s.f().BuildRoom();
  s.Tick(60);
  EXPECT_EQ(std::tuple(right, left, at()),
            std::tuple(std::tuple(39, 10, 0), std::tuple(21, -10, 0), std::tuple(39, 10, -2)));
}

TEST(PlayerWalls, StepsUpOverAOneCellGapAtSpeedButFallsInWhenSlow) {
  for (bool fast : {true, false}) {
    Scene s;
    s.maze.Set(50, kFloorRow, kOpen);  // a one-cell hole, one cell deep
    s.Play(fast ? At(1, "down Right") : "", fast ? 44 : 49);
    s.obj().OffX = fast ? 0 : 12;
    int lowest = s.obj().Y;
    for (int k = 0; k < 60 && s.obj().X < 53; ++k) {
      if (!fast) s.obj().VX = 2;  // creep on at one pixel per tick after friction
      s.Tick();
      lowest = std::max<int>(lowest, s.obj().Y);
    }
    // Fast: crossed on the edge; slow: fell into the hole.
    EXPECT_TRUE(fast ? lowest == kStandRow && s.obj().X >= 51 && s.f().AirTime == 0
                     : s.obj().X == 50 && s.obj().Y == kFloorRow)
        << fast;
  }
}

// Blocks two rows above her head row, hit by a jump; `lift` holds the lift button.
TEST(PlayerBlocks, StrikeBlocksChangeOnlyFromBelowBreakableOnesHalveTheRiseAndOpen) {
  const struct {
    int code, after, vy, bump;  // bump: ceiling sounds (slot 0); breaking sounds slot 3
    bool lift;
  } cases[] = {{37, 0, 0, 1, false}, {54, 19, 0, 1, false}, {146, 122, 0, 1, false},
               {7, 9, -6, 0, false}, {12, 8, -6, 0, false}, {2, 2, 0, 1, false},
               {2, 2, 0, 0, true}};  // a plain ceiling is silent while the lift button is held
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    Scene s;
    s.maze.Fill(25, kStandRow - 2, 35, kStandRow - 2, c.code == 2 ? 2 : kOpen);
    s.maze.Set(30, kStandRow - 2, c.code);
    s.maze.Set(33, kStandRow, c.code);  // in her way sideways: passable
    s.Play((c.lift ? At(1, "down X") : "") + At(2, "down Space"), 30);
    s.Tick(3);  // the head crosses into the row
    EXPECT_EQ(s.f().Map(30, kStandRow - 2), c.after);
    EXPECT_EQ(s.obj().VY, c.vy);  // -12 halved through a breakable block, and she keeps rising
    if (c.vy == 0) {
      EXPECT_EQ(std::tuple(s.obj().Y, s.obj().OffY, s.f().AirTime),
                std::tuple(kStandRow, -15, s.f().JumpLen + 1));
    }
    EXPECT_TRUE(MapBufferIsCurrent(s));
    int highest = s.obj().Y;
    for (int k = 0; k < 40; ++k, s.Tick()) highest = std::min<int>(highest, s.obj().Y);
    EXPECT_EQ(highest, c.vy ? kStandRow - 2 : kStandRow);  // through the opened cell
    EXPECT_EQ(s.f().Map(33, kStandRow), c.code);
    const auto sounds = s.Sounds();
    EXPECT_EQ(std::tuple(Count(sounds, 0), Count(sounds, 3)), std::tuple(c.bump, c.vy ? 1 : 0));
  }
  // Walking through one sideways does not stop her.
  Scene s;
  s.maze.Set(33, kStandRow, 54);
  s.maze.Set(33, kStandRow - 1, 54);
  s.Play(At(1, "down Right"), 30);
  s.Tick(25);
  EXPECT_GE(s.obj().X, 35);
}

TEST(PlayerHarm, ClassTwoThrowsBackClassOneOnlyHurts) {
  // Centred on red-hot spikes: straight up. Off-centre: away from the offset's sign.
  // Leaning into spikes in the next column: thrown back from them. Steel spikes: no throw.
  const std::tuple<int, int, int, int, bool> cases[] = {
      {49, 0, 30, 0, true}, {49, 5, 30, 6, true}, {53, 12, 31, -6, true}, {48, 0, 30, 0, false}};
  for (auto [tile, offX, spikeCol, wantVX, knock] : cases) {
    Scene s;
    s.maze.Set(spikeCol, kStandRow, tile);
    s.Play("", 30);
    s.obj().OffX = static_cast<int16_t>(offX);
    s.Tick();
    // Delay 40, less this tick's count; VY -12 and gravity at once: the throw has no rise.
    EXPECT_EQ(
        std::tuple(s.f().Life, s.obj().Delay, s.obj().VX, s.obj().Param, s.obj().VY, s.f().JumpLen),
        knock ? std::tuple(2, 39, wantVX, 1, -10, 2) : std::tuple(2, 39, 0, 0, 0, 0))
        << tile;
    // Invulnerable for 40 ticks: no further harm while she stays on them.
    s.Tick(38);
    EXPECT_EQ(std::tuple(s.f().Life, Count(s.Sounds(), 2)), std::tuple(2, 1)) << tile;
  }
}

TEST(PlayerHarm, KnockbackLocksSteeringAndJumpUntilLanding) {
  Scene s;
  s.maze.Set(30, kStandRow, 49);
  s.Play(At(1, "down Left") + At(3, "press Space"), 30);
  s.obj().OffX = 3;
  s.Tick(3);  // thrown right in the first, then no steering, friction or jump
  EXPECT_EQ(std::tuple(s.obj().VX, s.f().JumpLen), std::tuple(6, 2));
  for (int k = 0; k < 30 && s.obj().Param != 0; ++k) s.Tick();
  EXPECT_EQ(std::tuple(s.obj().Param, s.f().AirTime), std::tuple(0, 0));  // landed
  s.Tick(2);
  EXPECT_TRUE(s.obj().VX < 6 && s.f().Life == 2);  // steering again
}

TEST(PlayerItems, HealingOnePointPerPressUpToTheMaximumAndTheFairyShoesLiftWhileHeld) {
  Scene s;
  s.maze.Set(30, kStandRow, 76);
  s.Play(At(2, "down Up") + At(5, "up Up") + At(6, "press Up") + At(8, "press Up") +
             At(10, "down X") + At(15, "up X"),
         30);
  s.f().Life = 1;
  std::vector<int> life;
  for (int k = 0; k < 9; ++k, s.Tick()) life.push_back(s.f().Life);
  // Before tick 1, then after each: held from tick 2, once; then one a press up to the maximum.
  EXPECT_EQ(life, (std::vector<int>{1, 1, 2, 2, 2, 2, 3, 3, 3}));
  s.Tick(2);
  EXPECT_EQ(s.obj().VY, 0);  // without the shoes nothing happens
  s.f().ItemCount(34) = 1;
  s.obj().Param = 1;
  s.Tick();
  EXPECT_EQ(std::tuple(s.obj().VY, s.obj().Param, s.obj().OffY), std::tuple(-8, 0, -8));
  s.Tick();
  EXPECT_EQ(s.obj().OffY, -16);
  s.Tick(2);
  EXPECT_GT(s.obj().VY, -8);  // gravity again
}

TEST(PlayerView, LookDownPansFiveRowsOrToTheLastRowTheViewCanShowAndBack) {
  // Standing on row 39, 252 or 249, and falling from row 240 down a shaft to row 252.
  for (auto [row, floor, lookRow, lookPx] :
       {std::tuple{39, 40, 5, -16}, {252, 253, 0, 0}, {249, 250, 3, -16}, {240, 253, 0, 8}}) {
    SCOPED_TRACE(row);
    Scene s;
    s.maze.Fill(0, floor, 255, 255, kFloor);
    s.maze.Fill(0, 0, 255, floor - 1, kOpen);
    s.Play(At(1, "down Down") + At(60, "up Down"), 30, row);
    for (int k = 1; k < 60; ++k) {
      s.Tick();
      ASSERT_LE(s.obj().Y + s.f().LookRow, 252);
    }
    // Five rows and a half less 16 pixels: 144.
    EXPECT_EQ(std::tuple(s.obj().Y, s.f().LookRow, s.f().LookPx, MapBufferIsCurrent(s)),
              std::tuple(floor - 1, lookRow, lookPx, true));
    s.Tick(30);
    EXPECT_EQ(std::tuple(s.f().LookRow, s.f().LookPx, MapBufferIsCurrent(s)),
              std::tuple(0, 0, true));
  }
}

TEST(PlayerView, AMazeOpenAtItsEdgeHoldsHerWhereTheViewCanFollow) {
  // Open cave with floors under rows 12 and 120 only: walking off either side, falling off the
  // bottom and a jump from row 12 (which would reach row 9) stop at the view's last cells.
  for (auto [x, y, key, wantX, wantY] : {std::tuple{14, 120, "Left", 10, 120},
                                         {243, 120, "Right", 247, 120},
                                         {60, 230, "", 60, 252},
                                         {60, 12, "Space", 60, 12}}) {
    Scene s;
    s.maze = MazeFile(kOpen);
    s.maze.Fill(0, 121, 255, 121, kFloor);
    s.maze.Fill(40, 13, 80, 13, kFloor);
    s.Play(*key ? At(0, std::string("down ") + key) : "", x, y);
    s.Tick(120);
    EXPECT_EQ(std::tuple(s.obj().X, s.obj().Y), std::tuple(wantX, wantY)) << x << "," << y;
  }
}

TEST(PlayTick, NothingMovesWhilePlayIsSwitchedOffAndEventsRunEveryTickWithPercentOrOncePerUp) {
  // Through the timer loop: with Timer1 off no tick runs, whatever is pressed.
  {
    Scene s;
    s.Play(At(1, "down Right") + At(2, "press Space") + At(3, "down Down") + At(20, "quit"), 30);
    s.f().Timer1.Enabled = false;
    const auto before = s.f().StateJson();
    EXPECT_THROW(s.f().RunTimers(), platform::ExitRequest);
    EXPECT_EQ(s.f().StateJson(), before);
  }
  // A tick run while Timer1 is off (as a warp composes its new scene) ignores walking, the
  // jump and the event under her, even a "%" one; the rest of the tick still runs (FrameCount
  // 191, then round to 0). Then, with play on, a "%" event runs on every tick she stands there,
  // another once per fresh press of Up.
  Scene s;
  s.Room(1, "ev,30,38,\"%fg001+01\"\nev,31,38,\"fg002+01\"\n@\n");
  s.Play(At(1, "down Right") + At(2, "press Space") + At(2, "press Up") + At(3, "up Right") +
             At(4, "down Up") + At(10, "up Up") + At(11, "press Up"),
         30);
  auto& f = s.f();
  std::tie(f.Timer1.Enabled, f.FrameCount) = std::tuple(false, 190);
  s.Tick(2);
  EXPECT_EQ(std::tuple(s.obj().VX, s.obj().VY, f.AirTime, f.Flags(1), f.FrameCount),
            std::tuple(0, 0, 0, 0, 0));
  f.Timer1.Enabled = true;
  s.Tick(5);
  s.obj().X = 31;
  f.BuildRoom();
  s.Tick(3);  // Up held since tick 4: no fresh press on this cell yet
  const int held = f.Flags(2);
  s.Tick(2);  // released at 10, pressed at 11
  EXPECT_EQ(std::tuple(f.Flags(1), held, f.Flags(2)), std::tuple(5, 0, 1));
}

TEST(PlayTick, CrossingACellBothWaysAtOnceShiftsTheBufferOnce) {
  // A varied backdrop of free tiles, so that a wrong shift shows.
  Scene s;
  std::mt19937 rng(7);
  const int freeTiles[] = {9, 13, 14, 22, 56, 57, 64, 96, 136};
  for (int at = 0; at < kFloorRow * 256; ++at) s.maze.Set(at % 256, at / 256, freeTiles[rng() % 9]);
  s.Play("", 60, 25);
  ASSERT_TRUE(MapBufferIsCurrent(s));
  // Right and down, left and up, right and up, left and down.
  for (auto [offX, vx, offY, vy] :
       {std::tuple{14, 8, 14, 8}, {-15, -8, -14, -10}, {14, 8, -14, -10}, {-15, -8, 14, 8}}) {
    auto& p = s.obj();
    const int x = p.X, y = p.Y;
    std::tie(p.OffX, p.VX, p.OffY, p.VY) = std::tuple(offX, vx, offY, vy);
    s.f().AirTime = 5;
    s.f().JumpLen = 0;
    s.Tick();
    EXPECT_EQ(std::tuple(p.X, p.Y), std::tuple(x + (vx > 0 ? 1 : -1), y + (vy > 0 ? 1 : -1)));
    EXPECT_TRUE(MapBufferIsCurrent(s)) << offX << "," << offY;
  }
}

TEST(PlayTick, EndingRunsBeforeGameOverInTheSameTick) {
  Scene s;
  s.Play(Presses(1000, 400000, 500, "Space"), 30);
  auto& f = s.f();
  f.EndingFlag = 1;
  f.Life = 0;
  s.Tick();
  // Back to the title; the ending left the room.
  EXPECT_EQ(std::tuple(f.Timer1.Enabled, f.Timer2.Enabled, f.RoomNo), std::tuple(false, true, -1));
  // The ending's pictures alone take two 4.5 s pauses; the game-over song opens after them.
  int64_t gameOverSong = -1;
  const Json state = s.State();
  for (const Json& op : state["music"].arr) {
    if (op["op"].str == "open" && op["arg"].str == "midi/vorn08.mid") gameOverSong = op["ms"].Int();
  }
  EXPECT_GT(gameOverSong, 48 + 9000);
}

TEST(PlayTick, TheTitleKeyActsAtOnceAndAStoppedSongRestartsFromPosition16) {
  Scene s;
  s.Play(At(2, "down T"), 30);
  s.f().BGM_OPEN(s.f().SongPath(1));  // open, not playing: the device says stopped
  s.f().MusicOn = quelmire::True;
  s.Tick();
  const Json state = s.State();
  const auto& ops = state["music"].arr;
  ASSERT_GE(ops.size(), 2u);
  EXPECT_EQ(
      std::tuple(ops[ops.size() - 2]["op"].str, ops.back()["op"].str, ops.back()["arg"].Int()),
      std::tuple("seek_start", "play_from", 16));
  s.Tick();
  EXPECT_EQ(std::tuple(s.f().Timer1.Enabled, s.f().Timer2.Enabled, s.f().FrameCount),
            std::tuple(false, true, 2));
}

TEST(PlayTick, AMessageOpenedWhileTheViewPansShowsAndPlayGoesOn) {
  // Down is held for k ticks and released in the tick an item is picked up (in the things'
  // step) or the sign under her is read (Up, after the jump step); Z closes the message and
  // is still down for the rest of that tick.
  std::string script;
  std::vector<std::pair<int, bool>> releases;  // tick, sign
  int t = 2;
  for (int k = 1; k <= 24; ++k) {
    for (bool sign : {false, true}) {
      releases.push_back({t + k, sign});
      script += At(t, "down Down") + At(t + k, "up Down") + (sign ? At(t + k, "press Up 5") : "") +
                Line(48 * (t + k) + 10, "press Z 30");
      t += 2 * k + 2;  // back to the unpanned view
    }
  }
  Scene s;
  s.Room(1, "ev,30,38,\"ms看板]fg001+01\"\n@\n");
  s.Play(script, 30);
  auto& f = s.f();
  f.Obj(1).X = 30, f.Obj(1).Y = 38;
  int tick = 0;
  for (const auto& [release, sign] : releases) {
    s.Tick(release - 1 - tick);
    if (!sign) f.Obj(1).Kind = 21;  // an item at her feet
    s.Tick();
    tick = release;
    EXPECT_EQ(f.AirTime, 0) << release;  // the key that closed it made no jump
  }
  s.Tick(t - tick);
  // Every message was shown, and play went on.
  EXPECT_EQ(std::tuple(f.ItemCount(1), f.Flags(1), f.LookRow, f.LookPx), std::tuple(24, 24, 0, 0));
}

TEST(EventLoop, PlayTicksFollowTheGridAnOverrunIsFollowedByOneTickAndTimersSwitchFromNow) {
  Scene s;
  s.Play();
  auto& f = s.f();
  using Fired = std::tuple<int, int64_t, int64_t>;  // timer, due, now
  std::vector<Fired> fired;
  f.OnTimerFired = [&](int timer, int64_t due, int64_t now) {
    fired.emplace_back(timer, due, now);
    if (fired.size() == 3) s.game->plat->Sleep(130);  // this tick overruns by more than two
    if (fired.size() == 7) std::tie(f.Timer1.Enabled, f.Timer2.Enabled) = std::tuple(false, true);
    if (fired.size() == 8) throw platform::ExitRequest{0};
  };
  const int64_t t0 = s.game->plat->NowUs();
  EXPECT_THROW(f.RunTimers(), platform::ExitRequest);
  // Ticks 1..3 on the grid; tick 3 ran to t0 + 144 + 130 + 1 ms (its own yield): one tick at
  // once, not three, then back on the original grid.
  const int64_t late = t0 + 144000 + 131000;
  // The title timer is due 10 ms after the tick and its 1 ms yield ended.
  const int64_t title = t0 + 384000 + 1000 + 10000;
  // clang-format off
  const std::vector<Fired> want = {
      {1, t0 + 48000, t0 + 48000},   {1, t0 + 96000, t0 + 96000},   {1, t0 + 144000, t0 + 144000},
      {1, late, late},               {1, t0 + 288000, t0 + 288000}, {1, t0 + 336000, t0 + 336000},
      {1, t0 + 384000, t0 + 384000}, {2, title, title}};
  // clang-format on
  EXPECT_EQ(fired, want);
}

// Keyboard reads in play fall 1 ms after each 48 ms tick; these taps fall between two reads.
// Escape opens the pause screen, which holds the tick until the next tap of Escape.
TEST(EventLoop, ATapBetweenTwoTicksActs) {
  for (const char* key : {"Q", "Space", "Escape"}) {
    Scene s;
    s.Play(std::string("60 press ") + key + " 5\n700 press Escape 12\n");
    const int status = ExitStatus([&] { s.Tick(2); });
    EXPECT_EQ(std::tuple(status, s.f().JumpLen > 0, s.ms() > 700),
              std::tuple(*key == 'Q' ? 0 : -1, *key == 'S', *key == 'E'))
        << key;
  }
}

TEST(EventLoop, ACloseRequestQuitsWithin100MsFromEveryWait) {
  using quelmire::Form1;
  auto title = [](Form1& f) {
    std::tie(f.Timer1.Enabled, f.Timer2.Enabled) = std::tuple(false, true);
    f.RunTimers();
  };
  const struct {
    const char* where;
    std::string script;
    int64_t closeMs;
    std::function<void(Form1&)> run;
  } cases[] = {
      {"title fade", "", 300, title},
      {"title menu", "", 3000, title},
      {"intro fade", "2500 press Enter\n", 2800, title},
      {"intro message", "2500 press Enter\n", 5000, title},
      {"play", "", 500, [](Form1& f) { f.RunTimers(); }},
      {"message", "", 300, [](Form1& f) { f.ShowMessage(U"r"); }},
      {"save prompt, saved", "100 press Down\n200 press Z\n", 300,
       [](Form1& f) { f.RunSavePrompt(); }},
      {"pause screen", "", 300, [](Form1& f) { f.ShowPauseMenu(); }},
      {"game over", "", 300, [](Form1& f) { f.PlayGameOver(); }},
      {"ending pictures", "", 17000, [](Form1& f) { f.PlayEnding(); }},
      {"ending credits", "", 40000, [](Form1& f) { f.PlayEnding(); }},
  };
  for (const auto& c : cases) {
    Scene s;
    s.Play(c.script + std::to_string(c.closeMs) + " close\n");
    EXPECT_EQ(ExitStatus([&] { c.run(s.f()); }), 0) << c.where;
    EXPECT_LE(s.ms(), c.closeMs + 100) << c.where;
    // Through QuitGame: the timers are off.
    EXPECT_FALSE(s.f().Timer1.Enabled || s.f().Timer2.Enabled) << c.where;
  }
}

}  // namespace
