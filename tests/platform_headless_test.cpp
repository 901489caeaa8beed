// The headless platform driven directly: script parsing, the virtual clock and the times of
// script actions, scripted keys, sound effects that are not restarted while sounding,
// screenshots and the state dump. (The scripted pad is driven through the game by the start-up
// and save prompt tests.)
#include <gtest/gtest.h>

#include <sstream>

#include "platform/files.h"
#include "platform/headless_script.h"
#include "platform/json.h"
#include "platform_fixtures.h"
#include "test_support.h"

namespace {

using namespace platform;
using namespace testing_support;
using headless::ActionKind;
using headless::ParseScript;
using platform_fixtures::ErrorOf;
using platform_fixtures::Holds;
using platform_fixtures::KeysDown;

TEST(HeadlessScript, EveryKeyLineEndAndReleaseTimeAndBadLinesNamedByFileAndLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"0 down Space\n\n# waiting\n5 jump Space\n", "in.txt:4: unknown action \"jump\""},
      {"10 down F11\n", "in.txt:1: unknown key \"F11\""},
      {"1 down JoyButton11\n", "in.txt:1: unknown key \"JoyButton11\""},
      {"10 down A\n10 up A\n5 up A\n", "in.txt:3: time 5 is earlier than the line before (10)"},
      {"1 down\n", "in.txt:1: missing key after \"down\""},
      {"\r\n1 screenshot\r\n", "in.txt:2: missing file name after \"screenshot\""},
      {"7\n", "in.txt:1: missing action"},
      {"x down A\n", "in.txt:1: bad time \"x\""},
      {"-5 down A\n", "in.txt:1: bad time"},
      {"99999999999999999999 quit\n", "in.txt:1: bad time"},
      {"1 press A -3\n", "in.txt:1: bad press length"},
      {"1 joystick maybe\n", "in.txt:1: joystick takes"},
      {"1 quit now\n", "in.txt:1: unexpected \"now\""},
  };
  for (const auto& [text, expected] : cases) {
    const std::string error = ErrorOf<UsageError>([&] { ParseScript(text, "in.txt"); });
    EXPECT_EQ(error.rfind(expected, 0), 0u) << error;
  }
  // A byte-order mark, comments, blank lines, and LF, CR LF or a lone CR at line ends.
  for (const char* eol : {"\n", "\r\n", "\r"}) {
    std::string text = "\xEF\xBB\xBF# keys" + std::string(eol);
    std::istringstream names(
        "Left Right Up Down Space Enter Escape A Z 0 9 JoyLeft JoyRight JoyUp JoyDown JoyButton1 "
        "JoyButton10");
    for (std::string n; names >> n;) text += "3 down " + n + "   # held" + eol;
    const auto actions = ParseScript(text + eol + "4 screenshot shots/first frame.png", "in.txt");
    ASSERT_EQ(actions.size(), 18u) << int{eol[1]};
    EXPECT_EQ(std::tuple(actions[7].input, actions[10].input, actions[16].input),
              std::tuple(vk::KeyA, vk::Key0 + 9, headless::kJoyButton1 + 9));
    EXPECT_EQ(std::tuple(actions[17].file, actions[17].line),
              std::tuple("shots/first frame.png", 20));
  }
  // Z (90) up after the default 48 ms; Space (32) up (line 1) before Space down (line 3).
  std::string got;
  for (const auto& a : ParseScript("10 press Space 100\n50 press Z\n110 down Space\n", "in.txt"))
    got += std::to_string(a.ms) + (a.kind == ActionKind::Down ? "+" : "-") +
           std::to_string(a.input) + " ";
  EXPECT_EQ(got, "10+32 50+90 98-90 110-32 110+32 ");
}

class HeadlessPlatform : public testing::Test {
 protected:
  std::unique_ptr<Platform> Make(const std::string& script, int64_t maxMs = 3600000) {
    WriteFile(dir_ / "in.txt", script);
    Options o;
    o.dataDir = dir_.path().string();
    o.inputScript = (dir_ / "in.txt").string();
    o.maxMs = maxMs;
    return CreateHeadlessPlatform(o);
  }
  std::string In(const std::string& name) const { return (dir_ / name).string(); }
  Json State(const std::string& name) const {
    return testing_support::ParseJson(ReadFile(dir_ / name));
  }
  TempDir dir_;
};

TEST_F(HeadlessPlatform, TheClockActionsAtTheirTimesQuitMaxMsAndPresses) {
  auto c = Make("");
  c->DoEvents();  // a yield takes a millisecond
  c->Sleep(48);
  EXPECT_EQ(c->NowUs(), 49000);
  c->WaitUntil(100000);
  c->WaitUntil(50000);  // already past
  c->Sleep(0);
  c->Flip();
  EXPECT_EQ(c->NowUs(), 100000);
  auto p = Make("0 down Left\n0 state " + In("s0.json") + "\n5 state " + In("s5.json") +
                    "\n100 state " + In("s100.json") + "\n101 state " + In("s101.json") + "\n",
                100);
  // Time 0 comes before start-up: applied when the platform is made.
  EXPECT_EQ(
      std::tuple(KeysDown(*p), State("s0.json")["clock_ms"].Int(), fs::exists(dir_ / "s5.json")),
      std::tuple(std::vector<int>{vk::Left}, 0, false));
  p->WaitUntil(99000);  // one long wait passes several
  EXPECT_EQ(State("s5.json")["clock_ms"].Int(), 5);
  // The run ends at max-ms after the actions due then, and none later.
  EXPECT_THROW(p->Sleep(500), ExitRequest);
  EXPECT_EQ(
      std::tuple(p->NowUs(), State("s100.json")["clock_ms"].Int(), fs::exists(dir_ / "s101.json")),
      std::tuple(100000, 100, false));
  auto q = Make("30 quit\n40 state " + In("x.json") + "\n");
  q->Sleep(29);
  EXPECT_THROW(q->Sleep(100), ExitRequest);
  EXPECT_EQ(std::tuple(q->NowUs(), fs::exists(dir_ / "x.json")), std::tuple(30000, false));
  EXPECT_THROW(Make("0 quit\n"), ExitRequest);
  // A missing script is named (its bad lines are named by the start-up test).
  Options o;
  o.inputScript = In("none.txt");
  EXPECT_TRUE(Holds(ErrorOf<UsageError>([&] { CreateHeadlessPlatform(o); }), {o.inputScript}));
  // So is a screenshot or state file that cannot be written, with its line, before the run.
  for (const std::string& out : {In("none/s.json"), dir_.path().string()}) {
    EXPECT_TRUE(Holds(ErrorOf<UsageError>([&] { Make("1 down A\n5 state " + out + "\n"); }),
                      {"in.txt:2: cannot write \"" + out + "\""}));
  }
  // A press holds the key for its length; one shorter than the time between two reads is a
  // tap: the next read only sees it.
  auto k = Make("10 press Space\n20 press A 5\n60 press Z 2\n60 press Q 0\n");
  constexpr int S = vk::Space, A = vk::KeyA, Q = vk::Q, Z = vk::Z;
  const std::pair<int, std::vector<int>> steps[] = {{9, {}},      {10, {S}},    {20, {S, A}},
                                                    {24, {S, A}}, {25, {S}},    {57, {S}},
                                                    {58, {}},     {70, {Q, Z}}, {70, {}}};
  for (const auto& [ms, want] : steps) {
    k->WaitUntil(int64_t{ms} * 1000);
    EXPECT_EQ(KeysDown(*k), want) << ms;
  }
}

TEST_F(HeadlessPlatform, ScreenshotsShowTheVisibleSurfaceAndSoundingEffectsAreNotRestarted) {
  auto p = Make("10 screenshot " + In("a.png") + "\n20 screenshot " + In("b.png") + "\n");
  Palette pal{};
  for (size_t i = 0; i < 256; ++i)
    pal[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i ^ 0x55),
              static_cast<uint8_t>(255 - i), 0};
  p->SetPalette(pal);
  platform_fixtures::Pattern(p->Primary());
  p->Back().Fill(6);  // not shown until the flip
  // The first shot, every pixel through the palette of its moment.
  std::string want;
  for (size_t at = 0; at < 640 * 480; ++at) {
    const auto& e = pal[p->Primary().Pixels()[at]];
    want += {static_cast<char>(e.r), static_cast<char>(e.g), static_cast<char>(e.b)};
  }
  p->Sleep(10);
  const PaletteEntry dim{1, 2, 3, 0};
  p->SetEntries(6, 1, &dim);
  p->Flip();
  EXPECT_EQ(p->Back().At(0, 0), 1);
  p->Sleep(10);
  const auto a = platform_fixtures::DecodeStoredPng(ReadFile(dir_ / "a.png"));
  const auto b = platform_fixtures::DecodeStoredPng(ReadFile(dir_ / "b.png"));
  ASSERT_EQ(std::tuple(a.width, a.height, b.width), std::tuple(640u, 480u, 640u));
  EXPECT_TRUE(a.rgb == want) << "the pixels differ";
  EXPECT_EQ(b.rgb.substr(3 * 1000, 3), std::string("\x01\x02\x03"));
  // A sounding effect is not restarted.
  fs::create_directories(dir_ / "wave");
  WriteFile(dir_ / "wave" / "door.wav", platform_fixtures::Wav(1, 8000, 8, 800));  // 100 ms
  auto e = Make("150 state " + In("s.json") + "\n");
  e->OpenSoundDevice();
  for (int slot : {3, 5}) e->LoadSound(slot, In("wave/door.wav"));
  EXPECT_THROW(e->LoadSound(10, In("wave/door.wav")), FatalError);
  // Another effect in the same tick sounds too; at 99 ms 3 is still sounding, at 100 it has
  // ended; 4 is not loaded, -1 and 10 are no slots.
  for (const auto& [ms, slots] :
       {std::pair(0, std::vector{3, 5}), {99, {3}}, {1, {3, 3, 4, -1, 10}}}) {
    e->Sleep(ms);
    for (int slot : slots) e->PlaySound(slot);
  }
  e->Sleep(50);
  const Json state = State("s.json");
  std::vector<std::pair<long long, long long>> sounds;
  for (const Json& e : state["sounds"].arr) sounds.emplace_back(e["ms"].Int(), e["slot"].Int());
  EXPECT_EQ(sounds, (decltype(sounds){{0, 3}, {0, 5}, {100, 3}}));
}

TEST(Files, JsonStringsAreEscapedAndValidUtf8AndListsHoldRegularFilesWithTheSuffixSorted) {
  const std::string bad = "\xEF\xBF\xBD";
  const std::pair<std::string, std::string> cases[] = {
      {"a\"b\\c\n\t\x01\x7F/", "a\\\"b\\\\c\\n\\t\\u0001\\u007f/"},
      {"\xF0\x9F\x8E\xB5", "\xF0\x9F\x8E\xB5"},
      {"x\xFFy", "x" + bad + "y"},
      {"\xE3\x81", bad + bad},            // cut short
      {"\xC0\xAF", bad + bad},            // overlong
      {"\xED\xA0\x80", bad + bad + bad},  // surrogate
      {std::string("a\0b", 3), "a\\u0000b"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(JsonString(in), "\"" + out + "\"");
  // Listing files: regular ones with the suffix, sorted.
  TempDir dir;
  for (const char* name : {"savedata3.sav", "savedata1.sav", "b.SAV", "c.sav.bak", "sav"}) {
    WriteFile(dir / name, "x");
  }
  fs::create_directories(dir / "folder.sav");
  EXPECT_EQ(ListFilesWithSuffix(dir.path().string(), ".sav"),
            (std::vector<std::string>{"savedata1.sav", "savedata3.sav"}));
  EXPECT_TRUE(ListFilesWithSuffix((dir / "none").string(), ".sav").empty());
}

}  // namespace
