// Leaving the ground: the start of a fall, gravity with the hold-to-extend rise, and the jump
// with its speed-dependent length and the short grace after walking off an edge.
#include "shell/form1.h"

namespace quelmire {

void Form1::PlayerFallStart() {
  const ObjRecord& p = Obj(0);
  if (!SolidForPlayer(p.X, p.Y + 1) && p.VY == 0 && AirTime == 0 &&
      !SolidForPlayer(LeanColumn(10), p.Y + 1)) {
    JumpLen = 0;
    AirTime = 1;
  }
}

void Form1::PlayerGravity() {
  if (AirTime == 0) return;
  ObjRecord& p = Obj(0);
  AirTime = I16(AirTime + 1, "AirTime");
  // Letting go of the jump button ends the rise at once.
  if (!JumpButtonDown() && AirTime <= JumpLen) AirTime = I16(JumpLen + 1, "AirTime");
  if (AirTime > JumpLen && p.VY < 20) p.VY = I16(p.VY + ((p.VY > 0 && p.VY < 12) ? 1 : 2));
}

void Form1::PlayerJumpStart() {
  static const String kRiseTicks = U"000113355";
  ObjRecord& p = Obj(0);
  // Every jump key must have been up at the last latch refresh: holding one never repeats.
  const bool fresh =
      KeyLatch(0) != False && KeyLatch(2) != False && KeyLatch(3) != False && KeyLatch(4) != False;
  if (!(JumpButtonDown() && p.Param == 0 && AirTime < 5 && JumpLen < 4 && fresh && Timer1.Enabled))
    return;
  JumpLen = I16(6 + DigitAt(kRiseTicks, std::abs(p.VX) + 1), "JumpLen");
  // A jump just after walking off an edge is nudged forward.
  if (AirTime != 0) p.OffX = I16(p.OffX + 2 * Sign(p.VX), "player OffX");
  p.VY = -12;
  AirTime = 1;
}

}  // namespace quelmire
