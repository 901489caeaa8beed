// The windowed platform: an SDL window showing the 8-bit screen through the palette, SDL_mixer
// for the effects, FluidSynth for the songs, the keyboard by physical key position and game
// pads as the game's joystick.
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "platform/close_signal.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/media_info.h"
#include "platform/platform.h"
#include "platform/sdl_gamepad.h"
#include "platform/sdl_keymap.h"
#include "platform/sdl_music.h"
#include "platform/sdl_present.h"
#include "platform/text.h"

namespace platform {

namespace {

constexpr int kSoundSlots = 10;
constexpr uint8_t kTransparentIndex = 2;
// Waiting on window events ends this long before a deadline; a precise sleep does the rest.
constexpr int64_t kPreciseWindowUs = 1500;
// Waiting loops look at the window this often. SDL_WaitEventTimeout is not used: with a pad
// plugged in it polls every millisecond, and on X11 each pump costs SDL some 40-90 us of
// system calls, so a waiting loop took 2-3.5 % of a core. Pumping every 6 ms and sleeping in
// between keeps it near 1.5 %; the game reads input when it looks, so a few milliseconds of
// delay change nothing it can tell.
constexpr int64_t kPumpIntervalUs = 6000;
// A loop that waits for input (DoEvents again and again, reading the keys or the clock in
// between, with no sleep or timer) waits this long at most for something to happen when SDL
// can sleep on the window system's connection (X11 or Wayland, no joystick to poll): input
// wakes it at once, and the title costs next to nothing while nobody plays. Other calls of
// DoEvents only look at the window.
constexpr int kIdleWaitMs = 32;

void Nap(int64_t us) {
  if (us <= 0) return;
  timespec t{static_cast<time_t>(us / 1000000), static_cast<long>((us % 1000000) * 1000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, 0, &t, &t) == EINTR && !CloseSignalled()) {
  }
}

// With QUELMIRE_STARTUP_TRACE set, each step of the start-up is written to standard error
// with the wall clock, for bench/startup_steps.sh to time against the launch.
void TraceStep(const char* step) {
  static const bool on = std::getenv("QUELMIRE_STARTUP_TRACE") != nullptr;
  if (!on) return;
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  std::fprintf(stderr, "startup %lld.%09ld %s\n", static_cast<long long>(t.tv_sec), t.tv_nsec,
               step);
}

std::string SdlError(const char* what) {
  return std::string(what) + ": " + SDL_GetError();
}

class SdlPlatform final : public Platform {
 public:
  explicit SdlPlatform(const Options& options);
  ~SdlPlatform() override;

  void SetDisplayMode() override;
  Surface& Primary() override { return Checked(primary_); }
  Surface& Back() override { return Checked(back_); }
  void Flip() override;
  void SetPalette(const Palette& pal) override;
  void SetEntries(int start, int count, const PaletteEntry* entries) override;
  void GetEntries(int start, int count, PaletteEntry* entries) override;
  const Palette& DisplayPalette() const override { return display_; }
  void DrawText(Surface& s, int x, int y, std::string_view utf8, uint32_t rgb) override;
  void ShowCursor(bool show) override;

  void OpenSoundDevice() override;
  void LoadSound(int slot, const std::string& path) override;
  void PlaySound(int slot) override;
  void CloseSoundDevice() override;
  MusicDevice& Music() override { return music_; }
  void SetVolumes(int music, int effects) override;
  void SetWindowMode(bool fullscreen, int scale) override;
  bool Fullscreen() override { return window_ ? fullscreen_ : !options_.windowed; }

  long GetKeyboardState(uint8_t keys[256]) override;
  int JoyNumDevs() override { return pads_.Count(); }
  int JoyGetPos(int id, JoyInfo& info) override {
    polled_ = true;
    return pads_.GetPos(id, info);
  }
  bool TakeJoystickAdded() override { return pads_.TakeAdded(); }

  int64_t NowUs() override;
  void Sleep(int ms) override;
  void DoEvents() override;
  void WaitUntil(int64_t us) override;
  bool CloseRequested() override { return closeRequested_ || CloseSignalled(); }
  void CloseDisplay() override;

  std::vector<std::string> ListFiles(const std::string& dir, const std::string& suffix) override {
    return ListFilesWithSuffix(dir, suffix);
  }

 private:
  static Surface& Checked(const std::unique_ptr<Surface>& s) {
    if (!s) throw FatalError("the display has not been set up");
    return *s;
  }
  void CheckRange(const char* what, int start, int count) const;

  void HandleEvent(const SDL_Event& e);
  bool PumpAll();
  void Present();
  void PresentIfChanged();
  void ToggleFullscreen();
  int WindowScale() const;
  void ApplyCursor();
  void UpdateScaleMode();
  void CreateTexture();
  void LoadIcon();
  void PreciseSleepUntil(int64_t us);
  bool FrameIsBlack() const;

  Options options_;
  std::unique_ptr<TextRenderer> text_;
  bool padsInit_ = false;

  // Display.
  bool videoInit_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  std::unique_ptr<Surface> primary_, back_;
  bool fullscreen_ = true;
  bool shown_ = false;
  bool cursorShown_ = true;
  Palette base_{};     // as attached: text colours are matched against it
  Palette display_{};  // as shown now
  uint64_t paletteVersion_ = 0;
  uint64_t tableVersion_ = ~uint64_t{0};
  uint32_t argb_[256] = {};
  uint64_t presentedGeneration_ = 0;
  uint64_t presentedPalette_ = 0;
  bool redraw_ = false;        // the window lost or resized its picture
  bool pictureShown_ = false;  // anything but black has been shown
  bool waitOnWindow_ = false;  // SDL can block on the window system's events
  // What the game did since the last DoEvents: read the input or the clock (polled), or
  // waited (a sleep, a timer). pollingPasses_ counts the DoEvents in a row that followed a
  // poll and no wait: from the second such pass on, the game is looping for input.
  bool polled_ = false, waited_ = false;
  int pollingPasses_ = 0;
  std::unordered_map<uint32_t, uint8_t> nearest_;

  // Input.
  std::array<bool, SDL_NUM_SCANCODES> down_{};
  std::array<bool, SDL_NUM_SCANCODES> tapped_{};  // went down since the last snapshot
  Gamepads pads_;
  bool closeRequested_ = false;

  // Sound.
  bool audioOpen_ = false;
  std::array<Mix_Chunk*, kSoundSlots> chunks_{};
  int effectsVolume_ = MIX_MAX_VOLUME;
  FluidMusic music_;

  // Clock.
  uint64_t perfBase_ = 0;
  uint64_t perfFreq_ = 1;
};

SdlPlatform::SdlPlatform(const Options& options) : options_(options) {
  perfFreq_ = SDL_GetPerformanceFrequency();
  perfBase_ = SDL_GetPerformanceCounter();
  // SDL's own handlers would turn the signals into a quit event only when events are next
  // pumped, and would keep a hung game from being stopped; ours wake a sleeping wait.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  TraceStep("process started, libraries loaded");
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) throw FatalError(SdlError("cannot start SDL"));
  InstallCloseSignals(options_.keepCloseSignal);
  // Without pads the game is fully playable: a failure here only means no joystick.
  padsInit_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  if (padsInit_) pads_.OpenPresent();
  TraceStep("SDL events, game controllers");
  text_ = std::make_unique<TextRenderer>();
  TraceStep("font (SDL_ttf)");
}

SdlPlatform::~SdlPlatform() {
  CloseSoundDevice();
  CloseDisplay();
  pads_.CloseAll();
  if (padsInit_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

// --- display ---

void SdlPlatform::SetDisplayMode() {
  if (window_) return;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) throw FatalError(SdlError("no display"));
  TraceStep("SDL video (X11 connection)");
  videoInit_ = true;
  // With no window system SDL falls back to drawing into memory: the game would run unseen.
  // Those drivers serve only when asked for by name (tests, benchmarks).
  const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if ((driver == "offscreen" || driver == "dummy") &&
      (asked == nullptr || SDL_strcasecmp(asked, driver.c_str()) != 0)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoInit_ = false;
    throw FatalError("no display: no window system found (is DISPLAY or WAYLAND_DISPLAY set?)");
  }
  fullscreen_ = !options_.windowed;
  waitOnWindow_ = driver == "x11" || driver == "wayland";

  // The window size also serves when full screen is left with Alt+Enter.
  const int scale = WindowScale();
  // Created hidden: a start-up that fails later never flashes a window.
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
  if (fullscreen_) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  window_ = SDL_CreateWindow("Quelmire", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             kScreenWidth * scale, kScreenHeight * scale, flags);
  if (!window_) throw FatalError(SdlError("no display: cannot create the window"));
  TraceStep("window");
  SDL_SetWindowMinimumSize(window_, kScreenWidth / 2, kScreenHeight / 2);

  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // The software renderer draws into the window's own surface, which SDL would otherwise
  // back with OpenGL: loading a GL driver (and, without a GPU, a whole compiler for it) takes
  // longer than the rest of the start-up. A hint set by the player still wins.
  const char* renderDriver = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  if (renderDriver != nullptr && SDL_strcasecmp(renderDriver, "software") == 0) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (!renderer_) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  }
  if (!renderer_) throw FatalError(SdlError("no display: cannot create a renderer"));
  TraceStep("renderer");
  if (SDL_RenderSetLogicalSize(renderer_, kScreenWidth, kScreenHeight) != 0) {
    throw FatalError(SdlError("display: cannot set the 640x480 picture size"));
  }
  UpdateScaleMode();
  CreateTexture();

  primary_ = std::make_unique<Surface>(kScreenWidth, kScreenHeight, "PrimarySurface");
  back_ = std::make_unique<Surface>(kScreenWidth, kScreenHeight, "BackBuffer");
  presentedGeneration_ = primary_->Generation();
  presentedPalette_ = paletteVersion_;
  LoadIcon();
  ApplyCursor();
  TraceStep("texture, icon");
}

void SdlPlatform::CreateTexture() {
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                               kScreenWidth, kScreenHeight);
  if (!texture_) throw FatalError(SdlError("display: cannot create the screen texture"));
  SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
}

void SdlPlatform::LoadIcon() {
  const std::string path =
      (options_.dataDir.empty() ? std::string() : options_.dataDir + "/") + "bitmap/icon.bmp";
  if (access(path.c_str(), F_OK) != 0) return;  // no icon is no error
  std::unique_ptr<Surface> icon = LoadBmp8(path, "icon");
  SDL_Surface* rgba = SDL_CreateRGBSurfaceWithFormat(0, icon->Width(), icon->Height(), 32,
                                                     SDL_PIXELFORMAT_ARGB8888);
  if (!rgba) return;
  for (int y = 0; y < icon->Height(); ++y) {
    auto* out =
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(rgba->pixels) +
                                    static_cast<size_t>(y) * static_cast<size_t>(rgba->pitch));
    for (int x = 0; x < icon->Width(); ++x) {
      const uint8_t i = icon->At(x, y);
      const PaletteEntry& e = icon->filePalette[i];
      out[x] = i == kTransparentIndex
                   ? 0u
                   : 0xFF000000u | (uint32_t{e.r} << 16) | (uint32_t{e.g} << 8) | uint32_t{e.b};
    }
  }
  SDL_SetWindowIcon(window_, rgba);
  SDL_FreeSurface(rgba);
}

void SdlPlatform::UpdateScaleMode() {
  // Whole multiples of the picture when the window holds it at least once; smaller windows
  // get a fractional scale rather than a cropped picture.
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0) return;
  SDL_RenderSetIntegerScale(renderer_,
                            w >= kScreenWidth && h >= kScreenHeight ? SDL_TRUE : SDL_FALSE);
}

void SdlPlatform::Present() {
  if (!renderer_) return;
  if (tableVersion_ != paletteVersion_) {
    BuildArgbTable(display_, argb_);
    tableVersion_ = paletteVersion_;
  }
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0) {
    throw FatalError(SdlError("display: cannot update the screen texture"));
  }
  ConvertToArgb(*primary_, argb_, pixels, pitch);
  SDL_UnlockTexture(texture_);
  if (!shown_) {
    SDL_ShowWindow(window_);
    shown_ = true;
    UpdateScaleMode();
  }
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (SDL_RenderCopy(renderer_, texture_, nullptr, nullptr) != 0) {
    throw FatalError(SdlError("display: cannot draw the screen"));
  }
  SDL_RenderPresent(renderer_);
  presentedGeneration_ = primary_->Generation();
  presentedPalette_ = paletteVersion_;
  redraw_ = false;
  if (!pictureShown_) {
    pictureShown_ = !FrameIsBlack();
    TraceStep(pictureShown_ ? "first picture shown" : "window shown");
  }
}

bool SdlPlatform::FrameIsBlack() const {
  bool lit[256];
  bool any = false;
  for (int i = 0; i < 256; ++i) {
    const PaletteEntry& e = display_[static_cast<size_t>(i)];
    lit[i] = e.r != 0 || e.g != 0 || e.b != 0;
    any = any || lit[i];
  }
  if (!any) return true;
  for (int y = 0; y < primary_->Height(); ++y) {
    for (int x = 0; x < primary_->Width(); ++x) {
      if (lit[primary_->At(x, y)]) return false;
    }
  }
  return true;
}

void SdlPlatform::PresentIfChanged() {
  if (!renderer_) return;
  if (redraw_ || primary_->Generation() != presentedGeneration_ ||
      paletteVersion_ != presentedPalette_) {
    // Until the first picture, a black window shown once stays as it is: the opening fades
    // a screen that is still black.
    if (!pictureShown_ && shown_ && !redraw_ && FrameIsBlack()) {
      presentedGeneration_ = primary_->Generation();
      presentedPalette_ = paletteVersion_;
      return;
    }
    Present();
  }
}

void SdlPlatform::Flip() {
  Primary().SwapPixels(Back());
  Present();
}

void SdlPlatform::CheckRange(const char* what, int start, int count) const {
  if (start < 0 || count < 0 || start > 256 || count > 256 - start) {
    throw FatalError(std::string(what) + ": entries " + std::to_string(start) + " to " +
                     std::to_string(int64_t{start} + count - 1) + " outside the palette (0..255)");
  }
}

void SdlPlatform::SetPalette(const Palette& pal) {
  base_ = pal;
  display_ = pal;
  nearest_.clear();
  ++paletteVersion_;
}

void SdlPlatform::SetEntries(int start, int count, const PaletteEntry* entries) {
  CheckRange("palette write", start, count);
  bool changed = false;
  for (int i = 0; i < count; ++i) {
    const int n = start + i;
    if (n == 255) continue;  // entry 255 stays as attached
    PaletteEntry& e = display_[static_cast<size_t>(n)];
    if (!(e == entries[i])) {
      e = entries[i];
      changed = true;
    }
  }
  if (changed) ++paletteVersion_;
}

void SdlPlatform::GetEntries(int start, int count, PaletteEntry* entries) {
  CheckRange("palette read", start, count);
  std::copy_n(display_.begin() + start, count, entries);
}

void SdlPlatform::DrawText(Surface& s, int x, int y, std::string_view utf8, uint32_t rgb) {
  // Matched against the palette as attached, not as faded: text drawn while the screen is
  // dark must come out in its own colour once the palette is back.
  auto it = nearest_.find(rgb);
  if (it == nearest_.end()) it = nearest_.emplace(rgb, NearestEntry(base_, rgb)).first;
  text_->Draw(s, x, y, utf8, it->second);
}

void SdlPlatform::ShowCursor(bool show) {
  cursorShown_ = show;
  ApplyCursor();
}

void SdlPlatform::ApplyCursor() {
  if (!videoInit_) return;
  // Hidden only over the full-screen picture; a window keeps its pointer.
  SDL_ShowCursor(!cursorShown_ && fullscreen_ ? SDL_DISABLE : SDL_ENABLE);
}

int SdlPlatform::WindowScale() const {
  // Unless the player chose a scale: twice the picture when the desktop has room for it.
  if (options_.windowScale > 0) return options_.windowScale;
  int scale = 1;
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
    scale = std::clamp(std::min(usable.w / kScreenWidth, (usable.h - 64) / kScreenHeight), 1, 2);
  }
  return scale;
}

void SdlPlatform::SetWindowMode(bool fullscreen, int scale) {
  // Only a change of what was asked acts: a window the player resized, or full screen switched
  // with Alt+Enter, stays as it is when the same mode is asked again.
  const bool changed = fullscreen == options_.windowed || scale != options_.windowScale;
  options_.windowed = !fullscreen;
  options_.windowScale = scale;
  if (!window_ || !changed) return;
  if (fullscreen != fullscreen_) ToggleFullscreen();
  if (!fullscreen_) {
    const int s = WindowScale();
    SDL_SetWindowSize(window_, kScreenWidth * s, kScreenHeight * s);
    redraw_ = true;
  }
}

void SdlPlatform::SetVolumes(int music, int effects) {
  effectsVolume_ = std::clamp(effects, 0, 10) * MIX_MAX_VOLUME / 10;
  if (audioOpen_) Mix_Volume(-1, effectsVolume_);
  music_.SetVolume(music);
}

void SdlPlatform::ToggleFullscreen() {
  if (!window_) return;
  const bool want = !fullscreen_;
  if (SDL_SetWindowFullscreen(window_, want ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return;
  fullscreen_ = want;
  // Alt+Enter's choice is now the mode asked for: asking it again changes nothing.
  options_.windowed = !want;
  ApplyCursor();
  UpdateScaleMode();
  redraw_ = true;
}

void SdlPlatform::CloseDisplay() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  shown_ = pictureShown_ = waitOnWindow_ = false;
  if (videoInit_) {
    SDL_ShowCursor(SDL_ENABLE);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoInit_ = false;
  }
}

// --- sound ---

void SdlPlatform::OpenSoundDevice() {
  TraceStep("palette, bitmaps, joystick");
  if (audioOpen_ || !options_.sound) return;
  const char* const kHint = " (--no-sound plays without sound)";
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    throw FatalError(SdlError("no sound device") + kHint);
  }
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
    const std::string why = Mix_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    throw FatalError("no sound device: " + why + kHint);
  }
  audioOpen_ = true;
  TraceStep("audio device (SDL_mixer)");
  Mix_AllocateChannels(kSoundSlots);
  Mix_Volume(-1, effectsVolume_);
  int rate = 44100, channels = 2;
  Uint16 format = 0;
  Mix_QuerySpec(&rate, &format, &channels);
  music_.Start(rate, channels);
  TraceStep("music renderer started");
}

void SdlPlatform::LoadSound(int slot, const std::string& path) {
  if (slot < 0 || slot >= kSoundSlots) {
    throw FatalError("sound " + path + ": slot " + std::to_string(slot) + " outside 0..9");
  }
  if (!options_.sound) {
    ReadWavInfo(path);  // silent, but a missing or broken file is still reported
    return;
  }
  if (!audioOpen_) throw FatalError("sound " + path + ": the sound device is not open");
  // The same checks and reports as the headless platform, before SDL_mixer sees the file.
  ReadWavInfo(path);
  Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
  if (!chunk) throw FatalError("cannot load the sound " + path + ": " + Mix_GetError());
  if (chunks_[static_cast<size_t>(slot)]) {
    Mix_HaltChannel(slot);
    Mix_FreeChunk(chunks_[static_cast<size_t>(slot)]);
  }
  chunks_[static_cast<size_t>(slot)] = chunk;
}

void SdlPlatform::PlaySound(int slot) {
  if (!audioOpen_ || slot < 0 || slot >= kSoundSlots) return;
  Mix_Chunk* chunk = chunks_[static_cast<size_t>(slot)];
  // One channel per effect: a still-sounding effect goes on, it is not restarted.
  if (chunk && !Mix_Playing(slot)) Mix_PlayChannel(slot, chunk, 0);
}

void SdlPlatform::CloseSoundDevice() {
  if (!audioOpen_) return;
  music_.Shutdown();  // the music hook goes before the synthesizer and the device
  Mix_HaltChannel(-1);
  for (Mix_Chunk*& c : chunks_) {
    if (c) Mix_FreeChunk(c);
    c = nullptr;
  }
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  audioOpen_ = false;
}

// --- input ---

long SdlPlatform::GetKeyboardState(uint8_t keys[256]) {
  polled_ = true;
  std::memset(keys, 0, 256);
  for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
    const bool tapped = std::exchange(tapped_[static_cast<size_t>(sc)], false);
    if (!down_[static_cast<size_t>(sc)] && !tapped) continue;
    const uint8_t vk = ScancodeToVk(static_cast<SDL_Scancode>(sc));
    if (vk == 0) continue;
    keys[vk] |= 0x80;
    // The shared codes of Shift, Ctrl and Alt are down while either side is.
    if (vk >= 160 && vk <= 165) keys[16 + (vk - 160) / 2] |= 0x80;
  }
  return 1;
}

void SdlPlatform::HandleEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      closeRequested_ = true;
      break;
    case SDL_KEYDOWN: {
      const SDL_Scancode sc = e.key.keysym.scancode;
      // The full-screen switches belong to the window, not to the game.
      const bool enter = sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER;
      if ((enter && (e.key.keysym.mod & KMOD_ALT) != 0) || sc == SDL_SCANCODE_F11) {
        if (!e.key.repeat) ToggleFullscreen();
        break;
      }
      if (sc > SDL_SCANCODE_UNKNOWN && sc < SDL_NUM_SCANCODES) {
        down_[static_cast<size_t>(sc)] = true;
        // Key repeats are no new press: a held key stays as it always was.
        if (!e.key.repeat) tapped_[static_cast<size_t>(sc)] = true;
      }
      break;
    }
    case SDL_KEYUP: {
      const SDL_Scancode sc = e.key.keysym.scancode;
      if (sc > SDL_SCANCODE_UNKNOWN && sc < SDL_NUM_SCANCODES)
        down_[static_cast<size_t>(sc)] = false;
      break;
    }
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST:
          // Key releases while another window has focus never arrive.
          down_.fill(false);
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          if (renderer_) UpdateScaleMode();
          redraw_ = true;
          break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
          redraw_ = true;
          break;
        default:
          break;
      }
      break;
    case SDL_RENDER_DEVICE_RESET:
      if (renderer_) CreateTexture();
      redraw_ = true;
      break;
    case SDL_RENDER_TARGETS_RESET:
      redraw_ = true;
      break;
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED:
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYHATMOTION:
    case SDL_CONTROLLERBUTTONDOWN:
      pads_.HandleEvent(e);
      break;
    default:
      break;
  }
}

bool SdlPlatform::PumpAll() {
  pads_.EndShownTaps();
  SDL_PumpEvents();
  bool any = false;
  SDL_Event e;
  while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    HandleEvent(e);
    any = true;
  }
  return any;
}

// --- time ---

int64_t SdlPlatform::NowUs() {
  polled_ = true;
  const uint64_t ticks = SDL_GetPerformanceCounter() - perfBase_;
  // In two steps so that days of counter ticks times a million cannot overflow.
  return static_cast<int64_t>((ticks / perfFreq_) * 1000000u +
                              (ticks % perfFreq_) * 1000000u / perfFreq_);
}

// Once a close is requested nothing more is shown and nothing waits: the quit comes next, and
// a first picture can take a good part of a second to show.
void SdlPlatform::DoEvents() {
  if (CloseRequested()) return;
  pollingPasses_ = polled_ && !waited_ ? pollingPasses_ + 1 : 0;
  polled_ = waited_ = false;
  PresentIfChanged();
  const bool any = PumpAll();
  if (CloseRequested()) return;
  if (any) {
    PresentIfChanged();
  } else if (pollingPasses_ < 2) {
    // Work under way yields without waiting: the room loader and the message command call
    // DoEvents for every record and every character, and a play tick's scripts for every
    // command.
  } else if (waitOnWindow_ && SDL_NumJoysticks() == 0) {
    SDL_WaitEventTimeout(nullptr, kIdleWaitMs);  // nothing to do: wait for the window
  } else {
    Nap(kPumpIntervalUs);  // nothing to do: do not spin a core
  }
}

void SdlPlatform::Sleep(int ms) {
  waited_ = true;
  if (CloseRequested()) return;
  const int64_t until = NowUs() + int64_t{std::max(ms, 0)} * 1000;
  PresentIfChanged();
  // Pauses while the window has shown nothing but black are pauses over nothing: at start-up
  // the title fades out a screen that is still black, which kept the player waiting for
  // 0.8 s before the title showed. Time runs as always once a picture has been shown.
  if (shown_ && !pictureShown_) {
    PumpAll();
    return;
  }
  WaitUntil(until);
}

void SdlPlatform::PreciseSleepUntil(int64_t us) {
  const int64_t left = us - NowUs();
  if (left <= 0) return;
  timespec target;
  clock_gettime(CLOCK_MONOTONIC, &target);
  target.tv_sec += static_cast<time_t>(left / 1000000);
  target.tv_nsec += static_cast<long>((left % 1000000) * 1000);
  if (target.tv_nsec >= 1000000000L) {
    target.tv_nsec -= 1000000000L;
    ++target.tv_sec;
  }
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr) == EINTR &&
         !CloseSignalled()) {
  }
  // The performance counter may run on a slightly different clock: close the last gap.
  while (NowUs() < us) {
  }
}

void SdlPlatform::WaitUntil(int64_t us) {
  waited_ = true;
  // Look at the window every few milliseconds, the last time just before the deadline so
  // that the handler that follows sees the latest keys; then a precise sleep.
  for (;;) {
    PumpAll();
    if (CloseRequested()) return;
    PresentIfChanged();
    const int64_t left = us - NowUs();
    if (left <= kPreciseWindowUs) break;
    Nap(std::min(left - kPreciseWindowUs, kPumpIntervalUs));
  }
  PreciseSleepUntil(us);
}

}  // namespace

std::unique_ptr<Platform> CreateWindowedPlatform(const Options& options) {
  return std::make_unique<SdlPlatform>(options);
}

}  // namespace platform
