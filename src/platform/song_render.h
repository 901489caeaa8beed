// Songs rendered offline through the same synthesizer settings and soundfont as the game's
// music device, so that what a check measures is what a player hears.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Seconds rendered after the song's last event, so that ringing notes and reverb die away.
constexpr double kRenderTailSeconds = 2.0;

// Renders a standard MIDI file from its start to its last event plus the tail, as interleaved
// 16-bit stereo at sampleRate, with the soundfont the game would choose (FindSoundfont).
// False with a message naming the file when the song is unreadable or no soundfont can be
// loaded.
bool RenderSong(const std::string& midiPath, std::vector<int16_t>& stereoOut, int sampleRate,
                std::string* error);

// Writes interleaved 16-bit stereo samples as a PCM WAV file.
bool WriteStereoWav(const std::string& path, const std::vector<int16_t>& stereo, int sampleRate,
                    std::string* error);

}  // namespace platform
