#!/usr/bin/env bash
# Installs what is missing, builds the player's configuration, starts it headless and surveys every
# room of the world with it, then builds Quelmire with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test, then runs every fuzz target for a minute.
# Warnings are errors in both builds here, never in a player's.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs="$(nproc)"

# 1. Exactly what tools/play.sh builds, with warnings as errors, and a short headless game on it.
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DQUELMIRE_TESTS=OFF -DQUELMIRE_BENCH=OFF \
  -DQUELMIRE_WERROR=ON
cmake --build build-release -j"$jobs"
smoke="$(mktemp -d)"
(cd "$smoke" && "$OLDPWD/build-release/quelmire" --headless --input "$OLDPWD/tests/smoke/release.txt")
python3 - "$smoke/smoke-state.json" <<'PY'
import json, sys
s = json.load(open(sys.argv[1]))
if not (s["Timer1"] and s["RoomNo"] == 1):
    sys.exit(f"smoke run: expected play in room 1, got RoomNo={s['RoomNo']} Timer1={s['Timer1']}")
print(f"smoke run: playing in room 1 at cell {s['Obj'][0]['X']},{s['Obj'][0]['Y']}")
PY
rm -rf "$smoke"

# 2. The room survey on that build: no trap, lost item, unsafe arrival or main-path move under the
# bar anywhere in the bundled world, a span of rooms at a time (docs/WORLD.md, "The room survey").
cmake --build build-release -j"$jobs" --target quelmire_survey
bash tools/survey/spans.sh build-release

# 3. The sanitizer build and every test.
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQUELMIRE_SANITIZE=ON -DQUELMIRE_WERROR=ON
cmake --build build-test -j"$jobs"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
ctest --test-dir build-test --output-on-failure -j"$jobs"

# 4. Every fuzz target for 60 s, two at a time (about four minutes after the build).
bash tools/fuzz.sh 60
