// Songs rendered offline through the same synthesizer settings and soundfont as the game's
// music device, so that what a check measures is what a player hears.
#pragma once

#include <fluidsynth.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/song_pcm.h"

namespace platform {

// Seconds rendered after the song's last event, so that ringing notes and reverb die away.
constexpr double kRenderTailSeconds = 2.0;

// Renders a standard MIDI file from its start to its last event plus the tail, as interleaved
// 16-bit stereo at sampleRate, with the soundfont the game would choose (FindSoundfont).
// False with a message naming the file when the song is unreadable or no soundfont can be
// loaded.
bool RenderSong(const std::string& midiPath, std::vector<int16_t>& stereoOut, int sampleRate,
                std::string* error);

// Frames a song of the given length needs rendered for looping (SongPcm), with room to spare.
int64_t SongPcmCapacity(double lengthSeconds, int sampleRate);

// Renders a standard MIDI file (its bytes) for looped playback into `out`, stage by stage, on
// a synthesizer whose soundfont is loaded and whose rate is out's. `cancelled` is asked
// between blocks. False when cancelled, or when the song cannot be rendered (out's stage is
// then -1).
bool RenderSongPcm(fluid_synth_t* synth, const std::vector<uint8_t>& midi, SongPcm& out,
                   const std::function<bool()>& cancelled);

// The same with a synthesizer of its own and the soundfont the game would choose; null with
// a message naming the file when it cannot be read or rendered.
std::shared_ptr<SongPcm> RenderSongPcmFile(const std::string& midiPath, int sampleRate,
                                           std::string* error);

// Writes interleaved 16-bit stereo samples as a PCM WAV file.
bool WriteStereoWav(const std::string& path, const std::vector<int16_t>& stereo, int sampleRate,
                    std::string* error);

}  // namespace platform
