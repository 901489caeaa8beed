// The save file's exact bytes and what the reader takes back, and the save prompt's keys: the
// cursor wraps and moves one step per press, Left or Right leaves, confirming on "no save"
// saves nothing; a save that fails says so and plays on. Faults and bad files are in
// save_faults_test.cpp.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace testing_support;
using quelmire::FromUtf8;

TEST(SaveFile, BytesFollowTheFormatAndReadBackOnlyWhatTheFileHolds) {
  Scene s;
  s.Make();
  auto& f = s.f();
  f.Form_Load();
  std::tie(f.Obj(0).X, f.Obj(0).Y, f.Obj(0).Kind, f.LifeMax, f.Life, f.RoomNo) =
      std::tuple(33, 38, 5, 3, 3, 1);
  f.ItemCount.Fill(0);
  f.Flags.Fill(0);
  for (auto& t : f.TakenList) t.clear();
  std::tie(f.ItemCount(0), f.ItemCount(39), f.Flags(0), f.Flags(511)) = std::tuple(12, 255, 1, 200);
  f.TakenList(0) = FromUtf8(" 12 34 5");
  f.TakenList(511) = FromUtf8(" 7-1 6");
  f.ItemCount(40) = 9;                    // not saved
  f.TakenList(512) = FromUtf8(" 1 1 1");  // not saved
  ASSERT_TRUE(f.WriteSaveFile(1));
  // The file written out by hand from the format rules.
  std::string want = " 33  38  5  3  3  1 \r\n 12 \r\n";
  for (int i = 1; i <= 38; ++i) want += " 0 \r\n";
  want += " 255 \r\n 1 \r\n";
  for (int i = 1; i <= 510; ++i) want += " 0 \r\n";
  want += " 200 \r\n\" 12 34 5\"\r\n";
  for (int i = 1; i <= 510; ++i) want += "\"\"\r\n";
  want += "\" 7-1 6\"\r\n";
  EXPECT_TRUE(ReadFile(s.dir / "savedata1.sav") == want);
  EXPECT_EQ(f.SaveFilePath(3), (s.dir / "savedata3.sav").string());

  // Another game in between; what the file does not hold stays as it is (the title clears the
  // motion fields itself), and "" reads as an empty text.
  f.ItemCount.Fill(1);
  f.Flags.Fill(7);
  for (auto& t : f.TakenList) t = FromUtf8("x");
  std::tie(f.Obj(0).X, f.Obj(0).OffX, f.Life) = std::tuple(99, 4, 1);
  std::string error;
  ASSERT_TRUE(f.ReadSaveFile(1, error)) << error;
  EXPECT_TRUE(f.SaveFileText() == want);
  EXPECT_EQ(std::tuple(f.ItemCount(40), f.TakenList(512), f.Obj(0).OffX, f.TakenList(1)),
            std::tuple(1, U"x", 4, U""));
  // A negative number keeps its "-" in the sign place.
  f.Obj(0).X = -5;
  EXPECT_EQ(f.SaveFileText().substr(0, 9), "-5  38  5");
}

TEST(SavePrompt, KeysMoveTheCursorOneStepAPressAndLeave) {
  constexpr int64_t kAny = 1 << 30;
  const struct {
    const char* keys;
    const char* saved;  // the slots that hold a save afterwards
    int64_t minMs, maxMs;
  } cases[] = {
      {"1000 down Z\n", "", 0, 1010},  // confirming at once on "no save"
      {"1100 press Up\n1300 press Enter\n", "3", 1300 + 800, kAny},  // wraps; label 800 ms
      {"1100 press Down\n1200 press Down\n1300 press Down\n1400 press Down\n"
       "1500 press Space\n1600 quit\n",
       "", 0, 1600},
      {"1100 down Down\n1900 up Down\n2000 press Z\n", "1", 0, kAny},  // held: one step
      {"0 joystick on\n1100 press Down\n1200 press JoyDown\n"
       "1250 screenshot @DIR@/save_prompt.png\n1300 press JoyButton1\n",
       "2", 0, kAny},
      {"1100 down Up\n1100 down Down\n1300 up Up\n1300 up Down\n1400 press Z\n1500 quit\n", "", 0,
       1500},  // both at once: no move
      {"1100 press Down\n1200 down Left\n1300 down Z\n", "", 0, 1250},
      {"1100 press Down\n1200 down Right\n1300 down Z\n", "", 0, 1250},
      {"0 joystick on\n1100 press Down\n1200 down JoyLeft\n1300 down Z\n", "", 0, 1250},
      // A save that fails: the old file stays, and the player reads the line and presses a key.
      {"1100 press Down\n1200 down Z\n1400 screenshot @DIR@/save_failed.png\n1500 up Z\n"
       "1600 press Z\n",
       "1", 1600, 1650},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    Scene s;
    s.Play(c.keys);
    s.Tick();  // a scene behind the prompt
    auto& f = s.f();
    const bool fails = std::string(c.keys).find("save_failed") != std::string::npos;
    if (fails) {
      WriteFile(s.dir / "savedata1.sav", "the old save\r\n");
      f.SaveFault = [](quelmire::Form1::SaveStep) { return ENOSPC; };
    }
    f.Sleep(static_cast<int>(1000 - s.ms()));
    const std::vector<uint8_t> before(f.PrimarySurface->Pixels(),
                                      f.PrimarySurface->Pixels() + 640 * 480);
    f.RunSavePrompt();
    std::string saved;
    for (char slot : std::string("123")) {
      if (fs::exists(s.dir / ("savedata" + std::string(1, slot) + ".sav"))) saved += slot;
    }
    EXPECT_EQ(saved, c.saved);
    EXPECT_TRUE(s.ms() >= c.minMs && s.ms() < c.maxMs) << s.ms();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), f.PrimarySurface->Pixels()));
    if (fails) {
      EXPECT_EQ(ReadFile(s.dir / "savedata1.sav"), "the old save\r\n");
    }
    for (const char* shot : {"save_prompt.png", "save_failed.png"}) {
      if (fs::exists(s.dir / shot)) s.KeepShot(shot);
    }
  }
}

}  // namespace
