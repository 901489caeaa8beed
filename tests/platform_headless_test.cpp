// The headless platform driven directly: script parsing, the virtual clock and the times of
// script actions, scripted keys and joystick, sound effects that are not restarted while
// sounding, the song timeline, palette rules, screenshots and the state dump.
#include <gtest/gtest.h>

#include "media_builders.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/headless_script.h"
#include "platform/json.h"
#include "platform/platform.h"
#include "png_reader.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using platform::ExitRequest;
using platform::FatalError;
using platform::Platform;
using platform::UsageError;
using platform::headless::ActionKind;
using platform::headless::ParseScript;
using testing_support::Json;
using testing_support::ParseJson;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

std::string ScriptError(const std::string& text) {
  try {
    ParseScript(text, "in.txt");
  } catch (const UsageError& e) {
    return e.what();
  }
  return "no error";
}

TEST(HeadlessScript, MalformedLinesAreNamedByFileAndLine) {
  EXPECT_EQ(ScriptError("0 down Space\n\n# waiting\n5 jump Space\n"),
            "in.txt:4: unknown action \"jump\"");
  EXPECT_EQ(ScriptError("10 down Shift\n"), "in.txt:1: unknown key \"Shift\"");
  EXPECT_EQ(ScriptError("10 down space\n"), "in.txt:1: unknown key \"space\"");
  EXPECT_EQ(ScriptError("1 down JoyButton11\n"), "in.txt:1: unknown key \"JoyButton11\"");
  EXPECT_EQ(ScriptError("10 down A\n10 up A\n5 up A\n"),
            "in.txt:3: time 5 is earlier than the line before (10)");
  EXPECT_EQ(ScriptError("1 down\n"), "in.txt:1: missing key after \"down\"");
  EXPECT_EQ(ScriptError("1 press   # no key\n"), "in.txt:1: missing key after \"press\"");
  EXPECT_EQ(ScriptError("\r\n1 screenshot\r\n"),
            "in.txt:2: missing file name after \"screenshot\"");
  EXPECT_EQ(ScriptError("1 state \n"), "in.txt:1: missing file name after \"state\"");
  EXPECT_EQ(ScriptError("7\n"), "in.txt:1: missing action");
  EXPECT_NE(ScriptError("x down A\n").find("in.txt:1: bad time \"x\""), std::string::npos);
  EXPECT_NE(ScriptError("-5 down A\n").find("in.txt:1: bad time"), std::string::npos);
  EXPECT_NE(ScriptError("1 press A -3\n").find("in.txt:1: bad press length"), std::string::npos);
  EXPECT_NE(ScriptError("1 joystick maybe\n").find("in.txt:1: joystick takes"), std::string::npos);
  EXPECT_NE(ScriptError("1 quit now\n").find("in.txt:1: unexpected \"now\""), std::string::npos);
  EXPECT_NE(ScriptError("1 down A B\n").find("in.txt:1: unexpected \"B\""), std::string::npos);
  EXPECT_NE(ScriptError("99999999999999999999 quit\n").find("in.txt:1: bad time"),
            std::string::npos);
}

TEST(HeadlessScript, EveryKeyNameAndTheLineForms) {
  std::string text = "\xEF\xBB\xBF# keys\r\n";
  const char* names[] = {"Left",     "Right", "Up",      "Down",       "Space",      "Enter",
                         "Escape",   "A",     "Z",       "0",          "9",          "JoyLeft",
                         "JoyRight", "JoyUp", "JoyDown", "JoyButton1", "JoyButton10"};
  for (const char* n : names) text += "3 down " + std::string(n) + "   # held\n";
  text += "4 screenshot shots/first frame.png\n";
  const auto actions = ParseScript(text, "in.txt");
  ASSERT_EQ(actions.size(), std::size(names) + 1);
  EXPECT_EQ(actions[0].input, platform::vk::Left);
  EXPECT_EQ(actions[7].input, platform::vk::KeyA);
  EXPECT_EQ(actions[10].input, platform::vk::Key0 + 9);
  EXPECT_EQ(actions[16].input, platform::headless::kJoyButton1 + 9);
  EXPECT_EQ(actions[17].file, "shots/first frame.png");
  EXPECT_EQ(actions[17].line, 19);
}

TEST(HeadlessScript, AReleaseFallsAtItsTimeAmongLaterLines) {
  const auto a = ParseScript("10 press Space 100\n50 press Z\n110 down Space\n", "in.txt");
  ASSERT_EQ(a.size(), 5u);
  EXPECT_EQ(a[0].ms, 10);
  EXPECT_EQ(a[1].ms, 50);
  EXPECT_EQ(a[2].ms, 98);  // Z up after the default 48 ms
  EXPECT_EQ(a[2].kind, ActionKind::Up);
  EXPECT_EQ(a[3].ms, 110);  // Space up (line 1) before Space down (line 3)
  EXPECT_EQ(a[3].kind, ActionKind::Up);
  EXPECT_EQ(a[4].kind, ActionKind::Down);
}

class HeadlessPlatform : public testing::Test {
 protected:
  std::unique_ptr<Platform> Make(const std::string& script, int64_t maxMs = 3600000) {
    WriteFile(dir_ / "in.txt", script);
    platform::Options o;
    o.dataDir = dir_.path().string();
    o.inputScript = (dir_ / "in.txt").string();
    o.maxMs = maxMs;
    return platform::CreateHeadlessPlatform(o);
  }
  // Runs the script's file names relative to the test's folder.
  std::string In(const std::string& name) const { return (dir_ / name).string(); }
  Json State(const std::string& name) const { return ParseJson(ReadFile(dir_ / name)); }

  bool KeyDown(Platform& p, int vk) {
    uint8_t keys[256];
    p.GetKeyboardState(keys);
    return keys[vk] & 0x80;
  }

  TempDir dir_;
};

TEST_F(HeadlessPlatform, BadScriptsAreUsageErrors) {
  platform::Options o;
  o.inputScript = In("none.txt");
  try {
    platform::CreateHeadlessPlatform(o);
    FAIL() << "no error";
  } catch (const UsageError& e) {
    EXPECT_NE(std::string(e.what()).find(In("none.txt")), std::string::npos) << e.what();
  }
  try {
    Make("0 down A\n2 wait\n");
    FAIL() << "no error";
  } catch (const UsageError& e) {
    EXPECT_EQ(std::string(e.what()), In("in.txt") + ":2: unknown action \"wait\"");
  }
}

TEST_F(HeadlessPlatform, TheClockMovesOnlyWhenTheGameWaits) {
  auto p = Make("");
  EXPECT_EQ(p->NowUs(), 0);
  p->DoEvents();
  EXPECT_EQ(p->NowUs(), 1000);
  p->Sleep(48);
  EXPECT_EQ(p->NowUs(), 49000);
  p->WaitUntil(100000);
  EXPECT_EQ(p->NowUs(), 100000);
  p->WaitUntil(50000);  // already past
  p->Sleep(0);
  p->Flip();
  EXPECT_EQ(p->NowUs(), 100000);
}

TEST_F(HeadlessPlatform, ActionsHappenAtTheirOwnTimes) {
  const std::string script = "0 down Left\n0 state " + In("s0.json") + "\n5 state " +
                             In("s5.json") + "\n100 state " + In("s100.json") + "\n";
  auto p = Make(script);
  // Time 0 comes before start-up: applied when the platform is made.
  EXPECT_TRUE(KeyDown(*p, platform::vk::Left));
  EXPECT_EQ(State("s0.json")["clock_ms"].Int(), 0);
  EXPECT_FALSE(fs::exists(dir_ / "s5.json"));
  p->WaitUntil(200000);  // one long wait passes both
  EXPECT_EQ(State("s5.json")["clock_ms"].Int(), 5);
  EXPECT_EQ(State("s100.json")["clock_ms"].Int(), 100);
  EXPECT_EQ(p->NowUs(), 200000);
}

TEST_F(HeadlessPlatform, PressHoldsTheKeyForItsLength) {
  auto p = Make("10 press Space\n20 press A 5\n");
  auto at = [&](int ms) {
    p->WaitUntil(int64_t{ms} * 1000);
    return std::make_pair(KeyDown(*p, platform::vk::Space), KeyDown(*p, platform::vk::KeyA));
  };
  EXPECT_EQ(at(9), std::make_pair(false, false));
  EXPECT_EQ(at(10), std::make_pair(true, false));
  EXPECT_EQ(at(20), std::make_pair(true, true));
  EXPECT_EQ(at(24), std::make_pair(true, true));
  EXPECT_EQ(at(25), std::make_pair(true, false));
  EXPECT_EQ(at(57), std::make_pair(true, false));
  EXPECT_EQ(at(58), std::make_pair(false, false));

  auto q = Make("10 press Space 100\n110 down Space\n");
  q->WaitUntil(110000);
  EXPECT_TRUE(KeyDown(*q, platform::vk::Space));  // released, then pressed again at 110
}

TEST_F(HeadlessPlatform, MaxMsEndsTheRunAfterTheActionsUpToIt) {
  auto p = Make("50 state " + In("a.json") + "\n100 state " + In("b.json") + "\n101 state " +
                    In("c.json") + "\n",
                100);
  p->WaitUntil(99000);
  EXPECT_TRUE(fs::exists(dir_ / "a.json"));
  try {
    p->Sleep(500);
    FAIL() << "the run went on";
  } catch (const ExitRequest& e) {
    EXPECT_EQ(e.status, 0);
  }
  EXPECT_EQ(p->NowUs(), 100000);
  EXPECT_EQ(State("b.json")["clock_ms"].Int(), 100);
  EXPECT_FALSE(fs::exists(dir_ / "c.json"));
}

TEST_F(HeadlessPlatform, QuitEndsTheRunAtItsTime) {
  auto p = Make("30 quit\n40 state " + In("x.json") + "\n");
  p->Sleep(29);
  EXPECT_THROW(p->Sleep(100), ExitRequest);
  EXPECT_EQ(p->NowUs(), 30000);
  EXPECT_FALSE(fs::exists(dir_ / "x.json"));
  EXPECT_THROW(Make("0 quit\n"), ExitRequest);
}

TEST_F(HeadlessPlatform, ASoundingEffectIsNotRestarted) {
  fs::create_directories(dir_ / "wave");
  WriteFile(dir_ / "wave" / "door.wav", media_builders::Wav(1, 8000, 8, 800));  // 100 ms
  auto p = Make("150 state " + In("s.json") + "\n");
  p->OpenSoundDevice();
  p->LoadSound(3, In("wave/door.wav"));
  p->LoadSound(5, In("wave/door.wav"));
  p->PlaySound(3);
  p->PlaySound(5);  // another effect in the same tick sounds too
  p->Sleep(50);
  p->PlaySound(3);  // still sounding
  p->Sleep(49);
  p->PlaySound(3);
  p->Sleep(1);
  p->PlaySound(3);  // ended at 100 ms
  p->PlaySound(3);
  p->PlaySound(4);  // not loaded
  p->PlaySound(10);
  p->PlaySound(-1);
  p->Sleep(50);
  const Json sounds = State("s.json")["sounds"];
  ASSERT_EQ(sounds.arr.size(), 3u);
  EXPECT_EQ(sounds[0]["ms"].Int(), 0);
  EXPECT_EQ(sounds[0]["slot"].Int(), 3);
  EXPECT_EQ(sounds[1]["slot"].Int(), 5);
  EXPECT_EQ(sounds[2]["ms"].Int(), 100);
  EXPECT_EQ(sounds[2]["slot"].Int(), 3);

  try {
    p->LoadSound(2, In("wave/missing.wav"));
    FAIL() << "no error";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find(In("wave/missing.wav")), std::string::npos);
  }
  EXPECT_THROW(p->LoadSound(10, In("wave/door.wav")), FatalError);
}

TEST_F(HeadlessPlatform, SongsPlayAndEndOnTheVirtualClock) {
  using namespace media_builders;
  fs::create_directories(dir_ / "midi");
  // 480 ticks per quarter; 120 bpm to tick 960 (1 s), then 60 bpm: 7680 ticks last 15 s.
  WriteFile(dir_ / "midi" / "vorn01.mid",
            Midi(0, 480,
                 {Tempo(0, 500000) + NoteOn(0, 60) + Tempo(960, 1000000) + NoteOff(6720, 60) +
                  EndOfTrack(0)}));
  auto p = Make("60000 state " + In("s.json") + "\n");
  auto& m = p->Music();
  auto at = [&](int64_t ms) {
    p->WaitUntil(ms * 1000);
    return m.Mode();
  };
  EXPECT_EQ(m.Mode(), "");
  EXPECT_EQ(m.Play(), 263);  // nothing open: refused, still logged
  EXPECT_EQ(m.Open(In("midi/vorn01.mid")), 0);
  EXPECT_EQ(m.SetTimeFormatSongPointer(), 0);
  EXPECT_EQ(m.Mode(), "stopped");  // open, never played
  EXPECT_EQ(m.Play(), 0);
  EXPECT_EQ(at(14999), "playing");
  EXPECT_EQ(at(15000), "stopped");
  // From song position 16 = tick 1920, 3 s into the song: 12 s left.
  m.SeekStart();
  EXPECT_EQ(m.PlayFrom(16), 0);
  EXPECT_EQ(at(26999), "playing");
  EXPECT_EQ(at(27000), "stopped");
  // Stopped 2 s in (tick 1440, past the tempo change), play goes on from there: 13 s left.
  m.SeekStart();
  m.Play();
  at(29000);
  m.Stop();
  EXPECT_EQ(m.Mode(), "stopped");
  EXPECT_EQ(at(35000), "stopped");
  m.Play();
  EXPECT_EQ(at(47999), "playing");
  EXPECT_EQ(at(48000), "stopped");
  // A seek stops a playing song.
  m.SeekStart();
  m.Play();
  EXPECT_EQ(m.Mode(), "playing");
  m.SeekStart();
  EXPECT_EQ(m.Mode(), "stopped");
  EXPECT_EQ(m.Close(), 0);
  EXPECT_EQ(m.Mode(), "");
  EXPECT_NE(m.Open(In("midi/vorn05.mid")), 0);  // missing: nothing open, silent
  EXPECT_EQ(m.Mode(), "");
  EXPECT_NE(m.Play(), 0);
  EXPECT_EQ(m.Mode(), "");
  p->WaitUntil(60000 * 1000);

  const Json music = State("s.json")["music"];
  const std::vector<std::pair<int64_t, std::string>> want = {
      {0, "play"},          {0, "open"},           {0, "play"},     {15000, "seek_start"},
      {15000, "play_from"}, {27000, "seek_start"}, {27000, "play"}, {29000, "stop"},
      {35000, "play"},      {48000, "seek_start"}, {48000, "play"}, {48000, "seek_start"},
      {48000, "close"},     {48000, "open"},       {48000, "play"}};
  ASSERT_EQ(music.arr.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(music[i]["ms"].Int(), want[i].first) << i;
    EXPECT_EQ(music[i]["op"].str, want[i].second) << i;
    EXPECT_EQ(music[i].Has("arg"), want[i].second == "open" || want[i].second == "play_from");
  }
  EXPECT_EQ(music[1]["arg"].str, "midi/vorn01.mid");
  EXPECT_EQ(music[4]["arg"].Int(), 16);
  EXPECT_EQ(music[13]["arg"].str, "midi/vorn05.mid");
}

TEST_F(HeadlessPlatform, JoystickPlugsAndScriptedAxesAndButtons) {
  auto p = Make(
      "0 joystick on\n0 down JoyLeft\n0 down JoyButton9\n10 down JoyDown\n10 down JoyRight\n"
      "10 up JoyLeft\n20 joystick off\n30 joystick on\n");
  EXPECT_EQ(p->JoyNumDevs(), 1);
  EXPECT_TRUE(p->TakeJoystickAdded());
  EXPECT_FALSE(p->TakeJoystickAdded());
  platform::JoyInfo j;
  ASSERT_EQ(p->JoyGetPos(0, j), 0);
  EXPECT_EQ(j.xpos, 0u);
  EXPECT_EQ(j.ypos, 32767u);
  EXPECT_EQ(j.buttons, 1u << 8);
  EXPECT_NE(p->JoyGetPos(1, j), 0);
  p->WaitUntil(10000);
  ASSERT_EQ(p->JoyGetPos(0, j), 0);
  EXPECT_EQ(j.xpos, 65535u);
  EXPECT_EQ(j.ypos, 65535u);
  p->WaitUntil(20000);
  EXPECT_EQ(p->JoyNumDevs(), 0);
  EXPECT_NE(p->JoyGetPos(0, j), 0);
  EXPECT_FALSE(p->TakeJoystickAdded());
  p->WaitUntil(30000);
  EXPECT_TRUE(p->TakeJoystickAdded());
  EXPECT_EQ(p->JoyNumDevs(), 1);

  auto none = Make("");
  EXPECT_EQ(none->JoyNumDevs(), 0);
  EXPECT_FALSE(none->TakeJoystickAdded());
}

TEST_F(HeadlessPlatform, KeyboardSnapshotByVirtualKey) {
  auto p = Make("0 down Q\n0 down 7\n0 down Enter\n");
  uint8_t keys[256];
  EXPECT_NE(p->GetKeyboardState(keys), 0);
  for (int i = 0; i < 256; ++i) {
    const bool down = i == platform::vk::Q || i == '7' || i == platform::vk::Enter;
    EXPECT_EQ(keys[i], down ? 0x80 : 0) << i;
  }
}

TEST_F(HeadlessPlatform, PaletteWritesNeverReachEntry255) {
  auto p = Make("");
  platform::Palette pal{};
  for (size_t i = 0; i < 256; ++i) pal[i] = {static_cast<uint8_t>(i), 1, 2, 0};
  p->SetPalette(pal);
  std::vector<platform::PaletteEntry> black(256);
  p->SetEntries(0, 256, black.data());
  EXPECT_EQ(p->DisplayPalette()[254], platform::PaletteEntry{});
  EXPECT_EQ(p->DisplayPalette()[255], pal[255]);
  p->SetEntries(250, 3, pal.data());
  std::vector<platform::PaletteEntry> got(4);
  p->GetEntries(249, 4, got.data());
  EXPECT_EQ(got[0], platform::PaletteEntry{});
  EXPECT_EQ(got[1], pal[0]);
  EXPECT_EQ(got[3], pal[2]);
  EXPECT_THROW(p->SetEntries(250, 7, pal.data()), FatalError);
  EXPECT_THROW(p->SetEntries(-1, 1, pal.data()), FatalError);
  EXPECT_THROW(p->GetEntries(0, 257, got.data()), FatalError);
  EXPECT_THROW(p->GetEntries(3, -1, got.data()), FatalError);
}

TEST_F(HeadlessPlatform, ScreenshotShowsTheVisibleSurfaceThroughTheDisplayPalette) {
  auto p = Make("10 screenshot " + In("a.png") + "\n20 screenshot " + In("b.png") + "\n");
  platform::Palette pal{};
  pal[5] = {10, 20, 30, 0};
  pal[6] = {40, 50, 60, 0};
  p->SetPalette(pal);
  p->Primary().Fill(5);
  p->Back().Fill(6);  // not shown until the flip
  p->Sleep(10);
  platform::PaletteEntry dim{1, 2, 3, 0};
  p->SetEntries(5, 1, &dim);
  p->Sleep(10);
  const auto a = png_reader::DecodeStoredPng(ReadFile(dir_ / "a.png"));
  const auto b = png_reader::DecodeStoredPng(ReadFile(dir_ / "b.png"));
  ASSERT_EQ(a.width, 640u);
  ASSERT_EQ(a.height, 480u);
  EXPECT_EQ(a.rgb.substr(0, 3), std::string("\x0A\x14\x1E"));
  EXPECT_EQ(b.rgb.substr(3 * 1000, 3), std::string("\x01\x02\x03"));
}

TEST_F(HeadlessPlatform, FlipExchangesVisibleSurfaceAndBackBuffer) {
  auto p = Make("");
  EXPECT_EQ(p->Primary().Name(), "visible surface");
  EXPECT_EQ(p->Back().Name(), "back buffer");
  EXPECT_EQ(p->Primary().Width(), 640);
  p->Back().Fill(7);
  p->Flip();
  EXPECT_EQ(p->Primary().At(639, 479), 7);
  EXPECT_EQ(p->Back().At(0, 0), 0);
}

TEST_F(HeadlessPlatform, TextInkIsTheNearestEntryOfTheAttachedPalette) {
  auto p = Make("");
  platform::Palette pal{};
  pal[9] = {255, 255, 255, 0};
  p->SetPalette(pal);
  std::vector<platform::PaletteEntry> black(255);
  p->SetEntries(0, 255, black.data());  // faded out: the ink colour does not change
  p->Back().Fill(0);
  p->DrawText(p->Back(), 8, 8, "あA", 0xFFFFFF);
  int ink = 0;
  for (int y = 8; y < 24; ++y) {
    for (int x = 8; x < 32; ++x) {
      const uint8_t v = p->Back().At(x, y);
      EXPECT_TRUE(v == 0 || v == 9) << int{v};
      ink += v == 9;
    }
  }
  EXPECT_GT(ink, 20);
}

TEST_F(HeadlessPlatform, StateDumpJoinsTheGameAndThePlatform) {
  auto p = Make("5 state " + In("s.json") + "\n");
  p->stateDumper = [] { return std::string("\"Life\":3,\"EventText\":[\"扉が開いた\\n\"]"); };
  p->ShowCursor(false);
  platform::Palette pal{};
  pal[1] = {9, 8, 7, 0};
  p->SetPalette(pal);
  p->Sleep(5);
  const Json s = State("s.json");
  ASSERT_EQ(s.type, Json::Object);
  EXPECT_EQ(s["Life"].Int(), 3);
  EXPECT_EQ(s["EventText"][0].str, "扉が開いた\n");
  EXPECT_EQ(s["clock_ms"].Int(), 5);
  EXPECT_FALSE(s["cursor_visible"].b);
  ASSERT_EQ(s["display_palette"].arr.size(), 256u);
  ASSERT_EQ(s["display_palette"][1].arr.size(), 3u);
  EXPECT_EQ(s["display_palette"][1][0].Int(), 9);
  EXPECT_EQ(s["display_palette"][1][2].Int(), 7);
  EXPECT_EQ(s["sounds"].type, Json::Array);
  EXPECT_EQ(s["music"].type, Json::Array);

  // Without a game (a state at time 0 comes before start-up) the platform's part stands alone.
  auto q = Make("0 state " + In("q.json") + "\n");
  EXPECT_TRUE(State("q.json")["cursor_visible"].b);
}

TEST(JsonString, StringsAreEscapedAndAlwaysValidUtf8) {
  using platform::JsonString;
  EXPECT_EQ(JsonString("a\"b\\c\n\t\x01\x7F/"), "\"a\\\"b\\\\c\\n\\t\\u0001\\u007f/\"");
  EXPECT_EQ(JsonString("スイッチを押した♥"), "\"スイッチを押した♥\"");
  EXPECT_EQ(JsonString("\xF0\x9F\x8E\xB5"), "\"\xF0\x9F\x8E\xB5\"");
  const std::string bad = "\xEF\xBF\xBD";
  EXPECT_EQ(JsonString("x\xFFy"), "\"x" + bad + "y\"");
  EXPECT_EQ(JsonString("\xE3\x81"), "\"" + bad + bad + "\"");            // cut short
  EXPECT_EQ(JsonString("\xC0\xAF"), "\"" + bad + bad + "\"");            // overlong
  EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"" + bad + bad + bad + "\"");  // surrogate
  EXPECT_EQ(JsonString(std::string("a\0b", 3)), "\"a\\u0000b\"");
}

TEST(ListFiles, RegularFilesWithTheSuffixSorted) {
  TempDir dir;
  for (const char* name : {"savedata3.sav", "savedata1.sav", "b.SAV", "c.sav.bak", "sav"}) {
    WriteFile(dir / name, "x");
  }
  fs::create_directories(dir / "folder.sav");
  EXPECT_EQ(platform::ListFilesWithSuffix(dir.path().string(), ".sav"),
            (std::vector<std::string>{"savedata1.sav", "savedata3.sav"}));
  EXPECT_TRUE(platform::ListFilesWithSuffix((dir / "none").string(), ".sav").empty());
}

}  // namespace
