// WAV and MIDI headers: lengths, tempo maps, and malformed or truncated files. Then the bundled
// songs and sound effects, read as files and heard as the game sounds them: songs
// rendered through the music device's synthesizer settings and soundfont, effects loaded by
// the mixer as the game loads them. Each must last as long as its file says, stay below full
// scale and be heard. Set QUELMIRE_RENDER_DIR to a folder to keep the renders for listening.
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include "platform/media_info.h"
#include "platform/sdl_music.h"
#include "platform/song_render.h"
#include "platform_fixtures.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace platform_fixtures;
using platform::MidiInfo;

class MediaInfo : public testing::Test {
 protected:
  // Reads the bytes (or a missing file, for "-") as a WAV: "channels rate bits bytes seconds",
  // or the error.
  std::string ReadWav(const std::string& bytes) {
    platform::WavInfo a;
    const std::string error = ErrorOf([&] { a = platform::ReadWavInfo(Write("a.wav", bytes)); });
    std::ostringstream s;
    s << a.channels << " " << a.sampleRate << " " << a.bitsPerSample << " " << a.dataBytes << " "
      << a.seconds;
    return error.empty() ? s.str() : error;
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

TEST_F(MediaInfo, WavAndMidiHeadersGiveFormatAndLengthOrNameTheFileAndTheFault) {
  const std::string wav = Wav(1, 8000, 16, 400), in = dir_.path().string() + "/a.wav: ";
  const std::pair<std::string, std::string> wavs[] = {
      {Wav(2, 22050, 16, 44100), "2 22050 16 44100 0.5"},
      {Wav(1, 8000, 8, 2000), "1 8000 8 2000 0.25"},
      // An odd chunk before fmt, and an odd data chunk at the very end without its pad.
      {RiffWave(RiffChunk("LIST", "abc") + FmtChunk(1, 8000, 8) + "data" + Le32(801) +
                std::string(801, '\x80')),
       "1 8000 8 801 0.100125"},
      {"", in + "not a WAV file"},
      {wav.substr(0, wav.size() - 10), in + "truncated \"data\" chunk"},
      {wav.substr(0, 30), in + "truncated \"fmt \" chunk"},
      {RiffWave(FmtChunk(1, 8000, 32, 3) + RiffChunk("data", "abcd")), in + "not PCM"},
      {RiffWave(FmtChunk(1, 8000, 24) + RiffChunk("data", "abc")), in + "24-bit"},
      {RiffWave(FmtChunk(1, 8000, 16)), in + "no data chunk"},
      {RiffWave(RiffChunk("data", "ab")), in + "no fmt chunk"},
      {"-", in},
  };
  for (const auto& [bytes, want] : wavs)
    EXPECT_EQ(ReadWav(bytes).rfind(want, 0), 0u) << ReadWav(bytes);
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
  // The tempo change in the other track takes effect at its tick.
  EXPECT_EQ(std::tuple(infos[1].SecondsAt(96), infos[1].SecondsAt(192), infos[1].SecondsAt(288)),
            std::tuple(0.5, 1.0, 2.0));
  // Bad MIDI files are refused naming the file.
  const std::string notes = NoteOn(0, 60) + NoteOff(10, 60) + EndOfTrack(0);
  const std::pair<std::string, std::string> bad[] = {
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
  for (const auto& [bytes, expected] : bad)
    EXPECT_TRUE(Holds(ReadMidi(bytes, info), {expected, "a.mid"}));
  // Every truncation is refused without reading past the end.
  const std::string song = Midi(1, 480,
                                {Tempo(0, 500000) + Tempo(960, 400000) + EndOfTrack(0),
                                 NoteOn(0, 60) + NoteOff(1000, 60) + Vlq(0) +
                                     std::string("\xF0\x02\x01\xF7", 4) + EndOfTrack(0)});
  for (size_t n = 0; n < song.size(); ++n)
    EXPECT_TRUE(Holds(ReadMidi(song.substr(0, n), info), {"a.mid"})) << n << " bytes";
  EXPECT_FALSE(Holds(ReadMidi(song, info), {"a.mid"}));
}

constexpr int kRate = 44100;         // the rate the game opens the mixer at
constexpr double kMinRms = 0.01;     // -40 dBFS over the whole sound
constexpr double kQuietRms = 0.001;  // a 50 ms window below -60 dBFS is silence
const fs::path kGameDir = fs::path(QUELMIRE_BINARY_DIR);

// Peak and RMS of interleaved samples, channels taken together, as fractions of full scale.
std::pair<double, double> Levels(const int16_t* s, size_t count) {
  double peak = 0, sum = 0;
  for (size_t i = 0; i < count; ++i) {
    peak = std::max(peak, std::abs(static_cast<double>(s[i])) / 32767);
    sum += static_cast<double>(s[i]) * s[i];
  }
  return {peak, count > 0 ? std::sqrt(sum / static_cast<double>(count)) / 32767 : 0};
}

TEST(SongFiles, EachHasItsLengthLoopsOnBarTwoAndSoundsCleanly) {
  const bool render = !platform::FindSoundfont().empty();
  const char* keep = std::getenv("QUELMIRE_RENDER_DIR");
  for (int song = 1; song <= 10; ++song) {
    // The game restarts a stopped song at song position 16 (bar 2) unless it is heard once: the
    // game-over song (8) is short, and pictures, story and seven credits scenes take about 100 s
    // before the last one waits for the ending song (10) to end.
    const bool loops = song != 8 && song != 10;
    const auto [minSeconds, maxSeconds] = song == 8    ? std::pair(5, 30)
                                          : song == 10 ? std::pair(105, 180)
                                                       : std::pair(20, 120);
    const fs::path path =
        kGameDir / "midi" / ((song < 10 ? "vorn0" : "vorn") + std::to_string(song) + ".mid");
    SCOPED_TRACE(path.filename().string());
    MidiInfo info;
    std::string error;
    ASSERT_TRUE(platform::ReadMidiInfo(path.string(), info, &error)) << error;
    const double length = info.LengthSeconds();
    // The song ends exactly on a bar line, so a restart follows without a gap; a looping one
    // has at least eight bars after the intro.
    const uint32_t bar = info.SongPositionTick(16);
    EXPECT_TRUE(info.division == 480 && length >= minSeconds && length <= maxSeconds) << length;
    EXPECT_TRUE(bar == 1920 && info.lastTick % bar == 0 && (!loops || info.lastTick >= 9 * bar))
        << info.lastTick;
    if (!render) continue;  // no General MIDI soundfont installed
    std::vector<int16_t> audio;
    ASSERT_TRUE(platform::RenderSong(path.string(), audio, kRate, &error)) << error;
    if (keep != nullptr) {
      const fs::path out = fs::path(keep) / (path.stem().string() + ".wav");
      EXPECT_TRUE(platform::WriteStereoWav(out.string(), audio, kRate, &error)) << error;
    }
    // Rendering goes in blocks and the player's tick count advances every 64 frames.
    ASSERT_NEAR(static_cast<double>(audio.size() / 2) / kRate,
                length + platform::kRenderTailSeconds, 0.02);
    const auto [peak, rms] = Levels(audio.data(), audio.size());
    EXPECT_TRUE(peak < 0.98 && rms > kMinRms)
        << "no headroom or too quiet: peak " << peak << ", RMS " << rms;
    // The longest run of silent 50 ms windows before the tail.
    const size_t window = kRate / 20 * 2;
    double silence = 0, run = 0;
    for (size_t at = 0; at + window <= static_cast<size_t>(length * kRate) * 2; at += window) {
      run = Levels(audio.data() + at, window).second < kQuietRms ? run + 0.05 : 0;
      silence = std::max(silence, run);
    }
    EXPECT_LE(silence, 4.0) << "a silent stretch";
    // It sounds from its first moment up to its last, and at once where the game restarts it.
    for (double at : {0.0, length - 0.1, loops ? info.SecondsAt(bar) : 0.0}) {
      const size_t from = static_cast<size_t>(at * kRate) * 2;
      EXPECT_GT(Levels(audio.data() + from, kRate / 10 * 2).second, 10 * kQuietRms) << at << " s";
    }
  }
}

// How alike the loudness of two stretches of interleaved stereo moves, `frames` long, in
// 10 ms steps: the normalised correlation of their RMS envelopes, deviations from the mean.
double EnvelopeCorrelation(const int16_t* a, const int16_t* b, int64_t frames) {
  const int64_t step = kRate / 100;
  std::vector<double> x, y;
  for (int64_t at = 0; at + step <= frames; at += step) {
    x.push_back(Levels(a + at * 2, static_cast<size_t>(step) * 2).second);
    y.push_back(Levels(b + at * 2, static_cast<size_t>(step) * 2).second);
  }
  const auto mean = [](const std::vector<double>& v) {
    double sum = 0;
    for (double e : v) sum += e;
    return sum / static_cast<double>(v.size());
  };
  const double mx = mean(x), my = mean(y);
  double xy = 0, xx = 0, yy = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    xy += (x[i] - mx) * (y[i] - my);
    xx += (x[i] - mx) * (x[i] - mx);
    yy += (y[i] - my) * (y[i] - my);
  }
  return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
}

// The largest step between two neighbouring samples of one channel.
int MaxStep(const int16_t* s, int64_t frames) {
  int step = 0;
  for (int64_t i = 2; i < frames * 2; ++i) step = std::max(step, std::abs(s[i] - s[i - 2]));
  return step;
}

TEST(SongFiles, ALoopingSongPlaysFromMemoryAndRestartsAtItsLoopPointWithoutAGap) {
  if (platform::FindSoundfont().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  const fs::path path = kGameDir / "midi" / "vorn02.mid";
  MidiInfo info;
  std::string error;
  ASSERT_TRUE(platform::ReadMidiInfo(path.string(), info, &error)) << error;
  auto song = platform::RenderSongPcmFile(path.string(), kRate, &error);
  ASSERT_NE(song, nullptr) << error;
  RecordProperty("rendered_bytes", std::to_string(song->Bytes()));
  const int16_t* first = song->Frame(0);
  const auto frameAt = [&](double seconds) { return static_cast<int64_t>(seconds * kRate); };
  const int64_t end = frameAt(info.LengthSeconds());
  const int64_t loop = frameAt(info.SecondsAt(info.SongPositionTick(16)));

  // The game's way: play, poll the status every 48 ms (a play tick), and when it says
  // stopped, seek to the start and play from position 16 (unless the song is heard once);
  // `late` polls only after that long, as while a fade or the save prompt runs (while the
  // last notes ring, or after).
  struct Case {
    const char* what;
    bool restart;
    double late;
  };
  for (const Case& c : {Case{"restarted at once", true, 0}, Case{"heard once", false, 0},
                        Case{"restarted 1 s late", true, 1}, Case{"restarted 5 s late", true, 5}}) {
    SCOPED_TRACE(c.what);
    platform::PcmSongPlayer player;
    player.Load(song);
    player.Play(1);
    std::vector<int16_t> out;
    int64_t reported = -1, restartedAt = -1;
    const int64_t block = kRate * 48 / 1000;
    while (static_cast<int64_t>(out.size() / 2) < end + frameAt(16)) {
      const size_t at = out.size();
      out.resize(at + static_cast<size_t>(block) * 2);
      player.Mix(out.data() + at, static_cast<int>(block));
      const int64_t now = static_cast<int64_t>(out.size() / 2);
      if (reported < 0 && player.EndedEpoch() == 1) reported = now;
      if (c.restart && restartedAt < 0 && reported >= 0 && now >= reported + frameAt(c.late)) {
        player.Seek();
        player.PlayFromLoop(2);
        restartedAt = now;
      }
    }
    // Told of its end within its last half second, never after it.
    ASSERT_GE(reported, 0);
    EXPECT_TRUE(reported <= end && reported > end - frameAt(0.5)) << reported - end;
    // Up to its end it is the song as rendered.
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + (end - frameAt(0.05)) * 2, first));
    // Asked for before the end, the restart follows the end.
    const int64_t restart = std::max(end, restartedAt);
    // Without a step larger than the music's own where one stretch hands over to another.
    const int musicStep = MaxStep(first, end);
    EXPECT_LE(MaxStep(out.data() + (end - frameAt(0.5)) * 2, frameAt(c.late + 4)), musicStep);
    if (!c.restart) {
      // The last notes ring out, then nothing.
      EXPECT_GT(Levels(out.data() + end * 2, frameAt(0.05) * 2).second, 10 * kQuietRms);
      EXPECT_TRUE(
          std::all_of(out.end() - frameAt(5) * 2, out.end(), [](int16_t v) { return v == 0; }));
      continue;
    }
    // No gap when restarted at once: every 50 ms around the end sounds.
    for (int64_t at = end - frameAt(0.5); c.late == 0 && at < end + frameAt(1);
         at += frameAt(0.05)) {
      EXPECT_GT(Levels(out.data() + at * 2, frameAt(0.05) * 2).second, 10 * kQuietRms)
          << (at - end) * 1000 / kRate << " ms after the end";
    }
    // From the restart on it is position 16 again: once the last notes have died away, the
    // same samples as the first time through (to within the player's 64-frame steps).
    const int64_t after = restart + frameAt(4), length = frameAt(6);
    bool same = false;
    for (int64_t off = -130; off <= 130 && !same; ++off) {
      same = std::equal(out.begin() + after * 2, out.begin() + (after + length) * 2,
                        first + (loop + frameAt(4) + off) * 2);
    }
    EXPECT_TRUE(same) << "not the song from position 16 as first heard";
    // And from its first moment on: the music of position 16, not of the song's start.
    const int16_t* heard = out.data() + restart * 2;
    const double atLoop = EnvelopeCorrelation(heard, first + loop * 2, frameAt(4));
    EXPECT_TRUE(atLoop > 0.8 && atLoop > EnvelopeCorrelation(heard, first, frameAt(4)) + 0.3)
        << atLoop;
  }
}

TEST(SoundEffectFiles, EachIsShortCleanAndHeardAtItsLengthThroughTheMixer) {
  // The mixer as the game opens it, unless this machine has no audio driver at all.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) GTEST_SKIP() << "no audio: " << SDL_GetError();
  if (Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    GTEST_SKIP() << "no audio device: " << Mix_GetError();
  }
  int rate = 0, channels = 0;
  Uint16 format = 0;
  ASSERT_TRUE(Mix_QuerySpec(&rate, &format, &channels) != 0 && format == AUDIO_S16SYS);
  for (const char* name : {"blockhit", "door", "damage02", "blockbreak", "bomb", "itemget",
                           "explosion", "down", "fire", "switch"}) {
    SCOPED_TRACE(name);
    const std::string path = (kGameDir / "wave" / (std::string(name) + ".wav")).string();
    const platform::WavInfo info = platform::ReadWavInfo(path);
    EXPECT_EQ(std::tuple(info.sampleRate, info.bitsPerSample), std::tuple(kRate, 16));
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    const auto* first = reinterpret_cast<const int16_t*>(chunk->abuf);
    const std::vector<int16_t> s(first, first + chunk->alen / 2);
    Mix_FreeChunk(chunk);
    // Converted to the mixer's rate and channels, it keeps its length.
    const double seconds = static_cast<double>(s.size() / static_cast<size_t>(channels)) / rate;
    EXPECT_NEAR(seconds, info.seconds, 0.005);
    EXPECT_TRUE(seconds >= 0.05 && seconds <= 2.0) << seconds;
    const auto [peak, rms] = Levels(s.data(), s.size());
    EXPECT_TRUE(peak > 0.25 && peak < 0.95 && rms > kMinRms)
        << "too quiet or too close to full scale: peak " << peak << ", RMS " << rms;
    // Starts and ends at rest, so playing it cannot click.
    EXPECT_LT(std::max(std::abs(s.front()), std::abs(s.back())), 100);
  }
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace
