#include "events/message_layout.h"

namespace quelmire {

namespace {

int Cells(char32_t c) {
  return (c < 0x7F || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
}

// The control sequence at text[i] ("{" seen), its length with the braces, or 0 if none.
size_t ControlLength(const String& t, size_t i) {
  auto at = [&](size_t k) { return i + k < t.size() ? t[i + k] : U'\0'; };
  auto digit = [](char32_t c) { return c >= U'0' && c <= U'9'; };
  const char32_t c = at(1);
  if ((c == U'r' || c == U'b' || c == U'c' || c == U'w') && at(2) == U'}') return 3;
  if (c == U'f' && at(2) != U'\0' && at(3) == U'}') return 4;
  if (c == U'i' && digit(at(2)) && at(3) == U'}') return 4;
  if (c == U'i' && (digit(at(2)) || at(2) == U' ') && digit(at(3)) && at(4) == U'}') return 5;
  return 0;
}

}  // namespace

std::vector<MessagePiece> LayOutTranslated(const String& text) {
  constexpr int kFirstX = 172, kFirstY = 76, kCell = 8, kLineStep = 20;
  std::vector<MessagePiece> out;
  int line = 0, used = 0, indent = 0;
  bool atStart = true;  // no word placed yet in this paragraph
  auto newLine = [&](int cells) {
    ++line;
    used = cells;
  };
  auto glyph = [&](char32_t c) {
    MessagePiece p;
    p.x = kFirstX + kCell * used;
    p.y = kFirstY + kLineStep * line;
    p.glyph = c;
    out.push_back(p);
    used += Cells(c);
  };

  auto isNewLine = [&](size_t k) {
    return text[k] == U'{' && ControlLength(text, k) == 3 && text[k + 1] == U'r';
  };
  // The control at text[i] as a piece; a new line moves the pen instead.
  auto control = [&](size_t i, size_t n) {
    const char32_t k = text[i + 1];
    MessagePiece p;
    if (k == U'r') {
      newLine(0);
      indent = 0;
      atStart = true;
      return;
    }
    if (k == U'f') {
      p.kind = MessagePiece::kPortrait;
    } else if (k == U'i') {
      p.kind = MessagePiece::kIcon;
      for (size_t d = i + 2; d < i + n - 1; ++d) {
        if (text[d] != U' ') p.icon = p.icon * 10 + static_cast<long>(text[d] - U'0');
      }
    } else {
      p.kind = MessagePiece::kColour;
      p.colour = k;
    }
    out.push_back(p);
  };

  size_t i = 0;
  while (i < text.size()) {
    const char32_t c = text[i];
    if (const size_t n = c == U'{' ? ControlLength(text, i) : 0) {
      control(i, n);
      i += n;
    } else if (c == U' ') {
      if (atStart) ++indent;
      if (used > 0 || atStart) used += 1;  // a blank draws nothing
      ++i;
    } else {
      // A word runs up to a blank or a new line: a colour change inside it ("{b}Key{w}.")
      // does not split it, so its full stop is never carried alone.
      size_t end = i;
      int need = 0;
      while (end < text.size() && text[end] != U' ' && !isNewLine(end)) {
        if (const size_t n = text[end] == U'{' ? ControlLength(text, end) : 0) {
          end += n;
        } else {
          need += Cells(text[end++]);
        }
      }
      atStart = false;
      if (used + need > kTranslatedLineCells && used > indent) newLine(indent);
      while (i < end) {
        if (const size_t n = text[i] == U'{' ? ControlLength(text, i) : 0) {
          control(i, n);
          i += n;
          continue;
        }
        if (used + Cells(text[i]) > kTranslatedLineCells) newLine(indent);
        glyph(text[i++]);
      }
    }
  }
  return out;
}

}  // namespace quelmire
