// The song device: standard MIDI files rendered by FluidSynth on a thread of their own, each
// once when it is opened, and played from memory through SDL_mixer's music hook. Start-up
// never waits for the soundfont, and a song that loops costs no synthesis.
#pragma once

#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/media_info.h"
#include "platform/platform.h"
#include "platform/song_pcm.h"

namespace platform {

// The soundfonts tried in order: $QUELMIRE_SOUNDFONT, then Debian's General MIDI fonts.
// Empty when none exists.
std::string FindSoundfont();

// The synthesizer's settings for the given output rate: the game's gain and sample loading,
// and its chatter silenced. Shared by the song device and the offline renderer so that both
// sound alike. The caller frees it with delete_fluid_settings; null when out of memory.
fluid_settings_t* NewMusicSettings(int sampleRate, const std::string& soundfont);

class FluidMusic : public MusicDevice {
 public:
  FluidMusic() = default;
  ~FluidMusic() override;

  // Called with the mixer open: installs the hook and starts the renderer, which loads the
  // soundfont first.
  void Start(int sampleRate, int channels);
  // Removes the hook, stops the renderer, frees the songs and the synthesizer.
  void Shutdown();
  // Blocks until the soundfont has loaded or failed; true when music can sound.
  bool WaitReady(int timeoutMs);
  // Milliseconds the soundfont took to load (0 until loaded).
  double LoadMs() const { return loadMs_.load(); }
  // 0 (silent) to 10 (as rendered); heard from the next block.
  void SetVolume(int volume) { volume_.store(std::clamp(volume, 0, 10)); }
  // Bytes of rendered music held now (the open song and the one before it).
  int64_t RenderedBytes() const;

  int Open(const std::string& path) override;
  int SetTimeFormatSongPointer() override;
  int Play() override;
  int PlayFrom(int songPosition) override;
  int Stop() override;
  int SeekStart() override;
  std::string Mode() override;
  int Close() override;

 private:
  // Commands for the audio thread, which alone plays: SDL_mixer 2.6 offers no way to lock
  // its callback out, so the game thread only queues.
  enum class Op { kLoad, kUnload, kPlay, kPlayFromLoop, kPlayFromFrame, kStop, kSeek };
  struct Command {
    explicit Command(Op o, int64_t f = 0, uint64_t e = 0,
                     std::shared_ptr<const SongPcm> s = nullptr)
        : op(o), frame(f), epoch(e), song(std::move(s)) {}
    Op op;
    int64_t frame;
    uint64_t epoch;
    std::shared_ptr<const SongPcm> song;
  };
  enum class SynthState { kNone, kLoading, kReady, kFailed };

  static void Hook(void* self, uint8_t* stream, int len);
  void Render(uint8_t* stream, int len);
  void Apply(const Command& c);
  void Post(Command c);
  void RenderSongs(std::string soundfont, int sampleRate);
  void ReleasePrevious();

  // Game thread.
  bool open_ = false;
  bool playing_ = false;  // as last commanded
  MidiInfo info_;
  uint64_t epoch_ = 0;  // bumped by every start of playback
  bool started_ = false;
  int channels_ = 2;
  int rate_ = 44100;
  // Kept here so that a song is freed on this thread rather than the audio thread (but for
  // songs opened faster than a fade lasts).
  std::shared_ptr<SongPcm> current_, previous_;
  std::shared_ptr<const std::vector<uint8_t>> currentMidi_;  // the file current_ renders

  // Shared.
  std::mutex mutex_;
  std::vector<Command> queue_;
  std::atomic<SynthState> state_{SynthState::kNone};
  std::atomic<uint64_t> endedEpoch_{0};
  std::atomic<double> loadMs_{0};
  std::atomic<int> volume_{10};
  std::thread renderer_;
  // The song to render, handed from the game thread to the renderer.
  std::mutex jobMutex_;
  std::condition_variable jobReady_;
  std::shared_ptr<SongPcm> job_;
  std::shared_ptr<const std::vector<uint8_t>> jobMidi_;
  std::atomic<uint64_t> jobNumber_{0};
  bool quit_ = false;  // under jobMutex_

  // Audio thread.
  std::vector<Command> applying_;
  std::vector<int16_t> stereo_;
  PcmSongPlayer player_;
};

}  // namespace platform
