// The windowed platform on SDL's dummy video and audio drivers: keys by physical position,
// quick taps, focus, the full-screen switch kept from the game, closing and signals, game pads
// as the joystick, sound effects, bad songs and playing without sound.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>
#include <tuple>

#include "platform_fixtures.h"
#include "test_support.h"

namespace {

using namespace platform_fixtures;
using platform::FatalError;
using platform::Platform;
namespace vk = platform::vk;
using Clock = std::chrono::steady_clock;

class Windowed : public ::testing::Test {
 protected:
  std::unique_ptr<Platform> Make(bool sound = true) {
    return MakePlatform(dir_.path().string(), true, sound);
  }
  std::string WriteTemp(const std::string& name, const std::string& bytes) {
    testing_support::WriteFile(dir_ / name, bytes);
    return (dir_ / name).string();
  }
  testing_support::TempDir dir_;
};

// Pushes key events written "+Name" (down), "-Name" (up), "*Name" (a repeat), "!" (focus
// lost) or "?" (a close request), separated by commas, with SDL's key names; "/y" after a name is
// the symbol a layout gives the key, and a trailing "&" means Left Alt is held.
void PushKeys(const std::string& events) {
  std::istringstream in(events);
  for (std::string t; std::getline(in, t, ',');) {
    SDL_Event e{};
    if (t == "!" || t == "?") {
      e.type = t == "!" ? SDL_WINDOWEVENT : SDL_QUIT;
      e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    } else {
      e.type = t[0] == '-' ? SDL_KEYUP : SDL_KEYDOWN;
      e.key.state = t[0] == '-' ? SDL_RELEASED : SDL_PRESSED;
      e.key.repeat = t[0] == '*';
      if (t.back() == '&') t.pop_back(), e.key.keysym.mod = KMOD_LALT;
      const size_t slash = t.find('/');
      const SDL_Scancode sc = SDL_GetScancodeFromName(t.substr(1, slash - 1).c_str());
      e.key.keysym.scancode = sc;
      e.key.keysym.sym = slash == std::string::npos ? SDL_GetKeyFromScancode(sc)
                                                    : SDL_GetKeyFromName(t.c_str() + slash + 1);
    }
    SDL_PushEvent(&e);
  }
}

TEST_F(Windowed, KeysByPositionTapsFullScreenSwitchesAndCloseOrSignalEndingALongSleep) {
  auto p = Make();
  p->SetDisplayMode();
  const std::pair<const char*, std::vector<int>> steps[] = {
      // A German layout reports 'y' for the key at Z's place: the game still sees Z. Right Shift
      // is both Shift (16) and right Shift (161).
      {"+Keypad Enter,+Escape,+Space,+Left,+0,+Right Shift,+Z/y",
       {vk::Enter, 16, vk::Escape, vk::Space, vk::Left, '0', vk::Z, 161}},
      {"-Z/y,-Right Shift", {vk::Enter, vk::Escape, vk::Space, vk::Left, '0'}},
      {"!", {}},  // releases in another window never arrive: losing focus lets go of all
      // A tap between two reads is read once; a held key's repeats and release are no press.
      {"+Q,-Q,+Space", {vk::Space, vk::Q}},
      {"", {vk::Space}},
      {"*Space,-Space", {}},
      // Alt+Enter and F11 switch full screen; Alt itself is an ordinary key.
      {"+Left Alt&,+Return&,+F11", {18, 164}},
      {"-Return&,-Left Alt,+Return", {vk::Enter}},
  };
  for (const auto& [events, want] : steps) {
    PushKeys(events);
    p->DoEvents();
    EXPECT_EQ(KeysDown(*p), want) << events;
  }
  // A close request, or SIGTERM / SIGINT, arriving from elsewhere 30 ms into a long sleep
  // ends it at once.
  const std::function<void()> senders[] = {[] { PushKeys("?"); }, [] { kill(getpid(), SIGTERM); },
                                           [] { kill(getpid(), SIGINT); }};
  for (const auto& send : senders) {
    auto w = Make();
    w->SetDisplayMode();
    EXPECT_FALSE(w->CloseRequested());
    std::thread sender([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      send();
    });
    const auto t0 = Clock::now();
    w->Sleep(4500);
    const auto slept = Clock::now() - t0;
    sender.join();
    EXPECT_TRUE(w->CloseRequested() && slept < std::chrono::milliseconds(100));
    w->WaitUntil(w->NowUs() + 2000000);  // and every later wait is over at once
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(130));
  }
}

// The pad's position and buttons (xpos, ypos, buttons), or its error as the buttons.
std::tuple<uint32_t, uint32_t, uint32_t> Read(Platform& p, int id = 0, bool pump = true) {
  if (pump) p.DoEvents();
  platform::JoyInfo j;
  const int r = p.JoyGetPos(id, j);
  return r ? std::tuple(0u, 0u, 0xE000u) : std::tuple(j.xpos, j.ypos, j.buttons);
}

TEST_F(Windowed, PadsDriveAxesAndButtonsAndArePluggedInAndOut) {
  auto p = Make();
  EXPECT_EQ(std::tuple(p->JoyNumDevs(), std::get<2>(Read(*p))), std::tuple(0, 0xE000u));
  // A pad as the controller API numbers its axes and buttons.
  const int index = SDL_JoystickAttachVirtual(
      SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
  SDL_Joystick* pad = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  ASSERT_TRUE(pad) << SDL_GetError();
  p->DoEvents();
  EXPECT_EQ(p->JoyNumDevs(), 1);
  EXPECT_TRUE(p->TakeJoystickAdded());
  EXPECT_FALSE(p->TakeJoystickAdded());  // once
  // The game's dead band is 655..58982. At 95 % up and left count too, although the game's
  // low threshold is 1 %; the d-pad goes to the stops and wins over the stick. Then button 1
  // (south), 2 (east) and 9 (Start) are bits 0, 1 and 8.
  const std::tuple<Sint16, Sint16, int, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t> cases[] =
      {
          {0, 0, -1, 32767, 32768, 32767, 32768, 0},
          {16384, -16384, -1, 656, 58981, 656, 58981, 0},
          {31130, -31130, -1, 58983, 65535, 0, 654, 0},
          {-31130, 31130, -1, 0, 654, 58983, 65535, 0},
          {-32768, 32767, -1, 0, 0, 65535, 65535, 0},
          {-32768, 32767, SDL_CONTROLLER_BUTTON_DPAD_UP, 65535, 65535, 0, 0, 0},
          {0, 0, SDL_CONTROLLER_BUTTON_A, 656, 58981, 656, 58981, 1},
          {0, 0, SDL_CONTROLLER_BUTTON_B, 656, 58981, 656, 58981, 2},
          {0, 0, SDL_CONTROLLER_BUTTON_START, 656, 58981, 656, 58981, 256},
      };
  for (const auto& [x, y, button, xMin, xMax, yMin, yMax, bits] : cases) {
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, x);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, y);
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
      SDL_JoystickSetVirtualButton(pad, b, b == button);
    // The up d-pad row holds right too.
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
                                 button == SDL_CONTROLLER_BUTTON_DPAD_UP);
    const auto [xpos, ypos, buttons] = Read(*p);
    EXPECT_TRUE(xpos >= xMin && xpos <= xMax && ypos >= yMin && ypos <= yMax && buttons == bits)
        << x << "," << y << "," << button << " -> " << xpos << "," << ypos << "," << buttons;
  }
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, 0);
  // Taps between two pumps: button 2 and d-pad left read as down by every read until the next
  // pump, then they are over.
  for (auto button : {SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_DPAD_LEFT}) {
    for (Uint32 type : {SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLERBUTTONUP}) {
      SDL_Event e{};
      e.type = type;
      e.cbutton.which = SDL_JoystickInstanceID(pad);
      e.cbutton.button = static_cast<Uint8>(button);
      SDL_PushEvent(&e);
    }
  }
  for (bool pump : {true, false}) {
    const auto [x, y, buttons] = Read(*p, 0, pump);
    EXPECT_EQ(std::tuple(x, buttons), std::tuple(0u, 2u)) << pump;
  }
  const auto [x, y, buttons] = Read(*p);
  EXPECT_TRUE(x > 655 && buttons == 0) << x;
  // A pad present at start is opened, not counted as plugged in, and the only one.
  {
    auto q = Make();
    Read(*q);
    EXPECT_EQ(std::tuple(q->JoyNumDevs(), q->TakeJoystickAdded(), std::get<2>(Read(*q, 1)),
                         std::get<2>(Read(*q, -1))),
              std::tuple(1, false, 0xE000u, 0xE000u));
  }
  // Unplugged: the pad no longer answers.
  SDL_JoystickClose(pad);
  SDL_JoystickDetachVirtual(index);
  EXPECT_EQ(std::get<2>(Read(*p)), 0xE000u);
  EXPECT_EQ(p->JoyNumDevs(), 0);
}

TEST_F(Windowed, EffectsAndBadSongsAreSilentAndWithoutSoundNoDeviceIsOpened) {
  const std::string wav = WriteTemp("beep.wav", Wav(1, 22050, 16, 8820));
  const std::string song = WriteTemp("song.mid", Midi(0, 96, {EndOfTrack(0)}));
  // Without sound no device is opened, effects are still checked but silent, songs never open;
  // a missing device names the option that plays without.
  const char* before = getenv("SDL_AUDIODRIVER");
  const std::string saved = before ? before : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_NE(ErrorOf([&] { Make()->OpenSoundDevice(); }).find("--no-sound"), std::string::npos);
  auto q = Make(false);
  q->OpenSoundDevice();
  q->LoadSound(0, wav);
  q->PlaySound(0);
  EXPECT_THROW(q->LoadSound(1, WriteTemp("bad.wav", "RIFF")), FatalError);
  EXPECT_NE(q->Music().Open(song), 0);
  EXPECT_EQ(q->Music().Mode(), "");
  q->CloseSoundDevice();
  before ? setenv("SDL_AUDIODRIVER", saved.c_str(), 1) : unsetenv("SDL_AUDIODRIVER");
  auto p = Make();
  try {
    p->OpenSoundDevice();
  } catch (const FatalError& e) {
    GTEST_SKIP() << "no audio driver here: " << e.what();
  }
  p->LoadSound(0, wav);
  for (int slot : {0, 0, 3, -1, 10}) p->PlaySound(slot);  // sounding, not loaded, outside
  const std::string missing = (dir_ / "wave" / "missing.wav").string();  // stops the start-up
  EXPECT_NE(ErrorOf([&] { p->LoadSound(1, missing); }).find(missing), std::string::npos);
  EXPECT_THROW(p->LoadSound(10, wav), FatalError);
  // Missing, and SMPTE timing (no song positions); the reader refuses other faults alike.
  platform::MusicDevice& m = p->Music();
  for (const std::string& path : {(dir_.path() / "vorn99.mid").string(),
                                  WriteTemp("smpte.mid", Midi(0, 0xE728, {EndOfTrack(0)}))}) {
    EXPECT_NE(m.Open(path), 0) << path;
    EXPECT_NE(m.Play(), 0);
    EXPECT_EQ(m.Mode(), "");
  }
  p->CloseSoundDevice();
  p->PlaySound(0);  // after closing: nothing
}

}  // namespace
