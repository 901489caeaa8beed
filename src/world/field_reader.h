// Fields of the maze and room files: commas and line breaks separate them, blanks around a
// field are ignored, and a text field in double quotes may hold commas. The whole file is
// read into memory at once, so no file stays open while the records are acted on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/basic.h"

namespace quelmire {

class FieldReader {
 public:
  // Reads the whole file; a missing or unreadable file is fatal, naming it.
  static std::string ReadFile(const std::string& path);
  static FieldReader Open(const std::string& path);
  FieldReader(std::string path, std::string text);

  // True when no field is left (blank lines and trailing blanks hold none).
  bool AtEnd();
  // The next field without its surrounding blanks and quotes; valid until the reader goes.
  std::string_view Next();
  // The last field was ended by a comma (rather than a line break or the end of the file).
  bool EndedByComma() const { return afterComma_; }
  // Line of the last field read, from 1.
  int Line() const { return fieldLine_; }
  const std::string& Path() const { return path_; }

  // The last field read as a number in -32768..32767; anything else is fatal, naming `what`.
  long Number(std::string_view field, const std::string& what) const;
  // Stops the game with a report naming the file and the line of the last field.
  [[noreturn]] void Fail(const std::string& message) const;

 private:
  std::string path_;
  std::string text_;
  size_t pos_ = 0;
  int line_ = 1;
  int fieldLine_ = 0;
  bool afterComma_ = false;
};

// Parses a whole number field: blanks around it, an optional sign and at least one digit.
// Returns false when the field holds anything else; sets `outOfRange` for a number beyond
// the 16-bit range.
bool ParseIntegerField(std::string_view field, long& value, bool& outOfRange);

// The 65536 tile codes of a maze file, a column at a time (code of column c, row r at
// c * 256 + r); a fault is fatal, naming the file, the line and the field.
std::vector<Integer> ReadMazeCodes(const std::string& path);

// The last three characters of the decimal text of n + 1000 (file names, home cells).
std::string ThreeDigits(long long n);

}  // namespace quelmire
