// The ending and game over: the tally's figures, the order of the fades, the song wait of
// the last credits scene, the pictures, and the hand-over to the title.
#include <gtest/gtest.h>

#include "platform/media_info.h"
#include "screens/tally.h"
#include "test_support.h"

namespace {

using namespace testing_support;

// Runs of equal looks in time order (e.g. base, white, base), the fades between left out.
std::vector<std::string> Runs(const std::vector<std::string>& looks) {
  std::vector<std::string> runs;
  for (const auto& l : looks) {
    if (l != "between" && (runs.empty() || runs.back() != l)) runs.push_back(l);
  }
  return runs;
}
using quelmire::NumberText;

TEST(EndingTally, CompletionFollowsTheWeightsAndIgnoresHeartsAndLaterItems) {
  HeadlessGame g(BuiltGameDir(), "");
  auto& f = *g.form;
  f.LifeMax = 3;
  EXPECT_EQ(NumberText(quelmire::CountTally(f).percent), U" 0");
  f.ItemCount(0) = 12;
  for (int i = 1; i <= 34; ++i) f.ItemCount(i) = 1;
  // Hearts count through the life ceiling only; items 35 and up not at all.
  std::tie(f.LifeMax, f.ItemCount(8), f.ItemCount(9)) = std::tuple(5, 3, 3);
  for (int i = 35; i <= 127; ++i) f.ItemCount(i) = 200;
  const auto t = quelmire::CountTally(f);
  EXPECT_EQ(std::tuple(t.crystals, t.orbs, t.keys, t.percent, NumberText(t.percent)),
            std::tuple(12, 7, 20, 48.5, U" 48.5"));
  // Counts far past a normal game (50 C + 300 O + 100 K alone pass 32767) still give a figure
  // instead of stopping the ending.
  for (int i = 0; i <= 34; ++i) f.ItemCount(i) = 255;
  EXPECT_EQ(NumberText(quelmire::CountTally(f).percent), U" 10711");
  // The game's way of writing numbers.
  for (auto [n, text] : {std::pair{0.0, U" 0"},
                         {7.0, U" 7"},
                         {0.5, U" .5"},
                         {-0.5, U"-.5"},
                         {12.25, U" 12.25"},
                         {-3.0, U"-3"}}) {
    EXPECT_EQ(NumberText(n), text);
  }
}

// The whole ending with a song playing (0: none), looked at every 40 ms while keys are
// pressed all along (only the final wait reads them).
TEST(Ending, FlashesStoryCreditsAndTallyInOrderAndTheLastSceneWaitsForAPlayingSong) {
  platform::MidiInfo song;
  ASSERT_TRUE(platform::ReadMidiInfo((BuiltGameDir() / "midi/vorn10.mid").string(), song));
  const long long length = static_cast<long long>(song.LengthSeconds() * 1000);
  ASSERT_GT(length, 110000) << "the ending song outlasts the fixed steps";
  // Without a song, or with song 8 (16 s) over long before the credits, the last scene does
  // not wait: the fixed steps take about 102 s. "The End." stays until song 10 is over.
  for (auto [no, least, most] :
       {std::tuple{0, 100000LL, 103000LL}, {8, 100000LL, 103000LL}, {10, length, length + 6000}}) {
    Scene s;
    std::string script = Presses(1000, most + 5000, 1000);
    for (long long ms = 40; ms <= most; ms += 40) script += s.Probe(ms);
    s.Play(script);
    auto& f = s.f();
    if (no > 0) f.BGM_OPEN(f.SongPath(no)), f.BGM_Play();
    std::vector<std::string> looks;
    s.probe = [&](long long) { looks.push_back(s.PaletteLook()); };
    const long long start = s.ms();
    f.EndingFlag = 1;
    f.PlayEnding();
    const long long took = s.ms() - start;
    EXPECT_EQ(
        std::tuple(took >= least && took < most, f.Timer1.Enabled, f.Timer2.Enabled, f.MusicOn),
        std::tuple(true, false, true, 0))
        << no << ": " << took;
    if (no != 0) continue;
    // Pictures between white flashes, the story, eight credits scenes each faded in from black
    // and out to black, then the tally at full colour.
    std::vector<std::string> want = {"base", "white", "base", "white",
                                     "base", "white", "base", "black"};
    for (int scene = 0; scene < 8; ++scene) want.insert(want.end(), {"base", "black"});
    want.push_back("base");
    EXPECT_EQ(Runs(looks), want);
  }
}

TEST(GameOver, RedFadeThenThePictureAndPatternInTheirColoursThenTheTitle) {
  Scene s;
  std::string script = Presses(6000, 9000, 1000);
  for (long long ms = 12; ms <= 6000; ms += 12) script += s.Probe(ms);
  s.Play(script + s.Probe(4000));  // the picture and pattern looked at, before the key
  auto& f = s.f();
  f.Life = 0;
  std::vector<std::string> looks;
  int pictureDiffers = -1, patternSame = -1;
  s.probe = [&](long long ms) {
    looks.push_back(s.PaletteLook());
    if (ms != 4000) return;
    const auto& p = *f.PrimarySurface;
    const auto& sheet = *f.CharSurface(1);
    // The pattern tile repeats every 80 x 40 pixels away from the picture, whose opaque pixels
    // land at (162, 222).
    patternSame = pictureDiffers = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 80; ++x) patternSame += p.At(x, y) == sheet.At(240 + x, 280 + y);
    for (int y = 0; y < 36; ++y)
      for (int x = 0; x < 320; ++x)
        pictureDiffers +=
            sheet.At(x, 320 + y) != 2 && p.At(162 + x, 222 + y) != sheet.At(x, 320 + y);
  };
  const long long start = s.ms();
  f.PlayGameOver();
  // The picture is wiped in over 36 lines of 48 ms before the wait for a key; game over leaves
  // the state to the title.
  EXPECT_EQ(
      std::tuple(Runs(looks), patternSame, pictureDiffers, s.ms() - start >= 17 * 96 + 36 * 48),
      std::tuple(std::vector<std::string>{"base", "red", "base"}, 80 * 40, 0, true));
  EXPECT_EQ(std::tuple(f.MusicOn, f.Timer1.Enabled, f.Timer2.Enabled, f.Life),
            std::tuple(0, false, true, 0));
}

}  // namespace
