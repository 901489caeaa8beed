// A game folder of its own for the event tests: the bundled pictures and sounds, a test maze
// (free background 9, floor 1 from row 39 down) as mazes 5 and 6, and the rooms the test
// writes. The input script gets a state dump at kDumpMs; State() runs the clock there.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

namespace events_test {

using namespace testing_support;

constexpr int64_t kDumpMs = 3'000'000;

inline MazeFile TestMaze() {
  MazeFile maze(9);
  maze.Fill(0, 39, 255, 255, 1);
  return maze;
}

struct EventGame {
  // rooms: room 1 and 2 texts; the game is started (Form_Load) unless play is asked for.
  explicit EventGame(const std::string& input = "", const std::string& room1 = "@\r\n",
                     const std::string& room2 = "@\r\n") {
    CopyGameData(dir.path());
    const MazeFile maze = TestMaze();
    maze.Write(dir.path(), 5);
    maze.Write(dir.path(), 6);
    WriteRoom(dir.path(), 1, room1);
    WriteRoom(dir.path(), 2, room2);
    // "@DIR@" in the input stands for the game folder.
    std::string script = input;
    for (size_t at; (at = script.find("@DIR@")) != std::string::npos;) {
      script.replace(at, 5, dir.path().string());
    }
    game = std::make_unique<HeadlessGame>(
        dir.path(),
        script + "\n" + std::to_string(kDumpMs) + " state " + (dir / "state.json").string() + "\n");
  }
  // Keeps a screenshot for a person to look at when QUELMIRE_TEST_SHOTS names a folder.
  void KeepShot(const std::string& name) {
    if (const char* keep = std::getenv("QUELMIRE_TEST_SHOTS")) {
      std::filesystem::copy_file(dir / name, std::filesystem::path(keep) / name,
                                 std::filesystem::copy_options::overwrite_existing);
    }
  }
  quelmire::Form1& f() { return *game->form; }
  int64_t ms() { return game->plat->NowUs() / 1000; }
  void Load() { f().Form_Load(); }
  // Starts play at (33, 38) of maze 5, room 1.
  void Play() { StartPlay(*game, 5, 1, 33, 38); }
  void Run(const std::string& utf8) { f().RunEventScript(quelmire::FromUtf8(utf8)); }
  // The state dump at kDumpMs: the clock is run there first.
  Json State() {
    f().Sleep(static_cast<int>(kDumpMs - ms()));
    return ParseJson(ReadFile(dir / "state.json"));
  }
  TempDir dir;
  std::unique_ptr<HeadlessGame> game;
};

// A press of Z every 100 ms from `from` to `to`: enough fresh presses for a run of messages.
inline std::string PressEvery100(int64_t from, int64_t to, const char* key = "Z") {
  std::string s;
  for (int64_t t = from; t <= to; t += 100) {
    s += std::to_string(t) + " press " + key + " 40\n";
  }
  return s;
}

// The effect slots started so far, in order, from a state dump.
inline std::vector<int> SoundSlots(const Json& state) {
  std::vector<int> slots;
  for (const Json& s : state["sounds"].arr) slots.push_back(static_cast<int>(s["slot"].Int()));
  return slots;
}

}  // namespace events_test
