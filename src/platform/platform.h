// The game's view of the machine: a 640 x 480 8-bit display with one back buffer and a
// palette, text in the window's font, ten sound effects, one MIDI song device, the keyboard
// and a joystick, a clock, sleeping and yielding, and a file listing. Two implementations:
// the windowed one (SDL2, SDL2_ttf, SDL2_mixer, FluidSynth) and the headless one (virtual
// clock, scripted input, observed sound and music).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/surface.h"

namespace platform {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

// One background song at a time. Positions are song-pointer units (sixteenth notes).
// Results: 0 for success, non-zero for a failure (the caller stores them and goes on).
class MusicDevice {
 public:
  virtual ~MusicDevice() = default;
  virtual int Open(const std::string& path) = 0;  // closes any open song first
  virtual int SetTimeFormatSongPointer() = 0;
  virtual int Play() = 0;  // from the current position
  virtual int PlayFrom(int songPosition) = 0;
  virtual int Stop() = 0;  // no notes left ringing
  virtual int SeekStart() = 0;
  // "playing", "stopped" (open and not playing, or played to its end), or "" when no song is
  // open or there is no synthesizer.
  virtual std::string Mode() = 0;
  virtual int Close() = 0;
};

struct JoyInfo {
  uint32_t xpos = 32767, ypos = 32767;  // 0..65535
  uint32_t buttons = 0;                 // bit n-1 = button n
};

struct Options {
  std::string dataDir;      // program folder: bitmap/, wave/, midi/, map/ and the saves
  bool windowed = false;    // windowed platform only
  int windowScale = 0;      // windowed platform only: see SetWindowMode
  bool sound = true;        // false: no sound device is opened; effects and songs are silent
  std::string inputScript;  // headless only
  int64_t maxMs = 3600000;  // headless only
  // The program installed the close signals before the platform: a signal that came since
  // is kept, not cleared (see close_signal.h).
  bool keepCloseSignal = false;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- display ---
  // Enters the 640 x 480 8-bit display: creates the visible surface and its back buffer.
  // Throws FatalError when no display can be had.
  virtual void SetDisplayMode() = 0;
  virtual Surface& Primary() = 0;
  virtual Surface& Back() = 0;
  // Exchanges back buffer and visible surface, and shows the new picture.
  virtual void Flip() = 0;
  // Attaches the palette loaded from the palette bitmap. Entry 255 stays as given here for
  // the whole run; SetEntries never reaches it.
  virtual void SetPalette(const Palette& pal) = 0;
  virtual void SetEntries(int start, int count, const PaletteEntry* entries) = 0;
  virtual void GetEntries(int start, int count, PaletteEntry* entries) = 0;
  // The colours shown now.
  virtual const Palette& DisplayPalette() const = 0;
  // Draws UTF-8 text with its top-left at (x, y) in the window's font, transparent
  // background, in the palette entry nearest to rgb (red in the low byte).
  virtual void DrawText(Surface& s, int x, int y, std::string_view utf8, uint32_t rgb) = 0;
  virtual void ShowCursor(bool show) = 0;

  // --- sound effects ---
  // Opens the sound device. Throws FatalError when there is none (unless sound is off).
  virtual void OpenSoundDevice() = 0;
  // Loads slot 0..9 from a WAV file. Throws FatalError naming the file.
  virtual void LoadSound(int slot, const std::string& path) = 0;
  // Plays a loaded slot once; a slot still sounding is not restarted. Others are ignored.
  virtual void PlaySound(int slot) = 0;
  virtual void CloseSoundDevice() = 0;

  // --- music ---
  virtual MusicDevice& Music() = 0;

  // --- the player's settings ---
  // Volumes from 0 (silent) to 10 of the songs and of the effects, heard at once.
  virtual void SetVolumes(int music, int effects) = 0;
  // Full screen, or a window of scale times 640 x 480 (0: as large as the desktop has room
  // for, at most twice). Before SetDisplayMode it chooses how the display opens.
  virtual void SetWindowMode(bool fullscreen, int scale) = 0;
  // Whether the display is full screen now, Alt+Enter's switch included.
  virtual bool Fullscreen() = 0;

  // --- input ---
  // Snapshot indexed by Windows virtual-key code, bit 7 set = down. Returns non-zero.
  // A key pressed since the last snapshot is down in this one even if it is already up
  // again: a quick tap between two reads is not lost.
  virtual long GetKeyboardState(uint8_t keys[256]) = 0;
  virtual int JoyNumDevs() = 0;
  // 0 on success; non-zero when joystick id does not answer. A button or d-pad direction
  // pressed since the last wait reads as down, even if already released, until the next
  // wait after a read has shown it (a pass reads the pad several times, once per button).
  virtual int JoyGetPos(int id, JoyInfo& info) = 0;
  // True once after a joystick has been plugged in.
  virtual bool TakeJoystickAdded() = 0;

  // --- time ---
  virtual int64_t NowUs() = 0;
  // Sleeps ms milliseconds; shows what changed on the visible surface or palette first.
  // Sleep and WaitUntil end early once a close is requested.
  virtual void Sleep(int ms) = 0;
  // Yields to the window system once: handles pending window events, shows what changed,
  // and may block a few milliseconds waiting for an event (waiting loops cost no CPU).
  virtual void DoEvents() = 0;
  // Idles until the clock reaches the given time (the event loop's timer wait).
  virtual void WaitUntil(int64_t us) = 0;
  // The window was closed, SIGTERM or SIGINT arrived, or the headless script said close.
  virtual bool CloseRequested() = 0;
  // Shows the display device's release: leaves full screen, closes the window.
  virtual void CloseDisplay() = 0;

  // --- files ---
  // Names (not paths) of the files in dir whose names end in the given suffix, sorted.
  virtual std::vector<std::string> ListFiles(const std::string& dir, const std::string& suffix) = 0;

  // Headless only: the game's state as JSON members (without braces), for the state action.
  std::function<std::string()> stateDumper;
};

std::unique_ptr<Platform> CreateWindowedPlatform(const Options& options);
std::unique_ptr<Platform> CreateHeadlessPlatform(const Options& options);

// Windows virtual-key codes the game reads.
namespace vk {
constexpr int Enter = 13, Escape = 27, Space = 32, Left = 37, Up = 38, Right = 39, Down = 40;
constexpr int Key0 = 48;  // '0'..'9' = 48..57
constexpr int KeyA = 65;  // 'A'..'Z' = 65..90
constexpr int Q = 81, T = 84, X = 88, Z = 90;
}  // namespace vk

}  // namespace platform
