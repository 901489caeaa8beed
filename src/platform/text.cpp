// The window's font through SDL_ttf: glyphs rendered one by one without anti-aliasing, cached,
// and copied onto 8-bit surfaces as ink of one palette index.
#include "platform/text.h"

#include <SDL2/SDL_ttf.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/error.h"

namespace platform {

namespace {

constexpr int kFontPixels = 16;
constexpr const char* kDefaultFont = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

// Decodes one UTF-8 sequence at s[i], advancing i. Malformed input gives U+FFFD and moves on
// by one byte, so any byte string draws something and never reads past its end.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int extra = 0;
  char32_t c = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, c = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, c = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, c = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + static_cast<size_t>(extra) >= s.size()) {  // truncated sequence
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k <= extra; ++k) {
    const unsigned char b = byte(i + static_cast<size_t>(k));
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += static_cast<size_t>(extra) + 1;
  return c;
}

// The window's bold: each stroke is widened by one pixel to the right, as the face is
// emboldened at this size, except into a one-pixel gap between two strokes. Half-width letters
// have 8 pixels, so a plain smear would close the gaps of W, M, N, m and w and fill them solid.
// plain(x, y) is the regular glyph's ink, 0 <= x < w; the result is (w + 1) x h, row by row.
template <typename Plain>
std::vector<uint8_t> Embolden(int w, int h, const Plain& plain) {
  const auto inkAt = [&](int x, int y) { return x >= 0 && x < w && plain(x, y); };
  std::vector<uint8_t> ink(static_cast<size_t>(w + 1) * static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x <= w; ++x) {
      const bool on = inkAt(x, y) || (inkAt(x - 1, y) && !inkAt(x + 1, y));
      ink[static_cast<size_t>(y) * static_cast<size_t>(w + 1) + static_cast<size_t>(x)] = on;
    }
  }
  return ink;
}

}  // namespace

struct TextRenderer::Fonts {
  TTF_Font* face = nullptr;
};

std::string FindFontPath() {
  const char* env = std::getenv("QUELMIRE_FONT");
  if (env != nullptr && *env != '\0') return env;
  return kDefaultFont;
}

TextRenderer::TextRenderer() : fonts_(std::make_unique<Fonts>()) {
  if (TTF_Init() != 0)
    throw FatalError(std::string("cannot start the font engine: ") + TTF_GetError());
  const std::string path = FindFontPath();
  fonts_->face = TTF_OpenFont(path.c_str(), kFontPixels);
  if (fonts_->face == nullptr) {
    const std::string why = TTF_GetError();
    TTF_Quit();
    throw FatalError("cannot open the font " + path + ": " + why);
  }
  TTF_SetFontHinting(fonts_->face, TTF_HINTING_MONO);
}

TextRenderer::~TextRenderer() {
  TTF_CloseFont(fonts_->face);
  TTF_Quit();
}

const TextRenderer::Glyph& TextRenderer::GetGlyph(char32_t c) {
  auto it = cache_.find(c);
  if (it != cache_.end()) return it->second;

  Glyph g;
  // Control characters take no room and draw nothing.
  if (c >= 0x20 && c != 0x7F) {
    int advance = 0;
    if (TTF_GlyphMetrics32(fonts_->face, static_cast<Uint32>(c), nullptr, nullptr, nullptr, nullptr,
                           &advance) == 0) {
      g.advance = advance;
    }
    // Solid rendering is the font engine's one-bit mode: index 0 background, anything else ink.
    // The surface's origin is the pen position at the top of the line.
    SDL_Surface* surf = TTF_RenderGlyph32_Solid(fonts_->face, static_cast<Uint32>(c),
                                                SDL_Color{255, 255, 255, 255});
    if (surf != nullptr) {
      if (surf->format->BytesPerPixel == 1 && SDL_LockSurface(surf) == 0) {
        const auto* src = static_cast<const uint8_t*>(surf->pixels);
        g.width = surf->w + 1;
        g.height = surf->h;
        g.ink = Embolden(surf->w, surf->h, [&](int x, int y) {
          return src[static_cast<size_t>(y) * static_cast<size_t>(surf->pitch) +
                     static_cast<size_t>(x)] != 0;
        });
        SDL_UnlockSurface(surf);
      }
      SDL_FreeSurface(surf);
    }
  }
  return cache_.emplace(c, std::move(g)).first->second;
}

void TextRenderer::Draw(Surface& s, int x, int y, std::string_view utf8, uint8_t index) {
  long penX = x;
  bool touched = false;
  for (size_t i = 0; i < utf8.size();) {
    const Glyph& g = GetGlyph(NextCodePoint(utf8, i));
    if (penX >= s.Width()) break;  // everything further right is clipped too
    for (int gy = 0; gy < g.height; ++gy) {
      const long dy = static_cast<long>(y) + gy;
      if (dy < 0 || dy >= s.Height()) continue;
      for (int gx = 0; gx < g.width; ++gx) {
        const long dx = penX + gx;
        if (dx < 0 || dx >= s.Width()) continue;
        if (g.ink[static_cast<size_t>(gy) * static_cast<size_t>(g.width) +
                  static_cast<size_t>(gx)] != 0) {
          s.At(static_cast<int>(dx), static_cast<int>(dy)) = index;
          touched = true;
        }
      }
    }
    penX += g.advance;
  }
  if (touched) s.Touch();
}

int TextRenderer::Width(std::string_view utf8) {
  long width = 0;
  for (size_t i = 0; i < utf8.size();) {
    width += GetGlyph(NextCodePoint(utf8, i)).advance;
    if (width > INT_MAX / 2) break;
  }
  return static_cast<int>(width);
}

uint8_t NearestEntry(const Palette& pal, uint32_t rgb) {
  const int r = static_cast<int>(rgb & 0xFF);
  const int g = static_cast<int>((rgb >> 8) & 0xFF);
  const int b = static_cast<int>((rgb >> 16) & 0xFF);
  int best = 0;
  long bestDistance = LONG_MAX;
  for (int i = 0; i < 255; ++i) {
    if (i == 2) continue;  // the transparent colour
    const PaletteEntry& e = pal[static_cast<size_t>(i)];
    const long dr = e.r - r, dg = e.g - g, db = e.b - b;
    const long d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}

}  // namespace platform
