// Game pads through SDL's GameController API, read as the game's joystick: two axes in
// 0..65535 and button bits (bit n-1 = button n). Pads without a controller mapping are read as
// plain joysticks (first two axes, first hat, buttons in order).
#pragma once

#include <SDL2/SDL.h>

#include <vector>

#include "platform/platform.h"

namespace platform {

class Gamepads {
 public:
  Gamepads() = default;
  ~Gamepads();
  Gamepads(const Gamepads&) = delete;
  Gamepads& operator=(const Gamepads&) = delete;

  // Opens every pad present now. Pads found here do not count as plugged in later.
  void OpenPresent();
  // Device added/removed events and button and hat presses; anything else is ignored.
  void HandleEvent(const SDL_Event& e);
  // Called before each pump of events: taps that a read has shown are over.
  void EndShownTaps();
  void CloseAll();

  int Count() const { return static_cast<int>(pads_.size()); }
  // 0 and the pad's state for id 0 (first pad) or 1 (second); non-zero when there is none.
  // Buttons and d-pad directions pressed since the last pump read as down, even if they
  // are already up again, until EndShownTaps.
  int GetPos(int id, JoyInfo& info);
  bool TakeAdded();

 private:
  struct Pad {
    SDL_JoystickID instance = -1;
    SDL_GameController* controller = nullptr;  // null: plain joystick
    SDL_Joystick* joystick = nullptr;
    uint32_t tapButtons = 0;  // the game's button bits
    uint8_t tapHat = 0;       // SDL_HAT_* bits
    bool tapShown = false;
  };
  bool Open(int deviceIndex);
  Pad* Find(SDL_JoystickID instance);

  std::vector<Pad> pads_;
  bool added_ = false;
};

}  // namespace platform
