// The timer loop: deadlines on a fixed grid, one timer at a time, no make-up ticks.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace testing_support;

struct Fired {
  int timer;
  int64_t due, now;
};

// A game in play in a small room: a floor to stand on, nothing else.
struct PlayingGame {
  PlayingGame() {
    CopyGameData(dir.path());
    MazeFile maze(3);
    maze.Fill(20, 20, 60, 39, 0);
    maze.Write(dir.path(), 0);
    WriteRoom(dir.path(), 1, "@\r\n");
    game = std::make_unique<HeadlessGame>(dir.path(), "");
    StartPlay(*game, 0, 1, 40, 39);
  }
  TempDir dir;
  std::unique_ptr<HeadlessGame> game;
};

TEST(EventLoop, PlayTicksFollowTheGridAndAnOverrunIsFollowedByOneTick) {
  PlayingGame play;
  HeadlessGame& g = *play.game;
  auto& f = *g.form;
  std::vector<Fired> fired;
  f.OnTimerFired = [&](int timer, int64_t due, int64_t now) {
    fired.push_back({timer, due, now});
    if (fired.size() == 3) g.plat->Sleep(130);  // this tick overruns by more than two ticks
    if (fired.size() == 8) throw platform::ExitRequest{0};
  };
  const int64_t start = g.plat->NowUs();
  EXPECT_THROW(f.RunTimers(), platform::ExitRequest);
  ASSERT_EQ(fired.size(), 8u);
  for (const auto& t : fired) EXPECT_EQ(t.timer, 1);
  // Ticks 1..3 on the grid.
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(fired[k].due, start + 48000 * (k + 1));
    EXPECT_EQ(fired[k].now, fired[k].due);
  }
  // Tick 3 ran to start + 144 + 130 + 1 (its own yield): one tick at once, not three.
  EXPECT_EQ(fired[3].now, start + 144000 + 131000);
  // Then back on the original grid.
  EXPECT_EQ(fired[4].due, start + 48000 * 6);
  EXPECT_EQ(fired[5].due, start + 48000 * 7);
  EXPECT_EQ(fired[5].now, fired[5].due);
}

TEST(EventLoop, SwitchingTimersStartsTheNewIntervalFromNow) {
  PlayingGame play;
  HeadlessGame& g = *play.game;
  auto& f = *g.form;
  std::vector<Fired> fired;
  f.OnTimerFired = [&](int timer, int64_t due, int64_t now) {
    fired.push_back({timer, due, now});
    if (fired.size() == 1) {  // play hands over to the title timer
      f.Timer1.Enabled = false;
      f.Timer2.Enabled = true;
    }
    if (fired.size() == 2) throw platform::ExitRequest{0};
  };
  EXPECT_THROW(f.RunTimers(), platform::ExitRequest);
  ASSERT_EQ(fired.size(), 2u);
  EXPECT_EQ(fired[1].timer, 2);
  // The tick yielded once (1 ms); the title timer is due 10 ms after the tick ended.
  EXPECT_EQ(fired[1].due, fired[0].now + 1000 + 10000);
}

TEST(EventLoop, TheRunEndsAtMaxMs) {
  RunResult r = RunQuelmire({"--headless", "--max-ms", "1234"});
  EXPECT_EQ(r.status, 0) << r.err;
}

}  // namespace
