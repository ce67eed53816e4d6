# What the CI stages and the README's two commands (scripts/demo.sh, scripts/test.sh)
# share, sourced by each: a command run as root (through sudo when not root), the Debian
# packages a stage lacks installed with one apt update a stage, and the tools every build
# needs installed when missing.

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

apt_updated=false
apt_install() {
    echo "installing: $*"
    if [ "$apt_updated" = false ]; then
        as_root apt-get update -q
        apt_updated=true
    fi
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "$@"
}

# CMake, the C++ compiler, make and GoogleTest, installed when missing. Where they cannot
# be (no apt-get, or neither root nor sudo), stops at once with the command to run.
install_build_tools() {
    local missing=()
    command -v cmake >/dev/null 2>&1 || missing+=(cmake)
    command -v g++ >/dev/null 2>&1 || missing+=(g++)
    command -v make >/dev/null 2>&1 || missing+=(make)
    [ -f /usr/include/gtest/gtest.h ] || [ -f /usr/local/include/gtest/gtest.h ] ||
        missing+=(libgtest-dev)
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    local command="apt-get install -y ${missing[*]}"
    if ! command -v apt-get >/dev/null 2>&1; then
        echo "missing: ${missing[*]}. Install CMake 3.25 or later, a C++17 compiler, make" \
            "and GoogleTest with this system's package manager (Debian: $command), then" \
            "run $0 again." >&2
        exit 1
    fi
    if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null 2>&1; then
        echo "missing: ${missing[*]}. As root, run: $command" >&2
        exit 1
    fi
    apt_install "${missing[@]}"
}
