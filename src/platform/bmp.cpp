// 256-colour BMP loading.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/surface.h"

namespace platform {

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
         uint32_t{b[at + 3]} << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

}  // namespace

std::unique_ptr<Surface> LoadBmp8(const std::string& path, const std::string& name) {
  auto fail = [&](const std::string& what) { return FatalError(path + ": " + what); };

  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw fail("is a folder, not a bitmap");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw fail(std::string("cannot open (") + std::strerror(errno) + ")");
  std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw fail("read error");
  return DecodeBmp8(b, path, name);
}

std::unique_ptr<Surface> DecodeBmp8(const std::vector<uint8_t>& b, const std::string& path,
                                    const std::string& name) {
  auto fail = [&](const std::string& what) { return FatalError(path + ": " + what); };
  constexpr size_t kFileHeader = 14;
  if (b.size() < 2 || b[0] != 'B' || b[1] != 'M')
    throw fail("not a BMP file (no \"BM\" signature)");
  if (b.size() < kFileHeader + 4) throw fail("truncated header");
  const uint32_t pixelOffset = U32(b, 10);
  const uint32_t headerSize = U32(b, kFileHeader);
  if (headerSize < 40) {
    throw fail("unsupported header (" + std::to_string(headerSize) + " bytes; 40 or more needed)");
  }
  if (b.size() < kFileHeader + headerSize) throw fail("truncated header");

  const int32_t width = static_cast<int32_t>(U32(b, 18));
  const int32_t rawHeight = static_cast<int32_t>(U32(b, 22));
  const uint16_t planes = U16(b, 26);
  const uint16_t bits = U16(b, 28);
  const uint32_t compression = U32(b, 30);
  uint32_t colours = U32(b, 46);

  if (bits != 8) {
    throw fail("not an 8-bit bitmap (" + std::to_string(bits) + " bits per pixel)");
  }
  if (compression != 0) {
    throw fail("compressed bitmap (compression " + std::to_string(compression) +
               "); only uncompressed 8-bit bitmaps are read");
  }
  if (planes != 1) throw fail("bad plane count " + std::to_string(planes));
  if (rawHeight == INT32_MIN || width <= 0 || rawHeight == 0 || width > 32768 ||
      rawHeight > 32768 || rawHeight < -32768) {
    throw fail("bad size " + std::to_string(width) + "x" + std::to_string(rawHeight));
  }
  if (colours == 0) colours = 256;
  if (colours > 256) throw fail("palette of " + std::to_string(colours) + " entries");

  const bool topDown = rawHeight < 0;
  const int height = topDown ? -rawHeight : rawHeight;
  const size_t paletteAt = kFileHeader + headerSize;
  if (b.size() < paletteAt + size_t{colours} * 4) throw fail("truncated palette");

  const size_t stride = (static_cast<size_t>(width) + 3) & ~size_t{3};
  const size_t pixelBytes = stride * static_cast<size_t>(height);
  if (pixelOffset < paletteAt + size_t{colours} * 4) {
    throw fail("pixel data offset " + std::to_string(pixelOffset) + " lies inside the header");
  }
  if (pixelOffset > b.size() || b.size() - pixelOffset < pixelBytes) {
    throw fail("truncated pixel data (" + std::to_string(pixelBytes) +
               " bytes expected at offset " + std::to_string(pixelOffset) + ", file has " +
               std::to_string(b.size()) + ")");
  }

  auto surface = std::make_unique<Surface>(width, height, name);
  for (uint32_t i = 0; i < colours; ++i) {
    const size_t at = paletteAt + size_t{i} * 4;
    surface->filePalette[i] = PaletteEntry{b[at + 2], b[at + 1], b[at], 0};
  }
  for (int row = 0; row < height; ++row) {
    const int fileRow = topDown ? row : height - 1 - row;
    std::memcpy(&surface->At(0, row),
                b.data() + pixelOffset + static_cast<size_t>(fileRow) * stride,
                static_cast<size_t>(width));
  }
  surface->Touch();
  return surface;
}

}  // namespace platform
