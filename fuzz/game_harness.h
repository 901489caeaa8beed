// The game on the headless platform for the fuzz targets: a game folder copied from data/
// once, start-up done once, a fresh Form1 for every input that keeps the loaded surfaces,
// and keys from a pattern instead of a script, so every input starts from the same state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/error.h"
#include "shell/form1.h"

namespace fuzz {

// The game folder (with bitmap/, wave/, midi/ and map/) this process works in.
const std::string& GameDir();
// Writes a file under the game folder (relative path with forward slashes).
void WriteGameFile(const std::string& relative, std::string_view bytes);

// A fresh game state over the surfaces and sounds loaded at start-up. Keys come from
// `keys`: one byte per 48 ms, bit 0 Left, 1 Right, 2 Up, 3 Down, 4 Z, 5 X, 6 Space, 7 Enter.
quelmire::Form1& FreshGame(std::string_view keys);

// What the title does for a new game, at a maze, room and cell of choice.
void StartPlay(quelmire::Form1& f, int maze, int room, int x, int y);

// Plays up to n ticks of the event loop, or until play has left for the title or the input's
// time is spent. Stops of the game itself (quit) end it too.
void PlayTicks(quelmire::Form1& f, int n);

// Runs a step of the game; an ExitRequest or the end of the input's time is a normal end.
// Returns false when the game stopped that way.
template <typename F>
bool Normal(F&& step);

// A stop the target treats as a finding: prints it and aborts, so libFuzzer keeps the input.
[[noreturn]] void Finding(const std::string& where, const std::string& what);

// True when a fatal report is the reader's own about `file`: it names the file first.
bool ReportNames(const platform::FatalError& e, const std::string& file);

// Thrown by the pattern platform when an input's virtual time is spent.
struct TimeSpent {};

template <typename F>
bool Normal(F&& step) {
  try {
    step();
    return true;
  } catch (const platform::ExitRequest&) {
    return false;
  } catch (const TimeSpent&) {
    return false;
  }
}

}  // namespace fuzz
