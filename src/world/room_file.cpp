// The room data file: things, items, events and init scripts of one room number.
#include <utility>

#include "shell/form1.h"
#include "world/field_reader.h"

namespace quelmire {

namespace {
constexpr int kLastThing = 39;   // object records 1..39
constexpr int kLastEvent = 255;  // event numbers 1..255
}  // namespace

void Form1::LoadRoomData() {
  ++RoomLoadCount;
  QuietMode = True;
  // All of 1..39: a room with more than 31 things must not leave them behind in the next.
  for (int i = 1; i <= kLastThing; ++i) {
    ObjRecord& o = Obj(i);
    o.Kind = o.VX = o.VY = o.Delay = o.Param = o.OffX = o.OffY = o.Frame = 0;
    o.Cmd.clear();
  }
  Obj(0).Anim = 0;
  EventMap.Fill(0);
  DriftX = 0;

  FieldReader in = FieldReader::Open(AppPath("\\map\\room" + ThreeDigits(RoomNo) + ".rdt"));
  int n = 1, k = 1;
  auto field = [&in](const char* record, const char* name) {
    const std::string what = std::string(name) + " of the \"" + record + "\" record";
    if (in.AtEnd()) in.Fail("the file ends before the " + what);
    return std::pair{in.Next(), what};
  };
  auto number = [&](const char* record, const char* name) {
    const auto [v, what] = field(record, name);
    return I16(in.Number(v, what));
  };
  auto text = [&](const char* record, const char* name) {
    return FromUtf8(field(record, name).first);
  };
  auto nextThing = [&](const char* record) -> ObjRecord& {
    if (n > kLastThing) {
      in.Fail(std::string("\"") + record + "\" record: a 40th thing; a room holds at most 39 " +
              "\"mo\" and \"it\" records together");
    }
    return Obj(n++);
  };

  for (;;) {
    DoEvents();
    if (in.AtEnd()) in.Fail("the room data ends without its \"@\" record");
    const std::string_view keyword = in.Next();
    if (keyword == "mo") {
      ObjRecord& o = nextThing("mo");
      o.X = number("mo", "X");
      o.Y = number("mo", "Y");
      o.Kind = number("mo", "Kind");
      o.Face = number("mo", "Face");
      o.Frame = number("mo", "Frame");
      o.Param = number("mo", "Param");
      o.Cmd = text("mo", "Cmd");
      if (o.Kind == 5) o.Cmd = FromUtf8(ThreeDigits(o.X) + ThreeDigits(o.Y));  // home cell
    } else if (keyword == "it") {
      ObjRecord& o = nextThing("it");
      o.X = number("it", "X");
      o.Y = number("it", "Y");
      const Integer item = number("it", "item number");
      if (item < 0 || item > 127) {
        in.Fail("item number of the \"it\" record: " + std::to_string(item) + " is outside 0..127");
      }
      o.Kind = I16(item + 20);
      const String key = Str(o.X) + Str(o.Y) + Str(Obj(0).Kind);
      for (const String& taken : TakenList) {
        if (taken == key) {
          o.Kind = 0;
          break;
        }
      }
    } else if (keyword == "ev") {
      if (k > kLastEvent) in.Fail("\"ev\" record: a 256th event; a room holds at most 255");
      const Integer col = number("ev", "column");
      const Integer row = number("ev", "row");
      if (col < 0 || col > 255 || row < 0 || row > 255) {
        in.Fail("\"ev\" record: the cell (" + std::to_string(col) + ", " + std::to_string(row) +
                ") is outside 0..255");
      }
      EventText(k) = text("ev", "script");
      EventMap(col, row) = I16(k);
      ++k;
    } else if (keyword == "in") {
      QuietMode = True;
      const String script = text("in", "script");
      if (OnInitScript) OnInitScript(script);
      RunEventScript(script);
    } else if (keyword == "@") {
      QuietMode = False;
      return;
    }
    // Any other field in keyword position is skipped.
  }
}

}  // namespace quelmire
