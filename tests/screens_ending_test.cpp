// The ending and game over: the tally's figures, the order of the fades, the song wait of
// the last credits scene, and the hand-over to the title.
#include <gtest/gtest.h>

#include <memory>

#include "platform/media_info.h"
#include "screens/tally.h"
#include "screens_support.h"

namespace {

using namespace screens_test;
using quelmire::NumberText;
using quelmire::String;

using Playing = SmallWorldPlay;

std::string KeyPressesFrom(long long from, long long to) {
  std::string s;
  for (long long ms = from; ms < to; ms += 1000) s += std::to_string(ms) + " press Z\n";
  return s;
}

TEST(EndingTally, CompletionFollowsTheWeightsAndIgnoresHeartsAndLaterItems) {
  HeadlessGame g(BuiltGameDir(), "");
  auto& f = *g.form;
  f.LifeMax = 3;
  auto t = quelmire::CountTally(f);
  EXPECT_EQ(NumberText(t.percent), U" 0");

  f.ItemCount(0) = 12;
  for (int i = 1; i <= 7; ++i) f.ItemCount(i) = 1;
  for (int i = 10; i <= 29; ++i) f.ItemCount(i) = 1;
  for (int i = 30; i <= 34; ++i) f.ItemCount(i) = 1;
  f.LifeMax = 5;
  // Hearts count through the life ceiling only; items 35 and up not at all.
  f.ItemCount(8) = 3;
  f.ItemCount(9) = 3;
  for (int i = 35; i <= 127; ++i) f.ItemCount(i) = 200;
  t = quelmire::CountTally(f);
  EXPECT_EQ(t.crystals, 12);
  EXPECT_EQ(t.orbs, 7);
  EXPECT_EQ(t.keys, 20);
  EXPECT_DOUBLE_EQ(t.percent, 48.5);
  EXPECT_EQ(NumberText(t.percent), U" 48.5");

  // Counts far past a normal game (50 C + 300 O + 100 K alone pass 32767) still give a figure
  // instead of stopping the ending.
  for (int i = 0; i <= 34; ++i) f.ItemCount(i) = 255;
  t = quelmire::CountTally(f);
  EXPECT_EQ(NumberText(t.percent), U" 10711");
}

TEST(EndingTally, NumbersAreWrittenTheGamesWay) {
  EXPECT_EQ(NumberText(0), U" 0");
  EXPECT_EQ(NumberText(7), U" 7");
  EXPECT_EQ(NumberText(41.5), U" 41.5");
  EXPECT_EQ(NumberText(0.5), U" .5");
  EXPECT_EQ(NumberText(-0.5), U"-.5");
  EXPECT_EQ(NumberText(12.25), U" 12.25");
  EXPECT_EQ(NumberText(-3), U"-3");
}

// The whole ending, looked at every 24 ms; returns the runs of palette looks and the time the
// ending handed over.
struct EndingRun {
  std::vector<std::string> runs;
  long long startMs = 0, endMs = 0;
  bool timer1 = true, timer2 = false, musicOn = true;
};

EndingRun RunEnding(int song, long long horizon) {
  EndingRun r;
  // Keys are pressed all along: only the final wait reads them.
  Playing p([&](const Probes& pr) {
    return pr.Every(40, horizon, 40) + KeyPressesFrom(1000, horizon + 5000);
  });
  auto& f = p.f();
  if (song > 0) {
    f.BGM_OPEN(f.SongPath(song));
    f.BGM_Play();
  }
  std::vector<std::string> looks;
  p.probes.probe = [&](long long) { looks.push_back(PaletteLook(*p.g)); };
  r.startMs = p.ms();
  f.EndingFlag = 1;
  f.PlayEnding();
  r.endMs = p.ms();
  r.runs = Runs(looks);
  r.timer1 = f.Timer1.Enabled;
  r.timer2 = f.Timer2.Enabled;
  r.musicOn = f.MusicOn != 0;
  return r;
}

std::vector<std::string> Without(const std::vector<std::string>& runs, const std::string& drop) {
  std::vector<std::string> out;
  for (const auto& r : runs) {
    if (r != drop && (out.empty() || out.back() != r)) out.push_back(r);
  }
  return out;
}

TEST(Ending, FlashesStoryCreditsAndTallyInOrderThenTheTitle) {
  const EndingRun r = RunEnding(0, 130000);
  // Pictures between white flashes, the story, eight credits scenes each faded in from black
  // and out to black, then the tally at full colour.
  std::vector<std::string> want = {"base", "white", "base", "white",
                                   "base", "white", "base", "black"};
  for (int scene = 0; scene < 8; ++scene) {
    want.push_back("base");
    want.push_back("black");
  }
  want.push_back("base");
  EXPECT_EQ(Without(r.runs, "between"), want);
  EXPECT_FALSE(r.timer1);
  EXPECT_TRUE(r.timer2);
  EXPECT_FALSE(r.musicOn);
  // Without a song the last scene does not wait: the fixed steps take about 102 s.
  EXPECT_GT(r.endMs - r.startMs, 100000);
  EXPECT_LT(r.endMs - r.startMs, 103000);
}

TEST(Ending, TheLastCreditsSceneWaitsForThePlayingSongToEnd) {
  platform::MidiInfo song;
  ASSERT_TRUE(platform::ReadMidiInfo((BuiltGameDir() / "midi/vorn10.mid").string(), song));
  const long long length = static_cast<long long>(song.LengthSeconds() * 1000);
  ASSERT_GT(length, 110000) << "the ending song outlasts the fixed steps";
  const EndingRun r = RunEnding(10, length + 6000);
  // "The End." stays until the song is over; the fade-out and the tally follow.
  EXPECT_GE(r.endMs - r.startMs, length);
  EXPECT_LT(r.endMs - r.startMs, length + 6000);
  EXPECT_TRUE(r.timer2);
}

TEST(Ending, ASongThatHasAlreadyEndedDoesNotHoldTheLastScene) {
  // Song 8 is 16 s long: over long before the credits.
  const EndingRun r = RunEnding(8, 130000);
  EXPECT_LT(r.endMs - r.startMs, 103000);
}

TEST(GameOver, RedFadeThenThePatternInItsColoursThenTheTitle) {
  Playing p([](const Probes& pr) { return pr.Every(12, 6000, 12) + KeyPressesFrom(6000, 9000); });
  auto& f = p.f();
  f.Life = 0;
  std::vector<std::string> looks;
  std::vector<long long> redTimes;
  bool entry255Kept = true;
  const auto before255 = p.g->plat->DisplayPalette()[255];
  p.probes.probe = [&](long long ms) {
    looks.push_back(PaletteLook(*p.g));
    if (looks.back() == "red") redTimes.push_back(ms);
    entry255Kept &= p.g->plat->DisplayPalette()[255] == before255;
  };
  const long long start = p.ms();
  f.PlayGameOver();
  EXPECT_EQ(Without(Runs(looks), "between"), (std::vector<std::string>{"base", "red", "base"}));
  ASSERT_FALSE(redTimes.empty());
  // Sixteen steps of 96 ms reach pure red; it holds for the last step only.
  EXPECT_NEAR(redTimes.front() - start, 16 * 96, 13);
  EXPECT_NEAR(redTimes.back() - start, 17 * 96, 13);
  EXPECT_TRUE(entry255Kept);
  EXPECT_EQ(f.MusicOn, 0);
  EXPECT_FALSE(f.Timer1.Enabled);
  EXPECT_TRUE(f.Timer2.Enabled);
  EXPECT_EQ(f.Life, 0) << "game over leaves the state to the title";
  // The picture is wiped in over 36 lines of 48 ms before the wait for a key.
  EXPECT_GE(p.ms() - start, 17 * 96 + 36 * 48);
}

TEST(GameOver, ThePictureAndPatternAreOnScreen) {
  Playing p([](const Probes& pr) { return pr.At(4000) + KeyPressesFrom(4100, 6000); });
  auto& f = p.f();
  int pictureDiffers = -1, patternSame = -1;
  p.probes.probe = [&](long long) {
    const auto& s = *f.PrimarySurface;
    const auto& sheet = *f.CharSurface(1);
    // The pattern tile repeats every 80 x 40 pixels away from the picture.
    int same = 0;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 80; ++x) same += s.At(x, y) == sheet.At(240 + x, 280 + y);
    }
    patternSame = same;
    // The picture's opaque pixels land at (162, 222).
    int differs = 0;
    for (int y = 0; y < 36; ++y) {
      for (int x = 0; x < 320; ++x) {
        const uint8_t src = sheet.At(x, 320 + y);
        if (src != 2) differs += s.At(162 + x, 222 + y) != src;
      }
    }
    pictureDiffers = differs;
  };
  f.PlayGameOver();
  EXPECT_EQ(patternSame, 80 * 40);
  EXPECT_EQ(pictureDiffers, 0);
}

}  // namespace
