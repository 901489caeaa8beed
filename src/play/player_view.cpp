// The view follows the heroine: look-down while Down is held, the change of cell when an
// offset leaves -16..15, and the map buffer shifted by one cell (one self-copy plus the new
// column and row of tiles) instead of a whole rebuild.
#include <algorithm>

#include "shell/form1.h"

namespace quelmire {

namespace {
// The lowest view row whose buffer (rows V - 10 .. V + 5) still lies inside the maze.
constexpr int kLastViewRow = 252;
}  // namespace

void Form1::PlayerLookDown() {
  const bool down = ActionDown(Action::LookDown) || JoyDirDown(2);
  const Integer before = LookPx;
  // Near the bottom of the maze the look stops at the last row the view can show.
  if (down && LookRow < 5 && Obj(0).Y + LookRow < kLastViewRow) {
    LookPx = I16(LookPx + 8, "LookPx");
  }
  if (!down && (before > 0 || LookRow > 0)) LookPx = I16(LookPx - 8, "LookPx");
}

void Form1::HoldLookInMaze() {
  const ObjRecord& p = Obj(0);
  if (LookRow <= 0 || p.Y + LookRow <= kLastViewRow) return;
  // Held at the last row, as low as it goes there, on the 8-pixel steps that bring it back
  // to 0.
  LookRow = I16(std::max(0, kLastViewRow - p.Y), "LookRow");
  LookPx = I16(8 * ((15 - p.OffY) / 8), "LookPx");  // OffY is -16..15 here
}

void Form1::ScrollView() {
  ObjRecord& p = Obj(0);
  const long long v0 = p.Y + LookRow;
  int h = 0;
  if (p.OffX > 15 || p.OffX < -16) {
    h = p.OffX > 0 ? 2 : 1;
    const int s = Sign(p.OffX);
    p.X = I16(p.X + s, "player X");
    p.OffX = I16(p.OffX - s * 32, "player OffX");
  }
  if (p.OffY > 15 || p.OffY < -16) {
    const int s = Sign(p.OffY);
    p.Y = I16(p.Y + s, "player Y");
    p.OffY = I16(p.OffY - s * 32, "player OffY");
  }
  const int look = LookPx + p.OffY;
  if (look < -16 || look > 15) {
    const int s = Sign(look);
    LookRow = I16(LookRow + s, "LookRow");
    LookPx = I16(LookPx - s * 32, "LookPx");
  }
  HoldLookInMaze();
  const long long v1 = p.Y + LookRow;
  const int vflag = v1 == v0 ? 0 : (v0 < v1 ? 8 : 4);
  if (h + vflag == 0) return;
  CheckViewLimits("play tick, view scroll");
  if (!DrawFrames) return;  // nobody sees the buffer; BuildRoom draws it anew when needed
  if (v1 - v0 > 1 || v0 - v1 > 1) {
    // More than one row at once cannot be shifted in: draw the buffer anew.
    BuildRoom();
    return;
  }

  const bool right = h == 2, left = h == 1, down = vflag == 8, up = vflag == 4;
  Surface& map = *MapSurface;
  BltRect = platform::Rect{right ? 32 : 0, down ? 32 : 0, left ? 640 : 672, up ? 480 : 512};
  BltFast(map, left ? 32 : 0, up ? 32 : 0, map, false);

  auto tile = [&](long long c, long long r, int x, int y) {
    const Integer t = Map(c, r);
    const int32_t l = static_cast<int32_t>(Mod(t, 8) * 32),
                  top = static_cast<int32_t>(IDiv(t, 8) * 32);
    BltRect = platform::Rect{l, top, l + 32, top + 32};
    BltFast(map, x, y, *TileSurface, false);
  };
  if (h != 0) {
    const long long c = right ? p.X + 10 : p.X - 10;
    const int x = right ? 640 : 0;
    for (int j = 0; j <= 15; ++j) tile(c, v1 - 10 + j, x, 32 * j);
  }
  if (vflag != 0) {
    const long long r = down ? v1 + 5 : v1 - 10;
    const int y = down ? 480 : 0;
    for (int i = 0; i <= 20; ++i) tile(p.X - 10 + i, r, 32 * i, y);
  }
}

}  // namespace quelmire
