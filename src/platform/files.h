// The save folder and the save-file listing, shared by both platforms.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Names (not paths) of the regular files in dir whose names end in suffix (case-sensitive,
// as the "*.sav" pattern of the file list), sorted by byte value. A missing or unreadable
// folder lists nothing.
std::vector<std::string> ListFilesWithSuffix(const std::string& dir, const std::string& suffix);

// The folder the saves of a game folder go in: the game folder itself when it can be written
// (a portable copy, a build folder), else the player's own data folder for the game
// ($XDG_DATA_HOME/quelmire, through SDL's preference path; made when missing). Falls back
// to the game folder when there is no such folder, so a save there fails with a report.
std::string SaveFolderFor(const std::string& gameDir);

}  // namespace platform
