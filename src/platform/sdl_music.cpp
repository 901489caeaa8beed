// FluidSynth behind the song commands. The game thread keeps what it commanded (open,
// playing) and queues the commands; the audio thread applies them between two blocks of
// samples and reports when the song's last event has played.
#include "platform/sdl_music.h"

#include <SDL2/SDL_mixer.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace platform {

namespace {

constexpr const char* kSoundfonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

// Songs are a few kilobytes; anything this large is not one of ours.
constexpr std::streamoff kMaxSongBytes = 16 << 20;

bool Readable(const std::string& path) {
  return !path.empty() && access(path.c_str(), R_OK) == 0;
}

// The synthesizer's chatter (missing presets, reverb settings) is not the player's business;
// real errors still reach stderr.
void QuietLog(int, const char*, void*) {}

// Reads a standard MIDI file whole and its division (ticks per quarter note) from the
// header. Empty when the file is missing, too large or not a metrical MIDI file.
std::shared_ptr<std::vector<uint8_t>> ReadSong(const std::string& path, int& division) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return nullptr;
  const std::streamoff size = in.tellg();
  if (size < 14 || size > kMaxSongBytes) return nullptr;
  in.seekg(0);
  auto data = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(size));
  if (!in.read(reinterpret_cast<char*>(data->data()), size)) return nullptr;
  const std::vector<uint8_t>& d = *data;
  if (d[0] != 'M' || d[1] != 'T' || d[2] != 'h' || d[3] != 'd') return nullptr;
  const uint32_t headerLength =
      (uint32_t{d[4]} << 24) | (uint32_t{d[5]} << 16) | (uint32_t{d[6]} << 8) | uint32_t{d[7]};
  const int format = (d[8] << 8) | d[9];
  const int tracks = (d[10] << 8) | d[11];
  if (headerLength < 6 || format > 2 || tracks == 0) return nullptr;
  // The first track must follow the header.
  const uint64_t track = 8 + uint64_t{headerLength};
  if (track + 8 > d.size() || d[track] != 'M' || d[track + 1] != 'T' || d[track + 2] != 'r' ||
      d[track + 3] != 'k') {
    return nullptr;
  }
  const int div = (d[12] << 8) | d[13];
  if (div == 0 || (div & 0x8000) != 0) return nullptr;  // SMPTE time has no song positions
  division = div;
  return data;
}

}  // namespace

std::string FindSoundfont() {
  const char* env = std::getenv("QUELMIRE_SOUNDFONT");
  if (env != nullptr && Readable(env)) return env;
  for (const char* path : kSoundfonts) {
    if (Readable(path)) return path;
  }
  return {};
}

fluid_settings_t* NewMusicSettings(int sampleRate, const std::string& soundfont) {
  for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG})
    fluid_set_log_function(level, QuietLog, nullptr);
  fluid_settings_t* settings = new_fluid_settings();
  if (settings == nullptr) return nullptr;
  fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
  // The default 0.2 is too quiet; TimGM6mb's samples are hotter and clip at 0.5.
  const bool hot = soundfont.find("TimGM6mb") != std::string::npos;
  fluid_settings_setnum(settings, "synth.gain", hot ? 0.3 : 0.5);
  // Only the samples a song uses are loaded: FluidR3 costs ~40 MB instead of ~150 MB.
  fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
  return settings;
}

FluidMusic::~FluidMusic() {
  Shutdown();
}

void FluidMusic::Start(int sampleRate, int channels) {
  Shutdown();
  channels_ = channels;
  const std::string soundfont = FindSoundfont();
  if (soundfont.empty()) {
    state_ = SynthState::kFailed;
    return;
  }
  state_ = SynthState::kLoading;
  started_ = true;
  Mix_HookMusic(&FluidMusic::Hook, this);
  loader_ = std::thread(&FluidMusic::LoadSynth, this, soundfont, sampleRate);
}

void FluidMusic::LoadSynth(std::string soundfont, int sampleRate) {
  const auto t0 = std::chrono::steady_clock::now();
  fluid_settings_t* settings = NewMusicSettings(sampleRate, soundfont);
  fluid_synth_t* synth = settings != nullptr ? new_fluid_synth(settings) : nullptr;
  if (synth == nullptr || fluid_synth_sfload(synth, soundfont.c_str(), 1) == FLUID_FAILED) {
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
    state_ = SynthState::kFailed;
    return;
  }
  settings_ = settings;
  synth_ = synth;
  loadMs_ =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  state_.store(SynthState::kReady, std::memory_order_release);
}

void FluidMusic::Shutdown() {
  if (started_) {
    // The hook first: once it is gone the audio thread no longer touches the player.
    Mix_HookMusic(nullptr, nullptr);
    started_ = false;
  }
  if (loader_.joinable()) loader_.join();
  if (player_) {
    fluid_player_stop(player_);
    delete_fluid_player(player_);
    player_ = nullptr;
  }
  if (synth_) delete_fluid_synth(synth_);
  if (settings_) delete_fluid_settings(settings_);
  synth_ = nullptr;
  settings_ = nullptr;
  running_ = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
  }
  state_ = SynthState::kNone;
  open_ = playing_ = false;
}

bool FluidMusic::WaitReady(int timeoutMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (state_.load() == SynthState::kLoading && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return state_.load() == SynthState::kReady;
}

void FluidMusic::Post(Command c) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (state_.load() == SynthState::kFailed || state_.load() == SynthState::kNone) return;
  // A new song makes everything queued before it moot.
  if (c.op == Op::kLoad || c.op == Op::kUnload) queue_.clear();
  queue_.push_back(std::move(c));
}

int FluidMusic::Open(const std::string& path) {
  if (open_) Post(Command(Op::kUnload));
  open_ = playing_ = false;
  const SynthState st = state_.load();
  if (st == SynthState::kNone || st == SynthState::kFailed) return 1;
  int division = 0;
  auto song = ReadSong(path, division);
  if (!song) return 1;
  division_ = division;
  Post(Command(Op::kLoad, 0, 0, std::move(song)));
  open_ = true;
  return 0;
}

int FluidMusic::SetTimeFormatSongPointer() {
  return open_ ? 0 : 1;
}

int FluidMusic::Play() {
  if (!open_) return 1;
  playing_ = true;
  Post(Command(Op::kPlay, 0, ++epoch_));
  return 0;
}

int FluidMusic::PlayFrom(int songPosition) {
  if (!open_ || songPosition < 0) return 1;
  playing_ = true;
  // Sixteenth notes: four to a quarter note of `division` ticks.
  const int64_t tick = std::min<int64_t>(int64_t{songPosition} * division_ / 4, INT_MAX);
  Post(Command(Op::kSeekAndPlay, tick, ++epoch_));
  return 0;
}

int FluidMusic::Stop() {
  if (!open_) return 1;
  playing_ = false;
  Post(Command(Op::kStop));
  return 0;
}

int FluidMusic::SeekStart() {
  if (!open_) return 1;
  playing_ = false;  // seeking stops a playing song
  Post(Command(Op::kSeek, 0));
  return 0;
}

std::string FluidMusic::Mode() {
  const SynthState st = state_.load();
  if (!open_ || st == SynthState::kNone || st == SynthState::kFailed) return "";
  if (playing_ && endedEpoch_.load(std::memory_order_acquire) == epoch_) playing_ = false;
  // While the soundfont still loads, a started song counts as playing: it starts once ready.
  return playing_ ? "playing" : "stopped";
}

int FluidMusic::Close() {
  if (!open_) return 1;
  Post(Command(Op::kUnload));
  open_ = playing_ = false;
  return 0;
}

void FluidMusic::Hook(void* self, uint8_t* stream, int len) {
  static_cast<FluidMusic*>(self)->Render(stream, len);
}

void FluidMusic::Silence() {
  // A stopped player leaves its notes sounding; pedals would hold them even after note-offs.
  for (int ch = 0; ch < 16; ++ch) {
    fluid_synth_cc(synth_, ch, 64, 0);
    fluid_synth_cc(synth_, ch, 66, 0);
  }
  fluid_synth_all_notes_off(synth_, -1);
}

void FluidMusic::Apply(const Command& c) {
  switch (c.op) {
    case Op::kLoad:
    case Op::kUnload:
      if (player_) {
        fluid_player_stop(player_);
        Silence();
        delete_fluid_player(player_);
        player_ = nullptr;
      }
      running_ = false;
      if (c.op == Op::kLoad) {
        player_ = new_fluid_player(synth_);
        if (player_ && fluid_player_add_mem(player_, c.song->data(), c.song->size()) != FLUID_OK) {
          delete_fluid_player(player_);
          player_ = nullptr;
        }
      }
      break;
    case Op::kSeekAndPlay:
    case Op::kPlay:
      activeEpoch_ = c.epoch;
      if (!player_) {
        endedEpoch_.store(c.epoch, std::memory_order_release);
        break;
      }
      if (c.op == Op::kSeekAndPlay) {
        // A position past the end plays nothing (the player would ignore such a seek and
        // go on from where it was).
        const int total = fluid_player_get_total_ticks(player_);
        if (total > 0 && c.tick >= total) {
          running_ = false;
          endedEpoch_.store(c.epoch, std::memory_order_release);
          break;
        }
        fluid_player_seek(player_, static_cast<int>(c.tick));
      }
      fluid_player_play(player_);
      running_ = true;
      blocksSinceStart_ = 0;
      break;
    case Op::kStop:
    case Op::kSeek:
      if (player_) {
        fluid_player_stop(player_);
        Silence();
        if (c.op == Op::kSeek) fluid_player_seek(player_, static_cast<int>(c.tick));
      }
      running_ = false;
      break;
  }
}

void FluidMusic::Render(uint8_t* stream, int len) {
  if (state_.load(std::memory_order_acquire) != SynthState::kReady) return;  // stays silent

  // Never wait for the game thread here; a busy queue is taken at the next block.
  if (mutex_.try_lock()) {
    applying_.swap(queue_);
    mutex_.unlock();
    for (const Command& c : applying_) Apply(c);
    applying_.clear();
  }

  const int frames = len / (2 * channels_);
  fluid_synth_write_s16(synth_, frames, stream, 0, channels_, stream, channels_ >= 2 ? 1 : 0,
                        channels_);
  if (const int volume = volume_.load(std::memory_order_relaxed); volume < 10) {
    auto* samples = reinterpret_cast<int16_t*>(stream);
    for (int i = 0; i < frames * channels_; ++i) {
      samples[i] = static_cast<int16_t>(samples[i] * volume / 10);
    }
  }

  if (running_ && player_) {
    ++blocksSinceStart_;
    // The player reports DONE only about two seconds after the last event; the tick count
    // tells the end at once. A seek is applied inside the first block, hence the wait of two.
    const int total = fluid_player_get_total_ticks(player_);
    const int current = fluid_player_get_current_tick(player_);
    const bool settled = blocksSinceStart_ >= 2;
    const bool ended = (settled && fluid_player_get_status(player_) == FLUID_PLAYER_DONE) ||
                       (settled && total > 0 && current >= total) ||
                       (blocksSinceStart_ > 8 && total <= 0);
    if (ended) {
      fluid_player_stop(player_);
      running_ = false;
      endedEpoch_.store(activeEpoch_, std::memory_order_release);
    }
  }
}

}  // namespace platform
