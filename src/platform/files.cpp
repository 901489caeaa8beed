// The save folder and the save-file listing.
#include "platform/files.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {

std::vector<std::string> ListFilesWithSuffix(const std::string& dir, const std::string& suffix) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(dir.empty() ? "." : dir, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;  // follows links, like the file list did
    std::string name = it->path().filename().string();
    if (name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      names.push_back(std::move(name));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string SaveFolderFor(const std::string& gameDir) {
  const std::string dir = gameDir.empty() ? "." : gameDir;
  // access() also sees a read-only mount, which permission bits do not show.
  if (access(dir.c_str(), W_OK) == 0) return gameDir;
  char* pref = SDL_GetPrefPath("", "quelmire");
  if (pref == nullptr) return gameDir;
  std::string folder = pref;
  SDL_free(pref);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace platform
