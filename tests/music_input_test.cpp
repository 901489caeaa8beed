// Songs and their repeat, sound effect numbers, keys, the joystick and the wait for a key, on
// the headless platform with the bundled data.
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

TEST(Music, RepeatsFromPosition16OnlyWhileMusicIsOnAndEffectNumbersOutsideTheSlotsAreIgnored) {
  platform::MidiInfo song;
  ASSERT_TRUE(platform::ReadMidiInfo((BuiltGameDir() / "midi/vorn01.mid").string(), song));
  const int64_t length = static_cast<int64_t>(song.LengthSeconds() * 1000) + 1;
  TempDir tmp;
  const int64_t dumpAt = length + 200;
  Game game(std::to_string(dumpAt) + " state " + (tmp / "s.json").string() + "\n");
  auto& f = game.f();
  const int64_t t0 = game.ms();
  for (int n : {5, 10, -1, 19}) f.PlaySound(n);
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
  const Json s = ParseJson(ReadFile(tmp / "s.json"));
  std::vector<std::string> ops;
  for (const Json& op : s["music"].arr)
    if (op["ms"].Int() >= t0) ops.push_back(op["op"].str);
  EXPECT_EQ(ops, (std::vector<std::string>{"close", "open", "play", "seek_start", "play_from"}));
  EXPECT_EQ(std::tuple(s["music"].arr.back()["arg"].Int(), s["sounds"].arr.size(),
                       s["sounds"][0]["slot"].Int()),
            std::tuple(16, 1u, 5));
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

TEST(Input, KeysByVirtualCodeNoJoystickReadsZeroAndWaitForKeyWaitsForReleaseThenAFreshPress) {
  // Left and Escape are no key for the wait.
  Game game(
      "0 down Left\n0 down Z\n0 down 7\n0 down JoyLeft\n300 up Z\n400 press Left\n"
      "450 press Escape\n600 press Space\n");
  auto& f = game.f();
  f.GetKeyboardState();
  EXPECT_TRUE(f.KeyDown(37) && f.KeyDown(90) && f.KeyDown(55) && !f.KeyDown(39));
  EXPECT_EQ(std::tuple(f.KeyState(37) & 128, f.JoyPresent), std::tuple(128, False));
  Integer dir = 99, n = 1, down = 99;
  f.ReadJoystickDirection(dir);
  f.JoystickButtonDown(n, down);
  EXPECT_EQ(std::tuple(dir, down), std::tuple(0, False));
  f.WaitForKey();
  EXPECT_TRUE(game.ms() >= 600 && game.ms() < 610) << game.ms();
}

TEST(Input, JoystickDirectionsButtonsAndLatePlugIn) {
  Game game("0 joystick on\n0 down JoyLeft\n0 down JoyUp\n0 down JoyButton9\n");
  auto& f = game.f();
  Integer dir = 0, n9 = 9, n1 = 1, n10 = 10, down9 = 0, down1 = 99;
  f.ReadJoystickDirection(dir);
  f.JoystickButtonDown(n9, down9);
  f.JoystickButtonDown(n1, down1);
  EXPECT_EQ(std::tuple(f.JoyPresent, f.JoyId, dir, down9, down1),
            std::tuple(True, 0, 1 + 4, True, False));
  EXPECT_THROW(f.JoystickButtonDown(n10, down1), platform::FatalError);
  Game late("100 joystick on\n150 down JoyButton1\n300 press Space\n");
  EXPECT_EQ(late.f().JoyPresent, False);
  late.f().WaitForKey();  // button 1 counts as a key once the pad is taken
  EXPECT_EQ(std::tuple(late.f().JoyPresent, late.ms() < 200), std::tuple(True, true));
}

}  // namespace
