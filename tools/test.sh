#!/usr/bin/env bash
# Installs what is missing, builds Quelmire with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQUELMIRE_SANITIZE=ON
cmake --build build-test -j"$(nproc)"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
ctest --test-dir build-test --output-on-failure -j"$(nproc)"
