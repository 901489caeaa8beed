// The save prompt's keys: the cursor wraps and moves one step per press, Left or Right
// leaves, confirming on "no save" saves nothing; a save that fails says so and plays on.
#include <gtest/gtest.h>

#include <filesystem>

#include "events_support.h"

namespace {

using namespace events_test;
namespace fs = std::filesystem;

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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    EventGame g(c.keys);
    g.Play();
    RunTicks(*g.game, 1);  // a scene behind the prompt
    auto& f = g.f();
    f.Sleep(static_cast<int>(1000 - g.ms()));
    const std::vector<uint8_t> before(f.PrimarySurface->Pixels(),
                                      f.PrimarySurface->Pixels() + 640 * 480);
    f.RunSavePrompt();
    std::string saved;
    for (char slot : std::string("123")) {
      if (fs::exists(g.dir / ("savedata" + std::string(1, slot) + ".sav"))) saved += slot;
    }
    EXPECT_EQ(saved, c.saved);
    EXPECT_GE(g.ms(), c.minMs);
    EXPECT_LT(g.ms(), c.maxMs);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), f.PrimarySurface->Pixels()));
    if (fs::exists(g.dir / "save_prompt.png")) g.KeepShot("save_prompt.png");
  }
}

TEST(SavePrompt, AFailedSaveSaysSoKeepsTheOldFileAndPlaysOn) {
  EventGame g(
      "1100 press Down\n1200 down Z\n1400 screenshot @DIR@/save_failed.png\n"
      "1500 up Z\n1600 press Z\n");
  g.Play();
  RunTicks(*g.game, 1);
  auto& f = g.f();
  WriteFile(g.dir / "savedata1.sav", "the old save\r\n");
  f.Sleep(static_cast<int>(1000 - g.ms()));
  f.SaveFault = [](quelmire::Form1::SaveStep) { return ENOSPC; };
  f.RunSavePrompt();
  EXPECT_EQ(ReadFile(g.dir / "savedata1.sav"), "the old save\r\n");
  EXPECT_GE(g.ms(), 1600);  // the player read the line and pressed a key
  EXPECT_LT(g.ms(), 1650);
  g.KeepShot("save_failed.png");
}

}  // namespace
