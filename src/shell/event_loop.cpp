// The window's event loop: the title timer (10 ms) and the play timer (48 ms) fire on
// absolute deadlines, one handler at a time. A handler that overran is followed by one tick
// at once, then the rhythm resumes on the original grid; missed ticks are not made up.
#include "shell/form1.h"

namespace quelmire {

namespace {

struct Schedule {
  bool wasEnabled = false;
  bool catchUp = false;  // the last run overran: this run is the one late tick
  int64_t due = 0;
  int64_t anchor = 0;  // the grid the deadlines lie on
};

}  // namespace

void Form1::Run() {
  Form_Load();
  RunTimers();
}

void Form1::RunTimers() {
  Timer* timers[2] = {&Timer1, &Timer2};
  Schedule sched[2];

  // A timer switched on starts its interval from now.
  auto sync = [&] {
    int64_t now = platform_.NowUs();
    for (int i = 0; i < 2; ++i) {
      if (timers[i]->Enabled && !sched[i].wasEnabled) {
        sched[i].due = sched[i].anchor = now + timers[i]->Interval * 1000LL;
        sched[i].catchUp = false;
      }
      sched[i].wasEnabled = timers[i]->Enabled;
    }
  };
  sync();

  for (;;) {
    int next = -1;
    for (int i = 0; i < 2; ++i) {
      if (timers[i]->Enabled && (next < 0 || sched[i].due < sched[next].due)) next = i;
    }
    if (next < 0) {
      // No timer runs (never after start-up); idle without spinning.
      platform_.WaitUntil(platform_.NowUs() + 10000);
      if (platform_.CloseRequested()) QuitGame();
      sync();
      continue;
    }

    platform_.WaitUntil(sched[next].due);
    if (platform_.CloseRequested()) QuitGame();

    Schedule& s = sched[next];
    const int64_t interval = timers[next]->Interval * 1000LL;
    const bool wasCatchUp = s.catchUp;
    if (OnTimerFired) OnTimerFired(next == 0 ? 1 : 2, s.due, platform_.NowUs());
    if (next == 0) {
      Timer1_Timer();
    } else {
      Timer2_Timer();
    }

    const int64_t now = platform_.NowUs();
    if (wasCatchUp) {
      // Back on the grid: the first deadline after now.
      s.due = s.anchor + ((now - s.anchor) / interval + 1) * interval;
      s.catchUp = false;
    } else if (s.due + interval <= now) {
      s.due = now;  // overran: one tick at once
      s.catchUp = true;
    } else {
      s.due += interval;
    }
    sync();
  }
}

}  // namespace quelmire
