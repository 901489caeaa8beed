// What both platforms do alike: the font's advances, ink of one index clipped to the surface,
// the nearest palette entry for a colour, palette writes that never reach entry 255, bad ranges,
// text ink chosen from the palette as attached rather than as faded, and the song device's
// modes on each platform's own clock.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <map>
#include <string>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/sdl_music.h"
#include "platform/text.h"
#include "platform_fixtures.h"
#include "test_support.h"

namespace {

using platform::PaletteEntry;

TEST(Text, FullWidthAdvancesSixteenHalfWidthEightAndEachBadByteIsOneReplacement) {
  platform::TextRenderer text;
  const std::pair<const char*, int> cases[] = {{"あいう", 48},
                                               {"\u3000", 16},
                                               {"ABC xyz", 56},
                                               {"×→■～", 64},
                                               {"", 0},
                                               {"[T]:タイトル画面に戻る", 4 * 8 + 9 * 16},
                                               {"\xE3\x81", 2 * 16},
                                               {"\xFF\xC0\x80", 3 * 16}};
  for (const auto& [s, width] : cases) EXPECT_EQ(text.Width(s), width) << s;
}

TEST(Text, InkIsOneIndexOnATransparentBackgroundClippedToTheSurface) {
  platform::TextRenderer text;
  platform::Surface s(64, 32, "text");
  s.Fill(7);
  const uint64_t before = s.Generation();
  text.Draw(s, 2, 2, "あA", 200);
  EXPECT_GT(s.Generation(), before);
  int ink = 0;
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) {
      // The two glyphs fit in 25 x 17 pixels from their origin.
      const bool inBox = x >= 2 && x < 2 + 25 && y >= 2 && y < 2 + 17;
      const uint8_t v = s.At(x, y);
      ASSERT_TRUE(v == 7 || (inBox && v == 200)) << x << "," << y << " = " << int{v};
      ink += v == 200;
    }
  EXPECT_GT(ink, 30);
  // Partly or wholly outside: clipped, never written out of bounds.
  const std::pair<int, int> outside[] = {
      {-5, -9}, {60, 28}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MAX - 3, 0}};
  for (const auto& [x, y] : outside) text.Draw(s, x, y, "あいうえお", 9);
}

TEST(Text, NearestEntrySkipsTransparentAndFixedEntriesAndPrefersTheLowerIndex) {
  platform::Palette pal{};
  for (auto& e : pal) e = {10, 20, 30, 0};
  pal[2] = {255, 255, 255, 0};    // the transparent colour: never ink
  pal[255] = {255, 255, 255, 0};  // not faded: never ink
  pal[40] = pal[41] = {250, 250, 250, 0};
  pal[100] = {255, 0, 0, 0};
  // Red is the low byte: 0x1E140A is blue 30, green 20, red 10.
  EXPECT_EQ(std::tuple(platform::NearestEntry(pal, 0xFFFFFF), platform::NearestEntry(pal, 0x0000FF),
                       platform::NearestEntry(pal, 0x1E140A)),
            std::tuple(40, 100, 0));
}

// Each platform as the game makes it: windowed on SDL's dummy drivers, or headless.
class BothPlatforms : public testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<platform::Platform> Make() {
    platform::Options o;
    o.dataDir = dir_.path().string();
    if (!GetParam()) return platform::CreateHeadlessPlatform(o);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    o.windowed = true;
    return platform::CreateWindowedPlatform(o);
  }
  testing_support::TempDir dir_;
};

TEST_P(BothPlatforms, WritesKeepEntry255BadRangesAreFatalAndInkIgnoresTheFade) {
  auto p = Make();
  p->SetDisplayMode();
  platform::Palette pal{};
  for (size_t i = 0; i < 256; ++i) pal[i] = {static_cast<uint8_t>(i), 1, 2, 0};
  pal[9] = {255, 255, 255, 0};
  p->SetPalette(pal);
  // A fade to black: entries 0..254, and even a write that names 255 leaves it alone.
  std::vector<PaletteEntry> black(300);
  p->SetEntries(0, 256, black.data());
  EXPECT_TRUE(p->DisplayPalette()[254] == PaletteEntry{} && p->DisplayPalette()[255] == pal[255]);
  p->SetEntries(250, 3, pal.data());
  std::vector<PaletteEntry> got(4);
  p->GetEntries(249, 4, got.data());
  EXPECT_EQ(got, (std::vector<PaletteEntry>{{}, pal[0], pal[1], pal[2]}));
  const std::pair<int, int> badRanges[] = {{250, 7}, {-1, 1}, {0, 257}, {3, -1}, {257, 0}};
  for (const auto& [start, count] : badRanges) {
    EXPECT_THROW(p->SetEntries(start, count, black.data()), platform::FatalError) << start;
    EXPECT_THROW(p->GetEntries(start, count, black.data()), platform::FatalError) << start;
  }
  // White text drawn while the screen is dark still gets the entry that is white when lit; a
  // new palette brings its own nearest entry.
  for (const uint8_t white : {9, 12}) {
    pal[white] = {255, 255, 255, 0};
    if (white == 12) pal[9] = {}, p->SetPalette(pal);
    p->Back().Fill(0);
    p->DrawText(p->Back(), 8, 8, "あA", 0xFFFFFF);
    std::map<int, int> count;
    for (int y = 8; y < 24; ++y)
      for (int x = 8; x < 32; ++x) ++count[p->Back().At(x, y)];
    EXPECT_TRUE(count.size() == 2 && count[white] > 20) << count.size();
  }
  p->Flip();
  p->CloseDisplay();
  p->CloseDisplay();  // twice is harmless (the top level may close after a failure)
}

TEST_P(BothPlatforms, SongModesFollowPlayStopSeekAndTheLastEventOnThePlatformsClock) {
  auto p = Make();
  try {
    p->OpenSoundDevice();
  } catch (const platform::FatalError& e) {
    GTEST_SKIP() << "no audio driver here: " << e.what();
  }
  if (GetParam() && platform::FindSoundfont().empty()) GTEST_SKIP() << "no soundfont installed";
  using namespace platform_fixtures;
  // Division 96: two quarter notes at 0.5 s, then two at 0.125 s; 1.25 s in all.
  const auto song = (dir_ / "song.mid").string();
  testing_support::WriteFile(song, Midi(0, 96,
                                        {Tempo(0, 500000) + NoteOn(0, 60) + Tempo(192, 125000) +
                                         NoteOff(192, 60) + EndOfTrack(0)}));
  platform::MusicDevice& m = p->Music();
  // Seconds until the song reports stopped. Real time is allowed some lateness, and its end
  // must still come at once (a player's own end report comes two seconds late).
  auto run = [&] {
    const int64_t t0 = p->NowUs();
    while (m.Mode() == "playing" && p->NowUs() - t0 < 20000000) p->Sleep(1);
    return static_cast<double>(p->NowUs() - t0) / 1e6;
  };
  const double early = GetParam() ? 0.2 : 0.001, late = GetParam() ? 0.5 : 0.001;
  // Each call's failure, if any, and the mode after it.
  auto step = [&](int result) { return (result ? "failed, " : "") + m.Mode(); };
  using Steps = std::vector<std::string>;
  // Nothing open yet; open, not started; then given at once, before a soundfont can have
  // loaded: the song must still start.
  EXPECT_EQ((Steps{step(m.Play()), step(m.Open(song)), step(m.SetTimeFormatSongPointer()),
                   step(m.Play())}),
            (Steps{"failed, ", "stopped", "stopped", "playing"}));
  EXPECT_GT(run(), 1.2);
  // From the start, from song position 8 (the tempo change), and past the end.
  for (const auto& [from, seconds] : {std::pair(0, 1.25), {8, 0.25}, {64, 0.0}}) {
    EXPECT_EQ(step(m.SeekStart()), "stopped");
    ASSERT_EQ(m.PlayFrom(from), 0);
    const double s = run();
    EXPECT_TRUE(s > seconds - early && s < seconds + late) << from << ": " << s;
  }
  // Stopped one quarter note past the tempo change it stays stopped, and Play goes on from there.
  ASSERT_EQ(m.PlayFrom(0), 0);
  p->Sleep(1125);
  const std::string stopped = step(m.Stop());
  p->Sleep(300);
  EXPECT_EQ((Steps{stopped, m.Mode(), step(m.Play())}), (Steps{"stopped", "stopped", "playing"}));
  const double rest = run();
  EXPECT_TRUE(rest > 0.125 - early && rest < 0.125 + late) << rest;
  // A seek stops a playing song; a new song closes the previous one; closing leaves none.
  EXPECT_EQ((Steps{step(m.PlayFrom(0)), step(m.SeekStart()), step(m.Open(song)), step(m.Close())}),
            (Steps{"playing", "stopped", "stopped", ""}));
  p->CloseSoundDevice();
  EXPECT_EQ(m.Mode(), "");
}

INSTANTIATE_TEST_SUITE_P(Each, BothPlatforms, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Windowed" : "Headless"; });

}  // namespace
