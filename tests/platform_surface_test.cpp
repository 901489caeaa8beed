// Surfaces: rectangle copies with and without the colour key, their bounds, copies of a
// surface onto itself, 256-colour BMP loading, and screenshot PNGs.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "media_builders.h"
#include "platform/error.h"
#include "platform/surface.h"
#include "png_reader.h"
#include "test_support.h"

namespace {

using media_builders::Le16;
using media_builders::Le32;
using platform::BltFast;
using platform::FatalError;
using platform::Rect;
using platform::Surface;
using testing_support::TempDir;
using testing_support::WriteFile;

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const FatalError& e) {
    return e.what();
  }
  return "no error";
}

// Each pixel a value from its position, so that misplaced copies show.
void Pattern(Surface& s, int seed = 0) {
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) s.At(x, y) = static_cast<uint8_t>(x * 7 + y * 13 + seed);
  }
}

// What a copy must produce, computed pixel by pixel from a snapshot of the source.
void ReferenceCopy(Surface& dst, int x, int y, const Surface& srcSnapshot, const Rect& r, bool key,
                   uint8_t low = 2, uint8_t high = 2) {
  for (int j = r.Top; j < r.Bottom; ++j) {
    for (int i = r.Left; i < r.Right; ++i) {
      const uint8_t p = srcSnapshot.At(i, j);
      if (!key || p < low || p > high) dst.At(x + i - r.Left, y + j - r.Top) = p;
    }
  }
}

bool SamePixels(const Surface& a, const Surface& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(a.Pixels(), b.Pixels(), static_cast<size_t>(a.Width() * a.Height())) == 0;
}

TEST(BltFast, CopiesWithAndWithoutTheColourKey) {
  // A keyed copy from a surface without a key copies everything.
  const struct {
    bool keyed, hasKey;
    uint8_t low, high;
  } cases[] = {{false, true, 2, 2}, {true, true, 2, 2}, {true, true, 2, 5}, {true, false, 2, 2}};
  const Rect r{1, 1, 40, 20};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.keyed << c.hasKey << int{c.high});
    Surface src(64, 32, "chr1.bmp"), dst(100, 80, "back buffer"), want(100, 80, "want");
    Pattern(src);
    src.At(3, 1) = 2;
    src.At(4, 1) = 3;
    if (c.hasKey) src.SetColorKey(c.low, c.high);
    dst.Fill(9);
    want.Fill(9);
    const uint64_t before = dst.Generation();
    BltFast(dst, 10, 20, src, r, c.keyed);
    ReferenceCopy(want, 10, 20, src, r, c.keyed && c.hasKey, c.low, c.high);
    EXPECT_TRUE(SamePixels(dst, want));
    EXPECT_EQ(dst.At(10 + 2, 20), c.keyed && c.hasKey ? 9 : 2);
    EXPECT_EQ(dst.At(10 + 3, 20), c.keyed && c.hasKey && c.high >= 3 ? 9 : 3);
    EXPECT_GT(dst.Generation(), before);
  }
}

TEST(BltFast, RectanglesOutsideTheirSurfacesAreFatalAndNameBothSurfaces) {
  Surface src(164, 168, "chr1.bmp"), dst(640, 480, "back buffer");
  const struct {
    int x, y;
    Rect r;
    std::string expected;
  } cases[] = {
      {16,
       16,
       {0, 128, 165, 168},
       "copy from \"chr1.bmp\" (0,128)-(165,168) to \"back buffer\" at (16,16): source "
       "rectangle outside the 164x168 surface"},
      {0, 0, {-1, 0, 10, 10}, "source rectangle outside"},
      {0, 0, {0, 160, 10, 169}, "source rectangle outside"},
      {0, 0, {5, 5, 5, 10}, "empty source rectangle"},
      {0, 0, {10, 10, 5, 20}, "empty source rectangle"},
      {600,
       0,
       {0, 0, 41, 10},
       "copy from \"chr1.bmp\" (0,0)-(41,10) to \"back buffer\" at (600,0): destination "
       "outside the 640x480 surface"},
      {-1, 0, {0, 0, 4, 4}, "destination outside"},
      {0, 479, {0, 0, 4, 2}, "destination outside"},
      // Extreme values are reported, not overflowed.
      {0x7FFFFFF0, 0, {0, 0, 100, 1}, "destination outside"},
      {0, 0, {INT32_MIN, 0, INT32_MAX, 1}, "outside"},
      {476, 312, {0, 0, 164, 168}, "no error"},  // touching the far edges exactly
  };
  for (const auto& c : cases) {
    const std::string error = ErrorOf([&] { BltFast(dst, c.x, c.y, src, c.r, false); });
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
}

TEST(BltFast, OverlappingCopiesOntoItselfInEveryDirection) {
  // The map buffer scrolls by copying onto itself: each direction must read the source
  // before overwriting it.
  const int moves[][2] = {{5, 0}, {-5, 0}, {0, 7}, {0, -7}, {3, 4}, {-3, -4}, {6, -2}, {-6, 2}};
  const Rect r{8, 8, 40, 32};
  for (const bool key : {false, true}) {
    for (const auto& m : moves) {
      Surface s(48, 40, "map buffer"), snapshot(48, 40, "snapshot"), want(48, 40, "want");
      for (Surface* each : {&s, &snapshot, &want}) Pattern(*each, 1);
      s.SetColorKey(2, 2);
      BltFast(s, 8 + m[0], 8 + m[1], s, r, key);
      ReferenceCopy(want, 8 + m[0], 8 + m[1], snapshot, r, key);
      EXPECT_TRUE(SamePixels(s, want)) << "move " << m[0] << "," << m[1] << " key " << key;
    }
  }
}

TEST(Surface, FlipExchangesPicturesOfEqualSize) {
  Surface a(4, 4, "visible surface"), b(4, 4, "back buffer"), c(5, 4, "odd");
  a.Fill(1);
  b.Fill(2);
  const uint64_t ga = a.Generation(), gb = b.Generation();
  a.SwapPixels(b);
  EXPECT_TRUE(a.At(3, 3) == 2 && b.At(0, 0) == 1);
  EXPECT_TRUE(a.Generation() > ga && b.Generation() > gb);  // both are shown anew
  EXPECT_THROW(a.SwapPixels(c), FatalError);
}

struct BmpLayout {
  int width = 5, height = 3;
  bool topDown = false;
  int bits = 8;
  int compression = 0;
  uint32_t headerSize = 40;
  uint32_t colours = 0;  // 0 = 256
};

// Pixel (x, y) holds x + 10 * y; palette entry i is (i, 255 - i, i / 2).
std::string Bmp(const BmpLayout& s) {
  const uint32_t n = s.colours ? s.colours : 256;
  const uint32_t stride = static_cast<uint32_t>((s.width * s.bits / 8 + 3) & ~3);
  std::string palette;
  for (uint32_t i = 0; i < n; ++i) {
    palette += {static_cast<char>(i / 2), static_cast<char>(255 - i), static_cast<char>(i), 0};
  }
  std::string pixels;
  for (int row = 0; row < s.height; ++row) {
    const int y = s.topDown ? row : s.height - 1 - row;
    std::string line(stride, '\0');
    for (int x = 0; x < s.width && s.bits == 8; ++x)
      line[static_cast<size_t>(x)] = static_cast<char>(x + 10 * y);
    pixels += line;
  }
  const uint32_t offset = 14 + s.headerSize + n * 4;
  std::string info = Le32(s.headerSize) + Le32(static_cast<uint32_t>(s.width)) +
                     Le32(static_cast<uint32_t>(s.topDown ? -s.height : s.height)) + Le16(1) +
                     Le16(static_cast<uint32_t>(s.bits)) +
                     Le32(static_cast<uint32_t>(s.compression)) +
                     Le32(static_cast<uint32_t>(pixels.size())) + Le32(2835) + Le32(2835) +
                     Le32(s.colours) + Le32(0);
  info.resize(s.headerSize, '\0');
  return "BM" + Le32(offset + static_cast<uint32_t>(pixels.size())) + Le32(0) + Le32(offset) +
         info + palette + pixels;
}

TEST(LoadBmp8, ReadsBottomUpTopDownLargeHeadersAndShortPalettes) {
  TempDir dir;
  const BmpLayout cases[] = {
      {},
      {.width = 6, .height = 4, .topDown = true},
      {.width = 4, .height = 2, .headerSize = 124},
      {.width = 7, .height = 3, .headerSize = 108},
      {.width = 3, .height = 2, .colours = 16},  // the rest of the palette stays black
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    WriteFile(dir / "a.bmp", Bmp(c));
    const auto s = platform::LoadBmp8((dir / "a.bmp").string(), "chr0.bmp");
    EXPECT_EQ(s->Name(), "chr0.bmp");
    ASSERT_EQ(s->Width(), c.width);
    ASSERT_EQ(s->Height(), c.height);
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) ASSERT_EQ(s->At(x, y), x + 10 * y) << x << "," << y;
    }
    const uint8_t last = static_cast<uint8_t>(c.colours ? c.colours - 1 : 255);
    EXPECT_EQ(s->filePalette[last], (platform::PaletteEntry{last, static_cast<uint8_t>(255 - last),
                                                            static_cast<uint8_t>(last / 2), 0}));
    // Past a short palette: black; else the first entry.
    const platform::PaletteEntry first{0, 255, 0, 0}, black{};
    EXPECT_EQ(s->filePalette[c.colours & 255], c.colours ? black : first);
  }
}

TEST(LoadBmp8, BadFilesNameTheFileAndTheFault) {
  TempDir dir;
  const std::string good = Bmp({.width = 8, .height = 8});
  const std::pair<std::string, std::string> cases[] = {
      {Bmp({.width = 4, .height = 2, .bits = 24, .colours = 1}),
       "not an 8-bit bitmap (24 bits per pixel)"},
      {Bmp({.compression = 1}), "compressed"},
      {good.substr(0, good.size() - 1), "truncated pixel data"},
      {good.substr(0, 14 + 40 + 100), "truncated palette"},
      {good.substr(0, 30), "truncated header"},
      {"BM" + std::string(12, '\0') + Le32(12) + std::string(8, '\0'), "unsupported header"},
      {"\x89PNG\r\n\x1a\n0000000000000000", "no \"BM\" signature"},
      {"", "no \"BM\" signature"},
      {Bmp({.width = 0, .height = 3}), "bad size"},
  };
  const std::string path = (dir / "bgv.bmp").string();
  for (const auto& [bytes, expected] : cases) {
    WriteFile(path, bytes);
    const std::string error = ErrorOf([&] { platform::LoadBmp8(path, "test"); });
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(expected), std::string::npos) << expected << ": " << error;
  }
  const std::string missing = (dir / "bitmap" / "bgv.bmp").string();
  const std::string error = ErrorOf([&] { platform::LoadBmp8(missing, "test"); });
  EXPECT_EQ(error.rfind(missing + ": cannot open", 0), 0u) << error;
}

TEST(WritePng, AStoredPngThroughThePalette) {
  TempDir dir;
  Surface s(640, 480, "visible surface");
  Pattern(s);
  platform::Palette pal{};
  for (int i = 0; i < 256; ++i) {
    pal[static_cast<size_t>(i)] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i ^ 0x55),
                                   static_cast<uint8_t>(255 - i), 0};
  }
  const auto path = (dir / "shot.png").string();
  platform::WritePng(path, s, pal);
  const auto png = png_reader::DecodeStoredPng(testing_support::ReadFile(path));
  ASSERT_EQ(png.width, 640u);
  ASSERT_EQ(png.height, 480u);
  for (int y = 0; y < 480; y += 7) {
    for (int x = 0; x < 640; x += 5) {
      const auto& e = pal[s.At(x, y)];
      const size_t at = (static_cast<size_t>(y) * 640 + static_cast<size_t>(x)) * 3;
      ASSERT_EQ(png.rgb.substr(at, 3), std::string({static_cast<char>(e.r), static_cast<char>(e.g),
                                                    static_cast<char>(e.b)}));
    }
  }
  EXPECT_THROW(platform::WritePng((dir / "no" / "such" / "x.png").string(), s, pal), FatalError);
}

}  // namespace
