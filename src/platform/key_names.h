// Names of the keyboard keys a player can give an action, as the settings file and the
// headless input script write them ("Left", "Space", "Z", "7", "F1", "Shift", ...).
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The virtual-key code a key name stands for (names are case-sensitive), or -1.
int KeyFromName(std::string_view name);
// The name of a virtual-key code, or "" for a code with no name (no key a player can give).
std::string KeyName(int vk);

}  // namespace platform
