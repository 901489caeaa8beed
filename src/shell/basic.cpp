#include "shell/basic.h"

#include <cmath>
#include <limits>

namespace quelmire {

void Fatal(const std::string& message) { throw platform::FatalError(message); }

void IndexError(long long i, long lo, long hi) {
  Fatal("index " + std::to_string(i) + " outside the array bounds " + std::to_string(lo) +
        ".." + std::to_string(hi));
}

namespace {
long long Checked(long long v, long long lo, long long hi, const char* what) {
  if (v < lo || v > hi) {
    Fatal(std::string(what) + " overflow: " + std::to_string(v) + " outside " +
          std::to_string(lo) + ".." + std::to_string(hi));
  }
  return v;
}
}  // namespace

Integer I16(long long value, const char* what) {
  return static_cast<Integer>(Checked(value, -32768, 32767, what));
}
Long I32(long long value, const char* what) {
  return static_cast<Long>(Checked(value, std::numeric_limits<Long>::min(),
                                   std::numeric_limits<Long>::max(), what));
}
Byte U8(long long value, const char* what) {
  return static_cast<Byte>(Checked(value, 0, 255, what));
}

long long RoundHalfEven(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 9.0e18) {
    Fatal("number out of range: " + std::to_string(value));
  }
  double r = std::round(value);  // halves away from zero
  if (std::fabs(value - std::trunc(value)) == 0.5) r = 2.0 * std::round(value / 2.0);
  return static_cast<long long>(r);
}

long long Mod(long long a, long long b) {
  if (b == 0) Fatal("division by zero (Mod)");
  return a % b;
}

long long IDiv(long long a, long long b) {
  if (b == 0) Fatal("division by zero (\\)");
  return a / b;
}

String FromUtf8(std::string_view s) {
  String out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    int extra;
    if (c < 0x80) {
      cp = c;
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else {
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    if (i + static_cast<size_t>(extra) >= s.size()) {  // truncated sequence
      out.push_back(U'\uFFFD');
      break;
    }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
      if ((cc & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    out.push_back(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

std::string ToUtf8(const String& s) {
  std::string out;
  out.reserve(s.size());
  for (char32_t c : s) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = U'\uFFFD';
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

String Str(long long n) {
  std::string t = std::to_string(n);
  if (n >= 0) t = " " + t;
  return FromUtf8(t);
}

double Val(const String& s) {
  double sign = 1, v = 0;
  bool seenSign = false, seenDigit = false;
  for (char32_t c : s) {
    if (c == U' ' || c == U'\t' || c == U'\u3000') continue;
    if (!seenSign && !seenDigit && (c == U'-' || c == U'+')) {
      seenSign = true;
      if (c == U'-') sign = -1;
      continue;
    }
    if (c >= U'0' && c <= U'9') {
      seenDigit = true;
      v = v * 10 + static_cast<double>(c - U'0');
      continue;
    }
    break;
  }
  return sign * v;
}

String Mid(const String& s, long long p, long long n) {
  if (p < 1) Fatal("Mid: position " + std::to_string(p) + " below 1");
  if (n < 0) Fatal("Mid: negative length " + std::to_string(n));
  auto start = static_cast<size_t>(p - 1);
  if (start >= s.size()) return String();
  return s.substr(start, static_cast<size_t>(n));
}

String Mid(const String& s, long long p) {
  if (p < 1) Fatal("Mid: position " + std::to_string(p) + " below 1");
  auto start = static_cast<size_t>(p - 1);
  if (start >= s.size()) return String();
  return s.substr(start);
}

String Right(const String& s, long long n) {
  if (n < 0) Fatal("Right: negative length " + std::to_string(n));
  if (static_cast<size_t>(n) >= s.size()) return s;
  return s.substr(s.size() - static_cast<size_t>(n));
}

String Left(const String& s, long long n) {
  if (n < 0) Fatal("Left: negative length " + std::to_string(n));
  return s.substr(0, static_cast<size_t>(n));
}

long long InStr(long long start, const String& s, const String& needle) {
  if (start < 1) Fatal("InStr: start " + std::to_string(start) + " below 1");
  if (static_cast<size_t>(start - 1) > s.size()) return 0;
  auto pos = s.find(needle, static_cast<size_t>(start - 1));
  return pos == String::npos ? 0 : static_cast<long long>(pos) + 1;
}

String LCase(const String& s) {
  String out = s;
  for (auto& c : out) {
    if (c >= U'A' && c <= U'Z') c = c - U'A' + U'a';
  }
  return out;
}

int DigitAt(const String& table, long long p) {
  if (p < 1 || static_cast<size_t>(p) > table.size()) return 0;
  char32_t c = table[static_cast<size_t>(p - 1)];
  return (c >= U'0' && c <= U'9') ? static_cast<int>(c - U'0') : 0;
}

}  // namespace quelmire
