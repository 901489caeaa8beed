// The headless platform: the game runs on a virtual clock, reads its input from a script,
// and leaves screenshots and state dumps where the script asks. Nothing is shown or heard;
// sounds and songs are recorded with their times.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <utility>

#include "platform/close_signal.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/headless_music.h"
#include "platform/headless_script.h"
#include "platform/json.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace platform {

namespace {

using headless::Action;
using headless::ActionKind;

constexpr int kSoundSlots = 10;
constexpr int kJoyUnplugged = 167;  // the multimedia joystick call's "unplugged" result
constexpr int64_t kMaxRunMs = 1'000'000'000'000;

// Virtual times are whole milliseconds unless the game waited for an odd microsecond.
std::string MsText(int64_t us) {
  if (us % 1000 == 0) return std::to_string(us / 1000);
  char text[40];
  std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(us / 1000),
                static_cast<long long>(us % 1000));
  return text;
}

class HeadlessPlatform : public Platform {
 public:
  HeadlessPlatform(const Options& options, std::vector<Action> script)
      : options_(options),
        script_(std::move(script)),
        limitUs_(std::clamp<int64_t>(options.maxMs, 0, kMaxRunMs) * 1000),
        primary_(kScreenWidth, kScreenHeight, "visible surface"),
        back_(kScreenWidth, kScreenHeight, "back buffer"),
        music_([this] { return nowUs_; }, options.dataDir) {}

  // Applies the actions at time 0: they come before start-up.
  void Start() {
    InstallCloseSignals(options_.keepCloseSignal);
    ApplyDue(0);
  }

  // --- display ---
  void SetDisplayMode() override {}
  Surface& Primary() override { return primary_; }
  Surface& Back() override { return back_; }
  void Flip() override { primary_.SwapPixels(back_); }
  void SetPalette(const Palette& pal) override {
    given_ = pal;
    display_ = pal;
  }
  void SetEntries(int start, int count, const PaletteEntry* entries) override {
    CheckEntries("SetEntries", start, count);
    for (int i = 0; i < count; ++i) {
      if (start + i != 255) display_[static_cast<size_t>(start + i)] = entries[i];
    }
  }
  void GetEntries(int start, int count, PaletteEntry* entries) override {
    CheckEntries("GetEntries", start, count);
    for (int i = 0; i < count; ++i) entries[i] = display_[static_cast<size_t>(start + i)];
  }
  const Palette& DisplayPalette() const override { return display_; }
  void DrawText(Surface& s, int x, int y, std::string_view utf8, uint32_t rgb) override {
    if (!text_) text_ = std::make_unique<TextRenderer>();
    text_->Draw(s, x, y, utf8, NearestEntry(given_, rgb));
    s.Touch();
  }
  void ShowCursor(bool show) override { cursorVisible_ = show; }

  // --- sound effects ---
  void OpenSoundDevice() override {}
  void LoadSound(int slot, const std::string& path) override {
    if (slot < 0 || slot >= kSoundSlots) {
      throw FatalError(path + ": sound slot " + std::to_string(slot) + " outside 0..9");
    }
    const WavInfo info = ReadWavInfo(path);
    sounds_[static_cast<size_t>(slot)] = {true, std::llround(info.seconds * 1e6), false, 0};
  }
  void PlaySound(int slot) override {
    if (slot < 0 || slot >= kSoundSlots) return;
    SoundSlot& s = sounds_[static_cast<size_t>(slot)];
    if (!s.loaded) return;
    if (s.started && nowUs_ - s.startUs < s.durationUs) return;  // still sounding
    s.started = true;
    s.startUs = nowUs_;
    soundLog_.emplace_back(nowUs_, slot);
  }
  void CloseSoundDevice() override {}

  // --- music ---
  MusicDevice& Music() override { return music_; }
  void SetVolumes(int music, int effects) override {
    volumeLog_.push_back({nowUs_, music, effects});
  }
  void SetWindowMode(bool fullscreen, int scale) override {
    fullscreen_ = fullscreen;
    windowScale_ = scale;
  }
  bool Fullscreen() override { return fullscreen_; }

  // --- input ---
  long GetKeyboardState(uint8_t keys[256]) override {
    for (size_t i = 0; i < 256; ++i) {
      keys[i] = down_[i] || tapped_[i] ? 0x80 : 0;
      tapped_[i] = false;
    }
    return 1;
  }
  int JoyNumDevs() override { return joystickPlugged_ ? 1 : 0; }
  int JoyGetPos(int id, JoyInfo& info) override {
    if (!joystickPlugged_ || id != 0) return kJoyUnplugged;
    auto held = [&](int input) {
      const auto i = static_cast<size_t>(input);
      padTapSeen_ = padTapSeen_ || tapped_[i];
      return down_[i] || tapped_[i];
    };
    auto axis = [&](int low, int high) -> uint32_t {
      if (held(low)) return 0;
      if (held(high)) return 65535;
      return 32767;
    };
    info.xpos = axis(headless::kJoyLeft, headless::kJoyRight);
    info.ypos = axis(headless::kJoyUp, headless::kJoyDown);
    info.buttons = 0;
    for (int n = 0; n < 10; ++n) {
      if (held(headless::kJoyButton1 + n)) info.buttons |= 1u << n;
    }
    return 0;
  }
  bool TakeJoystickAdded() override { return std::exchange(joystickAdded_, false); }

  // --- time ---
  int64_t NowUs() override { return nowUs_; }
  void Sleep(int ms) override { AdvanceTo(nowUs_ + int64_t{std::max(ms, 0)} * 1000); }
  void DoEvents() override { AdvanceTo(nowUs_ + 1000); }
  void WaitUntil(int64_t us) override { AdvanceTo(us); }
  bool CloseRequested() override { return closeRequested_ || CloseSignalled(); }
  void CloseDisplay() override {}

  // --- files ---
  std::vector<std::string> ListFiles(const std::string& dir, const std::string& suffix) override {
    return ListFilesWithSuffix(dir, suffix);
  }

 private:
  struct SoundSlot {
    bool loaded = false;
    int64_t durationUs = 0;
    bool started = false;
    int64_t startUs = 0;
  };

  void CheckEntries(const char* what, int start, int count) const {
    if (start < 0 || count < 0 || start > 256 || count > 256 - start) {
      throw FatalError(std::string("palette ") + what + ": entries " + std::to_string(start) +
                       " count " + std::to_string(count) + " outside 0..255");
    }
  }

  // Moves the virtual clock forward, applying the script's actions at their own times. A
  // close action ends the wait at its own time; later waits take their time as before, so a
  // game that does not quit at once is seen to go on. After a signal no wait takes time.
  void AdvanceTo(int64_t target) {
    if (target <= nowUs_ || CloseSignalled()) return;
    if (padTapSeen_) {
      // A read has shown the pad's taps; from this wait on they are over.
      std::fill(tapped_.begin() + 256, tapped_.end(), false);
      padTapSeen_ = false;
    }
    const bool end = target >= limitUs_;
    if (end) target = std::max(limitUs_, nowUs_);
    if (!ApplyDue(target)) return;
    nowUs_ = target;
    if (end) throw ExitRequest{0};
  }

  // False when a close action stopped it; the clock then stands at the close.
  bool ApplyDue(int64_t upToUs) {
    while (nextAction_ < script_.size() && script_[nextAction_].ms * 1000 <= upToUs) {
      const Action& a = script_[nextAction_++];
      nowUs_ = std::max(nowUs_, a.ms * 1000);
      Apply(a);
      if (closeRequested_) return false;
    }
    return true;
  }

  void Apply(const Action& a) {
    switch (a.kind) {
      case ActionKind::Down:
        down_[static_cast<size_t>(a.input)] = true;
        tapped_[static_cast<size_t>(a.input)] = true;
        break;
      case ActionKind::Up:
        down_[static_cast<size_t>(a.input)] = false;
        break;
      case ActionKind::JoystickOn:
        if (!joystickPlugged_) joystickAdded_ = true;
        joystickPlugged_ = true;
        break;
      case ActionKind::JoystickOff:
        joystickPlugged_ = false;
        break;
      case ActionKind::Screenshot:
      case ActionKind::State:
        // The script's line is named with the file: the check when the script was read
        // cannot foresee a disk that fills meanwhile.
        try {
          if (a.kind == ActionKind::Screenshot) {
            WritePng(a.file, primary_, display_);
          } else {
            WriteState(a.file);
          }
        } catch (const FatalError& e) {
          throw FatalError(options_.inputScript + ":" + std::to_string(a.line) + ": " + e.what());
        }
        break;
      case ActionKind::Quit:
        throw ExitRequest{0};
      case ActionKind::Close:
        closeRequested_ = true;
        break;
    }
  }

  std::string StateJson() {
    std::string out = "{";
    if (stateDumper) {
      const std::string game = stateDumper();
      if (!game.empty()) out += game + ",\n";
    }
    out += "\"clock_ms\":" + MsText(nowUs_) + ",\n\"display_palette\":[";
    for (size_t i = 0; i < display_.size(); ++i) {
      const PaletteEntry& e = display_[i];
      if (i) out += ',';
      out +=
          '[' + std::to_string(e.r) + ',' + std::to_string(e.g) + ',' + std::to_string(e.b) + ']';
    }
    out += "],\n\"cursor_visible\":";
    out += cursorVisible_ ? "true" : "false";
    out += ",\n\"sounds\":[";
    for (size_t i = 0; i < soundLog_.size(); ++i) {
      if (i) out += ',';
      out += "{\"ms\":" + MsText(soundLog_[i].first) +
             ",\"slot\":" + std::to_string(soundLog_[i].second) + '}';
    }
    out += "],\n\"volumes\":[";
    for (size_t i = 0; i < volumeLog_.size(); ++i) {
      if (i) out += ',';
      out += "{\"ms\":" + MsText(volumeLog_[i].us) +
             ",\"music\":" + std::to_string(volumeLog_[i].music) +
             ",\"effects\":" + std::to_string(volumeLog_[i].effects) + '}';
    }
    out += "],\n\"window\":{\"fullscreen\":";
    out += fullscreen_ ? "true" : "false";
    out += ",\"scale\":" + std::to_string(windowScale_) + "}";
    out += ",\n\"music\":[";
    const auto& ops = music_.Log();
    for (size_t i = 0; i < ops.size(); ++i) {
      if (i) out += ',';
      out += "{\"ms\":" + MsText(ops[i].us) + ",\"op\":" + JsonString(ops[i].op);
      if (ops[i].op == "open") out += ",\"arg\":" + JsonString(ops[i].file);
      if (ops[i].op == "play_from") out += ",\"arg\":" + std::to_string(ops[i].position);
      out += '}';
    }
    out += "]}\n";
    return out;
  }

  void WriteState(const std::string& path) {
    const std::string json = StateJson();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw FatalError(path + ": cannot write (" + std::strerror(errno) + ")");
    out << json;
    out.close();
    if (!out) throw FatalError(path + ": write failed");
  }

  Options options_;
  std::vector<Action> script_;
  size_t nextAction_ = 0;
  int64_t nowUs_ = 0;
  int64_t limitUs_;

  Surface primary_, back_;
  Palette given_{}, display_{};
  std::unique_ptr<TextRenderer> text_;
  bool cursorVisible_ = true;

  std::array<SoundSlot, kSoundSlots> sounds_{};
  std::vector<std::pair<int64_t, int>> soundLog_;

  headless::HeadlessMusic music_;
  struct VolumeChange {
    int64_t us;
    int music, effects;
  };
  std::vector<VolumeChange> volumeLog_;
  bool fullscreen_ = false;
  int windowScale_ = 0;

  std::array<bool, headless::kInputCount> down_{};
  // Went down since the last read (keys) or since the last wait after a read (the pad).
  std::array<bool, headless::kInputCount> tapped_{};
  bool padTapSeen_ = false;
  bool closeRequested_ = false;
  bool joystickPlugged_ = false;
  bool joystickAdded_ = false;
};

}  // namespace

std::unique_ptr<Platform> CreateHeadlessPlatform(const Options& options) {
  std::vector<Action> script;
  if (!options.inputScript.empty()) script = headless::LoadScript(options.inputScript);
  auto platform = std::make_unique<HeadlessPlatform>(options, std::move(script));
  platform->Start();
  return platform;
}

}  // namespace platform
