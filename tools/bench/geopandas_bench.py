"""quillon.geopandas.transformar against GeoPandas' to_crs on the same layers, side by
side in one run, best of 5: a layer of lines, polygons with holes and multipolygons of
1 000 000 vertices, and a layer of 200 000 points, in ED50 UTM 30 near Antequera.

to_crs goes to EPSG:25830 from ED50 UTM 30 bound to the national set (EPSG:1632's
seven parameters as +towgs84, the same numbers as EPSG:1632's pipeline); quillon uses
its national set. The script also prints the largest difference between the two.

    PYTHONPATH=build/release/python /usr/bin/python3 tools/bench/geopandas_bench.py
"""

import os
import time

import geopandas
import numpy as np
from shapely.geometry import LineString, MultiPolygon, Point, Polygon

import quillon.geopandas

ED50_BOUND = ("+proj=utm +zone=30 +ellps=intl "
              "+towgs84=-131,-100.3,-163.4,-1.244,-0.02,-1.144,9.39 +units=m +no_defs")
RNG = np.random.default_rng(27)


def ring(cx, cy, radius, n):
    angles = np.linspace(0.0, 2 * np.pi, n, endpoint=False)
    points = np.column_stack([cx + radius * np.cos(angles), cy + radius * np.sin(angles)])
    return np.vstack([points, points[:1]])


def centres(n):
    return np.column_stack([RNG.uniform(250000, 550000, n), RNG.uniform(4050000, 4250000, n)])


def shapes_layer():
    """3 000 lines of 100 vertices, 2 000 polygons of 100 with two holes of 50 and
    1 000 multipolygons of three parts of 100: 1 000 000 vertices (rings closed)."""
    geometries = []
    for cx, cy in centres(3000):
        geometries.append(LineString(np.column_stack([cx + np.arange(100) * 10.0,
                                                      cy + np.sin(np.arange(100)) * 50])))
    for cx, cy in centres(2000):
        geometries.append(Polygon(ring(cx, cy, 500, 99), [ring(cx - 200, cy, 100, 49),
                                                           ring(cx + 200, cy, 100, 49)]))
    for cx, cy in centres(1000):
        geometries.append(MultiPolygon([Polygon(ring(cx + k * 1500, cy, 500, 99)) for k in range(3)]))
    return geopandas.GeoDataFrame({"n": np.arange(len(geometries))}, geometry=geometries,
                                  crs=ED50_BOUND)


def points_layer():
    return geopandas.GeoDataFrame({"n": np.arange(200000)},
                                  geometry=[Point(x, y) for x, y in centres(200000)], crs=ED50_BOUND)


def best_of(runs, call):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        result = call()
        times.append(time.perf_counter() - start)
    return min(times), result


def vertices(layer):
    return np.vstack([quillon.geopandas._vertices_wkb(list(layer.geometry.to_wkb()))])


def main():
    import pyproj
    import shapely

    print(f"best of 5; geopandas {geopandas.__version__}, shapely {shapely.__version__}, "
          f"pyproj {pyproj.__version__}, PROJ {pyproj.proj_version_str}; {os.cpu_count()} cores")
    print(f"{'layer':<40} {'vertices':>9} {'to_crs [s]':>11} {'quillon [s]':>12} {'ratio':>6} "
          f"{'max diff [mm]':>14}")
    for name, layer in (("lines, polygons with holes, multipolygons", shapes_layer()),
                        ("points", points_layer())):
        n = len(vertices(layer))
        proj_time, by_proj = best_of(5, lambda: layer.to_crs("EPSG:25830"))
        ours_time, by_us = best_of(5, lambda: quillon.geopandas.transformar(
            layer, "EPSG:25830", origen="EPSG:23030"))
        diff = np.abs(vertices(by_proj)[:, :2] - vertices(by_us)[:, :2]).max() * 1000
        print(f"{name:<40} {n:>9} {proj_time:>11.2f} {ours_time:>12.2f} "
              f"{proj_time / ours_time:>5.1f}x {diff:>14.3f}")
    print(f"load average {os.getloadavg()[0]:.2f} at the end")


if __name__ == "__main__":
    main()
