#!/usr/bin/env bash
# Installs the Debian 12 packages Tessuri needs, only those that are missing.
#   scripts/deps.sh run    what building and running the clock needs
#   scripts/deps.sh test   that, plus what the tests need (Xvfb, openbox, ...)
#   scripts/deps.sh proof  that, plus the fuzzers, sanitizer runtimes and the formatter
set -euo pipefail

build=(build-essential cmake ninja-build pkg-config
       qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libsdl2-dev
       espeak-ng sox librsvg2-bin fonts-noto-cjk fonts-dejavu-core)
test=(libgtest-dev libgmock-dev googletest libbenchmark-dev libx11-dev
      xvfb openbox xdotool x11-apps x11-utils faketime
      pulseaudio pulseaudio-utils imagemagick
      desktop-file-utils)           # checks the installed menu entries
proof=(clang-14 libclang-rt-14-dev  # the fuzz targets (libFuzzer) and the sanitizer runtimes
       clang-format)                # scripts/check-format.sh

case "${1:-run}" in
  run) wanted=("${build[@]}") ;;
  test) wanted=("${build[@]}" "${test[@]}") ;;
  proof) wanted=("${build[@]}" "${test[@]}" "${proof[@]}") ;;
  *) echo "usage: $0 run|test|proof" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
