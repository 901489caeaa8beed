// The world subsystem on the headless platform: loading a maze file of 65,536 codes,
// rebuilding the map buffer, and composing a play frame with 39 things on screen.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"
#include "shell/form1.h"

namespace {

namespace fs = std::filesystem;

// A game folder of its own with the bitmaps and one maze of varied codes, written the way the
// bundled mazes are (256 lines of 256 comma-separated codes).
struct Scene {
  fs::path dir = fs::temp_directory_path() / ("quelmire-world-bench-" + std::to_string(getpid()));
  std::unique_ptr<platform::Platform> plat;
  std::unique_ptr<quelmire::Form1> form;

  Scene() {
    fs::remove_all(dir);
    fs::create_directories(dir / "map");
    fs::copy(fs::path(QUELMIRE_BINARY_DIR) / "bitmap", dir / "bitmap", fs::copy_options::recursive);
    fs::copy(fs::path(QUELMIRE_BINARY_DIR) / "wave", dir / "wave", fs::copy_options::recursive);
    std::ofstream m(dir / "map" / "maz005.map", std::ios::binary);
    for (int r = 0; r < 256; ++r) {
      for (int c = 0; c < 256; ++c) m << (c ? "," : "") << (c * 7 + r * 13) % 160;
      m << "\r\n";
    }
    m.close();
    platform::Options o;
    o.dataDir = dir.string();
    plat = platform::CreateHeadlessPlatform(o);
    form = std::make_unique<quelmire::Form1>(*plat, o.dataDir);
    form->Form_Load();
    auto& p = form->Obj(0);
    p.X = 120, p.Y = 120, p.Kind = 5;
    form->RoomNo = 12;
    form->LifeMax = 20, form->Life = 13;
    // 39 things and items spread over the screen, a few of them clipped at the edges.
    for (int i = 1; i <= 39; ++i) {
      auto& t = form->Obj(i);
      t.X = static_cast<int16_t>(110 + (i * 7) % 21);
      t.Y = static_cast<int16_t>(112 + (i * 5) % 15);
      t.OffX = static_cast<int16_t>((i * 3) % 31 - 15);
      t.Kind = static_cast<int16_t>(i % 3 == 0 ? 20 + i % 35 : 1 + i % 19);
      t.Face = static_cast<int16_t>(t.Kind > 19 ? (t.Kind > 40 ? 4 : 2) : i % 2);
      t.Frame = static_cast<int16_t>(t.Kind > 19 ? (t.Kind - 20) % 21 : i % 19);
      t.Anim = static_cast<int16_t>(i);
    }
  }
  ~Scene() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

Scene& TheScene() {
  static Scene s;
  return s;
}

void BM_LoadMazeMap(benchmark::State& state) {
  auto& f = *TheScene().form;
  for (auto _ : state) f.LoadMazeMap();  // includes its BuildRoom
}
BENCHMARK(BM_LoadMazeMap)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly();

void BM_BuildRoom(benchmark::State& state) {
  auto& f = *TheScene().form;
  f.LoadMazeMap();
  for (auto _ : state) f.BuildRoom();
}
BENCHMARK(BM_BuildRoom)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly();

void BM_DrawPlayScreen39Things(benchmark::State& state) {
  auto& f = *TheScene().form;
  f.LoadMazeMap();
  long frame = 0;
  for (auto _ : state) {
    f.FrameCount = frame++ % 192;
    f.DrawPlayScreen();
  }
}
BENCHMARK(BM_DrawPlayScreen39Things)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

// The background cut alone (no room), for comparison: what the sprites and status bar add.
void BM_DrawPlayScreenBackgroundOnly(benchmark::State& state) {
  auto& f = *TheScene().form;
  f.LoadMazeMap();
  f.RoomNo = -1;
  for (auto _ : state) f.DrawPlayScreen();
  f.RoomNo = 12;
}
BENCHMARK(BM_DrawPlayScreenBackgroundOnly)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

}  // namespace
