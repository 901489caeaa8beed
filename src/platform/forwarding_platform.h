// A platform that hands every call to another one. Tools that take over one part of the
// platform (the keyboard of a route recorder or a fuzz target) derive from it and override
// only that part.
#pragma once

#include <memory>
#include <utility>

#include "platform/platform.h"

namespace platform {

class ForwardingPlatform : public Platform {
 public:
  explicit ForwardingPlatform(std::unique_ptr<Platform> inner) : in_(std::move(inner)) {}
  Platform& Inner() { return *in_; }

  void SetDisplayMode() override { in_->SetDisplayMode(); }
  Surface& Primary() override { return in_->Primary(); }
  Surface& Back() override { return in_->Back(); }
  void Flip() override { in_->Flip(); }
  void SetPalette(const Palette& pal) override { in_->SetPalette(pal); }
  void SetEntries(int start, int count, const PaletteEntry* e) override {
    in_->SetEntries(start, count, e);
  }
  void GetEntries(int start, int count, PaletteEntry* e) override {
    in_->GetEntries(start, count, e);
  }
  const Palette& DisplayPalette() const override { return in_->DisplayPalette(); }
  void DrawText(Surface& s, int x, int y, std::string_view utf8, uint32_t rgb) override {
    in_->DrawText(s, x, y, utf8, rgb);
  }
  void ShowCursor(bool show) override { in_->ShowCursor(show); }
  void OpenSoundDevice() override { in_->OpenSoundDevice(); }
  void LoadSound(int slot, const std::string& path) override { in_->LoadSound(slot, path); }
  void PlaySound(int slot) override { in_->PlaySound(slot); }
  void CloseSoundDevice() override { in_->CloseSoundDevice(); }
  MusicDevice& Music() override { return in_->Music(); }
  void SetVolumes(int music, int effects) override { in_->SetVolumes(music, effects); }
  void SetWindowMode(bool fullscreen, int scale) override { in_->SetWindowMode(fullscreen, scale); }
  bool Fullscreen() override { return in_->Fullscreen(); }
  long GetKeyboardState(uint8_t keys[256]) override { return in_->GetKeyboardState(keys); }
  int JoyNumDevs() override { return in_->JoyNumDevs(); }
  int JoyGetPos(int id, JoyInfo& info) override { return in_->JoyGetPos(id, info); }
  bool TakeJoystickAdded() override { return in_->TakeJoystickAdded(); }
  int64_t NowUs() override { return in_->NowUs(); }
  void Sleep(int ms) override { in_->Sleep(ms); }
  void DoEvents() override { in_->DoEvents(); }
  void WaitUntil(int64_t us) override { in_->WaitUntil(us); }
  bool CloseRequested() override { return in_->CloseRequested(); }
  void CloseDisplay() override { in_->CloseDisplay(); }
  std::vector<std::string> ListFiles(const std::string& dir, const std::string& suffix) override {
    return in_->ListFiles(dir, suffix);
  }

 protected:
  std::unique_ptr<Platform> in_;
};

}  // namespace platform
