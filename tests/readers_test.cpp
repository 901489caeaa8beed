// Inputs the fuzz targets once stopped on, replayed through the targets themselves: each must
// now end as a clean refusal or as play that goes on (a finding aborts the test program).
// And the bounds that keep accepted values playable, through the real game.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "../fuzz/game_harness.h"
#include "test_support.h"

extern "C" {
int Fuzz_maze(const uint8_t*, size_t);
int Fuzz_room(const uint8_t*, size_t);
int Fuzz_script(const uint8_t*, size_t);
int Fuzz_save(const uint8_t*, size_t);
int Fuzz_input_script(const uint8_t*, size_t);
int Fuzz_bmp(const uint8_t*, size_t);
int Fuzz_wav(const uint8_t*, size_t);
}

namespace {

using namespace testing_support;

TEST(FuzzRegressions, EveryKeptInputEndsCleanly) {
  const struct {
    const char* target;
    int (*run)(const uint8_t*, size_t);
  } targets[] = {
#define TARGET(name) {#name, Fuzz_##name}
      TARGET(maze),         TARGET(room), TARGET(script), TARGET(save),
      TARGET(input_script), TARGET(bmp),  TARGET(wav)};
#undef TARGET
  int replayed = 0;
  for (const auto& t : targets) {
    const fs::path dir = SourceDir() / "fuzz" / "regressions" / t.target;
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      SCOPED_TRACE(entry.path().string());
      const std::string bytes = ReadFile(entry.path());
      t.run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0);
}

TEST(ReaderBounds, AHeartFoundAtTheMostHeartsKeepsTheCeiling) {
  for (const char* item : {"8", "9"}) {  // golden (+3) and silver (+1)
    fuzz::WriteGameFile("map/room009.rdt", std::string("it,34,38,") + item + "\n@\n");
    quelmire::Form1& f = fuzz::FreshGame(std::string_view("\x00\x10", 2));
    fuzz::StartPlay(f, 5, 9, 34, 38);
    f.LifeMax = 19;
    fuzz::PlayTicks(f, 40);
    EXPECT_EQ(f.ItemCount(std::stoi(item)), 1);
    EXPECT_EQ(f.LifeMax, quelmire::Form1::kMostHearts) << item;
  }
}

TEST(ReaderBounds, ScriptsTurnThingsOnlyIntoKindsThatCanMove) {
  quelmire::Form1& f = fuzz::FreshGame("");
  fuzz::StartPlay(f, 5, 1, 33, 38);
  for (int i = 1; i <= 5; ++i) {
    auto& o = f.Obj(i) = {};
    o.Kind = 11, o.X = static_cast<quelmire::Integer>(40 + i), o.Y = 30;
    o.Face = 4, o.Param = 30, o.Cmd = U"..0wai^.2";
  }
  f.Flags(9) = 11;
  f.Flags(10) = 200;
  f.RunEventScript(U"om001,200om002,007om003,008om004,001mm009,010");
  const struct {
    int kind, face, param;
    const char32_t* cmd;
  } want[] = {{11, 4, 30, U"..0wai^.2"},
              {7, 4, 16, U"042030"},
              {8, 4, 30, U""},
              {1, 1, 16, U"..0wai^.2"},
              {11, 4, 30, U"..0wai^.2"}};  // 200 is no kind
  for (int i = 1; i <= 5; ++i) {
    const auto& o = f.Obj(i);
    const auto& w = want[i - 1];
    EXPECT_TRUE(std::tuple(o.Kind, o.Face, o.Param, o.Cmd) ==
                std::tuple(w.kind, w.face, w.param, w.cmd))
        << i;
  }
}

}  // namespace
