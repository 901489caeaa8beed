// The ending's tally: what the player collected and the completion percentage.
#pragma once

#include "shell/form1.h"

namespace quelmire {

struct Tally {
  long long crystals = 0;  // item 0
  long long orbs = 0;      // items 1..7
  long long keys = 0;      // items 10..29
  long long specials = 0;  // items 30..34
  long long lifeMax = 0;
  double percent = 0;
};

Tally CountTally(const Form1& f);

// A number as the game writes it in text: a blank before a non-negative number, "-" before a
// negative one, at most the two decimals it needs, and no zero before the point below 1.
String NumberText(double v);

}  // namespace quelmire
