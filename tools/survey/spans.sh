#!/usr/bin/env bash
# Surveys the whole bundled world a span of rooms at a time:
#
#   tools/survey/spans.sh BUILD_DIR [SURVEY_ARGS...]
#
# (SURVEY_ARGS go to every survey: --table prints each span's main-path moves.)
#
# The first span is played from a new game; each later one from the save the routes make
# where she first walks into it (the recorded route is replayed up to that checkpoint, with
# slot 1 as the route's own save). A warp out of a span counts as a way out, so each span is
# explored in every state its own rooms make, without the states of every room before it
# (docs/WORLD.md, "The room survey"). Exit 1 when any span has a finding.
set -euo pipefail
cd "$(dirname "$0")/../.."
build="$1"
shift
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# span: FIRST-LAST, then the route, its starting save and the room whose first checkpoint
# starts the span (nothing for a new game).
spans=(
  "1-18"
  "19-23 act2 act1-end 19"
  "24-29 act2 act1-end 24"
  "30-34 act3 act2-end 30"
  "35-40 act3 act2-end 35"
)

status=0
for span in "${spans[@]}"; do
  read -r within route save room <<<"$span"
  args=(--within "$within")
  if [ -n "${route:-}" ]; then
    script="tests/routes/$route.txt"
    line="$(grep -n "# expect room=$room " "$script" | head -1 | cut -d: -f1)"
    if [ -z "$line" ]; then
      echo "spans.sh: $script never reaches room $room" >&2
      exit 1
    fi
    game="$scratch/$within"
    mkdir -p "$game"
    cp -r "$build/bitmap" "$build/wave" "$build/midi" "$build/map" "$game/"
    cp "tests/routes/$save.sav" "$game/savedata1.sav"
    head -n "$line" "$script" >"$game/input.txt"
    echo "$(($(sed -n "${line}p" "$script" | cut -d' ' -f1) + 1)) quit" >>"$game/input.txt"
    (cd "$game" && "$OLDPWD/$build/quelmire" --headless --data . --input input.txt >/dev/null)
    args+=(--from "$game/savedata1.sav")
  fi
  echo "rooms $within:"
  "$build/quelmire_survey" "${args[@]}" "$@" || status=1
done
exit "$status"
