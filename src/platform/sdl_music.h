// The song device: FluidSynth playing standard MIDI files, its samples fed to SDL_mixer's
// music hook. The soundfont loads on a thread of its own so that start-up never waits for it.
#pragma once

#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

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

  // Called with the mixer open: installs the hook and starts loading the soundfont.
  void Start(int sampleRate, int channels);
  // Removes the hook, waits for the loader, frees player and synthesizer.
  void Shutdown();
  // Blocks until the soundfont has loaded or failed; true when music can sound.
  bool WaitReady(int timeoutMs);
  // Milliseconds the soundfont took to load (0 until loaded).
  double LoadMs() const { return loadMs_.load(); }
  // 0 (silent) to 10 (as synthesised); heard from the next block.
  void SetVolume(int volume) { volume_.store(std::clamp(volume, 0, 10)); }

  int Open(const std::string& path) override;
  int SetTimeFormatSongPointer() override;
  int Play() override;
  int PlayFrom(int songPosition) override;
  int Stop() override;
  int SeekStart() override;
  std::string Mode() override;
  int Close() override;

 private:
  // Commands for the audio thread, which alone touches the player: SDL_mixer 2.6 offers no
  // way to lock its callback out, so the game thread only queues.
  enum class Op { kLoad, kUnload, kPlay, kSeekAndPlay, kStop, kSeek };
  struct Command {
    explicit Command(Op o, int64_t t = 0, uint64_t e = 0,
                     std::shared_ptr<const std::vector<uint8_t>> s = nullptr)
        : op(o), tick(t), epoch(e), song(std::move(s)) {}
    Op op;
    int64_t tick;
    uint64_t epoch;
    std::shared_ptr<const std::vector<uint8_t>> song;
  };
  enum class SynthState { kNone, kLoading, kReady, kFailed };

  static void Hook(void* self, uint8_t* stream, int len);
  void Render(uint8_t* stream, int len);
  void Apply(const Command& c);
  void Silence();
  void Post(Command c);
  void LoadSynth(std::string soundfont, int sampleRate);

  // Game thread.
  bool open_ = false;
  bool playing_ = false;  // as last commanded
  int division_ = 0;
  uint64_t epoch_ = 0;  // bumped by every start of playback
  bool started_ = false;
  int channels_ = 2;

  // Shared.
  std::mutex mutex_;
  std::vector<Command> queue_;
  std::atomic<SynthState> state_{SynthState::kNone};
  std::atomic<uint64_t> endedEpoch_{0};
  std::atomic<double> loadMs_{0};
  std::atomic<int> volume_{10};
  std::thread loader_;

  // Loader thread until ready, then the audio thread.
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_player_t* player_ = nullptr;
  std::vector<Command> applying_;
  uint64_t activeEpoch_ = 0;
  bool running_ = false;  // the player was started and has not reached its end
  int blocksSinceStart_ = 0;
};

}  // namespace platform
