// The save folder and the save-file listing, shared by both platforms.
#pragma once

#include <cstddef>
#include <functional>
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

// The steps of WriteFileAtomically, for tests that break it as a full disk, a pulled drive or
// a kill would.
enum class WriteStep { Open, Write, Flush, Close, Rename, Done };
struct WriteFaults {
  // Asked before each step and before each piece of the text; returns the errno that step
  // fails with, or 0.
  std::function<int(WriteStep)> fault;
  size_t piece = 0;  // bytes written at a time; all of them when 0
};

// Writes text to path so that a crash or a full disk never leaves half a file: into
// path + ".tmp" (not matching a "*.ext" listing), flushed to disk, renamed over path, the
// rename itself made durable. False, with "PATH.tmp: STEP failed (REASON); PATH is unchanged"
// in error, when a step fails; the temporary file is then gone.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error,
                         const WriteFaults& faults = {});

}  // namespace platform
