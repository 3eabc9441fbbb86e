# shellcheck shell=bash
# Helpers of bench/run.sh: readings from /proc, statistics, and the table
# in plain text and in markdown. Sourced, not run.

# ------------------------------------------------------------------ /proc
# snap PID FILE: one line per thread of PID, "tid comm cpu_ns vol invol",
# where cpu_ns is the thread's time on a CPU (schedstat, far finer than
# clock ticks) and vol, invol its voluntary and involuntary context
# switches. A voluntary switch is the thread going to sleep, so every
# wake-up follows one; an involuntary one is the thread preempted, which
# grows with the other work on the machine. Pure bash: a reading forks
# nothing that would itself wake the machine.
snap() {
    local pid=$1 out=$2 d tid comm ns key value vol invol
    : > "$out"
    for d in /proc/"$pid"/task/*; do
        tid=${d##*/}
        { read -r ns _ < "$d/schedstat"; read -r comm < "$d/comm"; } 2>/dev/null || continue
        vol=0 invol=0
        while read -r key value; do
            case $key in
                voluntary_ctxt_switches:) vol=$value ;;
                nonvoluntary_ctxt_switches:) invol=$value ;;
            esac
        done < "$d/status" 2>/dev/null || true
        echo "$tid ${comm// /_} $ns $vol $invol" >> "$out"
    done
}

# snap_delta FROM TO: "cpu_ns switches" of the process between two snaps.
# Threads are matched by id: one started in between counts from zero, one
# that ended in between is left out (its last moments are lost).
snap_delta() {
    awk 'NR == FNR { ns[$1] = $3; sw[$1] = $4 + $5; next }
         { n += $3 - ns[$1]; s += $4 + $5 - sw[$1] }
         END { printf "%d %d\n", n, s }' "$1" "$2"
}

# thread_table FROM TO SECONDS: per thread name "name count switches/s
# voluntary/s involuntary/s cpu_ms" over the span, busiest first; threads
# of one name summed.
thread_table() {
    awk -v s="$3" 'NR == FNR { ns[$1] = $3; v[$1] = $4; i[$1] = $5; next }
         { name[$2] = 1; n[$2] += $3 - ns[$1]; vw[$2] += $4 - v[$1]; iw[$2] += $5 - i[$1]; c[$2]++ }
         END { for (k in name) printf "%s %d %.2f %.2f %.2f %.1f\n", k, c[k], (vw[k] + iw[k]) / s, vw[k] / s, iw[k] / s, n[k] / 1e6 }' \
        "$1" "$2" | sort -k3,3gr
}

hwm_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

# ------------------------------------------------------------- statistics
# pct P: the P-th percentile (nearest rank) of the numbers on stdin.
pct() {
    sort -g | awk -v p="$1" '{ v[NR] = $1 } END { if (!NR) { print "nan"; exit }
        r = int(p / 100 * NR); if (r < p / 100 * NR) r++; if (r < 1) r = 1; printf "%.1f", v[r] }'
}
# median: of the numbers on stdin, the mean of the middle two for an even count.
median() {
    sort -g | awk '{ v[NR] = $1 } END { if (!NR) { print "nan"; exit }
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f", m }'
}
# calc EXPR [DIGITS]: awk arithmetic, printed with DIGITS decimals (3).
calc() { awk "BEGIN { x = $1; printf \"%.${2:-3}f\", x }"; }
# ratio A B: A / B, or nan.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "nan" || b == "nan" || b + 0 <= 0) print "nan"; else printf "%.2f", a / b }'; }
# values KEY OUTPUT: the numbers of the line that starts with KEY.
values() { awk -v k="$1" '$1 == k { for (i = 2; i <= NF; i++) print $i }' <<<"$2"; }
# field KEY OUTPUT: the second word of the line that starts with KEY.
field() { awk -v k="$1" '$1 == k { print $2 }' <<<"$2"; }
# gbench NAME COLUMN OUTPUT: a Google Benchmark median (2 wall, 4 CPU), in
# the benchmark's own unit.
gbench() { awk -v n="$1_median" -v c="$2" '$1 == n { print $c }' <<<"$3"; }

# ---------------------------------------------------------------- verdicts
at_most() { awk -v v="$1" -v l="$2" 'BEGIN { print (v != "nan" && v != "" && v + 0 <= l + 0 ? "ok" : "MISSED") }'; }
below() { awk -v v="$1" -v l="$2" 'BEGIN { print (v != "nan" && v != "" && v + 0 < l + 0 ? "ok" : "MISSED") }'; }
between() {
    awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { print (v != "nan" && v != "" && v + 0 >= lo + 0 && v + 0 <= hi + 0 ? "ok" : "MISSED") }'
}

# ------------------------------------------------------------------ table
# row MEASURE VALUE AGAINST RATIO TARGET VERDICT: one line of the table;
# empty fields stay empty.
ROWS=()
row() { ROWS+=("$1|$2|$3|$4|$5|$6"); }

print_table() {
    local r
    printf '%-44s %-16s %-34s %-7s %-12s %s\n' "measure" "tessuri" "compared against" "ratio" "target" "met"
    printf '%s\n' "$(printf '%.0s-' {1..124})"
    for r in "${ROWS[@]}"; do
        IFS='|' read -r m v a q t k <<<"$r"
        printf '%-44s %-16s %-34s %-7s %-12s %s\n' "$m" "$v" "$a" "$q" "$t" "$k"
    done
}

markdown_table() {
    local r
    echo "| Measure | Tessuri | Compared against | Ratio | Target | Met? |"
    echo "|---|---|---|---|---|---|"
    for r in "${ROWS[@]}"; do
        IFS='|' read -r m v a q t k <<<"$r"
        [[ $k == MISSED ]] && k="**no**"
        [[ $k == ok ]] && k="yes"
        echo "| $m | $v | $a | $q | $t | $k |"
    done
}

# put_markdown FILE BLOCK_FILE: BLOCK_FILE's text between the markers in
# FILE, replacing what was there; appended (markers and all) when FILE has
# none. Text outside the markers stays as it is.
put_markdown() {
    local file=$1 block=$2 begin='<!-- bench:begin -->' end='<!-- bench:end -->'
    if [[ -f $file ]] && grep -qF "$begin" "$file" && grep -qF "$end" "$file"; then
        awk -v b="$begin" -v e="$end" -v f="$block" '
            $0 == b { print; while ((getline line < f) > 0) print line; skip = 1; next }
            $0 == e { skip = 0 }
            !skip' "$file" > "$file.tmp"
        mv "$file.tmp" "$file"
    else
        { echo "$begin"; cat "$block"; echo "$end"; } >> "$file"
    fi
}
