// Game pad reading. The d-pad pushes an axis to its stop and wins over the stick, so a pad
// whose stick drifts still walks cleanly with the d-pad.
#include "platform/sdl_gamepad.h"

#include <algorithm>
#include <iterator>

namespace platform {

namespace {

// -32768..32767 to 0..65535, centre 32768. The game only acts near the stops (below 1 % or
// above 90 % of the range), but sticks seldom reach their nominal end, above all towards up
// and left: the outer tenth of the travel counts as the stop.
uint32_t AxisToJoy(Sint16 v) {
  constexpr int kOuter = 29491;  // 90 % of the travel
  if (v <= -kOuter) return 0;
  if (v >= kOuter) return 65535;
  return static_cast<uint32_t>(static_cast<int>(v) + 32768);
}

constexpr uint32_t kStopLow = 0, kStopHigh = 65535;

// Button n of the game is bit n-1; 9 (Start) is the pause button.
constexpr SDL_GameControllerButton kButtons[] = {SDL_CONTROLLER_BUTTON_A,
                                                 SDL_CONTROLLER_BUTTON_B,
                                                 SDL_CONTROLLER_BUTTON_X,
                                                 SDL_CONTROLLER_BUTTON_Y,
                                                 SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                 SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                                                 SDL_CONTROLLER_BUTTON_BACK,
                                                 SDL_CONTROLLER_BUTTON_LEFTSTICK,
                                                 SDL_CONTROLLER_BUTTON_START,
                                                 SDL_CONTROLLER_BUTTON_RIGHTSTICK};

}  // namespace

Gamepads::~Gamepads() {
  CloseAll();
}

bool Gamepads::Open(int deviceIndex) {
  const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (instance < 0) return false;
  for (const Pad& p : pads_) {
    if (p.instance == instance) return false;  // already open
  }
  Pad pad;
  pad.instance = instance;
  if (SDL_IsGameController(deviceIndex)) {
    pad.controller = SDL_GameControllerOpen(deviceIndex);
    if (pad.controller == nullptr) return false;
    pad.joystick = SDL_GameControllerGetJoystick(pad.controller);
  } else {
    pad.joystick = SDL_JoystickOpen(deviceIndex);
    if (pad.joystick == nullptr) return false;
  }
  pads_.push_back(pad);
  return true;
}

Gamepads::Pad* Gamepads::Find(SDL_JoystickID instance) {
  auto it = std::find_if(pads_.begin(), pads_.end(),
                         [&](const Pad& p) { return p.instance == instance; });
  return it == pads_.end() ? nullptr : &*it;
}

void Gamepads::OpenPresent() {
  const int n = SDL_NumJoysticks();
  for (int i = 0; i < n; ++i) Open(i);
}

void Gamepads::HandleEvent(const SDL_Event& e) {
  // Presses are noted so that a quick one between two reads is not lost.
  if (e.type == SDL_CONTROLLERBUTTONDOWN) {
    // Mapped pads are read through their controller events only.
    Pad* p = Find(e.cbutton.which);
    if (p == nullptr || p->controller == nullptr) return;
    const auto b = static_cast<SDL_GameControllerButton>(e.cbutton.button);
    for (size_t bit = 0; bit < std::size(kButtons); ++bit) {
      if (kButtons[bit] == b) p->tapButtons |= 1u << bit;
    }
    if (b == SDL_CONTROLLER_BUTTON_DPAD_UP) p->tapHat |= SDL_HAT_UP;
    if (b == SDL_CONTROLLER_BUTTON_DPAD_DOWN) p->tapHat |= SDL_HAT_DOWN;
    if (b == SDL_CONTROLLER_BUTTON_DPAD_LEFT) p->tapHat |= SDL_HAT_LEFT;
    if (b == SDL_CONTROLLER_BUTTON_DPAD_RIGHT) p->tapHat |= SDL_HAT_RIGHT;
  } else if (e.type == SDL_JOYBUTTONDOWN) {
    Pad* p = Find(e.jbutton.which);
    if (p != nullptr && p->controller == nullptr && e.jbutton.button < 32) {
      p->tapButtons |= 1u << e.jbutton.button;
    }
  } else if (e.type == SDL_JOYHATMOTION) {
    Pad* p = Find(e.jhat.which);
    if (p != nullptr && p->controller == nullptr && e.jhat.hat == 0) p->tapHat |= e.jhat.value;
  } else if (e.type == SDL_JOYDEVICEADDED) {
    // Controllers announce themselves twice (as joystick and as controller); the joystick
    // events are enough and also cover pads without a mapping.
    if (Open(e.jdevice.which)) added_ = true;
  } else if (e.type == SDL_JOYDEVICEREMOVED) {
    const SDL_JoystickID instance = e.jdevice.which;
    auto it = std::find_if(pads_.begin(), pads_.end(),
                           [&](const Pad& p) { return p.instance == instance; });
    if (it != pads_.end()) {
      if (it->controller) {
        SDL_GameControllerClose(it->controller);
      } else {
        SDL_JoystickClose(it->joystick);
      }
      pads_.erase(it);
    }
  }
}

void Gamepads::CloseAll() {
  for (Pad& p : pads_) {
    if (p.controller) {
      SDL_GameControllerClose(p.controller);
    } else {
      SDL_JoystickClose(p.joystick);
    }
  }
  pads_.clear();
}

void Gamepads::EndShownTaps() {
  for (Pad& p : pads_) {
    if (!p.tapShown) continue;
    p.tapButtons = 0;
    p.tapHat = 0;
    p.tapShown = false;
  }
}

int Gamepads::GetPos(int id, JoyInfo& info) {
  if (id < 0 || id >= static_cast<int>(pads_.size())) return 1;
  Pad& p = pads_[static_cast<size_t>(id)];
  if (!SDL_JoystickGetAttached(p.joystick)) return 1;
  JoyInfo out;
  bool up = false, down = false, left = false, right = false;
  if (p.controller) {
    SDL_GameController* c = p.controller;
    out.xpos = AxisToJoy(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX));
    out.ypos = AxisToJoy(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
    up = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP);
    down = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    left = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    right = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    for (size_t bit = 0; bit < std::size(kButtons); ++bit) {
      if (SDL_GameControllerGetButton(c, kButtons[bit])) out.buttons |= 1u << bit;
    }
  } else {
    SDL_Joystick* j = p.joystick;
    if (SDL_JoystickNumAxes(j) >= 2) {
      out.xpos = AxisToJoy(SDL_JoystickGetAxis(j, 0));
      out.ypos = AxisToJoy(SDL_JoystickGetAxis(j, 1));
    } else {
      out.xpos = out.ypos = 32768;
    }
    if (SDL_JoystickNumHats(j) >= 1) {
      const Uint8 hat = SDL_JoystickGetHat(j, 0);
      up = hat & SDL_HAT_UP;
      down = hat & SDL_HAT_DOWN;
      left = hat & SDL_HAT_LEFT;
      right = hat & SDL_HAT_RIGHT;
    }
    const int buttons = std::min(SDL_JoystickNumButtons(j), 32);
    for (int b = 0; b < buttons; ++b) {
      if (SDL_JoystickGetButton(j, b)) out.buttons |= 1u << b;
    }
  }
  // Presses that were over before this read still count once.
  if (p.tapButtons != 0 || p.tapHat != 0) p.tapShown = true;
  out.buttons |= p.tapButtons;
  up = up || (p.tapHat & SDL_HAT_UP) != 0;
  down = down || (p.tapHat & SDL_HAT_DOWN) != 0;
  left = left || (p.tapHat & SDL_HAT_LEFT) != 0;
  right = right || (p.tapHat & SDL_HAT_RIGHT) != 0;
  if (up) out.ypos = kStopLow;
  if (down) out.ypos = kStopHigh;
  if (left) out.xpos = kStopLow;
  if (right) out.xpos = kStopHigh;
  info = out;
  return 0;
}

bool Gamepads::TakeAdded() {
  const bool was = added_;
  added_ = false;
  return was;
}

}  // namespace platform
