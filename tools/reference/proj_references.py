#!/usr/bin/python3
"""PROJ reference values: points carried into a zone other than their own, and
the standard Molodensky transformation.

For every point of tests/data/national_epsg1632.tsv (40 ED50 points across
Andalusia, 16 of them west of 6 W), PROJ's cct computes, with the ellipsoidal
height set to 0 (as the engine does for UTM input and for drawings, whose
pairs carry no height):

  ed50_utm29_x/y, ed50_utm30_x/y   the ED50 position in UTM zones 29 and 30
  etrs_lon/lat                     ETRS89 by EPSG:1632 (decimal degrees)
  etrs_utm29_x/y, etrs_utm30_x/y   the ETRS89 position in zones 29 and 30

EPSG:1632 is "ED50 to ETRS89 (7)": a position-vector Helmert on the
International 1924 and WGS 84 ellipsoids. Zone 30 is extended west of its band
and zone 29 east of its band, as the engine does when a zone is forced.

Writes tests/data/forced_zones_epsg1632.tsv.

For the same points with their heights, PROJ's standard (not abridged)
Molodensky transformation with the three shifts of "ED50 to WGS 84 (1)" and
the change from the International 1924 ellipsoid to WGS 84:
  mol_lon/lat (degrees), mol_h (metres)
Writes tests/data/molodensky_ed50_wgs84.tsv.

Usage: tools/reference/proj_references.py [REPO_ROOT]
"""
import os
import subprocess
import sys

ROOT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")

DEG_IN = "+step +proj=unitconvert +xy_in=deg +xy_out=rad"
DEG_OUT = "+step +proj=unitconvert +xy_in=rad +xy_out=deg"
# ED50 to WGS 84 (1) shifts; da, df from International 1924 to WGS 84.
MOLODENSKY = dict(dx=-87.0, dy=-98.0, dz=-121.0, da=6378137.0 - 6378388.0,
                  df=1.0 / 298.257223563 - 1.0 / 297.0)
HELMERT = ("+step +proj=cart +ellps=intl +step +proj=helmert +x=-131 +y=-100.3 +z=-163.4 "
           "+rx=-1.244 +ry=-0.020 +rz=-1.144 +s=9.39 +convention=position_vector "
           "+step +inv +proj=cart +ellps=WGS84")


def cct(steps, points, columns=2):
    """Points (lon, lat[, h]) through a cct pipeline; h is 0 unless given."""
    text = "".join("%.10f %.10f %.4f 0\n" % (p + (0.0,))[:3] for p in points)
    out = subprocess.run(["cct", "-d", "12", "+proj=pipeline"] + steps.split(), input=text,
                         capture_output=True, text=True, check=True).stdout
    return [tuple(float(c) for c in line.split()[:columns]) for line in out.splitlines()
            if line.strip()]


def main():
    source = os.path.join(ROOT, "tests", "data", "national_epsg1632.tsv")
    points, heights = [], []
    with open(source) as f:
        for line in f:
            if line.startswith("#") or line.startswith("ed50_lon"):
                continue
            fields = line.split()
            points.append((float(fields[0]), float(fields[1])))
            heights.append(float(fields[2]))

    columns = {
        "ed50_utm29": cct(DEG_IN + " +step +proj=utm +zone=29 +ellps=intl", points),
        "ed50_utm30": cct(DEG_IN + " +step +proj=utm +zone=30 +ellps=intl", points),
        "etrs": cct(DEG_IN + " " + HELMERT + " " + DEG_OUT, points),
        "etrs_utm29": cct(DEG_IN + " " + HELMERT + " +step +proj=utm +zone=29 +ellps=WGS84",
                          points),
        "etrs_utm30": cct(DEG_IN + " " + HELMERT + " +step +proj=utm +zone=30 +ellps=WGS84",
                          points),
    }
    target = os.path.join(ROOT, "tests", "data", "forced_zones_epsg1632.tsv")
    with open(target, "w") as f:
        f.write("# ED50 geodetic (h = 0) -> UTM zones 29 and 30, and -> ETRS89 by EPSG:1632 in\n"
                "# zones 29 and 30, by PROJ's cct (tools/reference/forced_zones.py)\n")
        f.write("ed50_lon\ted50_lat\ted50_utm29_x\ted50_utm29_y\ted50_utm30_x\ted50_utm30_y\t"
                "etrs_lon\tetrs_lat\tetrs_utm29_x\tetrs_utm29_y\tetrs_utm30_x\tetrs_utm30_y\n")
        for i, (lon, lat) in enumerate(points):
            row = ["%.10f" % lon, "%.10f" % lat]
            row += ["%.4f" % c for c in columns["ed50_utm29"][i] + columns["ed50_utm30"][i]]
            row += ["%.10f" % c for c in columns["etrs"][i]]
            row += ["%.4f" % c for c in columns["etrs_utm29"][i] + columns["etrs_utm30"][i]]
            f.write("\t".join(row) + "\n")
    print("wrote", os.path.relpath(target, ROOT), "with", len(points), "points")

    molodensky = " ".join("+%s=%r" % kv for kv in MOLODENSKY.items())
    moved = cct(DEG_IN + " +step +proj=molodensky +ellps=intl " + molodensky + " " + DEG_OUT,
                [p + (h,) for p, h in zip(points, heights)], 3)
    target = os.path.join(ROOT, "tests", "data", "molodensky_ed50_wgs84.tsv")
    with open(target, "w") as f:
        f.write("# ED50 geodetic -> standard Molodensky, %s, source ellipsoid\n"
                "# International 1924, by PROJ's cct (tools/reference/proj_references.py)\n"
                % molodensky)
        f.write("ed50_lon\ted50_lat\ted50_h\tmol_lon\tmol_lat\tmol_h\n")
        for (lon, lat), h, out in zip(points, heights, moved):
            f.write("%.10f\t%.10f\t%.4f\t%.12f\t%.12f\t%.6f\n" % ((lon, lat, h) + out))
    print("wrote", os.path.relpath(target, ROOT))


if __name__ == "__main__":
    main()
