// The bundled world through the real loaders: every maze and room loads, the places the
// screens show lie where the view can be cut out, the warps lead through every room onto
// floor and, once the summit exists, one event ends the game; and data/ is what assets/ builds.
// (A new game's start is walked by the recorded routes.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using namespace testing_support;

constexpr int kSolid = 3;

struct Game {
  HeadlessGame g{BuiltGameDir(), ""};
  quelmire::Form1& f = (g.form->Form_Load(), *g.form);
  bool Solid(int c, int r) { return f.TileAttr(f.Map(c, r)) == kSolid; }
  void LoadMaze(int maze, int x, int y, bool load = true) {
    auto& p = f.Obj(0) = {};
    p.X = static_cast<int16_t>(x), p.Y = static_cast<int16_t>(y),
    p.Kind = static_cast<int16_t>(maze);
    if (load) f.LoadMazeMap();
  }
};

bool InsideView(int x, int y) {
  return x >= 10 && x <= 247 && y >= 10 && y <= 252;
}

TEST(WorldData, ScreensShowBuiltPlacesInsideTheView) {
  Game g;
  // The intro fall and the eight credits scenes.
  const std::tuple<int, int, int> views[] = {{4, 135, 249}, {0, 70, 58},  {1, 65, 35},
                                             {2, 212, 55},  {3, 38, 106}, {4, 35, 182},
                                             {5, 186, 117}, {5, 38, 36},  {6, 17, 17}};
  for (const auto& [maze, x, y] : views) {
    SCOPED_TRACE(testing::Message() << maze << ": " << x << "," << y);
    ASSERT_TRUE(InsideView(x, y));
    g.LoadMaze(maze, x, y);
    // The credits show columns x-5..x+5 and rows y-10..y+5: at least half of it open space,
    // so a scene is a place and not a wall of rock.
    int open = 0;
    for (int r = y - 10; r <= y + 5; ++r)
      for (int c = x - 5; c <= x + 5; ++c) open += !g.Solid(c, r);
    EXPECT_GE(open * 2, 16 * 11) << open << " cells open";
  }
  // The intro: the heroine falls down an open shaft, to the bottom of the view and above it.
  g.LoadMaze(4, 135, 249);
  for (int r = 239; r <= 254; ++r) EXPECT_FALSE(g.Solid(135, r)) << "row " << r;
  EXPECT_TRUE(g.Solid(125, 249) && g.Solid(145, 249));
}

TEST(WorldData, WarpsLeadThroughEveryRoomOntoFloor) {
  Game g;
  auto& f = g.f;
  // Warp targets (maze, column, row, room), from the start; "jp" commands add theirs.
  std::vector<std::array<int, 4>> todo = {{5, 33, 38, 1}}, landings;
  std::set<int> seen;
  bool ending = false;
  while (!todo.empty()) {
    const auto w = todo.back();
    todo.pop_back();
    landings.push_back(w);
    if (!seen.insert(w[3]).second) continue;
    // The room as a warp shows it: the player on the landing cell of its maze.
    g.LoadMaze(w[0], w[1], w[2], false);
    f.RoomNo = static_cast<int16_t>(w[3]);
    f.LoadRoomData();
    for (int k = 1; k <= 255; ++k) {
      const std::string s = quelmire::ToUtf8(f.EventText(k));
      for (size_t p = s.find("jp"); p != std::string::npos && p + 17 <= s.size();
           p = s.find("jp", p + 2))
        todo.push_back({std::atoi(&s[p + 2]), std::atoi(&s[p + 6]), std::atoi(&s[p + 10]),
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
    if (i == 0 || landings[i - 1][0] != maze) g.LoadMaze(maze, x, y);
    EXPECT_TRUE(InsideView(x, y + 5) && !g.Solid(x, y) && !g.Solid(x, y - 1) && g.Solid(x, y + 1));
  }
  // Every bundled room is reached.
  for (const auto& e : fs::directory_iterator(BuiltGameDir() / "map")) {
    const std::string name = e.path().filename().string();
    EXPECT_TRUE(name.rfind("room", 0) != 0 || seen.count(std::atoi(&name[4])))
        << name << " is never reached";
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
