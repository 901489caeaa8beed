// Form1: the game's one window. It holds the whole shared game state as member variables
// and every procedure of the game as a member function; each procedure is defined in the
// folder of its subsystem (shell, world, play, events, screens, audio).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/files.h"
#include "platform/platform.h"
#include "shell/basic.h"
#include "shell/settings.h"

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
  // Any key of the action is down in KeyState.
  bool ActionDown(Action a) const;
  // The menus' confirm: Z, Space, Enter, or a key of the jump action.
  bool ConfirmKeyDown() const;
  // A key of the options action is down that is none of the menus' own keys (the arrows, Z,
  // Space, Enter, Escape): those keep moving and confirming, and close the options screen.
  bool OptionsKeyDown() const;
  static bool IsMenuKey(int vk);
  // "[KEY]:text", naming the first key of the action, as the status screen and the title do.
  String KeyLabel(Action a, const String& text) const;
  void WaitForKey();

  // ---- World: maze and room files, the map buffer and the play view ----
  void LoadMazeMap();
  void LoadRoomData();
  void BuildRoom();
  void DrawPlayScreen();
  // Observer for tests: called as the room loader is about to run an init ("in") script.
  std::function<void(const String& script)> OnInitScript;
  // Counts room loads, so a step that ran a script can tell its records were replaced.
  uint32_t RoomLoadCount = 0;
  // Records 1..RoomThings hold the room file's things and items (taken ones included); the
  // records after them hold nothing, not even a cell, so scripts cannot turn them into things.
  int RoomThings = 0;
  // The cells the view can be cut out around: columns 10..247, view rows 10..252 (the map
  // buffer reaches 10 cells to each side, 10 rows above and 5 below).
  static bool InViewReach(long long c, long long r) {
    return c >= 10 && c <= 247 && r >= 10 && r <= 252;
  }
  // Stops the game when the player's cell and view row (Y + LookRow) are out of view reach.
  void CheckViewLimits(const char* who) const;

  // ---- Play engine: the play tick, the heroine, the things ----
  void Timer1_Timer();
  // Off for tools that play many ticks nobody sees (the room survey, fuzz targets): the play
  // tick then composes and flips no frame and leaves the map buffer as it is (BuildRoom draws
  // it anew before frames are drawn again); everything else it does is unchanged.
  bool DrawFrames = true;
  // Step 8 of the play tick for slot i (Kind >= 1): move, touch, events, behaviour.
  void ProcessThing(int i);
  // Parts of ProcessThing: touching the player, picking up an item, the kinds' rules.
  void TouchThing(int i, Integer nx, Integer ny, Integer dx, Integer dy);
  void PickUpItem(int i);
  String ItemMessage(Integer n) const;
  String TranslatedItemMessage(Integer n) const;
  void ThingBehaviour(int i, Integer& nx, Integer& ny, Integer dx, Integer dy);
  void WalkThing(int i, Integer& nx, Integer dx, Integer dy);
  void BounceThing(int i, Integer& ny);
  void CommandThing(int i, Integer nx, Integer ny, Integer dx, Integer dy);
  void ChaseThing(int i);
  void FollowThing(int i);
  void BlastPadThing(int i, Integer& ny);
  bool ThingSolid(long long c, long long r) const;
  [[noreturn]] void ThingFault(int i, const std::string& what) const;
  // The heroine's steps of the play tick, in tick order (dir: -1 left, 0, +1 right).
  void PlayerWalk(Integer dir);
  void PlayerTileDamage();
  void PlayerKnockback(int vx);
  void PlayerFallStart();
  void PlayerLookDown();
  void PlayerGravity();
  void PlayerJumpStart();
  void PlayerHealAndLift();
  void PlayerFriction(Integer dir);
  void PlayerMove();
  // Cell change of the player and the one-cell shift of the map buffer.
  void ScrollView();
  // A look down that a fall or a warp carried past the maze's last view row is held there.
  void HoldLookInMaze();
  // The play keys: a key or its joystick equivalent, read from KeyState and a fresh read.
  Integer InputDirection();
  bool JoyDirDown(int bit);
  bool JoyButton(int n);
  bool JumpButtonDown();
  bool LiftButtonDown();
  bool UpNewlyPressed();
  void RefreshPlayLatches();
  // Tile class of a map cell.
  Byte CellClass(long long c, long long r) const { return TileAttr(Map(c, r)); }
  // Solid for the heroine: class 3, or out of view reach, so an opening at the maze's edge
  // cannot take her out of sight.
  bool SolidForPlayer(long long c, long long r) const {
    return !InViewReach(c, r) || CellClass(c, r) == 3;
  }
  // The side column the heroine reaches into once her offset passes k pixels.
  long long LeanColumn(int k) const {
    const ObjRecord& p = Obj(0);
    return (p.OffX > k || p.OffX < -k) ? p.X + Sign(p.OffX) : p.X;
  }

  // ---- Events: scripts, the message window, saving ----
  void RunEventScript(const String& script);
  void ShowMessage(const String& text);
  // A text already in the language played, its control letters in braces ({r}, {b}, {fa},
  // {i05}), laid out by words in the font's own widths.
  void ShowTranslatedMessage(const String& text, const String& original);
  void OpenMessageWindow(const String& original);
  void CloseMessageWindow();

  // ---- Languages ----
  // Plays in the language of code ("ja", the game's own, or one with a catalogue
  // lang/CODE.mo in the game folder). False, and Japanese, with the reason in error when
  // its catalogue cannot be read.
  bool UseLanguage(const std::string& code, std::string& error);
  // The text in the language played: its translation, or the text itself when it has none
  // (or Japanese is played).
  String Tr(const String& text) const;
  bool Translated() const { return !catalogue_.empty(); }
  // A script entered while QuietMode is set is a room's init script: the room loader is
  // reading its file, so a warp ("jp") there is held back until the load has finished.
  // RunPendingWarps performs such warps (at most a few in a chain) for a caller that loaded
  // a room itself: the title's hand-over must call it after LoadRoomData.
  void RunPendingWarps();
  // One script command at position p of s: returns the position after it, or 0 when the
  // script ends there; -1 when the two characters at p spell no command.
  long long RunScriptCommand(const String& s, long long p);
  long long ScriptIf(const String& s, long long p);
  // "jp": warp to (x, y) of a maze and room, with the fades and the save prompt.
  void ScriptWarp(Integer maze, Integer x, Integer y, Integer room);
  // Empty when the warp target can be loaded and shown, else the reason.
  std::string WarpProblem(Integer maze, Integer x, Integer y, Integer room) const;
  void LoadWarpTarget(Integer maze, Integer x, Integer y, Integer room);
  // Observer for tools that survey rooms: asked as a warp from play is about to be made;
  // returning true takes the warp over, and the game does not make it.
  std::function<bool(Integer maze, Integer x, Integer y, Integer room)> OnWarp;
  bool InInitScript = false;  // the running script is a room's init script
  bool WarpPending = false;
  int WarpDepth = 0;  // warps under way, one inside another's composing tick
  Integer PendingMaze = 0, PendingX = 0, PendingY = 0, PendingRoom = 0;
  // The save prompt of a warp: choose slot 1..3 or leave.
  void RunSavePrompt();
  // Writes slot 1..3 atomically (temporary file, flushed, renamed over the slot): the slot
  // holds the old save or the new one, whole. False when it could not be written; the old
  // file is then untouched.
  bool WriteSaveFile(int slot);
  // The 1065 CRLF lines of a save of the current game.
  std::string SaveFileText() const;
  // Reads slot 1..3 into Obj(0).X, Y, Kind, LifeMax, Life, RoomNo, ItemCount(0..39),
  // Flags(0..511) and TakenList(0..511), nothing else. False with a one-line reason (file
  // and line) when the file is missing, cut short, holds a value of the wrong kind or out of
  // range (maze or room without a file, a position the view cannot show, life below 1 or
  // over its ceiling); the game state is then unchanged.
  bool ReadSaveFile(int slot, std::string& error);
  std::string SaveFilePath(int slot) const;
  // Where the slots live: the game folder when it can be written, else the player's own data
  // folder (start-up chooses; see ChooseSaveFolder).
  std::string SaveFolder;
  void ChooseSaveFolder();
  // Tests break or watch the writer as a full disk, a pulled drive or a kill would: SaveFault
  // is asked before each step, and before each piece of the text (SavePiece bytes at a time,
  // all of it when 0), and returns the errno that step fails with, or 0.
  using SaveStep = platform::WriteStep;
  std::function<int(SaveStep step)> SaveFault;
  size_t SavePiece = 0;

  // ---- Screens: title, pause, ending and credits, game over, palette fades ----
  void Timer2_Timer();
  void ShowPauseMenu();
  void PlayEnding();
  // One credits scene: a part of a maze on the right, heading and names fading in on the left.
  void ShowCreditScene(Integer maze, Integer x, Integer y, const String& heading,
                       const String& names);
  void PlayGameOver();
  // The options screen: volumes, display, language and keys; changes apply at once and are
  // written to the settings file as it closes.
  void ShowOptions();
  // Hands the volumes and the display settings to the platform.
  void ApplySettings();
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

  // ---- The player's settings ----
  Settings GameSettings;
  // The settings file (empty: never written, as in headless runs without a file) and what it
  // held at start-up; the command line's choices are not written back unless the options
  // screen changes them.
  std::string SettingsPath;
  Settings SettingsOnDisk;
  // The report of the last failed write of the settings file; the options screen says it failed.
  std::string SettingsError;

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
  // The status bar shows two rows of ten hearts: the ceiling never passes them.
  static constexpr Integer kMostHearts = 20;
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
  std::unordered_map<std::string, std::string> catalogue_;  // Japanese -> played, UTF-8
};

// Tile attribute strings, one per sheet row, and the item names 1..34.
extern const char* const kTileAttrRows[20];
extern const char* const kItemNames[35];

}  // namespace quelmire
