# Installs the Debian packages named as arguments that are not installed yet.
# Sourced by the top-level scripts; needs root or sudo when something is missing.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}" >&2
    "${sudo[@]}" apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >/dev/null
}

# The engine and its tests.
ENGINE_PACKAGES=(g++ cmake ninja-build libgtest-dev libgmock-dev)
# The desktop program: Qt 6 Widgets and Qt PDF, and the fonts its windows and
# its help document are drawn with.
FRONTEND_PACKAGES=(qt6-base-dev libqt6opengl6-dev qt6-pdf-dev libgl-dev fonts-dejavu-core
    fonts-dejavu-extra)
