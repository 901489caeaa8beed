// The play keys: each action reads the keyboard snapshot and its joystick equivalent, and the
// once-per-press keys compare with the latches refreshed at the end of the tick's input steps.
#include "shell/form1.h"

namespace quelmire {

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
  const bool right = ActionDown(Action::Right) || (dir & 8) != 0;
  const bool left = ActionDown(Action::Left) || (dir & 4) != 0;
  if (right && !left) return 1;
  if (left && !right) return -1;
  return 0;  // neither, or both
}

bool Form1::JumpButtonDown() {
  return ActionDown(Action::Jump) || JoyButton(GameSettings.padButtons[0]);
}

bool Form1::LiftButtonDown() {
  return ActionDown(Action::Fly) || JoyButton(GameSettings.padButtons[1]);
}

bool Form1::UpNewlyPressed() {
  return (ActionDown(Action::Use) && KeyLatch(1) != False) ||
         (JoyDirDown(1) && KeyLatch(5) != False);
}

void Form1::RefreshPlayLatches() {
  auto up = [](bool down) { return down ? False : True; };
  // Latches 0, 2 and 3 follow the jump action's first, second and third key.
  const std::vector<uint8_t>& jump = GameSettings.keys[static_cast<size_t>(Action::Jump)];
  auto jumpKey = [&](size_t i) { return i < jump.size() && KeyDown(jump[i]); };
  KeyLatch(0) = up(jumpKey(0));
  KeyLatch(1) = up(ActionDown(Action::Use));
  KeyLatch(2) = up(jumpKey(1));
  KeyLatch(3) = up(jumpKey(2));
  KeyLatch(4) = up(JoyButton(GameSettings.padButtons[0]));
  KeyLatch(5) = up(JoyDirDown(1));
}

}  // namespace quelmire
