// Inputs the fuzz targets once stopped on, replayed through the targets themselves: each must
// now end as a clean refusal or as play that goes on (a finding aborts the test program).
// And the bounds that keep accepted values playable, through the real game.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "../fuzz/game_harness.h"
#include "platform/headless_script.h"
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
  } targets[] = {{"maze", Fuzz_maze},
                 {"room", Fuzz_room},
                 {"script", Fuzz_script},
                 {"save", Fuzz_save},
                 {"input_script", Fuzz_input_script},
                 {"bmp", Fuzz_bmp},
                 {"wav", Fuzz_wav}};
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

}  // namespace

namespace {

TEST(ReaderBounds, InputScriptLinesEndInLfCrLfOrALoneCr) {
  using platform::headless::ParseScript;
  for (const char* eol : {"\n", "\r\n", "\r"}) {
    const std::string text = std::string("0 down Z") + eol + "48 up Z" + eol + eol + "96 quit";
    const auto actions = ParseScript(text, "input.txt");
    ASSERT_EQ(actions.size(), 3u) << int(eol[0]);
    EXPECT_EQ(actions[1].ms, 48);
    EXPECT_EQ(actions[2].line, 4);
  }
}

}  // namespace
