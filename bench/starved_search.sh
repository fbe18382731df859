#!/usr/bin/env bash
# The exhaustive search on a busy machine against a quiet one, in one run: each length is
# searched quiet, beside two busy loops, and at nice 19 beside two busy loops, and the
# processor time (user + sys, from /usr/bin/time) of each is set against the quiet run's.
# A second tool (--baseline, say a build of an earlier commit) is measured in the same run,
# case by case, so that both see the same machine. The lists must be the same bytes in
# every condition; a difference fails the run.
#
#   bench/starved_search.sh [--cli PATH] [--baseline PATH] [--lengths "36 37 38"]
#                           [--side-lobes 4] [--threads 2] [--timeout SECONDS]
#
# A run past --timeout (wall seconds) is ended, and its processor time until then shown as
# ">CPU" (a lower bound).
set -euo pipefail

Here=$(cd "$(dirname "$0")" && pwd)
Cli="$Here/../build/bin/codegen-cli"
Baseline=""
Lengths="36 37 38 39 40"
SideLobes=4
Threads=2
Timeout=1800
while [ $# -gt 0 ]; do
    case "$1" in
    --cli) Cli=$2; shift 2 ;;
    --baseline) Baseline=$2; shift 2 ;;
    --lengths) Lengths=$2; shift 2 ;;
    --side-lobes) SideLobes=$2; shift 2 ;;
    --threads) Threads=$2; shift 2 ;;
    --timeout) Timeout=$2; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
for Tool in "$Cli" $Baseline; do
    [ -x "$Tool" ] || { echo "not an executable: $Tool" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian: apt-get install time)" >&2; exit 2; }

Work=$(mktemp -d)
Busy=()
StopBusy() {
    for Pid in "${Busy[@]}"; do
        kill "$Pid" 2>/dev/null || true
    done
    for Pid in "${Busy[@]}"; do
        wait "$Pid" 2>/dev/null || true
    done
    Busy=()
}
trap 'StopBusy; rm -rf "$Work"' EXIT

StartBusy() {
    for _ in 1 2; do
        (while :; do :; done) &
        Busy+=("$!")
    done
}

# One search; prints the processor time in seconds, or ">Timeout" when it was ended.
Measure() { # tool, length, out file, nice (empty: none)
    local Tool=$1 L=$2 Out=$3 Nice=$4 Status=0
    local Command=(timeout "$Timeout" "$Tool" search --length "$L" --side-lobes "$SideLobes"
                   --threads "$Threads")
    [ -n "$Nice" ] && Command=(nice -n "$Nice" "${Command[@]}")
    /usr/bin/time -o "$Work/time" -f '%U %S %e' "${Command[@]}" >"$Out" 2>/dev/null || Status=$?
    if [ "$Status" -ne 0 ] && [ "$Status" -ne 124 ]; then
        echo "search failed (status $Status): ${Command[*]}" >&2
        exit 1
    fi
    # The times are the last line (after a note of the status when it was ended).
    tail -n 1 "$Work/time" | awk -v Mark="$([ "$Status" -eq 124 ] && echo '>')" \
        '{ printf "%s%.2f\n", Mark, $1 + $2 }'
}

Ratio() { # cpu, quiet cpu; a lower bound after a timeout
    case "$2" in
    '>'*) echo "-" ;;
    *) awk -v A="${1#>}" -v B="$2" -v Mark="${1%%[0-9]*}" \
           'BEGIN { printf "%s%.2f\n", Mark, (B > 0 ? A / B : 0) }' ;;
    esac
}

Same() { # file, file of the quiet run; a timed-out run's list is partial, and not compared
    [ "$3" = "${3#>}" ] || return 0
    cmp -s "$1" "$2" || { echo "the list differs from the quiet run's: $1" >&2; exit 1; }
}

printf '%-9s %4s %10s %10s %10s %8s %8s\n' tool L quiet-cpu busy-cpu nice-cpu busy/q nice/q
for L in $Lengths; do
    for Tool in "$Cli" $Baseline; do
        Name=$([ "$Tool" = "$Cli" ] && echo tool || echo baseline)
        Quiet=$(Measure "$Tool" "$L" "$Work/quiet" "")
        StartBusy
        Loaded=$(Measure "$Tool" "$L" "$Work/busy" "")
        Niced=$(Measure "$Tool" "$L" "$Work/nice" 19)
        StopBusy
        Same "$Work/busy" "$Work/quiet" "$Loaded"
        Same "$Work/nice" "$Work/quiet" "$Niced"
        printf '%-9s %4s %10s %10s %10s %8s %8s\n' "$Name" "$L" "$Quiet" "$Loaded" "$Niced" \
            "$(Ratio "$Loaded" "$Quiet")" "$(Ratio "$Niced" "$Quiet")"
    done
done
