#!/usr/bin/env bash
# Builds the whole project with sanitizers and runs every test: `asan` (the default) for
# AddressSanitizer and UndefinedBehaviorSanitizer, `tsan` for ThreadSanitizer (the reads over
# several connections run on threads, and so do the simulator's clients). Fails on a failed
# test and on any sanitizer report, also one from a child process whose exit status no test
# looks at: the test preset points the reports at build/PRESET/sanitizer-report.<pid> files.
#
#     .ci/sanitize.sh [asan | tsan]
set -euo pipefail
cd "$(dirname "$0")/.."

preset=${1:-asan}
source .ci/lib.sh
install_build_tools

export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"

mkdir -p "build/$preset"
rm -f "build/$preset"/sanitizer-report.*

status=0
cmake --workflow --preset "$preset" || status=$?

reports=("build/$preset"/sanitizer-report.*)
if [ -e "${reports[0]}" ]; then
    echo "${#reports[@]} sanitizer report(s); the first ones:"
    for report in "${reports[@]:0:3}"; do
        echo "---- $report"
        cat "$report"
    done
    status=1
fi
echo "sanitizer stage ($preset) took ${SECONDS} s"
exit "$status"
