// The save file: 1065 CRLF lines of the player's place, life, items 0..39, the 512 flags and
// the 512 taken-item keys. It is written to a temporary file beside the slot, flushed to
// disk and renamed over the slot, so a crash or a full disk never leaves half a save.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "shell/form1.h"

namespace quelmire {

namespace {

// A number as the save file writes it: sign place, digits, one trailing blank.
std::string Number(long long n) {
  return ToUtf8(Str(n)) + " ";
}

}  // namespace

std::string Form1::SaveFilePath(int slot) const {
  static const char kHex[] = "0123456789ABCDEF";
  return (SaveFolder.empty() ? std::string(".") : SaveFolder) + "/savedata" + kHex[slot & 15] +
         ".sav";
}

std::string Form1::SaveFileText() const {
  const ObjRecord& p = Obj(0);
  std::string text;
  text.reserve(8 * 1024);
  for (long long v : {p.X, p.Y, p.Kind, LifeMax, Life, RoomNo}) text += Number(v);
  text += "\r\n";
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on chained operator+.
  for (int i = 0; i <= 39; ++i) (text += Number(ItemCount(i))) += "\r\n";
  for (int i = 0; i <= 511; ++i) (text += Number(Flags(i))) += "\r\n";
  for (int i = 0; i <= 511; ++i) ((text += '"') += ToUtf8(TakenList(i))) += "\"\r\n";
  return text;
}

bool Form1::WriteSaveFile(int slot) {
  const std::string path = SaveFilePath(slot);
  // Not "*.sav": the title's slot scan never sees a half-written file.
  const std::string temp = path + ".tmp";
  const std::string text = SaveFileText();
  auto fault = [&](SaveStep step) { return SaveFault ? SaveFault(step) : 0; };
  auto fail = [&](const char* step, int fd, int err) {
    if (fd >= 0) close(fd);
    unlink(temp.c_str());
    std::cerr << temp << ": " << step << " failed (" << std::strerror(err) << "); " << path
              << " is unchanged\n";
    return false;
  };

  // A temporary file left by a killed game is replaced, whatever its permissions.
  unlink(temp.c_str());
  int err = fault(SaveStep::Open);
  const int fd = err ? -1 : open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return fail("open", -1, err ? err : errno);

  const size_t piece = SavePiece == 0 ? text.size() : SavePiece;
  for (size_t done = 0; done < text.size();) {
    if ((err = fault(SaveStep::Write)) != 0) return fail("write", fd, err);
    const ssize_t n = write(fd, text.data() + done, std::min(piece, text.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail("write", fd, errno);
    // A write that takes nothing would never finish: the disk is full.
    if (n == 0) return fail("write", fd, ENOSPC);
    done += static_cast<size_t>(n);
  }

  if ((err = fault(SaveStep::Flush)) != 0) return fail("flush", fd, err);
  if (fsync(fd) != 0) return fail("flush", fd, errno);
  if ((err = fault(SaveStep::Close)) != 0) return fail("close", fd, err);
  if (close(fd) != 0) return fail("close", -1, errno);

  if ((err = fault(SaveStep::Rename)) != 0) return fail("rename", -1, err);
  if (rename(temp.c_str(), path.c_str()) != 0) return fail("rename", -1, errno);

  // Make the rename itself durable.
  const int dfd =
      open(SaveFolder.empty() ? "." : SaveFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  fault(SaveStep::Done);
  return true;
}

}  // namespace quelmire
