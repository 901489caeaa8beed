// The timer loop: deadlines on a fixed grid, one timer at a time, no make-up ticks; quick
// taps seen by the play tick; a close request quitting from every kind of wait.
#include <gtest/gtest.h>

#include <functional>

#include "test_support.h"

namespace {

using namespace testing_support;

TEST(EventLoop, PlayTicksFollowTheGridAnOverrunIsFollowedByOneTickAndTimersSwitchFromNow) {
  Scene s;
  s.Play();
  auto& f = s.f();
  std::vector<std::tuple<int, int64_t, int64_t>> fired;  // timer, due, now
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
  EXPECT_EQ(fired, (std::vector<std::tuple<int, int64_t, int64_t>>{
                       {1, t0 + 48000, t0 + 48000},
                       {1, t0 + 96000, t0 + 96000},
                       {1, t0 + 144000, t0 + 144000},
                       {1, late, late},
                       {1, t0 + 288000, t0 + 288000},
                       {1, t0 + 336000, t0 + 336000},
                       {1, t0 + 384000, t0 + 384000},
                       // The title timer is due 10 ms after the tick and its 1 ms yield ended.
                       {2, t0 + 384000 + 1000 + 10000, t0 + 384000 + 1000 + 10000}}));
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
