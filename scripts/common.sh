# Shared by the scripts: paths and the one-time installation of what the build needs.
# Source it; it defines ROOT and BUILD and the function ensure_packages.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VERDANIX_BUILD_DIR:-$ROOT/build}"

# Debian packages the build, the tests and the demo need.
PACKAGES=(
    build-essential cmake ccache pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
    libsqlite3-dev libgif-dev libjpeg62-turbo-dev libxlsxwriter-dev
    googletest libgtest-dev libbenchmark-dev
    python3-xlrd
    fonts-wqy-microhei
    xvfb xauth imagemagick xdotool openbox
)

ensure_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build BUILD_DIR [extra cmake args...]
configure_and_build() {
    local dir="$1"; shift
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

# make_demo: the demo installation (program and data folders in demo/, registry.reg and
# system.ini beside the executable). nsftool leaves a complete, current one as it is.
make_demo() {
    "$BUILD/bin/nsftool" demo "$ROOT/demo" "$BUILD/bin"
}
