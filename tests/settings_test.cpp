// The player's settings: lines of settings.ini read or reported, the file the options screen
// writes and the next start reads, the command line over the file, and keys rebound between
// two ticks of play.
#include <gtest/gtest.h>

#include <tuple>

#include "test_support.h"

namespace {

using namespace testing_support;
using quelmire::Action;
using quelmire::Settings;

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(SettingsFile, EachLineIsReadOrReportedAlone) {
  // A line, and the reason reported for it ("" when it is read).
  const std::pair<std::string, std::string> cases[] = {
      {"music_volume = 7", ""},
      {"  # a comment", ""},
      {"key_fly = Shift F1  # held to fly", ""},
      {"music_volume = 11", "music_volume is a whole number from 0 to 10"},
      {"effects_volume = 7x", "effects_volume is a whole number from 0 to 10"},
      {"window_scale = -1", "window_scale is a whole number from 0 to 4"},
      {"fullscreen = maybe", "fullscreen is yes or no"},
      {"language = fr", "language is ja or en"},
      {"key_jump = C Nope", "no key is called \"Nope\""},
      {"key_jump = C C", "\"C\" is named twice"},
      {"key_jump = A B C D", "key_jump takes one to three keys"},
      {"key_use =", "key_use takes one to three keys"},
      {"key_left = F11", "no key is called \"F11\""},
      {"pad_jump = 10", "pad_jump is a button from 1 to 9"},
      {"colour = red", "no setting is called \"colour\""},
      {"just words", "not a \"name = value\" line"},
  };
  for (const auto& [line, why] : cases) {
    std::vector<std::string> reports;
    quelmire::ParseSettings("language = en\n" + line + "\n", "s.ini", reports);
    EXPECT_EQ(reports, why.empty()
                           ? std::vector<std::string>{}
                           : std::vector<std::string>{"s.ini:2: " + why + "; the line is ignored"})
        << line;
  }
  // The other lines still count, and what the file writes reads back the same.
  std::vector<std::string> reports;
  const Settings s = quelmire::ParseSettings(
      "\xEF\xBB\xBFmusic_volume = 3\r\nbad\nkey_left = A Left\nwindow_scale = 9\nfullscreen = no\n",
      "s.ini", reports);
  EXPECT_EQ(std::tuple(reports.size(), s.musicVolume, s.keys[0], s.windowScale, s.fullscreen),
            std::tuple(2u, 3, std::vector<uint8_t>{'A', 37}, 0, false));
  EXPECT_EQ(quelmire::ParseSettings(quelmire::SettingsText(s), "s.ini", reports), s);
  EXPECT_EQ(reports.size(), 2u);
}

TEST(SettingsFile, TheOptionsScreenWritesWhatTheNextStartReads) {
  TempDir tmp;
  const std::string ini = (tmp / "settings.ini").string();
  WriteFile(ini, "language = ja\nmusic_volume = loud\n");
  // On the title: O, music volume 10 -> 7, down to the jump keys, C for them, ..., Escape.
  std::string script = "2000 press O\n2100 press Left\n2200 press Left\n2300 press Left\n";
  for (int i = 0; i < 7; ++i) script += Line(2400 + 50 * i, "press Down");
  script += "2800 press Enter\n2900 press C\n";
  // Down to the options key: Down, a menu key, is refused for it, P is taken.
  for (int i = 0; i < 7; ++i) script += Line(3000 + 50 * i, "press Down");
  script += "3400 press Enter\n3500 press Down\n3600 press P\n3700 press Escape\n";
  script += Line(3900, "state " + (tmp / "1.json").string()) + "4000 quit\n";
  WriteFile(tmp / "1.txt", script);
  const RunResult first = RunQuelmire(
      {"--headless", "--settings", ini, "--lang", "en", "--input", (tmp / "1.txt").string()});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(Count(first.err, ini + ":2: music_volume is a whole number"), 1u) << first.err;
  const Json one = ParseJson(ReadFile(tmp / "1.json"));
  EXPECT_EQ(std::tuple(one["Language"].str, one["volumes"][2]["music"].Int()),
            std::tuple("en", 8LL));
  // The command line's language is not written back; what the screen changed is.
  const std::string text = ReadFile(ini);
  EXPECT_EQ(std::tuple(Count(text, "music_volume = 7\n"), Count(text, "key_jump = C\n"),
                       Count(text, "key_options = P\n"), Count(text, "language = ja\n")),
            std::tuple(1u, 1u, 1u, 1u))
      << text;

  WriteFile(tmp / "2.txt", Line(100, "state " + (tmp / "2.json").string()) + "200 quit\n");
  const RunResult second =
      RunQuelmire({"--headless", "--settings", ini, "--input", (tmp / "2.txt").string()});
  ASSERT_EQ(std::tuple(second.status, second.err), std::tuple(0, "")) << second.err;
  const Json two = ParseJson(ReadFile(tmp / "2.json"));
  EXPECT_EQ(std::tuple(two["Language"].str, two["volumes"][0]["music"].Int()),
            std::tuple("ja", 7LL));
}

TEST(SettingsFile, AFileThatCannotBeWrittenIsReportedAndPlayGoesOn) {
  TempDir tmp;
  WriteFile(tmp / "blocker", "");  // a file where the settings' folder would be made
  const std::string ini = (tmp / "blocker" / "settings.ini").string();
  WriteFile(tmp / "in.txt", "2000 press O\n2100 press Left\n2200 press Escape\n2400 press Z\n" +
                                Line(2600, "state " + (tmp / "s.json").string()) + "2700 quit\n");
  const RunResult r =
      RunQuelmire({"--headless", "--settings", ini, "--input", (tmp / "in.txt").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Count(r.err, ini + ".tmp: open failed"), 1u) << r.err;
  EXPECT_EQ(Count(r.err, ini + " is unchanged"), 1u) << r.err;
  // The new volume still plays, and the title is back (the menu's timer still on).
  const Json j = ParseJson(ReadFile(tmp / "s.json"));
  EXPECT_EQ(std::tuple(j["volumes"][1]["music"].Int(), j["Timer2"].b), std::tuple(9LL, true));
}

TEST(SettingsKeys, ARebindingWorksFromTheNextTick) {
  const auto At = [](int tick, const std::string& action) { return Line(48 * tick, action); };
  Scene s;
  s.Play(At(2, "down Space") + At(3, "up Space") + At(4, "down C") + At(12, "up C") +
         At(13, "down Left") + At(16, "down A"));
  s.f().GameSettings.keys[static_cast<size_t>(Action::Jump)] = {'C'};
  s.f().GameSettings.keys[static_cast<size_t>(Action::Left)] = {'A'};
  s.Tick(3);
  EXPECT_EQ(s.f().AirTime, 0);  // Space no longer jumps
  s.Tick();
  EXPECT_GT(s.f().AirTime, 0);  // C does
  s.Tick(11);
  const int x = s.obj().X * 32 + s.obj().OffX;
  EXPECT_EQ(s.obj().VX, 0);  // Left no longer walks
  s.Tick(4);
  EXPECT_LT(s.obj().X * 32 + s.obj().OffX, x);  // A does
}

}  // namespace
