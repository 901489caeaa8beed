// The play tick as a whole: what runs only while play is enabled, events under the heroine,
// the one-cell scroll of the map buffer, the end-of-tick tests (ending before game over, the
// quit and title keys), the animation counter and the music repeat.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "play_world.h"

namespace {

using namespace play_testing;
using quelmire::False;
using quelmire::True;

TEST(PlayTick, NothingMovesWhilePlayIsSwitchedOff) {
  // Through the timer loop: with Timer1 off no tick runs, whatever is pressed.
  {
    PlayWorld w;
    w.Start(30, At(1, "down Right") + At(2, "press Space") + At(3, "down Down") + At(20, "quit"));
    auto& f = w.f();
    f.Timer1.Enabled = false;
    const auto before = f.StateJson();
    EXPECT_THROW(f.RunTimers(), platform::ExitRequest);
    EXPECT_EQ(f.StateJson(), before);
  }
  // A tick run while Timer1 is off (as a warp composes its new scene) ignores walking, the
  // jump and the event under her, even a "%" one.
  PlayWorld w;
  w.Start(30, At(1, "down Right") + At(2, "press Space") + At(2, "press Up"),
          "ev,30,39,\"%fg001+01\"\n@\n");
  auto& f = w.f();
  f.Timer1.Enabled = false;
  f.FrameCount = 190;
  w.Tick(2);
  // The rest of the tick still runs: FrameCount 191, then round to 0.
  EXPECT_EQ(std::tuple(w.p().VX, w.p().VY, f.AirTime, f.Flags(1), f.FrameCount),
            std::tuple(0, 0, 0, 0, 0));
}

TEST(PlayTick, EventsRunEveryTickWithPercentOtherwiseOncePerUpPress) {
  PlayWorld w;
  w.Start(30, At(2, "down Up") + At(8, "up Up") + At(9, "press Up"),
          "ev,30,39,\"%fg001+01\"\nev,31,39,\"fg002+01\"\n@\n");
  auto& f = w.f();
  w.Tick(5);
  EXPECT_EQ(f.Flags(1), 5);  // on every tick she stands there
  w.p().X = 31;
  f.BuildRoom();
  w.Tick(3);  // Up held since tick 2: no fresh press on this cell yet
  EXPECT_EQ(f.Flags(2), 0);
  w.Tick(2);  // released at 8, pressed at 9
  EXPECT_EQ(std::tuple(f.Flags(1), f.Flags(2)), std::tuple(5, 1));
}

TEST(PlayTick, CrossingACellBothWaysAtOnceShiftsTheBufferOnce) {
  // A varied backdrop of free tiles, so that a wrong shift shows.
  PlayWorld w;
  std::mt19937 rng(7);
  const int freeTiles[] = {9, 13, 14, 22, 56, 57, 64, 96, 136};
  for (int r = 0; r < kFloorRow; ++r) {
    for (int c = 0; c < 256; ++c) w.maze.Set(c, r, freeTiles[rng() % 9]);
  }
  w.Start(60, "", "@\n", 25);
  auto& f = w.f();
  ASSERT_TRUE(w.MapBufferIsCurrent());
  struct Move {
    int offX, vx, offY, vy;
  };
  // Right and down, left and up, right and up, left and down.
  const Move moves[] = {{14, 8, 14, 8}, {-15, -8, -14, -10}, {14, 8, -14, -10}, {-15, -8, 14, 8}};
  for (const Move& m : moves) {
    auto& p = w.p();
    const int x = p.X, y = p.Y;
    p.OffX = static_cast<int16_t>(m.offX);
    p.VX = static_cast<int16_t>(m.vx);
    p.OffY = static_cast<int16_t>(m.offY);
    p.VY = static_cast<int16_t>(m.vy);
    f.AirTime = 5;
    f.JumpLen = 0;
    w.Tick();
    EXPECT_EQ(p.X, x + (m.vx > 0 ? 1 : -1));
    EXPECT_EQ(p.Y, y + (m.vy > 0 ? 1 : -1));
    EXPECT_TRUE(w.MapBufferIsCurrent()) << m.offX << "," << m.offY;
  }
}

TEST(PlayTick, EndingRunsBeforeGameOverInTheSameTick) {
  PlayWorld w;
  std::string keys;
  for (int ms = 1000; ms < 400000; ms += 500) keys += std::to_string(ms) + " press Space 100\n";
  w.Start(30, keys);
  auto& f = w.f();
  f.EndingFlag = 1;
  f.Life = 0;
  w.Tick();
  EXPECT_EQ(std::tuple(f.Timer1.Enabled, f.Timer2.Enabled), std::tuple(false, true));
  // The ending's pictures alone take two 4.5 s pauses; the game-over song opens after them.
  int64_t gameOverSong = -1;
  const Json state = w.State();
  for (const Json& op : state["music"].arr) {
    if (op["op"].str == "open" && op["arg"].str.find("vorn08") != std::string::npos) {
      gameOverSong = op["ms"].Int();
    }
  }
  EXPECT_GT(gameOverSong, 48 + 9000);
}

TEST(PlayTick, QuitAndTitleKeysActAtOnce) {
  {
    PlayWorld w;
    w.Start(30, At(2, "down T"));
    auto& f = w.f();
    w.Tick(2);
    EXPECT_EQ(std::tuple(f.Timer1.Enabled, f.Timer2.Enabled, f.FrameCount),
              std::tuple(false, true, 2));
  }
  PlayWorld w;
  w.Start(30, At(2, "down Q"));
  w.Tick();
  try {
    w.Tick();
    ADD_FAILURE() << "Q did not quit";
  } catch (const platform::ExitRequest& e) {
    EXPECT_EQ(e.status, 0);
  }
}

TEST(PlayTick, StoppedSongRestartsFromPosition16WhileMusicIsOn) {
  PlayWorld w;
  w.Start(30);
  auto& f = w.f();
  f.BGM_OPEN(f.SongPath(1));  // open, not playing: the device says stopped
  f.MusicOn = True;
  w.Tick();
  const Json s = w.State();
  const auto& ops = s["music"].arr;
  ASSERT_GE(ops.size(), 2u);
  EXPECT_EQ(ops[ops.size() - 2]["op"].str, "seek_start");
  EXPECT_EQ(ops.back()["op"].str, "play_from");
  EXPECT_EQ(ops.back()["arg"].Int(), 16);
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
                std::to_string(48 * (t + k) + 10) + " press Z 30\n";
      t += 2 * k + 2;  // back to the unpanned view
    }
  }
  PlayWorld w;
  w.Start(30, script, "ev,30,39,\"ms看板]fg001+01\"\n@\n");
  auto& f = w.f();
  f.Obj(1).X = 30, f.Obj(1).Y = 39;
  int tick = 0;
  for (const auto& [release, sign] : releases) {
    w.Tick(release - 1 - tick);
    if (!sign) f.Obj(1).Kind = 21;  // an item at her feet
    w.Tick();
    tick = release;
    EXPECT_EQ(f.AirTime, 0) << release;  // the key that closed it made no jump
  }
  w.Tick(t - tick);
  // Every message was shown, and play went on.
  EXPECT_EQ(std::tuple(f.ItemCount(1), f.Flags(1), f.LookRow, f.LookPx), std::tuple(24, 24, 0, 0));
}

}  // namespace
