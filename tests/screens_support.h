// Probes for the screen tests: the shown palette in one word, the title's cursor box, and
// pixels of one colour.
#pragma once

#include <string>
#include <vector>

#include "test_support.h"

namespace screens_test {

using namespace testing_support;

// What the palette shows now, in one word.
inline std::string PaletteLook(Scene& s) {
  const auto& shown = s.game->plat->DisplayPalette();
  bool isBase = true, white = true, black = true, red = true;
  for (int i = 0; i <= 254; ++i) {
    const auto& c = shown[static_cast<size_t>(i)];
    const auto& b = s.f().BasePalette(i);
    isBase &= c.r == b.r && c.g == b.g && c.b == b.b;
    white &= c.r == 255 && c.g == 255 && c.b == 255;
    black &= c.r == 0 && c.g == 0 && c.b == 0;
    red &= c.r == 255 && c.g == 0 && c.b == 0;
  }
  return isBase ? "base" : white ? "white" : black ? "black" : red ? "red" : "between";
}

// Runs of equal looks in time order (e.g. base, white, base), the fades between left out.
inline std::vector<std::string> Runs(const std::vector<std::string>& looks) {
  std::vector<std::string> runs;
  for (const auto& l : looks) {
    if (l != "between" && (runs.empty() || runs.back() != l)) runs.push_back(l);
  }
  return runs;
}

// Pixels of palette index `index` inside a rectangle of a surface.
inline int CountIndex(const platform::Surface& s, int left, int top, int right, int bottom,
                      int index) {
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) n += s.At(x, y) == index;
  return n;
}

// The menu item the title's cursor box surrounds on the visible surface, -1 for none, -2 for
// two (the old one was not erased).
inline int TitleCursor(Scene& s) {
  int found = -1;
  for (int c = 0; c <= 4; ++c) {
    const int top = 368 + 20 * c,
              box = CountIndex(*s.f().PrimarySurface, 498, top, 499, top + 20, 1) +
                    CountIndex(*s.f().PrimarySurface, 581, top, 582, top + 20, 1);
    if (box == 40) found = found == -1 ? c : -2;
  }
  return found;
}

}  // namespace screens_test
