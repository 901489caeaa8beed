// The bundled sound data: ten clean effects, songs that loop from song position 16, an ending
// song long enough for the credits, and data that matches what its sources build.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/media_info.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kWaveDir = fs::path(QUELMIRE_SOURCE_DIR) / "data" / "wave";
const fs::path kMidiDir = fs::path(QUELMIRE_SOURCE_DIR) / "data" / "midi";

const char* const kEffects[] = {"blockhit", "door",      "damage02", "blockbreak", "bomb",
                                "itemget",  "explosion", "down",     "fire",       "switch"};

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
         uint32_t{b[at + 3]} << 24;
}

uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 |
         uint32_t{b[at + 3]};
}

// The 16-bit samples of a PCM WAV's data chunk (all channels interleaved).
std::vector<int16_t> WavSamples(const fs::path& path) {
  const std::vector<uint8_t> b = ReadBytes(path);
  std::vector<int16_t> out;
  size_t at = 12;
  while (at + 8 <= b.size()) {
    const uint32_t len = Le32(b, at + 4);
    if (std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4) ==
        "data") {
      for (size_t i = at + 8; i + 1 < at + 8 + len && i + 1 < b.size(); i += 2) {
        out.push_back(static_cast<int16_t>(b[i] | b[i + 1] << 8));
      }
      break;
    }
    at += 8 + len + (len & 1);
  }
  return out;
}

TEST(SoundEffectFiles, EachIsShortCleanAndBelowFullScale) {
  for (const char* name : kEffects) {
    SCOPED_TRACE(name);
    const fs::path path = kWaveDir / (std::string(name) + ".wav");
    const platform::WavInfo info = platform::ReadWavInfo(path.string());
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_GE(info.seconds, 0.05);
    EXPECT_LE(info.seconds, 2.0);

    const std::vector<int16_t> s = WavSamples(path);
    ASSERT_EQ(s.size() * 2, info.dataBytes);
    int peak = 0;
    for (int16_t v : s) peak = std::max(peak, std::abs(int{v}));
    EXPECT_LT(peak, 32767 * 95 / 100) << "too close to full scale";
    EXPECT_GT(peak, 32767 / 4) << "too quiet";
    // Starts and ends at rest, so playing it cannot click.
    EXPECT_LT(std::abs(int{s.front()}), 100);
    EXPECT_LT(std::abs(int{s.back()}), 100);
  }
}

// What a song holds, read event by event.
struct SongNotes {
  int format = -1;
  int notes = 0;
  int drumNotes = 0;  // on channel 10
  uint32_t firstNoteTick = UINT32_MAX;
  uint32_t lastNoteOffTick = 0;
  std::vector<uint32_t> noteOnTicks;
};

uint32_t Vlq(const std::vector<uint8_t>& b, size_t& pos) {
  uint32_t v = 0;
  for (int i = 0; i < 4 && pos < b.size(); ++i) {
    v = v << 7 | (b[pos] & 0x7F);
    if (!(b[pos++] & 0x80)) break;
  }
  return v;
}

SongNotes ReadNotes(const fs::path& path) {
  const std::vector<uint8_t> b = ReadBytes(path);
  SongNotes out;
  if (b.size() < 14) return out;
  out.format = b[8] << 8 | b[9];
  size_t at = 14;
  while (at + 8 <= b.size()) {
    const size_t end = std::min(b.size(), at + 8 + size_t{Be32(b, at + 4)});
    size_t pos = at + 8;
    uint32_t tick = 0;
    uint8_t status = 0;
    while (pos < end) {
      tick += Vlq(b, pos);
      if (pos >= end) break;
      if (b[pos] & 0x80) status = b[pos++];
      if (status == 0xFF || status == 0xF0 || status == 0xF7) {
        if (status == 0xFF) ++pos;
        const uint32_t len = Vlq(b, pos);
        pos += len;
        continue;
      }
      const int type = status & 0xF0;
      const size_t n = (type == 0xC0 || type == 0xD0) ? 1 : 2;
      if (pos + n > end) break;
      const bool on = type == 0x90 && b[pos + 1] > 0;
      const bool off = type == 0x80 || (type == 0x90 && b[pos + 1] == 0);
      if (on) {
        ++out.notes;
        if ((status & 0x0F) == 9) ++out.drumNotes;
        out.firstNoteTick = std::min(out.firstNoteTick, tick);
        out.noteOnTicks.push_back(tick);
      } else if (off) {
        out.lastNoteOffTick = std::max(out.lastNoteOffTick, tick);
      }
      pos += n;
    }
    at = end;
  }
  return out;
}

std::string SongFile(int n) {
  const std::string digits = std::to_string(n + 1000);
  return "vorn" + digits.substr(digits.size() - 2) + ".mid";
}

TEST(SongFiles, AllParseWithMelodyAndDrums) {
  for (int n = 1; n <= 10; ++n) {
    SCOPED_TRACE(SongFile(n));
    const fs::path path = kMidiDir / SongFile(n);
    platform::MidiInfo info;
    std::string error;
    ASSERT_TRUE(platform::ReadMidiInfo(path.string(), info, &error)) << error;
    EXPECT_EQ(info.division, 480);
    const SongNotes notes = ReadNotes(path);
    EXPECT_EQ(notes.format, 1);
    EXPECT_GT(notes.notes, 40);
    EXPECT_GT(notes.drumNotes, 0) << "no drums on channel 10";
    EXPECT_EQ(notes.firstNoteTick, 0u);
    // The song ends exactly at a bar line, with its last notes.
    const uint32_t bar = info.SongPositionTick(16);
    EXPECT_EQ(info.lastTick % bar, 0u);
    EXPECT_EQ(notes.lastNoteOffTick, info.lastTick);
  }
}

// The game restarts a stopped song at song position 16: bar 2 must start with notes, and the
// last bar must end on the bar line so the restart follows without a gap.
TEST(SongFiles, LoopingSongsRestartOnTheSecondBar) {
  for (int n : {1, 2, 3, 4, 5, 6, 7, 9}) {
    SCOPED_TRACE(SongFile(n));
    const fs::path path = kMidiDir / SongFile(n);
    platform::MidiInfo info;
    ASSERT_TRUE(platform::ReadMidiInfo(path.string(), info));
    const uint32_t loop = info.SongPositionTick(16);
    EXPECT_EQ(loop, 1920u);
    EXPECT_GE(info.lastTick, 9 * loop) << "at least eight bars after the intro";
    const SongNotes notes = ReadNotes(path);
    int atLoop = 0;
    for (uint32_t t : notes.noteOnTicks) atLoop += t == loop;
    EXPECT_GE(atLoop, 2) << "bar 2 starts with notes";
    EXPECT_GT(info.LengthSeconds(), 20.0);
    EXPECT_LT(info.LengthSeconds(), 120.0);
  }
}

TEST(SongFiles, GameOverIsShortAndTheEndingCoversTheCredits) {
  platform::MidiInfo gameOver;
  ASSERT_TRUE(platform::ReadMidiInfo((kMidiDir / SongFile(8)).string(), gameOver));
  EXPECT_GT(gameOver.LengthSeconds(), 5.0);
  EXPECT_LT(gameOver.LengthSeconds(), 30.0);

  // Pictures, story and seven credits scenes take about 100 s before the last one waits for
  // the song to end.
  platform::MidiInfo ending;
  ASSERT_TRUE(platform::ReadMidiInfo((kMidiDir / SongFile(10)).string(), ending));
  EXPECT_GE(ending.LengthSeconds(), 105.0);
  EXPECT_LE(ending.LengthSeconds(), 180.0);
}

}  // namespace
