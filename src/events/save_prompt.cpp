// The save prompt of a warp: four choices drawn straight onto the visible surface (no save,
// slots 1..3), a cursor that moves one step per press and wraps, Left or Right to leave.
#include "shell/form1.h"

namespace quelmire {

namespace {

namespace vk = platform::vk;

constexpr int kChoiceX = 160;
int ChoiceY(int i) {
  return 80 + 80 * i;
}

}  // namespace

void Form1::RunSavePrompt() {
  Surface& screen = *PrimarySurface;
  // Keep the screen to put it back on the way out.
  BltRect = {0, 0, 640, 480};
  BltFast(*BackBuffer, 0, 0, screen, false);

  int selection = -1;
  bool latched = false;
  Integer dir = 0, button1 = 1, confirm = False;
  for (;;) {
    DoEvents();
    GetKeyboardState();
    ReadJoystickDirection(dir);
    const bool up = KeyDown(vk::Up) || (dir & 1) != 0;
    const bool down = KeyDown(vk::Down) || (dir & 2) != 0;
    const int d = (up && !down) ? -1 : (down && !up) ? 1 : 0;
    if (selection < 0 || (d != 0 && !latched)) {
      latched = true;
      selection = (selection < 0 ? 0 : selection) + d;
      if (selection < 0) selection = 3;
      if (selection > 3) selection = 0;
      for (int i = 0; i < 4; ++i) {
        BltRect = {80 * i, 240, 80 * i + 80, 280};
        BltFast(screen, kChoiceX, ChoiceY(i), *CharSurface(1), false);
      }
      BltRect = {0, 280, 80, 320};
      BltFast(screen, kChoiceX, ChoiceY(selection), *CharSurface(1), true);
    } else if (d == 0) {
      latched = false;
    }

    if (KeyDown(vk::Left) || KeyDown(vk::Right) || (dir & (4 | 8)) != 0) break;

    JoystickButtonDown(button1, confirm);
    if (ConfirmKeyDown() || confirm != False) {
      if (selection != 0) {
        BltRect = {80, 280, 240, 320};
        BltFast(screen, 200, 100 + 80 * selection, *CharSurface(1), false);
        if (WriteSaveFile(selection)) {
          Sleep(800);
        } else {
          // The old save is still whole; say so and play on.
          const String line = Tr(U"セーブできませんでした。");
          const int y = 110 + 80 * selection;
          SetForeColor(screen, 0);
          DrawText(screen, 369, y + 1, line);
          SetForeColor(screen, 0xB0B0FF);
          DrawText(screen, 368, y, line);
          WaitForKey();
        }
      }
      break;
    }
  }

  BltRect = {0, 0, 640, 480};
  BltFast(screen, 0, 0, *BackBuffer, false);
  // The key that left the prompt counts as held in the tick the warp returns to.
  RefreshPlayLatches();
}

}  // namespace quelmire
