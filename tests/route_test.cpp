// The recorded routes (tests/routes/*.txt) replayed on the built game: each must be recorded
// from its route source as it stands, play to its end, and meet every checkpoint it recorded
// (room, maze, cell, life, counts). A change to the world or the physics that breaks the way
// through fails here; record the route again with quelmire_route when the change is meant.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "route_language.h"
#include "test_support.h"

namespace {

using namespace testing_support;

// The value of one top-level key of a state dump, parsed alone: a whole dump holds the map
// and is slow to parse in the sanitizer build.
Json Member(const std::string& dump, const std::string& key) {
  const std::string tag = "\"" + key + "\":";
  const size_t at = dump.find(tag);
  if (at == std::string::npos) return Json{};
  size_t end = at + tag.size();
  int depth = 0;
  bool inText = false;
  for (; end < dump.size(); ++end) {
    const char c = dump[end];
    if (inText) {
      if (c == '\\')
        ++end;
      else if (c == '"')
        inText = false;
    } else if (c == '"') {
      inText = true;
    } else if (c == '[' || c == '{') {
      ++depth;
    } else if (c == ']' || c == '}') {
      if (depth-- == 0) break;
    } else if (c == ',' && depth == 0) {
      break;
    }
  }
  return ParseJson(dump.substr(at + tag.size(), end - at - tag.size()));
}

// The measurements of a checkpoint, as the recorder writes them, from a state dump.
std::string Measure(const std::string& dump) {
  const Json obj = Member(dump, "Obj"), counts = Member(dump, "ItemCount");
  const Json taken = Member(dump, "TakenList");
  const Json& p = obj[0];
  long items = 0, entries = 0;
  for (size_t i = 1; i <= 34; ++i) items += counts[i].Int();
  for (size_t i = 1; i <= 511; ++i) entries += !taken[i].str.empty();
  std::ostringstream m;
  m << "room=" << Member(dump, "RoomNo").Int() << " maze=" << p["Kind"].Int()
    << " cell=" << p["X"].Int() << "," << p["Y"].Int() << " life=" << Member(dump, "Life").Int()
    << " lifemax=" << Member(dump, "LifeMax").Int() << " crystals=" << counts[0].Int()
    << " items=" << items << " taken=" << entries;
  return m.str();
}

// Replays a recorded script with the built game in a fresh game folder and compares each
// checkpoint's state dump with what the recording measured.
void ExpectReplayMeetsCheckpoints(const fs::path& script) {
  const std::string text = ReadFile(script);
  TempDir dir;
  CopyGameData(dir.path());
  const std::string cmd =
      "cd '" + dir.path().string() + "' && '" + (BuiltGameDir() / "quelmire").string() +
      "' --headless --data . --input '" + script.string() + "' 2>err.txt >/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << ReadFile(dir / "err.txt");

  std::istringstream lines(text);
  int checkpoints = 0;
  for (std::string line; std::getline(lines, line);) {
    const size_t state = line.find(" state "), expect = line.find("# expect ");
    if (state == std::string::npos || expect == std::string::npos) continue;
    std::istringstream words(line.substr(state + 7));
    std::string file;
    words >> file;
    SCOPED_TRACE(line);
    ++checkpoints;
    ASSERT_TRUE(fs::exists(dir / file)) << "the run ended before this checkpoint";
    EXPECT_EQ(Measure(ReadFile(dir / file)), line.substr(expect + 9));
  }
  EXPECT_GT(checkpoints, 0);
}

TEST(Routes, ReplayThroughEveryCheckpoint) {
  int routes = 0;
  for (const auto& e : fs::directory_iterator(SourceDir() / "tests/routes")) {
    if (e.path().extension() != ".txt") continue;
    ++routes;
    const fs::path script = e.path();
    SCOPED_TRACE(script.filename().string());
    fs::path source = script;
    source.replace_extension(".route");
    ASSERT_NE(ReadFile(script).find("# route " + route::SourceHash(ReadFile(source)) + "\n"),
              std::string::npos)
        << "not recorded from " << source << ": quelmire_route " << source << " " << script;
    // A recording that stopped partway ends "quit  # failed here: ...": it proves nothing past
    // that line, however well it replays.
    const std::string text = ReadFile(script);
    const size_t last = text.find_last_not_of('\n');
    const std::string end = text.substr(text.rfind('\n', last) + 1, last - text.rfind('\n', last));
    ASSERT_EQ(end.find('#'), std::string::npos) << "the recording did not finish: " << end;
    ExpectReplayMeetsCheckpoints(script);
  }
  EXPECT_GT(routes, 0);
}

// The recorder on short routes of its own: what it writes replays to the same checkpoints, and
// a line it cannot read or do is named with its file and line.
TEST(Routes, RecorderWritesWhatReplaysAndNamesTheLineItCannotDo) {
  struct Case {
    const char* route;
    const char* says;  // empty: records
  } const cases[] = {
      {"new game\nsaves 0\nwait 2\nwalk left to 30\ncheckpoint room=1 cell=30,38\n", ""},
      {"new game\nwalk sideways to 3\n",
       "try.route:2: \"walk sideways to 3\" is no route directive"},
      {"new game\nwait 2\ncheckpoint room=9\n",
       "try.route:3: checkpoint room=9: room=9 does not hold"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.route);
    TempDir dir;
    WriteFile(dir / "try.route", c.route);
    const std::string cmd = "'" + (BuiltGameDir() / "quelmire_route").string() + "' '" +
                            (dir / "try.route").string() + "' '" + (dir / "try.txt").string() +
                            "' >/dev/null 2>'" + (dir / "err.txt").string() + "'";
    const int status = std::system(cmd.c_str());
    const std::string err = ReadFile(dir / "err.txt");
    if (*c.says == '\0') {
      ASSERT_EQ(status, 0) << err;
      ExpectReplayMeetsCheckpoints(dir / "try.txt");
    } else {
      EXPECT_NE(status, 0);
      EXPECT_NE(err.find(c.says), std::string::npos) << err;
      // What was played is written, marked so that it cannot pass for a whole route.
      if (fs::exists(dir / "try.txt")) {
        EXPECT_NE(ReadFile(dir / "try.txt").find(" quit  # failed here: "), std::string::npos);
      }
    }
  }
}

}  // namespace
