// The long-play soak: plays the bundled world headless with seeded random input, starting the
// heroine at every warp target of its rooms (and where a new game starts), and reports every
// run that stopped for any reason but the end of its ticks, a quit or a return to the title
// (game over). Each run is a child process, so a fatal error or a sanitizer report in one run
// is reported and the soak goes on.
//
//   quelmire_soak [--data DIR] [--ticks TOTAL] [--run TICKS] [--seed S] [--start K]
//                 [--keep DIR]
//
// --keep DIR keeps the input script, the log and the game state at the stop of every failed
// run there. Run n plays start (n - 1) mod starts with seed S + n - 1; --start K plays only
// start K (0-based, in the order listed), so "--seed 9 --start 2 --ticks 5000" replays a run.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/platform.h"
#include "shell/form1.h"

namespace fs = std::filesystem;

namespace {

struct Start {
  int maze, x, y, room;
  bool operator<(const Start& o) const {
    return std::tie(maze, x, y, room) < std::tie(o.maze, o.x, o.y, o.room);
  }
};

// Every "jp" target in the rooms' scripts, and where a new game starts.
std::vector<Start> WarpTargets(const fs::path& data) {
  std::set<Start> found{{5, 33, 38, 1}};
  const std::regex jp("jp([ 0-9-]{3}).([ 0-9-]{3}).([ 0-9-]{3}).([ 0-9-]{3})");
  for (const auto& entry : fs::directory_iterator(data / "map")) {
    if (entry.path().extension() != ".rdt") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    for (std::sregex_iterator it(s.begin(), s.end(), jp), end; it != end; ++it) {
      auto n = [&](int k) { return std::atoi((*it)[k].str().c_str()); };
      found.insert({n(1), n(2), n(3), n(4)});
    }
  }
  return {found.begin(), found.end()};
}

// Random input: keys held for a moment and released, now and then several at once; never Q
// or T, which end or leave play on purpose.
std::string RandomInput(uint32_t seed, int64_t untilMs) {
  static const char* const kKeys[] = {"Left",  "Right", "Left",  "Right", "Up",     "Down",
                                      "Space", "Z",     "Enter", "X",     "Escape", "JoyButton1"};
  std::mt19937 rng(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::ostringstream out;
  for (int64_t t = 1; t < untilMs; t += pick(10, 400)) {
    const char* key = kKeys[pick(0, std::size(kKeys) - 1)];
    out << t << " press " << key << " " << pick(1, pick(0, 3) == 0 ? 3000 : 500) << "\n";
  }
  return out.str();
}

enum : int { kEnded = 0, kTitle = 3, kFatal = 10 };

// One run in this (child) process: plays from the start for `ticks` play ticks.
int RunOnce(const fs::path& data, const fs::path& script, const Start& s, uint32_t seed, long ticks,
            long& played, std::set<int>& rooms) {
  platform::Options options;
  options.dataDir = data.string();
  options.inputScript = script.string();
  // Room enough for the messages and screens between ticks; a run stuck waiting ends there.
  options.maxMs = (ticks + 100) * 48 * 4;
  auto plat = platform::CreateHeadlessPlatform(options);
  quelmire::Form1 f(*plat, options.dataDir);
  f.OnTimerFired = [&](int timer, int64_t, int64_t) {
    // Back on the title (game over, or the end): this start has been played out.
    if (timer == 2) throw platform::ExitRequest{kTitle};
    if (++played > ticks) throw platform::ExitRequest{kEnded};
    rooms.insert(f.RoomNo);
  };
  try {
    f.Form_Load();
    // As the title hands a loaded game over to play, with some life to spare.
    f.Timer2.Enabled = false;
    quelmire::ObjRecord& p = f.Obj(0);
    p = quelmire::ObjRecord{};
    p.X = static_cast<int16_t>(s.x);
    p.Y = static_cast<int16_t>(s.y);
    p.Kind = static_cast<int16_t>(s.maze);
    f.RoomNo = static_cast<int16_t>(s.room);
    // Most runs with life to last (the status bar shows 20 hearts); every fourth as frail as a
    // new game.
    f.LifeMax = static_cast<int16_t>(seed % 4 == 0 ? 3 : 10 + seed % 11);
    f.Life = f.LifeMax;
    f.ItemCount(34) = static_cast<uint8_t>(seed % 2);  // half the runs may fly
    f.LoadMazeMap();
    f.LoadRoomData();
    f.RunPendingWarps();
    f.Timer1.Enabled = true;
    f.RunTimers();
  } catch (const platform::ExitRequest& e) {
    return e.status;
  } catch (const std::exception& e) {
    std::cerr << "stopped: " << e.what() << "\n";
    std::ofstream(script.parent_path() / "state.json") << "{" << f.StateJson() << "}\n";
    return kFatal;
  }
  return kEnded;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path data = fs::path(argv[0]).parent_path();
  long total = 1'000'000, perRun = 5000;
  uint32_t seed = 1;
  long only = -1;
  fs::path keep;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i], v = argv[i + 1];
    if (a == "--data") {
      data = v;
    } else if (a == "--ticks") {
      total = std::atol(v.c_str());
    } else if (a == "--run") {
      perRun = std::atol(v.c_str());
    } else if (a == "--seed") {
      seed = static_cast<uint32_t>(std::atol(v.c_str()));
    } else if (a == "--keep") {
      keep = v;
    } else if (a == "--start") {
      only = std::atol(v.c_str());
    } else {
      std::cerr << "usage: quelmire_soak [--data DIR] [--ticks TOTAL] [--run TICKS] [--seed S] "
                   "[--start K] [--keep DIR]\n";
      return 2;
    }
  }
  if (argc % 2 == 0 || perRun < 1) {
    std::cerr << "quelmire_soak: options go in pairs (see the top of tools/soak/soak.cpp)\n";
    return 2;
  }

  // A folder of its own: the runs save into it and may load those saves on the title.
  const fs::path work = fs::temp_directory_path() / ("quelmire-soak-" + std::to_string(getpid()));
  fs::create_directories(work / "game");
  for (const char* sub : {"bitmap", "wave", "midi", "map"}) {
    fs::copy(data / sub, work / "game" / sub, fs::copy_options::recursive);
  }
  std::vector<Start> starts = WarpTargets(work / "game");
  for (size_t k = 0; k < starts.size(); ++k) {
    std::cout << "start " << k << ": maze " << starts[k].maze << " (" << starts[k].x << ", "
              << starts[k].y << ") room " << starts[k].room << "\n";
  }
  if (only >= 0 && static_cast<size_t>(only) < starts.size()) starts = {starts[only]};
  std::cout << "soak: " << starts.size() << " starts, " << total << " ticks in runs of " << perRun
            << ", first seed " << seed << "\n";

  long done = 0, runs = 0, quits = 0, titles = 0, failures = 0;
  std::set<int> roomsPlayed;
  const auto began = std::chrono::steady_clock::now();
  while (done < total) {
    const Start& s = starts[static_cast<size_t>(runs) % starts.size()];
    const uint32_t runSeed = seed + static_cast<uint32_t>(runs);
    const long ticks = std::min(perRun, total - done);
    const fs::path script = work / "input.txt", log = work / "run.log", count = work / "ticks";
    { std::ofstream(script) << RandomInput(runSeed, (ticks + 100) * 48 * 4); }
    std::cout.flush();
    const pid_t pid = fork();
    if (pid == 0) {
      std::freopen(log.c_str(), "w", stderr);
      long played = 0;
      std::set<int> rooms;
      const int status = RunOnce(work / "game", script, s, runSeed, ticks, played, rooms);
      std::ofstream out(count);
      out << played;
      for (int room : rooms) out << " " << room;
      out.close();
      std::fflush(nullptr);
      _exit(status);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    long played = 0;
    {
      std::ifstream in(count);
      in >> played;
      for (int room; in >> room;) roomsPlayed.insert(room);
    }
    played = std::min(played, ticks);
    done += played;
    ++runs;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const bool ended = code == kEnded || code == kTitle;
    if (code == kTitle) ++titles;
    if (code == kEnded && played < ticks) ++quits;
    std::cout << "run " << runs << " seed " << runSeed << " maze " << s.maze << " (" << s.x << ", "
              << s.y << ") room " << s.room << ": " << played << " ticks, "
              << (code == kTitle ? "back on the title"
                  : ended        ? "ended"
                                 : "FAILED")
              << "\n";
    if (!ended) {
      ++failures;
      std::ostringstream what;
      what << "run " << runs << " (seed " << runSeed << ", maze " << s.maze << " (" << s.x << ", "
           << s.y << ") room " << s.room << "): ";
      if (WIFSIGNALED(status))
        what << "signal " << WTERMSIG(status);
      else
        what << "status " << WEXITSTATUS(status);
      std::ifstream in(log);
      std::string line;
      while (std::getline(in, line)) what << "\n    " << line;
      std::cout << what.str() << "\n";
      if (!keep.empty()) {
        fs::create_directories(keep);
        const std::string stem = "seed" + std::to_string(runSeed);
        fs::copy_file(script, keep / (stem + ".txt"), fs::copy_options::overwrite_existing);
        fs::copy_file(log, keep / (stem + ".log"), fs::copy_options::overwrite_existing);
        fs::copy_file(work / "state.json", keep / (stem + ".json"),
                      fs::copy_options::overwrite_existing);
      }
    }
    std::cout.flush();
    if (failures >= 20) {
      std::cout << "soak: stopped after 20 failed runs\n";
      break;
    }
  }
  const double secs =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::cout << "soak: " << runs << " runs, " << done << " play ticks, " << titles
            << " ended on the title (game over), " << quits << " ended early otherwise, "
            << failures << " failed, " << secs << " s\nsoak: rooms played:";
  for (int room : roomsPlayed) std::cout << " " << room;
  std::cout << "\n";
  fs::remove_all(work);
  return failures == 0 ? 0 : 1;
}
