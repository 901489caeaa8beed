// The numeric and text model the whole game leans on.
#include <gtest/gtest.h>

#include "shell/basic.h"

namespace quelmire {
namespace {

TEST(Basic, StrWritesALeadingBlankForNonNegativeNumbers) {
  EXPECT_EQ(Str(12), U" 12");
  EXPECT_EQ(Str(0), U" 0");
  EXPECT_EQ(Str(-5), U"-5");
  // Item keys are three such texts joined: column 12, row 34, maze 5.
  EXPECT_EQ(Str(12) + Str(34) + Str(5), U" 12 34 5");
}

TEST(Basic, ValReadsBlanksSignAndLeadingDigits) {
  EXPECT_EQ(Val(U" 042"), 42);
  EXPECT_EQ(Val(U"-17abc"), -17);
  EXPECT_EQ(Val(U"1 2 3"), 123);
  EXPECT_EQ(Val(U"abc"), 0);
  EXPECT_EQ(Val(U""), 0);
  EXPECT_EQ(Val(U"+7"), 7);
  EXPECT_EQ(Val(U"--7"), 0);
}

TEST(Basic, MidRightAndDigitTablesStayInsideTheText) {
  String s = U"炎の宝珠abc";
  EXPECT_EQ(Mid(s, 2, 2), U"の宝");
  EXPECT_EQ(Mid(s, 6, 10), U"bc");
  EXPECT_EQ(Mid(s, 99, 3), U"");
  EXPECT_EQ(Right(s, 2), U"bc");
  EXPECT_EQ(Right(s, 50), s);
  EXPECT_EQ(Right(Str(1005), 3), U"005");
  EXPECT_EQ(DigitAt(U"000113355", 9), 5);
  EXPECT_EQ(DigitAt(U"000113355", 10), 0);  // past the end reads as 0
  EXPECT_EQ(DigitAt(U"000113355", 0), 0);
  EXPECT_EQ(InStr(1, U"abcabc", U"c"), 3);
  EXPECT_EQ(InStr(4, U"abcabc", U"c"), 6);
  EXPECT_EQ(InStr(1, U"abc", U"x"), 0);
  EXPECT_THROW(Mid(s, 0, 1), platform::FatalError);
}

TEST(Basic, RoundingIsHalfToEven) {
  EXPECT_EQ(RoundHalfEven(227.5), 228);
  EXPECT_EQ(RoundHalfEven(226.5), 226);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(-0.6), -1);
  EXPECT_EQ(CByte(200 / 16.0 * 8), 100);
}

TEST(Basic, SixteenBitResultsAndIndexesAreChecked) {
  EXPECT_EQ(I16(32767), 32767);
  EXPECT_EQ(I16(-32768), -32768);
  EXPECT_THROW(I16(32768), platform::FatalError);
  EXPECT_THROW(U8(256), platform::FatalError);
  EXPECT_THROW(U8(-1), platform::FatalError);
  EXPECT_THROW(CInt(40000.0), platform::FatalError);

  Array<int, 0, 6> a;
  a(6) = 1;
  EXPECT_THROW(a(7), platform::FatalError);
  EXPECT_THROW(a(-1), platform::FatalError);
  Array2<Integer, 0, 257, 0, 257> map;
  map(257, 257) = 3;
  EXPECT_EQ(map(257, 257), 3);
  EXPECT_THROW(map(258, 0), platform::FatalError);
  EXPECT_THROW(map(0, -1), platform::FatalError);
  try {
    a(9);
  } catch (const platform::FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("0..6"), std::string::npos);
  }
  EXPECT_EQ(Mod(-7, 3), -1);
  EXPECT_EQ(IDiv(-7, 2), -3);
  EXPECT_THROW(Mod(1, 0), platform::FatalError);
}

TEST(Basic, Utf8RoundTripAndMalformedBytes) {
  std::string s = "スイッチを押した。abc";
  EXPECT_EQ(ToUtf8(FromUtf8(s)), s);
  EXPECT_EQ(FromUtf8(s).size(), 12u);
  String bad = FromUtf8(std::string("a\xE3\x81", 3));  // cut in the middle of a character
  EXPECT_EQ(bad, String(U"a\uFFFD"));
}

}  // namespace
}  // namespace quelmire
