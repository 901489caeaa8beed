// The play view: the map buffer of 21 x 16 tiles around the player, and the frame composed
// from it with the player, the room's things and items, and the status bar.
#include <algorithm>
#include <string>

#include "shell/form1.h"

namespace quelmire {

namespace {
const String kItemSteps = U"000111222333";   // item animation step, 3 counts each
const String kHeartSteps = U"111222333222";  // heart pulse step, 3 counts each
}  // namespace

void Form1::CheckViewLimits(const char* who) const {
  const ObjRecord& p = Obj(0);
  const long view = p.Y + LookRow;
  if (!InViewReach(p.X, view)) {
    Fatal(std::string(who) + ": the player at column " + std::to_string(p.X) + ", row " +
          std::to_string(p.Y) + " (view row " + std::to_string(view) +
          ") is too near the maze edge for the view; the column must be 10..247 and the view "
          "row 10..252");
  }
}

void Form1::BuildRoom() {
  CheckViewLimits("BuildRoom");
  const int px = Obj(0).X, top = Obj(0).Y + LookRow - 10;
  for (int r = 0; r <= 15; ++r) {
    for (int c = 0; c <= 20; ++c) {
      const int t = Map(px - 10 + c, top + r);
      if (t < 0 || t > 159) {
        Fatal("BuildRoom: map cell (" + std::to_string(px - 10 + c) + ", " +
              std::to_string(top + r) + ") holds tile code " + std::to_string(t) +
              ", outside 0..159");
      }
      BltRect = {32 * (t % 8), 32 * (t / 8), 32 * (t % 8) + 32, 32 * (t / 8) + 32};
      BltFast(*MapSurface, 32 * c, 32 * r, *TileSurface, false);
    }
  }
}

void Form1::DrawPlayScreen() {
  CheckViewLimits("DrawPlayScreen");
  const ObjRecord& p = Obj(0);
  // The player's pixel offset moves the view; she stays at a fixed place on the screen. The
  // tick settles the offsets only in its view step, so a frame drawn earlier (a message, a
  // script) may find them up to a step beyond what the buffer holds: such a frame shows the
  // nearest view the buffer has, and the sprites move with it.
  const long viewX = std::clamp<long>(p.OffX, -16, 16);
  const long viewY = std::clamp<long>(p.OffY + LookPx, -16, 16);
  BltRect.Left = I32(16 + viewX);
  BltRect.Top = I32(16 + viewY);
  BltRect.Right = BltRect.Left + 640;
  BltRect.Bottom = BltRect.Top + 480;
  BltFast(*BackBuffer, 0, 0, *MapSurface, false);
  if (RoomNo < 0) return;  // no room: the view alone

  Surface& sprites = *CharSurface(0);
  // Screen row of the top of the player's cell, less 32: 272 while the view is not held.
  const long baseY = 272 - 32L * LookRow - (viewY - p.OffY);
  const bool blink = Mod(p.Delay, 8) > 3;
  BltRect.Left = 32 * p.Frame + (blink ? 288 : 0);
  BltRect.Top = 64 * p.Face;
  BltRect.Right = BltRect.Left + 32;
  BltRect.Bottom = BltRect.Top + 64;
  const int shift = p.Frame > 2 ? (p.Face == 1 ? 6 : p.Face == 0 ? -6 : 0) : 0;
  BltFast(*BackBuffer, static_cast<int>(304 + shift + p.OffX - viewX), static_cast<int>(baseY),
          sprites, true);

  for (int i = 1; i <= 39; ++i) {
    const ObjRecord& t = Obj(i);
    if (t.Kind <= 0) continue;
    const bool item = t.Kind > 19;
    // Wide arithmetic: a thing far away from the player is simply off the screen.
    long x = 304 + 32L * (t.X - p.X) + t.OffX - viewX;
    long y = baseY + 32L * (t.Y - p.Y) + t.OffY - p.OffY + (item ? 32 : 0);
    if (y <= (item ? -32 : -64) || x <= -32 || x >= 640 || y >= 480) continue;
    const long height = item ? 32 : 64;
    long left = 32L * t.Frame, top = 64L * t.Face + 128;
    if (item) top += 32L * DigitAt(kItemSteps, Mod(t.Anim, 12) + 1);
    long right = left + 32, bottom = top + height;
    if (x < 0) {
      left -= x;
      x = 0;
    } else if (x > 608) {
      right -= x - 608;
    }
    const long lowest = 480 - height;  // 416 for a thing, 448 for an item
    if (y < 0) {
      top -= y;
      y = 0;
    } else if (y > lowest) {
      bottom -= y - lowest;
    }
    BltRect = {I32(left), I32(top), I32(right), I32(bottom)};
    BltFast(*BackBuffer, static_cast<int>(x), static_cast<int>(y), sprites, true);
  }

  Surface& status = *CharSurface(1);
  const int pulse = DigitAt(kHeartSteps, Mod(FrameCount, 12) + 1);
  for (long j = 0; j < LifeMax; ++j) {
    if (j >= Life) {
      BltRect = {0, 192, 20, 212};  // empty
    } else if (pulse == 2) {
      BltRect = {0, 212, 20, 232};
    } else if (pulse == 3) {
      BltRect = {20, 212, 40, 232};
    } else {
      BltRect = {20, 192, 40, 212};
    }
    BltFast(*BackBuffer, static_cast<int>(400 + 21 * (j % 10)), j < 10 ? 12 : 33, status, true);
  }
  BltRect = {0, 128, 164, 168};
  BltFast(*BackBuffer, 16, 16, status, true);
  SetForeColor(*BackBuffer, 0xFFFFFF);
  long scale = 1000;
  for (int w = 0; w <= 2; ++w) {
    const int digit = static_cast<int>((RoomNo % scale) / (scale / 10));
    scale /= 10;
    BltRect = {18 * digit, 168, 18 * digit + 18, 192};
    BltFast(*BackBuffer, 116 + 18 * w, 23, status, true);
  }
}

}  // namespace quelmire
