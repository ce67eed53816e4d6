# What the CI stages share, sourced by each: a command run as root (through sudo when not
# root), and the Debian packages a stage lacks installed, with one apt update a stage.

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
