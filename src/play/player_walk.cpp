// Walking: one pixel per tick of acceleration up to 8, friction when no direction is held,
// the walking frames and the facing.
#include "shell/form1.h"

namespace quelmire {

void Form1::PlayerWalk(Integer dir) {
  ObjRecord& p = Obj(0);
  // A knocked-back heroine cannot steer, but her speed is still bounded.
  if (Timer1.Enabled && p.Param == 0) p.VX = I16(p.VX + dir, "player VX");
  if (p.VX > 8) p.VX = 8;
  if (p.VX < -8) p.VX = -8;
}

void Form1::PlayerFriction(Integer dir) {
  static const String kWalkFrames = U"000111222111";
  ObjRecord& p = Obj(0);
  if (dir == 0 && p.Param == 0) p.VX = I16(p.VX - Sign(p.VX), "player VX");
  if (p.VX == 0) {
    p.Frame = 0;
    p.Anim = 0;
  }
  if (p.VX != 0 || dir != 0) {
    p.Anim = p.Anim < 12 ? I16(p.Anim + 1, "player Anim") : Integer{0};
    p.Frame = I16(DigitAt(kWalkFrames, p.Anim + 1));  // position 13 reads as 0
  }
  if (p.VX != 0 && p.Param == 0) p.Face = p.VX < 0 ? 1 : 0;
}

}  // namespace quelmire
