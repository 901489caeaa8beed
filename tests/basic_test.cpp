// The numeric and text model the whole game leans on.
#include "shell/basic.h"

#include <gtest/gtest.h>

#include "platform_fixtures.h"

namespace quelmire {
namespace {

TEST(Basic, NumbersAndTextConvertAndTextFunctionsStayInsideTheText) {
  const std::pair<String, double> vals[] = {{U" 042", 42}, {U"-17abc", -17}, {U"1 2 3", 123},
                                            {U"abc", 0},   {U"", 0},         {U"+7", 7},
                                            {U"--7", 0}};
  for (const auto& [text, value] : vals) EXPECT_EQ(Val(text), value) << ToUtf8(text);
  const std::pair<double, long long> rounded[] = {
      {227.5, 228}, {226.5, 226}, {-2.5, -2}, {2.4999, 2}, {-0.6, -1}};
  for (const auto& [x, n] : rounded) EXPECT_EQ(RoundHalfEven(x), n) << x;
  // Text functions stay inside the text.
  const String s = U"炎の宝珠abc";
  const std::pair<String, String> cut[] = {{Mid(s, 2, 2), U"の宝"}, {Mid(s, 6, 10), U"bc"},
                                           {Mid(s, 99, 3), U""},    {Right(s, 2), U"bc"},
                                           {Right(s, 50), s},       {Right(Str(1005), 3), U"005"}};
  for (const auto& [got, want] : cut) EXPECT_EQ(got, want) << ToUtf8(want);
  // Past either end a digit table reads as 0.
  const String digits = U"000113355";
  EXPECT_EQ((std::vector<long long>{DigitAt(digits, 9), DigitAt(digits, 10), DigitAt(digits, 0),
                                    InStr(1, U"abcabc", U"c"), InStr(4, U"abcabc", U"c"),
                                    InStr(1, U"abc", U"x")}),
            (std::vector<long long>{5, 0, 0, 3, 6, 0}));
  const std::string utf8 = "スイッチを押した。abc";
  EXPECT_EQ(std::tuple(ToUtf8(FromUtf8(utf8)), FromUtf8(utf8).size()), std::tuple(utf8, 12u));
  // A character cut in the middle reads as a replacement character.
  EXPECT_EQ(FromUtf8(std::string("a\xE3\x81", 3)), String(U"a\uFFFD"));
}

TEST(Basic, SixteenBitResultsAndIndexesAreChecked) {
  EXPECT_EQ(std::tuple(I16(32767), I16(-32768), Mod(-7, 3), IDiv(-7, 2)),
            std::tuple(32767, -32768, -1, -3));
  Array<int, 0, 6> a;
  a(6) = 1;
  Array2<Integer, 0, 257, 0, 257> map;
  map(257, 257) = 3;
  EXPECT_EQ(map(257, 257), 3);
  const std::function<void()> fatal[] = {[] { I16(32768); },  [] { U8(256); },
                                         [] { U8(-1); },      [] { CInt(40000.0); },
                                         [] { Mod(1, 0); },   [&] { a(7); },
                                         [&] { a(-1); },      [&] { map(258, 0); },
                                         [&] { map(0, -1); }, [] { Mid(U"abc", 0, 1); }};
  for (size_t i = 0; i < std::size(fatal); ++i) EXPECT_THROW(fatal[i](), platform::FatalError) << i;
  EXPECT_NE(platform_fixtures::ErrorOf([&] { a(9); }).find("0..6"), std::string::npos);
}

}  // namespace
}  // namespace quelmire
