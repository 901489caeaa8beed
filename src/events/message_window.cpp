// The message window: the current scene, a frame, and the whole text at once in 16-pixel
// cells, with inline control letters for colour, line breaks, the portrait and an item icon.
#include "events/message_layout.h"
#include "shell/form1.h"

namespace quelmire {

namespace {

constexpr long kWhite = 0xFFFFFF;
constexpr long kLightBlue = 0xFFC0C0;  // 192, 192, 255 (red in the low byte)
constexpr long kLightRed = 0xB0B0FF;   // 255, 176, 176

constexpr int kPenX = 156, kPenY = 76, kLineStep = 20, kCell = 16;
// A 19th ordinary character would stand past x = 444: it starts a new line instead.
constexpr int kLastCellX = 432;

// The item picture n of the character sheet, in the window's first cell.
void DrawMessageIcon(Form1& f, long long n) {
  const int32_t left = static_cast<int32_t>(Mod(n, 21) * 32);
  const int32_t top = n <= 20 ? 288 : 416;
  f.BltRect = {left, top, left + 32, top + 32};
  f.BltFast(*f.BackBuffer, 180, 76, *f.CharSurface(0), true);
}

void DrawMessagePortrait(Form1& f) {
  f.BltRect = {0, 360, 128, 488};
  f.BltFast(*f.BackBuffer, 32, 64, *f.CharSurface(1), true);
}

}  // namespace

void Form1::ShowMessage(const String& text) {
  const String translation = Translated() ? Tr(text) : text;
  if (translation != text) {
    ShowTranslatedMessage(translation, text);
    return;
  }
  OpenMessageWindow(text);
  int x = kPenX, y = kPenY;

  const long long len = static_cast<long long>(text.size());
  for (long long i = 1; i <= len; ++i) {
    const char32_t c = text[static_cast<size_t>(i - 1)];
    switch (c) {
      case U'r':
        y += kLineStep;
        x = kPenX;
        break;
      case U'b':
        SetForeColor(*BackBuffer, kLightBlue);
        break;
      case U'c':
        SetForeColor(*BackBuffer, kLightRed);
        break;
      case U'w':
        SetForeColor(*BackBuffer, kWhite);
        break;
      case U'f':
        DrawMessagePortrait(*this);
        ++i;  // the character after "f" is not read
        break;
      case U'i': {
        const long long n = static_cast<long long>(Val(Mid(text, i + 1, 2)));
        // "i-5" would name a cell left of the sheet: no icon.
        if (n >= 0) DrawMessageIcon(*this, n);
        i += 2;
        break;
      }
      default:
        // The full stop and the comma stay on their line, past its 18th cell if need be.
        if (c != U'。' && c != U'、' && x > kLastCellX) {
          y += kLineStep;
          x = kPenX;
        }
        x += kCell;
        DrawText(*BackBuffer, x, y, String(1, c));
    }
  }
  CloseMessageWindow();
}

void Form1::ShowTranslatedMessage(const String& text, const String& original) {
  OpenMessageWindow(original);
  for (const MessagePiece& p : LayOutTranslated(text)) {
    switch (p.kind) {
      case MessagePiece::kGlyph:
        DrawText(*BackBuffer, p.x, p.y, String(1, p.glyph));
        break;
      case MessagePiece::kColour:
        SetForeColor(*BackBuffer, p.colour == U'b'   ? kLightBlue
                                  : p.colour == U'c' ? kLightRed
                                                     : kWhite);
        break;
      case MessagePiece::kPortrait:
        DrawMessagePortrait(*this);
        break;
      case MessagePiece::kIcon:
        DrawMessageIcon(*this, p.icon);
        break;
    }
  }
  CloseMessageWindow();
}

// The scene and the empty window; the switch's sound goes with the Japanese text, whatever
// the language shown.
void Form1::OpenMessageWindow(const String& original) {
  DrawPlayScreen();
  if (InStr(1, original, U"スイッチを押した") > 0) PlaySound(9);
  BltRect = {0, 0, 320, 128};
  BltFast(*BackBuffer, 160, 64, *CharSurface(1), true);
  SetForeColor(*BackBuffer, kWhite);
}

void Form1::CloseMessageWindow() {
  Flip();
  WaitForKey();
  // The key that closed the window is still down: for the rest of the tick it is held, not a
  // fresh press that would make her jump or read the sign under her.
  RefreshPlayLatches();
}

}  // namespace quelmire
