// Input script parsing.
#include "platform/headless_script.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/error.h"
#include "platform/key_names.h"
#include "platform/platform.h"

namespace platform::headless {

namespace {

// Times beyond this (about 31 years) are refused so that microsecond sums cannot overflow.
constexpr int64_t kMaxMs = 1'000'000'000'000;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Splits off the first blank-separated word of s.
std::string_view NextWord(std::string_view& s) {
  s = Trim(s);
  size_t n = 0;
  while (n < s.size() && !IsBlank(s[n])) ++n;
  std::string_view word = s.substr(0, n);
  s = Trim(s.substr(n));
  return word;
}

bool ParseCount(std::string_view s, int64_t& value) {
  if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size() && value <= kMaxMs;
}

// Why a file cannot be written where it is named, or "" when it can.
std::string OutputProblem(const std::string& file) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path path(file);
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  if (fs::is_directory(path, ec)) return "it is a folder";
  if (!fs::is_directory(folder, ec)) return "no folder " + folder.string();
  if (access(folder.c_str(), W_OK | X_OK) != 0) return "the folder cannot be written";
  if (fs::exists(path, ec) && access(path.c_str(), W_OK) != 0) return "the file cannot be written";
  return {};
}

}  // namespace

int InputFromName(std::string_view name) {
  struct Named {
    std::string_view name;
    int input;
  };
  static constexpr Named kNames[] = {
      {"JoyLeft", kJoyLeft}, {"JoyRight", kJoyRight}, {"JoyUp", kJoyUp}, {"JoyDown", kJoyDown}};
  for (const auto& n : kNames) {
    if (n.name == name) return n.input;
  }
  if (const int key = KeyFromName(name); key >= 0) return key;
  constexpr std::string_view kButton = "JoyButton";
  if (name.size() > kButton.size() && name.substr(0, kButton.size()) == kButton) {
    const std::string_view digits = name.substr(kButton.size());
    if (digits == "10") return kJoyButton1 + 9;
    if (digits.size() == 1 && digits[0] >= '1' && digits[0] <= '9') {
      return kJoyButton1 + (digits[0] - '1');
    }
  }
  return -1;
}

std::vector<Action> ParseScript(std::string_view text, const std::string& fileName) {
  std::vector<Action> actions;
  int lineNo = 0;
  int64_t lastMs = 0;
  // A byte-order mark is not part of the first line.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  while (!text.empty() || lineNo == 0) {
    ++lineNo;
    // Lines end in LF, CR LF or a lone CR (old Mac editors).
    const size_t nl = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, nl);
    if (nl == std::string_view::npos) {
      text = std::string_view();
    } else {
      const bool crlf = text[nl] == '\r' && nl + 1 < text.size() && text[nl + 1] == '\n';
      text = text.substr(nl + (crlf ? 2 : 1));
    }
    if (const size_t hash = line.find('#'); hash != std::string_view::npos) {
      line = line.substr(0, hash);
    }
    line = Trim(line);
    if (line.empty()) continue;

    auto fail = [&](const std::string& what) {
      return UsageError(fileName + ":" + std::to_string(lineNo) + ": " + what);
    };
    const std::string_view timeWord = NextWord(line);
    Action a;
    a.line = lineNo;
    if (!ParseCount(timeWord, a.ms)) {
      throw fail("bad time \"" + std::string(timeWord) + "\" (milliseconds expected)");
    }
    if (a.ms < lastMs) {
      throw fail("time " + std::to_string(a.ms) + " is earlier than the line before (" +
                 std::to_string(lastMs) + ")");
    }
    lastMs = a.ms;

    const std::string action(NextWord(line));
    if (action.empty()) throw fail("missing action");
    auto key = [&]() {
      const std::string_view name = NextWord(line);
      if (name.empty()) throw fail("missing key after \"" + action + "\"");
      const int input = InputFromName(name);
      if (input < 0) throw fail("unknown key \"" + std::string(name) + "\"");
      return input;
    };
    auto noMore = [&]() {
      if (!line.empty()) throw fail("unexpected \"" + std::string(line) + "\" after " + action);
    };

    if (action == "down" || action == "up") {
      a.kind = action == "down" ? ActionKind::Down : ActionKind::Up;
      a.input = key();
      noMore();
      actions.push_back(a);
    } else if (action == "press") {
      a.kind = ActionKind::Down;
      a.input = key();
      int64_t hold = 48;
      if (!line.empty()) {
        const std::string_view holdWord = NextWord(line);
        if (!ParseCount(holdWord, hold)) {
          throw fail("bad press length \"" + std::string(holdWord) + "\" (milliseconds expected)");
        }
      }
      noMore();
      actions.push_back(a);
      Action up = a;
      up.kind = ActionKind::Up;
      up.ms = a.ms + hold;
      actions.push_back(up);
    } else if (action == "joystick") {
      const std::string_view arg = NextWord(line);
      if (arg == "on") {
        a.kind = ActionKind::JoystickOn;
      } else if (arg == "off") {
        a.kind = ActionKind::JoystickOff;
      } else {
        throw fail("joystick takes \"on\" or \"off\"");
      }
      noMore();
      actions.push_back(a);
    } else if (action == "screenshot" || action == "state") {
      a.kind = action == "screenshot" ? ActionKind::Screenshot : ActionKind::State;
      if (line.empty()) throw fail("missing file name after \"" + action + "\"");
      a.file = std::string(line);  // the rest of the line: names may hold blanks
      actions.push_back(a);
    } else if (action == "quit" || action == "close") {
      a.kind = action == "quit" ? ActionKind::Quit : ActionKind::Close;
      noMore();
      actions.push_back(a);
    } else {
      throw fail("unknown action \"" + action + "\"");
    }
  }

  // The releases of presses fall later than their lines; order everything by time, keeping
  // line order at equal times.
  std::stable_sort(actions.begin(), actions.end(),
                   [](const Action& x, const Action& y) { return x.ms < y.ms; });
  return actions;
}

std::vector<Action> LoadScript(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw UsageError(path + ": cannot read the input script (it is a folder)");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw UsageError(path + ": cannot read the input script (" + std::strerror(errno) + ")");
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw UsageError(path + ": cannot read the input script");
  std::vector<Action> actions = ParseScript(text, path);
  // A screenshot or state file that cannot be written is found now, not when the run is
  // half done.
  for (const Action& a : actions) {
    if (a.kind != ActionKind::Screenshot && a.kind != ActionKind::State) continue;
    const std::string why = OutputProblem(a.file);
    if (!why.empty()) {
      throw UsageError(path + ":" + std::to_string(a.line) + ": cannot write \"" + a.file + "\" (" +
                       why + ")");
    }
  }
  return actions;
}

}  // namespace platform::headless
