#!/usr/bin/env bash
# Builds the tool and runs it on the example label files: one good file, one with
# mistakes that the tool reports.
set -euo pipefail
cd "$(dirname "$0")/.."
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"
cmake --preset default >/dev/null
cmake --build --preset default --target write_brimel_label >/dev/null
status=0
./build/default/write_brimel_label examples/stage_labels.ini examples/errors.ini || status=$?
echo "exit status: $status"
