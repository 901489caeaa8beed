// The title: the slot scan, the cursor, a new game and loading a save, entered from play in a
// scene of the test's own as after T on the pause screen. And the pause screen: it opens on a
// held Escape without closing again, closes on a new press once Escape is released, goes back
// to the title on T, ends the program on Q, and shows the held items.
#include <gtest/gtest.h>

#include <tuple>

#include "test_support.h"

namespace {

using namespace testing_support;

// Pixels of palette index `index` inside a rectangle of a surface.
int CountIndex(const platform::Surface& s, int left, int top, int right, int bottom, int index) {
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) n += s.At(x, y) == index;
  return n;
}

// The menu item the title's cursor box surrounds on the visible surface, -1 for none, -2 for
// two (the old one was not erased).
int TitleCursor(Scene& s) {
  int found = -1;
  for (int c = 0; c <= 4; ++c) {
    const int top = 368 + 20 * c,
              box = CountIndex(*s.f().PrimarySurface, 498, top, 499, top + 20, 1) +
                    CountIndex(*s.f().PrimarySurface, 581, top, 582, top + 20, 1);
    if (box == 40) found = found == -1 ? c : -2;
  }
  return found;
}

// Runs the title until it hands over to play (-1) or the program ends (its exit status).
const auto RunTitle = [](Scene& s) { return ExitStatus([&] { s.f().Timer2_Timer(); }); };

TEST(TitleMenu, TheCursorStartsOnLoad1OnlyWhenExactlySavedata1Exists) {
  // The item under the cursor, then the labels of NEW GAME, LOAD 1..3 and QUIT: W white, g grey.
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "0 WgggW"},
      {{"savedata1.sav"}, "1 WWggW"},
      {{"savedata2.sav", "savedata3.sav"}, "0 WgWWW"},
      {{"savedata1.sav", "savedata3.sav"}, "1 WWgWW"},
      {{"SAVEDATA1.SAV", "Savedata2.sav", "savedata02.sav", "savedata2.sav.old", "savedata3.sav"},
       "0 WggWW"},
  };
  for (const auto& [files, want] : cases) {
    Scene s;
    // The title's opening (two black fades, 1.6 s) is over well before 2 s.
    s.Play(s.Probe(2000) + Line(2010, "quit"));
    for (const auto& name : files) WriteFile(s.dir / name, "");
    std::string seen;
    s.probe = [&](long long) {
      const auto& p = *s.f().PrimarySurface;
      seen = std::to_string(TitleCursor(s)) + " ";
      for (int top = 370; top <= 450; top += 20) {
        const int white = CountIndex(p, 500, top, 580, top + 17, 1),
                  grey = CountIndex(p, 500, top, 580, top + 17, 3);
        seen += white > 20 && grey == 0 ? 'W' : grey > 20 && white == 0 ? 'g' : '?';
      }
    };
    EXPECT_EQ(std::pair(RunTitle(s), seen), std::pair(0, want));
  }
}

TEST(TitleMenu, OneStepPerPressWrappingGreySlotsCannotBeConfirmedAndQuitEnds) {
  Scene s;                                           // no saves: the cursor starts on NEW GAME
  s.Play(s.Probe(2000) +                             // 0
         Line(2100, "press Up") + s.Probe(2200) +    // wraps to QUIT
         Line(2300, "press Down") + s.Probe(2400) +  // wraps to NEW GAME
         Line(2500, "down Down") + s.Probe(2700) + s.Probe(2900) +  // held: one step
         Line(3000, "up Down") + Line(3100, "down Up") + Line(3100, "down Down") +
         s.Probe(3200) +  // both: no move
         Line(3300, "up Up") + Line(3300, "up Down") + Line(3400, "press Down") +
         s.Probe(3500) +  // the next press moves
         Line(3600, "press Z") + Line(3600, "press Enter") + Line(3600, "press Space") +
         s.Probe(3800) +  // grey LOAD 2: nothing
         Line(3900, "press Up") + Line(4000, "press Up") + Line(4100, "press Up") +
         Line(4200, "press Z") + s.Probe(4500));  // QUIT ends the program at once
  std::vector<int> seen;
  s.probe = [&](long long) { seen.push_back(TitleCursor(s)); };
  EXPECT_EQ(std::tuple(RunTitle(s), seen), std::tuple(0, std::vector<int>{0, 4, 0, 1, 1, 1, 2, 2}));
}

// Where the player is, the life, and the state of one earlier move.
auto PlayerState(quelmire::Form1& f) {
  const auto& p = f.Obj(0);
  return std::tuple(p.X, p.Y, p.Kind, f.RoomNo, f.Life, f.LifeMax, p.OffX, p.OffY, p.VY, p.Frame,
                    p.Cmd.empty(), f.LookPx, f.LookRow, f.Timer1.Enabled, f.Timer2.Enabled);
}

// What an earlier game left behind.
void LeaveAnEarlierGame(quelmire::Form1& f) {
  std::tie(f.Obj(0).X, f.Obj(0).Y, f.Obj(0).Kind, f.RoomNo, f.EndingFlag) =
      std::tuple(9, 9, 6, 2, 1);
  std::tie(f.Timer1.Enabled, f.Timer2.Enabled) = std::tuple(false, true);
  for (int i = 0; i <= 127; ++i) f.ItemCount(i) = 7;
  f.Flags.Fill(9);
  for (int i = 0; i <= 512; ++i) f.TakenList(i) = U" 1 2 3";
  std::tie(f.Life, f.LifeMax, f.LookPx, f.LookRow, f.SongNo) = std::tuple(1, 9, 5, 2, 4);
  std::tie(f.Obj(0).OffX, f.Obj(0).OffY, f.Obj(0).VY, f.Obj(0).Frame) = std::tuple(4, 3, 8, 3);
  f.Obj(0).Cmd = U"x";
}

TEST(TitleNewGame, IntroInMaze4ThenAFreshGameClearingItems0To34Only) {
  Scene s;
  s.Play(Line(2000, "press Z") + s.Probe(3700) + Presses(4000, 59600, 400));
  auto& f = s.f();
  LeaveAnEarlierGame(f);
  std::tuple<int, int, int, int, std::string> intro;
  s.probe = [&](long long) {
    intro = {f.Obj(0).X, f.Obj(0).Y, f.Obj(0).Kind, f.RoomNo, s.PaletteLook()};
  };
  ASSERT_EQ(RunTitle(s), -1);
  EXPECT_EQ(std::tuple(intro, f.EndingFlag, f.SongNo),
            std::tuple(std::tuple(135, 249, 4, -1, "base"), 0, 1));
  EXPECT_EQ(PlayerState(f), std::tuple(33, 38, 5, 1, 3, 3, 0, 0, 0, 0, true, 0, 0, true, false));
  for (int i = 0; i <= 39; ++i) EXPECT_EQ(f.ItemCount(i), i <= 34 ? 0 : 7) << "item " << i;
  for (int i = 0; i <= 511; ++i) ASSERT_TRUE(f.Flags(i) == 0 && f.TakenList(i).empty()) << i;
}

TEST(TitleLoad, BadSavesAreReportedOnTheTitleAndAGoodOneReplacesTheGame) {
  Scene s;
  s.Play(s.Probe(2000) + Line(2100, "press Z") + s.Probe(2200) +      // slot 1: a long report
         Line(2300, "press Down") + Line(2400, "press Down") +        // to slot 3
         Line(2500, "down Z") + s.Probe(2800) + Line(2900, "up Z") +  // slot 3: life 0
         Line(3000, "press Up") + Line(3100, "press Z"));             // slot 2 loads
  auto& f = s.f();
  std::tie(f.Obj(0).X, f.Obj(0).Y, f.Obj(0).Kind, f.LifeMax, f.Life) = std::tuple(40, 38, 5, 5, 4);
  std::tie(f.ItemCount(0), f.ItemCount(7), f.ItemCount(39), f.Flags(0), f.Flags(511)) =
      std::tuple(12, 1, 2, 1, 255);
  std::tie(f.TakenList(0), f.TakenList(511)) = std::tuple(U" 1 2 3", U" 40 50 3");
  ASSERT_TRUE(f.WriteSaveFile(2));
  const std::string good = f.SaveFileText();
  f.Life = 0;
  ASSERT_TRUE(f.WriteSaveFile(3));
  // Text after the first empty taken-item key: one of the longest reports.
  std::string bad = good;
  WriteFile(s.dir / "savedata1.sav", bad.replace(bad.find("\"\""), 2, "\"\"abc"));
  LeaveAnEarlierGame(f);
  std::vector<int> cursors, reportPixels;
  std::vector<std::vector<uint8_t>> right;  // the picture right of the report area
  s.probe = [&](long long) {
    const auto& p = *f.PrimarySurface;
    cursors.push_back(TitleCursor(s));
    reportPixels.push_back(CountIndex(p, 0, 452, 490, 476, 19));
    right.emplace_back();
    for (const uint8_t* row = p.Pixels() + 452 * 640; row < p.Pixels() + 480 * 640; row += 640)
      right.back().insert(right.back().end(), row + 490, row + 640);
    EXPECT_EQ(f.ItemCount(39), 7) << "a failed load changes nothing";
  };
  ASSERT_EQ(std::tuple(RunTitle(s), cursors), std::tuple(-1, std::vector<int>{1, 1, 3}));
  // The report line is shown, cut short of the menu.
  EXPECT_TRUE(reportPixels[0] == 0 && reportPixels[1] > 50 && reportPixels[2] > 50);
  EXPECT_TRUE(right[0] == right[1] && right[0] == right[2]);
  // Everything the file holds, and the motion of the earlier game cleared; item 40 untouched.
  EXPECT_EQ(PlayerState(f), std::tuple(40, 38, 5, 1, 4, 5, 0, 0, 0, 0, true, 0, 0, true, false));
  EXPECT_TRUE(f.SaveFileText() == good && f.ItemCount(40) == 7 && f.EndingFlag == 0);
}

TEST(PauseScreen, ItClosesOnANewEscapeOnlyOnceThatIsReleasedTGoesToTheTitleAndQEnds) {
  // Escape is down when the screen opens (the press that opened it) and stays down 1 s; a
  // closing press held 1 s holds the screen until it is up again. T switches the timers for
  // the title after the tick; Q quits (status 0) through QuitGame, which stops both.
  const std::tuple<std::string, long long, long long, int, bool, bool> cases[] = {
      {"0 down Escape\n1000 up Escape\n2000 press Escape\n", 2000, 2200, -1, true, false},
      {"500 down Escape\n1500 up Escape\n", 1500, 1700, -1, true, false},
      {"500 press T\n", 500, 600, -1, false, true},
      {"500 press Q\n", 500, 600, 0, false, false}};
  for (const auto& [script, minMs, maxMs, status, timer1, timer2] : cases) {
    Scene s;
    s.Play(script);
    auto& f = s.f();
    const long long frames = f.FrameCount;
    const int quit = ExitStatus([&] { f.ShowPauseMenu(); });
    // One pass of the screen is a 48 ms sleep and a yield: the animation counter went round.
    EXPECT_EQ(std::tuple(quit, s.ms() >= minMs && s.ms() < maxMs, f.FrameCount != frames,
                         f.Timer1.Enabled, f.Timer2.Enabled),
              std::tuple(status, true, true, timer1, timer2))
        << s.ms() << " ms after " << script;
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
