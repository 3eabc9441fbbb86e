#!/usr/bin/env bash
# Installs Tessuri for the current user, no root needed: builds it, puts the
# program folder in place and adds the clock to the desktop's application menu.
#
#   scripts/install.sh [--prefix DIR] [--autostart] [--build-dir DIR] [--no-build]
#
#   --prefix DIR     the program folder; default $XDG_DATA_HOME/tessuri, that
#                    is ~/.local/share/tessuri.  The clock writes its settings
#                    (Tessuri.ini) there, so it must be a folder of the user's.
#   --autostart      also start the clock when the user logs in
#   --build-dir DIR  install from this build; default build/default
#   --no-build       take the build as it is (it must hold the program and
#                    the voice clips)
#
# Installing again keeps Tessuri.ini and every voice clip the user recorded
# over a default one.  Each file put in place is listed with its SHA-256 in
# DIR/.install-record, from which scripts/uninstall.sh works.
set -euo pipefail

die() { echo "install.sh: $*" >&2; exit 1; }
usage() { sed -n '2,/^set -euo/{/^set -euo/d; s/^# \{0,1\}//; p}' "$0"; }

root=$(cd "$(dirname "$0")/.." && pwd)
# The XDG base directories; an unset or relative one means the default.
xdg_dir() { if [[ $1 == /* ]]; then echo "$1"; else echo "$2"; fi; }
data_home=$(xdg_dir "${XDG_DATA_HOME:-}" "${HOME:?}/.local/share")
config_home=$(xdg_dir "${XDG_CONFIG_HOME:-}" "$HOME/.config")

prefix=$data_home/tessuri
build_dir=$root/build/default
build=1
autostart=0
while (($#)); do
  case $1 in
    --prefix|--build-dir)
      (($# >= 2)) || die "$1 needs a folder"
      if [[ $1 == --prefix ]]; then prefix=$2; else build_dir=$2; fi
      shift ;;
    --prefix=*) prefix=${1#*=} ;;
    --build-dir=*) build_dir=${1#*=} ;;
    --autostart) autostart=1 ;;
    --no-build) build=0 ;;
    -h|--help) usage; exit 0 ;;
    *) die "unknown option '$1' (see --help)" ;;
  esac
  shift
done

# cmake takes ';' for a list separator, and the record has a path a line.
for dir in "$prefix" "$data_home" "$config_home"; do
  [[ $dir != *[$'\n;']* ]] || die "a folder name with a newline or ';' cannot be used: $dir"
done
prefix=$(realpath -m -- "$prefix")
build_dir=$(realpath -m -- "$build_dir")
[[ $prefix != / ]] || die "--prefix / would mix the program into the root folder"
[[ $prefix != "$build_dir/dist" ]] || die "$prefix is the build's own program folder; install elsewhere"

if ((build)); then
  bash "$root/scripts/deps.sh" run
  (cd "$root" && cmake --preset default -B "$build_dir" >/dev/null)
  cmake --build "$build_dir" --target tessuri voicepack
fi
for need in cmake_install.cmake dist/tessuri dist/wav/.defaults.sha256; do
  [[ -e $build_dir/$need ]] || die "$build_dir has no $need; build it first (leave out --no-build)"
done

mkdir -p -- "$prefix" || die "cannot make $prefix"
[[ -w $prefix ]] || die "cannot write to $prefix; the clock keeps its settings there, so choose a folder of yours with --prefix"

declare -A record=()  # path -> SHA-256 of what was put there
remember() {  # remember PATH...
  local line
  # -z: no escaping of odd names, each line ends with a NUL.
  while IFS= read -r -d '' line; do
    record[${line#*  }]=${line%%  *}
  done < <(sha256sum -z -- "$@")
}

# --- The program folder -------------------------------------------------

echo "Program folder: $prefix"
# cmake names every clip it copies; the summary line counts them instead.
cmake --install "$build_dir" --prefix "$prefix" |
  sed -e '/^-- Install configuration/d' -e '/^-- Set runtime path/d' \
      -e '/^-- Installing: .*\/wav\/[0-9]*\.wav$/d' -e 's|/\./|/|' -e 's/^-- /  /'
# What cmake put in place, the clips the user kept excepted.
installed=()
while IFS= read -r path || [[ -n $path ]]; do
  if [[ -n $path ]]; then installed+=("${path//\/.\//\/}"); fi
done <"$build_dir/install_manifest.txt"
remember "${installed[@]}"
[[ -f $prefix/tessuri.desktop ]] || die "the build installed no tessuri.desktop"

# --- The desktop --------------------------------------------------------

put() {  # put SRC DEST: copies a file, says so and records it
  install -D -m 644 -- "$1" "$2"
  echo "  $2"
  remember "$2"
}

# Width and height of a PNG, from its header.
png_size() { od -An -tu1 -j16 -N8 -- "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }'; }

echo "Menu entry and icons:"
icons=0
for png in "$build_dir"/src/assets/pictures/icon*.png; do
  [[ -f $png ]] || continue
  read -r width height < <(png_size "$png")
  [[ $width == "$height" && $width -gt 0 ]] || continue
  put "$png" "$data_home/icons/hicolor/${width}x${width}/apps/tessuri.png"
  icons=$((icons + 1))
done

# The entry beside the program has Exec quoted for its folder already; the
# menu's takes the icon from the theme.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
entry=$work/tessuri.desktop
if ((icons)); then
  sed 's/^Icon=.*/Icon=tessuri/' "$prefix/tessuri.desktop" >"$entry"
else
  cp -- "$prefix/tessuri.desktop" "$entry"
fi
put "$entry" "$data_home/applications/tessuri.desktop"
if ((autostart)); then
  echo "Started at login by:"
  put "$entry" "$config_home/autostart/tessuri.desktop"
fi

# Menus read the folders themselves; the caches only speed that up.  An icon
# cache is refreshed only where one exists: a new one would go stale when
# other programs add icons without refreshing it.
if command -v update-desktop-database >/dev/null; then
  update-desktop-database -q "$data_home/applications" || true
fi
if command -v gtk-update-icon-cache >/dev/null && [[ -f $data_home/icons/hicolor/icon-theme.cache ]]; then
  gtk-update-icon-cache -q -f -t "$data_home/icons/hicolor" || true
fi

# --- The record ---------------------------------------------------------

# A file of an earlier install that this one did not rewrite (its autostart
# entry, say) stays listed, so that uninstalling still finds it.
record_file=$prefix/.install-record
if [[ -f $record_file ]]; then
  while IFS= read -r line || [[ -n $line ]]; do
    path=${line#*  }
    if [[ -e $path && -z ${record[$path]+set} ]]; then record[$path]=${line%%  *}; fi
  done <"$record_file"
fi
for path in "${!record[@]}"; do
  printf '%s  %s\n' "${record[$path]}" "$path"
done | LC_ALL=C sort -k2 >"$record_file.new"
mv -f -- "$record_file.new" "$record_file"

if [[ -f $config_home/autostart/tessuri.desktop ]] && ((!autostart)); then
  echo "The clock still starts at login ($config_home/autostart/tessuri.desktop)."
fi
echo "Installed.  Start Tessuri from the applications menu or run: \"$prefix/tessuri\""
echo "Settings: $prefix/Tessuri.ini   Voice clips: $prefix/wav/"
echo "Uninstall: scripts/uninstall.sh$([[ $prefix == "$data_home/tessuri" ]] || printf ' --prefix %q' "$prefix")"
