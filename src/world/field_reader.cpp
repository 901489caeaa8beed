#include "world/field_reader.h"

#include <fstream>
#include <sstream>

#include "shell/basic.h"

namespace quelmire {

namespace {
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsLineBreak(char c) {
  return c == '\n' || c == '\r';
}

std::string Quoted(std::string_view field) {
  constexpr size_t kShown = 40;
  std::string s(field.substr(0, kShown));
  if (field.size() > kShown) s += "...";
  return "\"" + s + "\"";
}
}  // namespace

std::string FieldReader::ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) Fatal(path + ": cannot open the file (missing or unreadable)");
  std::ostringstream ss;
  ss << f.rdbuf();
  if (f.bad()) Fatal(path + ": read error");
  return std::move(ss).str();
}

FieldReader FieldReader::Open(const std::string& path) {
  return FieldReader(path, ReadFile(path));
}

FieldReader::FieldReader(std::string path, std::string text)
    : path_(std::move(path)), text_(std::move(text)) {
  // Editors on Windows like to start UTF-8 files with a byte order mark.
  if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
}

bool FieldReader::AtEnd() {
  if (afterComma_) return false;  // a comma always opens another field, even an empty one
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (IsBlank(c)) {
      ++pos_;
    } else if (IsLineBreak(c)) {
      if (c == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
      ++pos_;
      ++line_;
    } else {
      return false;
    }
  }
  return true;
}

std::string_view FieldReader::Next() {
  if (AtEnd()) Fail("the file ends where another field is needed");
  fieldLine_ = line_;
  while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  std::string_view field;
  const std::string_view all(text_);
  if (pos_ < text_.size() && text_[pos_] == '"') {
    const size_t start = pos_ + 1;
    size_t end = start;
    while (end < text_.size() && text_[end] != '"' && !IsLineBreak(text_[end])) ++end;
    if (end >= text_.size() || text_[end] != '"') {
      Fail("the quoted text " + Quoted(all.substr(start, end - start)) +
           " has no closing quote on its line");
    }
    field = all.substr(start, end - start);
    pos_ = end + 1;
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    if (pos_ < text_.size() && text_[pos_] != ',' && !IsLineBreak(text_[pos_])) {
      size_t after = pos_;
      while (after < text_.size() && text_[after] != ',' && !IsLineBreak(text_[after])) ++after;
      Fail("the quoted text " + Quoted(field) + " is followed by " +
           Quoted(all.substr(pos_, after - pos_)) + " before the next comma");
    }
  } else {
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineBreak(text_[pos_])) ++pos_;
    size_t end = pos_;
    while (end > start && IsBlank(text_[end - 1])) --end;
    field = all.substr(start, end - start);
    // A quote inside a field that does not start with one is a quote lost or misplaced.
    if (field.find('"') != std::string_view::npos) {
      Fail("the text " + Quoted(field) + " holds a double quote but does not start with one");
    }
  }
  afterComma_ = false;
  if (pos_ < text_.size()) {
    if (text_[pos_] == ',') {
      afterComma_ = true;
      ++pos_;
    } else {  // a line break
      if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
      ++pos_;
      ++line_;
    }
  }
  return field;
}

bool ParseIntegerField(std::string_view field, long& value, bool& outOfRange) {
  size_t i = 0, n = field.size();
  while (i < n && IsBlank(field[i])) ++i;
  while (n > i && IsBlank(field[n - 1])) --n;
  bool negative = false;
  if (i < n && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  if (i >= n) return false;
  long v = 0;
  outOfRange = false;
  for (; i < n; ++i) {
    const char c = field[i];
    if (c < '0' || c > '9') return false;
    if (v <= 100000) v = v * 10 + (c - '0');
  }
  value = negative ? -v : v;
  outOfRange = value < -32768 || value > 32767;
  return true;
}

long FieldReader::Number(std::string_view field, const std::string& what) const {
  long value = 0;
  bool outOfRange = false;
  if (!ParseIntegerField(field, value, outOfRange)) {
    Fail(what + ": " + Quoted(field) + " is not a whole number");
  }
  if (outOfRange) Fail(what + ": " + Quoted(field) + " is outside -32768..32767");
  return value;
}

void FieldReader::Fail(const std::string& message) const {
  Fatal(path_ + ", line " + std::to_string(fieldLine_ ? fieldLine_ : line_) + ": " + message);
}

std::string ThreeDigits(long long n) {
  const std::string t = std::to_string(n + 1000);
  return t.size() > 3 ? t.substr(t.size() - 3) : t;
}

}  // namespace quelmire
