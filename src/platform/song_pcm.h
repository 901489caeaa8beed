// A song rendered once into memory and played from there: the synthesizer works only while
// the song renders (a few seconds, on a thread of its own), never while it loops.
//
// Layout of the samples, in the order they are rendered:
//   [0, end)               the song from its start to its last event;
//   [end, bridgeEnd)       what follows when the song is restarted at position 16 at once:
//                          its last notes ringing out over the start of bar 2;
//   [bridgeEnd, ringEnd)   what follows when it is not: the last notes ringing out alone.
// After the bridge, playback goes on in the first pass at `resume`, where bar 2 has been
// playing as long; it is the same music, so the loop plays from memory for good.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace platform {

struct SongPcm {
  SongPcm(int64_t capacityFrames, int sampleRate);

  int Rate() const { return rate; }
  int64_t Capacity() const { return capacity; }
  const int16_t* Frame(int64_t f) const { return samples.get() + f * 2; }
  int16_t* MutableFrame(int64_t f) { return samples.get() + f * 2; }
  // Bytes the rendered samples hold now.
  int64_t Bytes() const { return ready.load(std::memory_order_relaxed) * 4; }

  const int rate;
  const int64_t capacity;
  // Interleaved stereo; only pages written are ever touched.
  std::unique_ptr<int16_t[]> samples;

  // Frames rendered so far: the player reads below this only.
  std::atomic<int64_t> ready{0};
  // Where the song reaches position 16 in the first pass; -1 until rendered, -2 when the
  // song ends before it (nothing to repeat).
  std::atomic<int64_t> loopStart{-1};
  // 0 while the first pass renders; 1 once `end` and `bridgeEnd` are known; 2 once the
  // bridge and `resume` are; 3 once the ring-out is; -1 when the song cannot be rendered.
  std::atomic<int> stage{0};
  int64_t end = 0;
  int64_t bridgeEnd = 0;
  int64_t resume = 0;
  int64_t ringEnd = 0;
};

// Frames over which one stretch of the song hands over to another (11.6 ms at 44.1 kHz).
constexpr int kHandOverFrames = 512;

// The song's playback on the audio thread. Commands mirror the song device's; Mix writes the
// next frames. A playback reports its end a little before its last note (kEndLeadMs), so that
// a restart asked for in that time follows on without a gap.
class PcmSongPlayer {
 public:
  static constexpr int kEndLeadMs = 150;

  void Load(std::shared_ptr<const SongPcm> song);
  void Unload();
  void Play(uint64_t epoch);                          // from the start
  void PlayFromLoop(uint64_t epoch);                  // from song position 16
  void PlayFromFrame(uint64_t epoch, int64_t frame);  // from a frame of the first pass
  void Stop();
  void Seek();  // to the start, stopping; a song that has already ended rings on

  // Writes `frames` interleaved stereo frames.
  void Mix(int16_t* stereo, int frames);
  // The epoch of the last playback that has ended (0 for none).
  uint64_t EndedEpoch() const { return endedEpoch_; }
  bool Sounding() const { return sounding_; }

 private:
  enum class Region { kFirst, kBridge, kRing };
  struct FadingOut {
    std::shared_ptr<const SongPcm> song;
    int64_t pos = 0;
    int left = 0, length = 0;
  };
  void StartAt(int64_t pos);
  void FadeOut(int64_t pos, int frames);
  void EndPlayback();
  // A playback that ends as soon as asked for (nothing to play from there).
  void EndAt(uint64_t epoch);
  bool Step(int32_t& l, int32_t& r);
  bool InEndWindow() const;
  int64_t FirstPassPosition() const;

  std::shared_ptr<const SongPcm> song_;
  bool sounding_ = false;
  Region region_ = Region::kFirst;
  bool restart_ = false;   // a restart was asked for before the end: the bridge follows
  bool waitLoop_ = false;  // restart asked before position 16 was rendered
  int64_t pos_ = 0;
  int64_t resumeAt_ = 0;  // where Play goes on from
  int fadeIn_ = 0;
  uint64_t activeEpoch_ = 0;
  uint64_t endedEpoch_ = 0;
  FadingOut fading_[4];
};

}  // namespace platform
