#!/usr/bin/env bash
# Installs the Debian packages the game, its data kit and its tests need,
# when any of them is missing. Safe to run again. Clang and its libFuzzer
# build the fuzz preset, whose harnesses the test suite fuzzes a few seconds
# each. Xvfb (with xauth for xvfb-run) is for tools/demo-road.py --xvfb,
# which takes the README's pictures in a virtual X server.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config python3 libsdl2-dev libgl-dev libgl1-mesa-dri libegl-mesa0
          libgtest-dev libgmock-dev libbenchmark-dev espeak-ng xvfb xauth clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "install-deps: these packages are missing: ${missing[*]}" >&2
      echo "install-deps: run this script as root (there is no sudo here)" >&2
      exit 1
    fi
    sudo="sudo"
  fi
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
