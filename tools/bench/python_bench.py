#!/usr/bin/python3
"""Throughput of quillon's array call against pyproj's Transformer on the same points.

Both carry the same N ED50 UTM zone-30 points (x, y, h over Andalusia) to ETRS89 UTM
zone 30 with the national set, EPSG:1632 ("ED50 to ETRS89 (7)"): pyproj with that very
operation, taken from PROJ's candidates and checked to be its Helmert (not a grid nor
another set), called the fastest way, on NumPy arrays in place. Each is timed R times,
interleaved; the best wall time is printed with its points per second, and how far the
two results lie apart.

Usage: python_bench.py [--puntos N] [--repeticiones R] [--modulo DIR]
  --modulo DIR  the folder holding the package quillon (e.g. build/release/python);
                without it, the installed one.
"""

import argparse
import os
import sys
import time


def best_of(repetitions, run):
    best = float("inf")
    for _ in range(repetitions):
        start = time.perf_counter()
        run()
        best = min(best, time.perf_counter() - start)
    return best


def epsg_1632_transformer(pyproj):
    """PROJ's ED50 / UTM 30N -> ETRS89 / UTM 30N through EPSG:1632 and nothing else."""
    from pyproj.transformer import TransformerGroup

    group = TransformerGroup("EPSG:23030", "EPSG:25830", always_xy=True)
    for transformer in group.transformers:
        if "ED50 to ETRS89 (7)" in transformer.description:
            definition = transformer.definition
            assert "proj=helmert x=-131 y=-100.3 z=-163.4" in definition, definition
            assert "grid" not in definition, definition
            return transformer
    raise SystemExit("PROJ offers no EPSG:1632 operation from EPSG:23030 to EPSG:25830")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--puntos", type=int, default=1_000_000)
    parser.add_argument("--repeticiones", type=int, default=3)
    parser.add_argument("--modulo", help="folder holding the package quillon")
    options = parser.parse_args()
    if options.modulo:
        sys.path.insert(0, options.modulo)

    import numpy as np
    import pyproj
    import quillon

    n = options.puntos
    rng = np.random.default_rng(1632)
    points = np.column_stack([
        rng.uniform(100000, 620000, n), rng.uniform(3970000, 4290000, n), rng.uniform(0, 3400, n)
    ])
    national_1 = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30), hilos=1)
    national_all = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30), hilos=0)
    local = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30), parametros="vecinos",
                                   seleccion=5, centro=(370000, 4130000), hilos=1)
    transformer = epsg_1632_transformer(pyproj)

    # pyproj in place on float64 arrays, its fastest call; the copies are made
    # outside the timed part. The third column is 0: quillon enters a UTM point
    # into the Helmert step with h = 0 (its H is orthometric and no geoid is
    # applied); PROJ's pipeline would take H as an ellipsoidal height and move
    # the point by up to 0.1 m at 3400 m.
    columns = [points[:, 0].copy(), points[:, 1].copy(), np.zeros(n)]

    def pyproj_run():
        x, y, h = (c.copy() for c in columns)
        pyproj_run.start = time.perf_counter()
        transformer.transform(x, y, h, inplace=True)
        pyproj_run.time = time.perf_counter() - pyproj_run.start
        pyproj_run.result = (x, y, h)

    times = {"quillon, 1 hilo": [], f"quillon, {os.cpu_count()} hilos": [],
             "quillon local (5 vecinos), 1 hilo": [], "pyproj Transformer": []}
    results = {}
    for _ in range(options.repeticiones):
        for name, t in (("quillon, 1 hilo", national_1), (f"quillon, {os.cpu_count()} hilos", national_all),
                        ("quillon local (5 vecinos), 1 hilo", local)):
            start = time.perf_counter()
            results[name], _ = t.transformar(points)
            times[name].append(time.perf_counter() - start)
        pyproj_run()
        times["pyproj Transformer"].append(pyproj_run.time)

    print(f"{n} points, ED50 UTM 30 -> ETRS89 UTM 30, national set (EPSG:1632), best of "
          f"{options.repeticiones}")
    print(f"{os.cpu_count()} cores, load average {os.getloadavg()[0]:.2f} at the end")
    print(f"PROJ {pyproj.proj_version_str}, pyproj {pyproj.__version__}, numpy {np.__version__}")
    print(f"pyproj operation: {transformer.description}")
    best = {name: min(values) for name, values in times.items()}
    for name, seconds in best.items():
        print(f"{name:38s} {seconds:7.3f} s {n / seconds:12.0f} points/s")
    print(f"quillon, 1 hilo / pyproj            {best['pyproj Transformer'] / best['quillon, 1 hilo']:6.2f}x")
    x, y, h = pyproj_run.result
    ours = results["quillon, 1 hilo"]
    print(f"agreement with pyproj                {np.hypot(ours[:, 0] - x, ours[:, 1] - y).max() * 1000:6.2f} mm "
          f"at most (plan)")


if __name__ == "__main__":
    main()
