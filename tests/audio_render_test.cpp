// Every song and sound effect as the game sounds them: songs rendered through the music
// device's synthesizer settings and soundfont, effects loaded by the mixer as the game loads
// them. Each must last as long as its file says, stay below full scale and be heard.
// Set QUELMIRE_RENDER_DIR to a folder to keep the renders as WAV files for listening.
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/media_info.h"
#include "platform/sdl_music.h"
#include "platform/song_render.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRate = 44100;  // the rate the game opens the mixer at
constexpr double kFullScale = 32767;
constexpr int kClip = static_cast<int>(kFullScale * 0.98);
constexpr double kMinRms = kFullScale * 0.01;     // -40 dBFS over the whole sound
constexpr double kQuietRms = kFullScale * 0.001;  // a 50 ms window below -60 dBFS is silence
constexpr double kWindowSeconds = 0.05;
constexpr double kMaxSilenceSeconds = 4.0;
// Rendering goes in blocks and the player's tick count advances every 64 frames.
constexpr double kLengthSlack = 0.02;

const fs::path kGameDir = fs::path(QUELMIRE_BINARY_DIR);

// The songs that restart from song position 16 when they stop; 08 and 10 are heard once.
bool Loops(const std::string& name) {
  return name != "vorn08.mid" && name != "vorn10.mid";
}

std::vector<fs::path> FilesIn(const fs::path& dir, const std::string& extension) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    if (e.path().extension() == extension) out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Levels of interleaved samples, channels taken together.
struct Levels {
  int peak = 0;
  double rms = 0;
};

Levels Measure(const int16_t* s, size_t count) {
  Levels l;
  double sum = 0;
  for (size_t i = 0; i < count; ++i) {
    l.peak = std::max(l.peak, std::abs(int{s[i]}));
    sum += static_cast<double>(s[i]) * s[i];
  }
  l.rms = count > 0 ? std::sqrt(sum / static_cast<double>(count)) : 0;
  return l;
}

// The longest run of silent windows between two times, in seconds.
double LongestSilence(const std::vector<int16_t>& stereo, double from, double to) {
  const size_t window = static_cast<size_t>(kWindowSeconds * kRate) * 2;
  const size_t end = std::min(stereo.size(), static_cast<size_t>(to * kRate) * 2);
  double longest = 0, run = 0;
  for (size_t at = static_cast<size_t>(from * kRate) * 2; at + window <= end; at += window) {
    run = Measure(stereo.data() + at, window).rms < kQuietRms ? run + kWindowSeconds : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

// Levels are reported as fractions of full scale.
std::string Fraction(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", v / kFullScale);
  return buf;
}

TEST(AudioRender, EverySongLastsItsLengthWithoutClippingOrSilence) {
  if (platform::FindSoundfont().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  const std::vector<fs::path> songs = FilesIn(kGameDir / "midi", ".mid");
  ASSERT_FALSE(songs.empty()) << "no songs in " << (kGameDir / "midi");
  const char* keep = std::getenv("QUELMIRE_RENDER_DIR");

  for (const fs::path& path : songs) {
    const std::string name = path.filename().string();
    SCOPED_TRACE(name);
    platform::MidiInfo info;
    std::string error;
    ASSERT_TRUE(platform::ReadMidiInfo(path.string(), info, &error)) << error;
    std::vector<int16_t> audio;
    ASSERT_TRUE(platform::RenderSong(path.string(), audio, kRate, &error)) << error;
    if (keep != nullptr) {
      const fs::path out = fs::path(keep) / (path.stem().string() + ".wav");
      EXPECT_TRUE(platform::WriteStereoWav(out.string(), audio, kRate, &error)) << error;
    }

    const double length = info.LengthSeconds();
    const double seconds = static_cast<double>(audio.size() / 2) / kRate;
    EXPECT_GE(seconds, length + platform::kRenderTailSeconds - kLengthSlack);
    EXPECT_LE(seconds, length + platform::kRenderTailSeconds + kLengthSlack);

    const Levels all = Measure(audio.data(), audio.size());
    EXPECT_LT(all.peak, kClip) << "the game's gain leaves no headroom";
    EXPECT_GT(all.rms, kMinRms) << "too quiet";
    const double silence = LongestSilence(audio, 0, length);
    EXPECT_LE(silence, kMaxSilenceSeconds) << "a silent stretch";
    double loopRms = 0;
    if (Loops(name)) {
      // The game restarts here: the first moments of the loop must sound.
      const double loop = info.SecondsAt(info.SongPositionTick(16));
      const size_t at = static_cast<size_t>(loop * kRate) * 2;
      const size_t span = static_cast<size_t>(0.25 * kRate) * 2;
      ASSERT_LE(at + span, audio.size());
      loopRms = Measure(audio.data() + at, span).rms;
      EXPECT_GT(loopRms, kQuietRms * 10) << "silent at the loop";
    }
    std::printf(
        "  %s: %.2f s (song %.2f s), peak %s, RMS %s, loop RMS %s, longest silence %.2f s\n",
        name.c_str(), seconds, length, Fraction(all.peak).c_str(), Fraction(all.rms).c_str(),
        Fraction(loopRms).c_str(), silence);
  }
}

// The mixer as the game opens it, or nothing when this machine has no audio driver at all.
class AudioRenderMixer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) GTEST_SKIP() << "no audio: " << SDL_GetError();
    if (Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, 1024) != 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      GTEST_SKIP() << "no audio device: " << Mix_GetError();
    }
    open_ = true;
  }
  void TearDown() override {
    if (!open_) return;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  bool open_ = false;
};

TEST_F(AudioRenderMixer, EveryEffectLoadsAtItsLengthWithoutClippingOrSilence) {
  int rate = 0, channels = 0;
  Uint16 format = 0;
  ASSERT_NE(Mix_QuerySpec(&rate, &format, &channels), 0);
  ASSERT_EQ(format, AUDIO_S16SYS);
  const std::vector<fs::path> effects = FilesIn(kGameDir / "wave", ".wav");
  ASSERT_FALSE(effects.empty()) << "no effects in " << (kGameDir / "wave");

  for (const fs::path& path : effects) {
    SCOPED_TRACE(path.filename().string());
    const platform::WavInfo info = platform::ReadWavInfo(path.string());
    Mix_Chunk* chunk = Mix_LoadWAV(path.string().c_str());
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    const size_t count = chunk->alen / 2;
    std::vector<int16_t> s(count);
    std::memcpy(s.data(), chunk->abuf, count * 2);
    Mix_FreeChunk(chunk);

    // Converted to the mixer's rate and channels, it keeps its length.
    const double seconds = static_cast<double>(count / static_cast<size_t>(channels)) / rate;
    EXPECT_NEAR(seconds, info.seconds, 0.005);
    EXPECT_GE(seconds, 0.05);
    EXPECT_LE(seconds, 2.0);
    const Levels all = Measure(s.data(), s.size());
    EXPECT_LT(all.peak, kClip);
    EXPECT_GT(all.rms, kMinRms) << "too quiet";
    std::printf("  %s: %.3f s, peak %s, RMS %s\n", path.filename().string().c_str(), seconds,
                Fraction(all.peak).c_str(), Fraction(all.rms).c_str());
  }
}

// Bad songs are reported by file, before any soundfont is looked for.
TEST(AudioRender, UnreadableSongsAreReportedByName) {
  testing_support::TempDir dir;
  std::vector<int16_t> audio{1, 2};
  std::string error;
  const std::string missing = (dir / "vorn99.mid").string();
  EXPECT_FALSE(platform::RenderSong(missing, audio, kRate, &error));
  EXPECT_NE(error.find(missing), std::string::npos) << error;
  EXPECT_TRUE(audio.empty());

  const std::string text = (dir / "text.mid").string();
  testing_support::WriteFile(text, "MThd is not enough");
  EXPECT_FALSE(platform::RenderSong(text, audio, kRate, &error));
  EXPECT_NE(error.find(text), std::string::npos) << error;

  EXPECT_FALSE(platform::RenderSong((kGameDir / "midi" / "vorn01.mid").string(), audio, 0, &error));
  EXPECT_NE(error.find("sample rate"), std::string::npos) << error;
}

TEST(AudioRender, WrittenWavReadsBackAtItsLength) {
  testing_support::TempDir dir;
  const std::string path = (dir / "out.wav").string();
  std::vector<int16_t> stereo(2 * 22050, -32768);  // half a second
  std::string error;
  ASSERT_TRUE(platform::WriteStereoWav(path, stereo, kRate, &error)) << error;
  const platform::WavInfo info = platform::ReadWavInfo(path);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.sampleRate, kRate);
  EXPECT_EQ(info.bitsPerSample, 16);
  EXPECT_DOUBLE_EQ(info.seconds, 0.5);
  EXPECT_FALSE(
      platform::WriteStereoWav((dir / "no" / "such" / "dir.wav").string(), stereo, kRate, &error));
  EXPECT_NE(error.find("dir.wav"), std::string::npos) << error;
}

}  // namespace
