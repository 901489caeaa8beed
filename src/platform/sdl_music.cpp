// The song commands over rendered songs. The game thread keeps what it commanded (open,
// playing), hands each opened song to the renderer and queues the commands; the audio thread
// applies them between two blocks of samples and reports when a song has ended.
#include "platform/sdl_music.h"

#include <SDL2/SDL_mixer.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/song_render.h"

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

// Reads a standard MIDI file whole. Empty when the file is missing, too large or not a
// metrical MIDI file.
std::shared_ptr<std::vector<uint8_t>> ReadSong(const std::string& path) {
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
  const int division = (d[12] << 8) | d[13];
  // SMPTE time has no song positions.
  if (division == 0 || (division & 0x8000) != 0) return nullptr;
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
  // Songs are rendered ahead, never live: the player is timed by the samples written, so a
  // song renders as fast as the machine allows and the same every time.
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  return settings;
}

FluidMusic::~FluidMusic() {
  Shutdown();
}

void FluidMusic::Start(int sampleRate, int channels) {
  Shutdown();
  channels_ = channels;
  rate_ = sampleRate;
  const std::string soundfont = FindSoundfont();
  if (soundfont.empty()) {
    state_ = SynthState::kFailed;
    return;
  }
  state_ = SynthState::kLoading;
  started_ = true;
  {
    std::lock_guard<std::mutex> lock(jobMutex_);
    quit_ = false;
  }
  Mix_HookMusic(&FluidMusic::Hook, this);
  renderer_ = std::thread(&FluidMusic::RenderSongs, this, soundfont, sampleRate);
}

void FluidMusic::RenderSongs(std::string soundfont, int sampleRate) {
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
  loadMs_ =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  state_.store(SynthState::kReady, std::memory_order_release);

  for (;;) {
    std::shared_ptr<SongPcm> song;
    std::shared_ptr<const std::vector<uint8_t>> midi;
    uint64_t number = 0;
    {
      std::unique_lock<std::mutex> lock(jobMutex_);
      jobReady_.wait(lock, [&] { return quit_ || job_ != nullptr; });
      if (quit_) break;
      song = std::move(job_);
      midi = std::move(jobMidi_);
      number = jobNumber_.load();
    }
    // A song opened meanwhile makes this one moot.
    RenderSongPcm(synth, *midi, *song,
                  [&] { return jobNumber_.load(std::memory_order_relaxed) != number; });
  }
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
}

void FluidMusic::Shutdown() {
  if (started_) {
    // The hook first: once it is gone the audio thread no longer plays.
    Mix_HookMusic(nullptr, nullptr);
    started_ = false;
  }
  if (renderer_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(jobMutex_);
      quit_ = true;
      ++jobNumber_;  // stops a render under way
    }
    jobReady_.notify_all();
    renderer_.join();
  }
  job_.reset();
  jobMidi_.reset();
  player_.Unload();
  player_ = PcmSongPlayer();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
  }
  applying_.clear();
  current_.reset();
  previous_.reset();
  currentMidi_.reset();
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

int64_t FluidMusic::RenderedBytes() const {
  return (current_ ? current_->Bytes() : 0) + (previous_ ? previous_->Bytes() : 0);
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
  auto midi = ReadSong(path);
  if (!midi) return 1;
  MidiInfo info;
  const bool known = ParseMidiInfo(*midi, info);
  info_ = info;
  // The song that is open again (the title's, back at the title) is played as rendered.
  if (known && current_ && currentMidi_ && *currentMidi_ == *midi && current_->stage.load() == 3) {
    Post(Command(Op::kLoad, 0, 0, current_));
    open_ = true;
    return 0;
  }
  auto song =
      std::make_shared<SongPcm>(known ? SongPcmCapacity(info.LengthSeconds(), rate_) : 0, rate_);
  // A file the synthesizer's player would skip without a word plays as nothing.
  if (!known) song->stage.store(-1);
  ReleasePrevious();
  if (!previous_) previous_ = std::move(current_);
  current_ = song;
  currentMidi_ = midi;
  if (known) {
    {
      std::lock_guard<std::mutex> lock(jobMutex_);
      job_ = song;
      jobMidi_ = std::move(midi);
      ++jobNumber_;
    }
    jobReady_.notify_one();
  }
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
  if (songPosition == 16) {
    Post(Command(Op::kPlayFromLoop, 0, ++epoch_));
  } else {
    // Sixteenth notes: four to a quarter note of `division` ticks.
    const uint32_t tick = info_.SongPositionTick(songPosition);
    const auto frame = static_cast<int64_t>(info_.SecondsAt(tick) * rate_);
    // A position past the end plays nothing.
    Post(Command(Op::kPlayFromFrame, tick > info_.lastTick ? -1 : frame, ++epoch_));
  }
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
  Post(Command(Op::kSeek));
  return 0;
}

void FluidMusic::ReleasePrevious() {
  // Once nothing else holds the song before this one (the audio thread has moved on and its
  // fade is over, the renderer has given it up), it is freed here rather than there.
  if (previous_ && previous_.use_count() == 1) previous_.reset();
}

std::string FluidMusic::Mode() {
  ReleasePrevious();
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

void FluidMusic::Apply(const Command& c) {
  switch (c.op) {
    case Op::kLoad:
      player_.Load(c.song);
      break;
    case Op::kUnload:
      player_.Unload();
      break;
    case Op::kPlay:
      player_.Play(c.epoch);
      break;
    case Op::kPlayFromLoop:
      player_.PlayFromLoop(c.epoch);
      break;
    case Op::kPlayFromFrame:
      player_.PlayFromFrame(c.epoch, c.frame);
      break;
    case Op::kStop:
      player_.Stop();
      break;
    case Op::kSeek:
      player_.Seek();
      break;
  }
}

void FluidMusic::Render(uint8_t* stream, int len) {
  // Never wait for the game thread here; a busy queue is taken at the next block.
  if (mutex_.try_lock()) {
    applying_.swap(queue_);
    mutex_.unlock();
    for (const Command& c : applying_) Apply(c);
    applying_.clear();
  }
  const int frames = len / (2 * channels_);
  if (stereo_.size() < static_cast<size_t>(frames) * 2)
    stereo_.resize(static_cast<size_t>(frames) * 2);
  player_.Mix(stereo_.data(), frames);
  const int volume = volume_.load(std::memory_order_relaxed);
  auto* out = reinterpret_cast<int16_t*>(stream);
  for (int i = 0; i < frames; ++i) {
    const int16_t l = static_cast<int16_t>(stereo_[2 * static_cast<size_t>(i)] * volume / 10);
    const int16_t r = static_cast<int16_t>(stereo_[2 * static_cast<size_t>(i) + 1] * volume / 10);
    int16_t* o = out + static_cast<ptrdiff_t>(i) * channels_;
    if (channels_ == 1) {
      o[0] = static_cast<int16_t>((l + r) / 2);
      continue;
    }
    o[0] = l;
    o[1] = r;
    for (int c = 2; c < channels_; ++c) o[c] = 0;
  }
  endedEpoch_.store(player_.EndedEpoch(), std::memory_order_release);
}

}  // namespace platform
