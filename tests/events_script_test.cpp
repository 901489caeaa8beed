// The event script interpreter on the headless game: flags, items, the conditional skip with
// its markers, map changes and their sounds, the pillar puzzle and the bridge, object kinds,
// wind, sound and song commands, the end of a script, and text that is cut short or bad.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "events_support.h"

namespace {

using namespace events_test;
using quelmire::False;
using quelmire::True;

// Each script runs with flag 10 set as given, flags 100..103 cleared, flag 5 and item 7 at 3;
// the result is flags 100..103.
TEST(EventScript, FlagsConditionsAndTheSkipPastMarkers) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  const struct {
    int flag10;
    std::string script, flags;
  } cases[] = {
      // Empty or unknown text changes nothing.
      {0, "", "0000"},
      {0, "x", "0000"},
      {0, "FG100=01", "0000"},
      {0, "]#%&", "0000"},
      {0, "  edfg100=01", "0000"},
      // "if" with N markers to count past: the true path goes on after the (N+1)-th "#".
      {1, "iffl010=01,0fg100=01ed#fg101=01", "0100"},
      {0, "iffl010=01,0fg100=01ed#fg101=01", "1000"},
      {1, "iffl010=01 1fg100=01ed#fg102=01ed#fg101=01", "0100"},
      {2, "iffl010=01 1fg100=01ed#fg102=01ed#fg101=01", "1000"},
      {1, "iffl010=01/2fg100=01ed#fg102=01#fg103=01#fg101=01", "0100"},
      {1, "iffl010=01,2fg100=01ed#fg102=01#fg101=01", "0000"},  // too few markers: the end
      {0, "iffl010=01,2fg100=01ed#fg102=01#fg101=01", "1000"},
      {1, "iffl010=01,0fg100=01ed#", "0000"},  // a marker as the last character
      {0, "if,0fg100=01ed#fg101=01", "0100"},  // no condition: true
      {0, "fg100=01edfg101=01", "1000"},       // "ed" ends the script
      // Operators ("%": a divisor; never for items), and several conditions at once.
      {0, "iffl005<04,0ed#fg100=01", "1000"},
      {0, "iffl005>02,0ed#fg100=01", "1000"},
      {0, "iffl005%04,0ed#fg100=01", "1000"},
      {0, "iffl005%03,0ed#fg100=01", "0000"},
      {0, "iffl005!03,0ed#fg100=01", "0000"},
      {0, "ifit007=03,0ed#fg100=01", "1000"},
      {0, "ifit007<09,0ed#fg100=01", "1000"},
      {0, "ifit007%04,0ed#fg100=01", "0000"},
      {0, "iffl005=03it007>02,0ed#fg100=01", "1000"},
      {0, "iffl005=04it007>02,0ed#fg100=01", "0000"},
      {0, "iffl005=03it007>05,0ed#fg100=01", "0000"},
      // A flag or item that does not exist never holds.
      {0, "iffl512=00,0ed#fg100=01", "0000"},
      {0, "ifit128=00,0ed#fg100=01", "0000"},
      {0, "iffl005=03it200=00,0ed#fg100=01", "0000"},
      // Set, add, subtract (any other operator adds), clamped to 0..255.
      {0, "fg100=05,fg100+03,fg100-01 fg101+02fg101*04", "7600"},
      {0, "fg100-05fg101=99fg101+99fg101+99fg101+99fg102=-5", "0(255)00"},
  };
  for (const auto& c : cases) {
    f.Flags(10) = static_cast<uint8_t>(c.flag10);
    f.Flags(5) = 3, f.ItemCount(7) = 3;
    for (int i = 100; i <= 103; ++i) f.Flags(i) = 0;
    f.QuietMode = True;
    g.Run(c.script);
    std::string flags;
    for (int i = 100; i <= 103; ++i) {
      flags +=
          f.Flags(i) < 10 ? std::to_string(f.Flags(i)) : "(" + std::to_string(f.Flags(i)) + ")";
    }
    EXPECT_EQ(flags, c.flags) << c.script;
    EXPECT_EQ(f.QuietMode, False) << c.script;  // every script ends loud
  }
  // Items clamp alike; flags over 511 and items over 127 (or negative) do not exist.
  g.Run(
      "ii003+02ii003*04ii127=99ii127+99ii127+99fg512=01fg999+01fg-01=01ii128=01ii-01=01"
      "fg511=09ii000=04");
  EXPECT_EQ(std::tuple(f.ItemCount(3), f.ItemCount(127), f.Flags(511), f.Flags(0), f.ItemCount(0)),
            std::tuple(6, 255, 9, 0, 4));
  g.Run("fnfg002=01");  // "fn" sets the ending and ends the script
  EXPECT_EQ(std::tuple(f.EndingFlag, f.Flags(2)), std::tuple(True, 0));
}

TEST(EventScript, MapChangesSoundOnlyOutsideQuietMode) {
  EventGame g;
  g.Play();
  auto& f = g.f();
  const uint64_t before = f.MapSurface->Generation();
  g.Run("mc040,040,065");
  EXPECT_EQ(f.Map(40, 40), 65);
  EXPECT_GT(f.MapSurface->Generation(), before);  // the view was rebuilt
  g.Run("mc041,040,079");
  EXPECT_EQ(f.Map(41, 40), 79);
  g.Run("as0mc042,040,067se007");  // quiet: no door sound, but "se" always sounds
  EXPECT_EQ(f.Map(42, 40), 67);
  EXPECT_EQ(f.QuietMode, False);
  g.Run("as1mc043,040,065");  // any other digit: not quiet
  // Cells and tile codes that do not exist: nothing happens.
  g.Run("mc258,000,065mc000,258,065mc-01,000,065mc044,040,160mc257,257,003");
  EXPECT_EQ(f.Map(44, 40), 1);
  EXPECT_EQ(f.Map(257, 257), 3);  // the margin is a real cell
  g.Run("se010se-01se999");
  // Slot 1 again while the first door sound still plays is not heard twice.
  const std::vector<int> got = SoundSlots(g.State());
  ASSERT_GE(got.size(), 3u);
  EXPECT_EQ(std::vector<int>(got.begin(), got.begin() + 3), (std::vector<int>{1, 8, 7}));
  for (int slot : got) EXPECT_TRUE(slot == 1 || slot == 8 || slot == 7) << slot;
}

TEST(EventScript, PillarPuzzleAndBridge) {
  EventGame g;
  g.Play();
  auto& f = g.f();
  auto heights = [&] {
    return std::vector<int>{f.Flags(42), f.Flags(43), f.Flags(44), f.Flags(45)};
  };
  for (int c = 0; c < 4; ++c) f.Flags(42 + c) = static_cast<uint8_t>(c + 1);
  f.Flags(46) = 1;
  g.Run("hn");
  const int cols[4] = {44, 46, 51, 53};
  for (int c = 0; c < 4; ++c) {
    const int h = f.Flags(42 + c);
    for (int j = 0; j < 8; ++j) {
      const int want = j < 8 - h ? 9 : (j == 8 - h ? 15 : 23);
      EXPECT_EQ(f.Map(cols[c], 56 + j), want) << "pillar " << c << " row " << j;
    }
  }
  EXPECT_EQ(f.Map(45, 60), 1);  // between the pillars nothing changes
  EXPECT_EQ(f.Flags(46), 0);
  g.Run("hi");
  EXPECT_EQ(heights(), (std::vector<int>{3, 4, 1, 2}));
  EXPECT_EQ(f.Map(44, 63), 15);  // "hi" draws nothing: still the top of height 1
  for (int c = 42; c <= 45; ++c) f.Flags(c) = 4;
  g.Run("hn");
  EXPECT_EQ(f.Flags(46), 1);
  EXPECT_EQ((std::vector<int>{f.Map(44, 59), f.Map(44, 60), f.Map(44, 61)}),
            (std::vector<int>{9, 15, 23}));
  // A pillar taller than eight is all body.
  f.Flags(42) = 200;
  g.Run("hn");
  EXPECT_EQ(f.Map(44, 56), 23);

  const uint64_t before = f.MapSurface->Generation();
  g.Run("hh");
  EXPECT_EQ(f.MapSurface->Generation(), before);  // the bridge waits for the next rebuild
  // Its ends, row by row.
  EXPECT_EQ((std::vector<int>{f.Map(209, 57), f.Map(210, 57), f.Map(239, 58), f.Map(240, 58),
                              f.Map(208, 62), f.Map(243, 63), f.Map(244, 63)}),
            (std::vector<int>{1, 10, 118, 1, 10, 118, 1}));
}

TEST(EventScript, ObjectKindsWindMatchingKindsAndSongs) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  g.Run("om005,012om040,001om-01,001wd-3");
  EXPECT_EQ(std::tuple(f.Obj(5).Kind, f.DriftX), std::tuple(12, -3));
  g.Run("wd07");
  EXPECT_EQ(f.DriftX, 7);

  f.Obj(0).Kind = 7;
  f.Obj(1) = {};
  f.Obj(1).Kind = 7, f.Obj(1).X = 7, f.Obj(1).Y = 45, f.Obj(1).Param = 9;
  f.Obj(2).Kind = 7, f.Obj(2).X = 120, f.Obj(2).Y = 3;
  f.Obj(3).Kind = 4;
  f.Flags(1) = 7;
  f.Flags(2) = 0;
  g.Run("mm001,002");  // a flag of 0: nothing
  EXPECT_EQ(f.Obj(1).Kind, 7);
  f.Flags(2) = 5;
  g.Run("mm001,002");
  // Never the player; the chaser's home is its cell, and Param is kept.
  EXPECT_EQ(std::tuple(f.Obj(0).Kind, f.Obj(1).Kind, f.Obj(1).Param, f.Obj(3).Kind),
            std::tuple(7, 5, 9, 4));
  EXPECT_EQ(quelmire::ToUtf8(f.Obj(1).Cmd + f.Obj(2).Cmd), "007045120003");
  f.Flags(3) = 3;
  g.Run("mm002,003mm002,512");
  EXPECT_EQ(std::tuple(f.Obj(1).Kind, f.Obj(1).Param), std::tuple(3, 0));

  // A song command changes only to another song.
  f.SongNo = 1;
  g.Run("md08");
  EXPECT_EQ(std::tuple(f.SongNo, f.MusicOn), std::tuple(8, True));
  g.Run("md08");
  const Json s = g.State();
  std::vector<std::string> ops;
  std::string opened;
  for (const Json& op : s["music"].arr) {
    ops.push_back(op["op"].str);
    if (op["op"].str == "open") opened = op["arg"].str;
  }
  EXPECT_EQ(ops, (std::vector<std::string>{"stop", "close", "open", "play"}));
  EXPECT_EQ(opened, "midi/vorn08.mid");
}

TEST(EventScript, MessagesWaitForAKeyAndRunOnAfterTheBracket) {
  EventGame g(PressEvery100(1000, 1400));
  g.Load();
  auto& f = g.f();
  f.RoomNo = -1;  // only the background behind the window
  f.Obj(0).X = 33;
  f.Obj(0).Y = 38;
  f.Sleep(static_cast<int>(900 - g.ms()));
  g.Run("msあいう]fg001=01msえ]fg002=01");
  EXPECT_GE(g.ms(), 1100);  // two messages, two fresh presses
  EXPECT_EQ(f.Flags(1), 1);
  EXPECT_EQ(f.Flags(2), 1);
  // Without its "]" the message takes the rest of the script.
  g.Run("msおfg003=01");
  EXPECT_EQ(f.Flags(3), 0);
}

TEST(EventScript, BadTextNeverStopsTheGame) {
  EventGame g(PressEvery100(100, 60000));
  g.Play();
  auto& f = g.f();
  // Commands cut short at the end of the text, and missing or non-numeric operands.
  std::istringstream texts(
      "fg fg01 fg0 ii mc1 mc om om00 mm mm001 se md as wd if iffl iffl01 iffl010=01 iffl010=01, "
      "ifit jp jp005,03 hn hi hh ms ms] e f fgab=cd omxx,yy mcab,cd,ef jpaaaa,bbbb,cccc,dddd "
      "ifflxyz=ab,x#");
  for (std::string text; texts >> text;) {
    EXPECT_NO_THROW(g.Run(text)) << text;
    EXPECT_EQ(f.QuietMode, False) << text;
  }
  // Non-numeric operands read as 0.
  f.Flags(0) = 0;
  g.Run("fgabc=01");
  EXPECT_EQ(f.Flags(0), 1);
  // Warps the game cannot make (no room 0, cell (0, 0)) are ignored.
  EXPECT_EQ(f.Obj(0).X, 33);
  EXPECT_EQ(f.RoomNo, 1);
  EXPECT_EQ(f.Timer1.Enabled, true);
}

}  // namespace
