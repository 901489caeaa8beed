// The input script of the headless runner: timed key presses, joystick plugging,
// screenshots, state dumps, closing the window and the end of the run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::headless {

// Inputs a script drives: 0..255 are keyboard virtual-key codes, then the joystick.
constexpr int kJoyLeft = 256, kJoyRight = 257, kJoyUp = 258, kJoyDown = 259;
constexpr int kJoyButton1 = 260;  // JoyButton1..JoyButton10 = 260..269
constexpr int kInputCount = 270;

// The input a KEY name stands for, or -1 when there is no such name.
int InputFromName(std::string_view name);

enum class ActionKind { Down, Up, JoystickOn, JoystickOff, Screenshot, State, Quit, Close };

struct Action {
  int64_t ms = 0;
  ActionKind kind = ActionKind::Quit;
  int input = -1;    // Down, Up
  std::string file;  // Screenshot, State
  int line = 0;      // the script line that asked for it
};

// Parses a script. The actions come back in the order they happen: by time, and at one time
// by script line (a press is a down at its time and an up MS later, at its own line's place).
// Throws UsageError naming the file and line of the first fault.
std::vector<Action> ParseScript(std::string_view text, const std::string& fileName);

// Reads and parses a script file; an unreadable file, or a screenshot or state file that
// cannot be written where it is named, is a UsageError too, naming the script line.
std::vector<Action> LoadScript(const std::string& path);

}  // namespace platform::headless
