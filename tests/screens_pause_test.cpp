// The pause screen: it opens on a held Escape without closing again, closes on a new press
// once Escape is released, goes back to the title on T, ends the program on Q, and shows the
// held items.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace testing_support;

TEST(PauseScreen, ItClosesOnANewEscapeOnlyOnceThatIsReleasedTGoesToTheTitleAndQEnds) {
  // Escape is down when the screen opens (the press that opened it) and stays down 1 s; a
  // closing press held 1 s holds the screen until it is up again. T switches the timers for
  // the title after the tick; Q quits (status 0) through QuitGame, which stops both.
  const std::tuple<std::string, long long, long long, int, bool, bool> cases[] = {
      {"0 down Escape\n1000 up Escape\n2000 press Escape\n", 2000, 2200, -1, true, false},
      {"500 down Escape\n1500 up Escape\n", 1500, 1700, -1, true, false},
      {"500 press T\n", 500, 600, -1, false, true},
      {"500 press Q\n", 500, 600, 0, false, false}};
  for (const auto& [script, minMs, maxMs, status, timer1, timer2] : cases) {
    Scene s;
    s.Play(script);
    auto& f = s.f();
    const long long frames = f.FrameCount;
    EXPECT_EQ(ExitStatus([&] { f.ShowPauseMenu(); }), status) << script;
    EXPECT_TRUE(s.ms() >= minMs && s.ms() < maxMs) << s.ms() << " ms after " << script;
    // One pass of the screen is a 48 ms sleep and a yield: the animation counter went round.
    EXPECT_NE(f.FrameCount, frames);
    EXPECT_EQ(std::tuple(f.Timer1.Enabled, f.Timer2.Enabled), std::tuple(timer1, timer2));
  }
}

TEST(PauseScreen, HeldItemsShowTheirPicturesAndNames) {
  // Looked at twice: with nothing held, and with orb 1, key 10, the fairy shoes (34) and 255
  // crystals (a byte: three digits at most).
  Scene s;
  s.Play(s.Probe(300) + s.Probe(600) + "900 press Escape\n");
  auto& f = s.f();
  std::vector<std::vector<uint8_t>> shots;
  s.probe = [&](long long) {
    shots.push_back(s.Screen());
    std::tie(f.ItemCount(1), f.ItemCount(10), f.ItemCount(34), f.ItemCount(0)) =
        std::tuple(1, 1, 1, 255);
  };
  f.ShowPauseMenu();
  ASSERT_EQ(shots.size(), 2u);
  const std::tuple<const char*, int, int, int, int, bool> areas[] = {
      {"orb 1", 32, 174, 64, 206, true},     {"orb 1's name", 15, 208, 80, 224, true},
      {"key 10", 280, 64, 312, 96, true},    {"key 10's name", 316, 79, 380, 95, true},
      {"item 34", 520, 224, 552, 256, true}, {"crystals", 82, 55, 136, 79, true},
      {"orb 2", 192, 254, 224, 286, false}};
  for (const auto& [what, left, top, right, bottom, changes] : areas) {
    int changed = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) changed += shots[0][y * 640 + x] != shots[1][y * 640 + x];
    }
    EXPECT_TRUE(changes ? changed > 20 : changed == 0) << what << ": " << changed;
  }
}

}  // namespace
