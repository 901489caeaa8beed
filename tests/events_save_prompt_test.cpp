// The save prompt's keys: the cursor wraps and moves one step per press, Left or Right
// leaves, confirming on "no save" saves nothing; a save that fails says so and plays on.
#include <gtest/gtest.h>

#include <filesystem>

#include "events_support.h"

namespace {

using namespace events_test;
namespace fs = std::filesystem;

// Runs the prompt from 1 s on with the given key script; returns the slots saved.
struct Prompt {
  explicit Prompt(const std::string& keys) : g(keys) {
    g.Play();
    RunTicks(*g.game, 1);  // a scene behind the prompt
    g.f().Sleep(static_cast<int>(1000 - g.ms()));
    screenBefore.assign(g.f().PrimarySurface->Pixels(), g.f().PrimarySurface->Pixels() + 640 * 480);
    g.f().RunSavePrompt();
  }
  std::string Saved() {
    std::string s;
    for (int slot = 1; slot <= 3; ++slot) {
      if (fs::exists(g.dir / ("savedata" + std::to_string(slot) + ".sav"))) {
        s += std::to_string(slot);
      }
    }
    return s;
  }
  bool ScreenRestored() {
    const uint8_t* now = g.f().PrimarySurface->Pixels();
    return std::equal(screenBefore.begin(), screenBefore.end(), now);
  }
  EventGame g;
  std::vector<uint8_t> screenBefore;
};

TEST(SavePrompt, ConfirmingAtOnceSavesNothing) {
  Prompt p("1000 down Z\n");
  EXPECT_EQ(p.Saved(), "");
  EXPECT_TRUE(p.ScreenRestored());
  EXPECT_LT(p.g.ms(), 1010);
}

TEST(SavePrompt, UpFromNoSaveWrapsToSlot3) {
  Prompt p("1100 press Up\n1300 press Enter\n");
  EXPECT_EQ(p.Saved(), "3");
  EXPECT_GE(p.g.ms(), 1300 + 800);  // the label stays 800 ms
  EXPECT_TRUE(p.ScreenRestored());
}

TEST(SavePrompt, DownFromSlot3WrapsToNoSave) {
  Prompt p(
      "1100 press Down\n1200 press Down\n1300 press Down\n1400 press Down\n"
      "1500 press Space\n1600 quit\n");
  EXPECT_EQ(p.Saved(), "");
  EXPECT_LT(p.g.ms(), 1600);
}

TEST(SavePrompt, HoldingDownMovesOneStep) {
  Prompt p("1100 down Down\n1900 up Down\n2000 press Z\n");
  EXPECT_EQ(p.Saved(), "1");
}

TEST(SavePrompt, EachNewPressMovesAgainAndTheJoystickCounts) {
  Prompt p("0 joystick on\n1100 press Down\n1200 press JoyDown\n1300 press JoyButton1\n");
  EXPECT_EQ(p.Saved(), "2");
}

TEST(SavePrompt, UpAndDownTogetherDoNotMove) {
  Prompt p("1100 down Up\n1100 down Down\n1300 up Up\n1300 up Down\n1400 press Z\n1500 quit\n");
  EXPECT_EQ(p.Saved(), "");
}

TEST(SavePrompt, LeftOrRightLeavesWithoutSaving) {
  Prompt left("1100 press Down\n1200 down Left\n1300 down Z\n");
  EXPECT_EQ(left.Saved(), "");
  EXPECT_LT(left.g.ms(), 1250);
  EXPECT_TRUE(left.ScreenRestored());
  Prompt right("1100 press Down\n1200 down Right\n1300 down Z\n");
  EXPECT_EQ(right.Saved(), "");
  Prompt pad("0 joystick on\n1100 press Down\n1200 down JoyLeft\n1300 down Z\n");
  EXPECT_EQ(pad.Saved(), "");
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

TEST(SavePrompt, ShotOfThePromptOnSlot2) {
  EventGame g(
      "1100 press Down\n1200 press Down\n1300 screenshot @DIR@/save_prompt.png\n"
      "1400 press Left\n");
  g.Play();
  RunTicks(*g.game, 1);
  g.f().Sleep(static_cast<int>(1000 - g.ms()));
  g.f().RunSavePrompt();
  g.KeepShot("save_prompt.png");
}

}  // namespace
