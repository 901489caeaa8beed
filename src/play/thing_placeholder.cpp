// Stand-in until the things of a room move.
#include "shell/form1.h"

namespace quelmire {

void Form1::ProcessThing(int) {}

}  // namespace quelmire
