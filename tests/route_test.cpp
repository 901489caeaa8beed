// The recorded routes (tests/routes/*.txt) replayed on the built game: each must be recorded
// from its route source as it stands, play to its end, and meet every checkpoint it recorded
// (room, maze, cell, life, counts). A change to the world or the physics that breaks the way
// through fails here; record the route again with quelmire_route when the change is meant.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "route_language.h"
#include "test_support.h"

namespace {

using namespace testing_support;

// A state dump without its two maps (numbers only, next to each other): parsing them is slow
// in the sanitizer build, and no check reads them.
Json ParseDump(std::string dump) {
  const size_t map = dump.find("\"Map\":"), after = dump.find("\"TileAttr\":");
  if (map < after && after != std::string::npos) dump.erase(map, after - map);
  return ParseJson(dump);
}

// The measurements of a checkpoint, as the recorder writes them, from a state dump.
std::string Measure(const Json& s) {
  const Json &p = s["Obj"][0], &counts = s["ItemCount"];
  long items = 0, entries = 0;
  for (size_t i = 1; i <= 34; ++i) items += counts[i].Int();
  for (size_t i = 1; i <= 511; ++i) entries += !s["TakenList"][i].str.empty();
  std::ostringstream m;
  m << "room=" << s["RoomNo"].Int() << " maze=" << p["Kind"].Int() << " cell=" << p["X"].Int()
    << "," << p["Y"].Int() << " life=" << s["Life"].Int() << " lifemax=" << s["LifeMax"].Int()
    << " crystals=" << counts[0].Int() << " items=" << items << " taken=" << entries;
  return m.str();
}

// The ending's completion percentage from a state dump, by the tally's rule: crystals 0.5 %
// each, orbs 3 %, keys 1 %, special items 0.1 %, and 0.5 % a heart over the first three.
long TallyPercent(const Json& s) {
  auto sum = [&](size_t from, size_t to) {
    long n = 0;
    for (size_t i = from; i <= to; ++i) n += s["ItemCount"][i].Int();
    return n;
  };
  return (50 * sum(0, 0) + 300 * sum(1, 7) + 100 * sum(10, 29) + 50 * (s["LifeMax"].Int() - 3) +
          10 * sum(30, 34)) /
         100;
}

// Each route replays with the built game in a fresh game folder, and each checkpoint's state
// dump measures what the recording measured.
TEST(Routes, ReplayThroughEveryCheckpoint) {
  int routes = 0;
  for (const auto& e : fs::directory_iterator(SourceDir() / "tests/routes")) {
    const fs::path script = e.path();
    if (script.extension() != ".txt") continue;
    ++routes;
    SCOPED_TRACE(script.filename().string());
    const fs::path source = fs::path(script).replace_extension(".route");
    const std::string text = ReadFile(script);
    ASSERT_NE(text.find("# route " + route::SourceHash(ReadFile(source)) + "\n"), std::string::npos)
        << "not recorded from " << source << ": quelmire_route " << source << " " << script;
    // A recording that stopped partway ends "quit  # failed here: ...": it proves nothing past
    // that line, however well it replays.
    const size_t last = text.find_last_not_of('\n');
    const std::string end = text.substr(text.rfind('\n', last) + 1, last - text.rfind('\n', last));
    ASSERT_EQ(end.find('#'), std::string::npos) << "the recording did not finish: " << end;
    // The whole game replays in English as well: the same inputs reach the same places.
    const std::vector<std::string> languages = script.filename() == "complete.txt"
                                                   ? std::vector<std::string>{"ja", "en"}
                                                   : std::vector<std::string>{"ja"};
    for (const std::string& lang : languages) {
      SCOPED_TRACE("--lang " + lang);
      TempDir dir;
      CopyGameData(dir.path());
      // A route that loads a game starts with its save in slot 1, as the recorder gave it.
      const std::string load = "load game from ";
      if (const size_t at = text.find(": " + load); at != std::string::npos) {
        const size_t from = at + 2 + load.size();
        fs::copy_file(
            SourceDir() / "tests/routes" / text.substr(from, text.find('\n', from) - from),
            dir / "savedata1.sav");
      }
      const std::string cmd = "cd '" + dir.path().string() + "' && '" +
                              (BuiltGameDir() / "quelmire").string() +
                              "' --headless --data . --lang " + lang + " --input '" +
                              script.string() + "' 2>err.txt >/dev/null";
      ASSERT_EQ(std::system(cmd.c_str()), 0) << ReadFile(dir / "err.txt");
      ASSERT_EQ(ReadFile(dir / "err.txt").find("playing in Japanese"), std::string::npos);
      std::istringstream lines(text);
      int checkpoints = 0;
      Json lastDump;
      for (std::string line; std::getline(lines, line);) {
        // The ending's tally: its screen was shot, and the state there makes the percentage
        // the recording saw.
        if (const size_t shot = line.find(" screenshot tally.png  # tally ");
            shot != std::string::npos) {
          SCOPED_TRACE(line);
          EXPECT_TRUE(fs::exists(dir / "tally.png"));
          EXPECT_EQ(TallyPercent(lastDump), std::stol(line.substr(shot + 31)));
          continue;
        }
        const size_t state = line.find(" state "), expect = line.find("# expect ");
        if (state == std::string::npos || expect == std::string::npos) continue;
        const std::string file = line.substr(state + 7, line.find(' ', state + 7) - state - 7);
        SCOPED_TRACE(line);
        ++checkpoints;
        ASSERT_TRUE(fs::exists(dir / file)) << "the run ended before this checkpoint";
        lastDump = ParseDump(ReadFile(dir / file));
        EXPECT_EQ(Measure(lastDump), line.substr(expect + 9));
      }
      EXPECT_GT(checkpoints, 0);
      // The save a route leaves in slot 1 is where the next act's route starts: the replay
      // writes it byte for byte.
      const fs::path endSave = fs::path(script).replace_extension().string() + "-end.sav";
      if (fs::exists(endSave)) {
        EXPECT_EQ(ReadFile(dir / "savedata1.sav"), ReadFile(endSave)) << endSave;
      }
    }
  }
  EXPECT_GT(routes, 0);
}

// The recorder names a line it cannot read or do with its file and line, and marks what it
// played so that it cannot pass for a whole route. (What it records in full is replayed above.)
TEST(Routes, RecorderNamesTheLineItCannotDo) {
  const std::pair<const char*, const char*> cases[] = {
      {"new game\nwalk sideways to 3\n",
       "try.route:2: \"walk sideways to 3\" is no route directive"},
      {"new game\nwait 2\ncheckpoint room=9\n",
       "try.route:3: checkpoint room=9: room=9 does not hold"},
  };
  for (const auto& [text, says] : cases) {
    SCOPED_TRACE(text);
    TempDir dir;
    WriteFile(dir / "try.route", text);
    const std::string cmd = "'" + (BuiltGameDir() / "quelmire_route").string() + "' '" +
                            (dir / "try.route").string() + "' '" + (dir / "try.txt").string() +
                            "' >/dev/null 2>'" + (dir / "err.txt").string() + "'";
    EXPECT_NE(std::system(cmd.c_str()), 0);
    const std::string err = ReadFile(dir / "err.txt");
    EXPECT_NE(err.find(says), std::string::npos) << err;
    if (fs::exists(dir / "try.txt")) {
      EXPECT_NE(ReadFile(dir / "try.txt").find(" quit  # failed here: "), std::string::npos);
    }
  }
}

}  // namespace
