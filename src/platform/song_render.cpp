// The offline song renderer: a synthesizer with no audio device, its player timed by the
// samples written, so a song renders as fast as the machine allows.
#include "platform/song_render.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
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

// Frames written per call; the player advances every 64 frames whatever the block.
constexpr int kBlockFrames = 256;
// Slack over the expected length before a player that never ends counts as broken.
constexpr double kOverrunSeconds = 10.0;

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

  const std::string font = FindSoundfont();
  if (font.empty()) return fail("no General MIDI soundfont installed");

  std::unique_ptr<fluid_settings_t, SettingsDeleter> settings(NewMusicSettings(sampleRate, font));
  if (!settings) return fail("cannot create the synthesizer settings");
  // Timed by the samples written, not by the clock: rendering runs faster than real time.
  fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
  std::unique_ptr<fluid_synth_t, SynthDeleter> synth(new_fluid_synth(settings.get()));
  if (!synth) return fail("cannot create the synthesizer");
  if (fluid_synth_sfload(synth.get(), font.c_str(), 1) == FLUID_FAILED) {
    return fail("cannot load the soundfont " + font);
  }
  std::unique_ptr<fluid_player_t, PlayerDeleter> player(new_fluid_player(synth.get()));
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
    fluid_synth_write_s16(synth.get(), frames, p, 0, 2, p, 1, 2);
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
