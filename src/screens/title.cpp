// The title screen: fades and the title song, the save-slot scan, the five-item menu, then the
// intro and a fresh game, a saved game, or quitting. The whole title is one activation of the
// title timer; it ends by handing over to the play timer.
#include <algorithm>

#include "shell/form1.h"

namespace quelmire {

namespace vk = platform::vk;

namespace {

constexpr int kMenuX = 500;
constexpr int kMenuY = 370;  // item i sits at y = 370 + 20 i
constexpr long kWhite = 0xFFFFFF;
constexpr long kGrey = 0x808080;
constexpr long kLightRed = 0xB0B0FF;  // red in the low byte: (255, 176, 176)

// The place of the one-line report on a save file that cannot be loaded: bottom left, clear
// of the menu.
constexpr platform::Rect kReportArea{0, 452, 490, 476};
// The options key's line, above it.
constexpr platform::Rect kOptionsLineArea{0, 428, 490, 452};

// The cursor: a white outline around the item, drawn on the visible surface only.
void DrawCursorBox(platform::Surface& s, int top) {
  constexpr uint8_t kWhiteIndex = 1;
  const int left = 498, right = 582, bottom = top + 20;
  for (int x = left; x < right; ++x) {
    s.At(x, top) = kWhiteIndex;
    s.At(x, bottom - 1) = kWhiteIndex;
  }
  for (int y = top; y < bottom; ++y) {
    s.At(left, y) = kWhiteIndex;
    s.At(right - 1, y) = kWhiteIndex;
  }
  s.Touch();
}

// The report is cut to what fits left of the menu (a wide character takes two places).
String FitReport(const std::string& report) {
  constexpr int kPlaces = 58;
  auto places = [](char32_t c) { return c < 0x100 ? 1 : 2; };
  const String text = FromUtf8(report);
  int total = 0;
  for (char32_t c : text) total += places(c);
  if (total <= kPlaces) return text;
  String out;
  int used = 0;
  for (char32_t c : text) {
    if (used + places(c) > kPlaces - 2) break;
    out += c;
    used += places(c);
  }
  return out + U"…";
}

String SlotLabel(int n) {
  return U"LOAD " + Mid(Str(n), 2);
}

// Slot n's file name, the slot written as a hexadecimal digit.
std::string SaveFileName(int n) {
  static const char kHex[] = "0123456789ABCDEF";
  return std::string("savedata") + kHex[n & 15] + ".sav";
}

}  // namespace

void Form1::Timer2_Timer() {
  // Opening: whatever is on screen fades out, the title picture fades in with its song.
  EndingFlag = 0;
  FadePalette(16, 0, -1);
  BltRect = {0, 0, 640, 480};
  BltFast(*PrimarySurface, 0, 0, *TitleSurface, false);
  BltFast(*BackBuffer, 0, 0, *TitleSurface, false);
  BGM_OPEN(AppPath("\\midi\\vorn01.mid"));
  BGM_Play();
  SongNo = 1;
  FadePalette(0, 16, 1);

  // Save slots: only the exact names count.
  Array<Byte, 0, 4> SlotExists;
  SlotExists(0) = 1;
  SlotExists(4) = 1;
  const std::vector<std::string> files = Platform().ListFiles(SaveFolder, ".sav");
  for (int n = 1; n <= 3; ++n) {
    SlotExists(n) = std::find(files.begin(), files.end(), SaveFileName(n)) != files.end() ? 1 : 0;
    SetForeColor(*BackBuffer, 0);
    DrawText(*BackBuffer, kMenuX + 1, kMenuY + 1 + 20 * n, SlotLabel(n));
    SetForeColor(*BackBuffer, SlotExists(n) * 0x7F7F7FL + kGrey);
    DrawText(*BackBuffer, kMenuX, kMenuY + 20 * n, SlotLabel(n));
  }
  SetForeColor(*BackBuffer, 0);
  DrawText(*BackBuffer, kMenuX + 1, kMenuY + 1, U"NEW GAME");
  DrawText(*BackBuffer, kMenuX + 1, kMenuY + 1 + 80, U"QUIT");
  // The options key, in one small line above the place of a save file's report; drawn again
  // when the options screen has changed the key or the language.
  auto drawOptionsLine = [&] {
    BltRect = kOptionsLineArea;
    BltFast(*BackBuffer, kOptionsLineArea.Left, kOptionsLineArea.Top, *TitleSurface, false);
    const String optionsLine = KeyLabel(Action::Options, Tr(U"オプション"));
    SetForeColor(*BackBuffer, 0);
    DrawText(*BackBuffer, 9, 433, optionsLine);
    SetForeColor(*BackBuffer, kWhite);
    DrawText(*BackBuffer, 8, 432, optionsLine);
  };
  drawOptionsLine();
  SetForeColor(*BackBuffer, kWhite);
  DrawText(*BackBuffer, kMenuX, kMenuY, U"NEW GAME");
  DrawText(*BackBuffer, kMenuX, kMenuY + 80, U"QUIT");

  Integer cursor = -1;
  bool held = false;
  // After a slot failed to load, a confirm key must be released before it counts again.
  bool confirmLatched = false;
  Integer dir = 0, button1 = 1, button = False;
  for (;;) {
    for (;;) {
      DoEvents();
      BGM_Repeat();
      GetKeyboardState();
      ReadJoystickDirection(dir);
      const bool up = KeyDown(vk::Up) || (dir & 1) != 0;
      const bool down = KeyDown(vk::Down) || (dir & 2) != 0;
      const int delta = (up && !down) ? -1 : (down && !up) ? 1 : 0;
      if ((delta != 0 && !held) || cursor == -1) {
        if (cursor == -1) cursor = SlotExists(1);
        cursor = I16(cursor + delta);
        held = true;
        if (cursor < 0) cursor = 4;
        if (cursor > 4) cursor = 0;
        BltRect = {0, 0, 640, 480};
        BltFast(*PrimarySurface, 0, 0, *BackBuffer, false);
        DrawCursorBox(*PrimarySurface, 368 + 20 * cursor);
      } else if (delta == 0) {
        held = false;
      }
      if (OptionsKeyDown()) {
        ShowOptions();
        drawOptionsLine();
        BltRect = {0, 0, 640, 480};
        BltFast(*PrimarySurface, 0, 0, *BackBuffer, false);
        DrawCursorBox(*PrimarySurface, 368 + 20 * cursor);
        continue;
      }
      JoystickButtonDown(button1, button);
      const bool confirm = ConfirmKeyDown() || button != False;
      if (!confirm) confirmLatched = false;
      if (confirm && !confirmLatched && SlotExists(cursor) == 1) break;
    }

    // Leaving the menu: the heroine stands still with the view centred.
    ObjRecord& p = Obj(0);
    p.OffX = p.OffY = p.VX = p.VY = 0;
    p.Delay = p.Face = p.Frame = p.Anim = p.Param = 0;
    p.Cmd.clear();
    LookPx = 0;
    LookRow = 0;

    if (cursor == 4) QuitGame();
    if (cursor == 0) break;

    std::string report;
    if (ReadSaveFile(cursor, report)) break;
    // The slot could not be loaded: one line on the title, and back to the menu.
    confirmLatched = true;
    BltRect = kReportArea;
    BltFast(*BackBuffer, kReportArea.Left, kReportArea.Top, *TitleSurface, false);
    const String line = FitReport(report);
    SetForeColor(*BackBuffer, 0);
    DrawText(*BackBuffer, 9, 457, line);
    SetForeColor(*BackBuffer, kLightRed);
    DrawText(*BackBuffer, 8, 456, line);
    BltRect = {0, 0, 640, 480};
    BltFast(*PrimarySurface, 0, 0, *BackBuffer, false);
    DrawCursorBox(*PrimarySurface, 368 + 20 * cursor);
  }

  if (cursor == 0) {
    // The intro: the fall through the pit of maze 4, with no room and no status bar.
    FadePalette(16, 0, -1);
    Obj(0).X = 135;
    Obj(0).Y = 249;
    Obj(0).Kind = 4;
    RoomNo = -1;
    LoadMazeMap();
    DrawPlayScreen();
    BltRect = {0, 0, 640, 480};
    BltFast(*PrimarySurface, 0, 0, *MapSurface, false);
    FadePalette(0, 16, 1);
    // Each line ends where a reader pauses: no word is carried over by the window's wrap.
    ShowMessage(
        U"r　わたしの村では、三年に一度、r　若い女を山奥の祭殿の穴にr　生け贄として放り込む習わし"
        U"がある。");
    ShowMessage(U"r　今年がその年で、長老たちがr　三日間の儀式の末に選んだのは、r　わたしだった。");
    ShowMessage(
        U"　ちょっと信じたくないんだけれど、r　そんなわけで、r　わたしは、r　落ちている真っ最中だ"
        U"。");

    // A fresh game. Items 35 and up are not part of a new game's reset.
    Obj(0).X = 33;
    Obj(0).Y = 38;
    Obj(0).Kind = 5;
    RoomNo = 1;
    LifeMax = 3;
    Life = 3;
    for (int i = 0; i <= 34; ++i) ItemCount(i) = 0;
    Flags.Fill(0);
    for (int i = 0; i <= 511; ++i) TakenList(i).clear();
  }

  LoadMazeMap();
  LoadRoomData();
  RunPendingWarps();
  Timer2.Enabled = false;
  Timer1.Enabled = true;
}

}  // namespace quelmire
