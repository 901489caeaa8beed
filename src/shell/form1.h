// Form1: the game's one window. It holds the whole shared game state as member variables
// and every procedure of the game as a member function; each procedure is defined in the
// folder of its subsystem (shell, world, play, events, screens, audio).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "shell/basic.h"

namespace quelmire {

using platform::PaletteEntry;
using platform::Surface;

// The record of one moving thing; element 0 of Obj is the player.
struct ObjRecord {
  Integer X = 0, Y = 0;        // cell column and row
  Integer OffX = 0, OffY = 0;  // pixel offset within the cell
  Integer VX = 0, VY = 0;      // speed, pixels per tick
  Integer Kind = 0;            // 0 empty; 20 + n item n; the player's holds the maze number
  Integer Delay = 0;           // countdown; the player's invulnerability
  Integer Face = 0;            // facing and sprite row
  Integer Frame = 0;           // sprite column
  Integer Anim = 0;            // animation counter
  Integer Param = 0;           // parameter of the kind
  String Cmd;                  // command list, home cell or pattern
};

struct Timer {
  bool Enabled = false;
  int Interval = 0;  // milliseconds
};

class Form1 {
 public:
  explicit Form1(platform::Platform& platform, std::string appPath);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  platform::Platform& Platform() { return platform_; }

  // ---- Shell: start-up, event loop, quitting ----
  void Form_Load();
  // Starts the game and runs the two timers until it quits (ExitRequest) or fails
  // (FatalError).
  void Run();
  // The timer loop alone, after start-up.
  void RunTimers();
  // Observer of the timer loop for tests and measurements: called as a handler is about to
  // run, with the timer (1 or 2), its deadline and the time now, in microseconds.
  std::function<void(int timer, int64_t dueUs, int64_t nowUs)> OnTimerFired;
  [[noreturn]] void QuitGame();
  // The program folder followed by a relative path written with backslashes.
  std::string AppPath(const std::string& relative) const;
  // Yield to the window system (the waiting loops' message pump).
  void DoEvents();
  void Sleep(int ms);
  // The game state as JSON members (without the braces), for the headless state dump.
  std::string StateJson() const;

  // ---- Play engine: input ----
  void InitJoystick();
  void ReadJoystickDirection(Integer& dir);
  void JoystickButtonDown(Integer& n, Integer& down);
  void GetKeyboardState();
  bool KeyDown(int vk) const { return (KeyState(vk) & 128) != 0; }
  void WaitForKey();

  // ---- World: maze and room files, the map buffer and the play view ----
  void LoadMazeMap();
  void LoadRoomData();
  void BuildRoom();
  void DrawPlayScreen();

  // ---- Play engine: the play tick, the heroine, the things ----
  void Timer1_Timer();
  // Step 8 of the play tick for slot i (Kind >= 1): move, touch, events, behaviour.
  void ProcessThing(int i);

  // ---- Events: scripts, the message window, saving ----
  void RunEventScript(const String& script);
  void ShowMessage(const String& text);

  // ---- Screens: title, pause, ending and credits, game over, palette fades ----
  void Timer2_Timer();
  void ShowPauseMenu();
  void PlayEnding();
  void PlayGameOver();
  void FadePalette(const Integer& from, const Integer& to, const Integer& step);
  void FadeToWhite();
  void FadeFromWhite();
  // One fade step: computes WorkPalette at a level and writes entries 0..254.
  void WriteFadeLevel(int kind, int level);

  // ---- Sound and music ----
  void BGM_OPEN(const std::string& path);
  void BGM_CLOSE();
  void BGM_Play();
  void BGM_Stop();
  void BGM_Repeat();
  // The file of song n: program folder + "\midi\vorn" + two digits + ".mid".
  std::string SongPath(long long n) const;
  // Plays effect n once; a number outside 0..9 is ignored.
  void PlaySound(long long n);

  // ---- Drawing helpers over the platform ----
  // BltFast with the shared BltRect; key = use the source colour key.
  void BltFast(Surface& dst, int x, int y, Surface& src, bool key);
  void SetForeColor(Surface& s, long rgb);
  void DrawText(Surface& s, int x, int y, const String& text);
  void Flip();

  // ================= Game state =================
  // Input
  Long JoyId = 0;
  Integer JoyPresent = False;
  Array<Long, 0, 9> JoyButtonMask;
  Array<Byte, 0, 255> KeyState;
  Long ApiResult = 0;
  Long FrameCount = 0;
  Array<Integer, 0, 6> KeyLatch;
  Integer EscLatch = 0;

  // World
  Array<ObjRecord, 0, 39> Obj;
  Array2<Integer, 0, 257, 0, 257> Map;
  Array2<Integer, 0, 255, 0, 255> EventMap;
  Array<Byte, 0, 159> TileAttr;

  // Player and view
  Integer JumpLen = 0;
  Integer AirTime = 0;
  Integer Life = 0;
  Integer LifeMax = 0;
  Integer LookPx = 0;
  Integer LookRow = 0;
  Integer RoomNo = 0;

  // Room and progress
  Array<String, 0, 255> EventText;
  Integer DriftX = 0;
  Array<String, 0, 512> TakenList;
  Array<Byte, 0, 511> Flags;
  Array<Byte, 0, 127> ItemCount;
  Array<String, 0, 127> ItemName;
  Integer EndingFlag = 0;
  Integer MusicOn = 0;
  Integer QuietMode = 0;
  Integer SongNo = 0;

  // Display and sound objects
  Surface* PrimarySurface = nullptr;
  Surface* BackBuffer = nullptr;
  std::unique_ptr<Surface> MapSurface;
  std::unique_ptr<Surface> TileSurface;
  Array<std::unique_ptr<Surface>, 0, 1> CharSurface;
  std::unique_ptr<Surface> TitleSurface;
  Array<std::unique_ptr<Surface>, 0, 2> EndingSurface;
  Array<bool, 0, 19> Sound;  // which effect slots are loaded
  platform::Rect BltRect;
  Array<PaletteEntry, 0, 255> WorkPalette;
  Array<PaletteEntry, 0, 255> BasePalette;
  struct {
    Byte low = 0, high = 0;
  } ColorKey;

  // Play-tick scratch: a lift the player rides this tick (step 8) hands the player's new
  // offsets to the player's move (step 14).
  bool RidingLift = false;
  Integer LiftNX = 0, LiftNY = 0;

  // The window's controls
  Timer Timer1{false, 48};
  Timer Timer2{false, 10};

 private:
  platform::Platform& platform_;
  std::string appPath_;
  long foreColor_ = 0;         // text colour of BackBuffer
  long primaryForeColor_ = 0;  // text colour of PrimarySurface
  bool displayOpen_ = false, soundOpen_ = false;
  bool titleShown_ = false;  // the provisional title below has been drawn
};

// Tile attribute strings, one per sheet row, and the item names 1..34.
extern const char* const kTileAttrRows[20];
extern const char* const kItemNames[35];

}  // namespace quelmire
