# Installs the Debian packages named as arguments that are not installed yet.
# Sourced by the top-level scripts. As root it runs apt-get itself; otherwise
# through sudo when sudo is there. Without either it names what is missing and
# the one command an administrator should run, and stops the calling script.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            cat >&2 <<MESSAGE
These Debian packages are needed and not installed: ${missing[*]}.
This script installs them with apt-get when it runs as root or with sudo, and
neither is available here. Ask an administrator to run, as root:

    apt-get install -y --no-install-recommends ${missing[*]}

then run this command again.
MESSAGE
            exit 1
        fi
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}" >&2
    if ! { "${sudo[@]}" apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq \
            --no-install-recommends "${missing[@]}" >/dev/null; }; then
        echo "apt-get could not install: ${missing[*]}" >&2
        exit 1
    fi
}

# What builds the engine and quillon-cli (GDAL for its GIS layers, capa).
BUILD_PACKAGES=(g++ cmake ninja-build libgdal-dev)
# What the tests need besides: GoogleTest and GoogleMock, and the independent
# readers that open the drawings the engine writes (ezdxf, GDAL), and what
# builds, checks (lintian) and unpacks the Debian packages and compiles the C
# example against them.
# The Python module and its tests: pybind11 and Python's development files,
# pytest, NumPy, GeoPandas with Shapely, pyproj and Fiona, Dask with its
# distributed scheduler. PROJ's cct checks the pipelines the fit report gives;
# GDAL's Python bindings and ogr2ogr check the layers of quillon-cli capa.
# The wheel test builds and installs the package as pip users do (build, venv,
# pip, wheel, pybind11's Python helpers) and mypy checks its types.
TEST_PACKAGES=(libgtest-dev libgmock-dev python3 python3-ezdxf gdal-bin python3-gdal proj-bin dpkg-dev file pkgconf
    lintian pybind11-dev python3-dev python3-pytest python3-numpy python3-pandas python3-geopandas
    python3-shapely python3-pyproj python3-fiona python3-dask python3-distributed
    python3-pybind11 python3-build python3-venv python3-pip python3-wheel mypy)
# The desktop program: Qt 6 Widgets, Qt PDF and Qt SVG (the map's export),
# Qt's own Spanish translations (dialog buttons, file dialogs), and the fonts
# its windows and its help document are drawn with.
FRONTEND_PACKAGES=(qt6-base-dev libqt6opengl6-dev qt6-pdf-dev qt6-svg-dev libgl-dev qt6-translations-l10n
    fonts-dejavu-core fonts-dejavu-extra)
# What builds the Debian packages besides (make-package): the Python module's
# build files and NumPy (which the module's package depends on), and the tools
# CPack calls (dpkg-shlibdeps, file, readelf).
PACKAGE_PACKAGES=(pybind11-dev python3-dev python3-numpy dpkg-dev file binutils gzip)
# The fuzz targets (tests/fuzz): clang with its libFuzzer runtime, and the
# Python that writes their seed corpus.
FUZZ_PACKAGES=(clang libclang-rt-14-dev python3)
