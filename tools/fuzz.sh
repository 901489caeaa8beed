#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan) and runs each for SECONDS (default
# 60), two at a time, at the lowest priority. Corpora start from data/, the test inputs and
# fuzz/regressions/ and grow in build-fuzz/corpus/; a finding is kept in build-fuzz/findings/
# and fails the run.
#   tools/fuzz.sh [SECONDS] [TARGET...]
# With QUELMIRE_FUZZ_KEEP_GOING=1 a run goes on past findings (long runs that collect them all);
# QUELMIRE_FUZZ_NICE sets the priority (default 19, the lowest).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
all=(maze room script save input_script bmp wav)
targets=("${all[@]}")
[ $# -gt 0 ] && targets=("$@")
build=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQUELMIRE_FUZZ=ON -DQUELMIRE_TESTS=OFF -DQUELMIRE_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

# Seeds: the bundled files, the scripts the rooms carry, the test inputs, earlier findings.
seed() {
  local t="$1" dir="$build/seeds/$t"
  rm -rf "$dir"
  mkdir -p "$dir"
  case "$t" in
    maze) cp data/map/maz*.map "$dir"/ ;;
    room) cp data/map/room*.rdt "$dir"/ ;;
    script)
      python3 - "$dir" data/map/room*.rdt <<'PY'
import re, sys
out = sys.argv[1]
for path in sys.argv[2:]:
    for i, m in enumerate(re.finditer(r'^(?:ev,[^,]*,[^,]*|in),"(.*)"\s*$', open(path, encoding='utf-8').read(), re.M)):
        open(f"{out}/{path.rsplit('/', 1)[1]}-{i}.txt", 'w', encoding='utf-8').write(m.group(1))
PY
      ;;
    input_script) cp tests/smoke/*.txt "$dir"/ 2>/dev/null || true ;;
    bmp) cp data/bitmap/icon.bmp "$dir"/ ;;
    wav) cp data/wave/*.wav "$dir"/ ;;
  esac
  [ -d "fuzz/seeds/$t" ] && cp fuzz/seeds/"$t"/* "$dir"/ 2>/dev/null || true
  [ -d "fuzz/regressions/$t" ] && cp fuzz/regressions/"$t"/* "$dir"/ 2>/dev/null || true
}

run() {
  local t="$1" corpus="$build/corpus/$1"
  mkdir -p "$corpus" "$build/findings" "$build/logs"
  seed "$t"
  local more=()
  [ "${QUELMIRE_FUZZ_KEEP_GOING:-0}" = 1 ] &&
    more=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
  nice -n "${QUELMIRE_FUZZ_NICE:-19}" "$build/fuzz_$t" "${more[@]}" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 \
    -print_final_stats=1 -dict="fuzz/dict/$t.dict" -artifact_prefix="$build/findings/$t-" \
    "$corpus" "$build/seeds/$t" >"$build/logs/$t.log" 2>&1
}

failed=()
pids=()
names=()
for t in "${targets[@]}"; do
  run "$t" &
  pids+=($!)
  names+=("$t")
  if [ ${#pids[@]} -eq 2 ]; then
    wait "${pids[0]}" || failed+=("${names[0]}")
    pids=("${pids[1]}")
    names=("${names[1]}")
  fi
done
for i in "${!pids[@]}"; do wait "${pids[$i]}" || failed+=("${names[$i]}"); done

for t in "${targets[@]}"; do
  echo "$t: $(grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::average_exec_per_sec)' \
    "$build/logs/$t.log" | tr '\n' ' ')"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz findings in: ${failed[*]} (logs in $build/logs, inputs in $build/findings)" >&2
  for t in "${failed[@]}"; do tail -n 40 "$build/logs/$t.log" >&2; done
  exit 1
fi
