// Where the message window puts the glyphs of a translated text: laid out by words in the
// font's own widths, the control letters written in braces ({r}, {b}, {c}, {w}, {fa}, {i05})
// so that the letters themselves print. The same rule as tools/lang/textlayout.py.
#pragma once

#include <vector>

#include "shell/basic.h"

namespace quelmire {

struct MessagePiece {
  enum Kind { kGlyph, kColour, kPortrait, kIcon } kind = kGlyph;
  int x = 0, y = 0;  // a glyph's top-left corner on the screen
  char32_t glyph = 0;
  char32_t colour = 0;  // U'b', U'c' or U'w'
  long icon = 0;
};

constexpr int kTranslatedLineCells = 36;  // 8-pixel cells from x = 172 to 460

// The pieces in drawing order. A word that does not fit starts the next line at the indent
// (the blanks) its paragraph began with; a word longer than a line is cut at the line's end.
std::vector<MessagePiece> LayOutTranslated(const String& text);

}  // namespace quelmire
