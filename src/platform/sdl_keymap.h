// Physical key positions (SDL scancodes) to the Windows virtual-key codes the game reads.
#pragma once

#include <SDL2/SDL_scancode.h>

#include <cstdint>

namespace platform {

// The virtual-key code of the key at this position on a US layout, 0 for keys the game's
// keyboard snapshot does not have. Shift, Ctrl and Alt give their left/right codes; the
// snapshot sets the shared code (16, 17, 18) as well.
uint8_t ScancodeToVk(SDL_Scancode sc);

}  // namespace platform
