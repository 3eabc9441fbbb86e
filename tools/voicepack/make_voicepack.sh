#!/bin/bash
# Builds the default voice clips (NNNN.wav) from the table of lines.
#
#   make_voicepack.sh [-j JOBS] TABLE OUTDIR
#
# Every clip is spoken by espeak-ng in its character's voice, shaped with
# sox (pitch, 22050 Hz 16-bit mono, leading and trailing silence cut so
# that time-signal words follow each other tightly, peak normalised) and
# then checked.  The run fails, naming the clip, when espeak-ng could not
# read a line in Japanese, when a clip is silent or when its length is
# outside 0.2 to 4 seconds.  OUTDIR is only written when every clip passed.

set -u -o pipefail

readonly MIN_SECONDS=0.2
readonly MAX_SECONDS=4
readonly MIN_RMS=0.01

# Voices, by character: espeak-ng variant, espeak-ng pitch (0..99),
# speed (words a minute), sox pitch shift (cents).
#   0 Rumika  cheerful      1 Shiore  calm, polite     2 Yatsuha  sporty, brisk
#   3 Pelulu  tiny, child   4 Mazeri  grown-up, languid
readonly VOICE_VARIANT=(f2 f1 f4 f5 f3)
readonly VOICE_PITCH=(70 60 45 90 25)
readonly VOICE_SPEED=(175 145 195 160 125)
readonly VOICE_SHIFT=(350 250 300 550 50)

die() { echo "voicepack: $*" >&2; exit 1; }

jobs_max=$(nproc 2>/dev/null || echo 2)
while getopts "j:" opt; do
    case $opt in
        j) jobs_max=$OPTARG ;;
        *) die "usage: $0 [-j JOBS] TABLE OUTDIR" ;;
    esac
done
shift $((OPTIND - 1))
[[ $# -eq 2 ]] || die "usage: $0 [-j JOBS] TABLE OUTDIR"
readonly table=$1 outdir=$2
[[ $jobs_max =~ ^[1-9][0-9]*$ ]] || die "-j wants a positive number, got '$jobs_max'"

command -v espeak-ng >/dev/null || die "espeak-ng not found (Debian package espeak-ng)"
command -v sox >/dev/null || die "sox not found (Debian package sox)"
command -v soxi >/dev/null || die "soxi not found (Debian package sox)"
espeak-ng --voices=ja 2>/dev/null | grep -qw ja || die "espeak-ng has no Japanese voice"
[[ -r $table ]] || die "cannot read table $table"

# Character of a clip number, or -1 for the shared timer sound.
character_of() {
    local n=$1
    if ((n <= 190)); then echo $(((n - 1) / 38))
    elif ((n <= 195)); then echo $((n - 191))
    elif ((n <= 200)); then echo $((n - 196))
    elif ((n == 201)); then echo -1
    else echo $(((n - 202) / 5))
    fi
}

# Every number the program plays: the time words (without k = 3, 16, 37,
# 38 of each block, which nothing plays) and 191..226.
required_numbers() {
    local c k n
    for c in 0 1 2 3 4; do
        for k in $(seq 1 36); do
            ((k == 3 || k == 16)) && continue
            echo $((38 * c + k))
        done
    done
    for n in $(seq 191 226); do echo "$n"; done
}

# --- Read and check the table -------------------------------------------

declare -A text_of
line_no=0
errors=()
while IFS= read -r line || [[ -n $line ]]; do
    line_no=$((line_no + 1))
    line=${line%$'\r'}
    [[ -z ${line//[[:space:]]/} || $line == \#* ]] && continue
    if [[ ! $line =~ ^([0-9]{4})$'\t'(.*[^[:space:]].*)$ ]]; then
        errors+=("$table:$line_no: expected 'NNNN<TAB>text', got: $line")
        continue
    fi
    num=$((10#${BASH_REMATCH[1]}))
    text=${BASH_REMATCH[2]}
    if [[ -n ${text_of[$num]+set} ]]; then
        errors+=("$table:$line_no: clip $(printf %04d "$num") is listed twice")
    elif ((num < 1 || num > 226)); then
        errors+=("$table:$line_no: clip $(printf %04d "$num") is outside 0001..0226")
    elif ((num <= 190)) && k=$(((num - 1) % 38 + 1)) && ((k == 3 || k == 16 || k >= 37)); then
        errors+=("$table:$line_no: clip $(printf %04d "$num") is never played; leave it out")
    fi
    text_of[$num]=$text
done <"$table"
for num in $(required_numbers); do
    [[ -n ${text_of[$num]+set} ]] || errors+=("$table: clip $(printf %04d "$num") has no line")
done
if ((${#errors[@]})); then
    printf 'voicepack: %s\n' "${errors[@]}" >&2
    exit 1
fi

# --- Make one clip ------------------------------------------------------

parent=$(dirname -- "$outdir")
mkdir -p -- "$parent" && work=$(mktemp -d "$parent/.voicepack.XXXXXX") || die "cannot make a work folder beside $outdir"
trap 'rm -rf "$work"' EXIT

# Writes $work/NNNN.wav, or $work/NNNN.err with the reason it failed.
make_clip() {
    local num=$1 text=$2 name raw out err c phonemes
    name=$(printf %04d "$num")
    raw=$work/$name.raw.wav
    out=$work/$name.wav
    err=$work/$name.err
    c=$(character_of "$num")

    # Trim both ends, pad a hair so words do not click into each other,
    # normalise the peak to -1 dBFS.
    local -a finish=(silence 1 0.005 0.2% reverse silence 1 0.005 0.2% reverse
                     pad 0.02 0.05 gain -n -1)
    if [[ $text == "<chime>" ]]; then
        # A rising four-note arpeggio on a plucked string.
        if ! sox -q -n -r 22050 -b 16 -c 1 -e signed-integer "$out" \
                synth 0.9 pluck C5 pluck E5 pluck G5 pluck C6 \
                delay 0 0.11 0.22 0.33 remix - fade 0 0.9 0.35 "${finish[@]}" 2>"$err.log"; then
            echo "clip $name: sox could not make the chime: $(tr '\n' ' ' <"$err.log")" >"$err"
            return
        fi
    else
        local voice=ja+${VOICE_VARIANT[c]}
        phonemes=$(espeak-ng -v "$voice" -q -x -- "$text" 2>&1)
        if [[ $phonemes =~ \(([a-z-]+)\) ]]; then
            echo "clip $name: espeak-ng reads part of '$text' as language '${BASH_REMATCH[1]}' (phonemes: ${phonemes//$'\n'/ })" >"$err"
            return
        fi
        if [[ -z ${phonemes//[[:space:]]/} ]]; then
            echo "clip $name: espeak-ng finds nothing to say in '$text'" >"$err"
            return
        fi
        if ! espeak-ng -v "$voice" -p "${VOICE_PITCH[c]}" -s "${VOICE_SPEED[c]}" \
                -w "$raw" -- "$text" 2>"$err.log"; then
            echo "clip $name: espeak-ng failed: $(tr '\n' ' ' <"$err.log")" >"$err"
            return
        fi
        if ! sox -q "$raw" -r 22050 -b 16 -c 1 -e signed-integer "$out" \
                pitch "${VOICE_SHIFT[c]}" "${finish[@]}" 2>"$err.log"; then
            echo "clip $name: sox failed: $(tr '\n' ' ' <"$err.log")" >"$err"
            return
        fi
    fi

    local seconds rms
    seconds=$(soxi -D "$out" 2>/dev/null)
    rms=$(sox "$out" -n stat 2>&1 | awk '/^RMS +amplitude/ {print $3}')
    if [[ -z $seconds || -z $rms ]]; then
        echo "clip $name: cannot measure the result" >"$err"
    elif awk -v r="$rms" -v m="$MIN_RMS" 'BEGIN {exit !(r < m)}'; then
        echo "clip $name: silent (RMS $rms, below $MIN_RMS) for '$text'" >"$err"
    elif awk -v s="$seconds" -v lo="$MIN_SECONDS" -v hi="$MAX_SECONDS" 'BEGIN {exit !(s < lo || s > hi)}'; then
        echo "clip $name: ${seconds}s long, outside ${MIN_SECONDS}..${MAX_SECONDS}s, for '$text'" >"$err"
    fi
    rm -f "$raw" "$err.log"
}

# --- Make all clips, a few at a time ------------------------------------

for num in $(printf '%s\n' "${!text_of[@]}" | sort -n); do
    while (($(jobs -rp | wc -l) >= jobs_max)); do wait -n; done
    make_clip "$num" "${text_of[$num]}" &
done
wait

shopt -s nullglob
failures=("$work"/*.err)
if ((${#failures[@]})); then
    cat "${failures[@]}" | sed 's/^/voicepack: /' >&2
    echo "voicepack: ${#failures[@]} clip(s) failed; $outdir left as it was" >&2
    exit 1
fi

mkdir -p "$outdir" || die "cannot make $outdir"
for f in "$work"/[0-9][0-9][0-9][0-9].wav; do
    mv -f "$f" "$outdir/" || die "cannot write $outdir/${f##*/}"
done
echo "voicepack: ${#text_of[@]} clips in $outdir"
