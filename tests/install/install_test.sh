#!/usr/bin/env bash
# scripts/install.sh and scripts/uninstall.sh in a scratch home, installing
# what the build already made (nothing is built here).
#
#   install_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail

src=$1
build=$2
dist=$build/dist
if [[ ! -x $dist/tessuri || ! -f $dist/wav/.defaults.sha256 ]]; then
  echo "build the tessuri and voicepack targets of $build first" >&2
  exit 1
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# run CMD...: runs a script, its output in $out; a failure is reported.
run() {
  out=$("$@" 2>&1)
  local rc=$?
  ((rc == 0)) || { printf '%s\n' "$out"; fail "$* exited with $rc"; }
}
expect_file() { [[ -f $1 ]] || fail "missing: $1"; }
expect_same() { cmp -s -- "$1" "$2" || fail "$1 differs from $2"; }
expect_said() { grep -qF -- "$1" <<<"$out" || fail "the output does not say: $1"; }
# The files left under the folders given, but for the menu's own cache.
files_under() { find "$@" -type f ! -name mimeinfo.cache 2>/dev/null | sort; }

check_entry() {  # check_entry FILE EXEC-LINE
  expect_file "$1"
  local line
  for line in "$2" Icon=tessuri StartupWMClass=tessuri Categories=Utility\;Clock\;; do
    grep -qxF -- "$line" "$1" || fail "$1 lacks the line $line"
  done
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$1" || fail "desktop-file-validate rejects $1"
  fi
}

check_installed() {  # check_installed PREFIX DATA_HOME
  local prefix=$1 data=$2 name size
  for name in tessuri tessuri.png tessuri.desktop .install-record; do
    expect_file "$prefix/$name"
  done
  [[ -x $prefix/tessuri ]] || fail "$prefix/tessuri is not executable"
  # Libraries come from the system's folders only, never from the folder
  # the program was started in or one beside it.
  if readelf -d "$prefix/tessuri" | grep -qE 'R(UN)?PATH'; then fail "$prefix/tessuri carries a library search path"; fi
  expect_same "$prefix/wav/.defaults.sha256" "$dist/wav/.defaults.sha256"
  (cd "$prefix/wav" && sha256sum --quiet -c .defaults.sha256) || fail "the clips in $prefix/wav do not match their list"
  for size in 64 128 256 512; do
    expect_file "$data/icons/hicolor/${size}x$size/apps/tessuri.png"
  done
  # Per the Desktop Entry rules a $ in a quoted Exec is written \\$.
  check_entry "$data/applications/tessuri.desktop" "Exec=\"${prefix//\$/\\\\\$}/tessuri\""
}

# --- The places XDG_DATA_HOME and XDG_CONFIG_HOME name; reinstall; uninstall

export HOME=$scratch/home XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config
prefix=$XDG_DATA_HOME/tessuri
wav=$prefix/wav
run "$src/scripts/install.sh" --no-build --build-dir "$build" --autostart
check_installed "$prefix" "$XDG_DATA_HOME"
check_entry "$XDG_CONFIG_HOME/autostart/tessuri.desktop" "Exec=\"$prefix/tessuri\""

# The user records over 0005, adds 0003 (no default has that number) and
# has settings; 0009 has gone.  0007 stands for a default that changed since
# the last install: it is the clip an older build made, as that build's list
# (now the installed one) says.
printf 'RIFF my own recording' >"$wav/0005.wav"
printf 'RIFF a clip of my own' >"$wav/0003.wav"
printf '[Clock]\nLeft=120\n' >"$prefix/Tessuri.ini"
cp "$wav/0005.wav" "$scratch/mine.wav"
cp "$wav/0003.wav" "$scratch/added.wav"
cp "$prefix/Tessuri.ini" "$scratch/settings.ini"
rm "$wav/0009.wav"
printf 'RIFF an older default' >"$wav/0007.wav"
older=$(sha256sum <"$wav/0007.wav" | cut -d' ' -f1)
sed -i "s/^[0-9a-f]*  0007\.wav\$/$older  0007.wav/" "$wav/.defaults.sha256"

run "$src/scripts/install.sh" --no-build --build-dir "$build"
expect_said "Keeping your own clip: $wav/0005.wav"
expect_same "$wav/0005.wav" "$scratch/mine.wav"
expect_same "$wav/0003.wav" "$scratch/added.wav"
expect_same "$prefix/Tessuri.ini" "$scratch/settings.ini"
expect_same "$wav/0007.wav" "$dist/wav/0007.wav"
expect_same "$wav/0009.wav" "$dist/wav/0009.wav"
expect_same "$wav/.defaults.sha256" "$dist/wav/.defaults.sha256"
expect_file "$XDG_CONFIG_HOME/autostart/tessuri.desktop"

run "$src/scripts/uninstall.sh"
expect_said "Kept $prefix/Tessuri.ini"
expect_said "Kept $wav/0005.wav"
left=$(files_under "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$HOME")
[[ $left == "$(printf '%s\n' "$prefix/Tessuri.ini" "$wav/0003.wav" "$wav/0005.wav")" ]] ||
  fail "after uninstalling, these are left: $left"
expect_same "$wav/0005.wav" "$scratch/mine.wav"

# What an uninstall kept goes with --purge, record or not.
run "$src/scripts/uninstall.sh" --purge
[[ ! -e $prefix ]] || fail "--purge left $prefix"

# A folder that is not an install is left alone, even with --purge.
mkdir "$scratch/other"
touch "$scratch/other/notes.txt"
"$src/scripts/uninstall.sh" --prefix "$scratch/other" --purge >/dev/null 2>&1 &&
  fail "uninstall.sh accepted a folder without an install record"
expect_file "$scratch/other/notes.txt"

# --- Spaces and a $ in the names, the defaults under HOME, --purge --------

unset XDG_DATA_HOME XDG_CONFIG_HOME
export HOME="$scratch/my home"
prefix="$scratch/My Apps/tes suri \$1"
run "$src/scripts/install.sh" --no-build --build-dir "$build" --prefix "$prefix" --autostart
check_installed "$prefix" "$HOME/.local/share"
expect_file "$HOME/.config/autostart/tessuri.desktop"
printf 'RIFF my own recording' >"$prefix/wav/0005.wav"
printf '[Clock]\n' >"$prefix/Tessuri.ini"

run "$src/scripts/uninstall.sh" --prefix "$prefix" --purge
[[ ! -e $prefix ]] || fail "--purge left $prefix: $(files_under "$prefix")"
left=$(files_under "$HOME")
[[ -z $left ]] || fail "after --purge, these are left: $left"

if ((failures)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "install and uninstall: all checks passed"
