#!/usr/bin/env bash
# The main job, rehearsed without hardware: builds everything, starts the simulated
# device-management service with its built-in network, runs the tool on the example
# label file (answering "y" at its prompt), reads back what landed in the devices, checks
# them against the example file with read_brimel_label --verify (the script's exit
# status is that check's), and stops the service.
set -euo pipefail
cd "$(dirname "$0")/.."
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"
cmake --preset default >/dev/null
cmake --build --preset default --target write_brimel_label read_brimel_label zel_service_sim >/dev/null

build=build/default
work=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$work"' EXIT

"$build/sim/zel_service_sim" >"$work/sim.out" 2>&1 &
sim=$!
# The service prints its port once it listens.
for _ in $(seq 100); do
    grep -q 7000 "$work/sim.out" 2>/dev/null && break
    kill -0 "$sim" 2>/dev/null || { cat "$work/sim.out"; exit 1; }
    sleep 0.05
done

status=0
echo y | "$build/write_brimel_label" examples/stage_labels.ini || status=$?
echo "write_brimel_label exit status: $status"

echo
echo "What the devices hold now, read back as a label file:"
"$build/read_brimel_label" 2>/dev/null

echo
status=0
"$build/read_brimel_label" --verify examples/stage_labels.ini || status=$?
echo "read_brimel_label --verify exit status: $status"
exit "$status"
