#!/usr/bin/env python3
"""Compares the output of two quillon-cli builds, coordinate by coordinate.

Makes random points over Andalusia (fixed seed) in every kind: geocentric,
geodetic, UTM with the zone of each point and UTM zone 30 for the whole file,
on ED50 and on ETRS89. Runs `quillon-cli txt` of both builds on the same files
for every pair of kinds, ED50 -> ETRS89 and back with the national set and
ED50 -> ED50 (re-expression only), and a few runs with regional Molodensky and
2D affine sets. For every output column it prints the largest difference in
units of the column's last written decimal (0.001 m, or 1e-12 degree and
1e-12 m in geodetic output) and how many values differ by more than one unit.

Geodetic output has twelve decimals, finer than what an iteration that stops
at 1e-12 rad or 1e-10 m delivers. For it the script also evaluates the same
formulas exactly (extended precision, numpy longdouble): the national
Helmert set, the closed-form geocentric inverse (by iteration to the last
bit) and the exact transverse Mercator's inverse (Krueger's series, with
tan(phi) solved to the last bit), and prints how far each build lies from
that.

Usage: compare_builds.py BEFORE_CLI AFTER_CLI [POINTS]   (default 200000)
Exit status 1 when a UTM or geocentric coordinate differs by more than one
unit between the builds, or when the later build's geodetic output lies
farther from the exact value than one unit in longitude or latitude or 1e-8 m
in height (a height that passes through geocentric doubles, whose rounding is
up to 4.7e-10 m each, cannot be closer; the regional runs are reported only).
"""
import numpy as np
import os
import random
import subprocess
import sys
import tempfile

KINDS = {
    "geocentricas": ("geocentricas", []),
    "geodesicas": ("geodesicas", []),
    "utm-punto": ("utm", []),
    "utm-30": ("utm", ["30"]),
}


L = np.longdouble
PI = L("3.14159265358979323846264338327950288")
ELLIPSOIDS = {"ED50": (L(6378388.0), L(1.0 / 297.0)),
              "ETRS89": (L(6378137.0), L(1.0 / 298.257223563))}
# The national set as published (position-vector rotations, radians):
# scale, rx, ry, rz, tx, ty, tz, each direction a set of its own.
NATIONAL = {("ED50", "ETRS89"): ("9.39e-06", "-6.031082193002628e-06", "-9.69627362219072e-08",
                                 "-5.546268511893092e-06", "-131.0", "-100.3", "-163.4"),
            ("ETRS89", "ED50"): ("-9.38994e-06", "6.030969468973632e-06",
                                 "9.699436546646279e-08", "5.546164941146395e-06",
                                 "130.9982295", "100.2987993", "163.3990579")}


def to_geocentric(datum, lon, lat, h):
    a, f = ELLIPSOIDS[datum]
    e2 = f * (2 - f)
    n = a / np.sqrt(1 - e2 * np.sin(lat) ** 2)
    return ((n + h) * np.cos(lat) * np.cos(lon), (n + h) * np.cos(lat) * np.sin(lon),
            (n * (1 - e2) + h) * np.sin(lat))


def to_geodetic(datum, x, y, z):
    """Geodetic coordinates of (x, y, z), iterated to the last bit."""
    a, f = ELLIPSOIDS[datum]
    e2 = f * (2 - f)
    rho = np.hypot(x, y)
    lat = np.arctan2(z, rho * (1 - e2))
    for _ in range(40):
        n = a / np.sqrt(1 - e2 * np.sin(lat) ** 2)
        lat = np.arctan2(z + e2 * n * np.sin(lat), rho)
    s, c = np.sin(lat), np.cos(lat)
    return np.arctan2(y, x), lat, rho * c + z * s - a * np.sqrt(1 - e2 * s * s)


def helmert(pair, x, y, z):
    """The engine's linearised seven-parameter transformation."""
    mu, rx, ry, rz, tx, ty, tz = (L(v) for v in NATIONAL[pair])
    return (x + mu * x - rz * y + ry * z + tx, y + rz * x + mu * y - rx * z + ty,
            z - ry * x + rx * y + mu * z + tz)


# Krueger's series to n^6 (Karney 2011, eq. 36): zeta' = zeta - sum beta_j sin(2 j zeta).
BETA = [[L(1) / 2, L(-2) / 3, L(37) / 96, L(-1) / 360, L(-81) / 512, L(96199) / 604800],
        [L(1) / 48, L(1) / 15, L(-437) / 1440, L(46) / 105, L(-1118711) / 3870720],
        [L(17) / 480, L(-37) / 840, L(-209) / 4480, L(5569) / 90720],
        [L(4397) / 161280, L(-11) / 504, L(-830251) / 7257600],
        [L(4583) / 161280, L(-108847) / 3991680],
        [L(20648693) / 638668800]]


def utm_inverse(datum, x, y, zone):
    """The exact transverse Mercator's inverse (Krueger to n^6, whose truncation
    is nanometres), tan(phi) solved from tan(phi') to the last bit."""
    a, f = ELLIPSOIDS[datum]
    e2 = f * (2 - f)
    e = np.sqrt(e2)
    n = f / (2 - f)
    rect = a / (1 + n) * (1 + n ** 2 / 4 + n ** 4 / 64 + n ** 6 / 256)
    xi = y / (L("0.9996") * rect)
    eta = (x - 500000) / (L("0.9996") * rect)
    xip, etap = xi, eta
    for j, row in enumerate(BETA, start=1):
        beta = sum(c * n ** (j + k) for k, c in enumerate(row))
        xip = xip - beta * np.sin(2 * j * xi) * np.cosh(2 * j * eta)
        etap = etap - beta * np.cos(2 * j * xi) * np.sinh(2 * j * eta)
    taup = np.sin(xip) / np.sqrt(np.sinh(etap) ** 2 + np.cos(xip) ** 2)
    tau = taup / (1 - e2)
    for _ in range(8):
        sigma = np.sinh(e * np.arctanh(e * tau / np.sqrt(1 + tau * tau)))
        taupa = tau * np.sqrt(1 + sigma * sigma) - sigma * np.sqrt(1 + tau * tau)
        tau = tau + (taup - taupa) * (1 + (1 - e2) * tau * tau) / (
            (1 - e2) * np.sqrt(1 + tau * tau) * np.sqrt(1 + taupa * taupa))
    lat = np.arctan(tau)
    lon = (6 * zone - 183) * PI / 180 + np.arctan2(np.sinh(etap), np.cos(xip))
    return lon, lat


def exact_geodetic(source, datum_a, kind_a, datum_b):
    """Exact geodetic output (degrees, degrees, metres) of a national run."""
    rows = read(source)
    cols = [np.array([L(r[i]) for r in rows]) for i in range(1, 4)]
    keep_height = None
    if kind_a == "geodesicas":
        lon, lat, h = cols[0] * PI / 180, cols[1] * PI / 180, cols[2]
    elif kind_a.startswith("utm"):
        zone = (np.array([L(r[4]) for r in rows]) if kind_a == "utm-punto"
                else np.full(len(rows), L(30)))
        lon, lat = utm_inverse(datum_a, cols[0], cols[1], zone)
        h, keep_height = np.zeros(len(rows), dtype=L), cols[2]
    else:
        lon, lat, h = None, None, None
    if datum_a == datum_b and lon is not None:
        out = (lon, lat, h)
    else:
        xyz = cols if lon is None else to_geocentric(datum_a, lon, lat, h)
        if datum_a != datum_b:
            xyz = helmert((datum_a, datum_b), *xyz)
        out = to_geodetic(datum_b, *xyz)
    lon, lat, h = out
    if keep_height is not None:  # a UTM input keeps its height
        h = keep_height
    return lon * 180 / PI, lat * 180 / PI, h


def distance_to_exact(path, exact):
    """Largest difference per column from the exact values, in 1e-12 units."""
    rows = read(path)
    return [float(np.max(np.abs(np.array([L(r[i + 1]) for r in rows]) - exact[i]))) * 1e12
            for i in range(3)]


def write_geodetic(path, rows):
    with open(path, "w", newline="") as f:
        f.write("Puntos aleatorios en Andalucia\r\n")
        for i, (lon, lat, h) in enumerate(rows, start=1):
            f.write(f"{i}\t{lon:.10f}\t{lat:.10f}\t{h:.4f}\r\n")


def side(prefix, datum, kind):
    tipo, zone = KINDS[kind]
    args = [f"--datum-{prefix}", datum, f"--tipo-{prefix}", tipo]
    if zone:
        args += [f"--huso-{prefix}", zone[0]]
    return args


def run(cli, source, target, datum_a, kind_a, datum_b, kind_b, extra=()):
    done = subprocess.run([cli, "txt", source, target, *side("a", datum_a, kind_a),
                           *side("b", datum_b, kind_b), "--fuera-de-region", *extra],
                          capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"{cli} txt {source}: exit {done.returncode}\n{done.stderr}")


def read(path):
    with open(path, encoding="cp1252") as f:
        next(f)
        return [line.rstrip("\r\n").split("\t") for line in f]


def decimals(text):
    return len(text) - text.index(".") - 1 if "." in text else 0


def compare(before, after):
    """Per column: (largest difference in last-decimal units, values beyond one unit)."""
    a, b = read(before), read(after)
    if len(a) != len(b):
        raise SystemExit(f"{before}: {len(a)} lines against {len(b)}")
    columns = {}
    for row_a, row_b in zip(a, b):
        if row_a[0] != row_b[0] or len(row_a) != len(row_b):
            raise SystemExit(f"lines differ in layout: {row_a} / {row_b}")
        for col in range(1, len(row_a)):
            if row_a[col] == row_b[col]:
                units = 0.0
            else:
                units = abs(float(row_a[col]) - float(row_b[col])) * 10 ** decimals(row_a[col])
            worst, beyond = columns.get(col, (0.0, 0))
            columns[col] = (max(worst, units), beyond + (units > 1.0 + 1e-6))
    return columns


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    before_cli, after_cli = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 200000
    rng = random.Random(20240613)
    failed = False
    with tempfile.TemporaryDirectory(prefix="quillon-compare-") as work:
        inputs = {}
        for datum in ("ED50", "ETRS89"):
            rows = [(rng.uniform(-7.6, -1.6), rng.uniform(35.9, 38.8), rng.uniform(-50, 3500))
                    for _ in range(count)]
            geodetic = os.path.join(work, f"{datum}-geodesicas.txt")
            write_geodetic(geodetic, rows)
            inputs[(datum, "geodesicas")] = geodetic
            # The other kinds re-expressed by the earlier build, on the same datum.
            for kind in ("geocentricas", "utm-punto", "utm-30"):
                path = os.path.join(work, f"{datum}-{kind}.txt")
                run(before_cli, geodetic, path, datum, "geodesicas", datum,
                    "utm-punto" if kind == "utm-punto" else kind)
                inputs[(datum, kind)] = path

        runs = []
        for datum_a, datum_b in (("ED50", "ETRS89"), ("ETRS89", "ED50"), ("ED50", "ED50")):
            for kind_a in KINDS:
                for kind_b in KINDS:
                    runs.append((datum_a, kind_a, datum_b, kind_b, ()))
        for model in ("molodensky", "afin"):
            for kind_a, kind_b in (("utm-30", "utm-30"), ("geodesicas", "geodesicas"),
                                   ("geocentricas", "utm-punto")):
                runs.append(("ED50", kind_a, "ETRS89", kind_b,
                             ("--parametros", "regionales", "--modelo", model)))

        print(f"{count} points a run; largest difference in units of the last decimal "
              "(values beyond one unit)")
        for datum_a, kind_a, datum_b, kind_b, extra in runs:
            source = inputs[(datum_a, kind_a)]
            outputs = []
            for name, cli in (("before", before_cli), ("after", after_cli)):
                target = os.path.join(work, f"out-{name}.txt")
                run(cli, source, target, datum_a, kind_a, datum_b, kind_b, extra)
                outputs.append(target)
            columns = compare(*outputs)
            label = f"{datum_a} {kind_a} -> {datum_b} {kind_b}"
            if extra:
                label += f" ({extra[3]}, regional)"
            geodetic = kind_b == "geodesicas"
            cells = []
            for col in sorted(columns):
                worst, beyond = columns[col]
                cells.append(f"{worst:.2f}" + (f" ({beyond})" if beyond else ""))
                if beyond and not geodetic:
                    failed = True
            print(f"{label:<58} " + "  ".join(cells))
            if geodetic and not extra:
                exact = exact_geodetic(source, datum_a, kind_a, datum_b)
                errors = [distance_to_exact(path, exact) for path in outputs]
                print(f"{'   from the exact value, before':<58} "
                      + "  ".join(f"{e:.2f}" for e in errors[0]))
                print(f"{'   from the exact value, after':<58} "
                      + "  ".join(f"{e:.2f}" for e in errors[1]))
                if max(errors[1][:2]) > 1.0 + 1e-6 or errors[1][2] > 1e4:
                    failed = True
    if failed:
        print("FAILED: differences beyond one unit of the last decimal.")
        return 1
    print("UTM and geocentric output within one unit of the earlier build's; geodetic output "
          "within one unit (heights 1e-8 m) of the exact value.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
