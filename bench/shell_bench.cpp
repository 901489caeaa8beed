// Timing of the shell on the windowed platform (run with SDL_VIDEODRIVER=dummy
// SDL_AUDIODRIVER=dummy where there is no display): start-up, fades, tick pacing, and the
// CPU the waiting loops cost.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "shell/form1.h"

namespace {

platform::Options GameOptions() {
  platform::Options o;
  o.dataDir = QUELMIRE_BINARY_DIR;
  o.windowed = true;
  return o;
}

double CpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int EnvInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v ? std::atoi(v) : fallback;
}

// From nothing to the first frame of the title on screen.
void BM_StartUpToFirstTitleFrame(benchmark::State& state) {
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    auto plat = platform::CreateWindowedPlatform(GameOptions());
    quelmire::Form1 form(*plat, QUELMIRE_BINARY_DIR);
    form.Form_Load();
    form.WriteFadeLevel(0, 16);  // the title's first palette write
    plat->DoEvents();            // shown
    auto t1 = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    plat->CloseSoundDevice();
    plat->CloseDisplay();
  }
}
BENCHMARK(BM_StartUpToFirstTitleFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BlackFadeWallTime(benchmark::State& state) {
  auto plat = platform::CreateWindowedPlatform(GameOptions());
  quelmire::Form1 form(*plat, QUELMIRE_BINARY_DIR);
  form.Form_Load();
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    form.FadePalette(16, 0, -1);
    auto t1 = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
  plat->CloseSoundDevice();
  plat->CloseDisplay();
}
BENCHMARK(BM_BlackFadeWallTime)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Play ticks for QUELMIRE_PACING_SECONDS (default 20): lateness of each tick against its
// deadline, and ticks run against elapsed / 48 ms.
void BM_TickPacing(benchmark::State& state) {
  const int seconds = EnvInt("QUELMIRE_PACING_SECONDS", 20);
  for (auto _ : state) {
    auto plat = platform::CreateWindowedPlatform(GameOptions());
    quelmire::Form1 form(*plat, QUELMIRE_BINARY_DIR);
    form.Form_Load();
    // Play in the first room of the bundled world, where a new game starts.
    form.Obj(0).X = 33;
    form.Obj(0).Y = 38;
    form.Obj(0).Kind = 5;
    form.RoomNo = 1;
    form.LifeMax = 3;
    form.Life = 32000;  // the room's jelly must not end play in ten minutes
    form.LoadMazeMap();
    form.LoadRoomData();
    form.Timer2.Enabled = false;
    form.Timer1.Enabled = true;
    std::vector<int64_t> late;
    int64_t first = -1, last = 0;
    form.OnTimerFired = [&](int, int64_t due, int64_t now) {
      if (first < 0) first = now;
      last = now;
      late.push_back(now - due);
      if (now - first >= seconds * 1000000LL) throw platform::ExitRequest{0};
    };
    try {
      form.RunTimers();
    } catch (const platform::ExitRequest&) {
    }
    std::sort(late.begin(), late.end());
    auto pct = [&](double p) {
      return static_cast<double>(late[static_cast<size_t>(p * (late.size() - 1))]) / 1000.0;
    };
    state.counters["ticks"] = static_cast<double>(late.size());
    state.counters["expected_ticks"] = static_cast<double>(last - first) / 48000.0 + 1;
    state.counters["late_p50_ms"] = pct(0.5);
    state.counters["late_p99_ms"] = pct(0.99);
    state.counters["late_max_ms"] = pct(1.0);
    plat->CloseSoundDevice();
    plat->CloseDisplay();
  }
}
BENCHMARK(BM_TickPacing)->Iterations(1)->Unit(benchmark::kSecond);

// WaitForKey with no key coming for QUELMIRE_WAIT_SECONDS (default 10), with the title song
// playing: CPU of the waiting thread, and of the whole process (synthesis included).
void BM_WaitingLoopCpu(benchmark::State& state) {
  const int seconds = EnvInt("QUELMIRE_WAIT_SECONDS", 10);
  for (auto _ : state) {
    auto plat = platform::CreateWindowedPlatform(GameOptions());
    quelmire::Form1 form(*plat, QUELMIRE_BINARY_DIR);
    form.Form_Load();
    form.BGM_OPEN(form.SongPath(1));
    form.BGM_Play();
    std::thread closer([&] {
      std::this_thread::sleep_for(std::chrono::seconds(seconds));
      SDL_Event quit{};
      quit.type = SDL_QUIT;
      SDL_PushEvent(&quit);
    });
    const double thread0 = CpuSeconds(RUSAGE_THREAD), process0 = CpuSeconds(RUSAGE_SELF);
    auto t0 = std::chrono::steady_clock::now();
    try {
      form.WaitForKey();  // ends when the window is closed
    } catch (const platform::ExitRequest&) {
    }
    const double thread1 = CpuSeconds(RUSAGE_THREAD), process1 = CpuSeconds(RUSAGE_SELF);
    closer.join();
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.counters["wait_thread_cpu_pct"] = 100.0 * (thread1 - thread0) / wall;
    state.counters["process_cpu_pct"] = 100.0 * (process1 - process0) / wall;
  }
}
BENCHMARK(BM_WaitingLoopCpu)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
