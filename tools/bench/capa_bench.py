#!/usr/bin/python3
"""Speed of quillon-cli capa against ogr2ogr on GIS layers.

Builds, in a scratch folder, two GeoPackages in ED50 UTM zone 30 over Andalusia: a
layer of 2 000 lines of 500 vertices each (1 000 000 vertices) and one of 200 000
points, both with a few attributes. On each it times, in the same run and interleaved:

  - ogr2ogr, plain copy (no transformation): what reading and writing cost;
  - ogr2ogr -s_srs EPSG:23030 -t_srs EPSG:25830 -ct "<EPSG:1632 pipeline>", the
    pipeline taken from `quillon-cli parametros --proj`;
  - quillon-cli capa --sistema-b EPSG:25830 (national set, EPSG:1632).

Each runs --repeticiones times; the best wall time and the least CPU time (user and
system, which other work on a shared machine disturbs less) are printed, with the
ratios of ogr2ogr -ct to capa, and the share of capa's CPU time spent transforming,
estimated as capa's CPU time less the plain copy's (what reading and writing the same
layer costs GDAL), over capa's. It also checks that capa and ogr2ogr -ct agree (largest
difference of any vertex, in metres).

--antes PATH times another quillon-cli (an earlier build, or a script that runs one with
its own libraries) in the same interleaved rounds, for a before/after on a machine whose
speed drifts, and checks that both write the same vertices, bit for bit.

Usage: capa_bench.py [--cli PATH] [--antes PATH] [--repeticiones R] [--carpeta DIR]
"""

import argparse
import math
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time

try:
    from osgeo import gdal, ogr, osr
except ImportError:
    sys.exit("capa_bench: needs GDAL's Python bindings (python3-gdal)")

ogr.UseExceptions()


def build_layers(folder):
    random.seed(26)
    srs = osr.SpatialReference()
    srs.ImportFromEPSG(23030)
    lines = os.path.join(folder, "lineas.gpkg")
    points = os.path.join(folder, "puntos.gpkg")
    driver = ogr.GetDriverByName("GPKG")
    ds = driver.CreateDataSource(lines)
    layer = ds.CreateLayer("lineas", srs, ogr.wkbLineString)
    layer.CreateField(ogr.FieldDefn("codigo", ogr.OFTInteger))
    layer.CreateField(ogr.FieldDefn("nombre", ogr.OFTString))
    layer.StartTransaction()
    for i in range(2000):
        x = random.uniform(200000, 600000)
        y = random.uniform(4020000, 4240000)
        line = ogr.Geometry(ogr.wkbLineString)
        for _ in range(500):
            x += random.uniform(-30, 30)
            y += random.uniform(-30, 30)
            line.AddPoint_2D(x, y)
        feature = ogr.Feature(layer.GetLayerDefn())
        feature.SetField("codigo", i)
        feature.SetField("nombre", "línea %d" % i)
        feature.SetGeometry(line)
        layer.CreateFeature(feature)
    layer.CommitTransaction()
    ds = None
    ds = driver.CreateDataSource(points)
    layer = ds.CreateLayer("puntos", srs, ogr.wkbPoint)
    layer.CreateField(ogr.FieldDefn("codigo", ogr.OFTInteger))
    layer.CreateField(ogr.FieldDefn("cota", ogr.OFTReal))
    layer.StartTransaction()
    for i in range(200000):
        feature = ogr.Feature(layer.GetLayerDefn())
        feature.SetField("codigo", i)
        feature.SetField("cota", random.uniform(0, 3000))
        point = ogr.Geometry(ogr.wkbPoint)
        point.AddPoint_2D(random.uniform(200000, 600000), random.uniform(4020000, 4240000))
        feature.SetGeometry(point)
        layer.CreateFeature(feature)
    layer.CommitTransaction()
    ds = None
    return [("2 000 lines x 500 vertices", lines), ("200 000 points", points)]


def timed(command):
    """Wall and CPU (user + system) seconds of a command run as a process of its own."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def same_vertices(a, b):
    """Whether two layers hold the same vertices, bit for bit."""
    da, db = ogr.Open(a), ogr.Open(b)
    for fa, fb in zip(da.GetLayer(0), db.GetLayer(0)):
        if fa.GetGeometryRef().ExportToWkb() != fb.GetGeometryRef().ExportToWkb():
            return False
    return da.GetLayer(0).GetFeatureCount() == db.GetLayer(0).GetFeatureCount()


def largest_difference(a, b):
    worst = 0.0
    da, db = ogr.Open(a), ogr.Open(b)  # the layers live as long as their datasets
    la, lb = da.GetLayer(0), db.GetLayer(0)
    for fa, fb in zip(la, lb):
        pa = fa.GetGeometryRef().Clone().GetPoints()
        pb = fb.GetGeometryRef().Clone().GetPoints()
        for (xa, ya), (xb, yb) in zip(pa, pb):
            worst = max(worst, math.hypot(xa - xb, ya - yb))
    return worst


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--cli", default=os.path.join(here, "..", "..", "build", "release",
                                                      "cli", "quillon-cli"))
    parser.add_argument("--antes")
    parser.add_argument("--repeticiones", type=int, default=5)
    parser.add_argument("--carpeta")
    args = parser.parse_args()
    folder = args.carpeta or tempfile.mkdtemp(prefix="capa_bench")
    os.makedirs(folder, exist_ok=True)
    pipeline = subprocess.run(
        [args.cli, "parametros", "--sistema-a", "EPSG:23030", "--sistema-b", "EPSG:25830",
         "--parametros", "nacionales", "--proj"],
        check=True, capture_output=True, text=True).stdout.strip()
    ogr2ogr = shutil.which("ogr2ogr") or sys.exit("capa_bench: needs ogr2ogr (gdal-bin)")
    try:
        layers = build_layers(folder)
        print("quillon-cli capa against ogr2ogr, ED50 UTM 30 -> ETRS89 UTM 30, national set "
              "(EPSG:1632), best of %d" % args.repeticiones)
        print("%d cores, load average %.2f at the start; GDAL %s" %
              (os.cpu_count(), os.getloadavg()[0], gdal.__version__))
        for label, source in layers:
            names = ("copia", "ct", "capa") + (("antes",) if args.antes else ())
            out = {name: os.path.join(folder, name + ".gpkg") for name in names}
            commands = {
                "copia": [ogr2ogr, out["copia"], source],
                "ct": [ogr2ogr, "-s_srs", "EPSG:23030", "-t_srs", "EPSG:25830", "-ct", pipeline,
                       out["ct"], source],
                "capa": [args.cli, "capa", source, out["capa"], "--sistema-b", "EPSG:25830"],
            }
            if args.antes:
                commands["antes"] = [args.antes, "capa", source, out["antes"], "--sistema-b",
                                     "EPSG:25830"]
            best = {name: math.inf for name in commands}
            cpu = {name: math.inf for name in commands}
            for _ in range(args.repeticiones):
                for name, command in commands.items():
                    for stale in (out[name], out[name] + ".log"):
                        if os.path.exists(stale):
                            os.remove(stale)
                    wall, used = timed(command)
                    best[name] = min(best[name], wall)
                    cpu[name] = min(cpu[name], used)
            share = max(0.0, cpu["capa"] - cpu["copia"]) / cpu["capa"]
            print("%s" % label)
            print("  ogr2ogr (plain copy)        %6.3f s   cpu %6.3f s" %
                  (best["copia"], cpu["copia"]))
            print("  ogr2ogr -ct EPSG:1632       %6.3f s   cpu %6.3f s" % (best["ct"], cpu["ct"]))
            print("  quillon-cli capa            %6.3f s   cpu %6.3f s   %.2fx faster than "
                  "ogr2ogr -ct (cpu %.2fx)" % (best["capa"], cpu["capa"], best["ct"] / best["capa"],
                                               cpu["ct"] / cpu["capa"]))
            if args.antes:
                print("  quillon-cli capa, before    %6.3f s   cpu %6.3f s   %.2fx faster than "
                      "ogr2ogr -ct (cpu %.2fx)" % (best["antes"], cpu["antes"],
                                                   best["ct"] / best["antes"],
                                                   cpu["ct"] / cpu["antes"]))
                print("  now / before                %.2fx the wall time, %.2fx the cpu; same "
                      "vertices bit for bit: %s" % (best["capa"] / best["antes"],
                                                    cpu["capa"] / cpu["antes"],
                                                    "yes" if same_vertices(out["capa"], out["antes"])
                                                    else "NO"))
            print("  capa transforming (capa's cpu less the plain copy's): %.0f %% of its cpu; "
                  "reading and writing %.0f %%" % (100 * share, 100 * (1 - share)))
            print("  largest difference capa - ogr2ogr -ct: %.6f m" %
                  largest_difference(out["capa"], out["ct"]))
    finally:
        if not args.carpeta:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
