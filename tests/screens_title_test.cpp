// The title: the slot scan, the cursor, a new game and loading a save, on the headless
// platform with the bundled pictures and a small world of the test's own.
#include <gtest/gtest.h>

#include <tuple>

#include "screens_support.h"

namespace {

using namespace screens_test;

// The title is entered from play in the small world, as after T on the pause screen.
using Title = SmallWorldPlay;

// Runs the title until it hands over to play (-1) or the program ends (its exit status).
int RunTitle(Title& t) {
  try {
    t.f().Timer2_Timer();
    return -1;
  } catch (const platform::ExitRequest& e) {
    return e.status;
  }
}

std::string At(long long ms, const std::string& action) {
  return std::to_string(ms) + " " + action + "\n";
}

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
    // The title's opening (two black fades, 1.6 s) is over well before 2 s.
    Title t([](const Probes& p) { return p.At(2000) + At(2010, "quit"); });
    for (const auto& name : files) WriteFile(t.dir / name, SaveText(SaveData{}));
    std::string seen;
    t.probes.probe = [&](long long) {
      const auto& s = *t.f().PrimarySurface;
      seen = std::to_string(TitleCursor(*t.g)) + " ";
      for (int top = 370; top <= 450; top += 20) {
        const int white = CountIndex(s, 500, top, 580, top + 17, 1);
        const int grey = CountIndex(s, 500, top, 580, top + 17, 3);
        seen += white > 20 && grey == 0 ? 'W' : grey > 20 && white == 0 ? 'g' : '?';
      }
    };
    EXPECT_EQ(RunTitle(t), 0);
    EXPECT_EQ(seen, want);
  }
}

TEST(TitleMenu, OneStepPerPressWrappingGreySlotsCannotBeConfirmedAndQuitEnds) {
  // No saves: the cursor starts on NEW GAME.
  Title t([](const Probes& p) {
    return p.At(2000) +                                       // 0
           At(2100, "press Up") + p.At(2200) +                // wraps to QUIT
           At(2300, "press Down") + p.At(2400) +              // wraps to NEW GAME
           At(2500, "down Down") + p.At(2700) + p.At(2900) +  // held: one step
           At(3000, "up Down") + At(3100, "down Up") + At(3100, "down Down") +
           p.At(3200) +  // both: no move
           At(3300, "up Up") + At(3300, "up Down") + At(3400, "press Down") +
           p.At(3500) +  // the next press moves
           At(3600, "press Z") + At(3600, "press Enter") + At(3600, "press Space") +
           p.At(3800) +  // grey LOAD 2: nothing
           At(3900, "press Up") + At(4000, "press Up") + At(4100, "press Up") +
           At(4200, "press Z") + p.At(4500);  // QUIT ends the program at once
  });
  std::vector<int> seen;
  t.probes.probe = [&](long long) { seen.push_back(TitleCursor(*t.g)); };
  EXPECT_EQ(RunTitle(t), 0);
  EXPECT_EQ(seen, (std::vector<int>{0, 4, 0, 1, 1, 1, 2, 2}));
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
  f.Timer1.Enabled = false;
  f.Timer2.Enabled = true;
  for (int i = 0; i <= 127; ++i) f.ItemCount(i) = 7;
  f.Flags.Fill(9);
  for (int i = 0; i <= 512; ++i) f.TakenList(i) = U" 1 2 3";
  std::tie(f.Life, f.LifeMax, f.LookPx, f.LookRow, f.SongNo) = std::tuple(1, 9, 5, 2, 4);
  std::tie(f.Obj(0).OffX, f.Obj(0).OffY, f.Obj(0).VY, f.Obj(0).Frame) = std::tuple(4, 3, 8, 3);
  f.Obj(0).Cmd = U"x";
}

TEST(TitleNewGame, IntroInMaze4ThenAFreshGameClearingItems0To34Only) {
  Title t([](const Probes& p) {
    std::string s = At(2000, "press Z") + p.At(3700);
    for (long long ms = 4000; ms < 60000; ms += 400) s += At(ms, "press Z");
    return s;
  });
  auto& f = t.f();
  LeaveAnEarlierGame(f);
  std::tuple<int, int, int, int, std::string> intro;
  t.probes.probe = [&](long long) {
    intro = {f.Obj(0).X, f.Obj(0).Y, f.Obj(0).Kind, f.RoomNo, PaletteLook(*t.g)};
  };
  ASSERT_EQ(RunTitle(t), -1);

  EXPECT_EQ(intro, std::tuple(135, 249, 4, -1, "base"));
  EXPECT_EQ(PlayerState(f), std::tuple(33, 38, 5, 1, 3, 3, 0, 0, 0, 0, true, 0, 0, true, false));
  EXPECT_EQ(std::tuple(f.EndingFlag, f.SongNo), std::tuple(0, 1));
  for (int i = 0; i <= 39; ++i) EXPECT_EQ(f.ItemCount(i), i <= 34 ? 0 : 7) << "item " << i;
  for (int i = 0; i <= 511; ++i) ASSERT_TRUE(f.Flags(i) == 0 && f.TakenList(i).empty()) << i;
}

TEST(TitleLoad, BadSavesAreReportedOnTheTitleAndAGoodOneReplacesTheGame) {
  SaveData good;
  std::tie(good.x, good.y, good.maze, good.lifeMax, good.life) = std::tuple(40, 50, 3, 5, 4);
  std::tie(good.items[0], good.items[7], good.items[39], good.flags[0], good.flags[511]) =
      std::tuple(12, 1, 2, 1, 255);
  std::tie(good.taken[0], good.taken[511]) = std::tuple(" 1 2 3", " 40 50 3");
  Title t([](const Probes& p) {
    return p.At(2000) + At(2100, "press Z") + p.At(2200) +       // slot 1: a long report
           At(2300, "press Down") + At(2400, "press Down") +     // to slot 3
           At(2500, "down Z") + p.At(2800) + At(2900, "up Z") +  // slot 3: life 0
           At(3000, "press Up") + At(3100, "press Z");           // slot 2 loads
  });
  // Text after the first taken-item key: one of the longest reports.
  std::string text = SaveText(good);
  WriteFile(t.dir / "savedata1.sav", text.replace(text.find("\"\""), 2, "\"\"abc"));
  WriteSave(t.dir.path(), 2, good);
  good.life = 0;
  WriteSave(t.dir.path(), 3, good);
  good.life = 4;
  auto& f = t.f();
  LeaveAnEarlierGame(f);
  std::vector<int> cursors, reportPixels;
  std::vector<std::vector<uint8_t>> right;  // the picture right of the report area
  t.probes.probe = [&](long long) {
    const auto& s = *f.PrimarySurface;
    cursors.push_back(TitleCursor(*t.g));
    reportPixels.push_back(CountIndex(s, 0, 452, 490, 476, 19));
    right.emplace_back();
    for (const uint8_t* row = s.Pixels() + 452 * 640; row < s.Pixels() + 480 * 640; row += 640)
      right.back().insert(right.back().end(), row + 490, row + 640);
    EXPECT_EQ(f.ItemCount(39), 7) << "a failed load changes nothing";
  };
  ASSERT_EQ(RunTitle(t), -1);
  EXPECT_EQ(cursors, (std::vector<int>{1, 1, 3}));
  EXPECT_EQ(reportPixels[0], 0);
  EXPECT_GT(reportPixels[1], 50) << "the report line is shown";
  EXPECT_GT(reportPixels[2], 50);
  EXPECT_TRUE(right[0] == right[1] && right[0] == right[2]) << "a report is cut short of the menu";

  EXPECT_EQ(PlayerState(f), std::tuple(40, 50, 3, 1, 4, 5, 0, 0, 0, 0, true, 0, 0, true, false));
  for (int i = 0; i <= 40; ++i) {
    EXPECT_EQ(f.ItemCount(i), i == 40 ? 7 : good.items[static_cast<size_t>(i)]) << "item " << i;
  }
  for (int i = 0; i <= 511; ++i) {
    ASSERT_EQ(f.Flags(i), good.flags[static_cast<size_t>(i)]) << i;
    ASSERT_EQ(quelmire::ToUtf8(f.TakenList(i)), good.taken[static_cast<size_t>(i)]) << i;
  }
}

}  // namespace
