// Palette lookup into the streaming texture: one table read per pixel.
#include "platform/sdl_present.h"

namespace platform {

void BuildArgbTable(const Palette& pal, uint32_t table[256]) {
  for (size_t i = 0; i < 256; ++i) {
    table[i] =
        0xFF000000u | (uint32_t{pal[i].r} << 16) | (uint32_t{pal[i].g} << 8) | uint32_t{pal[i].b};
  }
}

void ConvertToArgb(const Surface& s, const uint32_t table[256], void* dst, int pitch) {
  const int w = s.Width();
  const uint8_t* src = s.Pixels();
  auto* row = static_cast<uint8_t*>(dst);
  for (int y = 0; y < s.Height(); ++y) {
    auto* out = reinterpret_cast<uint32_t*>(row);
    for (int x = 0; x < w; ++x) out[x] = table[src[x]];
    src += w;
    row += pitch;
  }
}

}  // namespace platform
