#!/usr/bin/env bash
# Removes what scripts/install.sh put in place, as the program folder's
# .install-record lists it: the program, the default voice clips, the menu
# entry, the icons and the autostart entry.
#
#   scripts/uninstall.sh [--prefix DIR] [--purge]
#
#   --prefix DIR  the program folder; default $XDG_DATA_HOME/tessuri, that
#                 is ~/.local/share/tessuri
#   --purge       also remove the settings (Tessuri.ini) and every voice
#                 clip, the user's own ones too
#
# A listed file that changed since it was installed is kept: a clip recorded
# over a default one, or a menu entry that another install rewrote.  So are
# Tessuri.ini and the clips the user added, unless --purge.  It says what it
# kept.
set -euo pipefail

die() { echo "uninstall.sh: $*" >&2; exit 1; }
usage() { sed -n '2,/^set -euo/{/^set -euo/d; s/^# \{0,1\}//; p}' "$0"; }

# The XDG base directories; an unset or relative one means the default.
xdg_dir() { if [[ $1 == /* ]]; then echo "$1"; else echo "$2"; fi; }
data_home=$(xdg_dir "${XDG_DATA_HOME:-}" "${HOME:?}/.local/share")
config_home=$(xdg_dir "${XDG_CONFIG_HOME:-}" "$HOME/.config")

prefix=$data_home/tessuri
purge=0
while (($#)); do
  case $1 in
    --prefix) (($# >= 2)) || die "--prefix needs a folder"; prefix=$2; shift ;;
    --prefix=*) prefix=${1#*=} ;;
    --purge) purge=1 ;;
    -h|--help) usage; exit 0 ;;
    *) die "unknown option '$1' (see --help)" ;;
  esac
  shift
done
prefix=$(realpath -m -- "$prefix")
record_file=$prefix/.install-record
if [[ ! -f $record_file ]]; then
  # Without the record only --purge on what an earlier uninstall kept.
  if ((!purge)) || [[ ! -e $prefix/Tessuri.ini && ! -d $prefix/wav ]]; then
    die "$prefix holds no Tessuri that scripts/install.sh installed (no .install-record there)"
  fi
  echo "No install record in $prefix; removing what an uninstall kept there"
  : >"$record_file"
fi

# Removes dir and its parents while they are empty, up to (not including) stop.
prune() {
  local dir=$1 stop=$2
  while [[ $dir == "$stop"/* ]] && rmdir -- "$dir" 2>/dev/null; do dir=$(dirname -- "$dir"); done
}

declare -A listed=() now=()  # path -> SHA-256 when installed, and now
while IFS= read -r line || [[ -n $line ]]; do
  if [[ $line == ?*"  "?* ]]; then listed[${line#*  }]=${line%%  *}; fi
done <"$record_file"
present=()
while IFS= read -r -d '' path; do
  if [[ -f $path ]]; then present+=("$path"); fi
done < <(printf '%s\0' "${!listed[@]}" | LC_ALL=C sort -z)
if ((${#present[@]})); then
  # -z: no escaping of odd names, each line ends with a NUL.
  while IFS= read -r -d '' line; do
    now[${line#*  }]=${line%%  *}
  done < <(sha256sum -z -- "${present[@]}")
fi

removed_inside=0
declare -A changed=() outside_dirs=()
for path in "${present[@]}"; do
  inside=0
  [[ $path == "$prefix"/* ]] && inside=1
  if [[ ${now[$path]} != "${listed[$path]}" ]] && ! ((purge && inside)); then
    changed[$path]=1
    continue
  fi
  rm -f -- "$path"
  if ((inside)); then
    removed_inside=$((removed_inside + 1))
  else
    echo "Removed $path"
    outside_dirs[$(dirname -- "$path")]=1
  fi
done
if ((removed_inside)); then echo "Removed $removed_inside files from $prefix"; fi

if ((purge)); then
  # Everything of the clock's own: its settings (and the temporary file of
  # a save that was cut short) and every clip, the user's included.
  shopt -s nullglob
  clips=("$prefix"/wav/[0-9][0-9][0-9][0-9].wav)
  rm -f -- "${clips[@]}" "$prefix"/wav/.defaults.sha256
  if ((${#clips[@]})); then echo "Removed ${#clips[@]} more voice clips from $prefix/wav"; fi
  for path in "$prefix"/Tessuri.ini "$prefix"/Tessuri.ini.??????; do
    rm -f -- "$path"
    echo "Removed $path"
  done
  shopt -u nullglob
fi
rm -f -- "$record_file"

for dir in "${!outside_dirs[@]}"; do
  prune "$dir" "$data_home"
  prune "$dir" "$config_home"
done
prune "$prefix/wav" "$(dirname -- "$prefix")"
prune "$prefix" "$(dirname -- "$prefix")"

if command -v update-desktop-database >/dev/null && [[ -d $data_home/applications ]]; then
  update-desktop-database -q "$data_home/applications" || true
fi
if command -v gtk-update-icon-cache >/dev/null && [[ -f $data_home/icons/hicolor/icon-theme.cache ]]; then
  gtk-update-icon-cache -q -f -t "$data_home/icons/hicolor" || true
fi

# What stays, and why.
for path in "${!changed[@]}"; do
  [[ $path == "$prefix"/* ]] || echo "Kept $path (changed since it was installed)"
done
if [[ -d $prefix ]]; then
  while IFS= read -r -d '' path; do
    case ${path#"$prefix"/} in
      Tessuri.ini) why="your settings; --purge removes them" ;;
      wav/[0-9][0-9][0-9][0-9].wav) why="your own voice clip; --purge removes it" ;;
      *) if [[ -n ${changed[$path]+set} ]]; then why="changed since it was installed"; else why="not put there by the install"; fi ;;
    esac
    echo "Kept $path ($why)"
  done < <(find "$prefix" -mindepth 1 ! -type d -print0 | sort -z)
fi
