// The ten sound effects: fire and forget, one voice each.
#include "shell/form1.h"

namespace quelmire {

void Form1::PlaySound(long long n) {
  if (n < 0 || n > 9 || !Sound(n)) return;  // only the loaded slots 0..9 can sound
  platform_.PlaySound(static_cast<int>(n));
}

}  // namespace quelmire
