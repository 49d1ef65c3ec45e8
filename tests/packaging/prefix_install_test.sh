#!/usr/bin/env bash
# Installs the build into a throw-away prefix (cmake --install --prefix) and
# uses it from there as the README tells, without LD_LIBRARY_PATH: the Python
# module from <prefix>/lib/python3/dist-packages loads the engine library
# installed with it and moves a published vertex, and quillon-cli answers
# --help.
# Usage: prefix_install_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install --prefix"
[ -d "$prefix/lib/python3/dist-packages/quillon" ] ||
    fail "the module is not in <prefix>/lib/python3/dist-packages/quillon"

# The first published vertex, ED50 -> ETRS89 UTM 30 with the national set (as
# quillon-cli prints it in the package test).
got=$(cd "$work" && env -u LD_LIBRARY_PATH PYTHONPATH="$prefix/lib/python3/dist-packages" \
    PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -c '
import sys, numpy, quillon
assert quillon.__file__.startswith(sys.argv[1]), quillon.__file__
out, status = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30)).transformar(
    numpy.array([[298569.727, 4295339.009, 520.6]]))
assert status[0] == quillon.Estado.TRANSFORMADO, status
print("%.3f %.3f %.3f" % tuple(out[0]))
' "$prefix") || fail "import quillon from $prefix"
[ "$got" = "298459.538 4295133.070 520.600" ] || fail "quillon from the prefix printed: $got"

help=$(env -u LD_LIBRARY_PATH "$prefix/bin/quillon-cli" --help) || fail "quillon-cli --help"
[[ $help == *txt-a-dxf* ]] || fail "quillon-cli --help printed: $help"
echo "the installed prefix works"
