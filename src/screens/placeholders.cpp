// Stand-ins until the pause screen, the ending and game over are in: each ends play.
#include "shell/form1.h"

namespace quelmire {

void Form1::ShowPauseMenu() {}
void Form1::PlayEnding() {
  Timer1.Enabled = false;
  Timer2.Enabled = true;
}
void Form1::PlayGameOver() {
  Timer1.Enabled = false;
  Timer2.Enabled = true;
}

}  // namespace quelmire
