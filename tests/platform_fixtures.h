// Test fixtures for the platform's file formats: small BMP, WAV and MIDI files built byte by
// byte, a PNG reader independent of the screenshot writer, and the text of a clean error.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/surface.h"

namespace platform_fixtures {

// The platform as the game makes it on the data folder: headless, or windowed on SDL's dummy
// drivers unless the environment names others.
inline std::unique_ptr<platform::Platform> MakePlatform(const std::string& dataDir, bool windowed,
                                                        bool sound = true) {
  platform::Options o;
  o.dataDir = dataDir, o.windowed = windowed, o.sound = sound;
  if (!windowed) return platform::CreateHeadlessPlatform(o);
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  return platform::CreateWindowedPlatform(o);
}

// The virtual keys the platform reports held: each as its number when it reads exactly 0x80,
// negated otherwise.
inline std::vector<int> KeysDown(platform::Platform& p) {
  uint8_t keys[256];
  EXPECT_NE(p.GetKeyboardState(keys), 0);
  std::vector<int> down;
  for (int i = 0; i < 256; ++i)
    if (keys[i]) down.push_back(keys[i] == 0x80 ? i : -i);
  return down;
}

// Each pixel a value from its position, so that misplaced pixels show.
inline void Pattern(platform::Surface& s) {
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) s.At(x, y) = static_cast<uint8_t>(x * 7 + y * 13 + 1);
}

// What the step's error of type E says, or "" when it threw none.
template <class E = platform::FatalError>
std::string ErrorOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const E& e) {
    return e.what();
  }
  return "";
}

// Whether the text holds every part, or, given none, is empty.
inline testing::AssertionResult Holds(const std::string& text,
                                      std::initializer_list<std::string> parts = {}) {
  bool ok = parts.size() || text.empty();
  for (const auto& part : parts) ok &= text.find(part) != std::string::npos;
  return ok ? testing::AssertionSuccess() : testing::AssertionFailure() << "\"" << text << "\"";
}

// The n low bytes of v, least or most significant first.
inline std::string Bytes(uint32_t v, int n, bool bigEndian) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>(v >> 8 * (bigEndian ? n - 1 - i : i));
  return s;
}
inline const auto Le16 = [](uint32_t v) { return Bytes(v, 2, false); };
inline const auto Le32 = [](uint32_t v) { return Bytes(v, 4, false); };
inline const auto Be16 = [](uint32_t v) { return Bytes(v, 2, true); };
inline const auto Be32 = [](uint32_t v) { return Bytes(v, 4, true); };

// A RIFF chunk, padded to an even length.
inline std::string RiffChunk(const std::string& id, const std::string& body) {
  return id + Le32(static_cast<uint32_t>(body.size())) + body + std::string(body.size() % 2, '\0');
}
inline std::string FmtChunk(uint32_t channels, uint32_t rate, uint32_t bits, uint32_t format = 1) {
  const uint32_t align = channels * bits / 8;
  return RiffChunk("fmt ", Le16(format) + Le16(channels) + Le32(rate) + Le32(rate * align) +
                               Le16(align) + Le16(bits));
}
inline std::string RiffWave(const std::string& chunks) {
  return "RIFF" + Le32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}
// A PCM WAV of silence with the given number of sample bytes.
inline std::string Wav(uint32_t channels, uint32_t rate, uint32_t bits, uint32_t dataBytes) {
  return RiffWave(FmtChunk(channels, rate, bits) +
                  RiffChunk("data", std::string(dataBytes, bits == 8 ? '\x80' : '\0')));
}

struct BmpLayout {
  uint32_t width = 5;
  int height = 3;
  bool topDown = false;
  uint32_t bits = 8, compression = 0, headerSize = 40, colours = 0;  // colours 0: 256
};
// Pixel (x, y) holds x + 10 * y; palette entry i is (i, 255 - i, i / 2).
inline std::string Bmp(const BmpLayout& s) {
  const uint32_t n = s.colours ? s.colours : 256;
  std::string palette, pixels;
  for (uint32_t i = 0; i < n; ++i) palette += Bytes((i / 2) | (255 - i) << 8 | i << 16, 4, false);
  for (int row = 0; row < s.height; ++row) {
    const int y = s.topDown ? row : s.height - 1 - row;
    std::string line((s.width * s.bits / 8 + 3) & ~3u, '\0');
    for (uint32_t x = 0; x < s.width && s.bits == 8; ++x) line[x] = static_cast<char>(x + 10 * y);
    pixels += line;
  }
  const uint32_t offset = 14 + s.headerSize + n * 4, size = static_cast<uint32_t>(pixels.size());
  std::string info = Le32(s.headerSize) + Le32(s.width) +
                     Le32(static_cast<uint32_t>(s.topDown ? -s.height : s.height)) + Le16(1) +
                     Le16(s.bits) + Le32(s.compression) + Le32(size) + Le32(2835) + Le32(2835) +
                     Le32(s.colours) + Le32(0);
  info.resize(s.headerSize, '\0');
  return "BM" + Le32(offset + size) + Le32(0) + Le32(offset) + info + palette + pixels;
}

// MIDI pieces: a variable-length number, events after a delta time, tracks and the file.
inline std::string Vlq(uint32_t v) {
  std::string out(1, static_cast<char>(v & 0x7F));
  while (v >>= 7) out.insert(out.begin(), static_cast<char>(0x80 | (v & 0x7F)));
  return out;
}
inline const auto Tempo = [](int t, int us) { return Vlq(t) + "\xFF\x51\x03" + Bytes(us, 3, 1); };
inline const auto NoteOn = [](uint32_t t, int k) { return Vlq(t) + "\x90" + char(k) + "\x64"; };
inline const auto NoteOff = [](uint32_t t, int k) { return Vlq(t) + "\x80" + char(k) + "\x40"; };
inline const auto EndOfTrack = [](uint32_t t) { return Vlq(t) + std::string("\xFF\x2F\x00", 3); };
inline const auto Track = [](std::string e) { return "MTrk" + Be32(uint32_t(e.size())) + e; };
inline std::string Midi(int format, int division, const std::vector<std::string>& tracks) {
  std::string out =
      "MThd" + Be32(6) + Be16(format) + Be16(static_cast<uint32_t>(tracks.size())) + Be16(division);
  for (const auto& t : tracks) out += Track(t);
  return out;
}

// Reads the PNG files the screenshot writer makes, independently of it: chunk CRCs, the
// stored deflate blocks, the Adler-32 sum, and the pixels (rows without filter bytes).
struct DecodedPng {
  uint32_t width = 0, height = 0;
  std::string rgb;
};
inline DecodedPng DecodeStoredPng(const std::string& f) {
  auto byte = [](const std::string& s, size_t at) -> uint32_t {
    return static_cast<uint8_t>(s.at(at));
  };
  auto be32 = [&](const std::string& s, size_t at) {
    return byte(s, at) << 24 | byte(s, at + 1) << 16 | byte(s, at + 2) << 8 | byte(s, at + 3);
  };
  DecodedPng out;
  EXPECT_EQ(f.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::string idat, type;
  for (size_t at = 8, len = 0; at < f.size(); at += 12 + len) {
    len = be32(f, at), type = f.substr(at + 4, 4);
    uint32_t crc = 0xFFFFFFFF;  // bit by bit, unlike the writer's table
    for (size_t i = at + 4; i < at + 8 + len; ++i) {
      crc ^= byte(f, i);
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    EXPECT_EQ(~crc, be32(f, at + 8 + len)) << type;
    if (type == "IHDR") {
      out.width = be32(f, at + 8), out.height = be32(f, at + 12);
      EXPECT_EQ(f.substr(at + 16, 5), std::string("\x08\x02\x00\x00\x00", 5));
    }
    if (type == "IDAT") idat += f.substr(at + 8, len);
  }
  EXPECT_EQ(type, "IEND");  // and nothing after it
  EXPECT_EQ((byte(idat, 0) * 256 + byte(idat, 1)) % 31, 0u);
  std::string raw;
  size_t at = 2;
  for (bool last = false; !last; at += 5 + (byte(idat, at + 1) | byte(idat, at + 2) << 8)) {
    last = byte(idat, at) & 1;
    const uint32_t n = byte(idat, at + 1) | byte(idat, at + 2) << 8;
    EXPECT_EQ(std::tuple(byte(idat, at) >> 1, n ^ 0xFFFF),
              std::tuple(0u, byte(idat, at + 3) | byte(idat, at + 4) << 8))
        << "stored blocks only";
    raw += idat.substr(at + 5, n);
  }
  uint32_t a = 1, b = 0;
  for (char c : raw) a = (a + static_cast<uint8_t>(c)) % 65521, b = (b + a) % 65521;
  EXPECT_EQ(std::tuple(be32(idat, at), at + 4), std::tuple(b << 16 | a, idat.size()));
  const size_t rowBytes = 1 + 3 * size_t{out.width};
  EXPECT_EQ(raw.size(), rowBytes * out.height);
  for (size_t y = 0; y < out.height && (y + 1) * rowBytes <= raw.size(); ++y) {
    EXPECT_EQ(raw[y * rowBytes], '\0');
    out.rgb += raw.substr(y * rowBytes + 1, rowBytes - 1);
  }
  return out;
}

}  // namespace platform_fixtures
