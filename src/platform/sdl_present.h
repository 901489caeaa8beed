// The step from the 8-bit picture to the window's 32-bit texture.
#pragma once

#include <cstdint>

#include "platform/surface.h"

namespace platform {

// The ARGB8888 colour of every palette entry (fully opaque).
void BuildArgbTable(const Palette& pal, uint32_t table[256]);

// Converts the whole 8-bit picture through the table into ARGB8888 rows `pitch` bytes apart.
void ConvertToArgb(const Surface& s, const uint32_t table[256], void* dst, int pitch);

}  // namespace platform
