#!/usr/bin/env python3
"""Reference values of the official method, computed with PROJ from the engine's own files.

Writes tests/data/ign_grid_proj.tsv: random points over Andalusia (fixed seed) carried by
PROJ's cct with the bundled grid and geoid (data/ign/SPED2ETV2.gsb, data/ign/EGM08_REDNAP.gtx):

  sentido 0  ED50 -> ETRS89: ED50 longitude, latitude (degrees), orthometric height H and
             ED50 UTM zone 30 x, y in; ETRS89 longitude, latitude (+proj=hgridshift) and
             ellipsoidal height h = H + N at the ETRS89 position (+inv +proj=vgridshift) out.
  sentido 1  ETRS89 -> ED50: ETRS89 longitude, latitude, ellipsoidal height h in; ED50
             longitude, latitude (+inv +proj=hgridshift) and H = h - N at the ETRS89
             position (+proj=vgridshift) out, and the ED50 UTM zone 30 x, y of the output.

Then points that the grid does not hold (south of it, west of it: en_rejilla 0) and points
that the grid holds but the bundled geoid, cut to Andalusia, does not (en_geoide 0); PROJ
refuses them too (checked here), and their outputs are written as 0.

Usage: make_grid_reference.py DATA_IGN_DIR OUTPUT.tsv [POINTS]   (needs proj-bin: cct)
"""
import os
import random
import subprocess
import sys

BOX = (-7.6, -1.6, 36.0, 38.8)  # Andalusia: west, east, south, north (degrees)
UNITS_IN = "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad"
UNITS_OUT = "+step +proj=unitconvert +xy_in=rad +xy_out=deg"


def cct(pipeline, rows):
    """Runs cct on (x, y, z) rows; None for a point PROJ refuses."""
    text = "".join(f"{x!r} {y!r} {z!r} 0\n" for x, y, z in rows)
    out = subprocess.run(["cct", "-d", "12", *pipeline.split()], input=text,
                         capture_output=True, text=True, check=True).stdout
    result = []
    for line in out.splitlines():
        fields = line.split()
        if line.startswith(" ("):
            continue  # the reason of the error line before it
        if line.startswith("#") or not fields:
            result.append(None)
            continue
        values = [float(v) for v in fields[:3]]
        result.append(None if any(abs(v) == float("inf") or v != v for v in values) else values)
    if len(result) != len(rows):
        raise SystemExit("cct gave a different number of lines")
    return result


def pipelines(grid, geoid):
    hgrid = f"+step +proj=hgridshift +grids={grid}"
    vgrid = f"+step +proj=vgridshift +grids={geoid} +multiplier=1"  # z + N
    vgrid_back = f"+step +proj=vgridshift +grids={geoid} +multiplier=-1"  # z - N
    return {
        # ED50 (lon, lat, H) -> ETRS89 (lon, lat, H + N at the ETRS89 position).
        "forward": f"{UNITS_IN} {hgrid} {vgrid} {UNITS_OUT}",
        "forward_xy": f"{UNITS_IN} {hgrid} {UNITS_OUT}",
        # ETRS89 (lon, lat, h) -> ED50 (lon, lat, h - N at the ETRS89 position).
        "inverse": f"{UNITS_IN} {vgrid_back} +step +inv +proj=hgridshift +grids={grid} "
                   f"{UNITS_OUT}",
        "inverse_xy": f"{UNITS_IN} +step +inv +proj=hgridshift +grids={grid} {UNITS_OUT}",
        "utm_ed50": "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad "
                    "+step +proj=utm +zone=30 +ellps=intl",
    }


def fmt(v, decimals):
    return f"{v:.{decimals}f}"


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    data, target = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
    grid = os.path.abspath(os.path.join(data, "SPED2ETV2.gsb"))
    geoid = os.path.abspath(os.path.join(data, "EGM08_REDNAP.gtx"))
    p = pipelines(grid, geoid)
    rng = random.Random(20261207)
    west, east, south, north = BOX

    def box_points(n, low_h, high_h):
        return [(rng.uniform(west, east), rng.uniform(south, north), rng.uniform(low_h, high_h))
                for _ in range(n)]

    rows = []
    # ED50 -> ETRS89 inside the grid and the geoid.
    ed50 = box_points(count, 0.0, 2500.0)
    for point, out, utm in zip(ed50, cct(p["forward"], ed50), cct(p["utm_ed50"], ed50)):
        assert out is not None, f"PROJ refuses {point}"
        rows.append((0, point, utm, out, 1, 1))
    # ETRS89 -> ED50.
    etrs = box_points(count, 40.0, 2600.0)
    inverse = cct(p["inverse"], etrs)
    utm_out = cct(p["utm_ed50"], [tuple(o) for o in inverse])
    for point, out, utm in zip(etrs, inverse, utm_out):
        assert out is not None, f"PROJ refuses {point}"
        rows.append((1, point, utm, out, 1, 1))
    # Outside the grid: south of it (Morocco) and west of it (the Atlantic).
    outside = [(rng.uniform(-8.0, -2.0), rng.uniform(34.6, 35.5), 100.0) for _ in range(10)]
    outside += [(rng.uniform(-11.5, -10.3), rng.uniform(36.0, 38.8), 100.0) for _ in range(10)]
    for direction, name in ((0, "forward_xy"), (1, "inverse_xy")):
        for point, out in zip(outside, cct(p[name], outside)):
            assert out is None, f"PROJ transforms {point} outside the grid"
            rows.append((direction, point, (0.0, 0.0, 0.0), (0.0, 0.0, 0.0), 0, 0))
    # On the grid but beyond the bundled geoid: the centre and north of Spain.
    beyond = [(rng.uniform(-6.0, -1.0), rng.uniform(39.8, 42.5), 500.0) for _ in range(10)]
    utm_beyond = cct(p["utm_ed50"], beyond)
    for direction, xy, z in ((0, "forward_xy", "forward"), (1, "inverse_xy", "inverse")):
        for point, utm, out, out_z in zip(beyond, utm_beyond, cct(p[xy], beyond),
                                          cct(p[z], beyond)):
            assert out is not None and out_z is None, f"{point}: grid yes, geoid no expected"
            rows.append((direction, point, utm if direction == 0 else (0.0, 0.0, 0.0), out, 1, 0))

    with open(target, "w", newline="\n") as f:
        f.write("# The official method with PROJ (cct) on data/ign/SPED2ETV2.gsb and "
                "data/ign/EGM08_REDNAP.gtx; made by tools/ign/make_grid_reference.py\n")
        f.write("# sentido 0: ED50 lon lat H, utm30 of the input -> ETRS89 lon lat h = H + N\n")
        f.write("# sentido 1: ETRS89 lon lat h -> ED50 lon lat H = h - N, utm30 of the output\n")
        f.write("sentido\tlon_in\tlat_in\talt_in\tutm30_x\tutm30_y\tlon_out\tlat_out\talt_out\t"
                "en_rejilla\ten_geoide\n")
        for direction, point, utm, out, in_grid, in_geoid in rows:
            f.write("\t".join([str(direction), fmt(point[0], 12), fmt(point[1], 12),
                               fmt(point[2], 6), fmt(utm[0], 6), fmt(utm[1], 6),
                               fmt(out[0], 12), fmt(out[1], 12),
                               fmt(out[2], 6) if in_geoid else fmt(0.0, 6),
                               str(in_grid), str(in_geoid)]) + "\n")
    print(f"{target}: {len(rows)} rows")
    return 0


if __name__ == "__main__":
    sys.exit(main())
