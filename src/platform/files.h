// The save-file listing shared by both platforms.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Names (not paths) of the regular files in dir whose names end in suffix (case-sensitive,
// as the "*.sav" pattern of the file list), sorted by byte value. A missing or unreadable
// folder lists nothing.
std::vector<std::string> ListFilesWithSuffix(const std::string& dir, const std::string& suffix);

}  // namespace platform
