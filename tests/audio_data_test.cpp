// The bundled songs and sound effects, read as files and heard as the game sounds them: songs
// rendered through the music device's synthesizer settings and soundfont, effects loaded by
// the mixer as the game loads them. Each must last as long as its file says, stay below full
// scale and be heard. Set QUELMIRE_RENDER_DIR to a folder to keep the renders for listening.
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "platform/media_info.h"
#include "platform/sdl_music.h"
#include "platform/song_render.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

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

TEST(SongFiles, EachHasItsLengthLoopsOnBarTwoAndSoundsWithoutClippingOrSilence) {
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
    platform::MidiInfo info;
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

// Bad songs are reported by file, before any soundfont is looked for; a written WAV reads back.
TEST(SongRender, BadSongsAndWavTargetsAreReportedByName) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "text.mid", "MThd is not enough");
  std::string error;
  for (const auto& [path, rate] : {std::pair(dir / "vorn99.mid", kRate),
                                   {dir / "text.mid", kRate},
                                   {kGameDir / "midi/vorn01.mid", 0}}) {
    std::vector<int16_t> audio{1, 2};
    EXPECT_FALSE(platform::RenderSong(path.string(), audio, rate, &error));
    EXPECT_TRUE(audio.empty() &&
                error.find(rate ? path.string() : "sample rate") != std::string::npos)
        << error;
  }
  const std::vector<int16_t> stereo(2 * 22050, -32768);  // half a second
  ASSERT_TRUE(platform::WriteStereoWav((dir / "out.wav").string(), stereo, kRate, &error)) << error;
  const platform::WavInfo info = platform::ReadWavInfo((dir / "out.wav").string());
  EXPECT_EQ(std::tuple(info.channels, info.sampleRate, info.bitsPerSample, info.seconds),
            std::tuple(2, kRate, 16, 0.5));
  EXPECT_FALSE(platform::WriteStereoWav((dir / "no/dir.wav").string(), stereo, kRate, &error));
  EXPECT_NE(error.find("dir.wav"), std::string::npos) << error;
}

}  // namespace
