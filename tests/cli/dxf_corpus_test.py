#!/usr/bin/python3
"""Transforms every drawing of tests/data/dxf/ with quillon-cli and checks the
result with independent readers, drawing by drawing:

- every point of every model-space entity, read back with ezdxf in world
  coordinates (object coordinates taken to world ones), is the input point
  carried by `quillon-cli punto`, within 1 mm (1e-8 degrees for geodetic
  output); heights stay;
- so are the points of the pictures of model-space dimensions;
- block definitions, paper-space entities and the TABLES, CLASSES and OBJECTS
  sections are byte for byte those of the input;
- the header's $EXTMIN and $EXTMAX enclose every moved point and $INSBASE is
  the input's, carried;
- the line count and every line end are the input's, and every line that
  changed is the value of a coordinate;
- ezdxf's audit finds no error and GDAL's ogrinfo opens the drawing with as
  many features as the input.

Exits 77 (CTest's skip code) when ezdxf or ogrinfo is not installed.
Usage: dxf_corpus_test.py QUILLON_CLI CORPUS_DIR
"""
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
try:
    import ezdxf
    from ezdxf.math import Vec3
    from ezdxf.entities.boundary_paths import (ArcEdge, EllipseEdge, LineEdge, PolylinePath,
                                               SplineEdge)
except ImportError:
    print("SKIPPED: python3-ezdxf is not installed")
    sys.exit(SKIP)
if shutil.which("ogrinfo") is None:
    print("SKIPPED: ogrinfo (gdal-bin) is not installed")
    sys.exit(SKIP)

UTM30 = ["--datum-a", "ED50", "--tipo-a", "utm", "--huso-a", "30"]
# (drawing, input options, output options); no --huso-b: one zone for the drawing.
RUNS = [
    ("ezdxf_r12.dxf", UTM30, ["--datum-b", "ETRS89", "--tipo-b", "utm"]),
    ("ezdxf_r12_sin_blancos_crlf.dxf", UTM30, ["--datum-b", "ETRS89", "--tipo-b", "utm"]),
    ("ezdxf_r2000_crlf.dxf", UTM30, ["--datum-b", "ETRS89", "--tipo-b", "utm"]),
    ("ezdxf_r12.dxf", UTM30, ["--datum-b", "ETRS89", "--tipo-b", "geodesicas"]),
    ("ezdxf_r2010.dxf", UTM30, ["--datum-b", "ETRS89", "--tipo-b", "utm", "--huso-b", "30"]),
    ("ezdxf_r2018.dxf", UTM30, ["--datum-b", "ETRS89", "--tipo-b", "utm"]),
    ("gdal.dxf", UTM30, ["--datum-b", "ETRS89", "--tipo-b", "utm"]),
    ("gdal_rotulos.dxf", UTM30, ["--datum-b", "ETRS89", "--tipo-b", "utm"]),
    ("gdal_6w_geodesicas.dxf", ["--datum-a", "ED50", "--tipo-a", "geodesicas"],
     ["--datum-b", "ETRS89", "--tipo-b", "utm"]),
]
POINT_CODES = (set(range(10, 18)) | set(range(20, 28)) | set(range(30, 38)) | {38} |
               {110, 120, 130} | {210, 220, 230})

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)
    return condition


def run(*args, stdin=None):
    result = subprocess.run(args, capture_output=True, text=True, input=stdin)
    if result.returncode != 0:
        sys.exit(f"{' '.join(args)} failed:\n{result.stdout}{result.stderr}")
    return result.stdout


# --- Points of entities in world coordinates ---------------------------------

def hatch_points(e):
    ocs, z = e.ocs(), e.dxf.elevation.z
    points = []
    for path in e.paths:
        if isinstance(path, PolylinePath):
            points += [(v[0], v[1]) for v in path.vertices]
            continue
        for edge in path.edges:
            if isinstance(edge, LineEdge):
                points += [edge.start, edge.end]
            elif isinstance(edge, (ArcEdge, EllipseEdge)):
                points.append(edge.center)
            elif isinstance(edge, SplineEdge):
                points += list(edge.control_points) + list(edge.fit_points)
    points += list(e.seeds)
    return [ocs.to_wcs(Vec3(v[0], v[1], z)) for v in points]


def world_points(e):
    """The points of an entity in world coordinates, in the engine's sense of a
    point; None for the kinds the engine copies unchanged."""
    kind, dxf = e.dxftype(), e.dxf

    def ocs(*names):
        return [e.ocs().to_wcs(dxf.get(n)) for n in names if dxf.hasattr(n)]

    def wcs(*names):
        return [Vec3(dxf.get(n)) for n in names if dxf.hasattr(n)]

    if kind == "POINT":
        return wcs("location")
    if kind == "LINE":
        return wcs("start", "end")
    if kind in ("XLINE", "RAY"):
        return wcs("start")
    if kind == "LWPOLYLINE":
        return list(e.vertices_in_wcs())
    if kind == "POLYLINE":
        if e.is_2d_polyline:
            z = dxf.elevation.z
            return [e.ocs().to_wcs(Vec3(v.dxf.location.x, v.dxf.location.y, z))
                    for v in e.vertices]
        return [Vec3(v.dxf.location) for v in e.vertices if not v.is_face_record]
    if kind in ("TEXT", "ATTRIB", "ATTDEF"):
        points = ocs("insert", "align_point")
        if kind != "TEXT" and e.has_embedded_mtext_entity:
            points.append(Vec3(e.virtual_mtext_entity().dxf.insert))
        return points
    if kind in ("CIRCLE", "ARC"):
        return ocs("center")
    if kind in ("INSERT", "SHAPE"):
        return ocs("insert")
    if kind in ("MTEXT", "IMAGE", "WIPEOUT", "TOLERANCE"):
        return wcs("insert")
    if kind == "ELLIPSE":
        return wcs("center")
    if kind in ("SPLINE", "HELIX"):
        extra = wcs("axis_base_point", "start_point") if kind == "HELIX" else []
        return [Vec3(v) for v in e.control_points] + [Vec3(v) for v in e.fit_points] + extra
    if kind == "HATCH":
        return hatch_points(e)
    if kind in ("SOLID", "TRACE"):
        return ocs("vtx0", "vtx1", "vtx2", "vtx3")
    if kind == "3DFACE":
        return wcs("vtx0", "vtx1", "vtx2", "vtx3")
    if kind == "DIMENSION":
        return (wcs("defpoint") + ocs("text_midpoint") +
                wcs("defpoint2", "defpoint3", "defpoint4") + ocs("defpoint5"))
    if kind == "LEADER":
        return [Vec3(v) for v in e.vertices]
    if kind == "MLINE":
        return wcs("start_location") + [Vec3(v.location) for v in e.vertices]
    if kind == "MESH":
        return [Vec3(v) for v in e.vertices]
    if kind == "MULTILEADER":
        context = e.context
        points = [Vec3(context.base_point), Vec3(context.plane_origin)]
        if context.mtext is not None:
            points.append(Vec3(context.mtext.insert))
        if context.block is not None:
            points.append(Vec3(context.block.insert))
        for leader in context.leaders:
            points += [Vec3(leader.last_leader_point)] + [Vec3(v) for v in leader.breaks]
            for line in leader.lines:
                points += [Vec3(v) for v in line.vertices]
                points += [Vec3(v) for v in line.breaks if not isinstance(v, int)]
        return points
    return None


def entity_points(layout):
    """(kind, points) of every entity of a layout, ATTRIBs after their INSERT."""
    out = []
    for e in layout:
        out.append((e.dxftype(), world_points(e)))
        if e.dxftype() == "INSERT":
            out += [(a.dxftype(), world_points(a)) for a in e.attribs]
    return out


# --- The drawing as text ------------------------------------------------------

def read_lines(path):
    with open(path, "rb") as f:
        return f.read().split(b"\n")


def sections(lines):
    """{name: [lines]} of a drawing, the SECTION and ENDSEC tags included."""
    found, i = {}, 0
    while i + 3 < len(lines):
        if lines[i].strip() == b"0" and lines[i + 1].strip() == b"SECTION":
            j = i
            while not (lines[j].strip() == b"0" and lines[j + 1].strip() == b"ENDSEC"):
                j += 2
            found[lines[i + 3].strip().decode()] = lines[i:j + 2]
            i = j + 2
        else:
            i += 2
    return found


def chunks(section_lines):
    """The section's tags cut at every code 0: (first value, lines)."""
    out = []
    for i in range(0, len(section_lines) - 1, 2):
        if section_lines[i].strip() == b"0":
            out.append((section_lines[i + 1].strip(), []))
        if out:
            out[-1][1].extend(section_lines[i:i + 2])
    return out


def paper_space(entities_lines):
    out, parent_paper = [], False
    for kind, lines in chunks(entities_lines):
        tags = list(zip(lines[0::2], lines[1::2]))
        paper = any(c.strip() == b"67" and v.strip() == b"1" for c, v in tags)
        if kind in (b"VERTEX", b"ATTRIB", b"SEQEND"):
            paper = paper or parent_paper
        else:
            parent_paper = paper
        if paper:
            out.append(lines)
    return out


def blocks(blocks_lines):
    """{name: lines} of every block definition."""
    out, name, current = {}, None, []
    for kind, lines in chunks(blocks_lines):
        if kind == b"BLOCK":
            current = []
            tags = list(zip(lines[0::2], lines[1::2]))
            name = next(v.rstrip(b"\r") for c, v in tags if c.strip() == b"2")
        current += lines
        if kind == b"ENDBLK":
            out[name] = current
    return out


def header_point(doc, name):
    return Vec3(doc.header.get(name, (0, 0, 0)))


# --- Checks -----------------------------------------------------------------

def carried(cli, points, options, zone):
    """Every point through quillon-cli punto: (x, y) of each."""
    rows = "".join(f"{p.x!r},{p.y!r}\n" for p in points)
    zone_option = ["--huso-b", str(zone)] if zone else []
    # The drawings lie where their authors drew them, mostly far from Andalusia.
    out = run(cli, "punto", *options, *zone_option, "--fuera-de-region", stdin=rows)
    return [tuple(float(v) for v in line.split("\t")[:2]) for line in out.splitlines()]


def compare_points(label, before, after, expected, tolerance):
    for (kind, old), (kind_after, new) in zip(before, after):
        check(kind == kind_after, f"{label}: entity {kind} became {kind_after}")
        if old is None:
            continue
        if not check(new is not None and len(new) == len(old),
                     f"{label}: {kind} has {len(new or [])} points, not {len(old)}"):
            continue
        for a, b in zip(old, new):
            x, y = expected[(a.x, a.y)]
            check(abs(b.x - x) <= tolerance and abs(b.y - y) <= tolerance,
                  f"{label}: {kind} point {a.x:.3f}, {a.y:.3f} -> {b.x}, {b.y}, not {x}, {y}")
            check(abs(b.z - a.z) <= 1e-3, f"{label}: {kind} height {a.z} became {b.z}")


def check_run(cli, corpus, work, name, options_a, options_b):
    label = f"{name} -> {' '.join(options_b)}"
    source = os.path.join(corpus, name)
    target = os.path.join(work, "out_" + name)
    # Entities that cannot move are left as they were: the drawing is
    # written, the status is 1 and standard error counts them.
    args = [cli, "dxf", source, target, *options_a, *options_b, "--fuera-de-region"]
    result = subprocess.run(args, capture_output=True, text=True)
    left = re.search(r"quillon-cli: (\d+) entidades no transformadas", result.stderr)
    if result.returncode != 0 and not (result.returncode == 1 and left):
        sys.exit(f"{' '.join(args)} failed:\n{result.stdout}{result.stderr}")
    with open(target + ".log", encoding="cp1252") as f:
        log = f.read()
    zone = None
    if "utm" in options_b:
        if "--huso-b" in options_b:
            zone = int(options_b[options_b.index("--huso-b") + 1])
        else:
            found = re.search(r"Huso de salida\.{6}: (\d+) \(único para todo el dibujo\)", log)
            check(found is not None, f"{label}: the log does not name the drawing's zone")
            zone = int(found.group(1)) if found else 30
    geodetic_out = "geodesicas" in options_b

    # Lines: the same count and ends; only coordinate values changed.
    old_lines, new_lines = read_lines(source), read_lines(target)
    check(len(old_lines) == len(new_lines), f"{label}: {len(old_lines)} lines in, "
                                            f"{len(new_lines)} out")
    for i, (a, b) in enumerate(zip(old_lines, new_lines)):
        check(a.endswith(b"\r") == b.endswith(b"\r"), f"{label}: line {i + 1} changed its end")
        if a != b:
            check(i % 2 == 1 and int(old_lines[i - 1]) in POINT_CODES,
                  f"{label}: line {i + 1} changed: {a!r} -> {b!r}")
            if i % 2 == 1 and geodetic_out and int(old_lines[i - 1]) in (10, 20):
                check(re.fullmatch(rb"-?\d+\.\d{10}\r?", b) is not None,
                      f"{label}: line {i + 1} is not written with 10 decimals: {b!r}")

    # Sections and blocks that stay byte for byte.
    old_sections, new_sections = sections(old_lines), sections(new_lines)
    for section in ("CLASSES", "TABLES", "OBJECTS"):
        check(old_sections.get(section) == new_sections.get(section),
              f"{label}: section {section} changed")
    check(paper_space(old_sections["ENTITIES"]) == paper_space(new_sections["ENTITIES"]),
          f"{label}: paper space changed")

    before, after = ezdxf.readfile(source), ezdxf.readfile(target)
    auditor = after.audit()
    check(not auditor.has_errors, f"{label}: ezdxf audit: {[str(e) for e in auditor.errors]}")
    pictures = {d.dxf.geometry for d in before.modelspace().query("DIMENSION")
                if d.dxf.hasattr("geometry")}
    old_blocks, new_blocks = blocks(old_sections["BLOCKS"]), blocks(new_sections["BLOCKS"])
    check(old_blocks.keys() == new_blocks.keys(), f"{label}: blocks added or lost")
    for block, lines in old_blocks.items():
        if block.decode() not in pictures:
            check(lines == new_blocks.get(block), f"{label}: block {block} changed")

    # Every point moved as quillon-cli punto moves it.
    old_points = entity_points(before.modelspace())
    new_points = entity_points(after.modelspace())
    for picture in sorted(pictures):
        old_points += entity_points(before.blocks.get(picture))
        new_points += entity_points(after.blocks.get(picture))
    check(len(old_points) == len(new_points), f"{label}: entity count changed")
    everything = [p for _, points in old_points if points for p in points]
    insbase = header_point(before, "$INSBASE") if "$INSBASE" in before.header else None
    if insbase is not None:
        everything.append(insbase)
    carried_points = carried(cli, everything, options_a + options_b[:4], zone)
    expected = {(p.x, p.y): xy for p, xy in zip(everything, carried_points)}
    compare_points(label, old_points, new_points, expected, 1e-8 if geodetic_out else 1e-3)
    unhandled = [k for k, points in old_points if points is None]
    check((int(left.group(1)) if left else 0) == len(unhandled),
          f"{label}: standard error counts {left.group(1) if left else 0} entities left, "
          f"not {len(unhandled)}")
    for kind in set(unhandled):
        check(f"Entidades no transformadas: {kind} ({unhandled.count(kind)})" in log,
              f"{label}: the log does not name the {kind} left as it was")

    # The header: extents around every moved point, the insertion base carried.
    low, high = header_point(after, "$EXTMIN"), header_point(after, "$EXTMAX")
    moved = [p for _, points in new_points[:len(entity_points(after.modelspace()))] if points
             for p in points]
    slack = 1e-9 if geodetic_out else 1e-6
    check(all(low.x - slack <= p.x <= high.x + slack and low.y - slack <= p.y <= high.y + slack
              for p in moved), f"{label}: $EXTMIN/$EXTMAX do not enclose the drawing")
    if insbase is not None:
        new_insbase = header_point(after, "$INSBASE")
        x, y = expected[(insbase.x, insbase.y)]
        check(abs(new_insbase.x - x) <= 1e-3 and abs(new_insbase.y - y) <= 1e-3,
              f"{label}: $INSBASE {new_insbase} is not {x}, {y}")

    # GDAL reads as many features as in the input.
    counts = []
    for path in (source, target):
        result = subprocess.run(["ogrinfo", "-ro", "-al", "-q", path], capture_output=True,
                                text=True)
        check(result.returncode == 0 and "ERROR" not in result.stderr,
              f"{label}: ogrinfo failed on {path}: {result.stderr.strip()}")
        counts.append(result.stdout.count("OGRFeature("))
    check(counts[0] == counts[1], f"{label}: GDAL reads {counts[1]} features, not {counts[0]}")
    print(f"ok: {label}: {len(everything)} points")


def main():
    cli, corpus = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="quillon-corpus-")
    try:
        for name, options_a, options_b in RUNS:
            check_run(cli, corpus, work, name, options_a, options_b)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        sys.exit(f"{len(failures)} failures")
    print("Every drawing of the corpus moved whole; ezdxf and GDAL read the results")


if __name__ == "__main__":
    main()
