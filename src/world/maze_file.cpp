// The maze map file: 256 rows of 256 tile codes, row by row, into Map. Two layouts are read:
// a row to a line (commas between the codes, a comma at the line's end allowed), or a code to
// a line. Blank lines hold nothing; a line that does not fit the layout of the first (a row
// too long or too short, a row too many, text after the last code) is refused, naming the
// file, the line and the field, rather than shifting every wall after it.
#include <algorithm>
#include <map>

#include "shell/form1.h"
#include "world/field_reader.h"

namespace quelmire {

namespace {
constexpr int kCodes = 256 * 256;
}  // namespace

std::vector<Integer> ReadMazeCodes(const std::string& path) {
  std::string text = FieldReader::ReadFile(path);
  // Warps go back and forth between a few mazes: a file whose bytes are those read last time
  // gives the same codes without parsing it again.
  struct Read {
    std::string text;
    std::vector<Integer> codes;
  };
  static std::map<std::string, Read> last;
  if (const auto it = last.find(path); it != last.end() && it->second.text == text) {
    return it->second.codes;
  }
  const std::string_view all(text);
  std::vector<Integer> codes(kCodes);
  size_t pos = all.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;  // an editor's byte order mark
  int line = 0;
  int perLine = 0;  // codes a line of this file holds: 256 or 1, as its first line
  int count = 0;
  auto fail = [&](const std::string& what) {
    Fatal(path + ", line " + std::to_string(line) + ": " + what);
  };
  while (pos < all.size()) {
    ++line;
    const size_t end = std::min(all.find_first_of("\r\n", pos), all.size());
    std::string_view fields = all.substr(pos, end - pos);
    pos = end + (all.substr(end, 2) == "\r\n" ? 2 : 1);
    while (!fields.empty() && (fields.back() == ' ' || fields.back() == '\t')) {
      fields.remove_suffix(1);
    }
    if (fields.find_first_not_of(" \t") == std::string_view::npos) continue;
    if (count == kCodes) {
      fail(perLine == 1 ? "a 65537th tile code; a maze holds 65536 (256 rows of 256)"
                        : "a 257th row; a maze holds 256 rows of 256 tile codes");
    }
    if (fields.back() == ',') fields.remove_suffix(1);  // a comma at the end separates nothing
    const int first = count;
    for (size_t p = 0;; ++count) {
      const size_t comma = fields.find(',', p);
      const std::string_view field = fields.substr(p, comma - p);
      if (count < kCodes && (perLine == 0 || count - first < perLine)) {
        long code = 0;
        bool outOfRange = false;
        const bool number = ParseIntegerField(field, code, outOfRange);
        if (!number || outOfRange || code < 0 || code > 159) {
          const std::string where = "tile code of column " + std::to_string(count % 256) +
                                    ", row " + std::to_string(count / 256);
          std::string shown(1, '"');
          shown.append(field.substr(0, 40)).push_back('"');
          if (!number) fail(where + ": " + shown + " is not a whole number");
          if (outOfRange) fail(where + ": " + shown + " is outside -32768..32767");
          fail(where + " is " + std::to_string(code) + ", outside 0..159");
        }
        codes[static_cast<size_t>(count % 256 * 256 + count / 256)] = static_cast<Integer>(code);
      }
      if (comma == std::string_view::npos) break;
      p = comma + 1;
    }
    const int n = ++count - first;
    if (perLine == 0) perLine = n == 1 ? 1 : 256;
    if (n != perLine) {
      fail(perLine == 1 ? "holds " + std::to_string(n) +
                              " tile codes; this maze has one code a line, as on its first line"
                        : "row " + std::to_string(first / 256) + " holds " + std::to_string(n) +
                              " tile codes; a row holds 256");
    }
  }
  if (count < kCodes) {
    fail("the maze ends after " + std::to_string(count) +
         " tile codes; it needs 65536 (256 rows of 256)");
  }
  if (last.size() >= 16) last.clear();  // a game has few mazes; a fuzzer writes many
  last[path] = Read{std::move(text), codes};
  return codes;
}

void Form1::LoadMazeMap() {
  const std::vector<Integer> codes =
      ReadMazeCodes(AppPath("\\map\\maz" + ThreeDigits(Obj(0).Kind) + ".map"));
  for (int col = 0; col <= 255; ++col) std::copy_n(&codes[col * 256u], 256, Map.Column(col));
  BuildRoom();
}

}  // namespace quelmire
