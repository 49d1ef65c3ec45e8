#!/usr/bin/python3
"""PROJ reference values for the UTM projection across Andalusia.

3 000 points spread by a fixed pseudo-random sequence over the region's
bounding box (7.7 W to 1.6 W, 35.9 N to 38.8 N), each projected by PROJ's
exact transverse Mercator (`+proj=utm`, which is etmerc) on the International
1924 ellipsoid (ED50) and on WGS 84 (the engine's ETRS89 ellipsoid):

  zone 30 for every point (extended west of its band, as Andalusia's own
  cartography does), zone 29 for the points west of 5 W, zone 31 for the
  points east of 3 W (Almeria given in zone 31).

Columns: lon lat (degrees, 10 decimals, the input as written), ellipsoid
(14 ED50, 19 ETRS89), zone, x y (metres, micrometres).

Writes tests/data/utm_etmerc.tsv.

Usage: tools/reference/utm_reference.py [REPO_ROOT]
"""
import os
import random
import subprocess
import sys

ROOT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
ELLIPSOIDS = {14: "intl", 19: "WGS84"}


def project(zone, ellps, points):
    text = "".join("%.10f %.10f 0 0\n" % p for p in points)
    out = subprocess.run(["cct", "-d", "6", "+proj=utm", "+zone=%d" % zone, "+ellps=" + ellps],
                         input=text, capture_output=True, text=True, check=True).stdout
    return [tuple(float(c) for c in line.split()[:2]) for line in out.splitlines() if line.strip()]


def main():
    rng = random.Random(20261208)
    points = [(round(rng.uniform(-7.7, -1.6), 10), round(rng.uniform(35.9, 38.8), 10))
              for _ in range(3000)]
    rows = []
    for row, ellps in ELLIPSOIDS.items():
        for zone, chosen in ((29, [p for p in points if p[0] < -5.0]), (30, points),
                             (31, [p for p in points if p[0] > -3.0])):
            for p, xy in zip(chosen, project(zone, ellps, chosen)):
                rows.append("%.10f\t%.10f\t%d\t%d\t%.6f\t%.6f\n" % (p[0], p[1], row, zone, xy[0], xy[1]))
    path = os.path.join(ROOT, "tests", "data", "utm_etmerc.tsv")
    with open(path, "w") as f:
        f.write("# UTM zones 29, 30 (extended) and 31 across Andalusia by PROJ's exact transverse\n"
                "# Mercator (cct +proj=utm); made by tools/reference/utm_reference.py\n")
        f.write("lon\tlat\tellipsoid\tzone\tx\ty\n")
        f.writelines(rows)
    print("%d rows -> %s" % (len(rows), path))


if __name__ == "__main__":
    main()
