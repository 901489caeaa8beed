// The room survey on rooms drawn by the test: it finds a pit she cannot leave and an enemy
// that walks onto the place she arrives at, and passes the same room without them, with a
// heart to take, or with a key to fetch for a door that remembers being used.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "test_support.h"

namespace {

using namespace testing_support;

struct SurveyRun {
  int status = -1;
  std::string out;
};

SurveyRun RunSurvey(const fs::path& gameDir) {
  TempDir tmp;
  WriteFile(tmp / "optional.txt", "");
  const std::string cmd = "'" + (BuiltGameDir() / "quelmire_survey").string() + "' --data '" +
                          gameDir.string() + "' --optional '" + (tmp / "optional.txt").string() +
                          "' >'" + (tmp / "out.txt").string() + "' 2>&1";
  const int raw = std::system(cmd.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(tmp / "out.txt")};
}

TEST(Survey, FindsTrapsAndUnsafeArrivalsAndPassesAFairRoom) {
  struct Case {
    const char* what;
    bool pit;
    const char* thing;
    const char* finding;  // nullptr: none
    const char* door = "jp005,022,038,001";
  };
  const Case cases[] = {
      {"a pit one cell wide and five deep", true, "", "room 1: trap: trap at 40,43"},
      {"a beetle beside the arrival", false, "mo,30,38,1,0,0,2,\"\"\r\n",
       "room 1: arrival: arrival at 33,38: a thing of kind 1"},
      {"neither", false, "", nullptr},
      // Taking a heart raises the life ceiling: that is no hurt.
      {"a silver heart over the floor", false, "it,35,37,9\r\n", nullptr},
      // The door sets a flag no script asks about: the room after it takes its moves, the
      // door's included, from the room before.
      {"a key for the door", false, "it,30,38,10\r\n", nullptr,
       "ifit010>00 0msLocked.]ed#fg020=01jp005,022,038,001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scene s;
    // A hall of columns 21..45 over the floor of row 39, closed above and at both sides, with
    // a door (a warp to its own cell, as a save lantern) at its west end.
    s.maze.Fill(20, 30, 46, 30, 0);
    s.maze.Fill(20, 30, 20, 38, 0);
    s.maze.Fill(46, 30, 46, 38, 0);
    if (c.pit) s.maze.Fill(40, 39, 40, 43, 9);
    s.Room(1, std::string(c.thing) + "ev,22,38,\"" + c.door + "\"\r\n@\r\n");
    s.Make();
    const SurveyRun r = RunSurvey(s.dir.path());
    if (c.finding) {
      EXPECT_EQ(r.status, 1) << r.out;
      EXPECT_NE(r.out.find(c.finding), std::string::npos) << r.out;
    } else {
      EXPECT_EQ(r.status, 0) << r.out;
      EXPECT_NE(r.out.find("quelmire_survey: 0 findings"), std::string::npos) << r.out;
    }
  }
}

}  // namespace
