// 8-bit palettized surfaces and rectangle copies. Shared by the windowed and headless
// platforms; pure memory work, no device behind it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct PaletteEntry {
  uint8_t r = 0, g = 0, b = 0, flags = 0;
  bool operator==(const PaletteEntry&) const = default;
};
using Palette = std::array<PaletteEntry, 256>;

// Rectangle as the game fills it: left/top inclusive, right/bottom exclusive.
struct Rect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class Surface {
 public:
  Surface(int width, int height, std::string name);

  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::string& Name() const { return name_; }
  uint8_t* Pixels() { return pixels_.data(); }
  const uint8_t* Pixels() const { return pixels_.data(); }
  uint8_t& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  uint8_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

  // Source colour key: pixels with index in low..high are not copied by keyed copies.
  void SetColorKey(uint8_t low, uint8_t high);
  bool HasColorKey() const { return hasKey_; }

  // Every write bumps the generation, so a display knows when the visible picture changed.
  uint64_t Generation() const { return generation_; }
  void Touch() { ++generation_; }
  void Fill(uint8_t index);

  // The palette stored in the bitmap the surface was loaded from (zeros otherwise).
  Palette filePalette{};

  // Flip: exchange the pictures of two surfaces of the same size.
  void SwapPixels(Surface& other);

 private:
  int width_, height_;
  std::string name_;
  std::vector<uint8_t> pixels_;
  bool hasKey_ = false;
  uint8_t keyLow_ = 0, keyHigh_ = 0;
  uint64_t generation_ = 0;

  friend void BltFast(Surface&, int, int, const Surface&, const Rect&, bool);
};

// Copies src's rectangle to dst at (x, y), skipping colour-keyed pixels when useKey is set
// and src has a key. A source rectangle outside src, or a destination outside dst, is a
// FatalError naming both surfaces. Copies of a surface onto itself may overlap.
void BltFast(Surface& dst, int x, int y, const Surface& src, const Rect& r, bool useKey);

// Loads a 256-colour (8 bits per pixel, uncompressed) BMP file. Throws FatalError naming the
// file when it is missing, unreadable, truncated or not 8-bit.
std::unique_ptr<Surface> LoadBmp8(const std::string& path, const std::string& name);
// The same for the bytes of a file already read; path only names it in reports.
std::unique_ptr<Surface> DecodeBmp8(const std::vector<uint8_t>& bytes, const std::string& path,
                                    const std::string& name);

// Writes an 8-bit picture through a palette as an RGB PNG file. Throws FatalError on failure.
void WritePng(const std::string& path, const Surface& s, const Palette& pal);

}  // namespace platform
