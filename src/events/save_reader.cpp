// Reading a save file back: the same fields in the same order as the writer. Numbers are
// separated by runs of blanks, commas or line ends; a string runs from one double quote to
// the next. Everything is read and checked before anything is stored, so a bad file leaves
// the game as it was and comes back as a one-line reason naming the file and the line.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "shell/form1.h"
#include "world/field_reader.h"

namespace quelmire {

namespace {

constexpr std::uintmax_t kMostSaveBytes = 64 * 1024;

struct SaveReader {
  const std::string& text;
  std::string name;
  size_t pos = 0;
  int line = 1;
  std::string error;

  bool Fail(const std::string& what) {
    if (error.empty()) error = name + " line " + std::to_string(line) + ": " + what;
    return false;
  }

  void SkipSeparators() {
    while (pos < text.size()) {
      const char c = text[pos];
      if (c == '\n') {
        ++line;
      } else if (c != ' ' && c != ',' && c != '\r') {
        break;
      }
      ++pos;
    }
  }

  static bool Separator(char c) { return c == ' ' || c == ',' || c == '\r' || c == '\n'; }

  bool Number(const char* field, long long lo, long long hi, long long& out) {
    SkipSeparators();
    if (pos >= text.size()) return Fail(std::string("the file ends before ") + field);
    const size_t start = pos;
    while (pos < text.size() && !Separator(text[pos])) ++pos;
    const std::string token = text.substr(start, pos - start);
    size_t i = (token[0] == '-' || token[0] == '+') ? 1 : 0;
    if (i == token.size() || token.size() > 12) {
      return Fail(std::string(field) + " is \"" + token.substr(0, 20) + "\", not a number");
    }
    long long v = 0;
    for (; i < token.size(); ++i) {
      if (token[i] < '0' || token[i] > '9') {
        return Fail(std::string(field) + " is \"" + token.substr(0, 20) + "\", not a number");
      }
      v = v * 10 + (token[i] - '0');
    }
    if (token[0] == '-') v = -v;
    if (v < lo || v > hi) {
      return Fail(std::string(field) + " is " + std::to_string(v) + ", outside " +
                  std::to_string(lo) + ".." + std::to_string(hi));
    }
    out = v;
    return true;
  }

  bool Text(const char* field, std::string& out) {
    SkipSeparators();
    if (pos >= text.size()) return Fail(std::string("the file ends before ") + field);
    if (text[pos] != '"') return Fail(std::string(field) + " is not a quoted text");
    const size_t end = text.find('"', pos + 1);
    const size_t lineEnd = text.find_first_of("\r\n", pos + 1);
    if (end == std::string::npos || (lineEnd != std::string::npos && lineEnd < end)) {
      return Fail(std::string(field) + " has no closing double quote");
    }
    out = text.substr(pos + 1, end - pos - 1);
    for (char c : out) {
      // A key is the texts of three numbers: digits, blanks and minus signs only.
      if (c != ' ' && c != '-' && (c < '0' || c > '9')) {
        return Fail(std::string(field) + " holds a character a taken-item key never has");
      }
    }
    pos = end + 1;
    if (pos < text.size() && !Separator(text[pos])) {
      return Fail(std::string(field) + " runs on after its closing double quote");
    }
    return true;
  }
};

}  // namespace

bool Form1::ReadSaveFile(int slot, std::string& error) {
  namespace fs = std::filesystem;
  const std::string path = SaveFilePath(slot);
  const std::string name = fs::path(path).filename().string();
  // A save the game writes is at most about 15 kB: a slot four times larger, blanks added by
  // hand and all, is no save, and reading it whole would hold up the title.
  std::error_code sizeError;
  const auto size = fs::file_size(path, sizeError);
  if (!sizeError && size > kMostSaveBytes) {
    error = name + ": " + std::to_string(size) + " bytes, more than any save (at most " +
            std::to_string(kMostSaveBytes) + "); not read";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = name + ": cannot be opened";
    return false;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();
  SaveReader r{text, name, 0, 1, {}};
  auto fail = [&] {
    error = r.error;
    return false;
  };

  long long x = 0, y = 0, maze = 0, lifeMax = 0, life = 0, room = 0;
  if (!r.Number("the column", 10, 247, x) || !r.Number("the row", 10, 252, y) ||
      !r.Number("the maze number", 0, 999, maze) ||
      !r.Number("the life ceiling", 1, kMostHearts, lifeMax) ||
      !r.Number("the life", 1, lifeMax, life) || !r.Number("the room number", 0, 999, room)) {
    return fail();
  }
  const int placeLine = r.line;
  Byte items[40], flags[512];
  std::string taken[512];
  for (int i = 0; i < 40; ++i) {
    long long v = 0;
    const std::string field = "ItemCount(" + std::to_string(i) + ")";
    if (!r.Number(field.c_str(), 0, 255, v)) return fail();
    items[i] = static_cast<Byte>(v);
  }
  for (int i = 0; i < 512; ++i) {
    long long v = 0;
    const std::string field = "Flags(" + std::to_string(i) + ")";
    if (!r.Number(field.c_str(), 0, 255, v)) return fail();
    flags[i] = static_cast<Byte>(v);
  }
  for (int i = 0; i < 512; ++i) {
    const std::string field = "TakenList(" + std::to_string(i) + ")";
    if (!r.Text(field.c_str(), taken[i])) return fail();
  }

  const std::string mazeFile = "map/maz" + ThreeDigits(maze) + ".map";
  const std::string roomFile = "map/room" + ThreeDigits(room) + ".rdt";
  if (!fs::exists(AppPath("\\" + mazeFile))) {
    error = name + " line " + std::to_string(placeLine) + ": maze " + std::to_string(maze) +
            " has no file " + mazeFile;
    return false;
  }
  if (!fs::exists(AppPath("\\" + roomFile))) {
    error = name + " line " + std::to_string(placeLine) + ": room " + std::to_string(room) +
            " has no file " + roomFile;
    return false;
  }

  // She must be able to stand where the save puts her: her cell open in the maze as its file
  // holds it (script changes to a maze are not saved). Rock above her is a low passage.
  try {
    const std::vector<Integer> codes = ReadMazeCodes(AppPath("\\" + mazeFile));
    for (long long row : {y}) {
      const Integer code = codes[static_cast<size_t>(x * 256 + row)];
      if (TileAttr(code) == 3) {
        error = name + " line " + std::to_string(placeLine) + ": the cell (" + std::to_string(x) +
                ", " + std::to_string(row) + ") of maze " + std::to_string(maze) +
                " is rock (tile " + std::to_string(code) + "); she cannot stand there";
        return false;
      }
    }
  } catch (const platform::FatalError& e) {
    error = name + " line " + std::to_string(placeLine) + ": maze " + std::to_string(maze) +
            " cannot be read: " + e.what();
    return false;
  }

  ObjRecord& p = Obj(0);
  p.X = I16(x);
  p.Y = I16(y);
  p.Kind = I16(maze);
  LifeMax = I16(lifeMax);
  Life = I16(life);
  RoomNo = I16(room);
  for (int i = 0; i < 40; ++i) ItemCount(i) = items[i];
  for (int i = 0; i < 512; ++i) Flags(i) = flags[i];
  for (int i = 0; i < 512; ++i) TakenList(i) = FromUtf8(taken[i]);
  return true;
}

}  // namespace quelmire
