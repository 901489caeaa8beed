// The title: the slot scan, the cursor, a new game and loading a save, on the headless
// platform with the bundled pictures and a small world of the test's own.
#include <gtest/gtest.h>

#include <memory>

#include "screens_support.h"

namespace {

using namespace screens_test;
using quelmire::String;

// The title's opening (two black fades, 1.6 s) is over well before this.
constexpr long long kMenuShown = 2000;

struct Title {
  Title(const std::function<std::string(const Probes&)>& script,
        const std::function<void(const fs::path&)>& prepare = {}) {
    CopyGameData(dir.path());
    WriteSmallWorld(dir.path());
    if (prepare) prepare(dir.path());
    g = std::make_unique<HeadlessGame>(dir.path(), script(probes));
    probes.Install(*g);
    g->form->Form_Load();
  }
  // Runs the title until it hands over to play (true) or the script quits (false).
  bool Run() {
    try {
      g->form->Timer2_Timer();
      return true;
    } catch (const platform::ExitRequest&) {
      return false;
    }
  }
  quelmire::Form1& f() { return *g->form; }
  TempDir dir;
  Probes probes;
  std::unique_ptr<HeadlessGame> g;
};

std::string At(long long ms, const std::string& action) {
  return std::to_string(ms) + " " + action + "\n";
}

// Pixels of white (1) and grey (3) in the label of menu item i on the visible surface.
std::pair<int, int> LabelColours(HeadlessGame& g, int item) {
  const auto& s = *g.form->PrimarySurface;
  const int top = 370 + 20 * item;
  return {CountIndex(s, 500, top, 580, top + 17, 1), CountIndex(s, 500, top, 580, top + 17, 3)};
}

TEST(TitleMenu, TheCursorStartsOnLoad1OnlyWhenSlot1HasASave) {
  struct Case {
    std::vector<int> slots;
    int start;
  };
  for (const Case& c : {Case{{}, 0}, Case{{1}, 1}, Case{{2, 3}, 0}, Case{{1, 3}, 1}}) {
    Title t([](const Probes& p) { return p.At(kMenuShown) + At(kMenuShown + 10, "quit"); },
            [&](const fs::path& d) {
              for (int n : c.slots) WriteSave(d, n, SaveData{});
            });
    std::vector<int> seen;
    t.probes.probe = [&](long long) { seen.push_back(TitleCursor(*t.g)); };
    EXPECT_FALSE(t.Run());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], c.start) << "saves in " << c.slots.size() << " slots";
  }
}

TEST(TitleMenu, OneStepPerPressWrappingAndGreySlotsCannotBeConfirmed) {
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
           At(3900, "quit");
  });
  std::vector<int> seen;
  t.probes.probe = [&](long long) { seen.push_back(TitleCursor(*t.g)); };
  EXPECT_FALSE(t.Run()) << "confirming a grey slot must not leave the menu";
  EXPECT_EQ(seen, (std::vector<int>{0, 4, 0, 1, 1, 1, 2, 2}));
}

TEST(TitleMenu, OnlyExactSlotNamesCount) {
  Title t([](const Probes& p) { return p.At(kMenuShown) + At(kMenuShown + 10, "quit"); },
          [](const fs::path& d) {
            WriteFile(d / "SAVEDATA1.SAV", SaveText(SaveData{}));
            WriteFile(d / "Savedata2.sav", SaveText(SaveData{}));
            WriteFile(d / "savedata02.sav", SaveText(SaveData{}));
            WriteFile(d / "savedata2.sav.old", SaveText(SaveData{}));
            WriteSave(d, 3, SaveData{});
          });
  std::vector<std::pair<int, int>> labels;
  int cursor = -1;
  t.probes.probe = [&](long long) {
    cursor = TitleCursor(*t.g);
    for (int i = 0; i <= 4; ++i) labels.push_back(LabelColours(*t.g, i));
  };
  EXPECT_FALSE(t.Run());
  ASSERT_EQ(labels.size(), 5u);
  EXPECT_EQ(cursor, 0);
  for (int i : {0, 3, 4}) {
    EXPECT_GT(labels[i].first, 20) << "item " << i << " is white";
    EXPECT_EQ(labels[i].second, 0) << "item " << i << " is white";
  }
  for (int i : {1, 2}) {
    EXPECT_EQ(labels[i].first, 0) << "item " << i << " is grey";
    EXPECT_GT(labels[i].second, 20) << "item " << i << " is grey";
  }
}

TEST(TitleNewGame, IntroInMaze4ThenAFreshGameClearingItems0To34Only) {
  Title t([](const Probes& p) {
    std::string s = At(2000, "press Z") + p.At(3700);
    for (long long ms = 4000; ms < 60000; ms += 400) s += At(ms, "press Z");
    return s;
  });
  auto& f = t.f();
  // What an earlier game left behind.
  f.EndingFlag = 1;
  for (int i = 0; i <= 127; ++i) f.ItemCount(i) = 7;
  f.Flags.Fill(9);
  for (int i = 0; i <= 512; ++i) f.TakenList(i) = U" 1 2 3";
  f.Life = 1;
  f.LifeMax = 9;
  f.LookPx = 5;
  f.LookRow = 2;
  f.Obj(0).OffX = 4;
  f.Obj(0).VY = 8;
  f.Obj(0).Frame = 3;
  f.Obj(0).Cmd = U"x";
  f.SongNo = 4;

  struct Intro {
    int x, y, maze, room;
    std::string look;
  } intro{};
  t.probes.probe = [&](long long) {
    intro = {f.Obj(0).X, f.Obj(0).Y, f.Obj(0).Kind, f.RoomNo, PaletteLook(*t.g)};
  };
  ASSERT_TRUE(t.Run());

  EXPECT_EQ(intro.x, 135);
  EXPECT_EQ(intro.y, 249);
  EXPECT_EQ(intro.maze, 4);
  EXPECT_EQ(intro.room, -1);
  EXPECT_EQ(intro.look, "base");

  EXPECT_EQ(f.EndingFlag, 0);
  EXPECT_EQ(f.SongNo, 1);
  EXPECT_EQ(f.Obj(0).X, 33);
  EXPECT_EQ(f.Obj(0).Y, 38);
  EXPECT_EQ(f.Obj(0).Kind, 5);
  EXPECT_EQ(f.RoomNo, 1);
  EXPECT_EQ(f.Life, 3);
  EXPECT_EQ(f.LifeMax, 3);
  EXPECT_EQ(f.LookPx, 0);
  EXPECT_EQ(f.LookRow, 0);
  EXPECT_EQ(f.Obj(0).OffX, 0);
  EXPECT_EQ(f.Obj(0).VY, 0);
  EXPECT_EQ(f.Obj(0).Frame, 0);
  EXPECT_TRUE(f.Obj(0).Cmd.empty());
  for (int i = 0; i <= 34; ++i) EXPECT_EQ(f.ItemCount(i), 0) << "item " << i;
  for (int i = 35; i <= 39; ++i) EXPECT_EQ(f.ItemCount(i), 7) << "item " << i;
  for (int i = 0; i <= 511; ++i) ASSERT_EQ(f.Flags(i), 0) << "flag " << i;
  for (int i = 0; i <= 511; ++i) ASSERT_TRUE(f.TakenList(i).empty()) << "taken " << i;
  EXPECT_FALSE(f.Timer2.Enabled);
  EXPECT_TRUE(f.Timer1.Enabled);
}

SaveData Distinct() {
  SaveData s;
  s.x = 40;
  s.y = 50;
  s.maze = 3;
  s.lifeMax = 5;
  s.life = 4;
  s.room = 1;
  s.items[0] = 12;
  s.items[7] = 1;
  s.items[39] = 2;
  s.flags[0] = 1;
  s.flags[511] = 255;
  s.taken[0] = " 1 2 3";
  s.taken[511] = " 40 50 3";
  return s;
}

void ExpectLoaded(quelmire::Form1& f, const SaveData& s) {
  EXPECT_EQ(f.Obj(0).X, s.x);
  EXPECT_EQ(f.Obj(0).Y, s.y);
  EXPECT_EQ(f.Obj(0).Kind, s.maze);
  EXPECT_EQ(f.LifeMax, s.lifeMax);
  EXPECT_EQ(f.Life, s.life);
  EXPECT_EQ(f.RoomNo, s.room);
  for (int i = 0; i <= 39; ++i) EXPECT_EQ(f.ItemCount(i), s.items[static_cast<size_t>(i)]) << i;
  for (int i = 0; i <= 511; ++i) ASSERT_EQ(f.Flags(i), s.flags[static_cast<size_t>(i)]) << i;
  for (int i = 0; i <= 511; ++i) {
    ASSERT_EQ(quelmire::ToUtf8(f.TakenList(i)), s.taken[static_cast<size_t>(i)]) << i;
  }
  EXPECT_FALSE(f.Timer2.Enabled);
  EXPECT_TRUE(f.Timer1.Enabled);
}

TEST(TitleLoad, ASaveReplacesPlaceLifeItems0To39FlagsAndTakenList) {
  const SaveData s = Distinct();
  Title t(
      [](const Probes&) {
        return At(2000, "press Down") + At(2100, "press Down") + At(2200, "press Z");
      },
      [&](const fs::path& d) { WriteSave(d, 2, s); });
  auto& f = t.f();
  for (int i = 0; i <= 127; ++i) f.ItemCount(i) = 7;
  f.Flags.Fill(9);
  f.Obj(0).OffY = 3;
  ASSERT_TRUE(t.Run());
  ExpectLoaded(f, s);
  EXPECT_EQ(f.ItemCount(40), 7) << "items 40 and up are not in a save";
  EXPECT_EQ(f.Obj(0).OffY, 0);
}

TEST(TitleLoad, ABadSaveIsReportedOnTheTitleAndTheOtherSlotsStillLoad) {
  const SaveData good = Distinct();
  Title t(
      [](const Probes& p) {
        return At(2000, "press Z") + p.At(2100) +                    // slot 1: cut short
               At(2200, "press Down") + At(2300, "press Down") +     // to slot 3
               At(2400, "down Z") + p.At(2700) + At(2800, "up Z") +  // slot 3: life 0
               At(2900, "press Up") + At(3000, "press Z");           // slot 2 loads
      },
      [&](const fs::path& d) {
        std::string text = SaveText(good);
        WriteFile(d / "savedata1.sav", text.substr(0, text.size() / 2));
        WriteSave(d, 2, good);
        SaveData lifeless = good;
        lifeless.life = 0;
        lifeless.items[39] = 99;
        WriteSave(d, 3, lifeless);
      });
  auto& f = t.f();
  f.Life = 2;
  f.ItemCount(39) = 1;
  struct Seen {
    int cursor, reportPixels, life, item39;
  };
  std::vector<Seen> seen;
  t.probes.probe = [&](long long) {
    seen.push_back({TitleCursor(*t.g), CountIndex(*f.PrimarySurface, 0, 452, 490, 476, 19), f.Life,
                    f.ItemCount(39)});
  };
  ASSERT_TRUE(t.Run());
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].cursor, 1);
  EXPECT_GT(seen[0].reportPixels, 50) << "the report line is shown";
  EXPECT_EQ(seen[1].cursor, 3);
  EXPECT_GT(seen[1].reportPixels, 50);
  for (const Seen& s : seen) {
    EXPECT_EQ(s.life, 2) << "a failed load changes nothing";
    EXPECT_EQ(s.item39, 1) << "a failed load changes nothing";
  }
  ExpectLoaded(f, good);
}

TEST(TitleLoad, ALongReportIsCutShortOfTheMenu) {
  Title t(
      [](const Probes& p) {
        return p.At(2000) + At(2100, "press Z") + p.At(2500) + At(2600, "quit");
      },
      [](const fs::path& d) {
        std::string text = SaveText(SaveData{});
        // Text after the first taken-item key: one of the longest reports.
        const size_t at = text.find("\"\"");
        text.replace(at, 2, "\"\"abc");
        WriteFile(d / "savedata1.sav", text);
      });
  std::vector<std::vector<uint8_t>> right;  // the picture right of the report area
  t.probes.probe = [&](long long) {
    const auto& s = *t.f().PrimarySurface;
    std::vector<uint8_t> px;
    for (int y = 452; y < 480; ++y) {
      for (int x = 490; x < 640; ++x) px.push_back(s.At(x, y));
    }
    right.push_back(px);
  };
  EXPECT_FALSE(t.Run());
  ASSERT_EQ(right.size(), 2u);
  EXPECT_GT(CountIndex(*t.f().PrimarySurface, 0, 452, 490, 476, 19), 50);
  EXPECT_EQ(right[0], right[1]);
}

TEST(TitleMenu, QuitEndsTheProgramWithStatus0) {
  TempDir tmp;
  // The dump after the choice must never be written: the run ends at QUIT, not at --max-ms.
  WriteFile(tmp / "in.txt",
            "2000 press Up\n2100 press Z\n2500 state " + (tmp / "late.json").string() + "\n");
  RunResult r =
      RunQuelmire({"--headless", "--input", (tmp / "in.txt").string(), "--max-ms", "60000"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  EXPECT_FALSE(fs::exists(tmp / "late.json"));
}

}  // namespace
