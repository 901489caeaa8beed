#!/usr/bin/env bash
# Installs the Debian packages Quelmire needs to build, run, test and rebuild its data.
# Runs apt-get as root, through sudo otherwise. Installs only what is missing.
set -euo pipefail
pkgs=(
  build-essential cmake pkg-config git
  libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev libfluidsynth-dev
  fonts-ipafont-gothic fluid-soundfont-gm timgm6mb-soundfont
  abcmidi python3 gettext
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
