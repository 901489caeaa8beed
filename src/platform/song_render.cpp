// The offline song renderer: a synthesizer with no audio device, its player timed by the
// samples written, so a song renders as fast as the machine allows.
#include "platform/song_render.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>

#include "platform/media_info.h"
#include "platform/sdl_music.h"

namespace platform {

namespace {

struct SettingsDeleter {
  void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter {
  void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct PlayerDeleter {
  void operator()(fluid_player_t* p) const {
    fluid_player_stop(p);
    delete_fluid_player(p);
  }
};

// A synthesizer with the game's settings and soundfont, for rendering offline.
struct OfflineSynth {
  std::unique_ptr<fluid_settings_t, SettingsDeleter> settings;
  std::unique_ptr<fluid_synth_t, SynthDeleter> synth;
};

// Empty, with the reason in why, when there is no soundfont or it cannot be loaded.
OfflineSynth NewOfflineSynth(int sampleRate, std::string& why) {
  OfflineSynth o;
  const std::string font = FindSoundfont();
  if (font.empty()) {
    why = "no General MIDI soundfont installed";
    return o;
  }
  o.settings.reset(NewMusicSettings(sampleRate, font));
  if (!o.settings) {
    why = "cannot create the synthesizer settings";
    return o;
  }
  o.synth.reset(new_fluid_synth(o.settings.get()));
  if (!o.synth) {
    why = "cannot create the synthesizer";
  } else if (fluid_synth_sfload(o.synth.get(), font.c_str(), 1) == FLUID_FAILED) {
    why = "cannot load the soundfont " + font;
    o.synth.reset();
  }
  return o;
}

// Frames written per call; the player advances every 64 frames whatever the block.
constexpr int kBlockFrames = 256;
// Slack over the expected length before a player that never ends counts as broken.
constexpr double kOverrunSeconds = 10.0;

// The stretch after the song's end rendered for a restart: the last notes die away in it.
constexpr double kBridgeSeconds = 3.0;
// Frames either way searched for the best match where two takes of the same music meet
// (the player starts events on 64-frame blocks, so two takes may differ by as much).
constexpr int kAlignFrames = 128;
// The ring-out is rendered from this many quarter notes before the end, so that every note
// still held at the end is struck again.
constexpr uint32_t kRingLeadQuarters = 16;

// The offset in [-kAlignFrames, kAlignFrames] at which `take` (kHandOverFrames frames from
// take + offset) best matches `ref`, by the least squared difference; `take` must be valid
// that far either way.
int BestOffset(const int16_t* ref, const int16_t* take, int range) {
  int best = 0;
  double bestSum = std::numeric_limits<double>::max();
  for (int off = -range; off <= range; ++off) {
    const int16_t* t = take + off * 2;
    double sum = 0;
    for (int i = 0; i < kHandOverFrames * 2; ++i) {
      const double d = static_cast<double>(ref[i]) - t[i];
      sum += d * d;
    }
    if (sum < bestSum) bestSum = sum, best = off;
  }
  return best;
}

void PutLe16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void PutLe32(std::string& out, uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

}  // namespace

bool RenderSong(const std::string& midiPath, std::vector<int16_t>& stereoOut, int sampleRate,
                std::string* error) {
  stereoOut.clear();
  auto fail = [&](const std::string& what) {
    if (error) *error = midiPath + ": " + what;
    return false;
  };
  if (sampleRate < 8000 || sampleRate > 192000) {
    return fail("sample rate " + std::to_string(sampleRate) + " outside 8000..192000");
  }
  // The player skips what it cannot parse without a word: check the file first.
  MidiInfo info;
  if (!ReadMidiInfo(midiPath, info, error)) return false;

  std::string why;
  const OfflineSynth o = NewOfflineSynth(sampleRate, why);
  if (!o.synth) return fail(why);
  fluid_synth_t* synth = o.synth.get();
  std::unique_ptr<fluid_player_t, PlayerDeleter> player(new_fluid_player(synth));
  if (!player || fluid_player_add(player.get(), midiPath.c_str()) != FLUID_OK ||
      fluid_player_play(player.get()) != FLUID_OK) {
    return fail("the synthesizer cannot play it");
  }

  const double rate = sampleRate;
  const size_t tailFrames = static_cast<size_t>(kRenderTailSeconds * rate);
  const size_t maxFrames =
      static_cast<size_t>((info.LengthSeconds() + kOverrunSeconds) * rate) + tailFrames;
  stereoOut.reserve((static_cast<size_t>(info.LengthSeconds() * rate) + tailFrames) * 2 +
                    kBlockFrames * 2);

  auto write = [&](int frames) {
    const size_t at = stereoOut.size();
    stereoOut.resize(at + static_cast<size_t>(frames) * 2);
    int16_t* p = stereoOut.data() + at;
    fluid_synth_write_s16(synth, frames, p, 0, 2, p, 1, 2);
  };

  // As in the game: the tick count tells the end at once, the player's DONE only ~2 s late.
  // The song is loaded inside the first block, so its total is known only after it.
  for (;;) {
    if (stereoOut.size() / 2 >= maxFrames) {
      stereoOut.clear();
      return fail("the player did not reach the song's end within " +
                  std::to_string(info.LengthSeconds() + kOverrunSeconds) + " s");
    }
    write(kBlockFrames);
    const int total = fluid_player_get_total_ticks(player.get());
    const int current = fluid_player_get_current_tick(player.get());
    if ((total > 0 && current >= total) ||
        fluid_player_get_status(player.get()) == FLUID_PLAYER_DONE) {
      break;
    }
  }
  fluid_player_stop(player.get());
  // Notes still sounding at the end ring out into the tail as they would in the game.
  for (size_t left = tailFrames; left > 0;) {
    const int n = static_cast<int>(std::min<size_t>(left, kBlockFrames));
    write(n);
    left -= static_cast<size_t>(n);
  }
  return true;
}

int64_t SongPcmCapacity(double lengthSeconds, int sampleRate) {
  const double seconds = lengthSeconds + kOverrunSeconds + kBridgeSeconds + kRenderTailSeconds;
  return static_cast<int64_t>(seconds * sampleRate) + 4 * kHandOverFrames;
}

bool RenderSongPcm(fluid_synth_t* synth, const std::vector<uint8_t>& midi, SongPcm& out,
                   const std::function<bool()>& cancelled) {
  auto fail = [&] {
    out.stage.store(-1, std::memory_order_release);
    return false;
  };
  if (midi.size() < 14) return fail();
  const int division = (midi[12] << 8) | midi[13];
  if (division <= 0 || (division & 0x8000) != 0) return fail();
  const int loopTick = division * 4;  // song position 16
  constexpr int kStep = 64;           // the player moves on every 64 frames
  const int64_t bridgeFrames = static_cast<int64_t>(kBridgeSeconds * out.Rate());
  const int64_t ringFrames = static_cast<int64_t>(kRenderTailSeconds * out.Rate());
  auto write = [&](int16_t* to, int frames) {
    fluid_synth_write_s16(synth, frames, to, 0, 2, to, 1, 2);
  };
  auto newPlayer = [&]() -> std::unique_ptr<fluid_player_t, PlayerDeleter> {
    // Nothing of the last song (voices, reverb, controllers) may sound into this one.
    fluid_synth_system_reset(synth);
    std::unique_ptr<fluid_player_t, PlayerDeleter> p(new_fluid_player(synth));
    if (p && fluid_player_add_mem(p.get(), midi.data(), midi.size()) != FLUID_OK) p.reset();
    return p;
  };
  auto atEnd = [](fluid_player_t* p) {
    const int total = fluid_player_get_total_ticks(p);
    return (total > 0 && fluid_player_get_current_tick(p) >= total) ||
           fluid_player_get_status(p) == FLUID_PLAYER_DONE;
  };

  // The song from its start to its last event.
  auto player = newPlayer();
  if (!player || fluid_player_play(player.get()) != FLUID_OK) return fail();
  int64_t f = 0;
  for (;;) {
    if (cancelled()) return false;
    if (f + kStep + bridgeFrames + ringFrames + 2 * kHandOverFrames > out.Capacity()) return fail();
    write(out.MutableFrame(f), kStep);
    f += kStep;
    out.ready.store(f, std::memory_order_release);
    if (out.loopStart.load(std::memory_order_relaxed) == -1 &&
        fluid_player_get_current_tick(player.get()) >= loopTick) {
      out.loopStart.store(f - kStep, std::memory_order_release);
    }
    if (atEnd(player.get())) break;
  }
  const int total = fluid_player_get_total_ticks(player.get());
  int64_t loopStart = out.loopStart.load(std::memory_order_relaxed);
  // A loop shorter than the bridge and the searches is played from its start each time.
  if (total <= loopTick || loopStart < 0 ||
      f - loopStart < bridgeFrames + 2 * (kAlignFrames + kHandOverFrames)) {
    loopStart = -2;
  }
  out.end = f;
  out.bridgeEnd = loopStart >= 0 ? f + bridgeFrames : f;
  out.loopStart.store(loopStart, std::memory_order_release);
  out.stage.store(1, std::memory_order_release);

  if (loopStart >= 0) {
    // Restarted at once: position 16 follows the last bar while its notes still ring.
    fluid_player_seek(player.get(), loopTick);
    fluid_player_play(player.get());
    while (f < out.bridgeEnd) {
      if (cancelled()) return false;
      const int n = static_cast<int>(std::min<int64_t>(kStep, out.bridgeEnd - f));
      write(out.MutableFrame(f), n);
      f += n;
      out.ready.store(f, std::memory_order_release);
    }
    // Then on in the first take, where bar 2 has sounded as long and the notes that rang
    // into it have died away.
    const int64_t resume = loopStart + bridgeFrames;
    const int off = BestOffset(out.Frame(out.bridgeEnd - kHandOverFrames),
                               out.Frame(resume - kHandOverFrames), kAlignFrames);
    out.resume = resume + off;
  }
  out.stage.store(2, std::memory_order_release);

  // Not restarted: the last notes ring out alone. A second take of the last bars, matched
  // to the first where they end.
  player = newPlayer();
  if (!player) return fail();
  fluid_player_seek(player.get(),
                    std::max(0, total - static_cast<int>(kRingLeadQuarters) * division));
  if (fluid_player_play(player.get()) != FLUID_OK) return fail();
  std::vector<int16_t> take;
  int64_t takeEnd = -1;
  const int64_t limit = static_cast<int64_t>((kOverrunSeconds + 60) * out.Rate());
  for (int64_t t = 0; takeEnd < 0 || t < takeEnd + ringFrames + kAlignFrames; t += kStep) {
    if (cancelled()) return false;
    if (t > limit) return fail();
    take.resize(static_cast<size_t>(t + kStep) * 2);
    write(take.data() + t * 2, kStep);
    if (takeEnd < 0 && atEnd(player.get())) takeEnd = t + kStep;
  }
  if (takeEnd < kHandOverFrames + kAlignFrames) return fail();
  const int off = BestOffset(out.Frame(out.end - kHandOverFrames),
                             take.data() + (takeEnd - kHandOverFrames) * 2, kAlignFrames);
  const int64_t from = takeEnd - kHandOverFrames + off;
  const int64_t frames = kHandOverFrames + ringFrames;
  std::copy_n(take.data() + from * 2, frames * 2, out.MutableFrame(out.bridgeEnd));
  out.ringEnd = out.bridgeEnd + frames;
  out.ready.store(out.ringEnd, std::memory_order_release);
  out.stage.store(3, std::memory_order_release);
  return true;
}

std::shared_ptr<SongPcm> RenderSongPcmFile(const std::string& midiPath, int sampleRate,
                                           std::string* error) {
  auto fail = [&](const std::string& what) -> std::shared_ptr<SongPcm> {
    if (error) *error = midiPath + ": " + what;
    return nullptr;
  };
  MidiInfo info;
  if (!ReadMidiInfo(midiPath, info, error)) return nullptr;
  std::ifstream in(midiPath, std::ios::binary);
  const std::vector<uint8_t> midi((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  std::string why;
  const OfflineSynth o = NewOfflineSynth(sampleRate, why);
  if (!o.synth) return fail(why);
  auto out =
      std::make_shared<SongPcm>(SongPcmCapacity(info.LengthSeconds(), sampleRate), sampleRate);
  if (!RenderSongPcm(o.synth.get(), midi, *out, [] { return false; })) {
    return fail("the synthesizer cannot play it");
  }
  return out;
}

bool WriteStereoWav(const std::string& path, const std::vector<int16_t>& stereo, int sampleRate,
                    std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error) *error = path + ": " + what;
    return false;
  };
  const uint64_t dataBytes = uint64_t{stereo.size()} * 2;
  if (dataBytes > 0xFFFFFFFFull - 36) return fail("too long for a WAV file");
  if (sampleRate <= 0) return fail("bad sample rate " + std::to_string(sampleRate));
  std::string out;
  out.reserve(44 + static_cast<size_t>(dataBytes));
  out += "RIFF";
  PutLe32(out, static_cast<uint32_t>(36 + dataBytes));
  out += "WAVEfmt ";
  PutLe32(out, 16);
  PutLe16(out, 1);  // PCM
  PutLe16(out, 2);
  PutLe32(out, static_cast<uint32_t>(sampleRate));
  PutLe32(out, static_cast<uint32_t>(sampleRate) * 4);
  PutLe16(out, 4);
  PutLe16(out, 16);
  out += "data";
  PutLe32(out, static_cast<uint32_t>(dataBytes));
  for (int16_t s : stereo) PutLe16(out, static_cast<uint16_t>(s));
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return fail(std::string("cannot create (") + std::strerror(errno) + ")");
  file.write(out.data(), static_cast<std::streamsize>(out.size()));
  file.close();
  if (!file) return fail("write error");
  return true;
}

}  // namespace platform
