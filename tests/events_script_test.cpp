// The event script interpreter on the headless game: flags, items, the conditional skip with
// its markers, map changes and their sounds, the pillar puzzle and the bridge, object kinds,
// wind, sound and song commands, the end of a script, and text that is cut short or bad.
#include <gtest/gtest.h>

#include "events_support.h"

namespace {

using namespace events_test;
using quelmire::False;
using quelmire::True;

TEST(EventScript, EmptyOrUnknownTextChangesNothingButQuietMode) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  for (const char* text : {"", "x", "zz", "FG010=01", "]#%&", "  ed"}) {
    f.QuietMode = True;
    f.Flags(10) = 0;
    g.Run(text);
    EXPECT_EQ(f.QuietMode, False) << text;
    EXPECT_EQ(f.Flags(10), 0) << text;
  }
}

TEST(EventScript, FlagsAndItemsSetAddSubtractAndStayWithinAByte) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  g.Run("fg010=05,fg010+03,fg010-01 ii003+02ii003*04");  // any other operator adds
  EXPECT_EQ(f.Flags(10), 7);
  EXPECT_EQ(f.ItemCount(3), 6);
  g.Run("fg010=00");
  EXPECT_EQ(f.Flags(10), 0);
  // Results outside 0..255 are clamped.
  g.Run("fg020-05fg021=99fg021+99fg021+99fg021+99ii127=99ii127+99ii127+99");
  EXPECT_EQ(f.Flags(20), 0);
  EXPECT_EQ(f.Flags(21), 255);
  EXPECT_EQ(f.ItemCount(127), 255);
  g.Run("fg022=-5");
  EXPECT_EQ(f.Flags(22), 0);
  // Flags over 511 and items over 127 (or negative) do not exist: the command does nothing.
  g.Run("fg512=01fg999+01fg-01=01ii128=01ii-01=01fg511=09ii000=04");
  EXPECT_EQ(f.Flags(511), 9);
  EXPECT_EQ(f.Flags(0), 0);
  EXPECT_EQ(f.ItemCount(0), 4);
}

// "if" with N markers to count past: the true path continues after the (N+1)-th "#".
TEST(EventScript, ConditionalSkipCountsMarkers) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  auto run = [&](int flag10, const std::string& script) {
    f.Flags(10) = static_cast<uint8_t>(flag10);
    for (int i = 100; i <= 103; ++i) f.Flags(i) = 0;
    g.Run(script);
    return std::to_string(f.Flags(100)) + std::to_string(f.Flags(101)) +
           std::to_string(f.Flags(102)) + std::to_string(f.Flags(103));
  };
  const std::string n0 = "iffl010=01,0fg100=01ed#fg101=01";
  EXPECT_EQ(run(1, n0), "0100");
  EXPECT_EQ(run(0, n0), "1000");
  const std::string n1 = "iffl010=01 1fg100=01ed#fg102=01ed#fg101=01";
  EXPECT_EQ(run(1, n1), "0100");
  EXPECT_EQ(run(2, n1), "1000");
  const std::string n2 = "iffl010=01/2fg100=01ed#fg102=01#fg103=01#fg101=01";
  EXPECT_EQ(run(1, n2), "0100");
  // Too few markers: the script ends at once.
  const std::string few = "iffl010=01,2fg100=01ed#fg102=01#fg101=01";
  EXPECT_EQ(run(1, few), "0000");
  EXPECT_EQ(run(0, few), "1000");
  // A marker as the last character: the script ends on it.
  EXPECT_EQ(run(1, "iffl010=01,0fg100=01ed#"), "0000");
  // No condition at all: the verdict stays true.
  EXPECT_EQ(run(0, "if,0fg100=01ed#fg101=01"), "0100");
}

TEST(EventScript, ConditionOperatorsAndSeveralConditions) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  auto holds = [&](const std::string& conditions) {
    f.Flags(100) = 0;
    g.Run("if" + conditions + ",0ed#fg100=01");
    return f.Flags(100) == 1;
  };
  f.Flags(5) = 3;
  f.ItemCount(7) = 3;
  EXPECT_TRUE(holds("fl005=03"));
  EXPECT_TRUE(holds("fl005<04"));
  EXPECT_TRUE(holds("fl005>02"));
  EXPECT_TRUE(holds("fl005%04"));
  EXPECT_FALSE(holds("fl005%03"));
  EXPECT_FALSE(holds("fl005!03"));
  EXPECT_TRUE(holds("it007=03"));
  EXPECT_TRUE(holds("it007<09"));
  EXPECT_FALSE(holds("it007%04"));  // "%" never holds for items
  EXPECT_TRUE(holds("fl005=03it007>02"));
  EXPECT_FALSE(holds("fl005=04it007>02"));
  EXPECT_FALSE(holds("fl005=03it007>05"));
  // A flag or item that does not exist never holds.
  EXPECT_FALSE(holds("fl512=00"));
  EXPECT_FALSE(holds("it128=00"));
  EXPECT_FALSE(holds("fl005=03it200=00"));
}

TEST(EventScript, EndAndFinishStopTheScript) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  g.Run("fg001=01edfg002=01");
  EXPECT_EQ(f.Flags(1), 1);
  EXPECT_EQ(f.Flags(2), 0);
  f.EndingFlag = 0;
  g.Run("fnfg002=01");
  EXPECT_EQ(f.EndingFlag, True);
  EXPECT_EQ(f.Flags(2), 0);
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
  const std::vector<int> want = {1, 8, 7, 1};
  Json s = g.State();
  // Slot 1 again while the first door sound still plays is not heard twice.
  std::vector<int> got = SoundSlots(s);
  ASSERT_GE(got.size(), 3u);
  EXPECT_EQ(got[0], 1);
  EXPECT_EQ(got[1], 8);
  EXPECT_EQ(got[2], 7);
  for (int slot : got) EXPECT_TRUE(slot == 1 || slot == 8 || slot == 7) << slot;
}

TEST(EventScript, PillarPuzzleAndBridge) {
  EventGame g;
  g.Play();
  auto& f = g.f();
  f.Flags(42) = 1;
  f.Flags(43) = 2;
  f.Flags(44) = 3;
  f.Flags(45) = 4;
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
  EXPECT_EQ(f.Flags(42), 3);
  EXPECT_EQ(f.Flags(43), 4);
  EXPECT_EQ(f.Flags(44), 1);
  EXPECT_EQ(f.Flags(45), 2);
  EXPECT_EQ(f.Map(44, 63), 15);  // "hi" draws nothing: still the top of height 1
  for (int c = 42; c <= 45; ++c) f.Flags(c) = 4;
  g.Run("hn");
  EXPECT_EQ(f.Flags(46), 1);
  EXPECT_EQ(f.Map(44, 59), 9);
  EXPECT_EQ(f.Map(44, 60), 15);
  EXPECT_EQ(f.Map(44, 61), 23);
  // A pillar taller than eight is all body.
  f.Flags(42) = 200;
  g.Run("hn");
  EXPECT_EQ(f.Map(44, 56), 23);

  const uint64_t before = f.MapSurface->Generation();
  g.Run("hh");
  EXPECT_EQ(f.MapSurface->Generation(), before);  // the bridge waits for the next rebuild
  EXPECT_EQ(f.Map(209, 57), 1);
  EXPECT_EQ(f.Map(210, 57), 10);
  EXPECT_EQ(f.Map(239, 58), 118);
  EXPECT_EQ(f.Map(240, 58), 1);
  EXPECT_EQ(f.Map(208, 62), 10);
  EXPECT_EQ(f.Map(243, 63), 118);
  EXPECT_EQ(f.Map(244, 63), 1);
}

TEST(EventScript, ObjectKindsWindAndMatchingKinds) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  g.Run("om005,012om040,001om-01,001wd-3");
  EXPECT_EQ(f.Obj(5).Kind, 12);
  EXPECT_EQ(f.DriftX, -3);
  g.Run("wd07");
  EXPECT_EQ(f.DriftX, 7);

  f.Obj(0).Kind = 7;
  f.Obj(1) = {};
  f.Obj(1).Kind = 7;
  f.Obj(1).X = 7;
  f.Obj(1).Y = 45;
  f.Obj(1).Param = 9;
  f.Obj(2).Kind = 7;
  f.Obj(2).X = 120;
  f.Obj(2).Y = 3;
  f.Obj(3).Kind = 4;
  f.Flags(1) = 7;
  f.Flags(2) = 0;
  g.Run("mm001,002");  // a flag of 0: nothing
  EXPECT_EQ(f.Obj(1).Kind, 7);
  f.Flags(2) = 5;
  g.Run("mm001,002");
  EXPECT_EQ(f.Obj(0).Kind, 7);  // never the player
  EXPECT_EQ(f.Obj(1).Kind, 5);
  EXPECT_EQ(quelmire::ToUtf8(f.Obj(1).Cmd), "007045");
  EXPECT_EQ(quelmire::ToUtf8(f.Obj(2).Cmd), "120003");
  EXPECT_EQ(f.Obj(1).Param, 9);
  EXPECT_EQ(f.Obj(3).Kind, 4);
  f.Flags(3) = 3;
  g.Run("mm002,003mm002,512");
  EXPECT_EQ(f.Obj(1).Kind, 3);
  EXPECT_EQ(f.Obj(1).Param, 0);
}

TEST(EventScript, SongChangeOnlyForAnotherSong) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  f.SongNo = 1;
  g.Run("md08");
  EXPECT_EQ(f.SongNo, 8);
  EXPECT_EQ(f.MusicOn, True);
  g.Run("md08");
  Json s = g.State();
  std::vector<std::string> ops;
  std::string opened;
  for (const Json& op : s["music"].arr) {
    ops.push_back(op["op"].str);
    if (op["op"].str == "open") opened = op["arg"].str;
  }
  const std::vector<std::string> want = {"stop", "close", "open", "play"};
  EXPECT_EQ(ops, want);
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
  for (const char* text : {"fg",
                           "fg01",
                           "fg0",
                           "ii",
                           "mc1",
                           "mc",
                           "om",
                           "om00",
                           "mm",
                           "mm001",
                           "se",
                           "md",
                           "as",
                           "wd",
                           "if",
                           "iffl",
                           "iffl01",
                           "iffl010=01",
                           "iffl010=01,",
                           "ifit",
                           "jp",
                           "jp005,03",
                           "hn",
                           "hi",
                           "hh",
                           "ms",
                           "ms]",
                           "e",
                           "f",
                           "fgab=cd",
                           "omxx,yy",
                           "mcab,cd,ef",
                           "jpaaaa,bbbb,cccc,dddd",
                           "ifflxyz=ab,x#"}) {
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
