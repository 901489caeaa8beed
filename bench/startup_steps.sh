#!/usr/bin/env bash
# Times each step of the windowed game's start-up in real processes, from the launch to the
# first picture in the window (the title), and prints the medians as a Markdown table:
#
#   xvfb-run -a -s "-screen 0 1280x1024x24" bench/startup_steps.sh GAME [RUNS [OPTION...]]
#
# GAME is the quelmire executable (its data beside it); RUNS launches (default 7), each ended
# after 1.5 s; OPTIONs go to the game (e.g. --no-sound). The game writes its steps to standard
# error when QUELMIRE_STARTUP_TRACE is set; the launch is stamped here just before exec.
set -euo pipefail
game="$1" runs="${2:-7}"
shift $(($# < 2 ? $# : 2))
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
for i in $(seq "$runs"); do
  (
    echo "startup $(date +%s.%N) launch" >&2
    exec env QUELMIRE_STARTUP_TRACE=1 "$game" --windowed "$@" >/dev/null
  ) 2>"$out/$i.txt" &
  pid=$!
  sleep 1.5
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
done
python3 - "$out" "$runs" <<'EOF'
import statistics, sys
folder, runs = sys.argv[1], int(sys.argv[2])
steps, order = {}, []
for i in range(1, runs + 1):
    lines = [l.split(None, 2) for l in open(f"{folder}/{i}.txt") if l.startswith("startup ")]
    t0 = prev = float(lines[0][1])
    seen = set()
    for _, t, name in lines[1:]:
        name, t = name.strip(), float(t)
        if name in seen:
            continue
        seen.add(name)
        if name not in steps:
            steps[name] = []
            order.append(name)
        steps[name].append(((t - prev) * 1000, (t - t0) * 1000))
        prev = t
        if name == "first picture shown":
            break
print("| step | takes (median, min–max) | done after launch (median) |")
print("|---|---|---|")
for name in order:
    took = [a for a, _ in steps[name]]
    at = [b for _, b in steps[name]]
    print(f"| {name} | {statistics.median(took):.1f} ms ({min(took):.1f}–{max(took):.1f}) "
          f"| {statistics.median(at):.0f} ms |")
EOF
