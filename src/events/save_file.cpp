// The save file: 1065 CRLF lines of the player's place, life, items 0..39, the 512 flags and
// the 512 taken-item keys. It is written to a temporary file beside the slot, flushed to
// disk and renamed over the slot, so a crash or a full disk never leaves half a save.
#include <iostream>

#include "platform/files.h"
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
  std::string error;
  if (platform::WriteFileAtomically(SaveFilePath(slot), SaveFileText(), error,
                                    {SaveFault, SavePiece})) {
    return true;
  }
  std::cerr << error << "\n";
  return false;
}

}  // namespace quelmire
