// The headless runner's input script parser: a UsageError naming the line is the clean
// refusal; what it accepts must be in time order with known inputs.
#include <cstdio>
#include <cstdlib>

#include "platform/error.h"
#include "platform/headless_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace platform::headless;
  std::vector<Action> actions;
  try {
    actions = ParseScript({reinterpret_cast<const char*>(data), size}, "input.txt");
  } catch (const platform::UsageError&) {
    return 0;
  }
  int64_t last = 0;
  for (const Action& a : actions) {
    const bool key = a.kind == ActionKind::Down || a.kind == ActionKind::Up;
    if (a.ms < last || (key && (a.input < 0 || a.input >= kInputCount))) {
      std::fprintf(stderr, "accepted a bad action at line %d\n", a.line);
      std::abort();
    }
    last = a.ms;
  }
  return 0;
}
