#!/usr/bin/env bash
# A screenshot of the real game in a real window (SDL on an X server), for looking at what the
# player sees rather than what the headless game draws:
#
#   tools/window/shot.sh GAME_DIR OUT.png [SECONDS [KEY...]]
#
# Starts GAME_DIR/quelmire --windowed --no-sound on a virtual X screen (Xvfb), waits SECONDS
# (3), presses each KEY (xdotool names: Return, Down, space, ...) a second apart, waits one more
# second and writes the screen as a PNG. Saves are those of GAME_DIR. QUELMIRE_ARGS adds options
# to the game's command line (QUELMIRE_ARGS="--lang en").
set -euo pipefail
game="$1" out="$2" wait="${3:-3}"
shift $(($# < 3 ? $# : 3))
fb="$(mktemp -d)"
trap 'rm -rf "$fb"' EXIT
here="$(cd "$(dirname "$0")" && pwd)"
xvfb-run -a -s "-screen 0 1280x1024x24 -fbdir $fb" bash -c '
  "$0/quelmire" --windowed --no-sound ${QUELMIRE_ARGS:-} --data "$0" >/dev/null 2>&1 &
  game=$!
  sleep "$1"; shift
  for key in "$@"; do xdotool search --sync --class quelmire windowactivate --sync key "$key" 2>/dev/null || xdotool key "$key"; sleep 1; done
  sleep 1
  cp "'"$fb"'/Xvfb_screen0" "'"$fb"'/shot.xwd"
  kill "$game"
' "$game" "$wait" "$@"
python3 "$here/xwd2png.py" "$fb/shot.xwd" "$out"
