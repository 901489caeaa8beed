// The game state as JSON, for the headless runner's state dump: every variable by its name.
#include <string>

#include "platform/json.h"
#include "shell/form1.h"

namespace quelmire {

namespace {

class Json {
 public:
  std::string out;

  void Key(const char* name) {
    if (!first_) out += ',';
    first_ = false;
    out += '"';
    out += name;
    out += "\":";
  }
  void Num(long long v) { out += std::to_string(v); }
  void Bool(bool v) { out += v ? "true" : "false"; }
  void Text(const String& s) { platform::AppendJsonString(out, ToUtf8(s)); }
  template <class A, class F>
  void List(const A& a, F each) {
    out += '[';
    bool first = true;
    for (const auto& e : a) {
      if (!first) out += ',';
      first = false;
      each(e);
    }
    out += ']';
  }
  template <class A>
  void Nums(const A& a) {
    List(a, [&](const auto& v) { Num(v); });
  }
  void Palette(const Array<PaletteEntry, 0, 255>& p) {
    List(p, [&](const PaletteEntry& e) {
      out += '[' + std::to_string(e.r) + ',' + std::to_string(e.g) + ',' + std::to_string(e.b) +
             ',' + std::to_string(e.flags) + ']';
    });
  }
  template <class A2>
  void Grid(const A2& g, int cols, int rows) {
    out += '[';
    for (int c = 0; c < cols; ++c) {
      if (c) out += ',';
      out += '[';
      for (int r = 0; r < rows; ++r) {
        if (r) out += ',';
        out += std::to_string(g(c, r));
      }
      out += ']';
    }
    out += ']';
  }

 private:
  bool first_ = true;
};

}  // namespace

std::string Form1::StateJson() const {
  Json j;
  j.Key("JoyId"), j.Num(JoyId);
  j.Key("JoyPresent"), j.Num(JoyPresent);
  j.Key("JoyButtonMask"), j.Nums(JoyButtonMask);
  j.Key("KeyState"), j.Nums(KeyState);
  j.Key("ApiResult"), j.Num(ApiResult);
  j.Key("FrameCount"), j.Num(FrameCount);
  j.Key("KeyLatch"), j.Nums(KeyLatch);
  j.Key("EscLatch"), j.Num(EscLatch);
  j.Key("Obj"), j.List(Obj, [&](const ObjRecord& o) {
    j.out += "{\"X\":" + std::to_string(o.X) + ",\"Y\":" + std::to_string(o.Y) +
             ",\"OffX\":" + std::to_string(o.OffX) + ",\"OffY\":" + std::to_string(o.OffY) +
             ",\"VX\":" + std::to_string(o.VX) + ",\"VY\":" + std::to_string(o.VY) +
             ",\"Kind\":" + std::to_string(o.Kind) + ",\"Delay\":" + std::to_string(o.Delay) +
             ",\"Face\":" + std::to_string(o.Face) + ",\"Frame\":" + std::to_string(o.Frame) +
             ",\"Anim\":" + std::to_string(o.Anim) + ",\"Param\":" + std::to_string(o.Param) +
             ",\"Cmd\":";
    j.Text(o.Cmd);
    j.out += '}';
  });
  j.Key("Map"), j.Grid(Map, 258, 258);
  j.Key("EventMap"), j.Grid(EventMap, 256, 256);
  j.Key("TileAttr"), j.Nums(TileAttr);
  j.Key("JumpLen"), j.Num(JumpLen);
  j.Key("AirTime"), j.Num(AirTime);
  j.Key("Life"), j.Num(Life);
  j.Key("LifeMax"), j.Num(LifeMax);
  j.Key("LookPx"), j.Num(LookPx);
  j.Key("LookRow"), j.Num(LookRow);
  j.Key("RoomNo"), j.Num(RoomNo);
  j.Key("EventText"), j.List(EventText, [&](const String& s) { j.Text(s); });
  j.Key("DriftX"), j.Num(DriftX);
  j.Key("TakenList"), j.List(TakenList, [&](const String& s) { j.Text(s); });
  j.Key("Flags"), j.Nums(Flags);
  j.Key("ItemCount"), j.Nums(ItemCount);
  j.Key("ItemName"), j.List(ItemName, [&](const String& s) { j.Text(s); });
  j.Key("EndingFlag"), j.Num(EndingFlag);
  j.Key("MusicOn"), j.Num(MusicOn);
  j.Key("QuietMode"), j.Num(QuietMode);
  j.Key("SongNo"), j.Num(SongNo);
  j.Key("WorkPalette"), j.Palette(WorkPalette);
  j.Key("BasePalette"), j.Palette(BasePalette);
  j.Key("BltRect");
  j.out += "{\"Left\":" + std::to_string(BltRect.Left) + ",\"Top\":" + std::to_string(BltRect.Top) +
           ",\"Right\":" + std::to_string(BltRect.Right) +
           ",\"Bottom\":" + std::to_string(BltRect.Bottom) + '}';
  j.Key("ColorKey");
  j.out += "{\"low\":" + std::to_string(ColorKey.low) +
           ",\"high\":" + std::to_string(ColorKey.high) + '}';
  j.Key("Sound"), j.List(Sound, [&](bool b) { j.Bool(b); });
  j.Key("Timer1"), j.Bool(Timer1.Enabled);
  j.Key("Timer2"), j.Bool(Timer2.Enabled);
  j.Key("Language"), j.Text(FromUtf8(GameSettings.language));
  return j.out;
}

}  // namespace quelmire
