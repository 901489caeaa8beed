// The maze and room loaders on files written by the tests: both maze layouts, the margins,
// the file names, every record kind, the taken-list keys, the emptying of all 39 records,
// and a clear stop naming the file and the line for every kind of bad input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

using namespace testing_support;
using quelmire::String;

struct World {
  TempDir dir;
  std::unique_ptr<HeadlessGame> game;
  World() {
    CopyGameData(dir.path());
    game = std::make_unique<HeadlessGame>(dir.path(), "");
    f().Form_Load();
    p().X = 100;
    p().Y = 100;
    p().Kind = 5;
  }
  quelmire::Form1& f() { return *game->form; }
  quelmire::ObjRecord& p() { return f().Obj(0); }
  fs::path MazePath(int n) const {
    char name[32];
    std::snprintf(name, sizeof name, "maz%03d.map", n);
    return dir.path() / "map" / name;
  }
  // Loads room n from the text; returns the fatal report, or "" when it loaded.
  std::string Room(int n, const std::string& text) {
    WriteRoom(dir.path(), n, text);
    f().RoomNo = static_cast<int16_t>(n);
    return Try([&] { f().LoadRoomData(); });
  }
  std::string Maze(int n) {
    p().Kind = static_cast<int16_t>(n);
    return Try([&] { f().LoadMazeMap(); });
  }
  template <class F>
  static std::string Try(F&& fn) {
    try {
      fn();
    } catch (const platform::FatalError& e) {
      return e.what();
    }
    return "";
  }
};

int Code(int c, int r) {
  return (c * 7 + r * 3) % 160;
}

MazeFile Patterned() {
  MazeFile m;
  for (int r = 0; r < 256; ++r)
    for (int c = 0; c < 256; ++c) m.Set(c, r, Code(c, r));
  return m;
}

// ---------------------------------------------------------------- maze

TEST(WorldMaze, BothLayoutsLoadTheSameMapAndLeaveTheMarginAlone) {
  World w;
  Patterned().Write(w.dir.path(), 7);
  // The other layout: one value a line, with blanks, a sign and leading zeros, LF only,
  // and whatever follows the last value is ignored.
  std::string one;
  for (int r = 0; r < 256; ++r)
    for (int c = 0; c < 256; ++c) {
      const int v = Code(c, r);
      one += (v % 3 == 0 ? "  +00" : v % 3 == 1 ? " " : "") + std::to_string(v) + " \n";
    }
  one += "not a number, and never read\n";
  WriteFile(w.MazePath(8), one);

  for (int r = 0; r <= 257; ++r) w.f().Map(256, r) = 11, w.f().Map(257, r) = 12;
  for (int c = 0; c <= 257; ++c) w.f().Map(c, 256) = 13, w.f().Map(c, 257) = 14;
  for (int maze : {7, 8}) {
    SCOPED_TRACE(maze);
    w.f().Map(0, 0) = 99;
    ASSERT_EQ(w.Maze(maze), "");
    for (int r = 0; r < 256; ++r)
      for (int c = 0; c < 256; ++c) ASSERT_EQ(w.f().Map(c, r), Code(c, r)) << c << "," << r;
    for (int r = 0; r < 256; ++r) ASSERT_EQ(w.f().Map(256, r), 11) << r;
    for (int r = 0; r < 256; ++r) ASSERT_EQ(w.f().Map(257, r), 12) << r;
    for (int c = 0; c < 256; ++c) ASSERT_EQ(w.f().Map(c, 256), 13) << c;
    for (int c = 0; c < 256; ++c) ASSERT_EQ(w.f().Map(c, 257), 14) << c;
  }
}

TEST(WorldMaze, MazeZeroIsReadFromMaz000AndTheViewIsBuiltAtOnce) {
  World w;
  MazeFile m(0);
  m.Set(100, 100, 37);  // the player's cell
  m.Write(w.dir.path(), 0);
  ASSERT_EQ(w.Maze(0), "");
  EXPECT_EQ(w.f().Map(100, 100), 37);
  // The player's cell is buffer cell (10, 10): pixel (320, 320) holds tile 37.
  const auto& ms = *w.f().MapSurface;
  const auto& ts = *w.f().TileSurface;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      ASSERT_EQ(ms.At(320 + x, 320 + y), ts.At(32 * (37 % 8) + x, 32 * (37 / 8) + y));
}

TEST(WorldMaze, ACommaAtTheEndOfALineSeparatesNothing) {
  World w;
  std::string text;
  for (int r = 0; r < 256; ++r) {
    for (int c = 0; c < 256; ++c) text += std::to_string(Code(c, r)) + ",";
    text += "\r\n";
  }
  WriteFile(w.MazePath(9), text);
  ASSERT_EQ(w.Maze(9), "");
  EXPECT_EQ(w.f().Map(255, 255), Code(255, 255));
}

TEST(WorldMaze, BadMazesStopNamingTheFileTheLineAndTheField) {
  World w;
  EXPECT_NE(w.Maze(31).find("maz031.map: cannot open"), std::string::npos) << w.Maze(31);

  auto lines = [](int values, int badRow, int badCol, const std::string& bad) {
    std::string t;
    for (int i = 0; i < values; ++i) {
      const int r = i / 256, c = i % 256;
      t += (r == badRow && c == badCol) ? bad : std::to_string(Code(c, r));
      t += (c == 255) ? "\r\n" : ",";
    }
    return t;
  };
  struct Case {
    std::string text, expect1, expect2;
  } cases[] = {
      {lines(65535, -1, -1, ""), "maz010.map, line 256", "65535 tile codes; it needs 65536"},
      {lines(65536, 3, 5, "160"), "maz010.map, line 4", "column 5, row 3 is 160, outside 0..159"},
      {lines(65536, 3, 5, "-1"), "line 4", "column 5, row 3 is -1, outside 0..159"},
      {lines(65536, 7, 0, "40000"), "line 8", "\"40000\" is outside -32768..32767"},
      {lines(65536, 7, 0, "-32769"), "line 8", "outside -32768..32767"},
      {lines(65536, 200, 9, "1x"), "line 201", "column 9, row 200: \"1x\" is not a whole number"},
      {lines(65536, 200, 9, ""), "line 201", "\"\" is not a whole number"},
      {lines(65536, 0, 1, "abc"), "line 1", "\"abc\" is not a whole number"},
  };
  for (const Case& c : cases) {
    WriteFile(w.MazePath(10), c.text);
    const std::string err = w.Maze(10);
    EXPECT_NE(err.find(c.expect1), std::string::npos) << err;
    EXPECT_NE(err.find(c.expect2), std::string::npos) << err;
  }
}

// ---------------------------------------------------------------- room

TEST(WorldRoom, RecordsFillThingsItemsAndEvents) {
  World w;
  ASSERT_EQ(w.Room(3,
                   "mo,20,21,3,1,2,2,\"wai,van\"\r\n"
                   "mo, 7 , 42 ,5,0,8,0,\r\n"       // kind 5, empty text
                   "mo,0,255,5,0,8,0,anything\r\n"  // home cell at the maze's corner
                   "it,12,34,0\r\n"
                   "xx\r\n"  // skipped
                   "ev,15,16,\"msこんにちは、世界]\"\r\n"
                   "it,13,34,34\r\n"
                   "\r\n"
                   "ev,15,16,%ed\r\n"  // same cell again
                   "@\r\n"
                   "mo,1,1,1,0,0,0,never read\r\n"),
            "");
  auto& f = w.f();
  EXPECT_EQ(f.Obj(1).X, 20);
  EXPECT_EQ(f.Obj(1).Y, 21);
  EXPECT_EQ(f.Obj(1).Kind, 3);
  EXPECT_EQ(f.Obj(1).Face, 1);
  EXPECT_EQ(f.Obj(1).Frame, 2);
  EXPECT_EQ(f.Obj(1).Param, 2);
  EXPECT_EQ(f.Obj(1).Cmd, U"wai,van");
  EXPECT_EQ(f.Obj(2).Cmd, U"007042");
  EXPECT_EQ(f.Obj(2).Frame, 8);
  EXPECT_EQ(f.Obj(3).Cmd, U"000255");
  EXPECT_EQ(f.Obj(4).Kind, 20);
  EXPECT_EQ(f.Obj(4).X, 12);
  EXPECT_EQ(f.Obj(5).Kind, 54);
  EXPECT_EQ(f.Obj(6).Kind, 0);  // nothing after "@"
  EXPECT_EQ(f.EventMap(15, 16), 2);
  EXPECT_EQ(f.EventText(1), U"msこんにちは、世界]");  // the earlier text stays
  EXPECT_EQ(f.EventText(2), U"%ed");
  EXPECT_EQ(f.QuietMode, 0);
}

TEST(WorldRoom, LoadingEmptiesAllThirtyNineRecordsAndTheEventsOfTheLastRoom) {
  World w;
  std::string big;
  for (int i = 1; i <= 39; ++i) big += "mo," + std::to_string(i + 10) + ",50,1,1,3,7,abc\n";
  big += "ev,40,41,ms]\n@\n";
  ASSERT_EQ(w.Room(4, big), "");
  auto& f = w.f();
  EXPECT_EQ(f.Obj(39).Kind, 1);
  for (int i = 1; i <= 39; ++i) {
    f.Obj(i).VX = f.Obj(i).VY = 3, f.Obj(i).Delay = 4, f.Obj(i).OffX = f.Obj(i).OffY = 5;
    f.Obj(i).Anim = 9;
  }
  f.Obj(0).Anim = 6;
  f.DriftX = 2;
  ASSERT_EQ(w.Room(5, "mo,60,61,2,0,0,0,x\n@"), "");
  EXPECT_EQ(f.Obj(1).Kind, 2);
  for (int i = 2; i <= 39; ++i) {
    SCOPED_TRACE(i);
    const auto& o = f.Obj(i);
    EXPECT_EQ(o.Kind, 0);  // no ghosts of the big room, records 32..39 included
    EXPECT_EQ(o.VX | o.VY | o.Delay | o.Param | o.OffX | o.OffY | o.Frame, 0);
    EXPECT_TRUE(o.Cmd.empty());
    EXPECT_EQ(o.X, i + 10);  // kept
    EXPECT_EQ(o.Face, 1);
    EXPECT_EQ(o.Anim, 9);
  }
  EXPECT_EQ(f.Obj(0).Anim, 0);
  EXPECT_EQ(f.DriftX, 0);
  EXPECT_EQ(f.EventMap(40, 41), 0);

  f.QuietMode = -1;
  ASSERT_EQ(w.Room(6, "@"), "");
  for (int i = 1; i <= 39; ++i) EXPECT_EQ(f.Obj(i).Kind, 0);
  EXPECT_EQ(f.QuietMode, 0);
}

TEST(WorldRoom, ATakenItemStaysOutOnlyInItsOwnMaze) {
  World w;
  w.f().TakenList(200) = U" 12 34 5";
  w.f().TakenList(0) = U" 12 34-1";
  const std::string room = "it,12,34,3\nit,1,234,3\n@\n";
  w.p().Kind = 5;
  ASSERT_EQ(w.Room(7, room), "");
  EXPECT_EQ(w.f().Obj(1).Kind, 0);
  EXPECT_EQ(w.f().Obj(2).Kind, 23);  // key " 1 234 5": the same digits, not taken
  w.p().Kind = 6;
  ASSERT_EQ(w.Room(7, room), "");
  EXPECT_EQ(w.f().Obj(1).Kind, 23);
  w.p().Kind = -1;  // entry 0 is compared too
  ASSERT_EQ(w.Room(7, room), "");
  EXPECT_EQ(w.f().Obj(1).Kind, 0);
}

TEST(WorldRoom, AnInitScriptSeesWhatStandsAboveItAndRunsQuietly) {
  World w;
  struct Seen {
    String script;
    int kind1, kind2, event, quiet;
  };
  std::vector<Seen> seen;
  w.f().OnInitScript = [&](const String& s) {
    auto& f = w.f();
    seen.push_back({s, f.Obj(1).Kind, f.Obj(2).Kind, f.EventMap(30, 31), f.QuietMode});
    f.QuietMode = 0;  // as a script ends
  };
  ASSERT_EQ(w.Room(8,
                   "mo,20,20,1,0,0,0,\n"
                   "in,\"fg001=01,mc001,002,003\"\n"
                   "ev,30,31,x\n"
                   "mo,21,20,6,0,0,0,\n"
                   "in,as1\n"
                   "@\n"),
            "");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].script, U"fg001=01,mc001,002,003");
  EXPECT_EQ(seen[0].kind1, 1);
  EXPECT_EQ(seen[0].kind2, 0);
  EXPECT_EQ(seen[0].event, 0);
  EXPECT_EQ(seen[0].quiet, -1);
  EXPECT_EQ(seen[1].kind2, 6);
  EXPECT_EQ(seen[1].event, 1);
  EXPECT_EQ(seen[1].quiet, -1);  // set again before each script
  EXPECT_EQ(w.f().QuietMode, 0);
}

TEST(WorldRoom, BadRoomsStopNamingTheFileTheLineAndTheField) {
  World w;
  std::string things;
  for (int i = 0; i < 39; ++i) things += "it,1,1,0\n";
  std::string events;
  for (int i = 0; i < 255; ++i) events += "ev,1,1,x\n";
  struct Case {
    std::string text, expect1, expect2;
  } cases[] = {
      {things + "mo,1,1,1,0,0,0,\n@", "room011.rdt, line 40", "a 40th thing"},
      {things + "it,1,1,0\n@", "line 40", "a 40th thing"},
      {events + "ev,1,1,x\n@", "line 256", "a 256th event"},
      {"ev,256,0,x\n@", "line 1", "cell (256, 0) is outside 0..255"},
      {"ev,0,-1,x\n@", "line 1", "cell (0, -1) is outside 0..255"},
      {"mo,1,1,1,0,0,0,x\n", "line 1", "ends without its \"@\" record"},
      {"", "room011.rdt", "ends without its \"@\" record"},
      {"\n\nmo,1,1,1,0,0,0,x\nmo,1,1,1,0,0,0,x\n@", "line 3", ""},  // sanity: loads
      {"mo,1,abc,1,0,0,0,x\n@", "line 1", "Y of the \"mo\" record: \"abc\" is not a whole number"},
      {"mo,1,,1,0,0,0,x\n@", "line 1", "Y of the \"mo\" record: \"\" is not a whole number"},
      {"it,1,1,\n@", "line 1", "item number of the \"it\" record: \"\" is not a whole"},
      {"\nev,1,32768,x\n@", "line 2", "row of the \"ev\" record: \"32768\" is outside -32768"},
      {"it,1,1,128\n@", "line 1", "item number of the \"it\" record: 128 is outside 0..127"},
      {"it,1,1,-1\n@", "line 1", "outside 0..127"},
      {"in,\"ms unclosed\n@", "line 1", "has no closing quote on its line"},
      {"mo,1,1,1,0,0\n", "line 1", "ends before the Param of the \"mo\" record"},
      // Values play could not move or draw are refused here, not minutes later.
      {"mo,256,1,1,0,0,0,\n@", "line 1", "X of the \"mo\" record: 256 is outside 0..255"},
      {"it,1,-1,0\n@", "line 1", "Y of the \"it\" record: -1 is outside 0..255"},
      {"mo,1,1,148,0,0,0,\n@", "line 1", "Kind of the \"mo\" record: 148 is outside 0..147"},
      {"mo,1,1,4,10,0,0,\n@", "line 1", "Face of the \"mo\" record: 10 is outside 0..1"},
      {"mo,1,1,11,6,0,0,\n@", "line 1", "Face of the \"mo\" record: 6 is outside 0..5"},
      {"mo,1,1,11,5,99,0,\n@", "line 1", "Frame of the \"mo\" record: 99 is outside 0..20"},
      {"mo,1,1,1,0,0,32767,\n@", "line 1", "Param of the \"mo\" record: 32767 is outside -16..16"},
      {"mo,1,1,19,0,0,32767,\"..1..1\"\n@", "line 1", "32767 is outside -999..999 (a place in"},
      {"mo,1,1,7,0,0,0,12x456\n@", "line 1", "needs its home cell as six digits"},
      {"mo,1,1,8,0,0,0,gz\n@", "line 1", "holds only the speed characters"},
      {"mo,0,255,11,5,20,-16,\nmo,1,1,19,0,0,2,\"..1..1\"\nmo,1,1,8,0,0,0,0t\n@", "", ""},
  };
  for (const Case& c : cases) {
    const std::string err = w.Room(11, c.text);
    SCOPED_TRACE(c.text.substr(0, 60));
    if (c.expect2.empty()) {
      EXPECT_EQ(err, "");
      continue;
    }
    EXPECT_NE(err.find(c.expect1), std::string::npos) << err;
    EXPECT_NE(err.find(c.expect2), std::string::npos) << err;
  }
  w.f().RoomNo = 999;
  const std::string missing = World::Try([&] { w.f().LoadRoomData(); });
  EXPECT_NE(missing.find("room999.rdt: cannot open"), std::string::npos) << missing;
}

}  // namespace
