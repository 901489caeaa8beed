// The play tick in a busy room: one whole tick (input, the heroine, 39 live things, the view
// and the frame composed in the back buffer; the headless display presents nothing), and the
// headless runner's pace through the timer loop.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "platform/platform.h"
#include "shell/form1.h"

namespace {

struct BusyRoom {
  BusyRoom() {
    platform::Options o;
    o.dataDir = QUELMIRE_BINARY_DIR;
    plat = platform::CreateHeadlessPlatform(o);
    f = std::make_unique<quelmire::Form1>(*plat, QUELMIRE_BINARY_DIR);
    f->Form_Load();
    f->Timer2.Enabled = false;
    f->Map.Fill(13);  // a closed cave: ceiling row 40, floor row 51, walls 20 and 100
    for (int c = 20; c <= 100; ++c) f->Map(c, 40) = f->Map(c, 51) = 1;
    for (int r = 40; r <= 51; ++r) f->Map(20, r) = f->Map(100, r) = 0;
    auto& p = f->Obj(0);
    p.X = 60;
    p.Y = 50;
    p.Kind = 5;
    p.Delay = 30000;  // invulnerable: touches cost their test, not a knockback each
    f->Life = f->LifeMax = 12;
    f->RoomNo = 7;
    const int kinds[] = {1, 2, 3, 4, 5, 6, 7, 8, 8, 10, 11, 19};
    for (int i = 1; i <= 39; ++i) {
      auto& t = f->Obj(i);
      t.Kind = static_cast<int16_t>(kinds[(i - 1) % 12]);
      if (i == 39 && t.Kind == 8) t.Kind = 1;
      t.X = static_cast<int16_t>(40 + i);
      t.Y = static_cast<int16_t>(t.Kind == 2 || t.Kind == 5 || t.Kind == 7 ? 46 : 50);
      t.Param = 2;
      t.Cmd = t.Kind == 8 ? U"gggggg" : (t.Kind == 5 || t.Kind == 7) ? U"060046" : U">>1<<1";
    }
    f->BuildRoom();
    f->Timer1.Enabled = true;
  }
  std::unique_ptr<platform::Platform> plat;
  std::unique_ptr<quelmire::Form1> f;
};

void BM_PlayTick39Things(benchmark::State& state) {
  BusyRoom room;
  for (auto _ : state) {
    room.f->Timer1_Timer();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PlayTick39Things)->Repetitions(5)->ReportAggregatesOnly(true);

// Ticks per wall-clock second when the runner plays through the timer loop.
void BM_HeadlessTicksPerSecond(benchmark::State& state) {
  BusyRoom room;
  constexpr int kTicks = 2000;
  double ticksPerSecond = 0;
  for (auto _ : state) {
    int fired = 0;
    room.f->OnTimerFired = [&](int, int64_t, int64_t) {
      if (++fired > kTicks) throw platform::ExitRequest{0};
    };
    const auto t0 = std::chrono::steady_clock::now();
    try {
      room.f->RunTimers();
    } catch (const platform::ExitRequest&) {
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ticksPerSecond = kTicks / s;
  }
  state.counters["ticks_per_s"] = ticksPerSecond;
}
BENCHMARK(BM_HeadlessTicksPerSecond)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
