// How each kind of thing moves and animates: walkers, the watchful walker, the bouncer,
// command movers and lifts, flying chasers, followers, the blast pad and the items.
#include <algorithm>
#include <cstdlib>

#include "shell/form1.h"

namespace quelmire {

namespace {

const String kPulse = U"222333444333";          // bouncer and command movers
const String kWatchWalk = U"5555666677776666";  // kind 4 walking
const String kFlap = U"0000111122221111";       // chasers and followers
// Follower speeds -16..13, one character each at speed + 17.
const String kSpeedChars = U"0123456789abcdefghijklmnopqrst";

bool Has(const String& c, char32_t ch) {
  return c.find(ch) != String::npos;
}

// Command k of a list is its k-th group of three characters; a number outside the list
// (a room file may start Param anywhere) names no command and stands still.
String Command(const String& cmd, long long k) {
  if (k < 1) return String();
  return Mid(cmd, 3 * k - 2, 3);
}

}  // namespace

void Form1::ThingBehaviour(int i, Integer& nx, Integer& ny, Integer dx, Integer dy) {
  ObjRecord& t = Obj(i);
  switch (t.Kind) {
    case 1:
    case 4:
    case 6:
      WalkThing(i, nx, dx, dy);
      break;
    case 2:
      BounceThing(i, ny);
      break;
    case 3:
    case 10:
    case 19:
      CommandThing(i, nx, ny, dx, dy);
      break;
    case 5:
    case 7:
      ChaseThing(i);
      break;
    case 8:
      FollowThing(i);
      break;
    case 9:
      BlastPadThing(i, ny);
      break;
    default:
      if (t.Kind >= 20) {  // items lie still and sparkle
        t.Frame = I16(Mod(t.Kind - 20, 21));
        t.VX = 0;
        t.VY = 0;
        t.Face = t.Kind <= 40 ? Integer{2} : Integer{4};
      }
      break;  // 11..18 drift by whatever speed a script gave them
  }
}

// Kinds 1 and 6 walk and turn; kind 4 also turns toward a player behind it, after a pause.
void Form1::WalkThing(int i, Integer& nx, Integer dx, Integer dy) {
  ObjRecord& t = Obj(i);
  const ObjRecord& p = Obj(0);
  const Integer base = t.Kind == 6 ? Integer{11} : t.Kind == 4 ? Integer{5} : Integer{0};
  const long long a = std::abs(nx) > 8 ? t.X + Sign(nx) : t.X;

  // Unsupported under both the own and the look-ahead column: fall.
  const bool underOwn = ThingSolid(t.X, t.OffY >= -8 ? t.Y + 1LL : t.Y);
  const bool underAhead = ThingSolid(a, t.OffY >= 0 ? t.Y + 1LL : t.Y);
  if (!underOwn && !underAhead) {
    t.VX = 0;
    t.VY = 8;
    t.Frame = base;
    return;
  }

  // Walls turn every walker; ledges turn all but kind 6.
  if (ThingSolid(a, t.Y) || (t.Kind != 6 && !ThingSolid(a, t.Y + 1LL))) {
    t.Face = I16(1 - t.Face);
    nx = t.OffX;
  }

  if (t.Kind == 4) {
    const bool near = std::abs(dy) <= 27 && std::abs(t.X - p.X) <= 11 && t.VX != 0;
    if (near && Sign(-dx) != Sign(t.VX)) {  // the player is behind it
      t.Face = dx > 0 ? Integer{1} : Integer{0};
      t.Delay = 12;
    }
    if (t.Delay != 0) {
      t.VX = 0;
    } else {
      t.VX = t.Face == 0 ? t.Param : I16(-t.Param);
    }
    if (t.Delay > 0) t.Delay = I16(t.Delay - 1);
    t.VY = 0;
    t.Frame = t.Delay != 0 ? Integer{6} : I16(DigitAt(kWatchWalk, (t.Anim & 15) + 1));
    return;
  }

  t.VX = t.Face == 0 ? t.Param : I16(-t.Param);
  t.VY = 0;
  t.Frame = I16(base + ((t.Anim / 4) & 1));
}

void Form1::BounceThing(int i, Integer& ny) {
  ObjRecord& t = Obj(i);
  const long long r = std::abs(ny) > 10 ? t.Y + Sign(t.VY) : t.Y;
  if (ThingSolid(t.X, r)) {
    t.VY = I16(-t.VY);
    ny = I16(10 * Sign(ny));
  }
  if (t.VY == 0) t.VY = t.Param;
  t.VX = 0;
  t.Frame = I16(DigitAt(kPulse, Mod(t.Anim, 12) + 1));
  t.Face = 0;
}

void Form1::CommandThing(int i, Integer nx, Integer ny, Integer dx, Integer dy) {
  ObjRecord& t = Obj(i);
  const bool aligned = Mod(nx, 32) == 0 && Mod(ny, 32) == 0;
  const bool near = std::abs(dx) < 24 && std::abs(dy) < 24;
  if (aligned && (Command(t.Cmd, t.Param + 1LL) != U"wai" || near)) {
    t.Param = I16(t.Param + 1);
    if (3LL * t.Param > static_cast<long long>(t.Cmd.size())) t.Param = 1;
  }
  const String c = Command(t.Cmd, t.Param);
  const long long s = 2 * static_cast<long long>(Val(Mid(c, 3, 1)));
  t.VX = I16((Has(c, U'>') - Has(c, U'<')) * s);
  t.VY = I16((Has(c, U'v') - Has(c, U'^')) * s);
  t.Frame = I16(DigitAt(kPulse, Mod(t.Anim, 12) + 1) + (t.Kind == 3 ? 0 : 6));
  t.Face = 1;
  if (c == U"van") t.Kind = 0;  // gone after this tick's move
}

void Form1::ChaseThing(int i) {
  ObjRecord& t = Obj(i);
  const ObjRecord& p = Obj(0);
  const bool wide = t.Kind == 7;
  const bool far = std::abs(t.Y - p.Y) >= (wide ? 6 : 5) || std::abs(t.X - p.X) >= (wide ? 9 : 7);
  long long tx = p.X * 32LL + p.OffX;
  long long ty = p.Y * 32LL + p.OffY;
  if (far) {
    if (t.Cmd.size() < 6) {
      ThingFault(i, "its home cell \"" + ToUtf8(t.Cmd) +
                        "\" is not six digits (column and row, three each)");
    }
    tx = static_cast<long long>(Val(Mid(t.Cmd, 1, 3))) * 32;
    ty = static_cast<long long>(Val(Mid(t.Cmd, 4, 3))) * 32;
  }
  if (Mod(t.Anim, 3) != 0) {
    const long long x = t.X * 32LL + t.OffX;
    const long long y = t.Y * 32LL + t.OffY;
    if (t.VX < t.Param && x < tx) t.VX = I16(t.VX + 1);
    if (t.VX > -t.Param && tx < x) t.VX = I16(t.VX - 1);
    if (t.VY < t.Param && y < ty) t.VY = I16(t.VY + 1);
    if (t.VY > -t.Param && ty < y) t.VY = I16(t.VY - 1);
  }
  t.Frame = I16(DigitAt(kFlap, (t.Anim & 15) + 1) + (wide ? 13 : 8));
  t.Face = wide && t.VX < 0 ? Integer{1} : Integer{0};
}

void Form1::FollowThing(int i) {
  ObjRecord& t = Obj(i);
  // In the last slot a follower has nothing to follow: it plays out its queue and stands.
  const Integer leadVX = i < 39 ? Obj(i + 1).VX : Integer{0};
  const Integer leadVY = i < 39 ? Obj(i + 1).VY : Integer{0};
  // Speeds the alphabet cannot hold are written as its nearest end, so the queue stays in
  // pairs.
  auto code = [](Integer v) { return Mid(kSpeedChars, std::clamp<long long>(v, -16, 13) + 17, 1); };
  auto speed = [&](char32_t ch) {
    const long long pos = InStr(1, kSpeedChars, String(1, ch));
    if (pos == 0) {
      ThingFault(i, "its movement queue \"" + ToUtf8(t.Cmd) + "\" holds a character outside " +
                        ToUtf8(kSpeedChars));
    }
    return I16(pos - 17);
  };
  t.Cmd = Right(t.Cmd, 4) + code(leadVX) + code(leadVY);
  t.VX = speed(t.Cmd[0]);
  t.VY = speed(t.Cmd[1]);
  t.Frame = I16(16 + DigitAt(kFlap, ((t.Anim + i) & 15) + 1));
  t.Face = t.VX < 0 ? Integer{1} : Integer{0};
}

void Form1::BlastPadThing(int i, Integer& ny) {
  ObjRecord& t = Obj(i);
  t.Frame = I16(19 + Mod(t.OffY, 2));
  t.Face = t.OffY <= 1 ? Integer{0} : t.OffY <= 3 ? Integer{1} : Integer{4};
  if (t.OffY > 5) {  // pressed all the way: the pad is spent
    ny = 0;
    t.VY = 0;
    t.Kind = 0;
    t.Face = 0;
    t.Frame = 19;
  }
}

}  // namespace quelmire
