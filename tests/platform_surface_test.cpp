// Surfaces: rectangle copies with and without the colour key, their bounds, copies of a
// surface onto itself, flips, 256-colour BMP loading, and screenshot PNGs.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "platform/error.h"
#include "platform/surface.h"
#include "platform_fixtures.h"
#include "test_support.h"

namespace {

using namespace platform_fixtures;
using namespace platform;
using testing_support::TempDir;
using testing_support::WriteFile;

// Each pixel a value from its position, so that misplaced copies show.
void Pattern(Surface& s) {
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) s.At(x, y) = static_cast<uint8_t>(x * 7 + y * 13 + 1);
}

TEST(BltFast, CopiesMatchAPixelByPixelReference) {
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
}

TEST(BltFast, RectanglesOutsideTheirSurfacesAreFatalAndNameBothSurfaces) {
  Surface src(164, 168, "chr1.bmp"), dst(640, 480, "back buffer");
  const std::tuple<int, int, Rect, std::string> cases[] = {
      {16,
       16,
       {0, 128, 165, 168},
       "copy from \"chr1.bmp\" (0,128)-(165,168) to \"back buffer\" at (16,16): source rectangle "
       "outside the "
       "164x168 surface"},
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
    EXPECT_TRUE(expected.empty() ? error.empty() : error.find(expected) != std::string::npos)
        << error;
  }
  // A flip exchanges pictures of equal size, and both are shown anew.
  Surface a(4, 4, "visible surface"), b(4, 4, "back buffer"), c(5, 4, "odd");
  a.Fill(1);
  const uint64_t ga = a.Generation(), gb = b.Generation();
  a.SwapPixels(b);
  EXPECT_TRUE(a.At(3, 3) == 0 && b.At(0, 0) == 1 && a.Generation() > ga && b.Generation() > gb);
  EXPECT_THROW(a.SwapPixels(c), FatalError);
}

TEST(LoadBmp8, ReadsBottomUpTopDownLargeHeadersAndShortPalettesAndNamesTheFaultsOfBadFiles) {
  TempDir dir;
  const BmpLayout good[] = {
      {},
      {.width = 6, .height = 4, .topDown = true},
      {.width = 4, .height = 2, .headerSize = 124},
      {.width = 7, .height = 3, .headerSize = 108},
      {.width = 3, .height = 2, .colours = 16},  // the rest of the palette stays black
  };
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
      {"\x89PNG\r\n\x1a\n0000000000000000", "no \"BM\" signature"},
      {"", "no \"BM\" signature"},
      {"-", "cannot open"},
  };
  for (const auto& [bytes, expected] : bad) {
    const auto path = (dir / (bytes == "-" ? "bitmap/bgv.bmp" : "bgv.bmp")).string();
    if (bytes != "-") WriteFile(path, bytes);
    const std::string error = ErrorOf([&] { LoadBmp8(path, "test"); });
    EXPECT_TRUE(error.rfind(path + ": ", 0) == 0 && error.find(expected) != std::string::npos)
        << error;
  }
}

TEST(WritePng, AStoredPngThroughThePalette) {
  TempDir dir;
  Surface s(640, 480, "visible surface");
  Pattern(s);
  Palette pal{};
  for (int i = 0; i < 256; ++i)
    pal[static_cast<size_t>(i)] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i ^ 0x55),
                                   static_cast<uint8_t>(255 - i), 0};
  std::string want;
  for (size_t at = 0; at < 640 * 480; ++at) {
    const auto& e = pal[s.Pixels()[at]];
    want += {static_cast<char>(e.r), static_cast<char>(e.g), static_cast<char>(e.b)};
  }
  WritePng((dir / "shot.png").string(), s, pal);
  const auto png = platform_fixtures::DecodeStoredPng(testing_support::ReadFile(dir / "shot.png"));
  EXPECT_EQ(std::tuple(png.width, png.height), std::tuple(640u, 480u));
  EXPECT_TRUE(png.rgb == want) << "the pixels differ";
  EXPECT_THROW(WritePng((dir / "no" / "such" / "x.png").string(), s, pal), FatalError);
}

}  // namespace
