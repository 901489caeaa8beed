// The maze and room loaders on files written by the tests: the other maze layouts, the margins,
// the file names, every record kind, the taken-list keys, the emptying of all 39 records,
// and a clear stop naming the file and the line for every kind of bad input. The inputs the
// fuzz targets once stopped on, replayed through the targets themselves, must end as a clean
// refusal or as play that goes on (a finding aborts the test program); and the bounds that
// keep accepted values playable, through the real game. Then the bundled world: every room
// loads, the places the screens show are open, every warp lands on floor and, once the summit
// exists, one event ends the game; and data/ is what assets/ builds (the world builder's checks
// of reachability and landing cells included). (A new game's start is walked by the routes.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "../fuzz/game_harness.h"
#include "platform_fixtures.h"
#include "test_support.h"

// The fuzz targets' entry points, renamed Fuzz_<target> for this program.
#define FUZZ_TARGETS(X) X(maze) X(room) X(script) X(save) X(input_script) X(bmp) X(wav)
#define DECLARE(t) extern "C" int Fuzz_##t(const uint8_t*, size_t);
FUZZ_TARGETS(DECLARE)

namespace {

using namespace testing_support;
using platform_fixtures::ErrorOf;
using platform_fixtures::Holds;
using quelmire::ToUtf8;

struct World {
  TempDir dir;
  HeadlessGame game{(CopyGameData(dir.path()), dir.path()), ""};
  World() {
    f().Form_Load();
    p().X = p().Y = 100, p().Kind = 5;
  }
  quelmire::Form1& f() { return *game.form; }
  quelmire::ObjRecord& p() { return f().Obj(0); }
  fs::path MazePath(int n) const {
    return dir / "map" / ("maz" + std::to_string(1000 + n).substr(1) + ".map");
  }
  // Loads room n from the text, or maze n; the fatal report, or "" when it loaded.
  std::string Room(int n, const std::string& text) {
    WriteRoom(dir.path(), n, text);
    f().RoomNo = static_cast<int16_t>(n);
    return ErrorOf([&] { f().LoadRoomData(); });
  }
  std::string Maze(int n) {
    p().Kind = static_cast<int16_t>(n);
    return ErrorOf([&] { f().LoadMazeMap(); });
  }
  // The player alone at (x, y) of the maze, loaded.
  void Place(int maze, int x, int y) {
    p() = {};
    p().X = static_cast<int16_t>(x), p().Y = static_cast<int16_t>(y);
    p().Kind = static_cast<int16_t>(maze);
    f().LoadMazeMap();
  }
  bool Solid(int c, int r) { return f().TileAttr(f().Map(c, r)) == 3; }
};

int Code(int c, int r) {
  return (c * 7 + r * 3) % 160;
}

TEST(WorldMaze, EveryLayoutLoadsTheSameMapBuildsTheViewAndLeavesTheMarginAlone) {
  World w;
  // Besides the comma layout every test writes: one value a line, with blanks, a sign and
  // leading zeros, LF only, and blank lines at the end; a comma at each line's end.
  std::string one, trailing;
  for (int r = 0; r < 256; ++r, trailing += "\r\n")
    for (int c = 0; c < 256; ++c) {
      const int v = Code(c, r);
      one += (v % 3 == 0 ? "  +00" : v % 3 == 1 ? " " : "") + std::to_string(v) + " \n";
      trailing += std::to_string(v) + ",";
    }
  WriteFile(w.MazePath(8), one + " \n\n");
  WriteFile(w.MazePath(9), trailing);
  auto& f = w.f();
  for (int i = 0; i <= 257; ++i)
    f.Map(256, i) = 11, f.Map(257, i) = 12, f.Map(i, 256) = 13, f.Map(i, 257) = 14;
  const auto &ms = *f.MapSurface, &ts = *f.TileSurface;
  for (int maze : {8, 9}) {
    SCOPED_TRACE(maze);
    f.Map(0, 0) = 99;
    ASSERT_EQ(w.Maze(maze), "");
    for (int r = 0; r < 256; ++r)
      for (int c = 0; c < 256; ++c) ASSERT_EQ(f.Map(c, r), Code(c, r)) << c << "," << r;
    for (int i = 0; i < 256; ++i)
      ASSERT_TRUE(f.Map(256, i) == 11 && f.Map(257, i) == 12 && f.Map(i, 256) == 13 &&
                  f.Map(i, 257) == 14)
          << i;
    // The view is built at once: the player's cell (100, 100) is buffer cell (10, 10).
    const int t = Code(100, 100);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        ASSERT_EQ(ms.At(320 + x, 320 + y), ts.At(32 * (t % 8) + x, 32 * (t / 8) + y));
  }
}

TEST(WorldRoom, RecordsFillThingsItemsEventsAndInitScriptsAndTheNextRoomEmptiesAllThirtyNine) {
  World w;
  auto& f = w.f();
  std::vector<std::tuple<std::string, int, int, int, int>> seen;
  f.OnInitScript = [&](const quelmire::String& s) {
    seen.emplace_back(ToUtf8(s), f.Obj(4).Kind, f.Obj(5).Kind, f.EventMap(15, 16), f.QuietMode);
    f.QuietMode = 0;  // as a script ends
  };
  // Item keys are compared whole, entry 0 included: " 1 234 5" has a taken key's digits.
  f.TakenList(200) = U" 12 34 5";
  f.TakenList(0) = U" 12 34-1";
  for (const auto& [maze, item] : {std::pair(5, 0), {6, 23}, {-1, 0}}) {
    seen.clear();
    w.p().Kind = static_cast<int16_t>(maze);
    ASSERT_EQ(w.Room(3,
                     "mo,20,21,3,1,2,2,\"wai,van\"\r\n"
                     "mo, 7 , 42 ,5,0,8,0,\r\n"       // kind 5, empty text
                     "mo,0,255,5,0,8,0,anything\r\n"  // home cell at the maze's corner
                     "it,12,34,3,\r\n,\r\n"           // empty fields hold no record
                     "ev,15,16,\"msこんにちは、世界]\"\r\nin,as1\r\n"
                     "it,1,234,3\r\n\r\n"
                     "ev,15,16,%ed\r\n"  // same cell again
                     "in,\"fg001=01,mc001,002,003\"\r\n@\r\n"
                     "mo,1,1,1,0,0,0,never read\r\n"),
              "");
    EXPECT_EQ(std::tuple(f.Obj(4).Kind, f.Obj(5).Kind), std::tuple(item, 23)) << maze;
  }
  auto o = [&](int i) {
    const auto& r = f.Obj(i);
    return std::tuple(r.X, r.Y, r.Kind, r.Face, r.Frame, r.Param, ToUtf8(r.Cmd));
  };
  EXPECT_EQ(o(1), std::tuple(20, 21, 3, 1, 2, 2, "wai,van"));
  EXPECT_EQ(o(2), std::tuple(7, 42, 5, 0, 8, 0, "007042"));  // a chaser's home: its own cell
  EXPECT_EQ(o(3), std::tuple(0, 255, 5, 0, 8, 0, "000255"));
  EXPECT_EQ(
      std::tuple(f.Obj(6).Kind, f.EventMap(15, 16), ToUtf8(f.EventText(1)), ToUtf8(f.EventText(2))),
      std::tuple(0, 2, "msこんにちは、世界]", "%ed"));  // the earlier text stays
  // Quiet is set again before each script, and off after the room.
  EXPECT_EQ(seen, (decltype(seen){{"as1", 0, 0, 1, -1}, {"fg001=01,mc001,002,003", 0, 23, 2, -1}}));
  EXPECT_EQ(f.QuietMode, 0);
  // The next room empties all 39 records and the events of the last room.
  std::string big;
  for (int i = 1; i <= 39; ++i) big += "mo," + std::to_string(i + 10) + ",50,1,1,3,7,abc\n";
  ASSERT_EQ(w.Room(4, big + "ev,40,41,ms]\n@\n"), "");
  EXPECT_EQ(f.Obj(39).Kind, 1);
  for (int i = 1; i <= 39; ++i) {
    auto& o = f.Obj(i);
    o.VX = o.VY = 3, o.Delay = 4, o.OffX = o.OffY = 5, o.Anim = 9;
  }
  f.Obj(0).Anim = 6;
  f.DriftX = 2;
  ASSERT_EQ(w.Room(5, "mo,60,61,2,0,0,0,x\n@"), "");
  EXPECT_EQ(f.Obj(1).Kind, 2);
  for (int i = 2; i <= 39; ++i) {
    // No ghosts of the big room, records 32..39 included; place, face and step are kept.
    const auto& o = f.Obj(i);
    EXPECT_EQ(std::tuple(o.Kind, o.VX | o.VY | o.Delay | o.Param | o.OffX | o.OffY | o.Frame,
                         o.Cmd.size(), o.X, o.Face, o.Anim),
              std::tuple(0, 0, 0u, i + 10, 1, 9))
        << i;
  }
  EXPECT_EQ(std::tuple(f.Obj(0).Anim, f.DriftX, f.EventMap(40, 41)), std::tuple(0, 0, 0));
  f.QuietMode = -1;
  ASSERT_EQ(w.Room(6, "@"), "");
  EXPECT_EQ(std::tuple(f.Obj(1).Kind, f.Obj(39).Kind, f.QuietMode), std::tuple(0, 0, 0));
}

TEST(WorldFiles, BadMazesAndRoomsStopNamingTheFileTheLineAndTheField) {
  World w;
  EXPECT_TRUE(Holds(w.Maze(31), {"maz031.map: cannot open"}));
  auto lines = [](int values, int badRow, int badCol, const std::string& bad) {
    std::string t;
    for (int i = 0; i < values; ++i) {
      const int r = i / 256, c = i % 256;
      t += (r == badRow && c == badCol ? bad : std::to_string(Code(c, r))) +
           (c == 255 ? "\r\n" : ",");
    }
    return t;
  };
  // A row too long or too short, a doubled row, text after the last, all rows on one line:
  // each would shift every wall after it.
  const std::string good = lines(65536, -1, -1, ""), first = good.substr(0, good.find('\n') + 1);
  std::string oneLine, oneCode;
  for (char c : good)
    if (c != '\r') oneLine += c == '\n' ? ',' : c;
  for (int i = 0; i < 65536; ++i) oneCode += "1\n";
  const std::tuple<std::string, std::string, std::string> mazes[] = {
      {lines(65535, -1, -1, ""), "maz010.map, line 256", "row 255 holds 255 tile codes; a row"},
      {lines(65536, 3, 5, "1,1"), "maz010.map, line 4", "row 3 holds 257 tile codes"},
      {first + good, "line 257", "a 257th row; a maze holds 256 rows"},
      {good + "\r\n 0\r\n", "line 258", "a 257th row"},
      {oneCode + "junk\n", "line 65537", "a 65537th tile code"},
      {oneCode.substr(2) + "1,1\n", "line 65536", "holds 2 tile codes; this maze has one code a"},
      {oneLine, "maz010.map, line 1", "row 0 holds 65536 tile codes"},
      {lines(65536, 3, 5, "160"), "maz010.map, line 4", "column 5, row 3 is 160, outside 0..159"},
      {lines(65536, 3, 5, "-1"), "line 4", "column 5, row 3 is -1, outside 0..159"},
      {lines(65536, 7, 0, "40000"), "line 8", "\"40000\" is outside -32768..32767"},
      {lines(65536, 200, 9, "1x"), "line 201", "column 9, row 200: \"1x\" is not a whole number"},
      {lines(65536, 200, 9, ""), "line 201", "\"\" is not a whole number"},
  };
  for (const auto& [text, where, what] : mazes) {
    WriteFile(w.MazePath(10), text);
    EXPECT_TRUE(Holds(w.Maze(10), {where, what}));
  }
  std::string things, events;
  for (int i = 0; i < 39; ++i) things += "it,1,1,0\n";
  for (int i = 0; i < 255; ++i) events += "ev,1,1,x\n";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {things + "mo,1,1,1,0,0,0,\n@", "room011.rdt, line 40", "a 40th thing"},
      {events + "ev,1,1,x\n@", "line 256", "a 256th event"},
      {"ev,256,0,x\n@", "line 1", "cell (256, 0) is outside 0..255"},
      {"ev,0,-1,x\n@", "line 1", "cell (0, -1) is outside 0..255"},
      {"mo,1,1,1,0,0,0,x\n", "line 1", "ends without its \"@\" record"},
      {"", "room011.rdt", "ends without its \"@\" record"},
      {"\n\nmo,1,1,1,0,0,0,x\nmo,1,1,1,0,0,0,x\n@", "", ""},
      {"mo,1,abc,1,0,0,0,x\n@", "line 1", "Y of the \"mo\" record: \"abc\" is not a whole number"},
      {"mo,1,,1,0,0,0,x\n@", "line 1", "Y of the \"mo\" record: \"\" is not a whole number"},
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
      // A mistyped keyword, a field too many, text after a closing quote, a lost quote: each
      // would drop or shift what follows (a door script cut at its comma loses its warp).
      {"om,1,1,19,0,0,2,\"..1\"\n@", "line 1", "\"om\" where a record starts: no record"},
      {"it,1,1,0,5\n@", "line 1", "\"5\" where a record starts"},
      {"ev,1,1,msa,jp005,092,038,002\n@", "line 1", "\"jp005\" where a record starts"},
      {"\nev,1,1,\"ms]\" x\n@", "line 2", "\"ms]\" is followed by \"x\" before the next comma"},
      {"ev,1,1,ms\"a,b\"\n@", "line 1", "\"ms\"a\" holds a double quote but does not start"},
  };
  for (const auto& [text, where, what] : cases)
    EXPECT_TRUE(what.empty() ? Holds(w.Room(11, text)) : Holds(w.Room(11, text), {where, what}))
        << text;
  w.f().RoomNo = 999;
  EXPECT_TRUE(Holds(ErrorOf([&] { w.f().LoadRoomData(); }), {"room999.rdt: cannot open"}));
}

TEST(FuzzRegressions, EveryKeptInputEndsCleanlyAndReadersKeepValuesPlayable) {
#define ROW(t) {#t, Fuzz_##t},
  const std::pair<const char*, int (*)(const uint8_t*, size_t)> targets[] = {FUZZ_TARGETS(ROW)};
  int replayed = 0;
  for (const auto& [name, run] : targets) {
    const fs::path dir = SourceDir() / "fuzz" / "regressions" / name;
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      SCOPED_TRACE(entry.path().string());
      const std::string bytes = ReadFile(entry.path());
      run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), ++replayed;
    }
  }
  EXPECT_GT(replayed, 0);
  // The bounds that keep accepted values playable: a heart found at the most hearts keeps the
  // ceiling, and scripts turn things only into kinds that can move.
  for (const char* item : {"8", "9"}) {  // golden (+3) and silver (+1)
    fuzz::WriteGameFile("map/room009.rdt", std::string("it,34,38,") + item + "\n@\n");
    quelmire::Form1& f = fuzz::FreshGame(std::string_view("\x00\x10", 2));
    fuzz::StartPlay(f, 5, 9, 34, 38);
    f.LifeMax = 19;
    fuzz::PlayTicks(f, 40);
    EXPECT_EQ(std::tuple(f.ItemCount(std::stoi(item)), f.LifeMax),
              std::tuple(1, quelmire::Form1::kMostHearts))
        << item;
  }
  // Scripts turn things only into kinds that can move.
  quelmire::Form1& f = fuzz::FreshGame("");
  fuzz::StartPlay(f, 5, 1, 33, 38);
  for (int i = 1; i <= 3; ++i) {
    auto& o = f.Obj(i) = {};
    o.Kind = 11, o.X = static_cast<quelmire::Integer>(40 + i), o.Y = 30;
    o.Face = 4, o.Param = 30, o.Cmd = U"..0wai^.2";
  }
  f.Flags(9) = 11;
  f.Flags(10) = 200;
  f.RunEventScript(U"om001,200om002,001mm009,010");
  // 200 is no kind; kind 1 keeps only the face and step it can use. (A chaser's home and a
  // follower's text are the kept script inputs replayed above.)
  using Want = std::tuple<int, int, int, std::string>;
  const Want want[] = {{11, 4, 30, "..0wai^.2"}, {1, 1, 16, "..0wai^.2"}, {11, 4, 30, "..0wai^.2"}};
  for (int i = 1; i <= 3; ++i) {
    const auto& o = f.Obj(i);
    EXPECT_EQ(Want(o.Kind, o.Face, o.Param, ToUtf8(o.Cmd)), want[i - 1]) << i;
  }
}

// ---------------------------------------------------------------- the bundled world

TEST(WorldData, ScreensShowOpenPlacesAndEveryWarpLandsOnFloor) {
  World g;
  // The intro fall and the eight credits scenes.
  const std::tuple<int, int, int> views[] = {{4, 135, 249}, {0, 70, 58},  {1, 65, 35},
                                             {2, 212, 55},  {3, 38, 106}, {4, 35, 182},
                                             {5, 186, 117}, {5, 38, 36},  {6, 17, 17}};
  for (const auto& [maze, x, y] : views) {
    SCOPED_TRACE(testing::Message() << maze << ": " << x << "," << y);
    g.Place(maze, x, y);
    // The credits show columns x-5..x+5 and rows y-10..y+5: at least half of it open space,
    // so a scene is a place and not a wall of rock.
    int open = 0;
    for (int r = y - 10; r <= y + 5; ++r)
      for (int c = x - 5; c <= x + 5; ++c) open += !g.Solid(c, r);
    EXPECT_GE(open * 2, 16 * 11) << open << " cells open";
  }
  // The intro: the heroine falls down an open shaft, to the bottom of the view and above it.
  g.Place(4, 135, 249);
  for (int r = 239; r <= 254; ++r) EXPECT_FALSE(g.Solid(135, r)) << "row " << r;
  EXPECT_TRUE(g.Solid(125, 249) && g.Solid(145, 249));
  auto& f = g.f();
  // The start, and the warp targets (maze, column, row, room) of every bundled room's events.
  std::vector<std::array<int, 4>> landings = {{5, 33, 38, 1}};
  bool ending = false;
  for (const auto& e : fs::directory_iterator(BuiltGameDir() / "map")) {
    const std::string name = e.path().filename().string();
    if (name.rfind("room", 0) != 0) continue;
    f.RoomNo = static_cast<int16_t>(std::atoi(&name[4]));
    f.LoadRoomData();
    for (int k = 1; k <= 255; ++k) {
      const std::string s = quelmire::ToUtf8(f.EventText(k));
      for (size_t p = s.find("jp"); p != std::string::npos && p + 17 <= s.size();
           p = s.find("jp", p + 2))
        landings.push_back({std::atoi(&s[p + 2]), std::atoi(&s[p + 6]), std::atoi(&s[p + 10]),
                            std::atoi(&s[p + 14])});
      const size_t md = s.find("md10"), fn = s.find("fn");
      ending |= md != std::string::npos && fn != std::string::npos && md < fn;
    }
  }
  // Every landing is a place to stand, in the maze its warp names; each maze is read once.
  std::sort(landings.begin(), landings.end());
  for (size_t i = 0; i < landings.size(); ++i) {
    const auto [maze, x, y, room] = landings[i];
    SCOPED_TRACE(testing::Message() << "room " << room << ": " << x << "," << y);
    if (i == 0 || landings[i - 1][0] != maze) g.Place(maze, x, y);
    // The view follows her there (the world builder checks the cell and the one above are
    // open); she lands on floor.
    EXPECT_TRUE(g.Solid(x, y + 1));
  }
  // The ending is the summit's (room 40); until that room is built the world ends at a landing.
  EXPECT_TRUE(ending || !fs::exists(BuiltGameDir() / "map" / "room040.rdt"))
      << "no event selects song 10 and asks for the ending";
}

// data/ is exactly what the project's own tools build from assets/ (the world builder's own
// whole-world checks included).
TEST(DataSources, DataMatchesWhatTheSourcesBuild) {
  if (std::system("command -v python3 >/dev/null && command -v abc2midi >/dev/null") != 0) {
    GTEST_SKIP() << "python3 or abc2midi missing";
  }
  TempDir out;
  const std::string cmd = "python3 '" + (SourceDir() / "tools" / "build_data.py").string() +
                          "' --check >/dev/null 2>'" + (out / "err.txt").string() + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << ReadFile(out / "err.txt");
}

}  // namespace
