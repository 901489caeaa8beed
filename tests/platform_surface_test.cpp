// Surfaces: rectangle copies with and without the colour key, their bounds, copies of a
// surface onto itself, 256-colour BMP loading, and screenshot PNGs.
#include <gtest/gtest.h>

#include <cstring>

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
using platform::Palette;
using platform::Rect;
using platform::Surface;
using png_reader::DecodedPng;
using png_reader::DecodeStoredPng;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

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

std::string BltError(Surface& dst, int x, int y, const Surface& src, const Rect& r) {
  try {
    BltFast(dst, x, y, src, r, false);
  } catch (const FatalError& e) {
    return e.what();
  }
  return "no error";
}

TEST(BltFast, CopiesWithAndWithoutTheColourKey) {
  Surface src(64, 32, "chr1.bmp"), dst(100, 80, "back buffer");
  Pattern(src);
  src.At(3, 1) = 2;  // transparent
  src.At(4, 1) = 3;
  src.SetColorKey(2, 2);
  const Rect r{1, 1, 40, 20};

  dst.Fill(9);
  Surface want(100, 80, "want");
  want.Fill(9);
  const uint64_t before = dst.Generation();
  BltFast(dst, 10, 20, src, r, false);
  ReferenceCopy(want, 10, 20, src, r, false);
  EXPECT_TRUE(SamePixels(dst, want));
  EXPECT_GT(dst.Generation(), before);
  EXPECT_EQ(dst.At(10 + 2, 20), 2);

  dst.Fill(9);
  want.Fill(9);
  BltFast(dst, 10, 20, src, r, true);
  ReferenceCopy(want, 10, 20, src, r, true);
  EXPECT_TRUE(SamePixels(dst, want));
  EXPECT_EQ(dst.At(10 + 2, 20), 9);  // the key left the background
  EXPECT_EQ(dst.At(10 + 3, 20), 3);

  // A key range, and a keyed copy from a surface without a key copies everything.
  src.SetColorKey(2, 5);
  dst.Fill(9);
  want.Fill(9);
  BltFast(dst, 0, 0, src, r, true);
  ReferenceCopy(want, 0, 0, src, r, true, 2, 5);
  EXPECT_TRUE(SamePixels(dst, want));
  Surface plain(8, 8, "plain");
  plain.Fill(2);
  BltFast(dst, 0, 0, plain, Rect{0, 0, 8, 8}, true);
  EXPECT_EQ(dst.At(7, 7), 2);
}

TEST(BltFast, RectanglesOutsideTheirSurfacesAreFatalAndNameBothSurfaces) {
  Surface src(164, 168, "chr1.bmp"), dst(640, 480, "back buffer");
  EXPECT_EQ(BltError(dst, 16, 16, src, Rect{0, 128, 165, 168}),
            "copy from \"chr1.bmp\" (0,128)-(165,168) to \"back buffer\" at (16,16): source "
            "rectangle outside the 164x168 surface");
  EXPECT_NE(BltError(dst, 0, 0, src, Rect{-1, 0, 10, 10}).find("source rectangle outside"),
            std::string::npos);
  EXPECT_NE(BltError(dst, 0, 0, src, Rect{0, 160, 10, 169}).find("source rectangle outside"),
            std::string::npos);
  EXPECT_NE(BltError(dst, 0, 0, src, Rect{5, 5, 5, 10}).find("empty source rectangle"),
            std::string::npos);
  EXPECT_NE(BltError(dst, 0, 0, src, Rect{10, 10, 5, 20}).find("empty source rectangle"),
            std::string::npos);
  EXPECT_EQ(BltError(dst, 600, 0, src, Rect{0, 0, 41, 10}),
            "copy from \"chr1.bmp\" (0,0)-(41,10) to \"back buffer\" at (600,0): destination "
            "outside the 640x480 surface");
  EXPECT_NE(BltError(dst, -1, 0, src, Rect{0, 0, 4, 4}).find("destination outside"),
            std::string::npos);
  EXPECT_NE(BltError(dst, 0, 479, src, Rect{0, 0, 4, 2}).find("destination outside"),
            std::string::npos);
  // Extreme values are reported, not overflowed.
  EXPECT_NE(BltError(dst, 0x7FFFFFF0, 0, src, Rect{0, 0, 100, 1}).find("destination outside"),
            std::string::npos);
  EXPECT_NE(BltError(dst, 0, 0, src, Rect{INT32_MIN, 0, INT32_MAX, 1}).find("outside"),
            std::string::npos);
  // Touching the far edges exactly is allowed.
  EXPECT_EQ(BltError(dst, 476, 312, src, Rect{0, 0, 164, 168}), "no error");
}

TEST(BltFast, OverlappingCopiesOntoItselfInEveryDirection) {
  // The map buffer scrolls by copying onto itself: each direction must read the source
  // before overwriting it.
  const int moves[][2] = {{5, 0}, {-5, 0}, {0, 7}, {0, -7}, {3, 4}, {-3, -4}, {6, -2}, {-6, 2}};
  for (const bool key : {false, true}) {
    for (const auto& m : moves) {
      Surface s(48, 40, "map buffer");
      Pattern(s, 1);
      s.SetColorKey(2, 2);
      Surface snapshot(48, 40, "snapshot"), want(48, 40, "want");
      Pattern(snapshot, 1);
      Pattern(want, 1);
      const Rect r{8, 8, 40, 32};
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
  EXPECT_EQ(a.At(3, 3), 2);
  EXPECT_EQ(b.At(0, 0), 1);
  EXPECT_GT(a.Generation(), ga);
  EXPECT_GT(b.Generation(), gb);
  EXPECT_THROW(a.SwapPixels(c), FatalError);
}

// ---------------------------------------------------------------------------------------------
// BMP files

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

void ExpectPicture(const Surface& s, int width, int height) {
  ASSERT_EQ(s.Width(), width);
  ASSERT_EQ(s.Height(), height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) ASSERT_EQ(s.At(x, y), x + 10 * y) << x << "," << y;
  }
}

std::string LoadError(const std::string& path) {
  try {
    platform::LoadBmp8(path, "test");
  } catch (const FatalError& e) {
    return e.what();
  }
  return "no error";
}

TEST(LoadBmp8, ReadsBottomUpTopDownPaddedAndLargeHeaders) {
  TempDir dir;
  struct Case {
    std::string name;
    BmpLayout layout;
  } cases[] = {
      {"bottomup.bmp", {}},
      {"topdown.bmp", {.width = 6, .height = 4, .topDown = true}},
      {"v5.bmp", {.width = 4, .height = 2, .headerSize = 124}},
      {"v4.bmp", {.width = 7, .height = 3, .headerSize = 108}},
  };
  for (const auto& c : cases) {
    WriteFile(dir / c.name, Bmp(c.layout));
    const auto s = platform::LoadBmp8((dir / c.name).string(), "chr0.bmp");
    SCOPED_TRACE(c.name);
    EXPECT_EQ(s->Name(), "chr0.bmp");
    ExpectPicture(*s, c.layout.width, c.layout.height);
    EXPECT_EQ(s->filePalette[200], (platform::PaletteEntry{200, 55, 100, 0}));
    EXPECT_EQ(s->filePalette[255], (platform::PaletteEntry{255, 0, 127, 0}));
  }
}

TEST(LoadBmp8, ShortPaletteLeavesTheRestBlack) {
  TempDir dir;
  WriteFile(dir / "p16.bmp", Bmp({.width = 3, .height = 2, .colours = 16}));
  const auto s = platform::LoadBmp8((dir / "p16.bmp").string(), "p16");
  ExpectPicture(*s, 3, 2);
  EXPECT_EQ(s->filePalette[15], (platform::PaletteEntry{15, 240, 7, 0}));
  EXPECT_EQ(s->filePalette[16], platform::PaletteEntry{});
}

TEST(LoadBmp8, BadFilesNameTheFileAndTheFault) {
  TempDir dir;
  const std::string good = Bmp({.width = 8, .height = 8});
  struct Case {
    std::string name, bytes, expected;
  } cases[] = {
      {"bgv.bmp", Bmp({.width = 4, .height = 2, .bits = 24, .colours = 1}),
       "bgv.bmp: not an 8-bit bitmap (24 bits per pixel)"},
      {"rle.bmp", Bmp({.compression = 1}), "compressed"},
      {"cut.bmp", good.substr(0, good.size() - 1), "truncated pixel data"},
      {"cutpal.bmp", good.substr(0, 14 + 40 + 100), "truncated palette"},
      {"cuthead.bmp", good.substr(0, 30), "truncated header"},
      {"core.bmp", "BM" + std::string(12, '\0') + Le32(12) + std::string(8, '\0'),
       "unsupported header"},
      {"png.bmp", "\x89PNG\r\n\x1a\n0000000000000000", "no \"BM\" signature"},
      {"empty.bmp", "", "no \"BM\" signature"},
      {"zero.bmp", Bmp({.width = 0, .height = 3}), "bad size"},
  };
  for (const auto& c : cases) {
    WriteFile(dir / c.name, c.bytes);
    const std::string path = (dir / c.name).string();
    const std::string error = LoadError(path);
    EXPECT_EQ(error.rfind(path + ":", 0), 0u) << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << c.name << ": " << error;
  }
  const std::string missing = (dir / "bitmap" / "bgv.bmp").string();
  EXPECT_EQ(LoadError(missing).rfind(missing + ": cannot open", 0), 0u) << LoadError(missing);
}

TEST(WritePng, AStoredPngThroughThePalette) {
  TempDir dir;
  Surface s(640, 480, "visible surface");
  Pattern(s);
  Palette pal{};
  for (int i = 0; i < 256; ++i) {
    pal[static_cast<size_t>(i)] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i ^ 0x55),
                                   static_cast<uint8_t>(255 - i), 0};
  }
  const auto path = (dir / "shot.png").string();
  platform::WritePng(path, s, pal);
  const DecodedPng png = DecodeStoredPng(ReadFile(path));
  ASSERT_EQ(png.width, 640u);
  ASSERT_EQ(png.height, 480u);
  for (int y = 0; y < 480; y += 7) {
    for (int x = 0; x < 640; x += 5) {
      const auto& e = pal[s.At(x, y)];
      const size_t at = (static_cast<size_t>(y) * 640 + static_cast<size_t>(x)) * 3;
      ASSERT_EQ(static_cast<uint8_t>(png.rgb[at]), e.r);
      ASSERT_EQ(static_cast<uint8_t>(png.rgb[at + 1]), e.g);
      ASSERT_EQ(static_cast<uint8_t>(png.rgb[at + 2]), e.b);
    }
  }
  EXPECT_THROW(platform::WritePng((dir / "no" / "such" / "x.png").string(), s, pal), FatalError);
}

}  // namespace
