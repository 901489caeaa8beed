// The play keys: each action reads the keyboard snapshot and its joystick equivalent, and the
// once-per-press keys compare with the latches refreshed at the end of the tick's input steps.
#include "shell/form1.h"

namespace quelmire {

namespace vk = platform::vk;

bool Form1::JoyDirDown(int bit) {
  Integer dir = 0;
  ReadJoystickDirection(dir);
  return (dir & bit) != 0;
}

bool Form1::JoyButton(int n) {
  Integer button = static_cast<Integer>(n), down = False;
  JoystickButtonDown(button, down);
  return down != False;
}

Integer Form1::InputDirection() {
  Integer dir = 0;
  ReadJoystickDirection(dir);
  const bool right = KeyDown(vk::Right) || (dir & 8) != 0;
  const bool left = KeyDown(vk::Left) || (dir & 4) != 0;
  if (right && !left) return 1;
  if (left && !right) return -1;
  return 0;  // neither, or both
}

bool Form1::JumpButtonDown() {
  return KeyDown(vk::Space) || KeyDown(vk::Z) || KeyDown(vk::Enter) || JoyButton(1);
}

bool Form1::LiftButtonDown() {
  return KeyDown(vk::X) || JoyButton(2);
}

bool Form1::UpNewlyPressed() {
  return (KeyDown(vk::Up) && KeyLatch(1) != False) || (JoyDirDown(1) && KeyLatch(5) != False);
}

void Form1::RefreshPlayLatches() {
  auto up = [](bool down) { return down ? False : True; };
  KeyLatch(0) = up(KeyDown(vk::Space));
  KeyLatch(1) = up(KeyDown(vk::Up));
  KeyLatch(2) = up(KeyDown(vk::Z));
  KeyLatch(3) = up(KeyDown(vk::Enter));
  KeyLatch(4) = up(JoyButton(1));
  KeyLatch(5) = up(JoyDirDown(1));
}

}  // namespace quelmire
