// The title screen. For now it shows the title picture with the title song and waits for Q;
// the menu, the intro and loading come with the screens.
#include "shell/form1.h"

namespace quelmire {

void Form1::Timer2_Timer() {
  if (!titleShown_) {
    titleShown_ = true;
    FadePalette(16, 0, -1);
    BltRect = {0, 0, 640, 480};
    BltFast(*BackBuffer, 0, 0, *TitleSurface, false);
    Flip();
    BGM_OPEN(SongPath(1));
    BGM_Play();
    SongNo = 1;
    FadePalette(0, 16, 1);
  }
  for (;;) {
    DoEvents();
    GetKeyboardState();
    BGM_Repeat();
    if (KeyDown(platform::vk::Q)) QuitGame();
  }
}

}  // namespace quelmire
