// The timer loop: deadlines on a fixed grid, one timer at a time, no make-up ticks; quick
// taps seen by the play tick; a close request quitting from every kind of wait.
#include <gtest/gtest.h>

#include <functional>

#include "test_support.h"

namespace {

using namespace testing_support;

struct Fired {
  int timer;
  int64_t due, now;
};

// A game in play in a small room: a floor to stand on, nothing else.
struct PlayingGame {
  explicit PlayingGame(const std::string& script = "") {
    CopyGameData(dir.path());
    MazeFile maze(3);
    maze.Fill(20, 20, 60, 39, 0);
    maze.Write(dir.path(), 0);
    WriteRoom(dir.path(), 1, "@\r\n");
    game = std::make_unique<HeadlessGame>(dir.path(), script);
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

TEST(EventLoop, TheRunEndsAtMaxMsOrAtACloseWithStatusZero) {
  for (const char* ms : {"1234", "100000"}) {
    TempDir tmp;
    WriteFile(tmp / "in.txt", "300 close\n");
    RunResult r = RunQuelmire({"--headless", "--max-ms", ms, "--input", (tmp / "in.txt").string()});
    EXPECT_EQ(r.status, 0) << r.err;
  }
}

// Keyboard reads in play fall 1 ms after each 48 ms tick; these taps fall between two reads.
TEST(EventLoop, ATapBetweenTwoTicksActs) {
  {
    PlayingGame play("60 press Q 5\n");
    RunTicks(*play.game, 1);
    EXPECT_THROW(RunTicks(*play.game, 1), platform::ExitRequest);
    EXPECT_EQ(play.game->plat->NowUs(), 97000);
  }
  {
    PlayingGame play("60 press Space 5\n");
    RunTicks(*play.game, 2);
    EXPECT_GT(play.game->form->JumpLen, 0);
  }
  // Escape opens the pause screen, which holds the tick until the next tap of Escape.
  PlayingGame play("60 press Escape 5\n700 press Escape 12\n");
  RunTicks(*play.game, 2);
  EXPECT_GT(play.game->plat->NowUs(), 700000);
  EXPECT_TRUE(play.game->form->Timer1.Enabled);
}

TEST(EventLoop, ACloseRequestQuitsWithin100MsFromEveryWait) {
  using quelmire::Form1;
  auto title = [](Form1& f) {
    f.Timer1.Enabled = false;
    f.Timer2.Enabled = true;
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
    SCOPED_TRACE(c.where);
    PlayingGame play(c.script + std::to_string(c.closeMs) + " close\n");
    HeadlessGame& g = *play.game;
    int status = -1;
    try {
      c.run(*g.form);
    } catch (const platform::ExitRequest& e) {
      status = e.status;
    }
    EXPECT_EQ(status, 0);
    EXPECT_LE(g.plat->NowUs(), (c.closeMs + 100) * 1000);
    // Through QuitGame: the timers are off.
    EXPECT_FALSE(g.form->Timer1.Enabled || g.form->Timer2.Enabled);
  }
}

}  // namespace
