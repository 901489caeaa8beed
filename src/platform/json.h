// Writing JSON text: the state dump of the headless runner.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The text as a quoted JSON string. UTF-8 passes through; quotes, backslashes and control
// characters are escaped; a byte that is not part of valid UTF-8 becomes U+FFFD, so the
// output is always valid JSON.
std::string JsonString(std::string_view utf8);

// Appends JsonString(utf8) to out.
void AppendJsonString(std::string& out, std::string_view utf8);

}  // namespace platform
