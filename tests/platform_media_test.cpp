// WAV and MIDI headers: lengths, tempo maps, and malformed or truncated files.
#include <gtest/gtest.h>

#include "media_builders.h"
#include "platform/error.h"
#include "platform/media_info.h"
#include "test_support.h"

namespace {

using namespace media_builders;
using platform::FatalError;
using platform::MidiInfo;
using platform::ReadMidiInfo;
using platform::ReadWavInfo;
using testing_support::TempDir;
using testing_support::WriteFile;

std::string WavError(const std::string& path) {
  try {
    ReadWavInfo(path);
  } catch (const FatalError& e) {
    return e.what();
  }
  return "no error";
}

TEST(WavInfo, ReadsFormatAndLength) {
  TempDir dir;
  WriteFile(dir / "a.wav", Wav(2, 22050, 16, 22050 * 4 / 2));  // half a second
  const auto a = ReadWavInfo((dir / "a.wav").string());
  EXPECT_EQ(a.channels, 2);
  EXPECT_EQ(a.sampleRate, 22050);
  EXPECT_EQ(a.bitsPerSample, 16);
  EXPECT_EQ(a.dataBytes, 22050u * 2);
  EXPECT_DOUBLE_EQ(a.seconds, 0.5);

  WriteFile(dir / "b.wav", Wav(1, 8000, 8, 8000 / 4));
  EXPECT_DOUBLE_EQ(ReadWavInfo((dir / "b.wav").string()).seconds, 0.25);
}

TEST(WavInfo, SkipsOddChunksWithTheirPadding) {
  TempDir dir;
  // An odd-length chunk before fmt and an odd data chunk at the very end without its pad.
  const std::string file = RiffWave(RiffChunk("LIST", "abc") + FmtChunk(1, 8000, 8) + "data" +
                                    Le32(801) + std::string(801, '\x80'));
  WriteFile(dir / "odd.wav", file);
  const auto info = ReadWavInfo((dir / "odd.wav").string());
  EXPECT_EQ(info.dataBytes, 801u);
  EXPECT_EQ(info.sampleRate, 8000);
}

TEST(WavInfo, BadFilesNameTheFileAndTheFault) {
  TempDir dir;
  const std::string good = Wav(1, 8000, 16, 400);
  struct Case {
    std::string name, bytes, expected;
  } cases[] = {
      {"empty.wav", "", "not a WAV file"},
      {"text.wav", "hello, this is not a sound", "not a WAV file"},
      {"cut.wav", good.substr(0, good.size() - 10), "truncated \"data\" chunk"},
      {"headeronly.wav", good.substr(0, 30), "truncated \"fmt \" chunk"},
      {"float.wav", RiffWave(FmtChunk(1, 8000, 32, 3) + RiffChunk("data", "abcd")), "not PCM"},
      {"24bit.wav", RiffWave(FmtChunk(1, 8000, 24) + RiffChunk("data", "abc")), "24-bit"},
      {"nodata.wav", RiffWave(FmtChunk(1, 8000, 16)), "no data chunk"},
      {"nofmt.wav", RiffWave(RiffChunk("data", "ab")), "no fmt chunk"},
  };
  for (const auto& c : cases) {
    WriteFile(dir / c.name, c.bytes);
    const std::string path = (dir / c.name).string();
    const std::string error = WavError(path);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << c.name << ": " << error;
  }
  const std::string missing = (dir / "wave" / "door.wav").string();
  EXPECT_NE(WavError(missing).find(missing), std::string::npos);
}

TEST(MidiInfo, LengthFromTheLastEventOfAnyTrack) {
  TempDir dir;
  // Format 1: a tempo track and two note tracks; the longest ends at tick 1920.
  const std::string song =
      Midi(1, 480,
           {Tempo(0, 500000) + EndOfTrack(0), NoteOn(0, 60) + NoteOff(960, 60) + EndOfTrack(0),
            NoteOn(480, 64) + NoteOff(1440, 64) + EndOfTrack(0)});
  WriteFile(dir / "s.mid", song);
  MidiInfo info;
  std::string error;
  ASSERT_TRUE(ReadMidiInfo((dir / "s.mid").string(), info, &error)) << error;
  EXPECT_EQ(info.division, 480);
  EXPECT_EQ(info.lastTick, 1920u);
  EXPECT_DOUBLE_EQ(info.LengthSeconds(), 2.0);
  EXPECT_EQ(info.SongPositionTick(16), 4u * 480);
  EXPECT_EQ(info.SongPositionTick(0), 0u);
}

TEST(MidiInfo, TempoChangesShapeTheTimeline) {
  TempDir dir;
  // 120 bpm for two quarters, then 60 bpm (tempo set in a second track, format 1), and an
  // end-of-track one quarter after the last note: the end-of-track is the last event.
  const std::string song = Midi(1, 96,
                                {Tempo(0, 500000) + Tempo(192, 1000000) + EndOfTrack(0),
                                 NoteOn(0, 60) + NoteOff(384, 60) + EndOfTrack(96)});
  WriteFile(dir / "t.mid", song);
  MidiInfo info;
  ASSERT_TRUE(ReadMidiInfo((dir / "t.mid").string(), info));
  ASSERT_EQ(info.tempos.size(), 2u);
  EXPECT_EQ(info.tempos[1], (std::pair<uint32_t, uint32_t>(192, 1000000)));
  EXPECT_EQ(info.lastTick, 480u);
  EXPECT_DOUBLE_EQ(info.SecondsAt(96), 0.5);
  EXPECT_DOUBLE_EQ(info.SecondsAt(192), 1.0);
  EXPECT_DOUBLE_EQ(info.SecondsAt(288), 2.0);
  EXPECT_DOUBLE_EQ(info.LengthSeconds(), 1.0 + 3.0);
}

TEST(MidiInfo, RunningStatusSysexMetaAndLongDeltas) {
  TempDir dir;
  std::string events = Tempo(0, 250000);
  events += Vlq(0) + std::string("\xFF\x03\x04name", 7);              // track name
  events += Vlq(0) + std::string("\xF0\x05\x7E\x7F\x09\x01\xF7", 7);  // GM on
  events += NoteOn(0, 60) + Vlq(0) + "\x40\x64";                      // running status: second note
  events += Vlq(0) + std::string("\xFF\x01\x01x", 4);                 // a meta event between
  events += Vlq(200) + std::string("\x3C\x00", 2);                    // running status survives it
  events += Vlq(0) + std::string("\xC0\x05", 2);                      // one-byte program change
  events += Vlq(20000) + "\x80\x40\x40";                              // three-byte delta
  events += EndOfTrack(0);
  WriteFile(dir / "r.mid", Midi(0, 100, {events}));
  MidiInfo info;
  std::string error;
  ASSERT_TRUE(ReadMidiInfo((dir / "r.mid").string(), info, &error)) << error;
  EXPECT_EQ(info.lastTick, 20200u);
  EXPECT_DOUBLE_EQ(info.LengthSeconds(), 20200 / 100.0 * 0.25);
}

TEST(MidiInfo, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
  TempDir dir;
  const std::string song = Midi(1, 480,
                                {Tempo(0, 500000) + Tempo(960, 400000) + EndOfTrack(0),
                                 NoteOn(0, 60) + NoteOff(1000, 60) + Vlq(0) +
                                     std::string("\xF0\x02\x01\xF7", 4) + EndOfTrack(0)});
  const std::string path = (dir / "cut.mid").string();
  for (size_t n = 0; n < song.size(); ++n) {
    WriteFile(path, song.substr(0, n));
    MidiInfo info;
    std::string error;
    EXPECT_FALSE(ReadMidiInfo(path, info, &error)) << n << " bytes";
    EXPECT_NE(error.find(path), std::string::npos) << n << " bytes: " << error;
  }
  WriteFile(path, song);
  MidiInfo info;
  EXPECT_TRUE(ReadMidiInfo(path, info));
}

TEST(MidiInfo, MalformedFilesAreRefused) {
  TempDir dir;
  const std::string notes = NoteOn(0, 60) + NoteOff(10, 60) + EndOfTrack(0);
  struct Case {
    std::string name, bytes, expected;
  } cases[] = {
      {"format2.mid", Midi(2, 96, {notes}), "format 2"},
      {"smpte.mid", Midi(0, 0xE728, {notes}), "SMPTE"},
      {"div0.mid", Midi(0, 0, {notes}), "division 0"},
      {"notracks.mid", Midi(0, 96, {}), "no tracks"},
      {"nostatus.mid", Midi(0, 96, {Vlq(0) + "\x3C\x40" + EndOfTrack(0)}), "without a status"},
      {"tempo.mid", Midi(0, 96, {Vlq(0) + std::string("\xFF\x51\x02\x01\x02", 5)}), "tempo"},
      {"status.mid", Midi(0, 96, {Vlq(0) + "\xF4" + EndOfTrack(0)}), "status byte"},
      {"vlq.mid", Midi(0, 96, {"\x81\x81\x81\x81\x01" + notes}), "delta time"},
      {"riff.mid", Wav(1, 8000, 8, 10), "not a MIDI file"},
  };
  for (const auto& c : cases) {
    const std::string path = (dir / c.name).string();
    WriteFile(path, c.bytes);
    MidiInfo info;
    std::string error;
    EXPECT_FALSE(ReadMidiInfo(path, info, &error)) << c.name;
    EXPECT_NE(error.find(c.expected), std::string::npos) << c.name << ": " << error;
  }
  MidiInfo info;
  std::string error;
  EXPECT_FALSE(ReadMidiInfo((dir / "missing.mid").string(), info, &error));
  EXPECT_NE(error.find("missing.mid"), std::string::npos);
}

TEST(MidiInfo, UnknownChunksAreSkippedAndATrackMayLackItsEnd) {
  TempDir dir;
  std::string song = "MThd" + Be32(6) + Be16(0) + Be16(1) + Be16(96);
  song += "XFIH" + Be32(3) + "abc";
  song += Track(NoteOn(0, 60) + NoteOff(50, 60));
  WriteFile(dir / "x.mid", song);
  MidiInfo info;
  std::string error;
  ASSERT_TRUE(ReadMidiInfo((dir / "x.mid").string(), info, &error)) << error;
  EXPECT_EQ(info.lastTick, 50u);
}

}  // namespace
