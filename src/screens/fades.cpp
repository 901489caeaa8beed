// Palette fades: every fade rewrites palette entries 0..254, never the pictures.
#include "shell/form1.h"

namespace quelmire {

namespace {
enum FadeKind { kBlack = 0, kWhite = 1, kRed = 2 };
}

void Form1::WriteFadeLevel(int kind, int level) {
  const double L = level;
  for (int i = 0; i <= 255; ++i) {
    const PaletteEntry& b = BasePalette(i);
    PaletteEntry& c = WorkPalette(i);
    auto black = [&](uint8_t v) { return CByte(v / 16.0 * L); };
    auto white = [&](uint8_t v) { return CByte((255.0 - v) / 16.0 * L + v); };
    switch (kind) {
      case kBlack:
        c.r = black(b.r), c.g = black(b.g), c.b = black(b.b);
        break;
      case kWhite:
        c.r = white(b.r), c.g = white(b.g), c.b = white(b.b);
        break;
      default:  // red: red rises to full as green and blue go to black
        c.r = CByte((255.0 - b.r) / 16.0 * (16.0 - L) + b.r);
        c.g = black(b.g), c.b = black(b.b);
        break;
    }
  }
  platform_.SetEntries(0, 255, &WorkPalette(0));
}

void Form1::FadePalette(const Integer& from, const Integer& to, const Integer& step) {
  // A counted loop; a zero step would never end, so it does nothing.
  if (step == 0) return;
  for (int level = from; step > 0 ? level <= to : level >= to; level += step) {
    WriteFadeLevel(kBlack, level);
    Sleep(48);
  }
}

void Form1::FadeToWhite() {
  for (int level = 0; level <= 16; ++level) {
    WriteFadeLevel(kWhite, level);
    Sleep(96);
  }
}

void Form1::FadeFromWhite() {
  for (int level = 16; level >= 0; --level) {
    WriteFadeLevel(kWhite, level);
    Sleep(96);
  }
}

}  // namespace quelmire
