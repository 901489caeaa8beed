// Reading and writing settings.ini.
#include "shell/settings.h"

#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/files.h"
#include "platform/key_names.h"

namespace quelmire {

namespace {

constexpr const char* kActionNames[kActionCount] = {"left", "right",  "jump",  "use",  "look_down",
                                                    "fly",  "status", "title", "quit", "options"};
constexpr const char* kPadNames[kPadActionCount] = {"jump", "fly", "status"};
// A settings file is a few hundred bytes; anything far larger is not one.
constexpr std::uintmax_t kLargestFile = 64 * 1024;

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

bool Whole(const std::string& v, int lo, int hi, int& out) {
  const char* end = v.data() + v.size();
  auto [p, ec] = std::from_chars(v.data(), end, out);
  return ec == std::errc() && p == end && out >= lo && out <= hi;
}

// Reads one "name = value" pair into s; the reason when it cannot.
std::string Apply(Settings& s, const std::string& name, const std::string& value) {
  int n = 0;
  if (name == "music_volume" || name == "effects_volume") {
    if (!Whole(value, 0, 10, n)) return name + " is a whole number from 0 to 10";
    (name == "music_volume" ? s.musicVolume : s.effectsVolume) = n;
    return {};
  }
  if (name == "fullscreen") {
    if (value != "yes" && value != "no") return "fullscreen is yes or no";
    s.fullscreen = value == "yes";
    return {};
  }
  if (name == "window_scale") {
    if (!Whole(value, 0, 4, n)) return "window_scale is a whole number from 0 to 4";
    s.windowScale = n;
    return {};
  }
  if (name == "language") {
    if (value != "ja" && value != "en") return "language is ja or en";
    s.language = value;
    return {};
  }
  for (int a = 0; a < kActionCount; ++a) {
    if (name.rfind("key_", 0) != 0 || name.substr(4) != kActionNames[a]) continue;
    std::vector<uint8_t> keys;
    std::istringstream words(value);
    for (std::string w; words >> w;) {
      const int vk = platform::KeyFromName(w);
      if (vk < 0) return "no key is called \"" + w + "\"";
      for (uint8_t k : keys) {
        if (k == vk) return "\"" + w + "\" is named twice";
      }
      keys.push_back(static_cast<uint8_t>(vk));
    }
    if (keys.empty() || keys.size() > kMostKeys) return name + " takes one to three keys";
    s.keys[static_cast<size_t>(a)] = keys;
    return {};
  }
  for (int a = 0; a < kPadActionCount; ++a) {
    if (name.rfind("pad_", 0) != 0 || name.substr(4) != kPadNames[a]) continue;
    if (!Whole(value, 1, 9, n)) return name + " is a button from 1 to 9";
    s.padButtons[static_cast<size_t>(a)] = n;
    return {};
  }
  return "no setting is called \"" + name + "\"";
}

}  // namespace

std::array<std::vector<uint8_t>, kActionCount> Settings::DefaultKeys() {
  return {{{37}, {39}, {32, 'Z', 13}, {38}, {40}, {'X'}, {27}, {'T'}, {'Q'}, {'O'}}};
}

const char* ActionKeyName(Action a) {
  return kActionNames[static_cast<int>(a)];
}

Settings ParseSettings(const std::string& text, const std::string& fileName,
                       std::vector<std::string>& reports) {
  Settings s;
  std::istringstream in(text);
  int lineNo = 0;
  for (std::string line; std::getline(in, line);) {
    ++lineNo;
    if (lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    const std::string bare = Trim(line.substr(0, line.find('#')));
    if (bare.empty()) continue;
    const size_t eq = bare.find('=');
    const std::string why = eq == std::string::npos
                                ? "not a \"name = value\" line"
                                : Apply(s, Trim(bare.substr(0, eq)), Trim(bare.substr(eq + 1)));
    if (!why.empty()) {
      std::ostringstream report;
      report << fileName << ':' << lineNo << ": " << why << "; the line is ignored";
      reports.push_back(report.str());
    }
  }
  return s;
}

std::string SettingsText(const Settings& s) {
  std::ostringstream t;
  t << "# Quelmire's settings: \"name = value\" lines; \"#\" starts a comment.\n"
       "# The options screen ([O] on the title or the status screen) writes this file.\n\n"
       "# Volumes from 0 (silent) to 10.\n"
    << "music_volume = " << s.musicVolume << "\neffects_volume = " << s.effectsVolume << "\n\n"
    << "# yes: full screen; no: a window of window_scale times 640x480 (0: as the desktop "
       "allows).\n"
    << "fullscreen = " << (s.fullscreen ? "yes" : "no") << "\nwindow_scale = " << s.windowScale
    << "\n\n# ja or en.\nlanguage = " << s.language << "\n\n"
    << "# One to three keys for each action, separated by blanks: Left Right Up Down Space Enter\n"
       "# Escape Tab Backspace Shift Ctrl Alt, A to Z, 0 to 9, F1 to F10, F12, Keypad0 to "
       "Keypad9,\n"
       "# Comma Period Slash Semicolon Apostrophe Minus Equals LeftBracket RightBracket "
       "Backslash.\n";
  for (int a = 0; a < kActionCount; ++a) {
    t << "key_" << kActionNames[a] << " =";
    for (uint8_t k : s.keys[static_cast<size_t>(a)]) t << ' ' << platform::KeyName(k);
    t << '\n';
  }
  t << "\n# Pad buttons from 1 to 9 (1: south, A; 2: east, B; 9: Start).\n";
  for (int a = 0; a < kPadActionCount; ++a) {
    t << "pad_" << kPadNames[a] << " = " << s.padButtons[static_cast<size_t>(a)] << '\n';
  }
  return t.str();
}

std::string SettingsPathFor(const std::string& gameDir) {
  const std::string dir = gameDir.empty() ? "." : gameDir;
  // access() also sees a read-only mount, which permission bits do not show.
  if (access(dir.c_str(), W_OK) == 0) return dir + "/settings.ini";
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/quelmire/settings.ini";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0')
    return std::string(home) + "/.config/quelmire/settings.ini";
  return {};
}

Settings LoadSettings(const std::string& path, std::vector<std::string>& reports) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (path.empty() || !fs::exists(path, ec)) return {};
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec || size > kLargestFile) {
    reports.push_back(path + ": " + (ec ? ec.message() : "larger than a settings file can be") +
                      "; the defaults serve");
    return {};
  }
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    reports.push_back(path + ": cannot be read; the defaults serve");
    return {};
  }
  return ParseSettings(text, path, reports);
}

bool WriteSettings(const std::string& path, const Settings& s, std::string& error) {
  namespace fs = std::filesystem;
  if (path.empty()) {
    error = "no folder for the settings (neither XDG_CONFIG_HOME nor HOME is set)";
    return false;
  }
  const fs::path folder = fs::path(path).parent_path();
  std::error_code ec;
  if (!folder.empty()) fs::create_directories(folder, ec);
  return platform::WriteFileAtomically(path, SettingsText(s), error);
}

}  // namespace quelmire
