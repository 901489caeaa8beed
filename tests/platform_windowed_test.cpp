// The windowed platform on SDL's dummy video and audio drivers: keys by physical position,
// quick taps, the full-screen switch kept from the game, closing and signals, game pads as the
// joystick, the font's advances, text colours, palette bounds, sound effects, playing without
// sound and the song device's modes.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <functional>
#include <string>
#include <thread>
#include <tuple>

#include "media_builders.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "platform/sdl_music.h"
#include "platform/text.h"
#include "test_support.h"

namespace {

using platform::FatalError;
using platform::Platform;
namespace vk = platform::vk;

class Windowed : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
  }
  std::unique_ptr<Platform> Make() {
    platform::Options options;
    options.dataDir = dir_.path().string();
    options.windowed = true;
    return platform::CreateWindowedPlatform(options);
  }
  std::string WriteTemp(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_.path() / name).string();
    testing_support::WriteFile(path, bytes);
    return path;
  }
  testing_support::TempDir dir_;
};

void PushKey(Uint32 type, SDL_Scancode sc, SDL_Keycode sym = SDLK_UNKNOWN, Uint16 mod = 0) {
  SDL_Event e{};
  e.type = type;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.scancode = sc;
  e.key.keysym.sym = sym;
  e.key.keysym.mod = mod;
  SDL_PushEvent(&e);
}

// The virtual keys held once the queued events are handled.
std::vector<int> KeysDown(Platform& p) {
  p.DoEvents();
  uint8_t k[256];
  EXPECT_NE(p.GetKeyboardState(k), 0);
  std::vector<int> down;
  for (int i = 0; i < 256; ++i) {
    if (k[i] & 0x80) down.push_back(i);
  }
  return down;
}

TEST_F(Windowed, KeysAreReadByPositionWhateverTheLayout) {
  auto p = Make();
  p->SetDisplayMode();
  // A German layout reports 'y' for the key at Z's place: the game must still see Z. Right
  // Shift is both Shift (16) and right Shift (161).
  const SDL_Scancode down[] = {SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_SPACE,
                               SDL_SCANCODE_LEFT,     SDL_SCANCODE_0,      SDL_SCANCODE_RSHIFT};
  for (SDL_Scancode sc : down) PushKey(SDL_KEYDOWN, sc, SDL_GetKeyFromScancode(sc));
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_Z, SDLK_y);
  EXPECT_EQ(KeysDown(*p),
            (std::vector<int>{vk::Enter, 16, vk::Escape, vk::Space, vk::Left, '0', vk::Z, 161}));
  PushKey(SDL_KEYUP, SDL_SCANCODE_Z, SDLK_y);
  PushKey(SDL_KEYUP, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
  EXPECT_EQ(KeysDown(*p), (std::vector<int>{vk::Enter, vk::Escape, vk::Space, vk::Left, '0'}));
  // Releases that happen in another window never arrive: losing focus lets go of everything.
  SDL_Event focus{};
  focus.type = SDL_WINDOWEVENT;
  focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  SDL_PushEvent(&focus);
  EXPECT_EQ(KeysDown(*p), std::vector<int>{});
}

TEST_F(Windowed, ATapIsReadOnceWhileHeldKeysAndRepeatsStayAsTheyWere) {
  auto p = Make();
  p->SetDisplayMode();
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_Q, SDLK_q);
  PushKey(SDL_KEYUP, SDL_SCANCODE_Q, SDLK_q);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_SPACE, SDLK_SPACE);
  EXPECT_EQ(KeysDown(*p), (std::vector<int>{vk::Space, vk::Q}));
  EXPECT_EQ(KeysDown(*p), std::vector<int>{vk::Space});
  // A held key's repeats and its release: no new press.
  SDL_Event repeat{};
  repeat.type = SDL_KEYDOWN;
  repeat.key.repeat = 1;
  repeat.key.keysym.scancode = SDL_SCANCODE_SPACE;
  SDL_PushEvent(&repeat);
  PushKey(SDL_KEYUP, SDL_SCANCODE_SPACE, SDLK_SPACE);
  EXPECT_EQ(KeysDown(*p), std::vector<int>{});
}

// A close request, or SIGTERM / SIGINT, arriving from elsewhere 30 ms into a long sleep.
TEST_F(Windowed, CloseOrSignalEndsALongSleepAtOnce) {
  const std::function<void()> senders[] = {
      [] {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
      },
      [] { kill(getpid(), SIGTERM); },
      [] { kill(getpid(), SIGINT); },
  };
  for (const auto& send : senders) {
    auto p = Make();
    p->SetDisplayMode();
    EXPECT_FALSE(p->CloseRequested());
    std::thread sender([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      send();
    });
    const auto t0 = std::chrono::steady_clock::now();
    p->Sleep(4500);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    sender.join();
    EXPECT_TRUE(p->CloseRequested());
    EXPECT_LT(ms, 100);
    p->WaitUntil(p->NowUs() + 2000000);  // and every later wait is over at once
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(130));
  }
}

TEST_F(Windowed, FullScreenSwitchesDoNotReachTheGameAndClosingIsReported) {
  auto p = Make();
  p->SetDisplayMode();
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_F11, SDLK_F11);
  EXPECT_EQ(KeysDown(*p), (std::vector<int>{18, 164}));  // Alt itself is an ordinary key
  PushKey(SDL_KEYUP, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
  PushKey(SDL_KEYUP, SDL_SCANCODE_LALT, SDLK_LALT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN);
  EXPECT_EQ(KeysDown(*p), std::vector<int>{vk::Enter});

  EXPECT_FALSE(p->CloseRequested());
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  p->WaitUntil(p->NowUs() + 3000);
  EXPECT_TRUE(p->CloseRequested());
}

struct VirtualPad {
  VirtualPad() {
    index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                      SDL_CONTROLLER_BUTTON_MAX, 0);
    joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  }
  ~VirtualPad() { Detach(); }
  void Detach() {
    if (joystick) SDL_JoystickClose(joystick);
    joystick = nullptr;
    if (index >= 0) SDL_JoystickDetachVirtual(index);
    index = -1;
  }
  // The virtual pad's mapping numbers its axes and buttons as the controller API does.
  void Stick(Sint16 x, Sint16 y) {
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, x);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, y);
  }
  void Button(SDL_GameControllerButton b, bool down) {
    SDL_JoystickSetVirtualButton(joystick, b, down ? 1 : 0);
  }
  int index = -1;
  SDL_Joystick* joystick = nullptr;
};

platform::JoyInfo Read(Platform& p) {
  p.DoEvents();
  platform::JoyInfo info;
  EXPECT_EQ(p.JoyGetPos(0, info), 0);
  return info;
}

TEST_F(Windowed, PadPresentAtStartIsOpenedAndNotCountedAsPluggedIn) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0);
  {
    VirtualPad pad;
    ASSERT_GE(pad.index, 0) << SDL_GetError();
    auto p = Make();
    p->DoEvents();
    EXPECT_EQ(p->JoyNumDevs(), 1);
    EXPECT_FALSE(p->TakeJoystickAdded());
    platform::JoyInfo info;
    EXPECT_EQ(p->JoyGetPos(0, info), 0);
    EXPECT_NE(p->JoyGetPos(1, info), 0);  // no second pad
    EXPECT_NE(p->JoyGetPos(-1, info), 0);
  }
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

TEST_F(Windowed, PadPluggedInLaterDrivesAxesAndButtons) {
  auto p = Make();
  platform::JoyInfo info;
  EXPECT_EQ(p->JoyNumDevs(), 0);
  EXPECT_NE(p->JoyGetPos(0, info), 0);

  VirtualPad pad;
  ASSERT_GE(pad.index, 0) << SDL_GetError();
  p->DoEvents();
  EXPECT_EQ(p->JoyNumDevs(), 1);
  EXPECT_TRUE(p->TakeJoystickAdded());
  EXPECT_FALSE(p->TakeJoystickAdded());  // once

  // The game's dead band is 655..58982. At 95 % up and left count too, although the game's
  // low threshold is 1 %; the d-pad goes to the stops and wins over the stick.
  const struct {
    Sint16 x, y;
    bool dpadUpRight;
    uint32_t xMin, xMax, yMin, yMax;
  } cases[] = {
      {0, 0, false, 32767, 32768, 32767, 32768},    {16384, -16384, false, 656, 58981, 656, 58981},
      {31130, -31130, false, 58983, 65535, 0, 654}, {-31130, 31130, false, 0, 654, 58983, 65535},
      {-32768, 32767, false, 0, 0, 65535, 65535},   {-32768, 32767, true, 65535, 65535, 0, 0},
      {0, 0, false, 656, 58981, 656, 58981},
  };
  for (const auto& c : cases) {
    pad.Stick(c.x, c.y);
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, c.dpadUpRight);
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, c.dpadUpRight);
    info = Read(*p);
    SCOPED_TRACE(testing::Message()
                 << c.x << "," << c.y << " -> " << info.xpos << "," << info.ypos);
    EXPECT_TRUE(info.xpos >= c.xMin && info.xpos <= c.xMax);
    EXPECT_TRUE(info.ypos >= c.yMin && info.ypos <= c.yMax);
    EXPECT_EQ(info.buttons, 0u);
  }

  // Button 1 = south, 2 = east, 9 = Start: bits 0, 1 and 8.
  const std::pair<SDL_GameControllerButton, uint32_t> buttons[] = {
      {SDL_CONTROLLER_BUTTON_A, 1},
      {SDL_CONTROLLER_BUTTON_B, 2},
      {SDL_CONTROLLER_BUTTON_START, 256}};
  for (const auto& [button, bits] : buttons) {
    pad.Button(button, true);
    EXPECT_EQ(Read(*p).buttons, bits);
    pad.Button(button, false);
  }

  // Taps between two pumps: button 2 and d-pad left read as down by every read until the next
  // pump, then they are over.
  for (auto button : {SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_DPAD_LEFT}) {
    for (Uint32 type : {SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLERBUTTONUP}) {
      SDL_Event e{};
      e.type = type;
      e.cbutton.which = SDL_JoystickInstanceID(pad.joystick);
      e.cbutton.button = static_cast<Uint8>(button);
      SDL_PushEvent(&e);
    }
  }
  info = Read(*p);
  EXPECT_EQ(std::tuple(info.buttons, info.xpos), std::tuple(2u, 0u));
  ASSERT_EQ(p->JoyGetPos(0, info), 0);
  EXPECT_EQ(std::tuple(info.buttons, info.xpos), std::tuple(2u, 0u));
  info = Read(*p);
  EXPECT_EQ(info.buttons, 0u);
  EXPECT_GT(info.xpos, 655u);

  // Unplugged: the pad no longer answers.
  pad.Detach();
  p->DoEvents();
  EXPECT_EQ(p->JoyNumDevs(), 0);
  EXPECT_NE(p->JoyGetPos(0, info), 0);
}

TEST(WindowedText, FullWidthAdvancesSixteenAndHalfWidthEight) {
  platform::TextRenderer text;
  const std::pair<const char*, int> cases[] = {
      {"あいう", 48}, {"\u3000", 16}, {"ABC xyz", 56}, {"[T]:タイトル画面に戻る", 4 * 8 + 9 * 16},
      {"×→■～", 64},  {"", 0}};
  for (const auto& [s, width] : cases) EXPECT_EQ(text.Width(s), width) << s;
  // Broken UTF-8 still lays out, one replacement per bad byte, and never reads past the end.
  EXPECT_GT(text.Width("\xE3\x81"), 0);
  EXPECT_GT(text.Width("\xFF\xC0\x80"), 0);
}

TEST(WindowedText, InkIsOneIndexOnATransparentBackgroundClippedToTheSurface) {
  platform::TextRenderer text;
  platform::Surface s(64, 32, "text");
  s.Fill(7);
  const uint64_t before = s.Generation();
  text.Draw(s, 2, 2, "あA", 200);
  EXPECT_GT(s.Generation(), before);
  int ink = 0;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      // The two glyphs fit in 24 x 17 pixels from their origin.
      const bool inBox = x >= 2 && x < 2 + 24 + 1 && y >= 2 && y < 2 + 17;
      const uint8_t v = s.At(x, y);
      ASSERT_TRUE(v == 7 || (inBox && v == 200)) << x << "," << y << " = " << int{v};
      ink += v == 200;
    }
  }
  EXPECT_GT(ink, 30);

  // Partly or wholly outside: clipped, never written out of bounds.
  text.Draw(s, -5, -9, "あいうえお", 9);
  text.Draw(s, 60, 28, "あいうえお", 9);
  text.Draw(s, INT_MIN, INT_MIN, "あ", 9);
  text.Draw(s, INT_MAX, INT_MAX, "あ", 9);
  text.Draw(s, INT_MAX - 3, 0, "ああ", 9);
}

TEST(WindowedText, NearestEntrySkipsTransparentAndFixedEntriesAndPrefersTheLowerIndex) {
  platform::Palette pal{};
  for (auto& e : pal) e = {10, 20, 30, 0};
  pal[2] = {255, 255, 255, 0};    // the transparent colour: never ink
  pal[255] = {255, 255, 255, 0};  // not faded: never ink
  pal[40] = {250, 250, 250, 0};
  pal[41] = {250, 250, 250, 0};
  pal[100] = {255, 0, 0, 0};
  EXPECT_EQ(platform::NearestEntry(pal, 0xFFFFFF), 40);
  EXPECT_EQ(platform::NearestEntry(pal, 0x0000FF), 100);  // red is the low byte
  EXPECT_EQ(platform::NearestEntry(pal, 0x1E140A), 0);    // blue 30, green 20, red 10
}

TEST_F(Windowed, PaletteWritesKeepEntry255AndTextUsesTheAttachedColours) {
  auto p = Make();
  p->SetDisplayMode();
  platform::Palette pal{};
  pal[255] = {1, 2, 3, 0};
  pal[5] = {255, 255, 255, 0};
  p->SetPalette(pal);

  // A fade to black: entries 0..254, and even a write that names 255 leaves it alone.
  std::vector<platform::PaletteEntry> black(300);
  p->SetEntries(0, 256, black.data());
  EXPECT_EQ(p->DisplayPalette()[255], (platform::PaletteEntry{1, 2, 3, 0}));
  std::vector<platform::PaletteEntry> read(255);
  p->GetEntries(0, 255, read.data());
  EXPECT_EQ(read[5], platform::PaletteEntry{});
  const std::pair<int, int> badRanges[] = {{250, 10}, {-1, 2}, {0, 257}, {3, -1}};
  for (const auto& [start, count] : badRanges) {
    EXPECT_THROW(p->SetEntries(start, count, black.data()), FatalError) << start << "," << count;
    EXPECT_THROW(p->GetEntries(start, count, black.data()), FatalError) << start << "," << count;
  }

  // White text drawn while the screen is dark still gets the entry that is white when lit.
  p->Back().Fill(0);
  p->DrawText(p->Back(), 0, 0, "■", 0xFFFFFF);
  bool white = false;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) white |= p->Back().At(x, y) == 5;
  }
  EXPECT_TRUE(white);

  // Flipping with the dummy display moves the picture to the front.
  p->Flip();
  EXPECT_EQ(p->Back().At(0, 0), 0);
  p->Sleep(1);
  p->CloseDisplay();
  p->CloseDisplay();  // twice is harmless (the top level may close after a failure)
}

class WindowedSound : public Windowed {
 protected:
  void SetUp() override {
    Windowed::SetUp();
    plat_ = Make();
    try {
      plat_->OpenSoundDevice();
    } catch (const FatalError& e) {
      GTEST_SKIP() << "no audio driver here: " << e.what();
    }
  }
  std::unique_ptr<Platform> plat_;
};

TEST_F(WindowedSound, EffectsLoadPlayAndIgnoreBadSlots) {
  const std::string wav = WriteTemp("beep.wav", media_builders::Wav(1, 22050, 16, 8820));
  plat_->LoadSound(0, wav);
  for (int slot : {0, 0, 3, -1, 10}) plat_->PlaySound(slot);  // sounding, not loaded, outside
  try {
    plat_->LoadSound(1, (dir_.path() / "wave" / "missing.wav").string());
    FAIL() << "a missing effect must stop the start-up";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.wav"), std::string::npos) << e.what();
  }
  EXPECT_THROW(plat_->LoadSound(10, wav), FatalError);
  plat_->CloseSoundDevice();
  plat_->PlaySound(0);  // after closing: nothing
}

TEST_F(WindowedSound, MissingOrMalformedSongLeavesMusicSilent) {
  platform::MusicDevice& m = plat_->Music();
  EXPECT_EQ(m.Mode(), "");
  // SMPTE timing has no song positions.
  for (const std::string& path :
       {(dir_.path() / "vorn99.mid").string(), WriteTemp("text.mid", "MThd is not enough"),
        WriteTemp("smpte.mid", media_builders::Midi(0, 0xE728, {media_builders::EndOfTrack(0)}))}) {
    EXPECT_NE(m.Open(path), 0) << path;
    EXPECT_EQ(m.Mode(), "");
    EXPECT_NE(m.Play(), 0);
    EXPECT_EQ(m.Mode(), "");
  }
}

// Without sound no device is opened, effects are still checked but silent, songs never open.
TEST_F(Windowed, NoSoundOpensNoDeviceAndAMissingDeviceNamesTheOption) {
  const char* before = getenv("SDL_AUDIODRIVER");
  const std::string saved = before ? before : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  try {
    Make()->OpenSoundDevice();
    ADD_FAILURE() << "a missing sound device must stop the start-up";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("--no-sound"), std::string::npos) << e.what();
  }

  platform::Options options;
  options.sound = false;
  auto p = platform::CreateWindowedPlatform(options);
  p->OpenSoundDevice();
  const std::string wav = WriteTemp("beep.wav", media_builders::Wav(1, 22050, 16, 8820));
  p->LoadSound(0, wav);
  p->PlaySound(0);
  EXPECT_THROW(p->LoadSound(1, WriteTemp("bad.wav", "RIFF")), FatalError);
  EXPECT_NE(p->Music().Open(WriteTemp(
                "song.mid", media_builders::Midi(0, 96, {media_builders::EndOfTrack(0)}))),
            0);
  EXPECT_EQ(p->Music().Mode(), "");
  p->CloseSoundDevice();
  if (before) {
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  } else {
    unsetenv("SDL_AUDIODRIVER");
  }
}

// Waits until the song reports stopped; the seconds it took, or -1 at the time limit.
double SecondsUntilStopped(platform::MusicDevice& m, double limit) {
  const auto t0 = std::chrono::steady_clock::now();
  for (;;) {
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (m.Mode() == "stopped") return s;
    if (s > limit) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

TEST_F(WindowedSound, SongModesFollowPlayStopAndTheLastEvent) {
  if (platform::FindSoundfont().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  using namespace media_builders;
  // Four quarter notes at 0.25 s each, division 96: one second, 384 ticks.
  std::string events = Tempo(0, 250000);
  for (int i = 0; i < 4; ++i) events += NoteOn(0, 60 + i) + NoteOff(96, 60 + i);
  const std::string song = WriteTemp("song.mid", Midi(0, 96, {events + EndOfTrack(0)}));

  platform::MusicDevice& m = plat_->Music();
  // Given at once, before the soundfont can have loaded: the song must still start.
  ASSERT_EQ(m.Open(song), 0);
  EXPECT_EQ(m.SetTimeFormatSongPointer(), 0);
  EXPECT_EQ(m.Mode(), "stopped");  // open, not started
  ASSERT_EQ(m.Play(), 0);
  EXPECT_EQ(m.Mode(), "playing");
  ASSERT_GT(SecondsUntilStopped(m, 20), 0.5) << "the first play never ended";

  // From the start the song lasts a second, and reports its end at once (the player's own
  // end report comes two seconds late).
  EXPECT_EQ(m.SeekStart(), 0);
  EXPECT_EQ(m.Mode(), "stopped");
  ASSERT_EQ(m.PlayFrom(0), 0);
  EXPECT_EQ(m.Mode(), "playing");
  const double whole = SecondsUntilStopped(m, 5);
  EXPECT_TRUE(whole > 0.8 && whole < 1.8) << whole;

  // From song position 8 (two quarter notes in) it is half as long.
  ASSERT_EQ(m.PlayFrom(8), 0);
  const double half = SecondsUntilStopped(m, 5);
  EXPECT_TRUE(half > 0.3 && half < whole - 0.25) << half;

  // Past the end it stops at once.
  ASSERT_EQ(m.PlayFrom(64), 0);
  EXPECT_LT(SecondsUntilStopped(m, 5), 0.5);

  // Stopped in the middle it stays stopped, and Play goes on.
  ASSERT_EQ(m.PlayFrom(0), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(m.Mode(), "playing");
  ASSERT_EQ(m.Stop(), 0);
  EXPECT_EQ(m.Mode(), "stopped");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(m.Mode(), "stopped");
  ASSERT_EQ(m.Play(), 0);
  const double rest = SecondsUntilStopped(m, 5);
  EXPECT_TRUE(rest > 0.3 && rest < 1.3) << rest;

  // A new song closes the previous one; closing leaves no song.
  ASSERT_EQ(m.Open(song), 0);
  EXPECT_EQ(m.Mode(), "stopped");
  EXPECT_EQ(m.Close(), 0);
  EXPECT_EQ(m.Mode(), "");
  plat_->CloseSoundDevice();
  EXPECT_EQ(m.Mode(), "");
}

}  // namespace
