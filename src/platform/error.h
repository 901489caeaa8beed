// Errors and exits that cross the platform boundary.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// A failure the game cannot go on from: a missing or malformed file, a device that cannot be
// opened, a rectangle outside its surface, an index or a 16-bit result out of bounds.
// The top level reports it and ends the program with status 1.
struct FatalError : std::runtime_error {
  explicit FatalError(const std::string& what) : std::runtime_error(what) {}
};

// Unwinds to the top level and ends the program with this status (QuitGame, the end of a
// headless run).
struct ExitRequest {
  int status = 0;
};

}  // namespace platform

namespace platform {

// Bad command-line arguments or a malformed input script: the program ends with status 2.
struct UsageError : std::runtime_error {
  explicit UsageError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace platform
