// Small BMP, WAV and MIDI files built byte by byte for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media_builders {

inline std::string Le16(uint32_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
inline std::string Le32(uint32_t v) {
  return Le16(v & 0xFFFF) + Le16(v >> 16);
}
inline std::string Be16(uint32_t v) {
  return {static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
}
inline std::string Be32(uint32_t v) {
  return Be16(v >> 16) + Be16(v & 0xFFFF);
}

// A RIFF chunk, padded to an even length.
inline std::string RiffChunk(const std::string& id, const std::string& body) {
  std::string c = id + Le32(static_cast<uint32_t>(body.size())) + body;
  if (body.size() % 2) c += '\0';
  return c;
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
  for (uint32_t i = 0; i < n; ++i) {
    palette += {static_cast<char>(i / 2), static_cast<char>(255 - i), static_cast<char>(i), 0};
  }
  for (int row = 0; row < s.height; ++row) {
    const int y = s.topDown ? row : s.height - 1 - row;
    std::string line((s.width * s.bits / 8 + 3) & ~3u, '\0');
    for (uint32_t x = 0; x < s.width && s.bits == 8; ++x) line[x] = static_cast<char>(x + 10 * y);
    pixels += line;
  }
  const uint32_t offset = 14 + s.headerSize + n * 4;
  const auto size = static_cast<uint32_t>(pixels.size());
  std::string info = Le32(s.headerSize) + Le32(s.width) +
                     Le32(static_cast<uint32_t>(s.topDown ? -s.height : s.height)) + Le16(1) +
                     Le16(s.bits) + Le32(s.compression) + Le32(size) + Le32(2835) + Le32(2835) +
                     Le32(s.colours) + Le32(0);
  info.resize(s.headerSize, '\0');
  return "BM" + Le32(offset + size) + Le32(0) + Le32(offset) + info + palette + pixels;
}

// MIDI pieces.
inline std::string Vlq(uint32_t v) {
  std::string out(1, static_cast<char>(v & 0x7F));
  while (v >>= 7) out.insert(out.begin(), static_cast<char>(0x80 | (v & 0x7F)));
  return out;
}
inline std::string Tempo(uint32_t delta, uint32_t usPerQuarter) {
  return Vlq(delta) + "\xFF\x51\x03" + Be32(usPerQuarter).substr(1);
}
inline std::string NoteOn(uint32_t delta, int key) {
  return Vlq(delta) + "\x90" + static_cast<char>(key) + "\x64";
}
inline std::string NoteOff(uint32_t delta, int key) {
  return Vlq(delta) + "\x80" + static_cast<char>(key) + "\x40";
}
inline std::string EndOfTrack(uint32_t delta) {
  return Vlq(delta) + std::string("\xFF\x2F\x00", 3);
}
inline std::string Track(const std::string& events) {
  return "MTrk" + Be32(static_cast<uint32_t>(events.size())) + events;
}
inline std::string Midi(uint32_t format, uint32_t division,
                        const std::vector<std::string>& tracks) {
  std::string out =
      "MThd" + Be32(6) + Be16(format) + Be16(static_cast<uint32_t>(tracks.size())) + Be16(division);
  for (const auto& t : tracks) out += Track(t);
  return out;
}

}  // namespace media_builders
