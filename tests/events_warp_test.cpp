// Scripts and the room loader, and the warp: init scripts run quietly, and "jp" fades out,
// loads, fades up to the save prompt, saves and fades in again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "events_support.h"

namespace {

using namespace events_test;
using quelmire::False;
using quelmire::True;

// Maze, cell and room of the heroine, and whether play runs.
auto Place(quelmire::Form1& f) {
  return std::tuple(int{f.Obj(0).Kind}, int{f.Obj(0).X}, int{f.Obj(0).Y}, int{f.RoomNo},
                    bool{f.Timer1.Enabled});
}

TEST(EventTriggers, InitScriptsRunQuietlyWhileTheRoomLoads) {
  EventGame g("", "in,\"mc040,038,065se007fg001=01\"\r\nin,\"mc041,038,079\"\r\n@\r\n");
  g.Play();
  auto& f = g.f();
  // The loader set QuietMode again before the second script.
  EXPECT_EQ(std::tuple(f.Map(40, 38), f.Map(41, 38), f.Flags(1), f.QuietMode),
            std::tuple(65, 79, 1, False));
  g.Run("mc042,038,065");  // in play the door sounds
  EXPECT_EQ(SoundSlots(g.State()), (std::vector<int>{7, 1}));
}

TEST(EventWarp, WarpFadesLoadsOffersToSaveAndCarriesOn) {
  // The prompt is up from about 2.45 s: look at it, move to slot 1, save.
  EventGame g(
      "2900 state @DIR@/mid.json\n2950 screenshot @DIR@/warp_prompt.png\n3000 press Down\n3200 "
      "press Z\n",
      "@\r\n", "mo,45,38,11,4,14,0,\r\n@\r\n");
  auto& f = g.f();
  g.Play();
  f.Sleep(static_cast<int>(1000 - g.ms()));
  EXPECT_FALSE(std::filesystem::exists(g.dir / "savedata1.sav"));
  f.Obj(0).OffX = 7;
  f.Obj(0).VX = 3;
  g.Run("jp006,040,038,002fg001=01");
  // 16 + 14 fade steps, the prompt until Z at 3.2 s, 800 ms of "saving", 4 fade steps.
  EXPECT_GE(g.ms(), 3200 + 800 + 4 * 48);
  EXPECT_LT(g.ms(), 3200 + 800 + 4 * 48 + 40);
  // Room 2 with its thing, and the script went on after the warp.
  EXPECT_EQ(Place(f), std::tuple(6, 40, 38, 2, true));
  EXPECT_EQ(std::tuple(f.Obj(0).OffX, f.Obj(0).VX, f.Obj(1).Kind, f.Flags(1)),
            std::tuple(0, 0, 11, 1));
  // While the prompt waits, play is off and the screen is at 13/16 brightness.
  Json mid = ParseJson(ReadFile(g.dir / "mid.json"));
  EXPECT_FALSE(mid["Timer1"].b);
  for (int i = 0; i < 255; ++i) {
    const auto& base = f.BasePalette(i);
    const Json& shown = mid["display_palette"][static_cast<size_t>(i)];
    EXPECT_EQ(std::tuple(shown[0].Int(), shown[2].Int()),
              std::tuple(std::nearbyint(base.r / 16.0 * 13), std::nearbyint(base.b / 16.0 * 13)))
        << i;
  }
  g.KeepShot("warp_prompt.png");
  // The saved game is the new place.
  const std::string save = ReadFile(g.dir / "savedata1.sav");
  EXPECT_EQ(save.substr(0, save.find("\r\n")), " 40  38  6  3  3  2 ");
  for (int i = 0; i < 255; ++i) EXPECT_EQ(f.WorkPalette(i), f.BasePalette(i));
}

// A room whose init script warps: the warp waits until the loader has read the whole file,
// then the player lands in the next room; the one save prompt comes after the last load.
TEST(EventWarp, AWarpInAnInitScriptWaitsForTheRoomLoad) {
  EventGame g("3000 press Left\n", "in,\"fg003+01\"\r\n@\r\n",
              "in,\"fg002+01jp005,050,038,001fg004+01\"\r\nev,40,38,\"fg009=01\"\r\n@\r\n");
  auto& f = g.f();
  g.Play();
  EXPECT_EQ(f.Flags(3), 1);
  g.Run("jp006,040,038,002");
  EXPECT_EQ(Place(f), std::tuple(5, 50, 38, 1, true));
  // The init script ran on after the held-back warp; room 1 was loaded again, after room 2.
  EXPECT_EQ(std::tuple(f.Flags(2), f.Flags(4), f.Flags(3), f.EventMap(40, 38), f.WarpPending),
            std::tuple(1, 1, 2, 0, false));

  // A room loaded by someone else (the title) holds its warp until asked.
  f.RoomNo = 2;
  f.Obj(0).Kind = 6;
  f.LoadMazeMap();
  f.LoadRoomData();
  EXPECT_TRUE(f.WarpPending);
  EXPECT_EQ(f.RoomNo, 2);
  f.RunPendingWarps();
  EXPECT_EQ(Place(f), std::tuple(5, 50, 38, 1, true));
}

TEST(EventWarp, RoomsThatWarpToEachOtherStopAfterAFewHops) {
  EventGame g("3000 press Left\n", "in,\"fg001+01jp006,040,038,002\"\r\n@\r\n",
              "in,\"fg002+01jp005,050,038,001\"\r\n@\r\n");
  auto& f = g.f();
  g.Play();
  g.Run("jp006,040,038,002");
  EXPECT_EQ(f.Flags(1) + f.Flags(2), 1 + 9);  // the first load, then the warp and 8 more
  EXPECT_FALSE(f.WarpPending);
  EXPECT_TRUE(f.Timer1.Enabled);
}

TEST(EventWarp, WarpsThroughTheComposingTickNestEightDeep) {
  // The thing stands on its "&" cell again in every new scene: each scene's tick warps anew.
  EventGame g(PressEvery100(1000, 60000, "Left"),
              "mo,42,38,11,0,0,0,\"\"\r\nev,42,38,\"&jp005,033,038,001\"\r\n@\r\n");
  g.Play();
  auto& f = g.f();
  const uint32_t loads = f.RoomLoadCount;
  testing::internal::CaptureStderr();
  RunTicks(*g.game, 1);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(f.RoomLoadCount - loads, 8u);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("room001.rdt: warp to maze 5 room 1 cell (33, 38) dropped"), std::string::npos)
      << err;
  EXPECT_EQ(f.WarpDepth, 0);
  EXPECT_TRUE(f.Timer1.Enabled);
}

TEST(EventWarp, AWarpTheGameCannotMakeIsIgnoredAndALookDownIsHeldInTheMaze) {
  EventGame g("3000 press Left\n");
  g.Play();
  auto& f = g.f();
  for (const char* bad : {"jp007,040,038,001", "jp005,040,038,999", "jp005,009,038,001",
                          "jp005,248,038,001", "jp005,040,253,001", "jp-01,040,038,001"}) {
    g.Run(std::string(bad) + "fg001+01");
    EXPECT_EQ(Place(f), std::tuple(5, 33, 38, 1, true)) << bad;
  }
  EXPECT_EQ(f.Flags(1), 6);
  // A look down that would reach past the maze there is held in it.
  f.LookRow = 5;
  g.Run("jp005,040,250,001");
  EXPECT_EQ(f.Obj(0).Y, 250);
  EXPECT_EQ(f.LookRow, 2);
}

}  // namespace
