// The report of a step that must stop with a clean error, for tests that check what it names.
#pragma once

#include <functional>
#include <string>

#include "platform/error.h"

namespace platform_errors {

// What the step's error of type E says, or "" when it threw none.
template <class E = platform::FatalError>
std::string ErrorOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const E& e) {
    return e.what();
  }
  return "";
}

}  // namespace platform_errors
