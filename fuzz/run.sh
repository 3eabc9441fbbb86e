#!/usr/bin/env bash
# Runs the fuzz targets: fuzz/run.sh [SECONDS] [TARGET...]
#   SECONDS  how long each target runs (default 60)
#   TARGET   ini, wav, sound, setting (default: all four)
# Builds the "fuzz" preset first when needed.  Each target runs on a copy of
# its seed corpus under build/fuzz/fuzz-work/TARGET, so fuzz/corpus stays as
# committed; FUZZ_MERGE=1 merges what was new back into fuzz/corpus/TARGET.
# Anything found (crash, leak, timeout, out of memory) is left in the work
# folder and the script exits non-zero.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build="$root/build/fuzz"

seconds=60
if [[ $# -gt 0 && $1 =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=(ini wav sound setting)
for t in "${targets[@]}"; do
  case $t in
    ini | wav | sound | setting) ;;
    *) echo "unknown target: $t (ini, wav, sound, setting)" >&2; exit 2 ;;
  esac
done

cd "$root" || exit 2
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake --preset fuzz >/dev/null || { echo "configuring the fuzz preset failed" >&2; exit 2; }
fi
cmake --build --preset fuzz >/dev/null || { echo "building the fuzz targets failed" >&2; exit 2; }

# Temporary files (the settings file, the dialog's test folder) in a folder
# of this run, on a RAM disk where there is one: the settings file is flushed
# at every write, and a target stopped by a finding leaves its files behind.
scratch=$(mktemp -d "$([[ -w /dev/shm ]] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/tessuri-fuzz.XXXXXX") || exit 2
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

status=0
printf '%-8s %10s %14s %8s  %s\n' target exec/s executions seconds result
for t in "${targets[@]}"; do
  work="$build/fuzz-work/$t"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/findings"
  cp "$here/corpus/$t/"* "$work/corpus/" 2>/dev/null
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -print_final_stats=1
           -artifact_prefix="$work/findings/")
  case $t in
    wav) options+=(-malloc_limit_mb=64 -max_len=8192) ;;
    setting) options+=(-malloc_limit_mb=512 -max_len=512) ;;
    *) options+=(-malloc_limit_mb=256 -max_len=4096) ;;
  esac
  [[ -f "$here/$t.dict" ]] && options+=(-dict="$here/$t.dict")
  start=$(date +%s)
  "$build/fuzz/fuzz_$t" "${options[@]}" "$work/corpus" >"$work/log.txt" 2>&1
  rc=$?
  elapsed=$(($(date +%s) - start))
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log.txt" | tail -1)
  found=$(ls "$work/findings" 2>/dev/null)
  if [[ $rc -ne 0 || -n $found ]]; then
    result="FOUND (exit $rc): ${found:-see log} in $work/findings, log $work/log.txt"
    status=1
  else
    result="nothing found"
  fi
  printf '%-8s %10s %14s %8s  %s\n' "$t" "${rate:-?}" "${execs:-?}" "$elapsed" "$result"
  if [[ ${FUZZ_MERGE:-0} == 1 && $rc -eq 0 ]]; then
    "$build/fuzz/fuzz_$t" -merge=1 "$here/corpus/$t" "$work/corpus" >"$work/merge.txt" 2>&1 ||
      echo "  merging into fuzz/corpus/$t failed: see $work/merge.txt"
  fi
done
exit $status
