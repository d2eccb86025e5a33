# Shared by scripts/run and scripts/test: package set-up and the build.
# shellcheck shell=bash

TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=${JOBS:-$(nproc)}

# Debian packages the build, the tests and the local server need. libxml2-dev is for the tests
# alone (they parse every SVG chart), but every configured build includes the tests.
BUILD_PACKAGES=(build-essential cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev
                libfreetype-dev fonts-liberation fonts-dejavu-core libgif-dev libpng-dev libxml2-dev libpq-dev)
TEST_PACKAGES=(clang libclang-rt-14-dev lighttpd apache2 nginx-light fcgiwrap chromium locales postgresql-15)
RUN_PACKAGES=(lighttpd)

# Installs whichever of the named packages are missing (apt-get update first).
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build_tree DIR [cmake options...]: configures once and builds everything in DIR.
build_tree() {
    local dir=$1
    shift
    cmake -S "$TOP" -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j "$JOBS"
}
