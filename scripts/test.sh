#!/usr/bin/env bash
# Builds and runs every test: installs what a fresh Debian machine lacks (CMake, the
# compiler, make, GoogleTest; see .ci/lib.sh), then runs the test workflow preset.
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib.sh
install_build_tools

export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"
cmake --workflow --preset test
