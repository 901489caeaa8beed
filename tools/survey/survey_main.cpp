// quelmire_survey: lets the game find what a player would in every room of the bundled world:
// traps, items and ways an order of play loses, arrivals that enemies reach, and main-path
// moves whose window of take-offs and hold lengths is under the bar (docs/WORLD.md).
//
//   quelmire_survey [--data DIR] [--optional FILE] [--from SAVE] [--within FIRST-LAST]
//                   [--room N]... [--table]
//
// DIR is the game folder (default: the folder of this program); FILE lists the optional rooms
// and items (default: assets/world/optional.txt of the source tree). SAVE is a save file to
// start from instead of a new game (an act at a time); FIRST-LAST the rooms to survey (a warp
// out of them is a way out, not followed; default: every room). Prints one line per
// finding and a summary; exit 1 when there is a finding, 2 for bad arguments.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "platform/error.h"
#include "survey.h"

namespace {

std::filesystem::path ExecutableFolder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path(".") : exe.parent_path();
}

}  // namespace

int main(int argc, char** argv) {
  std::string data = ExecutableFolder().string();
  std::string optional = QUELMIRE_SOURCE_DIR "/assets/world/optional.txt";
  std::set<int> rooms;
  std::string from;
  int first = 0, last = 1 << 30;
  bool table = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--data" && i + 1 < argc) {
      data = argv[++i];
    } else if (a == "--optional" && i + 1 < argc) {
      optional = argv[++i];
    } else if (a == "--from" && i + 1 < argc) {
      from = argv[++i];
    } else if (a == "--within" && i + 1 < argc &&
               std::sscanf(argv[i + 1], "%d-%d", &first, &last) == 2) {
      ++i;
    } else if (a == "--room" && i + 1 < argc) {
      rooms.insert(std::atoi(argv[++i]));
    } else if (a == "--table") {
      table = true;
    } else {
      std::cerr << "usage: quelmire_survey [--data DIR] [--optional FILE] [--from SAVE] [--within "
                   "FIRST-LAST] [--room N]... [--table]\n";
      return 2;
    }
  }
  const auto started = std::chrono::steady_clock::now();
  try {
    platform::Options options;
    options.dataDir = data;
    options.maxMs = INT64_MAX / 1000;  // the survey plays years of virtual time
    survey::SurveyPlatform plat(platform::CreateHeadlessPlatform(options));
    quelmire::Form1 form(plat, data);
    form.Form_Load();
    form.DrawFrames = false;
    // Play as the play timer does: its handler is what the survey calls.
    form.Timer2.Enabled = false;
    form.Timer1.Enabled = true;
    survey::Survey s(form, plat);
    form.OnWarp = [&s](quelmire::Integer m, quelmire::Integer x, quelmire::Integer y,
                       quelmire::Integer r) { return s.TakeWarp(m, x, y, r); };
    s.Prepare(optional);
    s.Within(first, last);
    s.Explore(from);
    const auto findings = s.Check(rooms);
    for (const auto& f : findings)
      std::cout << "room " << f.room << ": " << f.kind << ": " << f.text << "\n";
    if (table) {
      std::cout << "| Room | Move | Window | Within the bar |\n|---|---|---|---|\n";
      for (const auto& row : s.Table(rooms)) std::cout << row << "\n";
    }
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << "quelmire_survey: " << findings.size() << " finding"
              << (findings.size() == 1 ? "" : "s") << "; " << s.NodeCount() << " places, "
              << s.EdgeCount() << " moves, " << s.Ticks() << " ticks played (" << s.Reused()
              << " moves known from another state of their room; the moves of " << s.Played()
              << " places played) in " << secs << " s\n";
    return findings.empty() ? 0 : 1;
  } catch (const platform::FatalError& e) {
    std::cerr << "quelmire_survey: the game stopped: " << e.what() << "\n";
  } catch (const std::exception& e) {
    std::cerr << "quelmire_survey: " << e.what() << "\n";
  }
  return 1;
}
