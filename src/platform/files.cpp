// The save folder and the save-file listing.
#include "platform/files.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error,
                         const WriteFaults& faults) {
  const std::string temp = path + ".tmp";
  auto fault = [&](WriteStep step) { return faults.fault ? faults.fault(step) : 0; };
  auto fail = [&](const char* step, int fd, int err) {
    if (fd >= 0) close(fd);
    unlink(temp.c_str());
    error = temp + ": " + step + " failed (" + std::strerror(err) + "); " + path + " is unchanged";
    return false;
  };

  // A temporary file left by a killed game is replaced, whatever its permissions.
  unlink(temp.c_str());
  int err = fault(WriteStep::Open);
  const int fd = err ? -1 : open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return fail("open", -1, err ? err : errno);

  const size_t piece = faults.piece == 0 ? text.size() : faults.piece;
  for (size_t done = 0; done < text.size();) {
    if ((err = fault(WriteStep::Write)) != 0) return fail("write", fd, err);
    const ssize_t n = write(fd, text.data() + done, std::min(piece, text.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail("write", fd, errno);
    // A write that takes nothing would never finish: the disk is full.
    if (n == 0) return fail("write", fd, ENOSPC);
    done += static_cast<size_t>(n);
  }

  if ((err = fault(WriteStep::Flush)) != 0) return fail("flush", fd, err);
  if (fsync(fd) != 0) return fail("flush", fd, errno);
  if ((err = fault(WriteStep::Close)) != 0) return fail("close", fd, err);
  if (close(fd) != 0) return fail("close", -1, errno);

  if ((err = fault(WriteStep::Rename)) != 0) return fail("rename", -1, err);
  if (rename(temp.c_str(), path.c_str()) != 0) return fail("rename", -1, errno);

  // Make the rename itself durable.
  const std::string folder = std::filesystem::path(path).parent_path().string();
  const int dfd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  fault(WriteStep::Done);
  return true;
}

}  // namespace platform
