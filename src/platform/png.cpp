// Screenshots: 8-bit pictures written as RGB PNG files. The image data goes into zlib
// "stored" blocks, so no compressor is needed; a 640 x 480 picture is under a megabyte.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/surface.h"

namespace platform {

namespace {

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
  const auto& t = CrcTable();
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = t[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const std::vector<uint8_t>& data) {
  uint32_t a = 1, b = 0;
  size_t i = 0;
  while (i < data.size()) {
    // 5552 bytes keep the sums below 2^32 before the modulo.
    const size_t end = std::min(data.size(), i + 5552);
    for (; i < end; ++i) {
      a += data[i];
      b += a;
    }
    a %= 65521;
    b %= 65521;
  }
  return b << 16 | a;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& body) {
  PutU32(out, static_cast<uint32_t>(body.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  PutU32(out, Crc32(out.data() + typeAt, body.size() + 4));
}

}  // namespace

void WritePng(const std::string& path, const Surface& s, const Palette& pal) {
  const size_t w = static_cast<size_t>(s.Width()), h = static_cast<size_t>(s.Height());

  // Filter byte 0 ("none") before every row of RGB triples.
  std::vector<uint8_t> raw;
  raw.reserve(h * (1 + 3 * w));
  for (size_t y = 0; y < h; ++y) {
    raw.push_back(0);
    const uint8_t* row = s.Pixels() + y * w;
    for (size_t x = 0; x < w; ++x) {
      const PaletteEntry& e = pal[row[x]];
      raw.push_back(e.r);
      raw.push_back(e.g);
      raw.push_back(e.b);
    }
  }

  std::vector<uint8_t> z;
  z.reserve(raw.size() + raw.size() / 65535 * 5 + 16);
  z.push_back(0x78);  // deflate, 32 KiB window
  z.push_back(0x01);  // no preset dictionary, fastest; 0x7801 is a multiple of 31
  size_t at = 0;
  do {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    const bool last = at + n == raw.size();
    z.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00 = stored
    z.push_back(static_cast<uint8_t>(n));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n));
    z.push_back(static_cast<uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(at),
             raw.begin() + static_cast<ptrdiff_t>(at + n));
    at += n;
  } while (at < raw.size());
  PutU32(z, Adler32(raw));

  std::vector<uint8_t> header;
  PutU32(header, static_cast<uint32_t>(w));
  PutU32(header, static_cast<uint32_t>(h));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace

  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", z);
  PutChunk(file, "IEND", {});

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw FatalError(path + ": cannot write (" + std::strerror(errno) + ")");
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  out.close();
  if (!out) throw FatalError(path + ": write failed");
}

}  // namespace platform
