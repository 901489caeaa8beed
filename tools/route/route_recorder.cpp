#include "route_recorder.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/surface.h"
#include "screens/tally.h"
#include "shell/form1.h"

namespace route {

namespace {

namespace vk = platform::vk;

// The save prompt appears after the new room fades up; choosing starts a moment later.
constexpr int64_t kPromptDelayMs = 1000;
// Every key closes a message; Down alone changes nothing in the tick that goes on after it.
constexpr int kCloseKey = vk::Down;
// A message is closed this many reads after it opened, and a key of a play tick changes this
// long before the tick reads it (when nothing reads the keys in between): a world change that
// moves later events by fewer milliseconds than these leaves the recorded script valid.
constexpr int kCloseAfterReads = 30;
constexpr int64_t kPlayLeadMs = 24;

std::string KeyName(int code) {
  switch (code) {
    case vk::Left:
      return "Left";
    case vk::Right:
      return "Right";
    case vk::Up:
      return "Up";
    case vk::Down:
      return "Down";
    case vk::Space:
      return "Space";
    case vk::Enter:
      return "Enter";
    case vk::Escape:
      return "Escape";
    default:
      break;
  }
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
    return std::string(1, static_cast<char>(code));
  }
  return std::to_string(code);
}

}  // namespace

Recorder::Recorder(std::vector<Directive> route, std::string routeFile)
    : route_(std::move(route)), routeFile_(std::move(routeFile)) {}

void Recorder::Attach(quelmire::Form1& form, platform::Platform& inner) {
  form_ = &form;
  inner_ = &inner;
}

// The script line that dumps the state now, with what the replay must measure there.
std::string Recorder::CheckpointLine() {
  return std::to_string(now_) + " state checkpoint-" + std::to_string(++checkpoints_) +
         ".json  # expect " + Measure(*form_);
}

void Recorder::Note(const std::string& line) {
  pending_.push_back(line);
}

void Recorder::Fail(const Directive& d, const std::string& what) const {
  throw RouteError{routeFile_ + ":" + std::to_string(d.line) + ": " + d.text + ": " + what +
                   " (at " + std::to_string(now_) + " ms: " + Measure(*form_) +
                   " offx=" + std::to_string(form_->Obj(0).OffX) +
                   " airtime=" + std::to_string(form_->AirTime) + ")"};
}

Recorder::Context Recorder::Classify() {
  if (timer_ == 2) return Context::Title;
  if (!form_->Timer1.Enabled) return Context::Warp;
  if (freshTick_) {
    freshTick_ = false;
    return Context::Play;
  }
  return Context::Message;
}

// One play read on stderr: where the route is, her state, and the things that can hurt her
// within 10 columns.
void Recorder::Trace(int64_t now) const {
  const auto& p = form_->Obj(0);
  std::cerr << now << " ms, line " << route_[std::min(next_, route_.size() - 1)].line << ": "
            << Measure(*form_) << " offx=" << p.OffX << " offy=" << p.OffY << " vx=" << p.VX
            << " vy=" << p.VY << " airtime=" << form_->AirTime;
  for (int i = 1; i <= 39; ++i) {
    const auto& t = form_->Obj(i);
    if (t.Kind >= 1 && t.Kind <= 8 && std::abs(t.X - p.X) <= 10 && std::abs(t.Y - p.Y) <= 8)
      std::cerr << " [" << i << ":k" << t.Kind << " " << t.X << "," << t.Y << "]";
  }
  std::cerr << "\n";
}

void Recorder::OnKeyboardRead(uint8_t keys[256]) {
  const int64_t now = inner_->NowUs() / 1000;
  // Keys change only between instants: every read at one time sees the same keys, as a
  // replayed script gives them.
  if (now != now_) {
    const int64_t previous = now_;
    now_ = now;
    int64_t changeAt = now;
    std::array<bool, 256> want{};
    const Context ctx = Classify();
    switch (ctx) {
      case Context::Title:
        // NEW GAME is the first entry; with a save in slot 1 the cursor starts on slot 1.
        if (!newGameChosen_ && next_ < route_.size() &&
            (route_[next_].op == Op::NewGame || route_[next_].op == Op::LoadGame)) {
          if (applied_[vk::Enter]) break;
          lines_.push_back("# " + std::to_string(route_[next_].line) + ": " + route_[next_].text);
          want[vk::Enter] = true;
          newGameChosen_ = true;
        } else if (newGameChosen_) {
          if (tallySeen_) {
            ++next_;  // the ending is over: so is the route
            break;
          }
          if (played_) Fail(route_[std::min(next_, route_.size() - 1)], "back on the title");
          CloseMessage(want);
        }
        break;
      case Context::Message:
        interrupted_ = true;
        // The tally: the ending's last screen (the room is gone and the music is off).
        if (next_ < route_.size() && route_[next_].op == Op::Ending && form_->RoomNo == -1 &&
            form_->MusicOn == quelmire::False && !tallySeen_) {
          tallySeen_ = true;
          lines_.push_back(CheckpointLine());
          lines_.push_back(
              std::to_string(now_) + " screenshot tally.png  # tally " +
              quelmire::ToUtf8(quelmire::NumberText(quelmire::CountTally(*form_).percent)));
        }
        CloseMessage(want);
        break;
      case Context::Warp:
        interrupted_ = true;
        SavePrompt(want);
        break;
      case Context::Play:
        played_ = true;
        warpStart_ = -1;
        upReads_ = 0;
        if (trace_) Trace(now);
        PlayStep(want);
        changeAt = std::max(now - kPlayLeadMs, previous + 1);
        break;
    }
    Apply(want, changeAt);
    lines_.insert(lines_.end(), pending_.begin(), pending_.end());
    pending_.clear();
  }
  for (int i = 0; i < 256; ++i) keys[i] = applied_[static_cast<size_t>(i)] ? 0x80 : 0;
}

void Recorder::Apply(const std::array<bool, 256>& want, int64_t atMs) {
  for (int k = 0; k < 256; ++k) {
    const size_t i = static_cast<size_t>(k);
    if (want[i] != applied_[i]) {
      lines_.push_back(std::to_string(atMs) + (want[i] ? " down " : " up ") + KeyName(k));
      applied_[i] = want[i];
    }
  }
}

void Recorder::CloseMessage(std::array<bool, 256>& want) {
  // Let go of everything, wait a few reads with every key up (the message's wait for the
  // keys of the last action to be released), then press once.
  if (applied_[kCloseKey]) {
    upReads_ = 0;
    return;
  }
  bool anyDown = false;
  for (bool b : applied_) anyDown |= b;
  upReads_ = anyDown ? 0 : upReads_ + 1;
  if (upReads_ >= kCloseAfterReads) want[kCloseKey] = true;
}

void Recorder::SavePrompt(std::array<bool, 256>& want) {
  if (warpStart_ < 0) {
    warpStart_ = now_;
    promptStep_ = 0;
    return;  // the tick that shows the new room: every key up
  }
  if (now_ < warpStart_ + kPromptDelayMs) return;
  // Down once per slot (down one read, up the next), then Enter on the slot or Left to leave.
  const int downs = saveSlot_;
  if (promptStep_ < 2 * downs) {
    want[vk::Down] = promptStep_ % 2 == 0;
  } else if (promptStep_ == 2 * downs) {
    want[saveSlot_ > 0 ? vk::Enter : vk::Left] = true;
  } else {
    CloseMessage(want);  // a failed save says so and waits for a key
  }
  ++promptStep_;
}

void Recorder::PlayStep(std::array<bool, 256>& want) {
  while (next_ < route_.size()) {
    const Directive& d = route_[next_];
    if (!st_.started) {
      st_ = {};
      st_.started = true;
      st_.startMs = now_;
      if (d.op != Op::NewGame && d.op != Op::LoadGame)
        lines_.push_back("# " + std::to_string(d.line) + ": " + d.text);
    }
    std::array<bool, 256> mine{};
    const bool done = Step(d, mine);
    interrupted_ = false;
    if (!done) {
      if (now_ - st_.startMs > d.withinMs) {
        Fail(d, "not done within " + std::to_string(d.withinMs) + " ms");
      }
      for (size_t i = 0; i < 256; ++i) want[i] = held_[i] || mine[i];
      return;
    }
    st_.started = false;
    ++next_;
  }
  want = held_;
}

bool Recorder::Step(const Directive& d, std::array<bool, 256>& want) {
  const quelmire::ObjRecord& p = form_->Obj(0);
  auto allHold = [&] {
    for (const Condition& c : d.until) {
      if (!Holds(*form_, c)) return false;
    }
    return true;
  };
  // A key pressed by a directive must have been up in the tick before, or the game sees no
  // new press.
  auto needsGap = [&](int key) {
    if (st_.count == 0 && !st_.gap && applied_[static_cast<size_t>(key)]) {
      st_.gap = true;
      return true;
    }
    return false;
  };
  switch (d.op) {
    case Op::NewGame:
    case Op::LoadGame:
      return true;
    case Op::Saves:
      saveSlot_ = d.number;
      return true;
    case Op::Down:
    case Op::Up:
      for (int k : d.keys) held_[static_cast<size_t>(k)] = d.op == Op::Down;
      return true;
    case Op::Checkpoint:
      for (const Condition& c : d.until) {
        if (!Holds(*form_, c)) Fail(d, c.text + " does not hold");
      }
      Note(CheckpointLine());
      return true;
    case Op::Screenshot:
      platform::WritePng(d.file, inner_->Primary(), inner_->DisplayPalette());
      return true;
    case Op::Ending:
      return false;  // done on the tally (OnKeyboardRead), which no play tick reaches
    case Op::Wait:
      if (!d.until.empty()) return allHold();
      return st_.count++ >= d.number;
    case Op::Press:
      if (needsGap(d.keys[0])) return false;
      // A press that opened a message or a door ends there: the player lets go to read, and
      // pressing again on the other side would be a fresh press.
      if (st_.count >= 1 && interrupted_) return true;
      if (st_.count++ >= d.number) return true;
      want[static_cast<size_t>(d.keys[0])] = true;
      return false;
    case Op::Jump: {
      const int key = d.keys[0];
      if (needsGap(key)) return false;
      // In the tick a jump starts, it sets her time in the air to 1 and her rise to 6..11.
      if (st_.count == 1 && (form_->AirTime != 1 || form_->JumpLen < 6)) {
        // A message in that tick (an item picked up) let go of every key: press again.
        if (!interrupted_) Fail(d, "the jump did not start");
        st_.count = 0;
      }
      if (!st_.released) {
        if (!d.until.empty()) {
          st_.released = allHold() || (d.number > 0 && st_.count >= d.number);
        } else if (d.number > 0) {
          st_.released = st_.count >= d.number;
        } else {
          st_.released = st_.count > 0 && (form_->AirTime > form_->JumpLen || p.VY >= 0);
        }
      }
      // A jump to a side holds that way until she lands.
      if (d.dir != 0) {
        if (st_.released && st_.count > 0 && form_->AirTime == 0) return true;
        want[d.dir < 0 ? vk::Left : vk::Right] = true;
      } else if (st_.released) {
        return true;
      }
      if (!st_.released) {
        ++st_.count;
        want[static_cast<size_t>(key)] = true;
      }
      return false;
    }
    case Op::WalkUntil:
      if (allHold()) return true;
      want[d.dir < 0 ? vk::Left : vk::Right] = true;
      return false;
    case Op::WalkTo: {
      const long pos = p.X * 32L + p.OffX, target = d.number * 32L;
      if (!st_.released) {
        // Let go now and friction takes one pixel a tick off her speed: she travels
        // v(v-1)/2 more. Aim 10 pixels short of the centre; a tick's gain is at most 17.
        const long v = p.VX * d.dir;
        const long stop = pos * d.dir + (v > 0 ? v * (v - 1) / 2 : 0);
        if (stop < target * d.dir - 10) {
          want[d.dir < 0 ? vk::Left : vk::Right] = true;
          return false;
        }
        st_.released = true;
      }
      if (form_->AirTime != 0 || p.VX != 0) return false;
      if (p.X != d.number) {
        Fail(d, "she stopped in column " + std::to_string(p.X) + " at offset " +
                    std::to_string(p.OffX));
      }
      return true;
    }
  }
  return true;
}

}  // namespace route
