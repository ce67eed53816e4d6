#!/usr/bin/env bash
# The main job, rehearsed without hardware: installs what a fresh Debian machine lacks (see
# .ci/lib.sh), builds everything, starts the simulated device-management service with its
# built-in network, runs the tool on the example label file (answering "y" at its prompt),
# reads back what landed in the devices, checks them against the example file with
# read_brimel_label --verify, then syncs an edited copy of the example (two labels
# changed) with sync_brimel_label, which writes only those fields, verifies the devices
# against the copy (the script's exit status is that check's), and stops the service.
#
# It only ever talks to the simulator it started itself, on a port the system chooses, so
# it runs beside the real device-management service (which holds port 7000 on a show
# laptop) and never touches it: every program is told the simulator's port with
# ZEL_SERVICE_PORT, and ZEL_REHEARSAL=1 makes each refuse a service that does not say it is
# simulated.
#
#     scripts/demo.sh [--build-dir DIR]
#
# --build-dir DIR takes the programs already built in DIR (a build tree of this checkout,
# such as build/default) and neither installs nor builds anything.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/default
if [ "$#" -eq 2 ] && [ "$1" = --build-dir ]; then
    build=$2
elif [ "$#" -ne 0 ]; then
    echo "usage: scripts/demo.sh [--build-dir DIR]" >&2
    exit 2
else
    source .ci/lib.sh
    install_build_tools
    export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"
    # The first build takes minutes, with its output hidden.
    echo "building..." >&2
    cmake --preset default >/dev/null
    cmake --build --preset default --target write_brimel_label read_brimel_label \
        sync_brimel_label zel_service_sim >/dev/null
fi

work=$(mktemp -d)
sim=""
# The simulator is waited for: it holds its files until it has ended.
trap '[ -z "$sim" ] || { kill "$sim" && wait "$sim"; } 2>/dev/null || true; rm -rf "$work"' EXIT

"$build/sim/zel_service_sim" --port 0 >"$work/sim.out" 2>&1 &
sim=$!
# The port is the one the simulator names in its line "zel_service_sim: listening on
# 127.0.0.1:PORT", once it listens.
port=""
for _ in $(seq 200); do
    kill -0 "$sim" 2>/dev/null || break
    port=$(sed -n 's/^zel_service_sim: listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' \
        "$work/sim.out")
    [ -z "$port" ] || break
    sleep 0.05
done
if [ -z "$port" ]; then
    cat "$work/sim.out" >&2
    echo "Demo stopped: the simulated service did not start." >&2
    exit 1
fi
export ZEL_SERVICE_PORT=$port
# A rehearsal: a service that does not say it is simulated gets no command at all.
export ZEL_REHEARSAL=1

status=0
echo y | "$build/write_brimel_label" examples/stage_labels.ini || status=$?
echo "write_brimel_label exit status: $status"

echo
echo "What the devices hold now, read back as a label file:"
"$build/read_brimel_label"

echo
status=0
"$build/read_brimel_label" --verify examples/stage_labels.ini || status=$?
echo "read_brimel_label --verify exit status: $status"
[ "$status" -eq 0 ] || exit "$status"

# Two labels changed for the show: only their fields are written, each read back.
edited=$work/stage_labels_show.ini
sed -e 's/^Talkback = TB-1@/Talkback Stage = TB-1@/' -e 's/^Radio Varnia2 = /Radio Varnia 2 = /' \
    examples/stage_labels.ini >"$edited"
echo
echo "An edited copy, two labels changed, synced:"
status=0
"$build/sync_brimel_label" --yes "$edited" || status=$?
echo "sync_brimel_label exit status: $status"

echo
status=0
"$build/read_brimel_label" --verify "$edited" || status=$?
echo "read_brimel_label --verify exit status: $status"
exit "$status"
