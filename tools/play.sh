#!/usr/bin/env bash
# Installs what is missing, builds Quelmire and starts it. Arguments go to the game.
# With no display to open a window on, it builds and says how to start the game instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
# The player's build: optimised, no tests or benchmarks, warnings never stop it.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUELMIRE_TESTS=OFF -DQUELMIRE_BENCH=OFF
cmake --build build -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Quelmire is built in build/, but there is no display here (DISPLAY and WAYLAND_DISPLAY"
  echo "are unset). Start ./build/quelmire from a desktop session, or run it without a window:"
  echo "  ./build/quelmire --headless --input SCRIPT   (docs/HEADLESS.md)"
  exit 0
fi
exec ./build/quelmire "$@"
