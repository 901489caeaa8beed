// The pause screen, which is also the inventory: over the dimmed play picture the heroine,
// the crystal count, the seven orbs, the twenty keys and the five special items, and the two
// ways out of play. The world stands still while it is open.
#include "shell/form1.h"

namespace quelmire {

void Form1::ShowPauseMenu() {
  Integer statusButton = static_cast<Integer>(GameSettings.padButtons[2]), button = False;
  auto escapeHeld = [&] {
    JoystickButtonDown(statusButton, button);
    return ActionDown(Action::Status) || button != False;
  };

  // The press that opened the screen must be released before a new one can close it.
  auto waitForRelease = [&] {
    do {
      DoEvents();
      GetKeyboardState();
    } while (escapeHeld());
  };
  waitForRelease();

  Surface& sheet0 = *CharSurface(0);
  Surface& sheet1 = *CharSurface(1);
  for (;;) {
    DrawPlayScreen();
    SetForeColor(*BackBuffer, 0xFFFFFF);

    BltRect = {164, 128, 196, 160};
    for (int i = 0; i <= 14; ++i) {
      for (int j = 0; j <= 19; ++j) BltFast(*BackBuffer, 32 * j, 32 * i, sheet1, true);
    }

    const int a = DigitAt(U"000111222333", Mod(FrameCount, 12) + 1);
    FrameCount = FrameCount >= 191 ? 0 : FrameCount + 1;

    BltRect = {0, 256 + 32 * a, 32, 288 + 32 * a};
    BltFast(*BackBuffer, 32, 48, sheet0, true);

    // Crystals: the count as three digits.
    DrawText(*BackBuffer, 8, 82, Tr(U"クリスタル"));
    BltRect = {180, 168, 198, 192};
    BltFast(*BackBuffer, 64, 55, sheet1, true);
    static const int kPow10[] = {1, 10, 100, 1000};
    for (int k = 0; k <= 2; ++k) {
      const int d = static_cast<int>(IDiv(Mod(ItemCount(0), kPow10[3 - k]), kPow10[2 - k]));
      BltRect = {18 * d, 168, 18 * d + 18, 192};
      BltFast(*BackBuffer, 82 + 18 * k, 55, sheet1, true);
    }

    // The seven orbs on their stands.
    for (int e = 1; e <= 7; ++e) {
      const int x = 40 * DigitAt(U"0404222", e) + 16;
      const int y = 40 * DigitAt(U"1331240", e) + 128;
      BltRect = {198, 128, 262, 178};
      BltFast(*BackBuffer, x, y, sheet1, true);
      BltRect = {32 * e + 8, 192, 32 * e + 40, 224};
      BltFast(*BackBuffer, x + 16, y + 6, sheet1, true);
      if (ItemCount(e) != 0) {
        BltRect = {32 * e, 256 + 32 * a, 32 * e + 32, 288 + 32 * a};
        BltFast(*BackBuffer, x + 16, y + 6, sheet0, true);
        DrawText(*BackBuffer, x - 1, y + 40, Tr(ItemName(e)));
      }
    }

    // Keys 10..29 and the special items 30..34 in three columns.
    for (int f = 10; f <= 34; ++f) {
      const int x = (f / 10 - 1) * 120 + 280;
      const int m = (f % 10) * 40;
      BltRect = {40, 224, 152, 240};
      BltFast(*BackBuffer, x - 2, m + 84, sheet1, true);
      if (ItemCount(f) != 0) {
        const int left = (f % 21) * 32;
        const int top = (f <= 20 ? 256 : 384) + 32 * a;
        BltRect = {left, top, left + 32, top + 32};
        BltFast(*BackBuffer, x, m + 64, sheet0, true);
        DrawText(*BackBuffer, x + 36, m + 79, Tr(ItemName(f)));
      }
    }

    DrawText(*BackBuffer, 48, 400, KeyLabel(Action::Options, Tr(U"オプション")));
    DrawText(*BackBuffer, 48, 420, KeyLabel(Action::Title, Tr(U"タイトル画面に戻る")));
    DrawText(*BackBuffer, 48, 440, KeyLabel(Action::Quit, Tr(U"ゲーム終了")));

    Flip();
    Sleep(48);
    DoEvents();
    GetKeyboardState();
    if (ActionDown(Action::Quit)) QuitGame();
    if (OptionsKeyDown()) {
      ShowOptions();
      continue;
    }
    if (ActionDown(Action::Title)) {
      Timer1.Enabled = false;
      Timer2.Enabled = true;
      break;
    }
    BGM_Repeat();
    if (escapeHeld()) break;
  }

  waitForRelease();
  DrawPlayScreen();
  Flip();
}

}  // namespace quelmire
