// Palette fades on the real start-up palette: levels, timing, entry 255.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace testing_support;
using quelmire::Form1;

class Fades : public ::testing::Test {
 protected:
  void SetUp() override {
    g = std::make_unique<HeadlessGame>(BuiltGameDir(), "");
    g->form->Form_Load();
  }
  Form1& f() { return *g->form; }
  int64_t ms() { return g->plat->NowUs() / 1000; }
  const platform::Palette& shown() { return g->plat->DisplayPalette(); }
  std::unique_ptr<HeadlessGame> g;
};

TEST_F(Fades, BlackFadeOutAndInTakeSeventeenStepsOf48Ms) {
  const platform::PaletteEntry kept = shown()[255];
  int64_t t0 = ms();
  f().FadePalette(16, 0, -1);
  EXPECT_EQ(ms() - t0, 816);
  for (int i = 0; i < 255; ++i) {
    EXPECT_EQ(shown()[i].r + shown()[i].g + shown()[i].b, 0) << i;
  }
  EXPECT_EQ(shown()[255], kept);  // entry 255 never fades
  t0 = ms();
  f().FadePalette(0, 16, 1);
  EXPECT_EQ(ms() - t0, 816);
  for (int i = 0; i < 255; ++i) {
    EXPECT_EQ(shown()[i].r, f().BasePalette(i).r) << i;
    EXPECT_EQ(shown()[i].b, f().BasePalette(i).b) << i;
  }
  EXPECT_EQ(shown()[255], kept);
}

TEST_F(Fades, PartialAndEmptyFades) {
  f().FadePalette(16, 0, -1);
  int64_t t0 = ms();
  f().FadePalette(15, 16, 1);  // two steps: 15/16, then full
  EXPECT_EQ(ms() - t0, 96);
  EXPECT_EQ(f().WorkPalette(1).r, f().BasePalette(1).r);
  t0 = ms();
  f().FadePalette(16, 0, 1);  // from already past to: nothing
  f().FadePalette(0, 16, -1);
  f().FadePalette(0, 16, 0);  // a zero step would never end: nothing
  EXPECT_EQ(ms() - t0, 0);
}

TEST_F(Fades, ComponentFormulasRoundHalfToEven) {
  f().BasePalette(10) = {200, 100, 1, 0};
  f().WriteFadeLevel(0, 8);  // black, half way
  EXPECT_EQ(f().WorkPalette(10).r, 100);
  EXPECT_EQ(f().WorkPalette(10).g, 50);
  EXPECT_EQ(f().WorkPalette(10).b, 0);  // 0.5 rounds to even
  EXPECT_EQ(shown()[10].r, 100);
  f().WriteFadeLevel(1, 8);  // white, half way: 227.5 rounds to 228
  EXPECT_EQ(f().WorkPalette(10).r, 228);
  f().WriteFadeLevel(2, 0);  // red fade at its deepest
  EXPECT_EQ(f().WorkPalette(10).r, 255);
  EXPECT_EQ(f().WorkPalette(10).g, 0);
  f().WriteFadeLevel(2, 16);
  EXPECT_EQ(f().WorkPalette(10).r, 200);
  EXPECT_EQ(f().WorkPalette(10).g, 100);
}

TEST_F(Fades, WhiteFlashTakes96MsSteps) {
  const platform::PaletteEntry kept = shown()[255];
  int64_t t0 = ms();
  f().FadeToWhite();
  EXPECT_EQ(ms() - t0, 17 * 96);
  for (int i = 0; i < 255; ++i) {
    EXPECT_EQ(shown()[i].r & shown()[i].g & shown()[i].b, 255) << i;
  }
  EXPECT_EQ(shown()[255], kept);
  f().FadeFromWhite();
  for (int i = 0; i < 255; ++i) EXPECT_EQ(shown()[i].g, f().BasePalette(i).g) << i;
}

}  // namespace
