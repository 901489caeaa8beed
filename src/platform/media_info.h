// What the platforms need to know of WAV and MIDI files without playing them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct WavInfo {
  int channels = 0;
  int sampleRate = 0;
  int bitsPerSample = 0;
  uint32_t dataBytes = 0;
  double seconds = 0;
};

// Reads a PCM WAV header. Throws FatalError naming the file when it is missing or malformed.
WavInfo ReadWavInfo(const std::string& path);
// The same for the bytes of a file already read; path only names it in reports.
WavInfo ParseWavInfo(const std::vector<uint8_t>& bytes, const std::string& path);

// A standard MIDI file's timing: its division and the times of its events.
struct MidiInfo {
  int division = 0;       // ticks per quarter note
  uint32_t lastTick = 0;  // tick of the last event of any track
  // Tempo map: (tick, microseconds per quarter note), sorted, starting at tick 0.
  std::vector<std::pair<uint32_t, uint32_t>> tempos;

  // Seconds from the start of the song to the given tick.
  double SecondsAt(uint32_t tick) const;
  double LengthSeconds() const { return SecondsAt(lastTick); }
  // Song position in sixteenth notes to ticks (a quarter note holds four).
  uint32_t SongPositionTick(int sixteenths) const;
};

// Parses a standard MIDI file (formats 0 and 1, metrical division). Returns false when the
// file is missing or malformed (music failures leave the game silent, never stop it).
bool ReadMidiInfo(const std::string& path, MidiInfo& out, std::string* error = nullptr);
// The same for a file already read.
bool ParseMidiInfo(const std::vector<uint8_t>& bytes, MidiInfo& out);

}  // namespace platform
