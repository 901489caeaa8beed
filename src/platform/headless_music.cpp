// The headless song device.
#include "platform/headless_music.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

namespace platform::headless {

namespace {

// Results as the command interface gave them; the game stores them and goes on.
constexpr int kNotOpen = 263;
constexpr int kCannotOpen = 275;

}  // namespace

HeadlessMusic::HeadlessMusic(std::function<int64_t()> clock, std::string dataDir)
    : clock_(std::move(clock)), dataDir_(std::move(dataDir)) {}

std::string HeadlessMusic::NameInDataDir(const std::string& path) const {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::string baseText = dataDir_.empty() ? "." : dataDir_;
  while (baseText.size() > 1 && baseText.back() == '/') baseText.pop_back();
  fs::path base(baseText), file(path);
  if (base.is_absolute() != file.is_absolute()) {
    base = fs::absolute(base, ec);
    file = fs::absolute(file, ec);
  }
  const fs::path rel = file.lexically_normal().lexically_relative(base.lexically_normal());
  if (!rel.empty() && *rel.begin() != "..") return rel.generic_string();
  return fs::path(path).generic_string();
}

uint32_t HeadlessMusic::CurrentTick(int64_t now) const {
  if (!playing_) return position_;
  if (now >= endUs_) return std::max(startTick_, song_.lastTick);
  // Walk the tempo map for the time from the start of the song. Products before quotients,
  // and a hair of slack, so that whole ticks come out whole.
  const double us = static_cast<double>(now - startUs_) + song_.SecondsAt(startTick_) * 1e6;
  double segmentStart = 0;
  for (size_t i = 0; i < song_.tempos.size(); ++i) {
    const auto [tick, tempo] = song_.tempos[i];
    const bool lastSegment = i + 1 == song_.tempos.size();
    const double segmentUs = lastSegment ? INFINITY
                                         : static_cast<double>(song_.tempos[i + 1].first - tick) *
                                               tempo / song_.division;
    if (us - segmentStart < segmentUs) {
      const double t = tick + std::floor((us - segmentStart) * song_.division / tempo + 1e-6);
      return static_cast<uint32_t>(std::min<double>(t, song_.lastTick));
    }
    segmentStart += segmentUs;
  }
  return song_.lastTick;
}

void HeadlessMusic::StartAt(uint32_t tick, int64_t now) {
  tick = std::min(tick, song_.lastTick);
  const double rest = song_.LengthSeconds() - song_.SecondsAt(tick);
  playing_ = true;
  startTick_ = tick;
  startUs_ = now;
  endUs_ = now + std::max<int64_t>(0, std::llround(rest * 1e6));
}

int HeadlessMusic::Open(const std::string& path) {
  log_.push_back({clock_(), "open", NameInDataDir(path), 0});
  open_ = false;
  playing_ = false;
  position_ = 0;
  MidiInfo info;
  if (!ReadMidiInfo(path, info)) return kCannotOpen;
  song_ = std::move(info);
  open_ = true;
  return 0;
}

int HeadlessMusic::SetTimeFormatSongPointer() {
  return open_ ? 0 : kNotOpen;
}

int HeadlessMusic::Play() {
  const int64_t now = clock_();
  log_.push_back({now, "play", "", 0});
  if (!open_) return kNotOpen;
  StartAt(CurrentTick(now), now);
  return 0;
}

int HeadlessMusic::PlayFrom(int songPosition) {
  const int64_t now = clock_();
  log_.push_back({now, "play_from", "", songPosition});
  if (!open_) return kNotOpen;
  StartAt(song_.SongPositionTick(songPosition), now);
  return 0;
}

int HeadlessMusic::Stop() {
  const int64_t now = clock_();
  log_.push_back({now, "stop", "", 0});
  if (!open_) return kNotOpen;
  position_ = CurrentTick(now);
  playing_ = false;
  return 0;
}

int HeadlessMusic::SeekStart() {
  log_.push_back({clock_(), "seek_start", "", 0});
  if (!open_) return kNotOpen;
  // Seeking stops a playing song, as the sequencer did.
  playing_ = false;
  position_ = 0;
  return 0;
}

std::string HeadlessMusic::Mode() {
  if (!open_) return "";
  return playing_ && clock_() < endUs_ ? "playing" : "stopped";
}

int HeadlessMusic::Close() {
  log_.push_back({clock_(), "close", "", 0});
  const bool wasOpen = open_;
  open_ = false;
  playing_ = false;
  position_ = 0;
  return wasOpen ? 0 : kNotOpen;
}

}  // namespace platform::headless
