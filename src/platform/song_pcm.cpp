// Playing a rendered song: one read position in its samples, and a few stretches fading out
// where playback has moved on, so that a jump or a stop never clicks.
#include "platform/song_pcm.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {

// Frames before the end at which a playback reports it.
int64_t EndLead(const SongPcm& s) {
  return int64_t{s.Rate()} * PcmSongPlayer::kEndLeadMs / 1000;
}

}  // namespace

SongPcm::SongPcm(int64_t capacityFrames, int sampleRate)
    : rate(sampleRate),
      capacity(std::max<int64_t>(capacityFrames, 0)),
      samples(new int16_t[static_cast<size_t>(capacity) * 2 + 2]) {}

void PcmSongPlayer::Load(std::shared_ptr<const SongPcm> song) {
  Stop();
  song_ = std::move(song);
  resumeAt_ = 0;
}

void PcmSongPlayer::Unload() {
  Stop();
  song_.reset();
  resumeAt_ = 0;
}

void PcmSongPlayer::EndPlayback() {
  sounding_ = restart_ = waitLoop_ = false;
  endedEpoch_ = activeEpoch_;
}

void PcmSongPlayer::EndAt(uint64_t epoch) {
  // What still rings goes on.
  endedEpoch_ = epoch;
  restart_ = waitLoop_ = false;
}

int64_t PcmSongPlayer::FirstPassPosition() const {
  if (!song_) return 0;
  switch (region_) {
    case Region::kFirst:
      return pos_;
    case Region::kBridge:
      // The same music as the first pass that far after position 16.
      return std::max<int64_t>(0, song_->resume - (song_->bridgeEnd - pos_));
    case Region::kRing:
      break;
  }
  return song_->end;
}

void PcmSongPlayer::FadeOut(int64_t pos, int frames) {
  FadingOut* slot = &fading_[0];
  for (FadingOut& f : fading_) {
    if (f.left < slot->left) slot = &f;
  }
  *slot = FadingOut{song_, pos, frames, frames};
}

void PcmSongPlayer::StartAt(int64_t pos) {
  if (sounding_) FadeOut(pos_, kHandOverFrames);
  // A song started from its beginning in silence starts as it was rendered.
  fadeIn_ = sounding_ || pos != 0 ? kHandOverFrames : 0;
  pos_ = pos;
  sounding_ = true;
  restart_ = waitLoop_ = false;
}

void PcmSongPlayer::Play(uint64_t epoch) {
  const bool ended = endedEpoch_ == activeEpoch_;
  activeEpoch_ = epoch;
  const int stage = song_ ? song_->stage.load(std::memory_order_acquire) : -1;
  if (stage < 0 || (sounding_ && ended) || (stage >= 1 && resumeAt_ >= song_->end)) {
    // Nothing to play, or already at its end: what still rings goes on.
    EndAt(epoch);
    return;
  }
  if (sounding_) return;  // playing already: it plays on
  StartAt(resumeAt_);
  region_ = Region::kFirst;
}

void PcmSongPlayer::PlayFromLoop(uint64_t epoch) {
  activeEpoch_ = epoch;
  const int stage = song_ ? song_->stage.load(std::memory_order_acquire) : -1;
  const int64_t loop = song_ ? song_->loopStart.load(std::memory_order_acquire) : -2;
  if (stage < 0 || loop == -2) {
    // Nothing after position 16: the restart ends at once; what still rings goes on.
    EndAt(epoch);
    return;
  }
  const SongPcm& s = *song_;
  if (sounding_ && region_ == Region::kFirst && stage >= 1 && pos_ >= s.end - EndLead(s)) {
    restart_ = true;  // before the end: the bridge follows the last bar without a gap
    return;
  }
  if (sounding_ && region_ == Region::kRing) {
    StartAt(s.end);  // late: what rings hands over to the bridge, which rings the same notes
    region_ = Region::kBridge;
    return;
  }
  region_ = Region::kFirst;
  if (loop < 0) {
    // Position 16 is not rendered yet (the song has only just been opened).
    if (sounding_) FadeOut(pos_, kHandOverFrames);
    sounding_ = waitLoop_ = true;
    restart_ = false;
    return;
  }
  StartAt(loop);
}

void PcmSongPlayer::PlayFromFrame(uint64_t epoch, int64_t frame) {
  activeEpoch_ = epoch;
  const int stage = song_ ? song_->stage.load(std::memory_order_acquire) : -1;
  if (stage < 0 || frame < 0 || (stage >= 1 && frame >= song_->end)) {
    EndAt(epoch);  // past the end plays nothing
    return;
  }
  StartAt(frame);
  region_ = Region::kFirst;
}

void PcmSongPlayer::Stop() {
  if (sounding_ && song_) {
    FadeOut(pos_, song_->Rate() / 20);
    resumeAt_ = endedEpoch_ == activeEpoch_ ? song_->end : FirstPassPosition();
  }
  EndPlayback();
}

void PcmSongPlayer::Seek() {
  // The game restarts an ended song with a seek and a play from 16: the seek must not cut
  // the last notes that still ring, nor the bar before the end it was told of early.
  if (!(sounding_ && endedEpoch_ == activeEpoch_)) Stop();
  resumeAt_ = 0;
}

bool PcmSongPlayer::InEndWindow() const {
  if (region_ == Region::kRing) return true;
  if (region_ != Region::kFirst || restart_ || waitLoop_) return false;
  const SongPcm& s = *song_;
  if (s.stage.load(std::memory_order_acquire) < 1) return false;
  return pos_ >= s.end - EndLead(s);
}

bool PcmSongPlayer::Step(int32_t& l, int32_t& r) {
  const SongPcm& s = *song_;
  const int stage = s.stage.load(std::memory_order_acquire);
  if (stage < 0) {
    EndPlayback();
    return false;
  }
  if (waitLoop_) {
    const int64_t at = s.loopStart.load(std::memory_order_acquire);
    if (at == -1) return false;
    waitLoop_ = false;
    if (at < 0) {
      EndPlayback();
      return false;
    }
    pos_ = at;
    fadeIn_ = kHandOverFrames;
  }
  // Returning false without moving waits for the renderer, which is far ahead but for
  // the first moments of a song.
  switch (region_) {
    case Region::kFirst:
      if (stage < 1) break;
      if (pos_ >= s.end - kHandOverFrames && !restart_) {
        if (stage < 3) return false;
        // Not restarted: the last notes ring out alone. The ring-out's first frames are the
        // end of the song again, so the hand-over is between two takes of the same music.
        FadeOut(pos_, kHandOverFrames);
        pos_ = s.bridgeEnd + kHandOverFrames - (s.end - pos_);
        fadeIn_ = kHandOverFrames;
        region_ = Region::kRing;
      } else if (pos_ >= s.end) {
        restart_ = false;
        region_ = Region::kBridge;
      }
      break;
    case Region::kBridge:
      if (pos_ >= s.bridgeEnd - kHandOverFrames) {
        if (stage < 2) return false;
        FadeOut(pos_, kHandOverFrames);
        pos_ = s.resume - (s.bridgeEnd - pos_);
        fadeIn_ = kHandOverFrames;
        region_ = Region::kFirst;
      }
      break;
    case Region::kRing:
      if (stage >= 3 && pos_ >= s.ringEnd) {
        resumeAt_ = s.end;
        EndPlayback();
        return false;
      }
      break;
  }
  if (pos_ >= s.ready.load(std::memory_order_acquire)) return false;
  const int16_t* f = s.Frame(pos_++);
  if (fadeIn_ > 0) {
    const int32_t g = kHandOverFrames - fadeIn_--;
    l += f[0] * g / kHandOverFrames;
    r += f[1] * g / kHandOverFrames;
  } else {
    l += f[0];
    r += f[1];
  }
  return true;
}

void PcmSongPlayer::Mix(int16_t* stereo, int frames) {
  for (int i = 0; i < frames; ++i) {
    int32_t l = 0, r = 0;
    if (sounding_ && song_) Step(l, r);
    for (FadingOut& f : fading_) {
      if (f.left <= 0) continue;
      if (f.pos >= f.song->ready.load(std::memory_order_acquire)) {
        f.left = 0;
        continue;
      }
      const int16_t* s = f.song->Frame(f.pos++);
      l += s[0] * f.left / f.length;
      r += s[1] * f.left / f.length;
      if (--f.left == 0) f.song.reset();
    }
    stereo[2 * i] = static_cast<int16_t>(std::clamp<int32_t>(l, -32768, 32767));
    stereo[2 * i + 1] = static_cast<int16_t>(std::clamp<int32_t>(r, -32768, 32767));
  }
  if (sounding_ && song_ && endedEpoch_ != activeEpoch_ && InEndWindow()) {
    endedEpoch_ = activeEpoch_;
  }
}

}  // namespace platform
