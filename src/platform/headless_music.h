// The headless song device: no sound, but songs open, play, stop and end on the virtual
// clock, with the same timing as the MIDI file would have.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/media_info.h"
#include "platform/platform.h"

namespace platform::headless {

// One music-device operation, for the state dump.
struct MusicOp {
  int64_t us = 0;
  std::string op;    // open, play, play_from, stop, seek_start, close
  std::string file;  // open: the file name relative to the program folder
  int position = 0;  // play_from: the song position
};

class HeadlessMusic : public MusicDevice {
 public:
  // clock gives the virtual time in microseconds; dataDir is the program folder.
  HeadlessMusic(std::function<int64_t()> clock, std::string dataDir);

  int Open(const std::string& path) override;
  int SetTimeFormatSongPointer() override;
  int Play() override;
  int PlayFrom(int songPosition) override;
  int Stop() override;
  int SeekStart() override;
  std::string Mode() override;
  int Close() override;

  const std::vector<MusicOp>& Log() const { return log_; }

 private:
  uint32_t CurrentTick(int64_t now) const;
  void StartAt(uint32_t tick, int64_t now);
  std::string NameInDataDir(const std::string& path) const;

  std::function<int64_t()> clock_;
  std::string dataDir_;
  std::vector<MusicOp> log_;

  bool open_ = false;
  MidiInfo song_;
  bool playing_ = false;   // started and not stopped; it may have run to its end since
  uint32_t position_ = 0;  // tick while not playing
  uint32_t startTick_ = 0;
  int64_t startUs_ = 0, endUs_ = 0;
};

}  // namespace platform::headless
