// The screens in the running game (start-up and both timers): a new game, a save made at a
// warp, the pause screen from play, back to the title and loading the save. And the pause screen
// alone: it opens on a held Escape without closing again, closes on a new press once Escape is
// released, ends the program on Q, and shows the held items.
#include <gtest/gtest.h>

#include "screens_support.h"

namespace {

using namespace screens_test;

// Whether the pause screen is on the visible surface: orb 7's frame at (96, 128).
bool PauseShown(quelmire::Form1& f) {
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 64; ++x) {
      const uint8_t src = f.CharSurface(1)->At(198 + x, 128 + y);
      if (src != 2 && f.PrimarySurface->At(96 + x, 128 + y) != src) return false;
    }
  }
  return true;
}

// Runs the whole game on the scene, made, until its script quits; at each probe: the timers, the
// heroine's cell, maze and room, her life, the title's cursor and whether the pause screen shows.
using Seen = std::tuple<bool, bool, int, int, int, int, int, int, bool>;
std::vector<Seen> RunGame(Scene& s) {
  std::vector<Seen> seen;
  s.probe = [&](long long) {
    auto& f = s.f();
    seen.emplace_back(f.Timer1.Enabled, f.Timer2.Enabled, f.Obj(0).X, f.Obj(0).Y, f.Obj(0).Kind,
                      f.RoomNo, f.Life, TitleCursor(s), PauseShown(f));
  };
  EXPECT_THROW(s.f().Run(), platform::ExitRequest);
  return seen;
}

TEST(ScreensFlow, NewGameSaveAtAWarpPauseTitleAndLoadingTheSave) {
  Scene s;
  s.Room(1, "ev,33,38,\"jp005,040,038,001\"\r\n@\r\n");  // the start cell warps, with the prompt
  s.Make(Line(2000, "press Z") + Presses(4000, 6200, 700) + s.Probe(12500) +  // in play
         Line(12600, "press Up") + Line(15000, "press Down") +                // the warp
         Line(15300, "press Z") + s.Probe(17000) +                            // saved in slot 1
         Line(17100, "down Escape") + s.Probe(17500) + Line(17700, "up Escape") +
         s.Probe(18000) +  // paused: drawn once the opening press is up, and stays
         Line(18100, "press Escape") + s.Probe(18500) +  // a new press closes it
         Line(18600, "press Escape") + s.Probe(19000) + Line(19100, "press T") + s.Probe(21500) +
         Line(21600, "press Z") + s.Probe(22500) + Line(22600, "quit"));
  const auto seen = RunGame(s);
  // In play at the start, then at the warp's target; paused at probes 3 and 5; the title at
  // probe 6, its cursor on the new save (LOAD 1); then the loaded game.
  std::vector<Seen> want(8, Seen{true, false, 40, 38, 5, 1, 3, -1, false});
  std::get<2>(want[0]) = 33;
  std::get<8>(want[3]) = std::get<8>(want[5]) = true;
  want[6] = {false, true, 40, 38, 5, 1, 3, 1, false};
  EXPECT_EQ(seen, want);
  EXPECT_TRUE(fs::exists(s.dir / "savedata1.sav"));
}

TEST(PauseScreen, ItClosesOnANewEscapeOnlyOnceThatIsReleasedAndQEnds) {
  // Escape is down when the screen opens (the press that opened it) and stays down 1 s; a
  // closing press held 1 s holds the screen until it is up again.
  const std::tuple<std::string, long long, long long> cases[] = {
      {"0 down Escape\n1000 up Escape\n2000 press Escape\n", 2000, 2200},
      {"500 down Escape\n1500 up Escape\n", 1500, 1700},
      {"500 press Q\n", 500, 600}};
  for (const auto& [script, minMs, maxMs] : cases) {
    Scene s;
    s.Play(script);
    auto& f = s.f();
    const long long frames = f.FrameCount;
    const bool quits = ExitStatus([&] { f.ShowPauseMenu(); }) == 0;
    EXPECT_TRUE(s.ms() >= minMs && s.ms() < maxMs) << s.ms() << " ms after " << script;
    // One pass of the screen is a 48 ms sleep and a yield: the animation counter went round.
    EXPECT_NE(f.FrameCount, frames);
    EXPECT_EQ(std::tuple(f.Timer1.Enabled, f.Timer2.Enabled), std::tuple(!quits, false));
  }
}

TEST(PauseScreen, HeldItemsShowTheirPicturesAndNames) {
  // Looked at twice: with nothing held, and with orb 1, key 10, the fairy shoes (34) and 255
  // crystals (a byte: three digits at most).
  Scene s;
  s.Play(s.Probe(300) + s.Probe(600) + "900 press Escape\n");
  auto& f = s.f();
  std::vector<std::vector<uint8_t>> shots;
  s.probe = [&](long long) {
    shots.push_back(s.Screen());
    std::tie(f.ItemCount(1), f.ItemCount(10), f.ItemCount(34), f.ItemCount(0)) =
        std::tuple(1, 1, 1, 255);
  };
  f.ShowPauseMenu();
  ASSERT_EQ(shots.size(), 2u);
  const std::tuple<const char*, int, int, int, int, bool> areas[] = {
      {"orb 1", 32, 174, 64, 206, true},     {"orb 1's name", 15, 208, 80, 224, true},
      {"key 10", 280, 64, 312, 96, true},    {"key 10's name", 316, 79, 380, 95, true},
      {"item 34", 520, 224, 552, 256, true}, {"crystals", 82, 55, 136, 79, true},
      {"orb 2", 192, 254, 224, 286, false}};
  for (const auto& [what, left, top, right, bottom, changes] : areas) {
    int changed = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) changed += shots[0][y * 640 + x] != shots[1][y * 640 + x];
    }
    EXPECT_TRUE(changes ? changed > 20 : changed == 0) << what << ": " << changed;
  }
}

}  // namespace
