#!/usr/bin/env bash
# Builds the Debian package from a configured build folder, unpacks it into a
# throw-away root (dpkg -x: what apt-get install would put in place, without
# touching the machine) and uses the unpacked files as a user and a developer
# would: quillon-cli on the published vertices, the C example built with
# pkg-config and with find_package(Dezadiravevava), the Python module on the
# same vertices, and the desktop program's --version and --help without a
# display.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null) || fail "cpack could not build the package"
deb=$(ls "$work"/out/quillon_*.deb)
echo "package: $(basename "$deb")"
dpkg-deb -I "$deb" > "$work/control"
root=$work/root
dpkg-deb -x "$deb" "$root"
pc=$(find "$root/usr/lib" -name dezadiravevava.pc | head -n 1)
[ -n "$pc" ] || fail "the package has no dezadiravevava.pc"
libdir=$(dirname "$(dirname "$pc")")
lib=${libdir#"$root/"}

# What the package holds.
for file in usr/bin/quillon usr/bin/quillon-cli \
    "$lib/libdezadiravevava.so.1" "$lib/libdezadiravevava.so" \
    usr/include/dezadiravevava/dezadiravevava.h usr/include/dezadiravevava/transf_client.h \
    "$lib/cmake/Dezadiravevava/DezadiravevavaConfig.cmake" \
    usr/share/man/man1/quillon-cli.1.gz usr/share/applications/quillon.desktop \
    usr/share/icons/hicolor/scalable/apps/quillon.svg usr/share/quillon/ayudaQuillon.pdf \
    usr/share/quillon/mapa_andalucia.png usr/share/dezadiravevava/vertex_catalogue.tsv \
    usr/share/doc/quillon/copyright; do
    [ -e "$root/$file" ] || fail "the package has no /$file"
done
for grid in "$source"/data/ign/*.gsb "$source"/data/ign/*.gtx; do
    [ -e "$grid" ] || continue
    [ -e "$root/usr/share/dezadiravevava/$(basename "$grid")" ] ||
        fail "the package has no /usr/share/dezadiravevava/$(basename "$grid")"
done
# The grids' licence asks for their attribution.
grep -q "Creative Commons Attribution 4.0" "$root/usr/share/doc/quillon/copyright" ||
    fail "the copyright file does not give the IGN grids' CC-BY 4.0 attribution"
# Dependencies come from Debian's own packages.
for dependency in libqt6widgets6 libstdc++6 fonts-dejavu-core; do
    grep -q "^ Depends:.*$dependency" "$work/control" || fail "Depends does not name $dependency"
done

# quillon-cli as installed: the published vertices with the national set.
expected=$'298459.538\t4295133.070\t520.600\t30.\n179163.242\t4172441.796\t250.200\t30.'
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
# vertices through an array, the same as quillon-cli printed.
python_dir=$root/usr/lib/python3/dist-packages
for file in quillon/__init__.py quillon/geopandas.py quillon/dask.py quillon/py.typed \
    quillon/_quillon.pyi; do
    [ -e "$python_dir/$file" ] || fail "the package has no /usr/lib/python3/dist-packages/$file"
done
ls "$python_dir"/quillon/_quillon.*.so >/dev/null 2>&1 || fail "the package has no quillon/_quillon*.so"
grep -q "^ Depends:.*python3-numpy" "$work/control" || fail "Depends does not name python3-numpy"
got=$(cd "$work" && PYTHONPATH=$python_dir LD_LIBRARY_PATH=$libdir /usr/bin/python3 -c '
import sys, numpy, quillon
assert quillon.__file__.startswith(sys.argv[1]), quillon.__file__
points = numpy.loadtxt(sys.argv[2])[:2, :3]
out, status = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30)).transformar(points)
assert (status == quillon.Estado.TRANSFORMADO).all()
for x, y, h in out:
    print(f"{x:.3f}\t{y:.3f}\t{h:.3f}\t30.")
' "$python_dir" "$source/data/published_vertices_ed50.txt") || fail "import quillon from the package"
[ "$got" = "$expected" ] || fail "quillon from Python printed: $got"

# The desktop program answers --version and --help without a display.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LD_LIBRARY_PATH=$libdir \
    "$root/usr/bin/quillon" --version) || fail "quillon --version"
[[ $version == quillon\ * ]] || fail "quillon --version printed: $version"
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LD_LIBRARY_PATH=$libdir \
    "$root/usr/bin/quillon" --help) || fail "quillon --help"
[[ $help == *--version* ]] || fail "quillon --help printed: $help"
echo "the unpacked package works"
