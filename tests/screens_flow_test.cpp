// The screens in the running game: title to play and back, the pause screen from play, a
// save made at a warp loaded from the next title, game over and the ending back to the title.
#include <gtest/gtest.h>

#include <memory>

#include "screens_support.h"

namespace {

using namespace screens_test;

std::string At(long long ms, const std::string& action) {
  return std::to_string(ms) + " " + action + "\n";
}

std::string Presses(const std::string& key, long long from, long long to, long long step) {
  std::string s;
  for (long long ms = from; ms < to; ms += step) s += At(ms, "press " + key);
  return s;
}

// The whole game (start-up and both timers) on a game folder, until the script quits.
struct Game {
  Game(const std::function<std::string(const Probes&)>& script,
       const std::function<void(const fs::path&)>& prepare) {
    CopyGameData(dir.path());
    prepare(dir.path());
    g = std::make_unique<HeadlessGame>(dir.path(), InTimeOrder(script(probes)));
    probes.Install(*g);
  }
  void Run() { EXPECT_THROW(g->form->Run(), platform::ExitRequest); }
  quelmire::Form1& f() { return *g->form; }
  TempDir dir;
  Probes probes;
  std::unique_ptr<HeadlessGame> g;
};

struct Seen {
  long long ms;
  bool timer1, timer2;
  int x, y, maze, room, life, cursor;
  bool pauseShown;
};

// Whether the pause screen is on the visible surface: orb 7's frame at (96, 128).
bool PauseShown(quelmire::Form1& f) {
  const auto& s = *f.PrimarySurface;
  const auto& sheet = *f.CharSurface(1);
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 64; ++x) {
      const uint8_t src = sheet.At(198 + x, 128 + y);
      if (src != 2 && s.At(96 + x, 128 + y) != src) return false;
    }
  }
  return true;
}

void Record(Game& game, std::vector<Seen>& seen) {
  game.probes.probe = [&game, &seen](long long ms) {
    auto& f = game.f();
    seen.push_back({ms, f.Timer1.Enabled, f.Timer2.Enabled, f.Obj(0).X, f.Obj(0).Y, f.Obj(0).Kind,
                    f.RoomNo, f.Life, TitleCursor(*game.g), PauseShown(f)});
  };
}

TEST(ScreensFlow, NewGameIntroPlayPauseAndBackToTheTitleWithTheBundledWorld) {
  Game game(
      [](const Probes& p) {
        return At(2000, "press Z") + Presses("Z", 4000, 6200, 700) + p.At(12500) +  // play
               At(12600, "down Escape") + p.At(13000) + At(13200, "up Escape") +    // paused
               p.At(13500) + At(13600, "press Escape") + p.At(14000) +              // closed
               At(14100, "press Escape") + p.At(14500) + At(14600, "press T") +     // title
               p.At(17000) + At(17100, "quit");
      },
      [](const fs::path&) {});
  std::vector<Seen> seen;
  Record(game, seen);
  game.Run();
  ASSERT_EQ(seen.size(), 6u);
  // In play at the start of room 1.
  EXPECT_TRUE(seen[0].timer1);
  EXPECT_FALSE(seen[0].timer2);
  EXPECT_EQ(seen[0].maze, 5);
  EXPECT_EQ(seen[0].room, 1);
  EXPECT_EQ(seen[0].life, 3);
  EXPECT_FALSE(seen[0].pauseShown);
  // Escape opens the pause screen (it is drawn once the opening press is released) and it
  // stays open after the release.
  EXPECT_TRUE(seen[1].timer1);
  EXPECT_TRUE(seen[2].pauseShown);
  // A new press closes it; play goes on.
  EXPECT_FALSE(seen[3].pauseShown);
  EXPECT_TRUE(seen[3].timer1);
  // T on the pause screen: back to the title, cursor on NEW GAME (no saves).
  EXPECT_TRUE(seen[4].pauseShown);
  EXPECT_FALSE(seen[5].timer1);
  EXPECT_TRUE(seen[5].timer2);
  EXPECT_EQ(seen[5].cursor, 0);
}

// A world where the start cell warps to (40, 38) of the same room, with the save prompt.
void WarpWorld(const fs::path& d) {
  WriteSmallWorld(d, "ev,33,38,\"jp005,040,038,001\"\r\n@\r\n");
}

TEST(ScreensFlow, ASaveMadeAtAWarpIsOfferedByTheNextTitleAndLoadsToTheSamePlace) {
  Game game(
      [](const Probes& p) {
        return At(2000, "press Z") + Presses("Z", 4000, 6200, 700) +  // new game
               At(12500, "press Up") +                                // the warp
               At(15000, "press Down") + At(15300, "press Z") +       // save prompt: slot 1
               p.At(17000) + At(17100, "press T") +                   // back to the title
               p.At(20000) + At(20100, "press Z") + p.At(21000) + At(21100, "quit");
      },
      WarpWorld);
  std::vector<Seen> seen;
  Record(game, seen);
  game.Run();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(fs::exists(game.dir / "savedata1.sav"));
  EXPECT_EQ(seen[0].x, 40);
  EXPECT_EQ(seen[1].cursor, 1) << "the new save is LOAD 1, white, under the cursor";
  EXPECT_TRUE(seen[1].timer2);
  EXPECT_TRUE(seen[2].timer1);
  EXPECT_EQ(seen[2].x, 40);
  EXPECT_EQ(seen[2].y, 38);
  EXPECT_EQ(seen[2].maze, 5);
  EXPECT_EQ(seen[2].room, 1);
}

TEST(ScreensFlow, LosingTheLastLifePlaysGameOverThenTheTitle) {
  // A save with one life beside a jelly; walk into it.
  Game game(
      [](const Probes& p) {
        return At(2000, "press Z") + At(2200, "down Right") + At(5000, "up Right") + p.At(5100) +
               At(8500, "press Z") + p.At(11000) + At(11100, "quit");
      },
      [](const fs::path& d) {
        WriteSmallWorld(d, "mo,36,38,6,0,11,0,\"\"\r\n@\r\n");
        SaveData s;
        s.life = 1;
        WriteSave(d, 1, s);
      });
  std::vector<Seen> seen;
  Record(game, seen);
  game.Run();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_LT(seen[0].life, 1);
  EXPECT_FALSE(seen[1].timer1);
  EXPECT_TRUE(seen[1].timer2);
  EXPECT_EQ(game.f().SongNo, 1) << "the title's song again";
}

TEST(ScreensFlow, AScriptsFnPlaysTheWholeEndingThenTheTitle) {
  Game game(
      [](const Probes& p) {
        return At(2000, "press Z") + At(2500, "press Up") + p.At(3000) + At(111500, "press Z") +
               p.At(115000) + At(115100, "quit");
      },
      [](const fs::path& d) {
        WriteSmallWorld(d, "ev,33,38,\"fn\"\r\n@\r\n");
        WriteSave(d, 1, SaveData{});
      });
  std::vector<Seen> seen;
  Record(game, seen);
  game.Run();
  ASSERT_EQ(seen.size(), 2u);
  // Mid-ending: the ending runs inside the play tick, no timer switched yet.
  EXPECT_TRUE(seen[0].timer1);
  EXPECT_FALSE(seen[0].timer2);
  EXPECT_FALSE(seen[1].timer1);
  EXPECT_TRUE(seen[1].timer2);
  EXPECT_EQ(game.f().EndingFlag, 0);
  EXPECT_EQ(game.f().RoomNo, -1) << "the ending left the room; the title has not loaded a game";
}

}  // namespace
