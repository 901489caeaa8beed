// What touching a thing does to the heroine: harm and knockback, the blast pad, riding a
// lift, picking up items with their messages and taken-list keys, and the "&" events.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "things_support.h"

namespace {

using namespace testing_support;
using quelmire::String;

// The step-8 loop of the tick alone, so the heroine's state right after the touch is seen
// before her own move of the tick changes it.
void StepThings(quelmire::Form1& f) {
  for (int i = 1; i <= 39; ++i) {
    if (f.Obj(i).Kind >= 1) f.ProcessThing(i);
  }
}

// Life, speed, knockback, invulnerability, jump length and air time after a touch.
std::vector<int> Thrown(quelmire::Form1& f) {
  const auto& p = f.Obj(0);
  return {f.Life, p.VX, p.VY, p.Param, p.Delay, f.JumpLen, f.AirTime};
}

TEST(ThingTouch, AnEnemyHurtsAndThrowsTheHeroineAwayFromIt) {
  ThingScene s;
  s.Start("mo,50,50,1,1,0,0,\"\"\nmo,60,50,1,1,0,0,\"\"\n@\n");
  auto& p = s.obj(0);
  s.obj(1).OffX = 10;  // just to her right: 10 < 20
  StepThings(s.f());
  const std::vector<int> thrown = {2, -6, -12, 1, 40, 2, 1};
  EXPECT_EQ(Thrown(s.f()), thrown);
  // Invulnerable now: another touch does nothing.
  s.obj(2).X = 50;
  s.obj(2).OffX = -10;
  StepThings(s.f());
  EXPECT_EQ(s.f().Life, 2);
  EXPECT_EQ(p.VX, -6);
  EXPECT_EQ(s.SoundCount(2), 1);
}

TEST(ThingTouch, TheTouchBoxesOfTheKinds) {
  struct Case {
    int kind, w, h;
  } cases[] = {{1, 20, 20}, {2, 20, 24}, {3, 20, 20}, {4, 20, 32}, {5, 16, 28},
               {6, 20, 20}, {7, 16, 20}, {8, 16, 16}, {10, 16, 16}};
  ThingScene s;
  s.Start("mo,50,50,1,0,0,0,\"\"\n@\n");
  for (const Case& c : cases) {
    for (int axis = 0; axis < 2; ++axis) {
      for (int edge = 0; edge < 2; ++edge) {  // just inside, then on the edge
        auto& t = s.obj(1);
        t = quelmire::ObjRecord{};
        t.X = 50;
        t.Y = 50;
        t.Kind = static_cast<int16_t>(c.kind);
        t.Cmd = U"050050";
        const int d = (axis == 0 ? c.w : c.h) - 1 + edge;
        (axis == 0 ? t.OffX : t.OffY) = static_cast<int16_t>(d);
        s.obj(0).Delay = 0;
        s.f().ProcessThing(1);
        EXPECT_EQ(s.obj(0).Delay != 0, edge == 0)
            << "kind " << c.kind << (axis ? " dy " : " dx ") << d;
      }
    }
  }
}

TEST(ThingTouch, AFollowerPushesWithoutHarmAndInertThingsNeverTouch) {
  ThingScene s;
  s.Start("mo,50,50,8,0,16,0,\"gggggg\"\nmo,49,50,3,0,2,0,\"\"\nmo,50,50,14,4,15,0,\"\"\n@\n");
  s.obj(1).OffX = -8;  // to her left: thrown right
  s.f().ProcessThing(1);
  EXPECT_EQ(std::tuple(s.f().Life, s.obj(0).VX, s.obj(0).Delay), std::tuple(3, 6, 40));
  s.obj(0).Delay = 0;
  s.obj(0).VX = 0;
  s.f().ProcessThing(3);
  EXPECT_EQ(s.obj(0).Delay, 0);
}

TEST(ThingTouch, TheBlastPadThrowsHighWithoutHarmSinksAndIsGone) {
  ThingScene s;
  s.Start("mo,50,50,9,0,19,0,\"\"\n@\n");
  auto& pad = s.obj(1);
  s.f().ProcessThing(1);
  const std::vector<int> thrown = {3, 0, -24, 0, 20, 12, 1};  // straight up from the centre
  EXPECT_EQ(Thrown(s.f()), thrown);
  // It sinks from the next tick on (offset, face, frame), then it is gone.
  EXPECT_EQ(std::tuple(pad.VY, pad.OffY), std::tuple(1, 0));
  const std::tuple<int, int, int> sinking[] = {{1, 0, 19}, {2, 0, 20}, {3, 1, 19},
                                               {4, 1, 20}, {5, 4, 19}, {6, 4, 20}};
  for (const auto& want : sinking) {
    s.f().ProcessThing(1);
    EXPECT_EQ(std::tuple(int{pad.OffY}, int{pad.Face}, int{pad.Frame}), want);
  }
  s.f().ProcessThing(1);
  EXPECT_EQ(std::tuple(pad.Kind, pad.OffY, pad.Frame), std::tuple(0, 0, 19));
  EXPECT_EQ(s.SoundCount(4), 1);
  EXPECT_EQ(s.SoundCount(2), 0);
}

TEST(ThingTouch, TheBlastPadLaunchesHerThroughTheTick) {
  ThingScene s;
  s.Start("mo,50,50,9,0,19,0,\"\"\n@\n", 50, 50, "0 down Space\n");
  s.Ticks(2);
  const int y0 = PixelY(s.obj(0));
  s.Ticks(3);
  EXPECT_EQ(PixelY(s.obj(0)), y0 - 3 * 24);  // 24 pixels a tick while Space is held
  EXPECT_EQ(s.f().Life, 3);
}

TEST(ThingLift, TheHeroineRidesSixPixelsAboveTheLiftAndMovesWithIt) {
  ThingScene s;
  s.maze.Fill(40, 51, 60, 51, 13);  // no floor: the lift holds her
  s.Start("mo,50,50,19,1,14,0,\"^^1^^1>>1>>1\"\n@\n");
  auto& lift = s.obj(1);
  auto& p = s.obj(0);
  for (int k = 0; k < 60; ++k) {
    s.Ticks(1);
    ASSERT_EQ(PixelX(p), PixelX(lift)) << "tick " << k;
    ASSERT_EQ(PixelY(p), PixelY(lift) - 6) << "tick " << k;
    EXPECT_TRUE(p.Frame >= 6 && p.Frame <= 8);
    EXPECT_TRUE(s.f().RidingLift);
  }
  EXPECT_LT(PixelY(lift), 50 * 32 - 32);  // it went up and she with it
  EXPECT_GT(PixelX(lift), 50 * 32);       // and then sideways
  EXPECT_EQ(s.f().Life, 3);
}

TEST(ThingLift, NoRideWhileThrownBackOrJustJumping) {
  ThingScene s;
  s.Start("mo,50,50,19,1,14,0,\"wai\"\n@\n");
  auto& f = s.f();
  auto& p = s.obj(0);
  // Thrown back, then three ticks into a jump: no ride; four ticks in: she lands on it.
  for (auto [param, air, rides] : {std::tuple{1, 0, false}, {0, 3, false}, {0, 4, true}}) {
    p.Param = static_cast<int16_t>(param);
    f.AirTime = air;
    p.VY = -12;
    f.ProcessThing(1);
    EXPECT_EQ(f.RidingLift, rides) << air;
  }
  EXPECT_EQ(std::tuple(f.LiftNX, f.LiftNY, f.AirTime, f.JumpLen), std::tuple(0, -6, 1, 0));
}

TEST(ThingItems, ItemsInOneTickArePickedUpInSlotOrderEachWithItsKeyHeartsRaiseTheCeiling) {
  ThingScene s;
  s.Start("it,50,50,12\nit,50,49,5\nit,50,51,7\nit,50,50,0\nit,50,50,8\nit,50,50,9\n@\n");
  auto& f = s.f();
  f.Life = 2;
  s.Ticks(1);
  EXPECT_EQ(std::tuple(f.LifeMax, f.Life), std::tuple(7, 2));  // hearts do not heal
  EXPECT_EQ(std::tuple(f.ItemCount(12), f.ItemCount(5), f.ItemCount(0)), std::tuple(1, 1, 1));
  // A row above is 24 pixels off with the item's shift; a row below 40, never touched.
  EXPECT_EQ(std::tuple(s.obj(1).Kind, s.obj(2).Kind, s.obj(3).Kind, s.obj(4).Kind),
            std::tuple(0, 0, 27, 0));
  EXPECT_EQ(f.TakenList(1), U" 50 50 5");
  EXPECT_EQ(f.TakenList(2), U" 50 49 5");
  EXPECT_EQ(f.TakenList(3), U" 50 50 5");
  EXPECT_EQ(f.TakenList(6), U"");
  EXPECT_GE(s.SoundCount(5), 1);
}

TEST(ThingItems, TheMessagesNameTheItemAndEndWithItsNumberForThePicture) {
  ThingScene s;
  s.Start("@\n");
  auto& f = s.f();
  EXPECT_EQ(f.ItemMessage(12), U"r\u3000\u3000\u3000b月の鍵wをr\u3000\u3000\u3000手に入れた。i12");
  const String five = f.ItemMessage(5);
  EXPECT_EQ(five.substr(five.size() - 3), U"i 5");
  EXPECT_EQ(f.ItemMessage(8),
            U"r\u3000\u3000\u3000b黄金のハートwをr\u3000\u3000\u3000手に入れた。i 8"
            U"r\u3000\u3000\u3000ライフの上限が３増えた。");
  const String nine = f.ItemMessage(9);
  EXPECT_EQ(nine.substr(nine.size() - 6), U"が１増えた。");
}

TEST(ThingItems, ATakenItemStaysOutOfItsRoomInThatMaze) {
  ThingScene s;
  s.Start("it,50,50,12\nit,60,50,13\n@\n");
  s.Ticks(1);
  ASSERT_EQ(s.obj(1).Kind, 0);
  s.f().LoadRoomData();
  EXPECT_EQ(s.obj(1).Kind, 0);
  EXPECT_EQ(s.obj(2).Kind, 33);
  s.obj(0).Kind = 6;  // the same room in another maze has its own item
  s.f().LoadRoomData();
  EXPECT_EQ(s.obj(1).Kind, 32);
}

TEST(ThingItems, CountsStopAt255AndAFullTakenListReusesItsLastEntry) {
  ThingScene s;
  s.Start("it,50,50,3\n@\n");
  auto& f = s.f();
  f.ItemCount(3) = 255;
  for (int j = 1; j <= 511; ++j) f.TakenList(j) = U"x";
  s.Ticks(1);
  EXPECT_EQ(std::tuple(f.ItemCount(3), s.obj(1).Kind), std::tuple(255, 0));
  EXPECT_EQ(f.TakenList(511), U" 50 50 5");
  EXPECT_EQ(f.TakenList(510), U"x");
}

TEST(ThingEvents, AThingOnAnAmpersandCellRunsItsScriptEveryTick) {
  ThingScene s;
  s.Start(
      "mo,40,45,12,4,16,0,\"\"\nmo,41,45,12,4,16,0,\"\"\nmo,40,47,12,4,16,0,\"\"\n"
      "ev,40,45,\"&fg001+01\"\nev,41,45,\"fg002+01\"\nev,40,47,\"&fg001+01\"\n"
      "ev,50,50,\"&fg003+01\"\n@\n");
  auto& f = s.f();
  s.Ticks(5);
  EXPECT_EQ(f.Flags(1), 10);  // once per thing and tick
  EXPECT_EQ(f.Flags(2), 0);   // not an "&" script: things do not trigger it
  EXPECT_EQ(f.Flags(3), 0);   // nor does the heroine trigger an "&" one
  s.obj(1).VX = 32;           // it leaves the cell in the next tick
  s.Ticks(3);
  EXPECT_EQ(f.Flags(1), 10 + 1 + 3);
}

TEST(ThingFaults, BadRecordsStopWithTheRoomFileAndTheSlot) {
  auto fails = [](const std::string& room, int x, int y) -> std::string {
    ThingScene s;
    s.Start(room, x, y);
    try {
      s.Ticks(10);
    } catch (const platform::FatalError& e) {
      return e.what();
    }
    return "";
  };
  std::string filler;
  for (int i = 1; i <= 38; ++i) filler += "mo,30,40,11,4,14,0,\"\"\n";
  std::string e = fails(filler + "mo,40,40,8,0,16,0,\"gggggg\"\n@\n", 50, 50);
  EXPECT_NE(e.find("room001.rdt"), std::string::npos) << e;
  EXPECT_NE(e.find("slot 39"), std::string::npos) << e;
  EXPECT_NE(e.find("follower"), std::string::npos) << e;

  // A chaser without a home cell, a queue of other characters and kinds past the items are
  // refused by the room reader (tests/world_files_test.cpp); a thing that flies off the maze
  // vanishes (ThingEdges).
}

}  // namespace
