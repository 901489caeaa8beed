// The warp: "jp" fades out, loads, fades up to the save prompt, saves and fades in again; warps
// from init scripts wait for the room load, and warps the game cannot make are dropped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "test_support.h"

namespace {

using namespace testing_support;

// Maze, cell and room of the heroine, and whether play runs.
auto Place(quelmire::Form1& f) {
  return std::tuple(int{f.Obj(0).Kind}, int{f.Obj(0).X}, int{f.Obj(0).Y}, int{f.RoomNo},
                    bool{f.Timer1.Enabled});
}

TEST(EventWarp, WarpFadesLoadsOffersToSaveAndCarriesOn) {
  Scene s;
  s.Room(2, "mo,45,38,11,4,14,0,\r\n@\r\n");
  // The prompt is up from about 2.45 s: look at it, move to slot 1, save.
  s.Play(
      "2900 state @DIR@/mid.json\n2950 screenshot @DIR@/warp_prompt.png\n3000 press Down\n"
      "3200 press Z\n");
  auto& f = s.f();
  f.Sleep(static_cast<int>(1000 - s.ms()));
  std::tie(f.Obj(0).OffX, f.Obj(0).VX) = std::tuple(7, 3);
  s.Run("jp006,040,038,002fg001=01");
  // 16 + 14 fade steps, the prompt until Z at 3.2 s, 800 ms of "saving", 4 fade steps.
  EXPECT_TRUE(s.ms() >= 3200 + 800 + 4 * 48 && s.ms() < 3200 + 800 + 4 * 48 + 40) << s.ms();
  // Room 2 with its thing, and the script went on after the warp.
  EXPECT_EQ(Place(f), std::tuple(6, 40, 38, 2, true));
  EXPECT_EQ(std::tuple(f.Obj(0).OffX, f.Obj(0).VX, f.Obj(1).Kind, f.Flags(1)),
            std::tuple(0, 0, 11, 1));
  // While the prompt waits, play is off and the screen is at 13/16 brightness.
  Json mid = ParseJson(ReadFile(s.dir / "mid.json"));
  EXPECT_FALSE(mid["Timer1"].b);
  for (int i = 0; i < 255; ++i) {
    const auto& base = f.BasePalette(i);
    const Json& shown = mid["display_palette"][static_cast<size_t>(i)];
    EXPECT_EQ(std::tuple(shown[0].Int(), shown[2].Int()),
              std::tuple(std::nearbyint(base.r / 16.0 * 13), std::nearbyint(base.b / 16.0 * 13)))
        << i;
    EXPECT_EQ(f.WorkPalette(i), base);
  }
  s.KeepShot("warp_prompt.png");
  // The saved game is the new place.
  const std::string save = ReadFile(s.dir / "savedata1.sav");
  EXPECT_EQ(save.substr(0, save.find("\r\n")), " 40  38  6  3  3  2 ");
}

// A room whose init script warps: the warp waits until the loader has read the whole file,
// then the player lands in the next room; the one save prompt comes after the last load.
TEST(EventWarp, AWarpInAnInitScriptWaitsForTheRoomLoad) {
  Scene s;
  s.Room(1, "in,\"fg003+01\"\r\n@\r\n");
  s.Room(2, "in,\"fg002+01jp005,050,038,001fg004+01\"\r\nev,40,38,\"fg009=01\"\r\n@\r\n");
  s.Play(Presses(3000, 60000, 1000, "Left"));  // Left leaves the save prompt
  auto& f = s.f();
  s.Run("jp006,040,038,002");
  EXPECT_EQ(Place(f), std::tuple(5, 50, 38, 1, true));
  // The init script ran on after the held-back warp; room 1 was loaded again, after room 2.
  EXPECT_EQ(std::tuple(f.Flags(2), f.Flags(4), f.Flags(3), f.EventMap(40, 38), f.WarpPending),
            std::tuple(1, 1, 2, 0, false));

  // A room loaded by someone else (the title) holds its warp until asked.
  std::tie(f.RoomNo, f.Obj(0).Kind) = std::tuple(2, 6);
  f.LoadMazeMap();
  f.LoadRoomData();
  EXPECT_EQ(std::tuple(f.WarpPending, f.RoomNo), std::tuple(true, 2));
  f.RunPendingWarps();
  EXPECT_EQ(Place(f), std::tuple(5, 50, 38, 1, true));

  // Rooms that warp to each other stop after a few hops.
  s.Room(1, "in,\"fg001+01jp006,040,038,002\"\r\n@\r\n");
  s.Room(2, "in,\"fg002+01jp005,050,038,001\"\r\n@\r\n");
  f.Flags(1) = f.Flags(2) = 0;
  s.Run("jp006,040,038,002");
  EXPECT_EQ(f.Flags(1) + f.Flags(2), 1 + 8);  // the warp and 8 more
  EXPECT_EQ(std::tuple(f.WarpPending, f.Timer1.Enabled), std::tuple(false, true));
}

TEST(EventWarp, WarpsThroughTheComposingTickNestEightDeep) {
  // The thing stands on its "&" cell again in every new scene: each scene's tick warps anew.
  Scene s;
  s.Room(1, "mo,42,38,11,0,0,0,\"\"\r\nev,42,38,\"&jp005,033,038,001\"\r\n@\r\n");
  s.Play(Presses(1000, 60000, 100, "Left"));
  auto& f = s.f();
  const uint32_t loads = f.RoomLoadCount;
  testing::internal::CaptureStderr();
  s.Tick();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::tuple(f.RoomLoadCount - loads, std::count(err.begin(), err.end(), '\n'),
                       f.WarpDepth, f.Timer1.Enabled),
            std::tuple(8u, 1, 0, true))
      << err;
  EXPECT_NE(err.find("room001.rdt: warp to maze 5 room 1 cell (33, 38) dropped"), std::string::npos)
      << err;
}

TEST(EventWarp, AWarpTheGameCannotMakeIsIgnoredAndALookDownIsHeldInTheMaze) {
  Scene s;
  s.Play("3000 press Left\n");
  auto& f = s.f();
  for (const char* bad : {"jp007,040,038,001", "jp005,040,038,999", "jp005,009,038,001",
                          "jp005,248,038,001", "jp005,040,253,001", "jp-01,040,038,001"}) {
    s.Run(std::string(bad) + "fg001+01");
    EXPECT_EQ(Place(f), std::tuple(5, 33, 38, 1, true)) << bad;
  }
  EXPECT_EQ(f.Flags(1), 6);
  // A look down that would reach past the maze there is held in it.
  f.LookRow = 5;
  s.Run("jp005,040,250,001");
  EXPECT_EQ(std::tuple(f.Obj(0).Y, f.LookRow), std::tuple(250, 2));
}

}  // namespace
