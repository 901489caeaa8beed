// The play view: the map buffer around the player, and frames composed in the back buffer,
// compared pixel for pixel with frames built here from the sheet coordinates of the art
// layout (background cut, player banks and shift, clipping at the four screen edges, items
// one cell lower, hearts, panel and room digits).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "platform_fixtures.h"
#include "test_support.h"

namespace {

using namespace testing_support;
using platform::Rect;
using platform::Surface;
using platform_fixtures::ErrorOf;
using platform_fixtures::Holds;
using quelmire::I16;

struct View {
  TempDir dir;
  std::unique_ptr<HeadlessGame> game;
  View() {
    CopyGameData(dir.path());
    MazeFile m;
    for (int r = 0; r < 256; ++r)
      for (int c = 0; c < 256; ++c) m.Set(c, r, (c * 5 + r * 11) % 160);
    m.Write(dir.path(), 3);
    game = std::make_unique<HeadlessGame>(dir.path(), "");
    f().Form_Load();
    p() = quelmire::ObjRecord{};
    p().X = 100, p().Y = 120, p().Kind = 3;
    f().RoomNo = 1, f().LifeMax = f().Life = 0, f().FrameCount = 0;
    f().LoadMazeMap();
    // The sprite cells used here get patterns without transparent pixels, so every clipped
    // column and row can be told apart: a thing (Face 0 Frame 0) and an item (Face 2 Frame 3).
    for (const auto& [l, t, base] : {std::tuple(0, 128, 40), {96, 256, 90}})
      for (int y = t; y < t + (l ? 32 : 64); ++y)
        for (int x = l; x < l + 32; ++x)
          f().CharSurface(0)->At(x, y) = static_cast<uint8_t>(base + (x - l) + (y - t) % 7);
    bg = Background();
  }
  quelmire::Form1& f() { return *game->form; }
  quelmire::ObjRecord& p() { return f().Obj(0); }
  std::vector<uint8_t> Back() const {
    const Surface& b = *game->form->BackBuffer;
    return {b.Pixels(), b.Pixels() + 640 * 480};
  }
  // The background alone, as the frame of "no room" shows it.
  std::vector<uint8_t> Background() {
    const auto room = f().RoomNo;
    f().RoomNo = -1;
    f().DrawPlayScreen();
    f().RoomNo = room;
    return Back();
  }
  // Copies through the colour key onto the expected frame.
  void Keyed(int sheet, Rect r, int x, int y) {
    const Surface& src = *f().CharSurface(sheet);
    for (int sy = r.Top; sy < r.Bottom; ++sy)
      for (int sx = r.Left; sx < r.Right; ++sx)
        if (src.At(sx, sy) != 2) want[(y + sy - r.Top) * 640 + (x + sx - r.Left)] = src.At(sx, sy);
  }
  // Starts the expected frame: the background, the player at x, the panel and the room digits.
  void Usual(Rect player, int x, int y, int d0 = 0, int d1 = 0, int d2 = 1) {
    want = bg;
    Keyed(0, player, x, y);
    Keyed(1, {0, 128, 164, 168}, 16, 16);
    int w = 0;
    for (int d : {d0, d1, d2}) Keyed(1, {18 * d, 168, 18 * d + 18, 192}, 116 + 18 * w++, 23);
  }
  void ExpectFrame() {
    f().DrawPlayScreen();
    ExpectSame(want, Back());
    want.clear();
  }
  static void ExpectSame(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    const auto d = std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin();
    EXPECT_EQ(d, a.end() - a.begin())
        << "first difference at (" << d % 640 << ", " << d / 640 << ")";
  }
  std::vector<uint8_t> bg, want;
};

TEST(WorldView, TheMapBufferHoldsTheCellsAroundTheViewRowAndThePlayerMustStandInsideTheView) {
  View v;
  auto& f = v.f();
  f.LookRow = 2;
  f.BuildRoom();
  const Surface &ms = *f.MapSurface, &ts = *f.TileSurface;
  for (int r = 0; r <= 15; ++r)
    for (int c = 0; c <= 20; ++c) {
      const int t = f.Map(90 + c, 112 + r);
      for (int y = 0; y < 32; y += 7)
        for (int x = 0; x < 32; x += 5)
          ASSERT_EQ(ms.At(32 * c + x, 32 * r + y), ts.At(32 * (t % 8) + x, 32 * (t / 8) + y))
              << c << "," << r;
    }
  // The view needs ten cells on each side of the player; a player too near the edge stops
  // the game with her position.
  const std::tuple<int, int, int, bool> cases[] = {
      {10, 10, 0, true},  {247, 252, 0, true},  {9, 100, 0, false},  {248, 100, 0, false},
      {100, 9, 0, false}, {100, 250, 3, false}, {100, 249, 3, true}, {100, 8, 2, true}};
  for (const auto& [x, y, lookRow, ok] : cases) {
    f.Obj(0).X = I16(x), f.Obj(0).Y = I16(y), f.LookRow = I16(lookRow);
    const std::string at =
        "the player at column " + std::to_string(x) + ", row " + std::to_string(y);
    for (auto fn : {&quelmire::Form1::BuildRoom, &quelmire::Form1::DrawPlayScreen}) {
      const std::string err = ErrorOf([&] { (f.*fn)(); });
      EXPECT_TRUE(ok ? Holds(err) : Holds(err, {at, "too near the maze edge for the view"})) << at;
    }
  }
  // A tile code outside the sheet in view is named with its cell.
  f.Obj(0).X = 100, f.Obj(0).Y = 100, f.LookRow = 0;
  f.Map(95, 104) = 160;
  EXPECT_TRUE(Holds(ErrorOf([&] { f.BuildRoom(); }), {"map cell (95, 104) holds tile code 160"}));
}

TEST(WorldView, ThingsAndItemsAreClippedAtTheFourEdgesAndNoRoomDrawsTheBackgroundAlone) {
  // A thing is 32 x 64 from (0, 128); the item (number 3) 32 x 32 from (96, 256). The player
  // is drawn at y = 272; things at x = 304 + 32 dx + offX, y = 272 + 32 dy + offY (+32 items).
  const Rect none{0, 0, 0, 0};
  const std::tuple<const char*, int, int, int, int, int, Rect, int, int> cases[] = {
      // what, kind, dx, dy (cells from the player), offX, offY, then what must show and where
      {"x = -31: the leftmost 31 columns cut", 1, -10, -5, -15, 0, {31, 128, 32, 192}, 0, 112},
      {"x = -32: not drawn", 1, -10, -5, -16, 0, none, 0, 0},
      {"x = 639", 1, 10, -5, 15, 0, {0, 128, 1, 192}, 639, 112},
      {"x = 640: not drawn", 1, 11, -5, 0, 0, none, 0, 0},
      {"y = -63: the top 63 rows cut", 1, 3, -10, 0, -15, {0, 191, 32, 192}, 400, 0},
      {"y = -64: not drawn", 1, 3, -10, 0, -16, none, 0, 0},
      {"y = 479: one row", 1, 3, 6, 0, 15, {0, 128, 32, 129}, 400, 479},
      {"same cell as the player: 32 lower", 20 + 3, 0, 0, 0, 0, {96, 256, 128, 288}, 304, 304},
      {"item y = -31", 23, 3, -10, 0, -15, {96, 287, 128, 288}, 400, 0},
      {"item y = -32: not drawn", 23, 3, -10, 0, -16, none, 0, 0},
      {"item x = -5", 23, -10, -5, 11, 0, {101, 256, 128, 288}, 0, 144},
      {"far away: not drawn, no overflow", 1, 30000 - 100, 0, 0, 0, none, 0, 0},
  };
  View v;
  auto& t = v.f().Obj(7);
  for (const auto& [what, kind, dx, dy, offX, offY, src, x, y] : cases) {
    SCOPED_TRACE(what);
    t = quelmire::ObjRecord{};
    t.Kind = I16(kind), t.X = I16(v.p().X + dx), t.Y = I16(v.p().Y + dy), t.OffX = I16(offX),
    t.OffY = I16(offY);
    if (kind > 19) t.Face = 2, t.Frame = 3, t.Anim = 12;  // step 0
    v.Usual({0, 0, 32, 64}, 304, 272);
    v.Keyed(0, src, x, y);
    v.ExpectFrame();
  }
  // An item's steps follow the animation counter.
  t.Kind = 20 + 25, t.Face = 4, t.Frame = 4, t.X = 103, t.Y = 118, t.OffX = t.OffY = 0;
  for (int anim : {0, 2, 3, 8, 9, 11, 23}) {
    SCOPED_TRACE(anim);
    t.Anim = I16(anim);
    const int d = (anim % 12) / 3;
    v.Usual({0, 0, 32, 64}, 304, 272);
    v.Keyed(0, {128, 384 + 32 * d, 160, 416 + 32 * d}, 400, 240);
    v.ExpectFrame();
  }
  t.Kind = 0;
  auto& f = v.f();
  f.LifeMax = f.Life = 5;
  f.Obj(1).Kind = 1, f.Obj(1).X = 101, f.Obj(1).Y = 120;
  // Offsets a frame drawn in the middle of a tick may find a step past the buffer (a jump
  // nudge, a pan not yet carried into whole rows) show the nearest view the buffer holds.
  for (const auto& [offX, offY, lookPx, left, top] :
       {std::array{-7, 5, -9, 9, 12}, {17, -16, -8, 32, 0}, {-18, 0, 24, 0, 32}}) {
    f.Obj(0).OffX = I16(offX), f.Obj(0).OffY = I16(offY), f.LookPx = I16(lookPx);
    std::vector<uint8_t> want(640 * 480);
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) want[y * 640 + x] = f.MapSurface->At(left + x, top + y);
    View::ExpectSame(want, v.Background());
  }
  // The text colour: red before, red after a frame of no room; white after a room frame.
  auto text = [&](int room, long before, long after) {
    f.SetForeColor(*f.BackBuffer, before);
    f.RoomNo = static_cast<int16_t>(room);
    f.DrawPlayScreen();
    if (after >= 0) f.SetForeColor(*f.BackBuffer, after);
    f.DrawText(*f.BackBuffer, 200, 200, U"MMMM");
    return v.Back();
  };
  View::ExpectSame(text(-1, 0x0000FF, 0x0000FF), text(-1, 0x0000FF, -1));
  View::ExpectSame(text(1, 0x0000FF, 0xFFFFFF), text(1, 0x0000FF, -1));
}

TEST(WorldView, PlayerBankShiftLookDownHeartsPanelAndRoomDigits) {
  const std::tuple<int, int, int, int, int, Rect, int, int> banks[] = {
      // Delay, Face, Frame, LookRow, LookPx, then what must show and where
      {5, 0, 0, 0, 0, {288, 0, 320, 64}, 304, 272},  // blinking: second bank
      {8, 0, 0, 0, 0, {0, 0, 32, 64}, 304, 272},     // first bank
      {12, 1, 1, 0, 0, {320, 64, 352, 128}, 304, 272},
      {3, 1, 4, 0, 0, {128, 64, 160, 128}, 310, 272},  // facing left, Frame > 2: 6 right
      {0, 0, 4, 0, 0, {128, 0, 160, 64}, 298, 272},    // facing right: 6 left
      {0, 1, 2, 0, 0, {64, 64, 96, 128}, 304, 272},
      {0, 0, 8, 3, 5, {256, 0, 288, 64}, 298, 272 - 96 - 5},
      {0, 0, 8, 3, -24, {256, 0, 288, 64}, 298, 272 - 96 + 16},  // the view held 8 short
      {0, 0, 8, 3, 24, {256, 0, 288, 64}, 298, 272 - 96 - 16},
  };
  View v;
  auto& f = v.f();
  for (const auto& [delay, face, frame, lookRow, lookPx, src, x, y] : banks) {
    SCOPED_TRACE(delay * 100 + frame);
    v.p().Delay = I16(delay), v.p().Face = I16(face), v.p().Frame = I16(frame);
    f.LookRow = I16(lookRow), f.LookPx = I16(lookPx);
    f.BuildRoom();
    v.bg = v.Background();
    v.Usual(src, x, y);
    v.ExpectFrame();
  }
  f.LookRow = f.LookPx = v.p().Frame = 0;
  f.BuildRoom();
  v.bg = v.Background();
  const Rect empty{0, 192, 20, 212}, pulse1{20, 192, 40, 212}, pulse2{0, 212, 20, 232},
      pulse3{20, 212, 40, 232};
  const std::tuple<int, int, int, int, Rect, std::array<int, 3>> hearts[] = {
      // LifeMax, Life, FrameCount, room, the full heart's picture, the digits
      {12, 5, 0, 7, pulse1, {0, 0, 7}},       {12, 5, 14, 1234, pulse1, {2, 3, 4}},
      {12, 5, 3, 0, pulse2, {0, 0, 0}},       {12, 5, 6 + 12 * 15, 999, pulse3, {9, 9, 9}},
      {12, 5, 9 + 12, 40, pulse2, {0, 4, 0}}, {0, 5, 0, 7, pulse1, {0, 0, 7}},
      {23, 15, 1, 32767, pulse1, {7, 6, 7}},
  };
  for (const auto& [lifeMax, life, frameCount, room, full, d] : hearts) {
    SCOPED_TRACE(lifeMax * 1000 + frameCount);
    f.LifeMax = I16(lifeMax), f.Life = I16(life), f.RoomNo = I16(room), f.FrameCount = frameCount;
    v.Usual({0, 0, 32, 64}, 304, 272, d[0], d[1], d[2]);
    for (int j = 0; j < lifeMax; ++j)  // 20 and up land on 10 and up
      v.Keyed(1, j < life ? full : empty, 400 + 21 * (j % 10), j < 10 ? 12 : 33);
    v.ExpectFrame();
  }
}

}  // namespace
