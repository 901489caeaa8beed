// Surfaces and rectangle copies.
#include "platform/surface.h"

#include <cstring>
#include <string>
#include <utility>

#include "platform/error.h"

namespace platform {

Surface::Surface(int width, int height, std::string name)
    : width_(width), height_(height), name_(std::move(name)) {
  if (width <= 0 || height <= 0 || width > 32768 || height > 32768) {
    throw FatalError("surface \"" + name_ + "\": bad size " + std::to_string(width) + "x" +
                     std::to_string(height));
  }
  pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
}

void Surface::SetColorKey(uint8_t low, uint8_t high) {
  // An inverted range keys nothing out.
  hasKey_ = low <= high;
  keyLow_ = low;
  keyHigh_ = high;
}

void Surface::Fill(uint8_t index) {
  std::memset(pixels_.data(), index, pixels_.size());
  Touch();
}

void Surface::SwapPixels(Surface& other) {
  if (other.width_ != width_ || other.height_ != height_) {
    throw FatalError("cannot exchange \"" + name_ + "\" and \"" + other.name_ +
                     "\": different sizes");
  }
  pixels_.swap(other.pixels_);
  Touch();
  other.Touch();
}

namespace {

std::string CopyText(const Surface& dst, int x, int y, const Surface& src, const Rect& r) {
  return "copy from \"" + src.Name() + "\" (" + std::to_string(r.Left) + "," +
         std::to_string(r.Top) + ")-(" + std::to_string(r.Right) + "," + std::to_string(r.Bottom) +
         ") to \"" + dst.Name() + "\" at (" + std::to_string(x) + "," + std::to_string(y) + ")";
}

std::string SizeText(const Surface& s) {
  return std::to_string(s.Width()) + "x" + std::to_string(s.Height());
}

}  // namespace

namespace {

// One row of a keyed copy, written without branches so the compiler vectorises it: sprites
// are most of a frame's copying.
void KeyedRow(uint8_t* __restrict d, const uint8_t* __restrict s, size_t n, uint8_t low,
              uint8_t high) {
  const uint8_t span = static_cast<uint8_t>(high - low);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t p = s[i];
    const bool transparent = static_cast<uint8_t>(p - low) <= span;
    d[i] = transparent ? d[i] : p;
  }
}

}  // namespace

void BltFast(Surface& dst, int x, int y, const Surface& src, const Rect& r, bool useKey) {
  // 64-bit arithmetic: a wild rectangle must be reported, not overflow.
  const int64_t w = int64_t{r.Right} - r.Left;
  const int64_t h = int64_t{r.Bottom} - r.Top;
  if (w <= 0 || h <= 0) {
    throw FatalError(CopyText(dst, x, y, src, r) + ": empty source rectangle");
  }
  if (r.Left < 0 || r.Top < 0 || r.Right > src.width_ || r.Bottom > src.height_) {
    throw FatalError(CopyText(dst, x, y, src, r) + ": source rectangle outside the " +
                     SizeText(src) + " surface");
  }
  if (x < 0 || y < 0 || x + w > dst.width_ || y + h > dst.height_) {
    throw FatalError(CopyText(dst, x, y, src, r) + ": destination outside the " + SizeText(dst) +
                     " surface");
  }

  const size_t rowBytes = static_cast<size_t>(w);
  const int rows = static_cast<int>(h);
  const size_t srcPitch = static_cast<size_t>(src.width_);
  const size_t dstPitch = static_cast<size_t>(dst.width_);
  const bool self = &dst == &src;
  const bool keyed = useKey && src.hasKey_;

  if (!keyed) {
    // Rows bottom-up when copying downwards within one surface; memmove takes care of
    // overlap inside a row.
    const bool backwards = self && y > r.Top;
    for (int i = 0; i < rows; ++i) {
      const int row = backwards ? rows - 1 - i : i;
      const uint8_t* s = src.pixels_.data() + static_cast<size_t>(r.Top + row) * srcPitch +
                         static_cast<size_t>(r.Left);
      uint8_t* d =
          dst.pixels_.data() + static_cast<size_t>(y + row) * dstPitch + static_cast<size_t>(x);
      if (self) {
        std::memmove(d, s, rowBytes);
      } else {
        std::memcpy(d, s, rowBytes);
      }
    }
    dst.Touch();
    return;
  }

  // Keyed copy of a surface onto itself: take the source rectangle aside first.
  std::vector<uint8_t> scratch;
  const uint8_t* base = src.pixels_.data();
  size_t pitch = srcPitch;
  size_t origin = static_cast<size_t>(r.Top) * srcPitch + static_cast<size_t>(r.Left);
  if (self) {
    scratch.resize(rowBytes * static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
      std::memcpy(scratch.data() + static_cast<size_t>(row) * rowBytes,
                  base + origin + static_cast<size_t>(row) * srcPitch, rowBytes);
    }
    base = scratch.data();
    pitch = rowBytes;
    origin = 0;
  }
  const uint8_t low = src.keyLow_, high = src.keyHigh_;
  for (int row = 0; row < rows; ++row) {
    KeyedRow(dst.pixels_.data() + static_cast<size_t>(y + row) * dstPitch + static_cast<size_t>(x),
             base + origin + static_cast<size_t>(row) * pitch, rowBytes, low, high);
  }
  dst.Touch();
}

}  // namespace platform
