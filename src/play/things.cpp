// The things of a room, one slot per call from the play tick: new offsets from last tick's
// speed, the touch with the (not yet moved) player, "&" events under the thing, the
// animation counter, the kind's own rule, and the move into the next cell.
#include <cstdlib>

#include "shell/form1.h"

namespace quelmire {

namespace {

// Touch box widths and heights of kinds 1..10, two characters per kind.
const String kTouchW = U"20202020162016162416";
const String kTouchH = U"20242032282020161616";

// Touch box of a kind; kinds 11..18 read past the tables and never touch.
void TouchBox(Integer kind, long long& w, long long& h) {
  if (kind >= 20) {
    w = 20;
    h = 32;
  } else if (kind == 19) {
    w = 20;
    h = 26;
  } else {
    w = static_cast<long long>(Val(Mid(kTouchW, 2LL * kind - 1, 2)));
    h = static_cast<long long>(Val(Mid(kTouchH, 2LL * kind - 1, 2)));
  }
}

}  // namespace

void Form1::ThingFault(int i, const std::string& what) const {
  const long long room = RoomNo;
  std::string digits = std::to_string(room + 1000);
  if (digits.size() > 3) digits = digits.substr(digits.size() - 3);
  const ObjRecord& t = Obj(i);
  Fatal("map/room" + digits + ".rdt: thing in slot " + std::to_string(i) + " (kind " +
        std::to_string(t.Kind) + ", cell " + std::to_string(t.X) + "," + std::to_string(t.Y) +
        "): " + what);
}

bool Form1::ThingSolid(long long c, long long r) const {
  // Beyond the maze nothing holds a thing up or back: a walker there goes on and is gone.
  if (c < 0 || c > 257 || r < 0 || r > 257) return false;
  return TileAttr(Map(c, r)) == 3;
}

void Form1::ProcessThing(int i) {
  ObjRecord& t = Obj(i);
  const ObjRecord& p = Obj(0);
  if (t.X < 0 || t.X > 255 || t.Y < 0 || t.Y > 255) {
    ThingFault(i, "it stands outside the maze");
  }

  // 1. Where last tick's speed takes it.
  Integer nx = I16(t.OffX + t.VX);
  Integer ny = I16(t.OffY + t.VY);

  // 2. Touch, from the positions before anyone moves this tick.
  const Integer dx = I16(I16(t.X * 32LL + t.OffX) - I16(p.X * 32LL + p.OffX));
  Integer dy = I16(I16(t.Y * 32LL + t.OffY) - I16(p.Y * 32LL + p.OffY));
  if (t.Kind >= 20) dy = I16(dy + 8);  // an item lies low in its cell
  TouchThing(i, nx, ny, dx, dy);

  // 3. A thing standing on an "&" cell runs its script, every tick it stays.
  const Integer n = EventMap(t.X, t.Y);
  if (Left(EventText(n), 1) == U"&") {
    const uint32_t loads = RoomLoadCount;
    RunEventScript(EventText(n));
    // The script took play to another room: slot i now holds a thing of that room.
    if (RoomLoadCount != loads) return;
  }

  // 4. Animation counter.
  t.Anim = t.Anim >= 191 ? Integer{0} : I16(t.Anim + 1);

  // 5. The kind's rule.
  ThingBehaviour(i, nx, ny, dx, dy);

  // 6. Move, carrying whole cells over into X and Y.
  const int sx = nx > 15 || nx < -15 ? Sign(nx) : 0;
  const int sy = ny > 15 || ny < -15 ? Sign(ny) : 0;
  if (t.X + sx < 0 || t.X + sx > 255 || t.Y + sy < 0 || t.Y + sy > 255) {
    // Movers, chasers and drifters ignore the map and may fly off its edge; there they are
    // gone, as after "van", and keep their last cell inside the maze.
    t.Kind = 0;
    return;
  }
  t.X = I16(t.X + sx);
  t.Y = I16(t.Y + sy);
  t.OffX = I16(nx - 32 * sx);
  t.OffY = I16(ny - 32 * sy);
}

void Form1::TouchThing(int i, Integer nx, Integer ny, Integer dx, Integer dy) {
  ObjRecord& t = Obj(i);
  ObjRecord& p = Obj(0);
  long long w = 0, h = 0;
  TouchBox(t.Kind, w, h);
  if (!(std::abs(dx) < w && std::abs(dy) < h)) return;

  if (t.Kind == 19) {
    // A lift carries the player unless she has just jumped off it or is thrown back.
    const bool jumping = AirTime >= 1 && AirTime <= 3 && p.VY < 0;
    if (jumping || p.Param != 0) return;
    AirTime = 1;
    JumpLen = 0;
    p.Param = 0;
    RidingLift = true;
    LiftNX = I16(t.X * 32LL + nx - p.X * 32LL);
    LiftNY = I16(t.Y * 32LL + ny - p.Y * 32LL - 6);
    return;
  }

  if (t.Kind <= 18) {
    if (p.Delay != 0) return;  // invulnerable
    if (t.Kind != 9) PlaySound(2);
    JumpLen = 2;
    AirTime = 1;
    p.VY = -12;
    p.VX = I16(-6 * Sign(dx));  // thrown away from the thing
    p.Param = 1;
    p.Delay = t.Kind == 9 ? Integer{20} : Integer{40};
    if (Life > 0 && t.Kind != 8 && t.Kind != 9) Life = I16(Life - 1);
    if (t.Kind == 9) {
      // The blast pad throws her high and sinks away.
      t.VY = 1;
      JumpLen = 12;
      p.Param = 0;
      p.VY = -24;
      PlaySound(4);
    }
    return;
  }

  PickUpItem(i);
}

}  // namespace quelmire
