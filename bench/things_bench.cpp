// The things of a busy room: step 8 of the play tick over 39 live things of every moving
// kind, without drawing.
#include <benchmark/benchmark.h>

#include "platform/platform.h"
#include "shell/form1.h"

namespace {

void BM_ThirtyNineThings(benchmark::State& state) {
  platform::Options o;
  o.dataDir = QUELMIRE_BINARY_DIR;
  auto plat = platform::CreateHeadlessPlatform(o);
  quelmire::Form1 f(*plat, QUELMIRE_BINARY_DIR);
  f.Form_Load();
  f.Map.Fill(13);  // a closed cave: ceiling row 40, floor row 51, walls 20 and 100
  for (int c = 20; c <= 100; ++c) f.Map(c, 40) = f.Map(c, 51) = 1;
  for (int r = 40; r <= 51; ++r) f.Map(20, r) = f.Map(100, r) = 0;
  auto& p = f.Obj(0);
  p.X = 60;
  p.Y = 50;
  p.Kind = 5;
  p.Delay = 30000;  // invulnerable: the touches cost their test, not a knockback each
  const int kinds[] = {1, 2, 3, 4, 5, 6, 7, 8, 8, 10, 11, 19};
  for (int i = 1; i <= 39; ++i) {
    auto& t = f.Obj(i);
    t.Kind = static_cast<int16_t>(kinds[(i - 1) % 12]);
    if (i == 39 && t.Kind == 8) t.Kind = 1;
    t.X = static_cast<int16_t>(40 + i);
    t.Y = static_cast<int16_t>(t.Kind == 2 || t.Kind == 5 || t.Kind == 7 ? 46 : 50);
    t.Param = 2;
    t.Cmd = t.Kind == 8 ? U"gggggg" : (t.Kind == 5 || t.Kind == 7) ? U"060046" : U">>1<<1";
  }
  for (auto _ : state) {
    for (int i = 1; i <= 39; ++i) {
      if (f.Obj(i).Kind >= 1) f.ProcessThing(i);
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ThirtyNineThings);

}  // namespace
