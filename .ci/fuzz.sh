#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz, clang) and runs each for a bounded time, two
# at a time, on a scratch copy of its seed corpus in fuzz/corpus/. Fails on any crash,
# sanitizer report, violated property, leak or time-out; the input that caused it is kept
# in build/fuzz/artifacts/. FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib.sh

# libFuzzer comes with clang's runtime package, which a bare clang may lack.
fuzzer_links() {
    local dir status=0
    dir=$(mktemp -d)
    printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
        'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, std::size_t) { return 0; }' \
        >"$dir/probe.cpp"
    clang++ -fsanitize=fuzzer,address,undefined "$dir/probe.cpp" -o "$dir/probe" \
        >/dev/null 2>&1 || status=$?
    rm -rf "$dir"
    return "$status"
}

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v make >/dev/null 2>&1 || missing+=(make)
command -v clang++ >/dev/null 2>&1 || missing+=(clang)
if [ "${#missing[@]}" -gt 0 ]; then
    apt_install "${missing[@]}"
fi
if ! fuzzer_links; then
    apt_install "libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev"
    fuzzer_links || { echo "clang++ cannot link a libFuzzer target"; exit 1; }
fi

export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"
cmake --preset fuzz
cmake --build --preset fuzz

targets=(parse_line code_page line_collector list_dev info_ext read_mem read_cspr_idx preset_offset
    response answer_rules)
seconds="${FUZZ_SECONDS:-60}"
bin=build/fuzz/fuzz
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

run_target() {
    local name=$1
    mkdir -p "$scratch/$name"
    cp fuzz/corpus/"$name"/* "$scratch/$name/"
    "$bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$scratch/$name" \
        >"$scratch/$name.log" 2>&1
}

failed=()
for ((first = 0; first < ${#targets[@]}; first += 2)); do
    running=()
    for name in "${targets[@]:first:2}"; do
        run_target "$name" &
        running+=("$!:$name")
    done
    for job in "${running[@]}"; do
        name=${job#*:}
        if wait "${job%%:*}"; then
            echo "$name: $(grep -m1 '^Done ' "$scratch/$name.log" || echo 'no summary')"
        else
            failed+=("$name")
            echo "$name: FAILED; the end of its log:"
            tail -n 60 "$scratch/$name.log"
        fi
    done
done

echo "fuzz stage took ${SECONDS} s"
if [ "${#failed[@]}" -gt 0 ]; then
    echo "fuzz targets failed: ${failed[*]} (inputs in $artifacts)"
    exit 1
fi
echo "fuzz: ${#targets[@]} passed, 0 failed"
