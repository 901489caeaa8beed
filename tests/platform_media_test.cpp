// WAV and MIDI headers: lengths, tempo maps, and malformed or truncated files.
#include <gtest/gtest.h>

#include <tuple>

#include "media_builders.h"
#include "platform/error.h"
#include "platform/media_info.h"
#include "platform_errors.h"
#include "test_support.h"

namespace {

using namespace media_builders;
using platform::MidiInfo;

class MediaInfo : public testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    testing_support::WriteFile(path, bytes);
    return path;
  }
  // Reads `bytes` as a MIDI file; the error, empty when it was read.
  std::string ReadMidi(const std::string& name, const std::string& bytes, MidiInfo& info) {
    std::string error;
    return platform::ReadMidiInfo(Write(name, bytes), info, &error) ? "" : error;
  }
  testing_support::TempDir dir_;
};

TEST_F(MediaInfo, WavFormatAndLength) {
  const struct {
    std::string bytes;
    int channels, rate, bits;
    uint32_t dataBytes;
    double seconds;
  } cases[] = {
      {Wav(2, 22050, 16, 44100), 2, 22050, 16, 44100, 0.5},
      {Wav(1, 8000, 8, 2000), 1, 8000, 8, 2000, 0.25},
      // An odd chunk before fmt, and an odd data chunk at the very end without its pad.
      {RiffWave(RiffChunk("LIST", "abc") + FmtChunk(1, 8000, 8) + "data" + Le32(801) +
                std::string(801, '\x80')),
       1, 8000, 8, 801, 801 / 8000.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dataBytes);
    const auto a = platform::ReadWavInfo(Write("a.wav", c.bytes));
    EXPECT_EQ(std::tuple(a.channels, a.sampleRate, a.bitsPerSample, a.dataBytes),
              std::tuple(c.channels, c.rate, c.bits, c.dataBytes));
    EXPECT_DOUBLE_EQ(a.seconds, c.seconds);
  }
}

TEST_F(MediaInfo, BadWavFilesNameTheFileAndTheFault) {
  const std::string good = Wav(1, 8000, 16, 400);
  const std::pair<std::string, std::string> cases[] = {
      {"", "not a WAV file"},
      {"hello, this is not a sound", "not a WAV file"},
      {good.substr(0, good.size() - 10), "truncated \"data\" chunk"},
      {good.substr(0, 30), "truncated \"fmt \" chunk"},
      {RiffWave(FmtChunk(1, 8000, 32, 3) + RiffChunk("data", "abcd")), "not PCM"},
      {RiffWave(FmtChunk(1, 8000, 24) + RiffChunk("data", "abc")), "24-bit"},
      {RiffWave(FmtChunk(1, 8000, 16)), "no data chunk"},
      {RiffWave(RiffChunk("data", "ab")), "no fmt chunk"},
      {"(no file)", ""},
  };
  for (const auto& [bytes, expected] : cases) {
    const std::string path =
        bytes == "(no file)" ? (dir_ / "wave" / "door.wav").string() : Write("bad.wav", bytes);
    const std::string error = platform_errors::ErrorOf([&] { platform::ReadWavInfo(path); });
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(expected), std::string::npos) << error;
  }
}

TEST_F(MediaInfo, MidiLengthFromTempoMapAndTheLastEventOfAnyTrack) {
  std::string messy = Tempo(0, 250000);
  messy += Vlq(0) + std::string("\xFF\x03\x04name", 7);              // track name
  messy += Vlq(0) + std::string("\xF0\x05\x7E\x7F\x09\x01\xF7", 7);  // GM on
  messy += NoteOn(0, 60) + Vlq(0) + "\x40\x64";                      // running status
  messy += Vlq(0) + std::string("\xFF\x01\x01x", 4);                 // a meta event between
  messy += Vlq(200) + std::string("\x3C\x00", 2);                    // running status survives
  messy += Vlq(0) + std::string("\xC0\x05", 2);                      // one-byte program change
  messy += Vlq(20000) + "\x80\x40\x40" + EndOfTrack(0);              // three-byte delta
  const struct {
    std::string bytes;
    uint32_t lastTick;
    double seconds;
  } cases[] = {
      // Format 1: a tempo track and two note tracks; the longest ends at tick 1920.
      {Midi(1, 480,
            {Tempo(0, 500000) + EndOfTrack(0), NoteOn(0, 60) + NoteOff(960, 60) + EndOfTrack(0),
             NoteOn(480, 64) + NoteOff(1440, 64) + EndOfTrack(0)}),
       1920, 2.0},
      // 120 bpm for two quarters, then 60 bpm set in another track; the end-of-track one
      // quarter after the last note is the last event.
      {Midi(1, 96,
            {Tempo(0, 500000) + Tempo(192, 1000000) + EndOfTrack(0),
             NoteOn(0, 60) + NoteOff(384, 60) + EndOfTrack(96)}),
       480, 4.0},
      {Midi(0, 100, {messy}), 20200, 20200 / 100.0 * 0.25},
      // An unknown chunk is skipped, and a track may lack its end (default tempo 120 bpm).
      {"MThd" + Be32(6) + Be16(0) + Be16(1) + Be16(96) + "XFIH" + Be32(3) + "abc" +
           Track(NoteOn(0, 60) + NoteOff(50, 60)),
       50, 50 / 96.0 * 0.5},
  };
  MidiInfo infos[std::size(cases)];
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(ReadMidi("s.mid", cases[i].bytes, infos[i]), "");
    EXPECT_EQ(infos[i].lastTick, cases[i].lastTick);
    EXPECT_DOUBLE_EQ(infos[i].LengthSeconds(), cases[i].seconds);
  }
  EXPECT_EQ(std::tuple(infos[0].SongPositionTick(16), infos[0].SongPositionTick(0)),
            std::tuple(4u * 480, 0u));
  ASSERT_EQ(infos[1].tempos.size(), 2u);
  EXPECT_EQ(infos[1].tempos[1], (std::pair<uint32_t, uint32_t>(192, 1000000)));
  EXPECT_EQ(std::tuple(infos[1].SecondsAt(96), infos[1].SecondsAt(192), infos[1].SecondsAt(288)),
            std::tuple(0.5, 1.0, 2.0));
}

TEST_F(MediaInfo, BadMidiFilesAreRefusedNamingTheFile) {
  const std::string notes = NoteOn(0, 60) + NoteOff(10, 60) + EndOfTrack(0);
  const std::pair<std::string, std::string> cases[] = {
      {Midi(2, 96, {notes}), "format 2"},
      {Midi(0, 0xE728, {notes}), "SMPTE"},
      {Midi(0, 0, {notes}), "division 0"},
      {Midi(0, 96, {}), "no tracks"},
      {Midi(0, 96, {Vlq(0) + "\x3C\x40" + EndOfTrack(0)}), "without a status"},
      {Midi(0, 96, {Vlq(0) + std::string("\xFF\x51\x02\x01\x02", 5)}), "tempo"},
      {Midi(0, 96, {Vlq(0) + "\xF4" + EndOfTrack(0)}), "status byte"},
      {Midi(0, 96, {"\x81\x81\x81\x81\x01" + notes}), "delta time"},
      {Wav(1, 8000, 8, 10), "not a MIDI file"},
  };
  MidiInfo info;
  for (const auto& [bytes, expected] : cases) {
    EXPECT_NE(ReadMidi("bad.mid", bytes, info).find(expected), std::string::npos) << expected;
  }
  // Every truncation is refused without reading past the end.
  const std::string song = Midi(1, 480,
                                {Tempo(0, 500000) + Tempo(960, 400000) + EndOfTrack(0),
                                 NoteOn(0, 60) + NoteOff(1000, 60) + Vlq(0) +
                                     std::string("\xF0\x02\x01\xF7", 4) + EndOfTrack(0)});
  for (size_t n = 0; n < song.size(); ++n) {
    EXPECT_NE(ReadMidi("cut.mid", song.substr(0, n), info).find("cut.mid"), std::string::npos)
        << n << " bytes";
  }
  EXPECT_EQ(ReadMidi("cut.mid", song, info), "");
  std::string error;
  EXPECT_FALSE(platform::ReadMidiInfo((dir_ / "missing.mid").string(), info, &error));
  EXPECT_NE(error.find("missing.mid"), std::string::npos) << error;
}

}  // namespace
