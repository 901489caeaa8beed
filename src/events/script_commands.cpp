// The commands of the event scripts. Operands are read by value from fixed-width windows;
// an operand naming a flag, item, object, sound or cell that does not exist makes the
// command do nothing, and flag and item results are kept within a byte.
#include <algorithm>

#include "shell/form1.h"

namespace quelmire {

namespace {

// The numeric operand in the window of `width` characters at position p.
long long Operand(const String& s, long long p, long long width) {
  return I16(static_cast<long long>(Val(Mid(s, p, width))), "script operand");
}

bool Within(long long v, long long lo, long long hi) {
  return v >= lo && v <= hi;
}

Byte ClampByte(long long v) {
  return static_cast<Byte>(std::clamp<long long>(v, 0, 255));
}

// "fg" and "ii": "=" sets, "-" subtracts, anything else adds.
Byte Change(Byte target, const String& op, long long value) {
  if (op == U"=") return ClampByte(value);
  if (op == U"-") return ClampByte(target - value);
  return ClampByte(target + value);
}

// "fl" compares with "=", "<", ">" and "%" (differs); "it" knows no "%".
bool Holds(long long have, const String& op, long long value, bool allowDiffers) {
  if (op == U"=") return have == value;
  if (op == U"<") return have < value;
  if (op == U">") return have > value;
  if (op == U"%" && allowDiffers) return have != value;
  return false;
}

constexpr long long kLastKind = 20 + 127;  // things 1..19, item n as 20 + n

String HomeCell(const ObjRecord& o) {
  return Right(Str(o.X + 1000), 3) + Right(Str(o.Y + 1000), 3);
}

// What a thing needs to move as its new kind: a walker faces right or left, a speed is at
// most half a cell per tick, a chaser has a home cell, a follower a queue of speeds.
void FitToKind(ObjRecord& o) {
  const Integer k = o.Kind;
  const auto digit = [](char32_t c) { return c >= U'0' && c <= U'9'; };
  const auto speed = [&](char32_t c) { return digit(c) || (c >= U'a' && c <= U't'); };
  if (k == 1 || k == 4 || k == 6) o.Face = o.Face == 0 ? Integer{0} : Integer{1};
  if (k == 1 || k == 2 || (k >= 4 && k <= 7)) o.Param = I16(std::clamp<int>(o.Param, -16, 16));
  const bool home = o.Cmd.size() >= 6 && std::all_of(o.Cmd.begin(), o.Cmd.begin() + 6, digit);
  if ((k == 5 || k == 7) && !home) o.Cmd = HomeCell(o);
  if (k == 8 && !std::all_of(o.Cmd.begin(), o.Cmd.end(), speed)) o.Cmd.clear();
}

}  // namespace

long long Form1::ScriptIf(const String& s, long long p) {
  const long long len = static_cast<long long>(s.size());
  bool verdict = true;
  long long q = p + 2;
  for (;;) {
    const String name = Mid(s, q, 2);
    if (q > len || (name != U"fl" && name != U"it")) break;
    const long long n = Operand(s, q + 2, 3);
    const String op = Mid(s, q + 5, 1);
    const long long value = Operand(s, q + 6, 2);
    bool holds = false;  // a flag or item that does not exist never holds
    if (name == U"fl") {
      if (Within(n, 0, 511)) holds = Holds(Flags(n), op, value, true);
    } else if (Within(n, 0, 127)) {
      holds = Holds(ItemCount(n), op, value, false);
    }
    verdict = verdict && holds;
    q += 8;
  }
  // Not holding: run on from the separator.
  if (!verdict) return q;
  // Holding: continue at the (N + 1)-th "#" from the digit N on; too few ends the script.
  const long long n = static_cast<long long>(Val(Mid(s, q + 1, 1)));
  long long marker = 0, from = q + 1;
  for (long long k = 0; k <= n; ++k) {
    marker = InStr(from, s, U"#");
    if (marker == 0) return 0;
    from = marker + 1;
  }
  return marker;
}

long long Form1::RunScriptCommand(const String& s, long long p) {
  const String name = Mid(s, p, 2);
  const long long len = static_cast<long long>(s.size());

  if (name == U"ms") {
    long long q = p + 2;
    while (q <= len && s[static_cast<size_t>(q - 1)] != U']') {
      DoEvents();
      ++q;
    }
    ShowMessage(Mid(s, p + 2, q - p - 2));
    return q;  // on the "]", or past the end when there is none
  }
  if (name == U"jp") {
    ScriptWarp(I16(Operand(s, p + 2, 4)), I16(Operand(s, p + 6, 4)), I16(Operand(s, p + 10, 4)),
               I16(Operand(s, p + 14, 4)));
    return p + 17;
  }
  if (name == U"if") return ScriptIf(s, p);
  if (name == U"fg" || name == U"ii") {
    const long long n = Operand(s, p + 2, 3);
    const String op = Mid(s, p + 5, 1);
    const long long value = Operand(s, p + 6, 2);
    if (name == U"fg" && Within(n, 0, 511)) Flags(n) = Change(Flags(n), op, value);
    if (name == U"ii" && Within(n, 0, 127)) ItemCount(n) = Change(ItemCount(n), op, value);
    return p + 8;
  }
  if (name == U"mc") {
    const long long c = Operand(s, p + 2, 3), r = Operand(s, p + 6, 3);
    const long long t = Operand(s, p + 10, 3);
    // Tile codes beyond the sheet's 160 would reach outside it when drawn.
    if (Within(c, 0, 257) && Within(r, 0, 257) && Within(t, 0, 159)) {
      if (QuietMode == False) {
        if (t == 65 || t == 67) PlaySound(1);  // door
        if (t == 79) PlaySound(8);             // fire
      }
      Map(c, r) = I16(t);
      BuildRoom();
    }
    return p + 13;
  }
  if (name == U"hn") {
    // Four pillars in columns 44, 46, 51, 53, rows 56..63; Flags(42 + c) is pillar c's height.
    for (int c = 0; c < 4; ++c) {
      const int col = 44 + 2 * c + (c >= 2 ? 3 : 0);
      const int h = Flags(42 + c);
      for (int j = 0; j < 8; ++j) {
        Map(col, 56 + j) = j < 8 - h ? 9 : (j == 8 - h ? 15 : 23);
      }
    }
    BuildRoom();
    const bool solved = Flags(42) == 4 && Flags(43) == 4 && Flags(44) == 4 && Flags(45) == 4;
    Flags(46) = solved ? 1 : 0;
    return p + 2;
  }
  if (name == U"hi") {
    std::swap(Flags(42), Flags(44));
    std::swap(Flags(43), Flags(45));
    return p + 2;
  }
  if (name == U"hh") {
    for (int c = 210; c <= 239; ++c) {
      Map(c, 57) = 10;
      Map(c, 58) = 118;
    }
    for (int c = 208; c <= 243; ++c) {
      Map(c, 62) = 10;
      Map(c, 63) = 118;
    }
    return p + 2;
  }
  if (name == U"om") {
    const long long n = Operand(s, p + 2, 3), kind = Operand(s, p + 6, 3);
    // Object 0's kind is the maze number; a thing of the room becomes only a kind play
    // knows. A record the room left empty has no place of its own: it stays empty.
    if (n == 0) Obj(0).Kind = I16(kind);
    if (Within(n, 1, RoomThings) && Within(kind, 0, kLastKind)) {
      Obj(n).Kind = I16(kind);
      FitToKind(Obj(n));
    }
    return p + 9;
  }
  if (name == U"wd") {
    // The player's own walk plus the wind must stay within the one side cell her move
    // looks at: a wind stronger than her walk is held at it.
    constexpr long long kMostWind = 8;
    DriftX = I16(std::clamp(Operand(s, p + 2, 2), -kMostWind, kMostWind));
    return p + 4;
  }
  if (name == U"mm") {
    const long long a = Operand(s, p + 2, 3), b = Operand(s, p + 6, 3);
    if (Within(a, 0, 511) && Within(b, 0, 511)) {
      const Integer k1 = Flags(a), k2 = Flags(b);
      if (k1 >= 1 && k2 >= 1) {
        for (int i = 1; i <= 39; ++i) {
          ObjRecord& o = Obj(i);
          if (o.Kind != k1) continue;
          if (k2 > kLastKind) continue;
          o.Kind = k2;
          if (k2 == 5) o.Cmd = HomeCell(o);
          if (k2 == 3) o.Param = 0;
          FitToKind(o);
        }
      }
    }
    return p + 9;
  }
  if (name == U"se") {
    const long long n = Operand(s, p + 2, 3);
    if (Within(n, 0, 9)) PlaySound(n);
    return p + 5;
  }
  if (name == U"md") {
    const Integer n = I16(Operand(s, p + 2, 2));
    if (n != SongNo) {
      BGM_Stop();
      BGM_OPEN(SongPath(n));
      BGM_Play();
      SongNo = n;
    }
    return p + 4;
  }
  if (name == U"as") {
    QuietMode = Operand(s, p + 2, 1) == 0 ? True : False;
    return p + 3;
  }
  if (name == U"fn") {
    EndingFlag = True;
    return 0;
  }
  if (name == U"ed") return 0;
  return -1;
}

}  // namespace quelmire
