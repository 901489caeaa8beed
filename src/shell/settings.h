// The player's settings: volumes, full screen or window and its scale, the language, and the
// keys and pad buttons of the actions. They live in settings.ini, plain "key = value" lines
// with "#" comments, beside the game for a copy whose folder can be written, else in the
// player's config folder ($XDG_CONFIG_HOME/quelmire, ~/.config/quelmire).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quelmire {

// The actions a player can give keys. The order is the settings file's and the options
// screen's.
enum class Action { Left, Right, Jump, Use, LookDown, Fly, Status, Title, Quit, Options };
constexpr int kActionCount = 10;
// Keys one action may have at once.
constexpr int kMostKeys = 3;

// The pad's actions: jump, fly, status screen (buttons 1..9).
enum class PadAction { Jump, Fly, Status };
constexpr int kPadActionCount = 3;

struct Settings {
  int musicVolume = 10;  // 0..10
  int effectsVolume = 10;
  bool fullscreen = true;
  int windowScale = 0;  // 1..4; 0: as large as the desktop has room for, at most 2
  std::string language = "ja";
  std::array<std::vector<uint8_t>, kActionCount> keys = DefaultKeys();
  std::array<int, kPadActionCount> padButtons{1, 2, 9};

  static std::array<std::vector<uint8_t>, kActionCount> DefaultKeys();
  bool operator==(const Settings&) const = default;
};

// The name of an action in the file ("jump" for key_jump).
const char* ActionKeyName(Action a);

// Reads settings text over the defaults. A line that cannot be read (no "=", an unknown
// name, a value out of range) is skipped with a report "FILE:LINE: reason" added to
// reports; the other lines still count.
Settings ParseSettings(const std::string& text, const std::string& fileName,
                       std::vector<std::string>& reports);
// The file's text for these settings, every setting with a comment.
std::string SettingsText(const Settings& s);

// The settings file of a game folder: inside it when it can be written, else in the config
// folder (which need not exist yet). Empty when there is neither.
std::string SettingsPathFor(const std::string& gameDir);
// Reads the file: a missing file gives the defaults with no report; a file that exists but
// cannot be read, or is larger than any settings file can be, is reported and the defaults
// serve.
Settings LoadSettings(const std::string& path, std::vector<std::string>& reports);
// Writes the file atomically (a temporary file flushed and renamed over it), making the
// config folder when missing. False with the reason when it could not be written; the old
// file is then untouched.
bool WriteSettings(const std::string& path, const Settings& s, std::string& error);

}  // namespace quelmire
