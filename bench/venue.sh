#!/usr/bin/env bash
# The venue of the show-day figures: 20 devices of 64 labels each, a label file that changes
# 3 of them, against the simulator at 5 ms a command. Times today's way (a backup with the
# reader, the sync, a restore with the writer) beside the venue's way (a dry run, the sync
# with its undo record, the undo, one device alone with --device), and counts the lines of
# the dry run. It starts its own simulator on a port the system chooses.
#
#     bench/venue.sh [BUILD_DIR] [DEVICES] [LATENCY_MS]
#
# BUILD_DIR holds the programs (default build/default); DEVICES defaults to 20 and
# LATENCY_MS to 5.
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/venue_lib.sh "$@"
start_sim

# Runs a command, its output in a file, and prints its time and status.
timed() {
    local what=$1
    shift
    local start end status=0
    start=$(date +%s.%N)
    "$@" >"$work/out" 2>&1 || status=$?
    end=$(date +%s.%N)
    printf '%-44s %7.1f s  status %d  %d lines\n' "$what" "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" \
        "$status" "$(wc -l <"$work/out")"
}

cp "$work/venue.ini" "$work/show.ini"
echo "$devices devices x 64 labels, 3 changed, $latency ms a command"
echo "Today's way:"
timed "backup (read_brimel_label -o)" "$build/read_brimel_label" -o "$work/backup.ini"
timed "sync --yes" "$build/sync_brimel_label" --yes "$work/show.ini"
timed "restore (write_brimel_label backup.ini)" sh -c "echo y | '$build/write_brimel_label' '$work/backup.ini'"
echo "The venue's way:"
timed "sync --dry-run" "$build/sync_brimel_label" --dry-run "$work/show.ini"
cp "$work/out" "$work/dry-run.txt"
timed "sync --yes --save-undo" "$build/sync_brimel_label" --yes --save-undo "$work/undo.txt" \
    "$work/show.ini"
timed "sync --yes --undo" "$build/sync_brimel_label" --yes --undo "$work/undo.txt"
timed "sync --yes --device RACK-03" "$build/sync_brimel_label" --yes --device RACK-03 \
    "$work/show.ini"
echo "The dry run:"
sed 's/^/    /' "$work/dry-run.txt"
