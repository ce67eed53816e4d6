#!/usr/bin/env bash
# Builds the whole project with ThreadSanitizer and runs every test (preset tsan): the reader
# and sync read over several connections on threads of their own, and the simulator serves
# several clients at once. Fails on a failed test and on any report, also one from a child
# process whose exit status no test looks at (the reports go to build/tsan/sanitizer-report.*).
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib.sh
install_build_tools

export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"

mkdir -p build/tsan
rm -f build/tsan/sanitizer-report.*

status=0
cmake --workflow --preset tsan || status=$?

reports=(build/tsan/sanitizer-report.*)
if [ -e "${reports[0]}" ]; then
    echo "${#reports[@]} sanitizer report(s); the first ones:"
    for report in "${reports[@]:0:3}"; do
        echo "---- $report"
        cat "$report"
    done
    status=1
fi
echo "thread sanitizer stage took ${SECONDS} s"
exit "$status"
