#!/usr/bin/env bash
# Builds the Debian packages from a configured build folder and checks them as
# apt, dpkg and lintian would: the four package names, every control file's
# relations (valid Debian versions, the Python range of the interpreter the
# module is built for), the library's shlibs file and ldconfig trigger, the
# Python module's byte-compiling scripts, lintian's errors, and that the four
# install together on this system (apt-get -s: resolved, not installed). Then
# it unpacks them into a throw-away root (dpkg -x: what apt-get install would
# put in place, without touching the machine) and uses the unpacked files as a
# user and a developer would: quillon-cli on the published vertices, the C
# example built with pkg-config and with find_package(Dezadiravevava), the
# Python module on the same vertices, and the desktop program's --version and
# --help without a display.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null) || fail "cpack could not build the packages"
packages=(libdezadiravevava1 libdezadiravevava-dev python3-quillon quillon)
debs=()
for package in "${packages[@]}"; do
    deb=$(compgen -G "$work/out/${package}_*.deb") || fail "cpack made no package $package"
    debs+=("$deb")
    echo "package: $(basename "$deb")"
done
[ "$(compgen -G "$work/out/*.deb" | wc -l)" -eq ${#packages[@]} ] ||
    fail "cpack made other packages: $(cd "$work/out" && echo *.deb)"
deb_of() { compgen -G "$work/out/${1}_*.deb"; }
field() { dpkg-deb -f "$(deb_of "$1")" "$2"; }

# Every control file: its own name, versions in relations that dpkg accepts,
# descriptions that fit a terminal.
for package in "${packages[@]}"; do
    name=$(field "$package" Package) || fail "dpkg-deb cannot read $package's control file"
    [ "$name" = "$package" ] || fail "$package is named $name"
    dpkg --validate-version "$(field "$package" Version)" ||
        fail "$package: bad version $(field "$package" Version)"
    for relation in Depends Recommends Suggests; do
        while read -r version; do
            dpkg --validate-version "$version" 2>/dev/null || fail "$package $relation:" \
                "'$version' is no Debian version ($(field "$package" "$relation"))"
        done < <(field "$package" "$relation" | grep -oP '\((<<|<=|=|>=|>>) *\K[^)]*')
    done
    long=$(field "$package" Description | awk 'length > 80') || true
    [ -z "$long" ] || fail "$package: description lines longer than 80 characters: $long"
done
deb_version=$(field libdezadiravevava1 Version)
depends_on() { # package relation (an extended regular expression)
    local depends
    depends=$(field "$1" Depends) || fail "dpkg-deb cannot read $1's Depends"
    grep -qE "(^|, )$2(,|$)" <<<"$depends" || fail "$1 Depends does not name $2: $depends"
}
depends_on libdezadiravevava-dev "libdezadiravevava1 \(= $deb_version\)"
# The module is built for the Python the tests run: this major.minor only.
python=$(/usr/bin/python3 -c 'import sys; print(*sys.version_info[:2])')
read -r major minor <<<"$python"
depends_on python3-quillon "python3 \(>= $major\.$minor~\)"
depends_on python3-quillon "python3 \(<< $major\.$((minor + 1))\)"
depends_on python3-quillon python3-numpy
depends_on python3-quillon "libdezadiravevava1( \([^)]*\))?"
depends_on quillon "libdezadiravevava1( \([^)]*\))?"
depends_on quillon fonts-dejavu-core
# (dependencies from dpkg-shlibdeps, i.e. from Debian's own packages; GDAL
# for quillon-cli capa)
for dependency in libqt6widgets6 'libstdc\+\+6' 'libgdal[0-9]+'; do
    depends_on quillon "$dependency( \([^)]*\))?"
done
grep -q python3-geopandas <<<"$(field python3-quillon Suggests)" ||
    fail "python3-quillon does not suggest python3-geopandas"

# The library: a shlibs file for the packages that link it, and dpkg's
# ldconfig trigger rather than scripts that call ldconfig.
control=$work/control
mkdir -p "$control"
dpkg-deb -e "$(deb_of libdezadiravevava1)" "$control/lib"
grep -qx "libdezadiravevava 1 libdezadiravevava1 (>= $deb_version)" "$control/lib/shlibs" ||
    fail "libdezadiravevava1's shlibs: $(cat "$control/lib/shlibs" 2>&1)"
grep -qx 'activate-noawait ldconfig' "$control/lib/triggers" ||
    fail "libdezadiravevava1 has no ldconfig trigger"
for script in preinst postinst prerm postrm; do
    [ ! -e "$control/lib/$script" ] || fail "libdezadiravevava1 has a $script script"
done
# The module is byte-compiled when installed and its byte code removed with it.
dpkg-deb -e "$(deb_of python3-quillon)" "$control/python"
grep -q '^ *py3compile -p python3-quillon' "$control/python/postinst" ||
    fail "python3-quillon's postinst does not byte-compile the module"
grep -q '^ *py3clean -p python3-quillon' "$control/python/prerm" ||
    fail "python3-quillon's prerm does not remove the byte code"

# lintian: no errors, and none of the warnings these packages once had.
lintian --tag-display-limit 0 "${debs[@]}" > "$work/lintian" 2>&1 || true
cat "$work/lintian"
grep -q '^E: ' "$work/lintian" && fail "lintian reports errors"
for tag in extended-description-line-too-long link-to-shared-library-in-wrong-package \
    maintscript-calls-ldconfig no-manual-page package-name-doesnt-match-sonames \
    custom-library-search-path; do
    grep -q "^W: .*: $tag" "$work/lintian" && fail "lintian warns $tag"
done

# The four install together on this system (a simulation: apt resolves their
# dependencies against the system's packages and lists what it would do).
apt-get install -s "${debs[@]}" > "$work/apt" 2>&1 || fail "apt-get install -s: $(cat "$work/apt")"
for package in "${packages[@]}"; do
    grep -qE "^Inst $package( |$)" "$work/apt" || dpkg-query -W "$package" >/dev/null 2>&1 ||
        fail "apt-get install -s would not install $package: $(cat "$work/apt")"
done

# What each package holds.
root=$work/root
for deb in "${debs[@]}"; do
    dpkg-deb -x "$deb" "$root"
done
pc=$(find "$root/usr/lib" -name dezadiravevava.pc | head -n 1)
[ -n "$pc" ] || fail "the packages have no dezadiravevava.pc"
libdir=$(dirname "$(dirname "$pc")")
lib=${libdir#"$root/"}
holds() { # package file...
    local package=$1 listing
    shift
    listing=$(dpkg-deb -c "$(deb_of "$package")" | awk '{print $6}')
    for file in "$@"; do
        grep -qx "\./$file" <<<"$listing" || fail "$package has no /$file"
    done
}
holds libdezadiravevava1 "$lib/libdezadiravevava.so.1" usr/share/dezadiravevava/vertex_catalogue.tsv
holds libdezadiravevava-dev "$lib/libdezadiravevava.so" \
    usr/include/dezadiravevava/dezadiravevava.h usr/include/dezadiravevava/transf_client.h \
    "$lib/cmake/Dezadiravevava/DezadiravevavaConfig.cmake" "$lib/pkgconfig/dezadiravevava.pc"
for file in __init__.py geopandas.py dask.py py.typed _quillon.pyi; do
    holds python3-quillon "usr/lib/python3/dist-packages/quillon/$file"
done
holds quillon usr/bin/quillon usr/bin/quillon-cli \
    usr/share/man/man1/quillon.1.gz usr/share/man/man1/quillon-cli.1.gz \
    usr/share/applications/quillon.desktop usr/share/icons/hicolor/scalable/apps/quillon.svg \
    usr/share/quillon/ayudaQuillon.pdf usr/share/quillon/splash_1.png
# The grids go with the library that reads them, for every program using it.
for grid in "$source"/data/ign/*.gsb "$source"/data/ign/*.gtx; do
    [ -e "$grid" ] || continue
    holds libdezadiravevava1 "usr/share/dezadiravevava/$(basename "$grid")"
done
for package in "${packages[@]}"; do
    holds "$package" "usr/share/doc/$package/copyright" "usr/share/doc/$package/changelog.Debian.gz"
done
# The library's package has the library and its data alone (its link belongs
# to -dev).
others=$(dpkg-deb -c "$(deb_of libdezadiravevava1)" | awk '{print $6}' |
    grep -v -e '/$' -e "^\./$lib/libdezadiravevava\.so\.1" -e '^\./usr/share/doc/' \
        -e '^\./usr/share/dezadiravevava/') || true
[ -z "$others" ] || fail "libdezadiravevava1 holds more than the library and its data: $others"
# The grids' licence asks for their attribution.
for package in libdezadiravevava1 quillon; do
    grep -q "Creative Commons Attribution 4.0" "$root/usr/share/doc/$package/copyright" ||
        fail "$package's copyright file does not give the IGN grids' CC-BY 4.0 attribution"
done
grep -q "MIT License" "$root/usr/share/doc/libdezadiravevava1/copyright" ||
    fail "libdezadiravevava1's copyright file has no licence"

# quillon-cli as installed: the published vertices with the national set.
expected=$'298459.538\t4295133.070\t520.600\t30.\n179163.243\t4172441.796\t250.200\t30.'
# (The whole output is captured first: a reader that stops early would end
# the program with SIGPIPE.)
got=$("$root/usr/bin/quillon-cli" punto --datum-a ED50 --tipo-a utm --huso-a 30 \
    --datum-b ETRS89 --tipo-b utm --huso-b 30 < "$source/data/published_vertices_ed50.txt") ||
    fail "quillon-cli punto failed"
[ "$(sed -n 1,2p <<<"$got")" = "$expected" ] || fail "quillon-cli punto printed: $got"
# The grid method finds the installed grid beside the program (../share/dezadiravevava).
block=$("$root/usr/bin/quillon-cli" parametros --datum-a ED50 --datum-b ETRS89 \
    --parametros rejilla) || fail "quillon-cli parametros --parametros rejilla failed"
grep -q "^Rejilla NTv2..........: $root/usr/share/dezadiravevava/SPED2ETV2.gsb" <<<"$block" ||
    fail "quillon-cli does not use the installed grid: $block"
grep -q '^\.SS txt-a-dxf' <(zcat "$root/usr/share/man/man1/quillon-cli.1.gz") ||
    fail "the manual page does not describe txt-a-dxf"

# The C example against the installed header and library, through pkg-config...
export PKG_CONFIG_PATH=$libdir/pkgconfig
flags=$(pkg-config --define-variable=prefix="$root/usr" --cflags --libs dezadiravevava)
# shellcheck disable=SC2086
cc -o "$work/centroide" "$source/docs/examples/centroide.c" $flags
grep -q '^20 puntos, centroide ED50 UTM 30: ' \
    <(LD_LIBRARY_PATH=$libdir "$work/centroide" "$source/data/muestra_ed50_utm.txt") ||
    fail "the C example built with pkg-config"

# ... and through find_package(Dezadiravevava).
mkdir -p "$work/cmake-project"
cat > "$work/cmake-project/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(centroide C)
find_package(Dezadiravevava 1 REQUIRED)
add_executable(centroide "$source/docs/examples/centroide.c")
target_link_libraries(centroide PRIVATE Dezadiravevava::dezadiravevava)
CMAKE
cmake -S "$work/cmake-project" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$root/usr" \
    >/dev/null || fail "find_package(Dezadiravevava)"
cmake --build "$work/cmake-build" >/dev/null || fail "the C example built with CMake"
grep -q '^20 puntos, centroide ED50 UTM 30: ' \
    <(LD_LIBRARY_PATH=$libdir "$work/cmake-build/centroide" "$source/data/muestra_ed50_utm.txt") ||
    fail "the C example built with CMake"

# The Python module as installed, with Debian's interpreter: the published
# vertices through an array, the same as quillon-cli printed. The packaged
# extension has no run path (the library is in the system's library folder).
python_dir=$root/usr/lib/python3/dist-packages
extension=$(compgen -G "$python_dir/quillon/_quillon.*.so") ||
    fail "python3-quillon has no quillon/_quillon*.so"
readelf -d "$extension" | grep -qE 'R(UN)?PATH' && fail "the packaged extension has a run path"
got=$(cd "$work" && PYTHONPATH=$python_dir LD_LIBRARY_PATH=$libdir /usr/bin/python3 -c '
import sys, numpy, quillon
assert quillon.__file__.startswith(sys.argv[1]), quillon.__file__
points = numpy.loadtxt(sys.argv[2])[:2, :3]
out, status = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30)).transformar(points)
assert (status == quillon.Estado.TRANSFORMADO).all()
for x, y, h in out:
    print(f"{x:.3f}\t{y:.3f}\t{h:.3f}\t30.")
' "$python_dir" "$source/data/published_vertices_ed50.txt") ||
    fail "import quillon from the package"
[ "$got" = "$expected" ] || fail "quillon from Python printed: $got"

# The desktop program answers --version and --help without a display.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LD_LIBRARY_PATH="$libdir" \
    "$root/usr/bin/quillon" --version) || fail "quillon --version"
[[ $version == quillon\ * ]] || fail "quillon --version printed: $version"
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LD_LIBRARY_PATH="$libdir" \
    "$root/usr/bin/quillon" --help) || fail "quillon --help"
[[ $help == *--version* ]] || fail "quillon --help printed: $help"
echo "the packages install together and their unpacked files work"
