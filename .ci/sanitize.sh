#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test (preset asan). Fails on a failed test and on any sanitizer report, also one
# from a child process whose exit status no test looks at: the test preset points the
# sanitizers' reports at build/asan/sanitizer-report.<pid> files.
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib.sh
install_build_tools

export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"

mkdir -p build/asan
rm -f build/asan/sanitizer-report.*

status=0
cmake --workflow --preset asan || status=$?

reports=(build/asan/sanitizer-report.*)
if [ -e "${reports[0]}" ]; then
    echo "${#reports[@]} sanitizer report(s); the first ones:"
    for report in "${reports[@]:0:3}"; do
        echo "---- $report"
        cat "$report"
    done
    status=1
fi
echo "sanitizer stage took ${SECONDS} s"
exit "$status"
