// What both platforms do alike: the font's advances, ink of one index clipped to the surface,
// the nearest palette entry for a colour, palette writes that never reach entry 255, bad ranges,
// text ink chosen from the palette as attached rather than as faded, and the song device's
// modes on each platform's own clock. Surfaces: rectangle copies with and without the colour
// key, their bounds, copies of a surface onto itself, flips, 256-colour BMP loading, and
// screenshot PNGs.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <tuple>

#include "platform/sdl_music.h"
#include "platform/surface.h"
#include "platform/text.h"
#include "platform_fixtures.h"
#include "test_support.h"

namespace {

using namespace platform;
using namespace platform_fixtures;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(Text, AdvancesInkAndTheNearestEntry) {
  TextRenderer text;
  // Full width advances 16, half width 8, and each bad byte is one replacement.
  const char* texts[] = {
      "あいう",   "\u3000",      "ABC xyz", "×→■～", "", "[T]:タイトル画面に戻る",
      "\xE3\x81", "\xFF\xC0\x80"};
  const int widths[] = {48, 16, 56, 64, 0, 4 * 8 + 9 * 16, 2 * 16, 3 * 16};
  for (size_t i = 0; i < std::size(texts); ++i)
    EXPECT_EQ(text.Width(texts[i]), widths[i]) << texts[i];
  // Ink is one index on a transparent background, clipped to the surface.
  Surface s(64, 32, "text");
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
  // The bold keeps one-pixel gaps: the three strokes of each letter stay apart in some row
  // (a plain one-pixel smear fills W and M of the 8-pixel half width solid).
  for (const char* letter : {"W", "M", "w", "m"}) {
    Surface g(16, 20, "glyph");
    g.Fill(0);
    text.Draw(g, 0, 0, letter, 1);
    int most = 0;
    for (int y = 0; y < g.Height(); ++y) {
      int runs = 0;
      for (int x = 0; x < g.Width(); ++x)
        runs += g.At(x, y) == 1 && (x == 0 || g.At(x - 1, y) == 0);
      most = std::max(most, runs);
    }
    EXPECT_GE(most, 3) << letter;
  }
  // Partly or wholly outside: clipped, never written out of bounds.
  const std::pair<int, int> outside[] = {
      {-5, -9}, {60, 28}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MAX - 3, 0}};
  for (const auto& [x, y] : outside) text.Draw(s, x, y, "あいうえお", 9);
  // The nearest entry skips the transparent and the fixed entries and prefers the lower index.
  Palette pal{};
  for (auto& e : pal) e = {10, 20, 30, 0};
  pal[2] = {255, 255, 255, 0};    // the transparent colour: never ink
  pal[255] = {255, 255, 255, 0};  // not faded: never ink
  pal[40] = pal[41] = {250, 250, 250, 0};
  pal[100] = {255, 0, 0, 0};
  // Red is the low byte: 0x1E140A is blue 30, green 20, red 10.
  EXPECT_EQ(std::tuple(NearestEntry(pal, 0xFFFFFF), NearestEntry(pal, 0x0000FF),
                       NearestEntry(pal, 0x1E140A)),
            std::tuple(40, 100, 0));
}

TEST(BltFast, CopiesMatchAPixelByPixelReferenceAndRectanglesOutsideTheSurfacesAreFatal) {
  // Keyed copies skip low..high only when the source has a key. The map buffer scrolls by
  // copying onto itself: each direction must read the source before overwriting it.
  const std::tuple<bool, bool, uint8_t> keys[] = {
      {false, true, 2}, {true, true, 2}, {true, true, 5}, {true, false, 2}};
  const int moves[][2] = {{5, 0},   {-5, 0}, {0, 7},  {0, -7}, {3, 4},
                          {-3, -4}, {6, -2}, {-6, 2}, {30, 40}};  // the last onto another surface
  const Rect r{8, 8, 40, 32};
  for (const auto& [keyed, hasKey, high] : keys) {
    for (const auto& [dx, dy] : moves) {
      SCOPED_TRACE(testing::Message() << keyed << hasKey << int{high} << " " << dx << "," << dy);
      Surface src(48, 40, "map buffer"), other(100, 80, "back buffer");
      Pattern(src);
      if (hasKey) src.SetColorKey(2, high);
      other.Fill(9);
      Surface& dst = dx == 30 ? other : src;
      Surface want = dst;
      for (int j = r.Top; j < r.Bottom; ++j)
        for (int i = r.Left; i < r.Right; ++i) {
          const uint8_t p = src.At(i, j);
          if (!keyed || !hasKey || p < 2 || p > high) want.At(i + dx, j + dy) = p;
        }
      const uint64_t before = dst.Generation();
      BltFast(dst, 8 + dx, 8 + dy, src, r, keyed);
      EXPECT_TRUE(
          std::equal(dst.Pixels(), dst.Pixels() + dst.Width() * dst.Height(), want.Pixels()) &&
          dst.Generation() > before);
    }
  }
  // Rectangles outside their surfaces are fatal and name both surfaces.
  Surface src(164, 168, "chr1.bmp"), dst(640, 480, "back buffer");
  const std::string full =
      "copy from \"chr1.bmp\" (0,128)-(165,168) to \"back buffer\" at (16,16): "
      "source rectangle outside the 164x168 surface";
  const std::tuple<int, int, Rect, std::string> cases[] = {
      {16, 16, {0, 128, 165, 168}, full},
      {600, 0, {0, 0, 41, 10}, "(600,0): destination outside the 640x480 surface"},
      {0, 0, {-1, 0, 10, 10}, "source rectangle outside"},
      {0, 0, {0, 160, 10, 169}, "source rectangle outside"},
      {0, 0, {5, 5, 5, 10}, "empty source rectangle"},
      {0, 0, {10, 10, 5, 20}, "empty source rectangle"},
      {-1, 0, {0, 0, 4, 4}, "destination outside"},
      {0, 479, {0, 0, 4, 2}, "destination outside"},
      // Extreme values are reported, not overflowed.
      {0x7FFFFFF0, 0, {0, 0, 100, 1}, "destination outside"},
      {0, 0, {INT32_MIN, 0, INT32_MAX, 1}, "outside"},
      {476, 312, {0, 0, 164, 168}, ""},  // touching the far edges exactly
  };
  for (const auto& [x, y, r, expected] : cases) {
    const std::string error = ErrorOf([&] { BltFast(dst, x, y, src, r, false); });
    EXPECT_TRUE(expected.empty() ? Holds(error) : Holds(error, {expected}));
  }
  // A flip exchanges pictures of equal size, and both are shown anew.
  Surface a(4, 4, "visible surface"), b(4, 4, "back buffer"), c(5, 4, "odd");
  a.Fill(1);
  const uint64_t ga = a.Generation(), gb = b.Generation();
  a.SwapPixels(b);
  EXPECT_TRUE(a.At(3, 3) == 0 && b.At(0, 0) == 1 && a.Generation() > ga && b.Generation() > gb);
  EXPECT_THROW(a.SwapPixels(c), FatalError);
}

TEST(ImageFiles, BitmapsLoadOrNameTheirFault) {
  TempDir dir;
  // Bottom up, top down, large headers, and a short palette (the rest of it stays black).
  const BmpLayout good[] = {{},
                            {.width = 6, .height = 4, .topDown = true},
                            {.width = 4, .height = 2, .headerSize = 124},
                            {.width = 7, .height = 3, .headerSize = 108},
                            {.width = 3, .height = 2, .colours = 16}};
  for (const auto& c : good) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    WriteFile(dir / "a.bmp", Bmp(c));
    const auto s = LoadBmp8((dir / "a.bmp").string(), "chr0.bmp");
    ASSERT_EQ(std::tuple(s->Name(), s->Width(), s->Height()),
              std::tuple("chr0.bmp", static_cast<int>(c.width), c.height));
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < s->Width(); ++x) ASSERT_EQ(s->At(x, y), x + 10 * y) << x << "," << y;
    // The last entry read, and the one after a short palette.
    const auto last = static_cast<uint8_t>(c.colours ? c.colours - 1 : 255);
    EXPECT_EQ(s->filePalette[last],
              (PaletteEntry{last, static_cast<uint8_t>(~last), static_cast<uint8_t>(last / 2), 0}));
    EXPECT_TRUE(last == 255 || s->filePalette[last + 1] == PaletteEntry{});
  }
  const std::string bmp = Bmp({.width = 8, .height = 8});
  const std::pair<std::string, std::string> bad[] = {
      {Bmp({.width = 4, .height = 2, .bits = 24, .colours = 1}), "not an 8-bit bitmap (24 bits"},
      {Bmp({.compression = 1}), "compressed"},
      {Bmp({.width = 0}), "bad size"},
      {bmp.substr(0, bmp.size() - 1), "truncated pixel data"},
      {bmp.substr(0, 14 + 40 + 100), "truncated palette"},
      {bmp.substr(0, 30), "truncated header"},
      {"BM" + std::string(12, '\0') + Le32(12) + std::string(8, '\0'), "unsupported header"},
      {"", "no \"BM\" signature"},
      {"-", "cannot open"},
  };
  for (const auto& [bytes, expected] : bad) {
    const auto path = (dir / (bytes == "-" ? "bitmap/bgv.bmp" : "bgv.bmp")).string();
    if (bytes != "-") WriteFile(path, bytes);
    EXPECT_TRUE(Holds(ErrorOf([&] { LoadBmp8(path, "test"); }), {path + ": ", expected}));
  }
  // Screenshots (their pixels are checked through the headless platform's own) name a folder
  // they cannot be written to.
  EXPECT_THROW(WritePng((dir / "no/such/x.png").string(), Surface(1, 1, "x"), Palette{}),
               FatalError);
}

// Each platform as the game makes it: windowed on SDL's dummy drivers, or headless.
class BothPlatforms : public testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<Platform> Make() { return MakePlatform(dir_.path().string(), GetParam()); }
  testing_support::TempDir dir_;
};

TEST_P(BothPlatforms, PaletteWritesKeepEntry255InkIgnoresTheFadeAndSongModesFollowTheClock) {
  auto p = Make();
  p->SetDisplayMode();
  Palette pal{};
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
    EXPECT_THROW(p->SetEntries(start, count, black.data()), FatalError) << start;
    EXPECT_THROW(p->GetEntries(start, count, black.data()), FatalError) << start;
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
  // The song device's modes follow play, stop, seek and the last event on the platform's clock.
  try {
    p->OpenSoundDevice();
  } catch (const FatalError& e) {
    GTEST_SKIP() << "no audio driver here: " << e.what();
  }
  if (GetParam() && FindSoundfont().empty()) GTEST_SKIP() << "no soundfont installed";
  // Division 96: two quarter notes at 0.5 s, then two at 0.125 s; 1.25 s in all.
  const auto song = (dir_ / "song.mid").string();
  testing_support::WriteFile(song, Midi(0, 96,
                                        {Tempo(0, 500000) + NoteOn(0, 60) + Tempo(192, 125000) +
                                         NoteOff(192, 60) + EndOfTrack(0)}));
  MusicDevice& m = p->Music();
  // Seconds until the song reports stopped. Real time is allowed some lateness, and its end
  // must still come at once (a player's own end report comes two seconds late); the window's
  // device tells of it a little early, so that a restart follows without a gap.
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
  EXPECT_GT(run(), 1.25 - early);
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
