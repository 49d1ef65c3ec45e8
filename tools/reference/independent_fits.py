#!/usr/bin/python3
"""Reference values of the least-squares estimations, computed without the engine.

Reads the vertex catalogue (data/vertex_catalogue.tsv) and redoes, in numpy,
what the engine documents for a regional or local estimation:

  * the vertex search (the N nearest, planimetric in ED50 UTM zone 30, or all);
  * the blunder screening: a vertex whose ED50 position, carried by the national
    set (EPSG:1632, Helmert 3D), lands more than 10 m from its catalogue ETRS89
    position takes no part;
  * each vertex on its ellipsoid: ED50 on International 1924, ETRS89 on WGS 84,
    geodetic from the UTM zone-30 coordinates with h = 0 (3D models), or the
    plane coordinates as they stand (2D affine);
  * the centroids: mean of the geocentric (or plane) triples; the ETRS89 one on
    GRS 80;
  * the Gauss-Markov adjustment with unit weights on centroid-reduced
    coordinates, x = (A^T A)^-1 A^T l, v = A x - l, sigma0 = sqrt(v^T v / (m - u)),
    with the design matrices of Helmert 3D (coordinate-frame rotations),
    Molodensky (partials at the reduced geodetic coordinates) and 2D affine; the
    Molodensky latitude and longitude residuals (angles) enter sigma0 as the arcs
    they span at their vertex, (M + h) dphi and (N + h) cos(phi) dlambda, so that
    sigma0 is in metres for every model.

The transverse Mercator is PROJ's exact one (pyproj, Debian's python3-pyproj),
and PROJ's EPSG:1632 pipeline (cct) checks the national deviations. The
least squares are solved in extended precision, which gives the reference
values, and by five double-precision solvers, so the script says which printed
digits a double-precision solver may not reach (the tests give those a
tolerance).

It writes:
  tests/data/logs/affine_local_run.log       the execution log of an affine run,
                                             with its warnings of points far from
                                             the vertices or outside their polygon
  tests/data/logs/molodensky_regional_run.log the execution log of a Molodensky run
  tests/data/affine_local_run_points.tsv     that run's points, in and out
  tests/data/regional_fits.tsv              parameters and residuals of each
                                             regional fit at the sound vertices

Usage: tools/reference/independent_fits.py [REPO_ROOT]
"""
import math
import os
import subprocess
import sys

import numpy as np
import pyproj

ROOT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")

# a [m], 1/f
INTERNATIONAL_1924 = (6378388.0, 297.0)
GRS80 = (6378137.0, 298.257222101)
WGS84 = (6378137.0, 298.257223563)

K0 = 0.9996
FALSE_EASTING = 500000.0
BLUNDER_LIMIT = 10.0  # metres

# EPSG:1632 as published (position vector), ED50 -> ETRS89.
NATIONAL = dict(tx=-131.0, ty=-100.3, tz=-163.4, rx=-1.244, ry=-0.020, rz=-1.144, s=9.39)
ARCSEC = math.pi / (180.0 * 3600.0)

# The points of the affine run, ED50 UTM zone 29, around Huelva.
AFFINE_POINTS = [(680000.0, 4130000.0), (695250.5, 4121800.25), (709870.125, 4146020.75)]


class Ellipsoid:
    def __init__(self, row):
        self.a = row[0]
        self.f = 1.0 / row[1]
        self.b = self.a * (1.0 - self.f)
        self.e2 = self.f * (2.0 - self.f)


ED50 = Ellipsoid(INTERNATIONAL_1924)
ETRS = Ellipsoid(WGS84)
ETRS_CENTROID = Ellipsoid(GRS80)


# --- Transverse Mercator: PROJ's exact one (zone 30 unless told) ----------

_PROJECTIONS = {}


def _projection(ell, zone):
    """PROJ's UTM (etmerc) on the ellipsoid of `ell` (a and 1/f as given)."""
    key = (ell.a, ell.f, zone)
    if key not in _PROJECTIONS:
        _PROJECTIONS[key] = pyproj.Proj("+proj=utm +zone=%d +a=%.17g +rf=%.17g +no_defs"
                                        % (zone, ell.a, 1.0 / ell.f))
    return _PROJECTIONS[key]


def central_meridian(zone):
    return math.radians(6.0 * zone - 183.0)


def utm_to_geodetic(x, y, ell, zone=30):
    lon, lat = _projection(ell, zone)(x, y, inverse=True, errcheck=True)
    return math.radians(lon), math.radians(lat)


def geodetic_to_utm(lam, phi, ell, zone=30):
    return _projection(ell, zone)(math.degrees(lam), math.degrees(phi), errcheck=True)


# --- Geodetic and geocentric -------------------------------------------------

def geocentric(lam, phi, h, ell):
    n = ell.a / math.sqrt(1.0 - ell.e2 * math.sin(phi) ** 2)
    return np.array([(n + h) * math.cos(phi) * math.cos(lam),
                     (n + h) * math.cos(phi) * math.sin(lam),
                     (n * (1.0 - ell.e2) + h) * math.sin(phi)])


def geodetic(xyz, ell):
    """Latitude by Newton's method on the exact relation, height from it."""
    x, y, z = xyz
    p = math.hypot(x, y)
    lam = math.atan2(y, x)
    if z == 0.0:
        return lam, 0.0, p - ell.a
    phi = math.atan2(z, p * (1.0 - ell.e2))
    for _ in range(50):
        s, c = math.sin(phi), math.cos(phi)
        n = ell.a / math.sqrt(1.0 - ell.e2 * s * s)
        nxt = math.atan2(z + ell.e2 * n * s, p)
        if nxt == phi:
            break
        phi = nxt
    s, c = math.sin(phi), math.cos(phi)
    n = ell.a / math.sqrt(1.0 - ell.e2 * s * s)
    # Of the two height formulas, the one with the larger trigonometric factor.
    h = p / c - n if abs(c) > abs(s) else z / s - n * (1.0 - ell.e2)
    return lam, phi, h


def national(xyz):
    """EPSG:1632, position-vector rotations, small-angle form, scale not on the rotations."""
    rx, ry, rz = (NATIONAL[k] * ARCSEC for k in ("rx", "ry", "rz"))
    s = NATIONAL["s"] * 1e-6
    x, y, z = xyz
    return np.array([NATIONAL["tx"] + (1 + s) * x - rz * y + ry * z,
                     NATIONAL["ty"] + rz * x + (1 + s) * y - rx * z,
                     NATIONAL["tz"] - ry * x + rx * y + (1 + s) * z])


# --- The catalogue and its searches -----------------------------------------

def read_catalogue():
    rows = []
    with open(os.path.join(ROOT, "data", "vertex_catalogue.tsv"), encoding="utf-8") as f:
        next(f)
        for line in f:
            v = line.rstrip("\n").split("\t")
            rows.append(dict(number=int(v[0]), name=v[1], etrs_x=float(v[3]), etrs_y=float(v[4]),
                             ed50_x=float(v[6]), ed50_y=float(v[7])))
    return rows


def nearest(catalogue, n, cx, cy):
    ranked = sorted(catalogue, key=lambda v: math.hypot(v["ed50_x"] - cx, v["ed50_y"] - cy))
    d = [math.hypot(v["ed50_x"] - cx, v["ed50_y"] - cy) for v in ranked]
    assert d[n] - d[n - 1] > 1.0, "the N-th and (N+1)-th vertex are nearly as far: a tie"
    return ranked[:n]


def national_deviation(v):
    lam, phi = utm_to_geodetic(v["ed50_x"], v["ed50_y"], ED50)
    lam2, phi2, _ = geodetic(national(geocentric(lam, phi, 0.0, ED50)), ETRS)
    x, y = geodetic_to_utm(lam2, phi2, ETRS)
    return math.hypot(x - v["etrs_x"], y - v["etrs_y"])


# --- The adjustment ----------------------------------------------------------

def vertex_point(x, y, ell, model):
    """(geodetic triple, geocentric triple) of a vertex on its side."""
    if model == 2:
        xyz = np.array([x, y, 0.0])
        return None, xyz
    lam, phi = utm_to_geodetic(x, y, ell)
    return (lam, phi, 0.0), geocentric(lam, phi, 0.0, ell)


def molodensky_rows(dlam, dphi, dh, ell):
    a, f = ell.a, ell.f
    b = a * (1.0 - f)
    e2 = f * (2.0 - f)
    sp, cp, sl, cl = math.sin(dphi), math.cos(dphi), math.sin(dlam), math.cos(dlam)
    w = 1.0 - e2 * sp * sp
    n = a / math.sqrt(w)
    m = a * (1.0 - e2) / (w * math.sqrt(w))
    mh, nh = m + dh, (n + dh) * cp
    return [[-sp * cl / mh, -sp * sl / mh, cp / mh, e2 * n * sp * cp / (a * mh),
             (m * a / b + n * b / a) * sp * cp / mh],
            [-sl / nh, cl / nh, 0.0, 0.0, 0.0],
            [cp * cl, cp * sl, sp, -a / n, (b / a) * n * sp * sp]]


def design(model, source, target, s_bar, t_bar, source_ell):
    """A and l, one group of rows per vertex; source/target are (geodetic, geocentric)."""
    a_rows, l_rows = [], []
    for (sg, sc), (tg, tc) in zip(source, target):
        if model in (0, 2):
            d = sc - s_bar[1]
            obs = (tc - t_bar[1]) - d
            if model == 0:
                a_rows += [[d[0], 0, -d[2], d[1], 1, 0, 0],
                           [d[1], d[2], 0, -d[0], 0, 1, 0],
                           [d[2], -d[1], d[0], 0, 0, 0, 1]]
                l_rows += list(obs)
            else:
                a_rows += [[d[0], -d[1], 0, 0, 1, 0], [0, 0, d[0], d[1], 0, 1]]
                l_rows += list(obs[:2])
        else:
            dlam, dphi, dh = (sg[k] - s_bar[0][k] for k in range(3))
            a_rows += molodensky_rows(dlam, dphi, dh, source_ell)
            l_rows += [(tg[1] - t_bar[0][1]) - dphi, (tg[0] - t_bar[0][0]) - dlam,
                       (tg[2] - t_bar[0][2]) - dh]
    return np.array(a_rows, dtype=float), np.array(l_rows, dtype=float)


def solve_extended(a, l):
    """x and v^T v in extended precision: Gauss-Jordan with partial pivoting on
    the normal equations formed in long double (numpy's LAPACK is double only).
    The reference values are these: free of the solver's own rounding."""
    a, l = a.astype(np.longdouble), l.astype(np.longdouble)
    m = np.concatenate([a.T @ a, (a.T @ l)[:, None]], axis=1)
    k = m.shape[0]
    for c in range(k):
        p = c + int(np.argmax(np.abs(m[c:, c])))
        m[[c, p]] = m[[p, c]]
        m[c] /= m[c, c]
        for r in range(k):
            if r != c:
                m[r] -= m[r, c] * m[c]
    x = m[:, -1]
    v = a @ x - l
    return x, v


def double_solutions(a, l):
    """The same least squares by five double-precision solvers."""
    n, d = a.T @ a, a.T @ l
    q, r = np.linalg.qr(a)
    chol = np.linalg.cholesky(n)
    return [np.linalg.solve(n, d), np.linalg.inv(n) @ d, np.linalg.lstsq(a, l, rcond=None)[0],
            np.linalg.solve(r, q.T @ l), np.linalg.solve(chol.T, np.linalg.solve(chol, d))]


class Estimate:
    pass


def estimate(vertices, model, reverse):
    """The parameter set of the engine's documented estimation."""
    e = Estimate()
    e.kept, e.discarded = [], []
    for v in vertices:
        dev = national_deviation(v)
        (e.discarded if dev > BLUNDER_LIMIT else e.kept).append((v, dev))
    ed50 = [vertex_point(v["ed50_x"], v["ed50_y"], ED50, model) for v, _ in e.kept]
    etrs = [vertex_point(v["etrs_x"], v["etrs_y"], ETRS, model) for v, _ in e.kept]
    n = len(e.kept)
    ed50_c = sum(p[1] for p in ed50) / n
    etrs_c = sum(p[1] for p in etrs) / n
    ed50_bar = (geodetic(ed50_c, ED50), ed50_c)
    etrs_bar = (geodetic(etrs_c, ETRS_CENTROID), etrs_c)
    source, target = (etrs, ed50) if reverse else (ed50, etrs)
    e.s_bar, e.t_bar = (etrs_bar, ed50_bar) if reverse else (ed50_bar, etrs_bar)
    a, l = design(model, source, target, e.s_bar, e.t_bar, ETRS if reverse else ED50)
    x, v = solve_extended(a, l)
    vtv = v @ v
    if model == 1:
        # Angular residuals as arcs at their vertex, on the source ellipsoid.
        ell = ETRS if reverse else ED50
        e2 = ell.f * (2.0 - ell.f)
        arcs = []
        for i, (sg, _) in enumerate(source):
            w = 1.0 - e2 * math.sin(sg[1]) ** 2
            n_radius = ell.a / math.sqrt(w)
            m_radius = ell.a * (1.0 - e2) / (w * math.sqrt(w))
            arcs += [v[3 * i] * (m_radius + sg[2]),
                     v[3 * i + 1] * (n_radius + sg[2]) * math.cos(sg[1]), v[3 * i + 2]]
        vtv = sum(c * c for c in arcs)
    e.x = [float(c) for c in x]
    # How far double-precision solvers stray from it, slot by slot.
    e.spread = [max(abs(float(s[k]) - e.x[k]) for s in double_solutions(a, l))
                for k in range(len(e.x))]
    e.sigma0 = math.sqrt(float(vtv) / (a.shape[0] - a.shape[1]))
    e.params = e.x + [0.0] * (7 - len(e.x))
    if model == 1:
        src = ETRS_CENTROID if reverse else ED50
        e.params[5], e.params[6] = src.a, src.f
    e.model, e.reverse = model, reverse
    return e


# --- Applying a set, for the residuals at the vertices ------------------------

def apply(e, v):
    """ED50 UTM 30 of vertex v -> ETRS89 UTM 30 with the estimated set (forward sets only)."""
    p = e.params
    if e.model == 2:
        dx, dy = v["ed50_x"] - e.s_bar[1][0], v["ed50_y"] - e.s_bar[1][1]
        return (e.t_bar[1][0] + (1 + p[0]) * dx - p[1] * dy + p[4],
                e.t_bar[1][1] + p[2] * dx + (1 + p[3]) * dy + p[5])
    lam, phi = utm_to_geodetic(v["ed50_x"], v["ed50_y"], ED50)
    if e.model == 0:
        d = geocentric(lam, phi, 0.0, ED50) - e.s_bar[1]
        mu, rx, ry, rz, tx, ty, tz = p
        t = e.t_bar[1]
        out = np.array([t[0] + (1 + mu) * d[0] + rz * d[1] - ry * d[2] + tx,
                        t[1] - rz * d[0] + (1 + mu) * d[1] + rx * d[2] + ty,
                        t[2] + ry * d[0] - rx * d[1] + (1 + mu) * d[2] + tz])
        lam2, phi2, _ = geodetic(out, ETRS)
    else:
        s, t = e.s_bar[0], e.t_bar[0]
        dlam, dphi, dh = lam - s[0], phi - s[1], 0.0 - s[2]
        rows = molodensky_rows(dlam, dphi, dh, Ellipsoid((p[5], 1.0 / p[6])))
        shift = [sum(r[k] * p[k] for k in range(5)) for r in rows]
        lam2, phi2 = t[0] + dlam + shift[1], t[1] + dphi + shift[0]
    return geodetic_to_utm(lam2, phi2, ETRS)


# --- Log text ----------------------------------------------------------------

UNITS = [["[]", "[rad]", "[rad]", "[rad]", "[m]", "[m]", "[m]"],
         ["[m]", "[m]", "[m]", "[m]", "[]", "[m]", "[]"],
         ["[m]", "[m]", "[m]", "[m]", "[m]", "[m]", ""]]


def sci7(value):
    """C's %+.7e as the original platform writes it: three exponent digits."""
    text = "%+.7e" % value
    mantissa, exponent = text.split("e")
    return "%se%s%03d" % (mantissa, exponent[0], abs(int(exponent)))


def triple(t):
    return "(%.6f,%.6f,%.6f)\n" % tuple(t)


def parameter_block(e):
    out = "Cálculo de los parámetros de transformación\n"
    out += "=============================================\n\n"
    out += "Número de puntos utilizados: %d\n" % len(e.kept)
    for v, dev in e.discarded:
        out += "Vértice descartado por error grosero: %s (%d), desviación %.3f m\n" % (
            v["name"], v["number"], dev)
    out += "Centroide origen:  Geodésicas   " + triple(e.s_bar[0])
    out += "                   Geocéntricas " + triple(e.s_bar[1])
    out += "Centroide destino: Geodésicas   " + triple(e.t_bar[0])
    out += "                   Geocéntricas " + triple(e.t_bar[1])
    out += "Parámetros de transformación: \n"
    for k in range(7):
        out += " %s %s\n" % (sci7(e.params[k]), UNITS[e.model][k])
    out += "Error ajuste:  %s [m]\n\n" % sci7(e.sigma0)
    return out


def header(entrada, salida, lines):
    out = "QUILLON. ARCHIVO LOG DE EJECUCIONES.\n"
    out += "=" * 39 + "\n\n"
    out += "Información de entrada\n" + "=" * 24 + "\n\n"
    out += "Archivo de entrada....: %s\n" % entrada
    out += lines[0] + "\n"
    out += "Archivo de salida.....: %s\n" % salida
    out += lines[1] + "\n"
    out += lines[2] + "\n"
    return out


def summary(points):
    return ("Resumen de la conversión\n" + "=" * 26 + "\n\n"
            "Tipo de archivo......: TXT\nNúmero de puntos.....: %d\n" % points)


def coverage_warnings(vertices, points):
    """The warnings of a local fit: points (ED50 UTM zone 30) more than 25 km
    from the nearest vertex used, and points outside the polygon of those
    vertices, found as the points in no triangle of three of them."""
    def in_triangle(p, a, b, c):
        def side(o, q):
            return (q[0] - o[0]) * (p[1] - o[1]) - (q[1] - o[1]) * (p[0] - o[0])
        s = [side(a, b), side(b, c), side(c, a)]
        return all(x >= 0 for x in s) or all(x <= 0 for x in s)

    xy = [(v["ed50_x"], v["ed50_y"]) for v in vertices]
    far = [d for d in (min(math.hypot(p[0] - x, p[1] - y) for x, y in xy) for p in points)
           if d > 25000.0]
    outside = sum(1 for p in points
                  if not any(in_triangle(p, xy[i], xy[j], xy[k]) for i in range(len(xy))
                             for j in range(i + 1, len(xy)) for k in range(j + 1, len(xy))))

    def count(n):
        return "%d punto%s" % (n, "" if n == 1 else "s")

    text = ""
    if far:
        text += ("Aviso: %s a más de 25 km del vértice empleado más cercano (máximo %d km)\n"
                 % (count(len(far)), round(max(far) / 1000.0)))
    if outside:
        text += "Aviso: %s fuera del polígono de los vértices empleados\n" % count(outside)
    return text


def write_log(name, text):
    path = os.path.join(ROOT, "tests", "data", "logs", name)
    with open(path, "wb") as f:
        f.write(text.replace("\n", "\r\n").encode("cp1252"))
    print("wrote", os.path.relpath(path, ROOT))


def doubtful_digits(e):
    """Slots whose printed value a double-precision solver may not reproduce:
    (slot, printed reference, widest double-precision departure)."""
    return [(k, sci7(e.x[k]), "%.1e" % e.spread[k]) for k in range(len(e.x))
            if any(sci7(e.x[k] + sign * e.spread[k]) != sci7(e.x[k]) for sign in (-1, 1))]


# --- Checks against PROJ --------------------------------------------------------

def cct(pipeline, rows):
    text = "".join(" ".join("%.10f" % c for c in r) + "\n" for r in rows)
    out = subprocess.run(["cct", "-d", "10"] + pipeline.split(), input=text, capture_output=True,
                         text=True, check=True).stdout
    return [[float(c) for c in line.split()] for line in out.splitlines() if line.strip()]


def check_against_proj(catalogue):
    """The national deviations against PROJ's EPSG:1632 pipeline."""
    rows = [(v["ed50_x"], v["ed50_y"], 0.0, 0.0) for v in catalogue]
    moved = cct("+proj=pipeline +step +inv +proj=utm +zone=30 +ellps=intl +step +proj=cart "
                "+ellps=intl +step +proj=helmert +x=-131 +y=-100.3 +z=-163.4 +rx=-1.244 "
                "+ry=-0.020 +rz=-1.144 +s=9.39 +convention=position_vector +step +inv "
                "+proj=cart +ellps=WGS84 +step +proj=utm +zone=30 +ellps=WGS84", rows)
    worst = 0.0
    for v, r in zip(catalogue, moved):
        worst = max(worst, abs(math.hypot(r[0] - v["etrs_x"], r[1] - v["etrs_y"])
                               - national_deviation(v)))
    print("national deviations against PROJ's EPSG:1632: %.2e m" % worst)
    assert worst < 1e-4


# --- The runs ------------------------------------------------------------------

def main():
    catalogue = read_catalogue()
    check_against_proj(catalogue)

    # An affine run near Huelva, west of 6 W: ED50 UTM 29 -> ETRS89 UTM 29, the
    # 6 vertices nearest to an origin given in ED50 UTM zone 30.
    origin = (160000.0, 4150000.0)
    affine = estimate(nearest(catalogue, 6, *origin), 2, False)
    text = header("/datos/huelva/puntos_ed50.txt", "/datos/huelva/puntos_etrs89.txt", [
        "Datum de entrada......: ED 1950\nProyección de entrada.: UTM\n"
        "Huso de entrada.......: 29\n",
        "Datum de salida.......: ETRS 1989\nProyección de salida..: UTM\n"
        "Huso de salida........: 29\n",
        "Tipo de transformación: TRANSFORMACIÓN 2D AFIN\n"
        "Tipo de transformación: USAR LOS N PUNTOS MÁS CERCANOS\n"
        "Número de puntos......: 6\n"
        "Punto de origen.......: (%.3f ; %.3f ; %.3f)\n" % (origin[0], origin[1], 0.0)])
    points30 = []
    for x, y in AFFINE_POINTS:
        lam, phi = utm_to_geodetic(x, y, ED50, 29)
        points30.append(geodetic_to_utm(lam, phi, ED50, 30))
    write_log("affine_local_run.log",
              text + parameter_block(affine) + summary(len(AFFINE_POINTS)) +
              coverage_warnings([v for v, _ in affine.kept], points30))
    print("  affine: printed slots a double-precision solver may miss:", doubtful_digits(affine))
    # The run's points: zone 29 -> zone 30, the affine step, zone 30 -> zone 29.
    path = os.path.join(ROOT, "tests", "data", "affine_local_run_points.tsv")
    with open(path, "w") as f:
        f.write("# The points of the affine run of tests/data/logs/affine_local_run.log: ED50\n"
                "# UTM 29 in, ETRS89 UTM 29 out (tools/reference/independent_fits.py)\n")
        f.write("id\ted50_x\ted50_y\tetrs_x\tetrs_y\n")
        for i, (x, y) in enumerate(AFFINE_POINTS):
            lam, phi = utm_to_geodetic(x, y, ED50, 29)
            x30, y30 = geodetic_to_utm(lam, phi, ED50, 30)
            moved = apply(affine, dict(ed50_x=x30, ed50_y=y30))
            lam, phi = utm_to_geodetic(moved[0], moved[1], ETRS, 30)
            f.write("%d\t%.3f\t%.3f\t%.6f\t%.6f\n" % ((i + 1, x, y) + geodetic_to_utm(lam, phi, ETRS, 29)))
    print("wrote", os.path.relpath(path, ROOT))

    # A Molodensky run with the regional parameters, ETRS89 geodetic -> ED50
    # geocentric: the source centroid is the ETRS89 one, slots 5 and 6 are GRS 80.
    molodensky = estimate(catalogue, 1, True)
    text = header("/datos/andalucia/red_etrs89.txt", "/datos/andalucia/red_ed50.txt", [
        "Datum de entrada......: ETRS 1989\nProyección de entrada.: COORDENADAS GEODÉSICAS\n",
        "Datum de salida.......: ED 1950\nProyección de salida..: COORDENADAS GEOCÉNTRICAS\n",
        "Tipo de transformación: TRANSFORMACIÓN 3D DE MOLODENSKY\n"
        "Tipo de transformación: USAR PARÁMETROS VÁLIDOS PARA ANDALUCÍA\n"])
    write_log("molodensky_regional_run.log", text + parameter_block(molodensky) + summary(2))
    print("  Molodensky: printed slots a double-precision solver may miss:",
          doubtful_digits(molodensky))

    # Each regional fit, ED50 -> ETRS89, at the sound vertices.
    path = os.path.join(ROOT, "tests", "data", "regional_fits.tsv")
    with open(path, "w") as f:
        f.write("# Regional fits (all catalogue vertices, blunders screened out), ED50 UTM 30 ->\n"
                "# ETRS89 UTM 30, by tools/reference/independent_fits.py (numpy, not the engine).\n"
                "# mean_m, max_m: horizontal residuals at the sound vertices; p0..p6: the slots\n"
                "# (extended-precision solution); sigma0: adjustment error; n: vertices used.\n")
        f.write("model\tn\tmean_m\tmax_m\tsigma0\t" + "\t".join("p%d" % k for k in range(7)) + "\n")
        for model in (0, 1, 2):
            e = estimate(catalogue, model, False)
            errors = [math.hypot(x - v["etrs_x"], y - v["etrs_y"])
                      for v, _ in e.kept for x, y in [apply(e, v)]]
            f.write("%d\t%d\t%.6f\t%.6f\t%.9e\t%s\n" % (
                model, len(e.kept), sum(errors) / len(errors), max(errors), e.sigma0,
                "\t".join("%.9e" % p for p in e.params)))
            print("  model %d: mean %.4f m, max %.4f m; widest double-precision departure by "
                  "slot: %s" % (model, sum(errors) / len(errors), max(errors),
                               " ".join("%.1e" % d for d in e.spread)))
    print("wrote", os.path.relpath(path, ROOT))


if __name__ == "__main__":
    main()
