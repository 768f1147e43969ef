# Shared by the scripts: paths and the one-time installation of what the build needs.
# Source it; it defines ROOT and BUILD and the function ensure_packages.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VERDANIX_BUILD_DIR:-$ROOT/build}"

# Debian packages the build, the tests and the demo need.
PACKAGES=(
    build-essential cmake ccache pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n qt6-tools-dev qt6-l10n-tools libgl-dev libxkbcommon-dev
    libsqlite3-dev libgif-dev libjpeg62-turbo-dev libxlsxwriter-dev zlib1g-dev
    googletest libgtest-dev libbenchmark-dev time
    python3-xlrd python3-openpyxl
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
    # Another apt process (an unattended upgrade, say) may hold the lock: wait for it.
    local wait=(-o DPkg::Lock::Timeout=600)
    $sudo apt-get "${wait[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get "${wait[@]}" install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build BUILD_DIR [extra cmake args...]
configure_and_build() {
    local dir="$1"; shift
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

# quiet_build BUILD_DIR: configure_and_build that prints the build only when it fails.
quiet_build() {
    local log
    log="$(mktemp)"
    if ! configure_and_build "$@" >"$log" 2>&1; then
        cat "$log"
        rm -f "$log"
        echo "The build failed." >&2
        return 1
    fi
    rm -f "$log"
}

# make_demo: the demo installation (program and data folders in demo/, registry.reg and
# system.ini beside the executable). nsftool leaves a complete, current one as it is.
make_demo() {
    "$BUILD/bin/nsftool" demo "$ROOT/demo" "$BUILD/bin"
}
