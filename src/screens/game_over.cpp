// Game over: its song heard once, the screen washed out to red, the pattern, the picture
// wiped in line by line, then back to the title on a key.
#include "shell/form1.h"

namespace quelmire {

void Form1::PlayGameOver() {
  RunEventScript(U"md08");
  MusicOn = False;

  constexpr int kRed = 2;
  for (int level = 16; level >= 0; --level) {
    WriteFadeLevel(kRed, level);
    Sleep(96);
  }

  // The pattern goes in while everything shows red, then the colours come back at once.
  BltRect = {240, 280, 320, 320};
  for (int row = 0; row <= 11; ++row) {
    for (int col = 0; col <= 7; ++col)
      BltFast(*PrimarySurface, 80 * col, 40 * row, *CharSurface(1), false);
  }
  for (int i = 0; i <= 255; ++i) WorkPalette(i) = BasePalette(i);
  Platform().SetEntries(0, 255, &WorkPalette(0));

  // The picture interlaced: even lines top-down, then odd lines bottom-up.
  for (int i = 0; i <= 17; ++i) {
    BltRect = {0, 320 + 2 * i, 320, 321 + 2 * i};
    BltFast(*PrimarySurface, 162, 222 + 2 * i, *CharSurface(1), true);
    Sleep(48);
  }
  for (int i = 17; i >= 0; --i) {
    BltRect = {0, 321 + 2 * i, 320, 322 + 2 * i};
    BltFast(*PrimarySurface, 162, 223 + 2 * i, *CharSurface(1), true);
    Sleep(48);
  }

  WaitForKey();
  Timer1.Enabled = false;
  Timer2.Enabled = true;
}

}  // namespace quelmire
