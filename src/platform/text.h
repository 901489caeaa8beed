// Text in the window's font (IPAGothic 16 px, emboldened, not anti-aliased), drawn as ink of one
// palette index onto 8-bit surfaces. Used by both platforms.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/surface.h"

namespace platform {

class TextRenderer {
 public:
  // Opens the font. Throws FatalError naming the font file when it cannot be opened.
  TextRenderer();
  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  // Draws text with its top-left at (x, y); pixels outside the surface are clipped.
  // Full-width characters advance 16 pixels, half-width ones 8.
  void Draw(Surface& s, int x, int y, std::string_view utf8, uint8_t index);
  // Width in pixels of the text as Draw would lay it out.
  int Width(std::string_view utf8);

 private:
  struct Glyph {
    int width = 0, height = 0, advance = 0;
    std::vector<uint8_t> ink;  // width * height, non-zero = ink
  };
  const Glyph& GetGlyph(char32_t c);

  struct Fonts;
  std::unique_ptr<Fonts> fonts_;
  std::unordered_map<char32_t, Glyph> cache_;
};

// The palette entry nearest to rgb (red in the low byte), leaving out entry 2 (the
// transparent colour) and entry 255 (it does not fade). Ties go to the lower index.
uint8_t NearestEntry(const Palette& pal, uint32_t rgb);

// Where the font is looked for: $QUELMIRE_FONT, then Debian's IPAGothic.
std::string FindFontPath();

}  // namespace platform
