// The bundled world through the real loaders: every maze and room loads, the places the
// screens show lie where the view can be cut out, the player starts and lands on floor, the
// warps lead through every room and, once the summit exists, one event ends the game; and
// data/ is what assets/ builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using namespace testing_support;

constexpr int kSolid = 3;

struct Game {
  Game() : g(BuiltGameDir(), "") { g.form->Form_Load(); }
  quelmire::Form1& f() { return *g.form; }
  HeadlessGame g;
};

struct View {
  int maze, x, y;
  const char* what;
};

// The intro fall and the eight credits scenes.
const View kViews[] = {
    {4, 135, 249, "intro fall"}, {0, 70, 58, "credits 1"},  {1, 65, 35, "credits 2"},
    {2, 212, 55, "credits 3"},   {3, 38, 106, "credits 4"}, {4, 35, 182, "credits 5"},
    {5, 186, 117, "credits 6"},  {5, 38, 36, "credits 7"},  {6, 17, 17, "credits 8"},
};

bool InsideView(int x, int y) {
  return x >= 10 && x <= 247 && y >= 10 && y <= 252;
}

int Class(quelmire::Form1& f, int c, int r) {
  return f.TileAttr(f.Map(c, r));
}

void LoadMaze(quelmire::Form1& f, int maze, int x, int y) {
  auto& p = f.Obj(0);
  p = quelmire::ObjRecord{};
  p.X = static_cast<int16_t>(x);
  p.Y = static_cast<int16_t>(y);
  p.Kind = static_cast<int16_t>(maze);
  f.LoadMazeMap();
}

TEST(WorldData, ScreensShowBuiltPlacesInsideTheView) {
  Game game;
  auto& f = game.f();
  for (const View& v : kViews) {
    SCOPED_TRACE(v.what);
    ASSERT_TRUE(InsideView(v.x, v.y));
    LoadMaze(f, v.maze, v.x, v.y);
    // The credits show columns x-5..x+5 and rows y-10..y+5: at least half of it open space,
    // so a scene is a place and not a wall of rock.
    int open = 0;
    for (int r = v.y - 10; r <= v.y + 5; ++r)
      for (int c = v.x - 5; c <= v.x + 5; ++c) open += Class(f, c, r) != kSolid;
    EXPECT_GE(open * 2, 16 * 11) << open << " cells open";
  }
  // The intro: the heroine falls down an open shaft, to the bottom of the view and above it.
  LoadMaze(f, 4, 135, 249);
  for (int r = 239; r <= 254; ++r) EXPECT_NE(Class(f, 135, r), kSolid) << "row " << r;
  EXPECT_TRUE(Class(f, 125, 249) == kSolid && Class(f, 145, 249) == kSolid);
}

// Warp targets of a script: (maze, column, row, room) of each "jp".
struct Warp {
  int maze, x, y, room;
};
std::vector<Warp> WarpsOf(const std::string& s) {
  std::vector<Warp> out;
  for (size_t p = s.find("jp"); p != std::string::npos; p = s.find("jp", p + 2)) {
    if (p + 17 > s.size()) continue;
    out.push_back({std::atoi(s.substr(p + 2, 3).c_str()), std::atoi(s.substr(p + 6, 3).c_str()),
                   std::atoi(s.substr(p + 10, 3).c_str()), std::atoi(s.substr(p + 14, 3).c_str())});
  }
  return out;
}

void ExpectStandingPlace(quelmire::Form1& f, int x, int y) {
  EXPECT_TRUE(InsideView(x, y + 5)) << x << "," << y;
  EXPECT_NE(Class(f, x, y), kSolid) << x << "," << y;
  EXPECT_NE(Class(f, x, y - 1), kSolid) << x << "," << y - 1;
  EXPECT_EQ(Class(f, x, y + 1), kSolid) << "no floor under " << x << "," << y;
}

TEST(WorldData, NewGameStartsOnFloorAndStaysThere) {
  Game game;
  StartPlay(game.g, 5, 1, 33, 38);
  auto& f = game.f();
  ExpectStandingPlace(f, 33, 38);
  EXPECT_EQ(f.SongNo, 2);  // the room's init script
  int things = 0;
  for (int i = 1; i <= 39; ++i) things += f.Obj(i).Kind > 0;
  EXPECT_GE(things, 5);
  RunTicks(game.g, 20);
  // Nothing moves or hurts her where she lands.
  EXPECT_EQ(std::tuple(f.Obj(0).X, f.Obj(0).Y, f.AirTime, f.Life), std::tuple(33, 38, 0, 3));
}

TEST(WorldData, WarpsLeadThroughEveryRoom) {
  Game game;
  auto& f = game.f();
  std::vector<Warp> todo = {{5, 33, 38, 1}}, landings;
  std::set<int> seen;
  bool ending = false;
  while (!todo.empty()) {
    const Warp w = todo.back();
    todo.pop_back();
    landings.push_back(w);
    if (!seen.insert(w.room).second) continue;
    // The room as a warp shows it: the player on the landing cell of its maze.
    auto& p = f.Obj(0) = {};
    p.X = static_cast<int16_t>(w.x), p.Y = static_cast<int16_t>(w.y);
    p.Kind = static_cast<int16_t>(w.maze);
    f.RoomNo = static_cast<int16_t>(w.room);
    f.LoadRoomData();
    for (int k = 1; k <= 255; ++k) {
      const std::string s = quelmire::ToUtf8(f.EventText(k));
      for (const Warp& next : WarpsOf(s)) todo.push_back(next);
      const size_t md = s.find("md10"), fn = s.find("fn");
      ending |= md != std::string::npos && fn != std::string::npos && md < fn;
    }
  }
  // Every landing is a place to stand, in the maze its warp names; each maze is read once.
  std::sort(landings.begin(), landings.end(), [](auto& a, auto& b) { return a.maze < b.maze; });
  for (size_t i = 0; i < landings.size(); ++i) {
    const Warp& w = landings[i];
    SCOPED_TRACE("room " + std::to_string(w.room));
    if (i == 0 || landings[i - 1].maze != w.maze) LoadMaze(f, w.maze, w.x, w.y);
    ExpectStandingPlace(f, w.x, w.y);
  }
  // Every bundled room is reached.
  for (const auto& e : fs::directory_iterator(BuiltGameDir() / "map")) {
    std::string name = e.path().filename().string();
    if (name.rfind("room", 0) == 0) {
      EXPECT_TRUE(seen.count(std::atoi(name.substr(4, 3).c_str()))) << name << " is never reached";
    }
  }
  // The ending is the summit's (room 40); until that room is built the world ends at a landing.
  if (fs::exists(BuiltGameDir() / "map" / "room040.rdt")) {
    EXPECT_TRUE(ending) << "no event selects song 10 and asks for the ending";
  }
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
