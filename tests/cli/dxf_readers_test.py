#!/usr/bin/python3
"""Opens every drawing the engine writes in two independent DXF readers.

ProcesarDXF on the sample drawing and ConvertirTXTaDXF on the sample points,
both through quillon-cli; each result must pass ezdxf's audit and GDAL's
ogrinfo, hold the expected entities, and carry the same coordinates as the
engine's TXT processing of the same points, within 1 mm.

Exits 77 (CTest's skip code) when ezdxf or ogrinfo is not installed.
Usage: dxf_readers_test.py QUILLON_CLI DATA_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
OPTIONS = ["--datum-a", "ED50", "--tipo-a", "utm", "--huso-a", "30",
           "--datum-b", "ETRS89", "--tipo-b", "utm", "--huso-b", "30"]

try:
    import ezdxf
except ImportError:
    print("SKIPPED: python3-ezdxf is not installed")
    sys.exit(SKIP)
if shutil.which("ogrinfo") is None:
    print("SKIPPED: ogrinfo (gdal-bin) is not installed")
    sys.exit(SKIP)

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def run(*args):
    result = subprocess.run(args, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"{' '.join(args)} failed:\n{result.stdout}{result.stderr}")
    return result


def pairs(doc):
    """The points of the sample's entities (all in world coordinates), in order."""
    out = []
    for e in doc.modelspace():
        kind = e.dxftype()
        if kind == "TEXT":
            out.append((kind, [e.dxf.insert] + ([e.dxf.align_point] if e.dxf.hasattr("align_point") else [])))
        elif kind == "POINT":
            out.append((kind, [e.dxf.location]))
        elif kind == "LINE":
            out.append((kind, [e.dxf.start, e.dxf.end]))
        elif kind == "LWPOLYLINE":
            out.append((kind, [p for p in e.get_points("xy")]))
        elif kind == "POLYLINE":
            out.append((kind, [v.dxf.location for v in e.vertices]))
        elif kind in ("CIRCLE", "ARC"):
            out.append((kind, [e.dxf.center]))
        elif kind == "MTEXT":
            out.append((kind, [e.dxf.insert]))
        elif kind == "INSERT":
            out.append((kind, [e.dxf.insert]))
        else:
            out.append((kind, []))
    return out


def audit(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    check(not auditor.has_errors, f"{path}: ezdxf audit errors {[str(x) for x in auditor.errors]}")
    return doc


def ogr_features(path):
    result = subprocess.run(["ogrinfo", "-ro", "-al", "-q", path], capture_output=True, text=True)
    check(result.returncode == 0 and "ERROR" not in result.stderr,
          f"{path}: ogrinfo failed: {result.stderr.strip()}")
    return result.stdout


def read_txt(path):
    rows = {}
    with open(path, encoding="cp1252") as f:
        next(f)
        for line in f:
            fields = line.rstrip("\r\n").split("\t")
            rows[int(fields[0])] = (float(fields[1]), float(fields[2]))
    return rows


def main():
    cli, data = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="quillon-dxf-")
    try:
        # ProcesarDXF on the sample drawing.
        source = os.path.join(data, "muestra_parcela_ed50.dxf")
        target = os.path.join(work, "parcela_etrs89.dxf")
        run(cli, "dxf", source, target, *OPTIONS)
        before, after = pairs(ezdxf.readfile(source)), pairs(audit(target))
        check([k for k, _ in before] == [k for k, _ in after], "entity kinds or count changed")
        check(len(after) == 16, f"expected 16 entities, found {len(after)}")
        # The same pairs as a TXT point file through the TXT processor.
        points = os.path.join(work, "pares.txt")
        with open(points, "w", newline="") as f:
            f.write("pares del dibujo\r\n")
            n = 0
            for kind, coords in before:
                for c in coords:
                    n += 1
                    f.write(f"{n}\t{c[0]!r}\t{c[1]!r}\t0\r\n")
        run(cli, "txt", points, os.path.join(work, "pares_etrs89.txt"), *OPTIONS)
        expected = read_txt(os.path.join(work, "pares_etrs89.txt"))
        check(len(expected) == n, "TXT results missing")
        n = 0
        for (kind, old), (_, new) in zip(before, after):
            for c in new:
                n += 1
                x, y = expected[n]
                check(abs(c[0] - x) <= 1e-3 and abs(c[1] - y) <= 1e-3,
                      f"{kind} pair {n}: {c[0]}, {c[1]} vs TXT {x}, {y}")
        check(ogr_features(target).count("OGRFeature(") == ogr_features(source).count("OGRFeature("),
              "GDAL sees a different number of features")

        # ConvertirTXTaDXF on the transformed sample points.
        result_txt = os.path.join(work, "muestra_etrs89.txt")
        run(cli, "txt", os.path.join(data, "muestra_ed50_utm.txt"), result_txt,
            "--datum-a", "ED50", "--tipo-a", "utm", "--datum-b", "ETRS89", "--tipo-b", "utm",
            "--huso-b", "30")  # a drawing is of one zone
        drawing = os.path.join(work, "muestra_etrs89.dxf")
        run(cli, "txt-a-dxf", result_txt, drawing, "--tipo", "utm")
        doc = audit(drawing)
        found = [e.dxf.location for e in doc.modelspace() if e.dxftype() == "POINT"]
        rows = read_txt(result_txt)
        check(len(found) == len(rows) == 20, f"expected 20 POINTs, found {len(found)}")
        for location, (number, (x, y)) in zip(found, sorted(rows.items())):
            check(abs(location[0] - x) <= 1e-3 and abs(location[1] - y) <= 1e-3,
                  f"POINT {number}: {location} vs TXT {x}, {y}")
        ogr = ogr_features(drawing)
        gdal_points = [line.strip()[len("POINT Z ("):-1].split() for line in ogr.splitlines()
                       if line.strip().startswith("POINT Z (")]
        check(len(gdal_points) == 20, f"GDAL sees {len(gdal_points)} points, not 20")
        for xyz, (number, (x, y)) in zip(gdal_points, sorted(rows.items())):
            check(abs(float(xyz[0]) - x) <= 1e-3 and abs(float(xyz[1]) - y) <= 1e-3,
                  f"GDAL POINT {number}: {xyz} vs TXT {x}, {y}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        sys.exit(f"{len(failures)} failures")
    print("ezdxf and GDAL read every drawing the engine wrote: entities and coordinates match")


if __name__ == "__main__":
    main()
