#!/usr/bin/env bash
# The whole process's CPU time at the title and in play, in a real window:
#
#   xvfb-run -a -s "-screen 0 1280x1024x24" env SDL_AUDIODRIVER=dummy \
#     bench/cpu_title_play.sh GAME [SECONDS]
#
# Starts GAME --windowed (its data beside it), lets it settle for 10 s, then reads utime +
# stime of the process from /proc over SECONDS (default 60) at the title; then starts a new
# game with the keys (xdotool), waits 10 s and reads them over SECONDS in the first room. Prints
# each as a percentage of one core, with the process's resident memory at the end of each.
# SDL's dummy audio driver consumes the samples at the real rate, as a sound card would.
set -euo pipefail
game="$1" seconds="${2:-60}"
"$game" --windowed >/dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
rss() { awk '/VmRSS/ {print $2 / 1024 " MB"}' "/proc/$pid/status"; }
measure() {
  local a b
  a=$(cpu)
  sleep "$seconds"
  b=$(cpu)
  echo "$1: $(awk -v a="$a" -v b="$b" -v t="$ticks" -v s="$seconds" \
    'BEGIN {printf "%.2f %% of a core", (b - a) / t / s * 100}'), resident $(rss)"
}
sleep 10
measure "title, ${seconds} s"
win=$(xdotool search --sync --class quelmire | head -1)
xdotool windowfocus "$win" 2>/dev/null || true
# NEW GAME (held through the intro's first page), then the intro's pages.
xdotool keydown Return
sleep 1.6
xdotool keyup Return
for _ in 1 2 3; do
  sleep 0.2
  xdotool key Down
done
sleep 10
measure "play, ${seconds} s"
