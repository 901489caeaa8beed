// Songs and their repeat, sound effects, keys, the joystick and the wait for a key, on the
// headless platform with the bundled data.
#include <gtest/gtest.h>

#include "platform/media_info.h"
#include "test_support.h"

namespace {

using namespace testing_support;
using quelmire::False;
using quelmire::Integer;
using quelmire::True;

struct Game {
  explicit Game(const std::string& script = "") : g(BuiltGameDir(), script) {
    g.form->Form_Load();
  }
  quelmire::Form1& f() { return *g.form; }
  int64_t ms() { return g.plat->NowUs() / 1000; }
  HeadlessGame g;
};

TEST(Music, SongFileNamesUseTwoDigits) {
  Game game;
  EXPECT_EQ(game.f().SongPath(5), (BuiltGameDir() / "midi/vorn05.mid").string());
  EXPECT_EQ(game.f().SongPath(12), (BuiltGameDir() / "midi/vorn12.mid").string());
  EXPECT_EQ(game.f().SongPath(1), (BuiltGameDir() / "midi/vorn01.mid").string());
}

TEST(Music, RepeatsFromPosition16OnlyWhileMusicIsOn) {
  platform::MidiInfo song;
  ASSERT_TRUE(platform::ReadMidiInfo((BuiltGameDir() / "midi/vorn01.mid").string(), song));
  const int64_t length = static_cast<int64_t>(song.LengthSeconds() * 1000) + 1;
  TempDir tmp;
  const int64_t dumpAt = length + 200;
  Game game(std::to_string(dumpAt) + " state " + (tmp / "s.json").string() + "\n");
  auto& f = game.f();
  int64_t t0 = game.ms();
  f.BGM_OPEN(f.SongPath(1));
  f.BGM_Play();
  EXPECT_EQ(f.MusicOn, True);
  f.BGM_Repeat();  // still playing: nothing
  f.Sleep(static_cast<int>(length + 50));
  f.BGM_Repeat();  // ended: seek to the start, play from 16
  f.BGM_Repeat();  // playing again: nothing more
  f.Sleep(static_cast<int>(dumpAt - game.ms()));
  Json s = ParseJson(ReadFile(tmp / "s.json"));
  std::vector<std::string> ops;
  for (const Json& op : s["music"].arr) {
    if (op["ms"].Int() >= t0) ops.push_back(op["op"].str);
  }
  std::vector<std::string> want = {"close", "open", "play", "seek_start", "play_from"};
  EXPECT_EQ(ops, want);
  const Json& last = s["music"].arr.back();
  EXPECT_EQ(last["arg"].Int(), 16);

  // After a stop the polling never restarts it; play switches repeating on again.
  f.BGM_Stop();
  EXPECT_EQ(f.MusicOn, False);
  f.BGM_Repeat();
  EXPECT_EQ(game.g.plat->Music().Mode(), "stopped");
}

TEST(Music, MissingSongIsSilentAndHarmless) {
  Game game;
  auto& f = game.f();
  f.BGM_OPEN(f.SongPath(77));
  f.BGM_Play();
  EXPECT_NE(f.ApiResult, 0);
  EXPECT_EQ(game.g.plat->Music().Mode(), "");
  f.BGM_Repeat();  // no "stopped" reply: nothing happens
  EXPECT_EQ(game.g.plat->Music().Mode(), "");
}

TEST(SoundEffects, OutOfRangeNumbersAreIgnoredAndASoundingEffectIsNotRestarted) {
  TempDir tmp;
  Game game("10 state " + (tmp / "s.json").string() + "\n");
  auto& f = game.f();
  int64_t t0 = game.ms();
  f.PlaySound(5);
  f.PlaySound(3);  // two different effects in one tick both sound
  f.PlaySound(5);  // still sounding: not restarted
  f.PlaySound(10);
  f.PlaySound(-1);
  f.PlaySound(19);
  f.Sleep(static_cast<int>(10 - t0));
  Json s = ParseJson(ReadFile(tmp / "s.json"));
  ASSERT_EQ(s["sounds"].arr.size(), 2u);
  EXPECT_EQ(s["sounds"][0]["slot"].Int(), 5);
  EXPECT_EQ(s["sounds"][1]["slot"].Int(), 3);
}

TEST(Input, KeyboardSnapshotUsesVirtualKeyCodes) {
  Game game("0 down Left\n0 down Z\n0 down 7\n");
  auto& f = game.f();
  f.GetKeyboardState();
  EXPECT_TRUE(f.KeyDown(37));
  EXPECT_TRUE(f.KeyDown(90));
  EXPECT_TRUE(f.KeyDown(55));
  EXPECT_FALSE(f.KeyDown(39));
  EXPECT_EQ(f.KeyState(37) & 128, 128);
}

TEST(Input, WaitForKeyWaitsForReleaseThenAFreshPress) {
  Game game("0 down Space\n300 up Space\n400 press Left\n450 press Escape\n600 press Z\n");
  game.f().WaitForKey();
  EXPECT_GE(game.ms(), 600);
  EXPECT_LT(game.ms(), 610);
}

TEST(Input, WithoutAJoystickEveryReadIsZero) {
  Game game("0 down JoyLeft\n");
  auto& f = game.f();
  EXPECT_EQ(f.JoyPresent, False);
  Integer dir = 99, n = 1, down = 99;
  f.ReadJoystickDirection(dir);
  f.JoystickButtonDown(n, down);
  EXPECT_EQ(dir, 0);
  EXPECT_EQ(down, False);
}

TEST(Input, JoystickDirectionsButtonsAndLatePlugIn) {
  Game game("0 joystick on\n0 down JoyLeft\n0 down JoyUp\n0 down JoyButton9\n");
  auto& f = game.f();
  EXPECT_EQ(f.JoyPresent, True);
  EXPECT_EQ(f.JoyId, 0);
  Integer dir = 0, n = 9, down = 0;
  f.ReadJoystickDirection(dir);
  EXPECT_EQ(dir, 1 + 4);
  f.JoystickButtonDown(n, down);
  EXPECT_EQ(down, True);
  n = 1;
  f.JoystickButtonDown(n, down);
  EXPECT_EQ(down, False);
  n = 10;
  EXPECT_THROW(f.JoystickButtonDown(n, down), platform::FatalError);

  Game late("100 joystick on\n150 down JoyButton1\n300 press Space\n");
  EXPECT_EQ(late.f().JoyPresent, False);
  late.f().WaitForKey();  // button 1 counts as a key once the pad is taken
  EXPECT_EQ(late.f().JoyPresent, True);
  EXPECT_LT(late.ms(), 200);
}

}  // namespace
