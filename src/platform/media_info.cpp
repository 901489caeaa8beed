// WAV and MIDI headers: lengths of sound effects and of songs, read without playing them.
// Every read is bounds-checked against the bytes actually in the file.
#include "platform/media_info.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "platform/error.h"

namespace platform {

namespace {

bool ReadWhole(const std::string& path, std::vector<uint8_t>& out, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = "is a folder";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = std::string("cannot open (") + std::strerror(errno) + ")";
    return false;
  }
  std::ostringstream bytes;  // whole blocks at a time, not a character at a time
  bytes << in.rdbuf();
  const std::string text = std::move(bytes).str();
  out.assign(text.begin(), text.end());
  if (in.bad()) {
    error = "read error";
    return false;
  }
  return true;
}

uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}
uint16_t Be16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// WAV

WavInfo ReadWavInfo(const std::string& path) {
  auto fail = [&](const std::string& what) { return FatalError(path + ": " + what); };
  std::vector<uint8_t> b;
  std::string error;
  if (!ReadWhole(path, b, error)) throw fail(error);
  return ParseWavInfo(b, path);
}

WavInfo ParseWavInfo(const std::vector<uint8_t>& b, const std::string& path) {
  auto fail = [&](const std::string& what) { return FatalError(path + ": " + what); };
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
      std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
    throw fail("not a WAV file (no RIFF/WAVE header)");
  }

  WavInfo info;
  bool haveFmt = false, haveData = false;
  int format = 0;
  // The RIFF size is often wrong in the wild; walk the chunks to the end of the file.
  size_t at = 12;
  while (b.size() - at >= 8) {
    const uint8_t* id = b.data() + at;
    const uint32_t len = Le32(id + 4);
    const size_t body = at + 8;
    if (len > b.size() - body) {
      throw fail("truncated \"" + std::string(reinterpret_cast<const char*>(id), 4) + "\" chunk (" +
                 std::to_string(len) + " bytes declared, " + std::to_string(b.size() - body) +
                 " present)");
    }
    if (std::memcmp(id, "fmt ", 4) == 0 && !haveFmt) {
      if (len < 16) throw fail("fmt chunk too short (" + std::to_string(len) + " bytes)");
      const uint8_t* f = b.data() + body;
      format = Le16(f);
      // WAVE_FORMAT_EXTENSIBLE carries the real format in the first bytes of its sub-format.
      if (format == 0xFFFE && len >= 40) format = Le16(f + 24);
      info.channels = Le16(f + 2);
      info.sampleRate = static_cast<int>(std::min<uint32_t>(Le32(f + 4), 0x7FFFFFFF));
      info.bitsPerSample = Le16(f + 14);
      haveFmt = true;
    } else if (std::memcmp(id, "data", 4) == 0 && !haveData) {
      info.dataBytes = len;
      haveData = true;
    }
    at = body + len + (len & 1);  // chunks are padded to even lengths
    if (at > b.size()) break;     // a missing pad byte at the very end is harmless
  }

  if (!haveFmt) throw fail("no fmt chunk");
  if (format != 1) throw fail("not PCM (format " + std::to_string(format) + ")");
  if (info.bitsPerSample != 8 && info.bitsPerSample != 16) {
    throw fail(std::to_string(info.bitsPerSample) + "-bit samples; 8 or 16 expected");
  }
  if (info.channels < 1 || info.channels > 8) {
    throw fail("bad channel count " + std::to_string(info.channels));
  }
  if (info.sampleRate < 1) throw fail("bad sample rate " + std::to_string(info.sampleRate));
  if (!haveData) throw fail("no data chunk");
  const double bytesPerSecond =
      static_cast<double>(info.sampleRate) * info.channels * (info.bitsPerSample / 8);
  info.seconds = info.dataBytes / bytesPerSecond;
  return info;
}

// ---------------------------------------------------------------------------------------------
// MIDI

double MidiInfo::SecondsAt(uint32_t tick) const {
  if (division <= 0) return 0;
  double us = 0;
  uint32_t from = 0, tempo = 500000;  // the default tempo, 120 quarter notes per minute
  for (const auto& [t, uspq] : tempos) {
    if (t >= tick) break;
    us += static_cast<double>(t - from) * tempo;
    from = t;
    tempo = uspq;
  }
  if (tick > from) us += static_cast<double>(tick - from) * tempo;
  return us / division / 1e6;
}

uint32_t MidiInfo::SongPositionTick(int sixteenths) const {
  if (sixteenths <= 0 || division <= 0) return 0;
  const uint64_t t = static_cast<uint64_t>(sixteenths) * static_cast<uint64_t>(division) / 4;
  return static_cast<uint32_t>(std::min<uint64_t>(t, std::numeric_limits<uint32_t>::max()));
}

namespace {

class MidiParser {
 public:
  explicit MidiParser(const std::vector<uint8_t>& b) : b_(b) {}

  bool Parse(MidiInfo& out, std::string& error) {
    if (b_.size() < 14 || std::memcmp(b_.data(), "MThd", 4) != 0) {
      error = "not a MIDI file (no MThd header)";
      return false;
    }
    const uint32_t headerLen = Be32(&b_[4]);
    if (headerLen < 6 || headerLen > b_.size() - 8) {
      error = "bad MThd length " + std::to_string(headerLen);
      return false;
    }
    const int format = Be16(&b_[8]);
    const int tracks = Be16(&b_[10]);
    const uint16_t division = Be16(&b_[12]);
    if (format > 1) {
      error = "MIDI format " + std::to_string(format) + " (only 0 and 1 are played)";
      return false;
    }
    if (tracks == 0) {
      error = "no tracks";
      return false;
    }
    if (division & 0x8000) {
      error = "SMPTE time division (only ticks per quarter note are played)";
      return false;
    }
    if (division == 0) {
      error = "time division 0";
      return false;
    }

    size_t at = 8 + size_t{headerLen};
    int found = 0;
    uint64_t last = 0;
    while (found < tracks) {
      if (b_.size() - at < 8) {
        error = "truncated: " + std::to_string(found) + " of " + std::to_string(tracks) +
                " tracks present";
        return false;
      }
      const uint32_t len = Be32(&b_[at + 4]);
      const size_t body = at + 8;
      const bool isTrack = std::memcmp(&b_[at], "MTrk", 4) == 0;
      if (len > b_.size() - body) {
        error = isTrack ? "track " + std::to_string(found + 1) + " truncated"
                        : "truncated chunk after track " + std::to_string(found);
        return false;
      }
      if (isTrack) {
        ++found;
        uint64_t trackLast = 0;
        if (!ParseTrack(body, body + len, found, trackLast, error)) return false;
        last = std::max(last, trackLast);
      }
      at = body + len;
    }

    // Tempo changes by tick; at one tick the one read last wins.
    std::stable_sort(tempos_.begin(), tempos_.end(),
                     [](const auto& a, const auto& c) { return a.first < c.first; });
    out = MidiInfo{};
    out.division = division;
    out.lastTick = static_cast<uint32_t>(last);
    out.tempos.emplace_back(0, 500000);
    for (const auto& t : tempos_) {
      if (t.first == out.tempos.back().first) {
        out.tempos.back().second = t.second;
      } else {
        out.tempos.push_back(t);
      }
    }
    return true;
  }

 private:
  // Reads a variable-length quantity (at most four bytes).
  bool Vlq(size_t& pos, size_t end, uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
      if (pos >= end) return false;
      const uint8_t c = b_[pos++];
      value = value << 7 | (c & 0x7F);
      if (!(c & 0x80)) return true;
    }
    return false;
  }

  bool ParseTrack(size_t pos, size_t end, int number, uint64_t& last, std::string& error) {
    auto bad = [&](const std::string& what, size_t where) {
      error = "track " + std::to_string(number) + ": " + what + " at byte " + std::to_string(where);
      return false;
    };
    uint64_t tick = 0;
    uint8_t running = 0;
    while (pos < end) {
      const size_t eventAt = pos;
      uint32_t delta = 0;
      if (!Vlq(pos, end, delta)) return bad("bad or truncated delta time", eventAt);
      tick += delta;
      if (tick > std::numeric_limits<uint32_t>::max()) return bad("song too long", eventAt);
      if (pos >= end) return bad("truncated event", eventAt);
      uint8_t status = b_[pos];
      if (status < 0x80) {
        // Running status (kept across meta and sysex events, as lenient players do).
        if (running == 0) return bad("data byte without a status", pos);
        status = running;
      } else {
        ++pos;
      }

      if (status < 0xF0) {
        running = status;
        const int type = status & 0xF0;
        const size_t n = (type == 0xC0 || type == 0xD0) ? 1 : 2;
        if (end - pos < n) return bad("truncated event", eventAt);
        for (size_t i = 0; i < n; ++i) {
          if (b_[pos + i] & 0x80) return bad("status byte inside a channel event", pos + i);
        }
        pos += n;
      } else if (status == 0xFF) {
        if (pos >= end) return bad("truncated meta event", eventAt);
        const uint8_t type = b_[pos++];
        uint32_t len = 0;
        if (!Vlq(pos, end, len) || len > end - pos) return bad("truncated meta event", eventAt);
        if (type == 0x51) {
          if (len != 3) return bad("tempo event of " + std::to_string(len) + " bytes", eventAt);
          const uint32_t uspq =
              uint32_t{b_[pos]} << 16 | uint32_t{b_[pos + 1]} << 8 | uint32_t{b_[pos + 2]};
          if (uspq == 0) return bad("tempo 0", eventAt);
          tempos_.emplace_back(static_cast<uint32_t>(tick), uspq);
        }
        pos += len;
        last = tick;
        if (type == 0x2F) return true;  // end of track: anything after it is not played
        continue;
      } else if (status == 0xF0 || status == 0xF7) {
        uint32_t len = 0;
        if (!Vlq(pos, end, len) || len > end - pos) return bad("truncated sysex event", eventAt);
        pos += len;
      } else {
        return bad("unexpected status byte " + std::to_string(status), eventAt);
      }
      last = tick;
    }
    return true;
  }

  const std::vector<uint8_t>& b_;
  std::vector<std::pair<uint32_t, uint32_t>> tempos_;
};

}  // namespace

bool ParseMidiInfo(const std::vector<uint8_t>& bytes, MidiInfo& out) {
  std::string what;
  return MidiParser(bytes).Parse(out, what);
}

bool ReadMidiInfo(const std::string& path, MidiInfo& out, std::string* error) {
  std::vector<uint8_t> bytes;
  std::string what;
  bool ok = ReadWhole(path, bytes, what);
  if (ok) ok = MidiParser(bytes).Parse(out, what);
  if (!ok && error) *error = path + ": " + what;
  return ok;
}

}  // namespace platform
