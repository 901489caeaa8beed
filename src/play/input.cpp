// Keyboard snapshot, joystick probe and reads, and the wait for a fresh key press.
#include "platform/key_names.h"
#include "shell/form1.h"

namespace quelmire {

namespace vk = platform::vk;

void Form1::GetKeyboardState() {
  uint8_t keys[256];
  ApiResult = I32(platform_.GetKeyboardState(keys));
  for (int i = 0; i <= 255; ++i) KeyState(i) = keys[i];
}

bool Form1::ActionDown(Action a) const {
  for (uint8_t k : GameSettings.keys[static_cast<size_t>(a)]) {
    if (KeyDown(k)) return true;
  }
  return false;
}

bool Form1::ConfirmKeyDown() const {
  return KeyDown(vk::Z) || KeyDown(vk::Space) || KeyDown(vk::Enter) || ActionDown(Action::Jump);
}

bool Form1::IsMenuKey(int k) {
  return k == vk::Up || k == vk::Down || k == vk::Left || k == vk::Right || k == vk::Z ||
         k == vk::Space || k == vk::Enter || k == vk::Escape;
}

bool Form1::OptionsKeyDown() const {
  for (uint8_t k : GameSettings.keys[static_cast<size_t>(Action::Options)]) {
    if (KeyDown(k) && !IsMenuKey(k)) return true;
  }
  return false;
}

String Form1::KeyLabel(Action a, const String& text) const {
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on chained operator+.
  String label = U"[";
  label += FromUtf8(platform::KeyName(GameSettings.keys[static_cast<size_t>(a)].front()));
  label += U"]:";
  label += text;
  return label;
}

void Form1::InitJoystick() {
  JoyButtonMask(0) = 0;
  for (int n = 1; n <= 9; ++n) JoyButtonMask(n) = 1 << (n - 1);
  if (platform_.JoyNumDevs() == 0) return;
  platform::JoyInfo info;
  if (platform_.JoyGetPos(0, info) == 0) {
    JoyId = 0;
  } else if (platform_.JoyGetPos(1, info) == 0) {
    JoyId = 1;
  } else {
    JoyPresent = False;
    return;
  }
  JoyPresent = True;
}

void Form1::ReadJoystickDirection(Integer& dir) {
  dir = 0;
  if (JoyPresent == False) return;
  platform::JoyInfo info;
  if (platform_.JoyGetPos(JoyId, info) != 0) return;
  int d = 0;
  if (info.ypos < 655) d += 1;
  if (info.ypos > 58982) d += 2;
  if (info.xpos < 655) d += 4;
  if (info.xpos > 58982) d += 8;
  dir = static_cast<Integer>(d);
}

void Form1::JoystickButtonDown(Integer& n, Integer& down) {
  down = False;
  if (JoyPresent == False) return;
  const Long mask = JoyButtonMask(n);  // a button outside 0..9 stops with an index report
  platform::JoyInfo info;
  if (platform_.JoyGetPos(JoyId, info) != 0) return;
  if ((info.buttons & static_cast<uint32_t>(mask)) != 0) down = True;
}

void Form1::WaitForKey() {
  Integer button1 = 1, down = False;
  auto pass = [&] {
    DoEvents();
    BGM_Repeat();
    GetKeyboardState();
    JoystickButtonDown(button1, down);
  };
  // Release phase: wait until the keys of the last action are up.
  do {
    pass();
  } while (down != False || ConfirmKeyDown() || KeyDown(vk::Right) || KeyDown(vk::Up) ||
           KeyDown(vk::Down));
  // Press phase. Left and Escape do not count.
  do {
    pass();
  } while (!(down != False || ConfirmKeyDown() || KeyDown(vk::Down) || KeyDown(vk::Right) ||
             KeyDown(vk::Up)));
}

}  // namespace quelmire
