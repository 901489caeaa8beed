// The key names: the arrows and the common keys by their printed names, letters and digits as
// themselves, the function keys but F11 (which switches full screen), the keypad's digits.
#include "platform/key_names.h"

#include <array>

namespace platform {

namespace {

struct Named {
  std::string_view name;
  int vk;
};

constexpr std::array<Named, 32> kNamed{{
    {"Left", 37},       {"Right", 39},        {"Up", 38},
    {"Down", 40},       {"Space", 32},        {"Enter", 13},
    {"Escape", 27},     {"Tab", 9},           {"Backspace", 8},
    {"Insert", 45},     {"Delete", 46},       {"Home", 36},
    {"End", 35},        {"PageUp", 33},       {"PageDown", 34},
    {"Shift", 16},      {"Ctrl", 17},         {"Alt", 18},
    {"Comma", 188},     {"Period", 190},      {"Slash", 191},
    {"Semicolon", 186}, {"Apostrophe", 222},  {"Minus", 189},
    {"Equals", 187},    {"LeftBracket", 219}, {"RightBracket", 221},
    {"Backslash", 220}, {"Grave", 192},       {"F12", 123},
    {"F10", 121},       {"Pause", 19},
}};

constexpr int kF1 = 112, kKeypad0 = 96;

}  // namespace

int KeyFromName(std::string_view name) {
  for (const Named& n : kNamed) {
    if (n.name == name) return n.vk;
  }
  if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') return name[0];
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') return name[0];
  if (name.size() == 2 && name[0] == 'F' && name[1] >= '1' && name[1] <= '9') {
    return kF1 + (name[1] - '1');
  }
  if (name.size() == 7 && name.substr(0, 6) == "Keypad" && name[6] >= '0' && name[6] <= '9') {
    return kKeypad0 + (name[6] - '0');
  }
  return -1;
}

std::string KeyName(int vk) {
  for (const Named& n : kNamed) {
    if (n.vk == vk) return std::string(n.name);
  }
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, char(vk));
  // Appended, not added: GCC 12 warns falsely (-Wrestrict) on operator+ with a literal.
  std::string name;
  if (vk >= kF1 && vk < kF1 + 9) name.append("F").push_back(char('1' + vk - kF1));
  if (vk >= kKeypad0 && vk <= kKeypad0 + 9)
    name.append("Keypad").push_back(char('0' + vk - kKeypad0));
  return name;
}

}  // namespace platform
