#!/usr/bin/env bash
# The venue read over several connections: 20 devices of 64 labels each and a label file that
# changes 3 of them, against the simulator at 5 ms a command, serving 8 clients at once and
# then one at a time. Times a dry run of the sync and a backup with --connections 1, 2, 4 and
# 8, and checks that each prints the bytes of the one with 1 connection (a backup but its
# time line). It starts its own simulators on ports the system chooses.
#
#     bench/connections.sh [BUILD_DIR] [DEVICES] [LATENCY_MS]
#
# BUILD_DIR holds the programs (default build/default); DEVICES defaults to 20 and
# LATENCY_MS to 5.
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/venue_lib.sh "$@"

# Runs a command with its output in $work/$1, and prints its time in seconds.
timed() {
    local out=$1
    shift
    local start end
    start=$(date +%s.%N)
    "$@" >"$work/$out" 2>&1 || true
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }'
}

# "same" when $work/$1-$2 holds the bytes of $work/$1-1 from its line $3 on (a backup's first
# line tells its time).
same_as_one() {
    if cmp -s <(tail -n +"$3" "$work/$1-1") <(tail -n +"$3" "$work/$1-$2"); then
        echo same
    else
        echo DIFFERS
    fi
}

echo "$devices devices x 64 labels, 3 changed, $latency ms a command"
printf '%-22s %-12s %9s %-8s %9s %-8s\n' "service" "connections" "dry run" "" "backup" ""
for clients in 8 1; do
    start_sim "$clients"
    for n in 1 2 4 8; do
        dry=$(timed "dry-$n" "$build/sync_brimel_label" --dry-run --connections "$n" "$work/venue.ini")
        backup=$(timed "log-$n" "$build/read_brimel_label" --connections "$n" --force -o "$work/backup-$n")
        printf '%-22s %-12s %7s s %-8s %7s s %-8s\n' "--clients $clients" "$n" "$dry" \
            "$(same_as_one dry "$n" 1)" "$backup" "$(same_as_one backup "$n" 2)"
    done
    stop_sim
done
