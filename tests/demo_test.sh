#!/usr/bin/env bash
# scripts/demo.sh with the programs of a build tree, beside a stand-in for the real service
# holding port 7000 (another simulator, which logs every command it receives): the demo
# passes, and the stand-in receives nothing (its command log stays empty).
#
#     tests/demo_test.sh BUILD_DIR
set -euo pipefail
work=$(mktemp -d)
trap '[ -z "${holder:-}" ] || { kill "$holder" && wait "$holder"; } 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" && exit 1; }

listening="zel_service_sim: listening on 127.0.0.1:7000"
"$1/sim/zel_service_sim" --port 7000 --log "$work/holder.log" >"$work/holder.out" 2>&1 &
holder=$!
for _ in $(seq 200); do
    grep -qxF "$listening" "$work/holder.out" && break
    sleep 0.05
done
grep -qxF "$listening" "$work/holder.out" || fail "no stand-in on 7000: $(cat "$work/holder.out")"

"$(dirname "$0")/../scripts/demo.sh" --build-dir "$1" >"$work/demo.out" 2>&1 ||
    { cat "$work/demo.out"; fail "the demo fails while port 7000 is held"; }
[ ! -s "$work/holder.log" ] || fail "the demo sent 7000 commands: $(head -n 3 "$work/holder.log")"
