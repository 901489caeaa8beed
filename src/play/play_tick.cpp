// One play tick. The world, its things and its events join it as they are built.
#include "shell/form1.h"

namespace quelmire {

void Form1::Timer1_Timer() {
  DoEvents();
  GetKeyboardState();
  if (KeyDown(platform::vk::Q)) QuitGame();
  BGM_Repeat();
}

}  // namespace quelmire
