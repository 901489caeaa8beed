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
  explicit Game(const std::string& script = "") : g(BuiltGameDir(), script) { g.form->Form_Load(); }
  quelmire::Form1& f() { return *g.form; }
  int64_t ms() { return g.plat->NowUs() / 1000; }
  std::string Mode() { return g.plat->Music().Mode(); }
  HeadlessGame g;
};

TEST(Music, RepeatsFromPosition16OnlyWhileMusicIsOn) {
  platform::MidiInfo song;
  ASSERT_TRUE(platform::ReadMidiInfo((BuiltGameDir() / "midi/vorn01.mid").string(), song));
  const int64_t length = static_cast<int64_t>(song.LengthSeconds() * 1000) + 1;
  TempDir tmp;
  const int64_t dumpAt = length + 200;
  Game game(std::to_string(dumpAt) + " state " + (tmp / "s.json").string() + "\n");
  auto& f = game.f();
  const int64_t t0 = game.ms();
  // Song numbers take two digits.
  for (int n : {1, 5, 12}) {
    EXPECT_EQ(f.SongPath(n), (BuiltGameDir() / "midi" / (n < 10 ? "vorn0" : "vorn")).string() +
                                 std::to_string(n) + ".mid");
  }
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
  EXPECT_EQ(ops, (std::vector<std::string>{"close", "open", "play", "seek_start", "play_from"}));
  EXPECT_EQ(s["music"].arr.back()["arg"].Int(), 16);
  // After a stop the polling never restarts it.
  f.BGM_Stop();
  EXPECT_EQ(f.MusicOn, False);
  f.BGM_Repeat();
  EXPECT_EQ(game.Mode(), "stopped");
  // A missing song is silent and harmless: no "stopped" reply, so no repeat either.
  f.BGM_OPEN(f.SongPath(77));
  f.BGM_Play();
  EXPECT_NE(f.ApiResult, 0);
  f.BGM_Repeat();
  EXPECT_EQ(game.Mode(), "");
}

TEST(SoundEffects, OutOfRangeNumbersAreIgnoredAndASoundingEffectIsNotRestarted) {
  TempDir tmp;
  Game game("10 state " + (tmp / "s.json").string() + "\n");
  auto& f = game.f();
  const int64_t t0 = game.ms();
  // Two different effects in one tick both sound; 5 again is still sounding.
  for (int n : {5, 3, 5, 10, -1, 19}) f.PlaySound(n);
  f.Sleep(static_cast<int>(10 - t0));
  Json s = ParseJson(ReadFile(tmp / "s.json"));
  ASSERT_EQ(s["sounds"].arr.size(), 2u);
  EXPECT_EQ(std::tuple(s["sounds"][0]["slot"].Int(), s["sounds"][1]["slot"].Int()),
            std::tuple(5, 3));
}

TEST(Input, KeysByVirtualCodeAndNoJoystickReadsZero) {
  Game game("0 down Left\n0 down Z\n0 down 7\n0 down JoyLeft\n");
  auto& f = game.f();
  f.GetKeyboardState();
  EXPECT_TRUE(f.KeyDown(37) && f.KeyDown(90) && f.KeyDown(55) && !f.KeyDown(39));
  EXPECT_EQ(f.KeyState(37) & 128, 128);
  EXPECT_EQ(f.JoyPresent, False);
  Integer dir = 99, n = 1, down = 99;
  f.ReadJoystickDirection(dir);
  f.JoystickButtonDown(n, down);
  EXPECT_EQ(std::tuple(dir, down), std::tuple(0, False));
}

TEST(Input, WaitForKeyWaitsForReleaseThenAFreshPress) {
  Game game("0 down Space\n300 up Space\n400 press Left\n450 press Escape\n600 press Z\n");
  game.f().WaitForKey();
  EXPECT_TRUE(game.ms() >= 600 && game.ms() < 610) << game.ms();
}

TEST(Input, JoystickDirectionsButtonsAndLatePlugIn) {
  Game game("0 joystick on\n0 down JoyLeft\n0 down JoyUp\n0 down JoyButton9\n");
  auto& f = game.f();
  EXPECT_EQ(std::tuple(f.JoyPresent, f.JoyId), std::tuple(True, 0));
  Integer dir = 0;
  f.ReadJoystickDirection(dir);
  EXPECT_EQ(dir, 1 + 4);
  for (const auto& [button, want] : {std::pair<Integer, Integer>(9, True), {1, False}}) {
    Integer n = button, down = 99;
    f.JoystickButtonDown(n, down);
    EXPECT_EQ(down, want) << button;
  }
  Integer n = 10, down = 0;
  EXPECT_THROW(f.JoystickButtonDown(n, down), platform::FatalError);

  Game late("100 joystick on\n150 down JoyButton1\n300 press Space\n");
  EXPECT_EQ(late.f().JoyPresent, False);
  late.f().WaitForKey();  // button 1 counts as a key once the pad is taken
  EXPECT_EQ(late.f().JoyPresent, True);
  EXPECT_LT(late.ms(), 200);
}

}  // namespace
