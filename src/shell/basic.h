// The game's numeric and text model: 16-bit Integer, Byte, Long, inclusive-bound arrays and
// the 1-based text helpers (Str, Val, Mid, Right). Every index and every 16-bit result is
// checked; a violation stops the game with a clear report instead of undefined behaviour.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace quelmire {

using Integer = int16_t;
using Long = int32_t;
using Byte = uint8_t;
// Game text: one element per character, so 1-based positions count characters.
using String = std::u32string;

constexpr Integer True = -1;
constexpr Integer False = 0;

[[noreturn]] void Fatal(const std::string& message);

// Range checks for stores into 16-bit Integer, 32-bit Long and Byte variables.
Integer I16(long long value, const char* what = "Integer");
Long I32(long long value, const char* what = "Long");
Byte U8(long long value, const char* what = "Byte");

// Real-number result stored into an integer: rounded to nearest, halves to even.
long long RoundHalfEven(double value);
inline Integer CInt(double value) { return I16(RoundHalfEven(value)); }
inline Byte CByte(double value) { return U8(RoundHalfEven(value)); }

// a Mod b: remainder with the sign of a.
long long Mod(long long a, long long b);
// a \ b: quotient truncated toward zero.
long long IDiv(long long a, long long b);
inline int Sign(long long x) { return (x > 0) - (x < 0); }

// Array with inclusive bounds Lo..Hi; every access is checked.
template <class T, long Lo, long Hi>
class Array {
 public:
  static constexpr long Lower = Lo;
  static constexpr long Upper = Hi;
  static constexpr long Size = Hi - Lo + 1;

  T& operator()(long long i) { return v_[Index(i)]; }
  const T& operator()(long long i) const { return v_[Index(i)]; }
  T* begin() { return v_; }
  T* end() { return v_ + Size; }
  const T* begin() const { return v_; }
  const T* end() const { return v_ + Size; }
  void Fill(const T& value) {
    for (auto& e : v_) e = value;
  }

 private:
  static long Index(long long i);
  T v_[Size]{};
};

[[noreturn]] void IndexError(long long i, long lo, long hi);

template <class T, long Lo, long Hi>
long Array<T, Lo, Hi>::Index(long long i) {
  if (i < Lo || i > Hi) IndexError(i, Lo, Hi);
  return static_cast<long>(i - Lo);
}

// Two-dimensional array indexed (column, row), inclusive bounds, checked.
template <class T, long C0, long C1, long R0, long R1>
class Array2 {
 public:
  static constexpr long Cols = C1 - C0 + 1;
  static constexpr long Rows = R1 - R0 + 1;

  T& operator()(long long c, long long r) { return v_[Index(c, r)]; }
  const T& operator()(long long c, long long r) const { return v_[Index(c, r)]; }
  // The Rows elements (c, R0..R1) of column c, side by side, for copying a whole column.
  T* Column(long long c) { return &v_[Index(c, R0)]; }
  void Fill(const T& value) {
    for (auto& e : v_) e = value;
  }

 private:
  static long Index(long long c, long long r) {
    if (c < C0 || c > C1) IndexError(c, C0, C1);
    if (r < R0 || r > R1) IndexError(r, R0, R1);
    return static_cast<long>((c - C0) * Rows + (r - R0));
  }
  T v_[Cols * Rows]{};
};

// Text conversions between the game's String and UTF-8 (files, fonts, reports).
String FromUtf8(std::string_view utf8);
std::string ToUtf8(const String& s);

// Str(n): decimal text with a leading blank when n is not negative, "-" otherwise.
String Str(long long n);
// Val(s): blanks ignored, optional sign, the leading decimal digits; no number reads as 0.
double Val(const String& s);
// Mid(s, p, n): n characters from 1-based position p (fewer or none past the end).
String Mid(const String& s, long long p, long long n);
// Mid(s, p): everything from position p.
String Mid(const String& s, long long p);
String Right(const String& s, long long n);
String Left(const String& s, long long n);
// 1-based position of needle in s at or after start, 0 when absent.
long long InStr(long long start, const String& s, const String& needle);
String LCase(const String& s);
// The digit at 1-based position p of a digit-string table; past the end reads as 0.
int DigitAt(const String& table, long long p);

}  // namespace quelmire
