// Palette fades on the real start-up palette: levels, timing, entry 255.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "test_support.h"

namespace {

using namespace testing_support;
using quelmire::Form1;

TEST(Fades, EachTakesItsStepsToItsLevelKeepingEntry255AndRoundsHalfToEven) {
  HeadlessGame game(BuiltGameDir(), "");
  Form1& f = *game.form;
  f.Form_Load();
  const platform::Palette& shown = game.plat->DisplayPalette();
  const platform::PaletteEntry kept = shown[255];
  // A fade, its length in ms, and the grey level entries 0..254 then show (-1: the base palette).
  const std::tuple<std::function<void()>, int, int> fades[] = {
      {[&] { f.FadePalette(16, 0, -1); }, 17 * 48, 0},
      {[&] { f.FadePalette(0, 16, 1); }, 17 * 48, -1},
      {[&] { f.FadeToWhite(); }, 17 * 96, 255},
      {[&] { f.FadeFromWhite(); }, 17 * 96, -1},
      {[&] { f.FadePalette(16, 0, -1); }, 17 * 48, 0},
      {[&] { f.FadePalette(15, 16, 1); }, 2 * 48, -1},  // two steps: 15/16, then full
      // From already past to, and a zero step that would never end: nothing.
      {[&] {
         f.FadePalette(16, 0, 1);
         f.FadePalette(0, 16, -1);
         f.FadePalette(0, 16, 0);
       },
       0, -1},
  };
  for (const auto& [fade, length, level] : fades) {
    const int64_t t0 = game.plat->NowUs();
    fade();
    EXPECT_EQ(game.plat->NowUs() - t0, length * 1000);
    for (int i = 0; i < 255; ++i) {
      const auto &s = shown[i], &base = f.BasePalette(i);
      ASSERT_EQ(std::tuple(s.r, s.g, s.b),
                (level < 0 ? std::tuple(base.r, base.g, base.b)
                           : std::tuple<uint8_t, uint8_t, uint8_t>(level, level, level)))
          << "entry " << i << " after a fade of " << length << " ms";
    }
    EXPECT_EQ(shown[255], kept);  // entry 255 never fades
  }

  f.BasePalette(10) = {200, 100, 1, 0};
  const int cases[][5] = {
      // kind, level, then red, green and blue
      {0, 8, 100, 50, 0},     // black, half way: 0.5 rounds to even
      {1, 8, 228, 178, 128},  // white, half way: 227.5 rounds to 228
      {2, 0, 255, 0, 0},      // red at its deepest
      {2, 16, 200, 100, 1},
  };
  for (const auto& [kind, level, r, g, b] : cases) {
    f.WriteFadeLevel(kind, level);
    const auto& w = f.WorkPalette(10);
    EXPECT_EQ(std::tuple(w.r, w.g, w.b), std::tuple(r, g, b)) << kind << "," << level;
    EXPECT_EQ(shown[10].r, w.r);
  }
}

}  // namespace
