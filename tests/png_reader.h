// Reads the PNG files the screenshot writer makes, independently of it: chunk CRCs, the
// stored deflate blocks, the Adler-32 sum and the pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace png_reader {

// The unsigned byte at `at`, and the big-endian 32-bit number starting there.
inline uint32_t Byte(const std::string& s, size_t at) {
  return static_cast<uint8_t>(s.at(at));
}
inline uint32_t Be32At(const std::string& s, size_t at) {
  return Byte(s, at) << 24 | Byte(s, at + 1) << 16 | Byte(s, at + 2) << 8 | Byte(s, at + 3);
}

struct DecodedPng {
  uint32_t width = 0, height = 0;
  std::string rgb;  // rows without filter bytes
};

inline DecodedPng DecodeStoredPng(const std::string& f) {
  DecodedPng out;
  EXPECT_EQ(f.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::string idat;
  bool ended = false;
  for (size_t at = 8; at < f.size();) {
    const uint32_t len = Be32At(f, at);
    const std::string type = f.substr(at + 4, 4);
    uint32_t crc = 0xFFFFFFFF;  // bit by bit, unlike the writer's table
    for (size_t i = at + 4; i < at + 8 + len; ++i) {
      crc ^= Byte(f, i);
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    EXPECT_EQ(~crc, Be32At(f, at + 8 + len)) << type;
    if (type == "IHDR") {
      out.width = Be32At(f, at + 8);
      out.height = Be32At(f, at + 12);
      EXPECT_EQ(f.substr(at + 16, 5), std::string("\x08\x02\x00\x00\x00", 5));
    }
    if (type == "IDAT") idat += f.substr(at + 8, len);
    ended = type == "IEND";  // and nothing after it
    at += 12 + len;
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ((Byte(idat, 0) * 256 + Byte(idat, 1)) % 31, 0u);
  std::string raw;
  size_t at = 2;
  for (bool last = false; !last;) {
    last = Byte(idat, at) & 1;
    EXPECT_EQ(Byte(idat, at) >> 1, 0u) << "stored blocks only";
    const uint32_t n = Byte(idat, at + 1) | Byte(idat, at + 2) << 8;
    EXPECT_EQ(n ^ 0xFFFF, Byte(idat, at + 3) | Byte(idat, at + 4) << 8);
    raw += idat.substr(at + 5, n);
    at += 5 + n;
  }
  uint32_t a = 1, b = 0;
  for (char c : raw) {
    a = (a + static_cast<uint8_t>(c)) % 65521;
    b = (b + a) % 65521;
  }
  EXPECT_EQ(Be32At(idat, at), b << 16 | a);
  EXPECT_EQ(at + 4, idat.size());
  const size_t rowBytes = 1 + 3 * size_t{out.width};
  EXPECT_EQ(raw.size(), rowBytes * out.height);
  for (size_t y = 0; y < out.height && (y + 1) * rowBytes <= raw.size(); ++y) {
    EXPECT_EQ(raw[y * rowBytes], '\0');
    out.rgb += raw.substr(y * rowBytes + 1, rowBytes - 1);
  }
  return out;
}

}  // namespace png_reader
