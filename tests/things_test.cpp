// A room's things through the real play tick on small mazes and rooms: how each kind moves,
// what touching one does to the heroine (harm and knockback, the blast pad, riding a lift,
// items with their messages and keys), the "&" events, and the bad records play still meets.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "platform_fixtures.h"
#include "test_support.h"

namespace {

using namespace testing_support;
using quelmire::String;

// Open cave with a floor on row 51 from column 20 to 100; the heroine stands on it.
struct Things : Scene {
  Things() {
    maze = MazeFile(13);
    maze.Fill(20, 51, 100, 51, 1);
  }
  // Room 1 holds `room`; play starts with her at (x, y). The default script taps Down between
  // the ticks (20 ms past each 48 ms step): a message window waiting for a key is answered while
  // the ticks never see the key.
  void Start(const std::string& room, int x = 50, int y = 50, std::string script = "") {
    Room(1, room);
    if (script.empty()) script = Presses(20, 60000, 48, "Down 2");
    Play(script, x, y);
  }
  int SoundCount(int n) {
    const auto sounds = Sounds();
    return static_cast<int>(std::count(sounds.begin(), sounds.end(), n));
  }
};

const auto PixelX = [](const quelmire::ObjRecord& o) { return o.X * 32 + o.OffX; };
const auto PixelY = [](const quelmire::ObjRecord& o) { return o.Y * 32 + o.OffY; };

TEST(ThingWalkers, KindOneTurnsAtTheLedgeKindSixWalksOffFallsAtEightAndTurnsAtAWall) {
  Things s;  // the floor ends at column 60; below, a lower floor with a wall at column 66
  s.maze.Fill(61, 51, 100, 51, 13);
  s.maze.Fill(55, 55, 90, 55, 1);
  s.maze.Fill(66, 50, 66, 54, 0);
  s.Start("mo,58,50,1,0,0,2,\"\"\nmo,60,50,6,0,11,2,\"\"\n@\n", 30, 50);
  auto& w = s.obj(1);
  auto& six = s.obj(2);
  s.Tick(10);  // the first tick only takes up the speed
  EXPECT_EQ(std::tuple(PixelX(w), w.VX), std::tuple(58 * 32 + 18, 2));
  int most = 0, lastY = PixelY(six);
  bool fell = false;
  for (int k = 10; k < 60; ++k, lastY = PixelY(six)) {
    s.Tick();
    if (k < 40) most = std::max(most, PixelX(w));
    EXPECT_EQ(std::tuple(w.Y, w.OffY), std::tuple(50, 0));
    EXPECT_TRUE(PixelY(six) == lastY || PixelY(six) == lastY + 8) << k;
    if (six.VY == 8) {  // it drops where its own cell lost the floor
      fell = true;
      EXPECT_EQ(std::tuple(PixelX(six), six.VX, six.Frame), std::tuple(61 * 32 - 8, 0, 11));
    }
    // It looks 9 pixels ahead: at 8 past the centre of the last floor cell it turns back.
    if (k == 39) {
      EXPECT_EQ(std::tuple(w.Face, PixelX(w), w.VX), std::tuple(1, 60 * 32 + 4, -2));
    }
  }
  EXPECT_EQ(std::tuple(most, fell, PixelY(six), six.Face, w.Frame / 2),
            std::tuple(60 * 32 + 8, true, 54 * 32, 0, 0));
  s.Tick(100);  // turned at the wall of column 66
  EXPECT_TRUE(six.Face == 1 && PixelX(six) <= 65 * 32 + 8 && (six.Frame == 11 || six.Frame == 12));
}

// Followers, the watchful walker and the bouncer in one cave: slots 1..7 are two follower
// chains behind leaders (one of two, and followers of leaders faster than the alphabet goes),
// 8 and 9 walkers that watch for her (9 has her behind it too, but twelve columns away), 10 a
// bouncer under a ceiling on row 42.
TEST(ThingMovers, FollowersWatchfulWalkersAndTheBouncer) {
  Things s;
  s.maze.Fill(20, 42, 100, 42, 2);
  s.Start(
      "mo,44,40,8,0,16,0,\"gggggg\"\nmo,46,40,8,0,16,0,\"gggggg\"\nmo,48,40,3,1,2,0,\">>1\"\n"
      "mo,44,44,8,0,16,0,\"\"\nmo,46,44,3,1,2,0,\">>9\"\nmo,44,46,8,0,16,0,\"\"\n"
      "mo,46,46,3,1,2,0,\"<<9\"\nmo,40,50,4,0,5,2,\"\"\nmo,49,50,4,0,5,2,\"\"\n"
      "mo,40,45,2,0,2,4,\"\"\n@\n",
      37, 50);
  auto& w = s.obj(8);
  const int x = 40 * 32 + 2;
  s.Tick(2);  // tick 1 takes up the speed; tick 2 sees the heroine behind it
  EXPECT_EQ(std::tuple(PixelX(w), w.VX, w.Face, w.Delay, w.Frame), std::tuple(x, 0, 1, 11, 6));
  s.Tick(6);  // followers hold their leaders' speeds
  EXPECT_EQ(std::tuple(s.obj(5).VX, s.obj(4).VX, s.obj(6).VX, s.obj(4).Face, s.obj(6).Face),
            std::tuple(18, 13, -16, 0, 1));
  s.Tick(6);  // the walker stood through the pause
  EXPECT_EQ(std::tuple(PixelX(w), w.VX, w.Delay), std::tuple(x, -2, 0));
  s.Tick(5);  // now walking at her; she is ahead, so no new pause
  EXPECT_EQ(std::tuple(PixelX(w), w.VX, w.Delay), std::tuple(x - 10, -2, 0));
  EXPECT_TRUE(w.Frame >= 5 && w.Frame <= 7);
  EXPECT_EQ(std::tuple(s.obj(9).Face, PixelX(s.obj(9))), std::tuple(0, 49 * 32 + 2 * 18));
  s.Tick();  // each follower three ticks behind the one before
  EXPECT_EQ(std::tuple(PixelX(s.obj(3)), PixelX(s.obj(2)), PixelX(s.obj(1)), s.obj(1).Cmd),
            std::tuple(48 * 32 + 2 * 19, 46 * 32 + 2 * 16, 44 * 32 + 2 * 13, U"igigig"));
  for (int i = 1; i <= 2; ++i) {
    EXPECT_TRUE(s.obj(i).Face == 0 && s.obj(i).Frame >= 16 && s.obj(i).Frame <= 18) << i;
  }
  // The bouncer: between floor and ceiling, ten pixels from the cell centres. (The walkers go:
  // they would wear her down meanwhile.)
  s.obj(8).Kind = s.obj(9).Kind = 0;
  auto& b = s.obj(10);
  int lo = 1 << 30, hi = -(1 << 30);
  std::set<int> frames;
  for (int k = 0; k < 200; ++k, s.Tick()) {
    std::tie(lo, hi) = std::tuple(std::min(lo, PixelY(b)), std::max(hi, PixelY(b)));
    frames.insert(b.Frame);
    EXPECT_EQ(std::tuple(PixelX(b), b.Face), std::tuple(40 * 32, 0));
  }
  EXPECT_EQ(std::tuple(hi, lo, frames),
            std::tuple(50 * 32 + 10, 43 * 32 - 10, std::set<int>{2, 3, 4}));
}

// Command movers: slot 1 comes from column 50 toward her, 11 pixels into column 45, and waits;
// slot 2 never has her near and goes through the rock of rows 30..35. Slot 3 vanishes after a
// move; slot 4 goes diagonally; 5..8 have an empty list, a speed that is no digit, a start far
// past the list and a negative start.
TEST(ThingCommands, WaiVanDiagonalsTheListRepeatsAndMalformedListsStandOrFindTheList) {
  Things s;
  s.maze.Fill(30, 30, 60, 35, 0);
  s.Start(
      "mo,50,50,10,1,8,0,\"<<1wai>>1\"\nmo,58,33,3,1,2,0,\"<<1wai>>1\"\n"
      "mo,50,45,3,1,2,0,\"<<1van\"\nmo,50,40,3,1,2,0,\">v1<^1\"\nmo,50,30,3,1,2,0,\"\"\n"
      "mo,52,30,3,1,2,0,\">x?\"\nmo,54,30,3,1,2,500,\">>1\"\nmo,56,30,3,1,2,-5,\">>1\"\n@\n",
      45, 50);
  s.obj(0).OffX = 11;
  auto& van = s.obj(3);
  auto& diag = s.obj(4);
  s.Tick(3);
  // Slots 5 and 6 stand; 7 wrapped round to the first command; 8's number below 1 names no
  // command, so it waits until the count reaches 1.
  auto stray = [&] {
    std::vector<int> v;
    for (int i = 5; i <= 8; ++i) v.insert(v.end(), {PixelX(s.obj(i)), s.obj(i).Param});
    return v;
  };
  EXPECT_EQ(stray(), (std::vector<int>{50 * 32, 1, 52 * 32, 1, 54 * 32 + 4, 1, 56 * 32, -2}));
  s.Tick(10);
  EXPECT_EQ(stray(), (std::vector<int>{50 * 32, 1, 52 * 32, 1, 54 * 32 + 24, 1, 56 * 32 + 14, 1}));
  s.Tick(3);
  const int before = van.Kind;
  s.Tick();  // aligned on column 49: the next command is "van"
  // Gone; the diagonal mover went one cell right and down in 16 moving ticks.
  EXPECT_EQ(std::tuple(before, van.Kind, PixelX(diag), PixelY(diag), diag.Param),
            std::tuple(3, 0, 51 * 32, 41 * 32, 2));
  s.Tick(16);  // and back up-left, where the list starts over
  EXPECT_EQ(std::tuple(PixelX(diag), PixelY(diag), diag.Param, diag.VX, PixelX(van)),
            std::tuple(50 * 32, 40 * 32, 1, 2, 49 * 32));
  auto& m = s.obj(1);
  s.Tick(31);
  // Pixel x, command number and speed: it passed columns 49, 48, 47 without stopping, halts
  // aligned on column 46 with her 23 pixels away ("wai"), then takes the command after it.
  for (auto want :
       {std::tuple(46 * 32 + 2, 1, -2), {46 * 32, 2, 0}, {46 * 32, 3, 2}, {46 * 32 + 2, 3, 2}}) {
    EXPECT_EQ(std::tuple(PixelX(m), int{m.Param}, int{m.VX}), want);
    s.Tick();
  }
  // Near but never touching.
  EXPECT_TRUE(m.Frame >= 8 && m.Frame <= 10 && m.Face == 1 && s.f().Life == 3);
  s.Tick(32);
  EXPECT_EQ(std::tuple(PixelX(s.obj(2)), s.obj(2).Param), std::tuple(58 * 32 - 2 * 99, 1));
}

TEST(ThingEdges, ThingsThatLeaveTheMazeVanish) {
  // From a cell next to each edge: two command movers, a follower of the second, a chaser
  // whose home is the edge cell itself, a mover a script turns into a drifter, and a walker or
  // a bouncer that looks past the edge.
  for (auto [x, y, dir, home, extra] :
       {std::tuple{1, 100, "<<", "000100", "mo,1,100,6,1,11,4,\"\"\n"},
        {254, 100, ">>", "255100", ""},
        {100, 1, "^^", "100000", "mo,100,1,2,0,2,-8,\"\"\n"},
        {100, 254, "vv", "100255", ""}}) {
    SCOPED_TRACE(dir);
    Things s;
    s.maze.Fill(0, 101, 3, 101, 1);  // the walker's floor
    const std::string at = "mo," + std::to_string(x) + "," + std::to_string(y) + ",";
    const std::string go = std::string("\"") + dir + "8\"\n";
    s.Start(at + "3,1,8,0," + go + at + "8,0,16,0,\"gggggg\"\n" + at + "10,1,8,0," + go + at +
            "7,0,13,8,\"" + home + "\"\n" + at + "3,1,8,0," + go + extra + "@\n");
    s.Tick();
    s.f().RunEventScript(U"om005,011");
    s.Tick(60);
    for (int i = 1; i <= 6; ++i) {
      const auto& o = s.obj(i);
      EXPECT_TRUE(o.Kind == 0 && o.X >= 0 && o.X <= 255 && o.Y >= 0 && o.Y <= 255) << i;
    }
  }
}

TEST(ThingChasers, KindSevenFliesHomeThroughWallsKindFiveChasesANearHeroineThenGoesHome) {
  Things s;
  s.maze.Fill(83, 40, 84, 55, 0);  // a rock wall between the flier and its home
  s.Start("mo,80,47,7,0,13,4,\"088047\"\nmo,54,47,5,0,8,3,\"ignored\"\n@\n");
  auto& flier = s.obj(1);
  auto& chaser = s.obj(2);
  EXPECT_EQ(chaser.Cmd, U"054047");  // its home is its own cell
  s.Tick(6);                         // it accelerates toward her: left and down
  EXPECT_TRUE(chaser.VX < 0 && chaser.VY > 0 && chaser.Face == 0);
  std::tie(s.obj(0).X, chaser.X) = std::tuple(20, 52);  // she leaves: it makes for home
  auto near = [](const quelmire::ObjRecord& o, int col, int by) {
    return std::abs(PixelX(o) - col * 32) <= by && std::abs(PixelY(o) - 47 * 32) <= by;
  };
  bool home[2] = {false, false};
  for (int k = 0; k < 150; ++k, s.Tick()) {
    home[0] |= near(flier, 88, 4), home[1] |= near(chaser, 54, 3);
    EXPECT_TRUE(std::abs(flier.VX) <= 4 && flier.Face == (flier.VX < 0 ? 1 : 0));
    EXPECT_TRUE(flier.Frame >= 13 && flier.Frame <= 15);
  }
  EXPECT_TRUE(home[0] && home[1]);
}

// The step-8 loop of the tick alone, so the heroine's state right after the touch is seen
// before her own move of the tick changes it.
void StepThings(quelmire::Form1& f) {
  for (int i = 1; i <= 39; ++i)
    if (f.Obj(i).Kind >= 1) f.ProcessThing(i);
}

// Life, speed, knockback, invulnerability, jump length and air time after a touch.
std::vector<int> Thrown(quelmire::Form1& f) {
  const auto& p = f.Obj(0);
  return {f.Life, p.VX, p.VY, p.Param, p.Delay, f.JumpLen, f.AirTime};
}

TEST(ThingTouch, EnemiesHurtAndThrowHerAwayFollowersOnlyPushAndEachKindHasItsBox) {
  Things s;
  s.Start("mo,50,50,1,1,0,0,\"\"\nmo,60,50,1,1,0,0,\"\"\n@\n");
  s.obj(1).OffX = 10;  // just to her right: 10 < 20
  StepThings(s.f());
  EXPECT_EQ(Thrown(s.f()), (std::vector<int>{2, -6, -12, 1, 40, 2, 1}));
  // Invulnerable now: another touch does nothing.
  std::tie(s.obj(2).X, s.obj(2).OffX) = std::tuple(50, -10);
  StepThings(s.f());
  EXPECT_EQ(std::tuple(s.f().Life, s.obj(0).VX, s.SoundCount(2)), std::tuple(2, -6, 1));

  // A follower to her left throws her right without harm; an inert thing never touches.
  auto touch = [&](int kind, int offX, int offY) {
    auto& t = s.obj(1);
    t = quelmire::ObjRecord{};
    std::tie(t.X, t.Y, t.Kind, t.Cmd, t.OffX, t.OffY) =
        std::tuple(50, 50, kind, U"050050", offX, offY);
    std::tie(s.obj(0).Delay, s.obj(0).VX) = std::tuple(0, 0);
    s.f().ProcessThing(1);
    return s.obj(0).Delay != 0;
  };
  EXPECT_EQ(std::tuple(touch(8, -8, 0), s.f().Life, s.obj(0).VX), std::tuple(true, 2, 6));
  EXPECT_FALSE(touch(14, 0, 0));
  const std::tuple<int, int, int> boxes[] = {{1, 20, 20}, {2, 20, 24}, {3, 20, 20},
                                             {4, 20, 32}, {5, 16, 28}, {6, 20, 20},
                                             {7, 16, 20}, {8, 16, 16}, {10, 16, 16}};
  for (auto [kind, w, h] : boxes) {  // just inside, then on the edge
    EXPECT_EQ(std::tuple(touch(kind, w - 1, 0), touch(kind, w, 0), touch(kind, 0, h - 1),
                         touch(kind, 0, h)),
              std::tuple(true, false, true, false))
        << kind;
  }
}

TEST(ThingTouch, TheBlastPadThrowsHighWithoutHarmSinksAndIsGoneAndLaunchesHerThroughTheTick) {
  Things s;
  s.Start("mo,50,50,9,0,19,0,\"\"\nmo,60,50,9,0,19,0,\"\"\n@\n", 50, 50, "0 down Space\n");
  auto& pad = s.obj(1);
  s.f().ProcessThing(1);
  // Straight up from the centre.
  EXPECT_EQ(Thrown(s.f()), (std::vector<int>{3, 0, -24, 0, 20, 12, 1}));
  // It sinks from the next tick on (offset, face, frame), then it is gone.
  EXPECT_EQ(std::tuple(pad.VY, pad.OffY), std::tuple(1, 0));
  const std::tuple<int, int, int> sinking[] = {{1, 0, 19}, {2, 0, 20}, {3, 1, 19}, {4, 1, 20},
                                               {5, 4, 19}, {6, 4, 20}, {0, 0, 19}};
  for (auto want : sinking) {
    s.f().ProcessThing(1);
    EXPECT_EQ(std::tuple(int{pad.OffY}, int{pad.Face}, int{pad.Frame}), want);
  }
  EXPECT_EQ(pad.Kind, 0);
  // On the second pad, through the tick: 24 pixels a tick while Space is held.
  s.obj(0) = {};
  std::tie(s.obj(0).X, s.obj(0).Y, s.f().AirTime, s.f().JumpLen) = std::tuple(60, 50, 0, 0);
  s.f().BuildRoom();
  s.Tick(2);
  const int y0 = PixelY(s.obj(0));
  s.Tick(3);
  // The pad's sound (once: the first still sounds), never the harm's.
  EXPECT_EQ(std::tuple(PixelY(s.obj(0)), s.f().Life, s.SoundCount(4), s.SoundCount(2)),
            std::tuple(y0 - 3 * 24, 3, 1, 0));
}

TEST(ThingLift, TheHeroineRidesSixPixelsAboveTheLiftAndMovesWithIt) {
  Things s;
  s.maze.Fill(40, 51, 60, 51, 13);  // no floor: the lift holds her
  s.Start("mo,50,50,19,1,14,0,\"^^1^^1>>1>>1\"\n@\n");
  auto& lift = s.obj(1);
  auto& p = s.obj(0);
  for (int k = 0; k < 60; ++k) {
    s.Tick();
    ASSERT_EQ(std::tuple(PixelX(p), PixelY(p)), std::tuple(PixelX(lift), PixelY(lift) - 6)) << k;
    EXPECT_TRUE(p.Frame >= 6 && p.Frame <= 8 && s.f().RidingLift);
  }
  EXPECT_LT(PixelY(lift), 50 * 32 - 32);  // it went up and she with it
  EXPECT_GT(PixelX(lift), 50 * 32);       // and then sideways
  EXPECT_EQ(s.f().Life, 3);
}

TEST(ThingLift, NoRideWhileThrownBackOrJustJumping) {
  Things s;
  s.Start("mo,50,50,19,1,14,0,\"wai\"\n@\n");
  auto& f = s.f();
  // Thrown back, then three ticks into a jump: no ride; four ticks in: she lands on it.
  for (auto [param, air, rides] : {std::tuple{1, 0, false}, {0, 3, false}, {0, 4, true}}) {
    s.obj(0).Param = static_cast<int16_t>(param);
    f.AirTime = air;
    s.obj(0).VY = -12;
    f.ProcessThing(1);
    EXPECT_EQ(f.RidingLift, rides) << air;
  }
  EXPECT_EQ(std::tuple(f.LiftNX, f.LiftNY, f.AirTime, f.JumpLen), std::tuple(0, -6, 1, 0));
}

TEST(ThingItems, ItemsInOneTickArePickedUpInSlotOrderEachWithItsKeyHeartsRaiseTheCeiling) {
  Things s;
  s.Start("it,50,50,12\nit,50,49,5\nit,50,51,7\nit,50,50,0\nit,50,50,8\nit,50,50,9\n@\n");
  auto& f = s.f();
  f.Life = 2;
  s.Tick();
  // Hearts raise the ceiling but do not heal.
  EXPECT_EQ(std::tuple(f.LifeMax, f.Life, f.ItemCount(12), f.ItemCount(5), f.ItemCount(0)),
            std::tuple(7, 2, 1, 1, 1));
  // A row above is 24 pixels off with the item's shift; a row below 40, never touched.
  EXPECT_EQ(std::tuple(s.obj(1).Kind, s.obj(2).Kind, s.obj(3).Kind, s.obj(4).Kind),
            std::tuple(0, 0, 27, 0));
  EXPECT_EQ(std::tuple(f.TakenList(1), f.TakenList(2), f.TakenList(3), f.TakenList(6)),
            std::tuple(U" 50 50 5", U" 50 49 5", U" 50 50 5", U""));
  EXPECT_GE(s.SoundCount(5), 1);
}

TEST(ThingItems, CountsStopAt255AFullTakenListReusesItsLastEntryAndTheMessagesNameTheItem) {
  Things s;
  s.Start("it,50,50,3\n@\n");
  auto& f = s.f();
  f.ItemCount(3) = 255;
  for (int j = 1; j <= 511; ++j) f.TakenList(j) = U"x";
  s.Tick();
  EXPECT_EQ(std::tuple(f.ItemCount(3), s.obj(1).Kind, f.TakenList(511), f.TakenList(510)),
            std::tuple(255, 0, U" 50 50 5", U"x"));
  // A message ends with the item's number for the picture; hearts add a line.
  EXPECT_EQ(f.ItemMessage(12), U"r\u3000\u3000\u3000b月の鍵wをr\u3000\u3000\u3000手に入れた。i12");
  EXPECT_EQ(f.ItemMessage(8).substr(f.ItemMessage(8).size() - 19),
            U"i 8r\u3000\u3000\u3000ライフの上限が３増えた。");
}

TEST(ThingEvents, AThingOnAnAmpersandCellRunsItsScriptEveryTick) {
  Things s;
  s.Start(
      "mo,40,45,12,4,16,0,\"\"\nmo,41,45,12,4,16,0,\"\"\nmo,40,47,12,4,16,0,\"\"\n"
      "ev,40,45,\"&fg001+01\"\nev,41,45,\"fg002+01\"\nev,40,47,\"&fg001+01\"\n"
      "ev,50,50,\"&fg003+01\"\n@\n");
  auto& f = s.f();
  s.Tick(5);
  // Once per thing and tick; not for a script without "&"; nor does the heroine trigger one.
  EXPECT_EQ(std::tuple(f.Flags(1), f.Flags(2), f.Flags(3)), std::tuple(10, 0, 0));
  s.obj(1).VX = 32;  // it leaves the cell in the next tick
  s.Tick(3);
  EXPECT_EQ(f.Flags(1), 10 + 1 + 3);
}

TEST(ThingEvents, AThingsWarpLeavesTheNextRoomsThingAloneAndMakesNoJump) {
  Things s;
  s.Room(2, "mo,45,50,11,0,0,0,\r\n@\r\n");
  // Z leaves the save prompt on "no save" and is still down when the tick goes on.
  s.Start("mo,30,50,1,0,0,2,\r\nev,30,50,\"&jp005,040,050,002\"\r\n@\r\n", 40, 50,
          Presses(300, 9000, 300));
  s.obj(1).VX = 4;  // the walker is on its way when it steps on the cell
  s.Tick();
  ASSERT_EQ(s.f().RoomNo, 2);
  EXPECT_EQ(std::tuple(s.obj(1).Kind, s.obj(1).X, s.obj(1).OffX, s.f().JumpLen),
            std::tuple(11, 45, 0, 0));
}

TEST(ThingFaults, AFollowerWithNothingAfterItStandsEmptySlotsStayEmptyAndFaultsNameTheRoom) {
  // A chaser without a home cell, a queue of other characters and kinds past the items are
  // refused by the room reader (tests/world_files_test.cpp); a thing that flies off the maze
  // vanishes (ThingEdges). A follower in the last slot (here made by a script) has nothing to
  // follow: it plays out its queue (2 pixels a tick, twice) and stands; slot 38 follows it.
  Things s;
  std::string room;
  for (int i = 1; i <= 37; ++i) room += "mo,30,40,11,4,14,0,\"\"\n";
  s.Start(room + "mo,40,40,8,0,16,0,\"iiiiii\"\nmo,40,42,11,0,16,0,\"iiiiii\"\n@\n");
  s.Tick();
  s.Run("om039,008");
  s.Tick(10);
  EXPECT_EQ(std::tuple(PixelX(s.obj(38)), PixelX(s.obj(39)), s.obj(38).VX, s.obj(39).VX),
            std::tuple(40 * 32 + 8, 40 * 32 + 4, 0, 0));
  // A record the room left empty has no cell of its own: a script cannot make a thing of it.
  s.Room(2, "mo,30,40,11,4,14,0,\"\"\n@\n");
  s.f().RoomNo = 2;
  s.f().LoadRoomData();
  s.Run("om001,001om002,001");
  EXPECT_EQ(std::tuple(s.obj(1).Kind, s.obj(2).Kind), std::tuple(1, 0));
  // A fault play still meets names the room file as the system writes paths.
  s.obj(1).Kind = 5, s.obj(1).Cmd = U"x";
  const std::string err = platform_fixtures::ErrorOf([&] { s.Tick(); });
  EXPECT_EQ(err.rfind("map/room002.rdt: thing in slot 1 (kind 5", 0), 0u) << err;
}

}  // namespace
