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

TEST(ReaderBounds, ScriptsTurnThingsOnlyIntoKindsThatCanMove) {
  quelmire::Form1& f = fuzz::FreshGame("");
  fuzz::StartPlay(f, 5, 1, 33, 38);
  for (int i = 1; i <= 5; ++i) {
    f.Obj(i) = {};
    f.Obj(i).Kind = 11;
    f.Obj(i).X = static_cast<quelmire::Integer>(40 + i);
    f.Obj(i).Y = 30;
    f.Obj(i).Face = 4;
    f.Obj(i).Param = 30;
    f.Obj(i).Cmd = U"..0wai^.2";
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
    SCOPED_TRACE(i);
    EXPECT_EQ(f.Obj(i).Kind, want[i - 1].kind);
    EXPECT_EQ(f.Obj(i).Face, want[i - 1].face);
    EXPECT_EQ(f.Obj(i).Param, want[i - 1].param);
    EXPECT_TRUE(f.Obj(i).Cmd == want[i - 1].cmd);
  }
}

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
