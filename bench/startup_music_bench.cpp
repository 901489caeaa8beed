// The start-up's steps one by one, each repeated in one process (so libraries and files are
// warm after the first time: bench/startup_steps.sh times them cold, in real processes), and
// the cost of rendering each song for looping: its render time and the memory it holds.
#include <SDL.h>
#include <SDL_mixer.h>
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/media_info.h"
#include "platform/sdl_music.h"
#include "platform/song_render.h"
#include "platform/surface.h"
#include "platform/text.h"

namespace {

const std::string kGameDir = QUELMIRE_BINARY_DIR;

// Times `step` between `setUp` and `tearDown`, which are not timed.
void TimeStep(benchmark::State& state, const std::function<void()>& setUp,
              const std::function<void()>& step, const std::function<void()>& tearDown) {
  for (auto _ : state) {
    setUp();
    const auto t0 = std::chrono::steady_clock::now();
    step();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    tearDown();
  }
}

SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;

void NewWindow() {
  SDL_InitSubSystem(SDL_INIT_VIDEO);
  window = SDL_CreateWindow("bench", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
}
void CloseWindow() {
  if (renderer) SDL_DestroyRenderer(renderer);
  if (window) SDL_DestroyWindow(window);
  renderer = nullptr;
  window = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
void Nothing() {}

void BM_StartUpVideo(benchmark::State& state) {
  TimeStep(
      state, Nothing, [] { SDL_InitSubSystem(SDL_INIT_VIDEO); },
      [] { SDL_QuitSubSystem(SDL_INIT_VIDEO); });
}
void BM_StartUpWindow(benchmark::State& state) {
  TimeStep(
      state, [] { SDL_InitSubSystem(SDL_INIT_VIDEO); },
      [] { window = SDL_CreateWindow("bench", 0, 0, 640, 480, SDL_WINDOW_HIDDEN); }, CloseWindow);
}
void BM_StartUpRenderer(benchmark::State& state) {
  TimeStep(
      state, NewWindow, [] { renderer = SDL_CreateRenderer(window, -1, 0); }, CloseWindow);
}
void BM_StartUpSoftwareRenderer(benchmark::State& state) {
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  TimeStep(
      state, NewWindow, [] { renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE); },
      CloseWindow);
  SDL_ResetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
}
void BM_StartUpFont(benchmark::State& state) {
  TimeStep(
      state, Nothing, [] { platform::TextRenderer text; }, Nothing);
}
void BM_StartUpBitmaps(benchmark::State& state) {
  TimeStep(
      state, Nothing,
      [] {
        for (const char* f : {"chr0", "chr0", "chr0", "bgv", "chr1", "title", "ending1", "ending2"})
          benchmark::DoNotOptimize(
              platform::LoadBmp8(kGameDir + "/bitmap/" + f + ".bmp", f)->Width());
      },
      Nothing);
}
void BM_StartUpAudioDevice(benchmark::State& state) {
  TimeStep(
      state, [] { SDL_InitSubSystem(SDL_INIT_AUDIO); },
      [] { Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024); },
      [] {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
      });
}
// Off the start-up's path (on the music's own thread), but what the first song waits for.
void BM_StartUpSoundfont(benchmark::State& state) {
  const std::string font = platform::FindSoundfont();
  if (font.empty()) return state.SkipWithError("no soundfont");
  fluid_settings_t* settings = platform::NewMusicSettings(44100, font);
  fluid_synth_t* synth = nullptr;
  TimeStep(
      state, [&] { synth = new_fluid_synth(settings); },
      [&] { fluid_synth_sfload(synth, font.c_str(), 1); }, [&] { delete_fluid_synth(synth); });
  delete_fluid_settings(settings);
}
BENCHMARK(BM_StartUpVideo)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartUpWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartUpRenderer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartUpSoftwareRenderer)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_StartUpFont)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartUpBitmaps)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartUpAudioDevice)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartUpSoundfont)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Each song rendered for looping as the game renders it, on one synthesizer in turn (the
// soundfont's load is timed above): CPU time, the memory its samples hold, and how soon its
// first 100 ms are ready to play, which is how long a song takes to start.
void BM_RenderSongForLooping(benchmark::State& state) {
  const std::string font = platform::FindSoundfont();
  if (font.empty()) return state.SkipWithError("no soundfont");
  fluid_settings_t* settings = platform::NewMusicSettings(44100, font);
  fluid_synth_t* synth = new_fluid_synth(settings);
  fluid_synth_sfload(synth, font.c_str(), 1);
  const int n = static_cast<int>(state.range(0));
  const std::string path =
      kGameDir + "/midi/vorn" + (n < 10 ? "0" : "") + std::to_string(n) + ".mid";
  platform::MidiInfo info;
  platform::ReadMidiInfo(path, info);
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> midi((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  for (auto _ : state) {
    platform::SongPcm song(platform::SongPcmCapacity(info.LengthSeconds(), 44100), 44100);
    const auto t0 = std::chrono::steady_clock::now();
    double firstMs = -1;
    platform::RenderSongPcm(synth, midi, song, [&] {
      if (firstMs < 0 && song.ready.load() >= 4410) {
        firstMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                      .count();
      }
      return false;
    });
    state.counters["first_100ms_ready_ms"] = firstMs;
    state.counters["audio_s"] = static_cast<double>(song.ready.load()) / 44100;
    state.counters["MB"] = static_cast<double>(song.Bytes()) / (1 << 20);
  }
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
}
BENCHMARK(BM_RenderSongForLooping)
    ->DenseRange(1, 10)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace
