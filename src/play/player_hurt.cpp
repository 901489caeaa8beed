// Harm from tiles (class 1 hurts, class 2 also throws back), the healing spot and the
// fairy-shoe lift.
#include "shell/form1.h"

namespace quelmire {

void Form1::PlayerKnockback(int vx) {
  ObjRecord& p = Obj(0);
  JumpLen = 2;
  AirTime = 1;
  p.VY = -12;
  p.VX = I16(vx, "player VX");
  p.Param = 1;
  p.Delay = 40;
  if (Life > 0) Life = I16(Life - 1, "Life");
  PlaySound(2);
}

void Form1::PlayerTileDamage() {
  ObjRecord& p = Obj(0);
  const long long lean = LeanColumn(10);
  // Centred on a class-2 cell: thrown straight away from the offset (straight up at 0).
  if (CellClass(p.X, p.Y) == 2 && p.OffY == 0 && p.Delay == 0) PlayerKnockback(Sign(p.OffX) * 6);
  // Leaning into a class-2 cell: thrown back from it.
  if (CellClass(lean, p.Y) == 2 && p.Delay == 0) PlayerKnockback(Sign(p.OffX) * -6);
  const long long r = p.OffY < -4 ? p.Y - 1 : p.Y;
  if ((CellClass(p.X, r) == 1 || CellClass(lean, r) == 1) && p.Delay == 0) {
    p.Delay = 40;
    if (Life > 0) Life = I16(Life - 1, "Life");
    PlaySound(2);
  }
}

void Form1::PlayerHealAndLift() {
  ObjRecord& p = Obj(0);
  if (UpNewlyPressed() && Life < LifeMax && CellClass(p.X, p.Y) == 5) Life = I16(Life + 1, "Life");
  // The fairy shoes (item 34) lift her while the button is held; it also ends a knockback.
  // Lifting off the ground makes her airborne, so that gravity takes over on release.
  if (LiftButtonDown() && ItemCount(34) != 0) {
    p.VY = -8;
    p.Param = 0;
    if (AirTime == 0) AirTime = 1;
  }
}

}  // namespace quelmire
