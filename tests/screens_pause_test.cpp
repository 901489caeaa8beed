// The pause screen: it opens on a held Escape without closing again, closes on a new press,
// and leaves play for the title on T and for good on Q.
#include <gtest/gtest.h>

#include <memory>

#include "screens_support.h"

namespace {

using namespace screens_test;

using Paused = SmallWorldPlay;

std::string At(long long ms, const std::string& action) {
  return std::to_string(ms) + " " + action + "\n";
}

TEST(PauseScreen, AHeldEscapeDoesNotCloseItAndANewPressDoes) {
  // Escape is down when the screen opens (the press that opened it) and stays down 1 s.
  Paused p([](const Probes&) {
    return At(0, "down Escape") + At(1000, "up Escape") + At(2000, "press Escape");
  });
  auto& f = p.f();
  const long long start = p.ms();
  const long long frames = f.FrameCount;
  f.ShowPauseMenu();
  EXPECT_GE(p.ms(), 2000);
  EXPECT_LT(p.ms(), 2200);
  EXPECT_GE(start, 0);
  // One pass of the screen is a 48 ms sleep and a yield: the animation counter went round.
  EXPECT_GT(f.FrameCount, 0);
  EXPECT_NE(f.FrameCount, frames);
  EXPECT_TRUE(f.Timer1.Enabled);
  EXPECT_FALSE(f.Timer2.Enabled);
}

TEST(PauseScreen, ClosingWaitsForEscapeToBeReleased) {
  Paused p([](const Probes&) { return At(500, "down Escape") + At(1500, "up Escape"); });
  p.f().ShowPauseMenu();
  EXPECT_GE(p.ms(), 1500) << "it returns only once Escape is up again";
}

TEST(PauseScreen, TReturnsToTheTitleAfterTheTick) {
  Paused p([](const Probes&) { return At(500, "press T"); });
  auto& f = p.f();
  f.ShowPauseMenu();
  EXPECT_FALSE(f.Timer1.Enabled);
  EXPECT_TRUE(f.Timer2.Enabled);
}

TEST(PauseScreen, QEndsTheProgram) {
  Paused p([](const Probes&) { return At(500, "press Q"); });
  EXPECT_THROW(p.f().ShowPauseMenu(), platform::ExitRequest);
  EXPECT_FALSE(p.f().Timer1.Enabled);
}

TEST(PauseScreen, HeldItemsShowTheirPicturesAndNames) {
  // Probed twice: with nothing held, and with orb 1, key 10 and the fairy shoes (34).
  Paused p([](const Probes& pr) { return pr.At(300) + pr.At(600) + At(900, "press Escape"); });
  auto& f = p.f();
  std::vector<std::vector<uint8_t>> shots;
  p.probes.probe = [&](long long ms) {
    const auto& s = *f.PrimarySurface;
    shots.emplace_back(s.Pixels(), s.Pixels() + 640 * 480);
    if (ms < 500) {
      f.ItemCount(1) = 1;
      f.ItemCount(10) = 1;
      f.ItemCount(34) = 1;
      f.ItemCount(0) = 255;
    }
  };
  f.ShowPauseMenu();
  ASSERT_EQ(shots.size(), 2u);
  auto changed = [&](int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x)
        n += shots[0][static_cast<size_t>(y * 640 + x)] !=
             shots[1][static_cast<size_t>(y * 640 + x)];
    }
    return n;
  };
  // Orb 1's frame is at (16, 168): the orb at (32, 174), its name below at (15, 208).
  EXPECT_GT(changed(32, 174, 64, 206), 20);
  EXPECT_GT(changed(15, 208, 80, 224), 20);
  // Key 10 in the first column: picture at (280, 64), name at (316, 79).
  EXPECT_GT(changed(280, 64, 312, 96), 20);
  EXPECT_GT(changed(316, 79, 380, 95), 20);
  // Item 34 in the third column, row 4: picture at (520, 224).
  EXPECT_GT(changed(520, 224, 552, 256), 20);
  // The crystal count's digits (82..136, 55..79) changed from 000 to 255.
  EXPECT_GT(changed(82, 55, 136, 79), 20);
  // Orb 2 (not held) did not change.
  EXPECT_EQ(changed(192, 254, 224, 286), 0);
}

}  // namespace
