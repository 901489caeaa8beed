// The room data file: things, items, events and init scripts of one room number.
#include <string_view>
#include <utility>

#include "shell/form1.h"
#include "world/field_reader.h"

namespace quelmire {

namespace {
constexpr int kLastThing = 39;   // object records 1..39
constexpr int kLastEvent = 255;  // event numbers 1..255
// What a thing may start with so that play can move and draw it (see docs/WORLD.md): a cell
// of the maze, a known kind (20 + n is item n), a sprite inside the 672 x 512 sheet (things
// are drawn from row 128 down), and no more than half a cell per tick as a speed.
constexpr long kLastKind = 20 + 127;
constexpr long kLastFrame = 672 / 32 - 1;
constexpr long kLastFace = (512 - 128) / 64 - 1;
constexpr long kMaxSpeed = 16;
constexpr long kMostCommandStart = 999;
// Follower queues hold speeds -16..13 as these characters.
constexpr std::string_view kSpeedChars = "0123456789abcdefghijklmnopqrst";

bool Walker(long kind) {
  return kind == 1 || kind == 4 || kind == 6;
}
bool CommandMover(long kind) {
  return kind == 3 || kind == 10 || kind == 19;
}
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
  RoomThings = 0;
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
  // A number the game can play on: lo..hi, else a report naming the field and why.
  auto within = [&](const char* record, const char* name, long lo, long hi, const char* why) {
    const Integer v = number(record, name);
    if (v < lo || v > hi) {
      in.Fail(std::string(name) + " of the \"" + record + "\" record: " + std::to_string(v) +
              " is outside " + std::to_string(lo) + ".." + std::to_string(hi) + " (" + why + ")");
    }
    return v;
  };
  auto text = [&](const char* record, const char* name) {
    return FromUtf8(field(record, name).first);
  };
  auto nextThing = [&](const char* record) -> ObjRecord& {
    if (n > kLastThing) {
      in.Fail(std::string("\"") + record + "\" record: a 40th thing; a room holds at most 39 " +
              "\"mo\" and \"it\" records together");
    }
    RoomThings = n;
    return Obj(n++);
  };

  for (;;) {
    DoEvents();
    if (in.AtEnd()) in.Fail("the room data ends without its \"@\" record");
    const std::string_view keyword = in.Next();
    if (keyword == "mo") {
      ObjRecord& o = nextThing("mo");
      o.X = within("mo", "X", 0, 255, "the maze's columns");
      o.Y = within("mo", "Y", 0, 255, "the maze's rows");
      o.Kind = within("mo", "Kind", 0, kLastKind, "things 1..19, item n as 20 + n");
      // Walkers turn by 1 - Face, so only the two facing rows keep them on the sheet.
      o.Face = Walker(o.Kind) ? within("mo", "Face", 0, 1, "a walker faces right or left")
                              : within("mo", "Face", 0, kLastFace, "sprite rows of the sheet");
      o.Frame = within("mo", "Frame", 0, kLastFrame, "sprite columns of the sheet");
      const long param = number("mo", "Param");
      const std::string_view cmd = field("mo", "Cmd").first;
      o.Cmd = FromUtf8(cmd);
      // Param is a speed to most kinds; to command movers a place in their list, where a
      // stray start waits or wraps round to the first command, as long as counting on from
      // it stays far from the 16-bit end.
      const long limit = CommandMover(o.Kind) ? kMostCommandStart : kMaxSpeed;
      if (param < -limit || param > limit) {
        in.Fail("Param of the \"mo\" record: " + std::to_string(param) + " is outside " +
                std::to_string(-limit) + ".." + std::to_string(limit) +
                (CommandMover(o.Kind) ? " (a place in the command list)"
                                      : " (a speed of at most half a cell per tick)"));
      }
      o.Param = I16(param);
      if (o.Kind == 7 && (cmd.size() < 6 || cmd.substr(0, 6).find_first_not_of("0123456789") !=
                                                std::string_view::npos)) {
        in.Fail(
            "Cmd of the \"mo\" record: a kind 7 thing needs its home cell as six digits "
            "(column and row, three each), not \"" +
            std::string(cmd.substr(0, 20)) + "\"");
      }
      if (o.Kind == 8 && cmd.find_first_not_of(kSpeedChars) != std::string_view::npos) {
        in.Fail("Cmd of the \"mo\" record: a follower's queue holds only the speed characters " +
                std::string(kSpeedChars) + ", not \"" + std::string(cmd.substr(0, 20)) + "\"");
      }
      if (o.Kind == 5) o.Cmd = FromUtf8(ThreeDigits(o.X) + ThreeDigits(o.Y));  // home cell
    } else if (keyword == "it") {
      ObjRecord& o = nextThing("it");
      o.X = within("it", "X", 0, 255, "the maze's columns");
      o.Y = within("it", "Y", 0, 255, "the maze's rows");
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
    } else if (!keyword.empty()) {
      // A mistyped keyword, or a field too many (a text cut at a comma by a lost quote):
      // skipping it would drop or shift the records after it without a word. An empty field
      // (a comma at a line's end) holds nothing and is passed over.
      in.Fail("\"" + std::string(keyword.substr(0, 40)) +
              "\" where a record starts: no record keyword (mo, it, ev, in or @)");
    }
  }
}

}  // namespace quelmire
