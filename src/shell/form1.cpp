// Form1's construction, paths, the yield and sleep of the window, and the drawing helpers
// every subsystem uses.
#include "shell/form1.h"

#include "platform/catalogue.h"

namespace quelmire {

Form1::Form1(platform::Platform& platform, std::string appPath)
    : platform_(platform), appPath_(std::move(appPath)) {
  while (appPath_.size() > 1 && appPath_.back() == '/') appPath_.pop_back();
  SaveFolder = appPath_;
}

bool Form1::UseLanguage(const std::string& code, std::string& error) {
  catalogue_.clear();
  if (code == "ja") return true;
  return platform::ReadCatalogue(AppPath("\\lang\\" + code + ".mo"), catalogue_, error);
}

String Form1::Tr(const String& text) const {
  if (catalogue_.empty()) return text;
  const auto it = catalogue_.find(ToUtf8(text));
  return it == catalogue_.end() ? text : FromUtf8(it->second);
}

std::string Form1::AppPath(const std::string& relative) const {
  std::string path = appPath_ + relative;
  for (size_t i = appPath_.size(); i < path.size(); ++i) {
    if (path[i] == '\\') path[i] = '/';
  }
  return path;
}

void Form1::DoEvents() {
  platform_.DoEvents();
  if (platform_.CloseRequested()) QuitGame();
  // A pad plugged in after start-up is taken as the joystick.
  if (platform_.TakeJoystickAdded() && JoyPresent == False) InitJoystick();
}

// The platform ends a sleep early on a close request, so fades and the ending's long pauses
// quit promptly.
void Form1::Sleep(int ms) {
  platform_.Sleep(ms);
  if (platform_.CloseRequested()) QuitGame();
}

void Form1::BltFast(Surface& dst, int x, int y, Surface& src, bool key) {
  platform::BltFast(dst, x, y, src, BltRect, key);
}

void Form1::SetForeColor(Surface& s, long rgb) {
  if (&s == BackBuffer) {
    foreColor_ = rgb;
  } else {
    primaryForeColor_ = rgb;
  }
}

void Form1::DrawText(Surface& s, int x, int y, const String& text) {
  long rgb = (&s == BackBuffer) ? foreColor_ : primaryForeColor_;
  platform_.DrawText(s, x, y, ToUtf8(text), static_cast<uint32_t>(rgb));
}

void Form1::Flip() {
  platform_.Flip();
}

}  // namespace quelmire
