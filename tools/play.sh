#!/usr/bin/env bash
# Installs what is missing, builds Quelmire and starts it. Arguments go to the game.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
exec ./build/quelmire "$@"
