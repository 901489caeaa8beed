// The heroine's move against the map: walls with the step-up onto low edges, strike blocks
// and breakable blocks hit from below, the ceiling bump, landing, and the airborne and
// riding frames.
#include "shell/form1.h"

namespace quelmire {

void Form1::PlayerMove() {
  static const String kAirFrames = U"000111222111";
  static const String kRideFrames = U"666777888777";
  ObjRecord& p = Obj(0);
  const long long x = p.X, y = p.Y;

  int nx, ny;
  if (RidingLift) {
    nx = LiftNX;
    ny = LiftNY;
  } else {
    nx = p.OffX + p.VX + DriftX;
    ny = p.OffY + p.VY;
  }
  // The body covers the head row y - 1 and its own row y, and reaches a side column past 10.
  const long long c0 = nx < -10 ? x - 1 : x;
  const long long c1 = nx > 10 ? x + 1 : x;
  const long long r0 = ny < -15 ? y - 2 : y - 1;
  const long long r1 = ny > 0 ? y + 1 : y;
  const long long r2 = ny < -15 ? y - 1 : y;
  bool blocked = false;
  auto solid = [&](long long c, long long r) { return SolidForPlayer(c, r); };

  // Sideways.
  const int m = p.VX + DriftX;
  if (m != 0) {
    const long long cs = m > 0 ? c1 : c0;
    if (solid(cs, r0) || solid(cs, r1) || solid(cs, r2)) {
      const bool low = !(!solid(cs, y) && p.OffY >= 1 && p.OffY <= 5);
      if (low || solid(cs, y - 1)) {
        const long long ck = nx > 0 ? c1 : c0;
        if (!(!solid(ck, y - 1) && p.VY != 0 && !solid(ck, y))) blocked = true;
      } else {
        // Only the foot meets an edge she has sunk 1..5 pixels below: step up onto it.
        ny = 0;
        p.VY = 0;
      }
    }
  }

  // Strike block overhead.
  if (ny < -15 && p.VY < 0) {
    long long sc = -1;
    if (CellClass(x, r0) == 4) {
      sc = x;
    } else if (CellClass(LeanColumn(4), r0) == 4) {
      sc = LeanColumn(4);
    }
    if (sc >= 0) {
      p.VY = 0;
      AirTime = I16(JumpLen + 1, "AirTime");
      ny = -15;
      const Integer code = Map(sc, r0);
      Map(sc, r0) = static_cast<Integer>(code == 54 ? 19 : code == 146 ? 122 : 0);
      PlaySound(0);
      BuildRoom();
    }
  }

  // Breakable block overhead: it gives way and the rise goes on at half speed.
  if (ny < -15 && p.VY < 0) {
    auto breakable = [&](long long c) { return Map(c, r0) == 7 || Map(c, r0) == 12; };
    long long bc = -1;
    if (breakable(x)) {
      bc = x;
    } else if (breakable(LeanColumn(10))) {
      bc = LeanColumn(10);
    }
    if (bc >= 0) {
      p.VY = CInt(p.VY / 2.0);
      Map(bc, r0) = static_cast<Integer>(Map(bc, r0) == 7 ? 9 : 8);
      PlaySound(3);
      BuildRoom();
    }
  }

  // Ceiling.
  if ((solid(c0, r0) || solid(c1, r0)) && p.VY < 0) {
    if (solid(x, r0) || solid(LeanColumn(10), r0)) {
      ny = -15;
      p.VY = 0;
      AirTime = I16(JumpLen + 1, "AirTime");
      if (!LiftButtonDown()) PlaySound(0);
    } else {
      blocked = true;
    }
  }

  // Floor.
  if ((solid(c0, r1) || solid(c1, r1)) && p.VY > 0) {
    if (solid(x, r1) || solid(LeanColumn(10), r1)) {
      ny = 0;
      p.VY = 0;
      AirTime = 0;
      JumpLen = 0;
      p.Param = 0;
    } else {
      blocked = true;
    }
  }

  // Against a wall: held 10 pixels from the cell's centre, the wind cancelled.
  if (blocked) {
    p.VX = I16(-DriftX, "player VX");
    nx = Sign(nx) * 10;
  }

  if (p.VY != 0 || AirTime != 0) {
    p.Frame = I16(DigitAt(kAirFrames, Mod(AirTime, 12) + 1) + (p.VY < 1 ? 3 : 6));
  }
  if (RidingLift) p.Frame = I16(DigitAt(kRideFrames, Mod(FrameCount, 12) + 1));
  p.OffX = I16(nx, "player OffX");
  p.OffY = I16(ny, "player OffY");
}

}  // namespace quelmire
