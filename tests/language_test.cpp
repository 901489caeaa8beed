// Playing in English: the catalogue read from the built game folder (and refused when it is
// missing or cut short), the pick-up message put together from it, and the window's layout
// of translated text by words in half-width cells.
#include <gtest/gtest.h>

#include <tuple>

#include "events/message_layout.h"
#include "test_support.h"

namespace {

using namespace testing_support;
using quelmire::MessagePiece;

// (text, which glyph, its x and y): the first glyph of a line stands at (172, 76), lines are
// 20 pixels apart, a half-width glyph takes 8 pixels and a full-width one 16.
TEST(TranslatedLayout, WordsWrapAtTheirLineKeepingIndentAndPunctuation) {
  const std::tuple<const char32_t*, size_t, int, int> cases[] = {
      {U"{r}      Found {b}Fey Shoes{w}!{i34}", 0, 220, 96},          // indent of six
      {U"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", 35, 452, 76},         // 36 cells fill a line
      {U"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx {b}Key{w}.", 32, 172, 96},  // "Key." moves whole
      {U"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx {b}Key{w}.", 35, 196, 96},
      {U"  aaaa bbbb cccc dddd eeee ffff gggg hhhh", 28, 188, 96},  // the indent is kept
      {U"ああああああああああああああああああ あ", 18, 172, 96},    // full-width: 18
      {U"{x}", 0, 172, 76},                                         // not a control
  };
  for (const auto& [text, n, x, y] : cases) {
    SCOPED_TRACE(quelmire::ToUtf8(text));
    std::vector<MessagePiece> glyphs;
    for (const MessagePiece& p : quelmire::LayOutTranslated(text)) {
      if (p.kind == MessagePiece::kGlyph) glyphs.push_back(p);
    }
    ASSERT_LT(n, glyphs.size());
    EXPECT_EQ(std::tuple(glyphs[n].x, glyphs[n].y), std::tuple(x, y));
  }
  const auto pieces = quelmire::LayOutTranslated(U"{fa}{c}Hot{w}{i 7}");
  ASSERT_EQ(pieces.size(), 7u);
  EXPECT_EQ(std::tuple(pieces[0].kind, pieces[1].colour, pieces[6].kind, pieces[6].icon),
            std::tuple(MessagePiece::kPortrait, U'c', MessagePiece::kIcon, 7L));
}

TEST(Languages, EnglishFromTheBuiltCatalogueAndJapaneseWhenItCannotBeRead) {
  Scene s;
  s.Load();
  auto& f = s.f();
  std::string error;
  ASSERT_TRUE(f.UseLanguage("en", error)) << error;
  EXPECT_EQ(f.Tr(U"r　水の溜まる音がする。"), U"{r}  I hear water pooling.");
  EXPECT_EQ(f.Tr(U"not in the catalogue"), U"not in the catalogue");
  EXPECT_EQ(f.TranslatedItemMessage(8),
            U"{r}      Found {b}Gold Heart{w}!{i08}{r}      My max life went up by 3!");

  // A catalogue cut short is refused whole, and the game plays on in Japanese.
  const std::string mo = ReadFile(s.dir / "lang/en.mo");
  WriteFile(s.dir / "lang/cut.mo", mo.substr(0, mo.size() / 2));
  for (const char* code : {"cut", "xx"}) {
    SCOPED_TRACE(code);
    EXPECT_FALSE(f.UseLanguage(code, error));
    EXPECT_NE(error.find(std::string("lang/") + code + ".mo"), std::string::npos) << error;
    EXPECT_FALSE(f.Translated());
    EXPECT_EQ(f.Tr(U"クリスタル"), U"クリスタル");
  }
}

}  // namespace
