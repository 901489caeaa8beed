// The tally's figures. Items 8 and 9 (the hearts) count through the life ceiling, and items 35
// and up not at all.
#include "screens/tally.h"

#include <cmath>
#include <cstdio>

namespace quelmire {

Tally CountTally(const Form1& f) {
  Tally t;
  auto sum = [&](int from, int to) {
    long long s = 0;
    for (int i = from; i <= to; ++i) s += f.ItemCount(i);
    return s;
  };
  t.crystals = f.ItemCount(0);
  t.orbs = sum(1, 7);
  t.keys = sum(10, 29);
  t.specials = sum(30, 34);
  t.lifeMax = f.LifeMax;
  // Summed wide: counts well past a normal game's (a room that hands out many orbs, say) must
  // still give a figure rather than stop the ending.
  const long long points =
      50 * t.crystals + 300 * t.orbs + 100 * t.keys + 50 * (t.lifeMax - 3) + 10 * t.specials;
  t.percent = static_cast<double>(points) / 100.0;
  return t;
}

String NumberText(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", std::fabs(v));
  std::string t = buf;
  while (t.back() == '0') t.pop_back();
  if (t.back() == '.') t.pop_back();
  if (t.rfind("0.", 0) == 0) t.erase(0, 1);
  if (t == "0" || t.empty()) return U" 0";
  return FromUtf8((v < 0 ? "-" : " ") + t);
}

}  // namespace quelmire
