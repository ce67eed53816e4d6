#!/usr/bin/env bash
# scripts/demo.sh with the programs of a build tree: it passes while port 7000 is free; while
# another simulator holds the port, as the real service would on a show laptop, it fails
# and sends that simulator nothing (its command log stays empty).
#
#     tests/demo_test.sh BUILD_DIR
set -euo pipefail
demo=("$(dirname "$0")/../scripts/demo.sh" --build-dir "$1")
work=$(mktemp -d)
trap '[ -z "${holder:-}" ] || { kill "$holder" && wait "$holder"; } 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" && exit 1; }

"${demo[@]}" >"$work/free.out" 2>&1 || { cat "$work/free.out"; fail "the demo fails on a free port"; }

"$1/sim/zel_service_sim" --log "$work/holder.log" >"$work/holder.out" 2>&1 &
holder=$!
for _ in $(seq 200); do
    grep -qxF "zel_service_sim: listening on 127.0.0.1:7000" "$work/holder.out" && break
    sleep 0.05
done
kill -0 "$holder" || fail "the simulator holding port 7000 did not start"

! "${demo[@]}" >"$work/taken.out" 2>&1 || { cat "$work/taken.out"; fail "the demo ran against another simulator"; }
[ ! -s "$work/holder.log" ] || fail "the demo sent commands: $(head -n 3 "$work/holder.log")"
grep -q "port 7000 is in use" "$work/taken.out" || fail "the demo did not say that port 7000 is in use"
