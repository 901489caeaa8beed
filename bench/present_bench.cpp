// Presenting one frame: the 8-bit picture through the palette into the streaming texture and
// onto the window. Runs on SDL's dummy video driver so that it needs no display.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl_present.h"

namespace {

platform::Palette TestPalette() {
  platform::Palette pal{};
  for (int i = 0; i < 256; ++i) {
    pal[static_cast<size_t>(i)] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                   static_cast<uint8_t>(i * 7), 0};
  }
  return pal;
}

void FillPattern(platform::Surface& s) {
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) s.At(x, y) = static_cast<uint8_t>(x * 3 + y * 5);
  }
  s.Touch();
}

// The lookup alone.
void BM_ConvertFrame(benchmark::State& state) {
  platform::Surface frame(platform::kScreenWidth, platform::kScreenHeight, "frame");
  FillPattern(frame);
  uint32_t table[256];
  platform::BuildArgbTable(TestPalette(), table);
  std::vector<uint32_t> out(static_cast<size_t>(frame.Width()) * frame.Height());
  for (auto _ : state) {
    platform::ConvertToArgb(frame, table, out.data(), frame.Width() * 4);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ConvertFrame)->Unit(benchmark::kMicrosecond);

// A whole flip: exchange, conversion, texture upload, copy and present.
void BM_PresentFrame(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  platform::Options options;
  options.windowed = true;
  auto plat = platform::CreateWindowedPlatform(options);
  plat->SetDisplayMode();
  plat->SetPalette(TestPalette());
  FillPattern(plat->Back());
  FillPattern(plat->Primary());
  for (auto _ : state) plat->Flip();
  plat->CloseDisplay();
}
BENCHMARK(BM_PresentFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

}  // namespace
