#!/usr/bin/env python3
"""Horizontal accuracy of each method against the official IGN grid.

Takes test points near the catalogue vertices (random offsets of up to 3 km,
fixed seed), carries their ED50 positions to ETRS89 with the IGN ED50 -> ETRS89
grid SPED2ETV2 through PROJ's cct (the independent truth), and with the engine
through quillon-cli: the national set, the regional Helmert set, local
Helmert sets from the 5 and 10 nearest vertices (one run per point, centred on
it), and the engine's own application of the grid (its NTv2 copy, bundled
with it). Prints mean, 95th percentile and maximum of the horizontal
differences.

Usage: check_against_ign_grid.py QUILLON_CLI CATALOGUE.tsv SPED2ETV2.tif [POINTS]
Needs proj-bin (cct).
"""
import os
import random
import subprocess
import sys
import tempfile

UTM_ED50 = "+proj=utm +zone=30 +ellps=intl"
UTM_ETRS = "+proj=utm +zone=30 +ellps=GRS80"


def cct(pipeline, rows):
    text = "".join(f"{a!r} {b!r} 0 0\n" for a, b in rows)
    out = subprocess.run(["cct", "-d", "9", *pipeline.split()], input=text, capture_output=True,
                         text=True, check=True).stdout
    result = []
    for line in out.splitlines():
        if line.startswith("#"):
            result.append(None)
            continue
        fields = line.split()
        result.append((float(fields[0]), float(fields[1])))
    return result


def run_txt(cli, rows, work, *options):
    source, target = os.path.join(work, "in.txt"), os.path.join(work, "out.txt")
    with open(source, "w", newline="") as f:
        f.write("puntos\r\n")
        for i, (x, y) in enumerate(rows, start=1):
            f.write(f"{i}\t{x!r}\t{y!r}\t0\t30\r\n")
    subprocess.run([cli, "txt", source, target, "--datum-a", "ED50", "--tipo-a", "utm",
                    "--huso-a", "30", "--datum-b", "ETRS89", "--tipo-b", "utm", "--huso-b", "30",
                    *options], check=True, capture_output=True)
    with open(target, encoding="cp1252") as f:
        next(f)
        return [(float(l.split("\t")[1]), float(l.split("\t")[2])) for l in f]


def stats(errors):
    errors = sorted(errors)
    mean = sum(errors) / len(errors)
    p95 = errors[min(len(errors) - 1, int(0.95 * len(errors)))]
    return f"mean {mean:8.5f} m   p95 {p95:8.5f} m   max {errors[-1]:8.5f} m"


def main():
    cli, catalogue, grid = sys.argv[1:4]
    count = int(sys.argv[4]) if len(sys.argv) > 4 else 200
    vertices = []
    with open(catalogue, encoding="utf-8") as f:
        next(f)
        for line in f:
            fields = line.rstrip("\n").split("\t")
            vertices.append((float(fields[6]), float(fields[7])))
    rng = random.Random(20261207)
    points = []
    while len(points) < count:
        x, y = rng.choice(vertices)
        points.append((x + rng.uniform(-3000, 3000), y + rng.uniform(-3000, 3000)))
    truth = cct(f"+proj=pipeline +step +inv {UTM_ED50} +step +proj=hgridshift +grids={grid} "
                f"+step {UTM_ETRS}", points)
    kept = [(p, t) for p, t in zip(points, truth) if t is not None]
    points, truth = [p for p, _ in kept], [t for _, t in kept]
    print(f"{len(points)} test points inside the grid")

    def errors(results):
        return [((a - c) ** 2 + (b - d) ** 2) ** 0.5 for (a, b), (c, d) in zip(results, truth)]

    with tempfile.TemporaryDirectory() as work:
        print("IGN grid (NTv2)        ", stats(errors(run_txt(cli, points, work,
                                                             "--parametros", "rejilla"))))
        print("national set           ", stats(errors(run_txt(cli, points, work))))
        print("regional Helmert       ", stats(errors(run_txt(cli, points, work,
                                                             "--parametros", "regionales"))))
        for n in (10, 5):
            local = []
            for p in points:
                local += run_txt(cli, [p], work, "--parametros", "vecinos", "--seleccion", str(n))
            print(f"local Helmert, {n:2d} nearest", stats(errors(local)))


if __name__ == "__main__":
    main()
