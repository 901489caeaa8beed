// WAV and MIDI headers: lengths, tempo maps, and malformed or truncated files.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/error.h"
#include "platform/media_info.h"
#include "platform_fixtures.h"
#include "test_support.h"

namespace {

using namespace platform_fixtures;
using platform::MidiInfo;

class MediaInfo : public testing::Test {
 protected:
  // Reads the bytes (or a missing file, for "-") as a WAV: "channels rate bits bytes seconds",
  // or the error.
  std::string ReadWav(const std::string& bytes) {
    const std::string path = Write("a.wav", bytes);
    try {
      const auto a = platform::ReadWavInfo(path);
      std::ostringstream s;
      s << a.channels << " " << a.sampleRate << " " << a.bitsPerSample << " " << a.dataBytes << " "
        << a.seconds;
      return s.str();
    } catch (const platform::FatalError& e) {
      return e.what();
    }
  }
  // Reads the bytes as a MIDI file into info: "lastTick seconds", or the error.
  std::string ReadMidi(const std::string& bytes, MidiInfo& info) {
    std::string error;
    std::ostringstream s;
    if (!platform::ReadMidiInfo(Write("a.mid", bytes), info, &error)) return error;
    s << info.lastTick << " " << info.LengthSeconds();
    return s.str();
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    bytes == "-" ? void(std::filesystem::remove(path)) : testing_support::WriteFile(path, bytes);
    return path;
  }
  testing_support::TempDir dir_;
};

TEST_F(MediaInfo, WavFormatAndLengthOrTheFileAndTheFault) {
  const std::string good = Wav(1, 8000, 16, 400), in = dir_.path().string() + "/a.wav: ";
  const std::pair<std::string, std::string> cases[] = {
      {Wav(2, 22050, 16, 44100), "2 22050 16 44100 0.5"},
      {Wav(1, 8000, 8, 2000), "1 8000 8 2000 0.25"},
      // An odd chunk before fmt, and an odd data chunk at the very end without its pad.
      {RiffWave(RiffChunk("LIST", "abc") + FmtChunk(1, 8000, 8) + "data" + Le32(801) +
                std::string(801, '\x80')),
       "1 8000 8 801 0.100125"},
      {"", in + "not a WAV file"},
      {"hello, this is not a sound", in + "not a WAV file"},
      {good.substr(0, good.size() - 10), in + "truncated \"data\" chunk"},
      {good.substr(0, 30), in + "truncated \"fmt \" chunk"},
      {RiffWave(FmtChunk(1, 8000, 32, 3) + RiffChunk("data", "abcd")), in + "not PCM"},
      {RiffWave(FmtChunk(1, 8000, 24) + RiffChunk("data", "abc")), in + "24-bit"},
      {RiffWave(FmtChunk(1, 8000, 16)), in + "no data chunk"},
      {RiffWave(RiffChunk("data", "ab")), in + "no fmt chunk"},
      {"-", in},
  };
  for (const auto& [bytes, want] : cases)
    EXPECT_EQ(ReadWav(bytes).rfind(want, 0), 0u) << ReadWav(bytes);
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
  const std::pair<std::string, std::string> cases[] = {
      // Format 1: a tempo track and two note tracks; the longest ends at tick 1920.
      {Midi(1, 480,
            {Tempo(0, 500000) + EndOfTrack(0), NoteOn(0, 60) + NoteOff(960, 60) + EndOfTrack(0),
             NoteOn(480, 64) + NoteOff(1440, 64) + EndOfTrack(0)}),
       "1920 2"},
      // 120 bpm for two quarters, then 60 bpm set in another track; the end-of-track one
      // quarter after the last note is the last event.
      {Midi(1, 96,
            {Tempo(0, 500000) + Tempo(192, 1000000) + EndOfTrack(0),
             NoteOn(0, 60) + NoteOff(384, 60) + EndOfTrack(96)}),
       "480 4"},
      {Midi(0, 100, {messy}), "20200 50.5"},
      // An unknown chunk is skipped, and a track may lack its end (default tempo 120 bpm).
      {"MThd" + Be32(6) + Be16(0) + Be16(1) + Be16(96) + "XFIH" + Be32(3) + "abc" +
           Track(NoteOn(0, 60) + NoteOff(50, 60)),
       "50 0.260417"},
  };
  MidiInfo infos[std::size(cases)];
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(ReadMidi(cases[i].first, infos[i]), cases[i].second) << i;
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
      {"-", "a.mid"},
  };
  MidiInfo info;
  for (const auto& [bytes, expected] : cases) {
    const std::string error = ReadMidi(bytes, info);
    EXPECT_TRUE(error.find(expected) != std::string::npos &&
                error.find("a.mid") != std::string::npos)
        << error;
  }
  // Every truncation is refused without reading past the end.
  const std::string song = Midi(1, 480,
                                {Tempo(0, 500000) + Tempo(960, 400000) + EndOfTrack(0),
                                 NoteOn(0, 60) + NoteOff(1000, 60) + Vlq(0) +
                                     std::string("\xF0\x02\x01\xF7", 4) + EndOfTrack(0)});
  for (size_t n = 0; n < song.size(); ++n) {
    EXPECT_NE(ReadMidi(song.substr(0, n), info).find("a.mid"), std::string::npos) << n << " bytes";
  }
  EXPECT_EQ(ReadMidi(song, info).find("a.mid"), std::string::npos);
}

}  // namespace
