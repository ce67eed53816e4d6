# What the venue scripts share, sourced with their arguments [BUILD_DIR] [DEVICES]
# [LATENCY_MS]: the venue, 20 devices of 64 labels each with a label file that changes 3 of
# them, made in a temporary folder ($work) removed at exit, and a simulator of it on a port
# the system chooses.

build=${1:-build/default}
devices=${2:-20}
latency=${3:-5}
work=$(mktemp -d)
sim=""
trap 'stop_sim; rm -rf "$work"' EXIT

# Stops the simulator started last, if any.
stop_sim() {
    [ -z "$sim" ] || { kill "$sim" && wait "$sim"; } 2>/dev/null || true
    sim=""
}

# The network in $work/venue.txt (each device's 64 entries) and the label file with 3 labels
# changed in $work/venue.ini.
make_venue() {
    awk -v devices="$devices" -v net="$work/venue.txt" -v file="$work/venue.ini" 'BEGIN {
        print "network Venue" > net
        for (d = 1; d <= devices; ++d) {
            name = sprintf("RACK-%02d", d)
            printf "%s 02:00:00:00:01:%02X 5 2 3 10 4 area\n", name, d > net
            printf "[%s]\n", name > file
            for (e = 1; e <= 64; ++e) {
                printf "  %02d label=\"L%d-%d\" device=\"DEV-%d\" channel=\"Ch %d\"\n", e, d, e, e, e > net
                label = sprintf("L%d-%d", d, e)
                if ((d == 3 && e == 5) || (d == 7 && e == 12) || (d == 15 && e == 1)) {
                    label = "New " label
                }
                printf "%s = Ch %d@DEV-%d\n", label, e, e > file
            }
        }
    }'
}

# Starts the simulator of the venue serving $1 clients at once (default 1), waits for its
# "listening on" line while it lives, and points the programs at it, in a rehearsal.
start_sim() {
    "$build/sim/zel_service_sim" --port 0 --latency "$latency" --clients "${1:-1}" \
        --network "$work/venue.txt" >"$work/sim.out" 2>&1 &
    sim=$!
    local port=""
    for _ in $(seq 200); do
        port=$(sed -n 's/^zel_service_sim: listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' \
            "$work/sim.out")
        [ -z "$port" ] || break
        kill -0 "$sim" 2>/dev/null || break
        sleep 0.05
    done
    [ -n "$port" ] || { cat "$work/sim.out" >&2; exit 1; }
    export ZEL_SERVICE_PORT=$port ZEL_REHEARSAL=1
}

make_venue
