#!/usr/bin/python3
"""Writes the public drawing corpus of tests/data/dxf/public/: drawings that
other projects published as test or example data (see the README there for
their sources, commits and licences), each moved whole into Andalusia so that
its model space centres on ED50 UTM zone 30 370000, 4100000 (inside the
served region). Drawings wider than 20 km are scaled down about that centre
first.

The drawings are read with ezdxf, their model-space entities translated (and
scaled) with ezdxf's own transformations, the header extents moved with them,
and written again with ezdxf: text drawings as text, with the line ends they
had (CR LF or LF), binary drawings as binary. Block definitions and paper
space are drawn in their own coordinates and stay. Entities that ezdxf cannot
transform stay where they were and are listed (ACIS bodies, proxies), or
have their insertion point alone moved (tables, underlays, shapes).
Drawings that ezdxf would rewrite into another version (AC1003) are shifted as
text, value by value, instead.

Needs python3-ezdxf and git. Usage:
    /usr/bin/python3 tools/samples/make_public_dxf_corpus.py \\
        ezdxf=GIT_DIR netdxf=GIT_DIR [OUT_FOLDER]
where each GIT_DIR is a clone of the source repository (its .git folder or a
bare clone) holding the commit the README names.
"""
import os
import subprocess
import sys
import tempfile

import ezdxf
from ezdxf import bbox
from ezdxf.lldxf.types import DXFVertex
from ezdxf.math import Matrix44

CENTRE = (370000.0, 4100000.0)
WIDEST = 20000.0  # metres: wider drawings are scaled down to this

SOURCES = {
    "ezdxf": "5ffc690746f1a993ff0c10f4dcd408b4ecedde59",
    "netdxf": "3d24d7c23418bd3a077d0e32a639f2ffe95bff51",
}

# (source, path in its repository, name in the corpus, how: "ezdxf" or "text")
DRAWINGS = [
    ("ezdxf", "integration_tests/data/AC1003_LINE_Example.dxf", "ezdxf_ac1003_line.dxf", "text"),
    ("ezdxf", "integration_tests/data/bin_dxf_r2000.dxf", "ezdxf_bin_r2000.dxf", "ezdxf"),
    ("ezdxf", "integration_tests/data/cc_dxflib.dxf", "ezdxf_cc_dxflib.dxf", "ezdxf"),
    ("ezdxf", "integration_tests/data/small_r13.dxf", "ezdxf_small_r13.dxf", "ezdxf"),
    ("ezdxf", "integration_tests/data/MODEL.dxf", "ezdxf_model.dxf", "ezdxf"),
    ("ezdxf", "integration_tests/data/POLI-ALL210_12.DXF", "ezdxf_poli_all210_12.dxf", "ezdxf"),
    ("ezdxf", "integration_tests/data/groups.dxf", "ezdxf_groups.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/multi_insert_with_attribs.dxf", "ezdxf_multi_insert_attribs.dxf",
     "ezdxf"),
    ("ezdxf", "examples_dxf/clockwise_arcs_hatch.dxf", "ezdxf_clockwise_arcs_hatch.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/wipeout_random.dxf", "ezdxf_wipeout_random.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/mtext_columns_R2000.dxf", "ezdxf_mtext_columns_r2000.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/mtext_columns_R2018.dxf", "ezdxf_mtext_columns_r2018.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/text_alignments.dxf", "ezdxf_text_alignments.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/caret_encoding.dxf", "ezdxf_caret_encoding.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/hatch_issues.dxf", "ezdxf_hatch_issues.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/hatches_1.dxf", "ezdxf_hatches_1.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/dimension_in_block.dxf", "ezdxf_dimension_in_block.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/acad_table_simple.dxf", "ezdxf_acad_table_simple.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/hatches_2.dxf", "ezdxf_hatches_2.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/text_negative_extrusion.dxf", "ezdxf_text_negative_extrusion.dxf",
     "ezdxf"),
    ("ezdxf", "examples_dxf/visibility.dxf", "ezdxf_visibility.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/xclip.dxf", "ezdxf_xclip.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/3dface.dxf", "ezdxf_3dface.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/text_oblique_rotate.dxf", "ezdxf_text_oblique_rotate.dxf", "ezdxf"),
    ("ezdxf", "exploration/acis/torus_r2010.dxf", "ezdxf_torus_r2010.dxf", "ezdxf"),
    ("ezdxf", "tests/test_01_dxf_entities/houses_of_parliament_georeferenced.dxf",
     "ezdxf_houses_of_parliament_georeferenced.dxf", "ezdxf"),
    ("ezdxf", "examples_dxf/uncommon.dxf", "ezdxf_uncommon.dxf", "ezdxf"),
    ("ezdxf", "examples/addons/drawing/data/usa.dxf", "ezdxf_usa.dxf", "ezdxf"),
    ("netdxf", "TestDxfDocument/sample.dxf", "netdxf_sample.dxf", "ezdxf"),
]


def git_show(git_dir, commit, path):
    return subprocess.run(["git", "--git-dir", git_dir, "show", f"{commit}:{path}"],
                          check=True, capture_output=True).stdout


def model_box(doc):
    box = bbox.extents(doc.modelspace(), fast=True)
    if not box.has_data:
        return None
    return box


def shift_as_text(data):
    """A drawing of WCS LINEs and POINTs only, moved value by value: every x
    (codes 10 to 18) and y (20 to 28) of the header and the entities, with the
    decimals it had."""
    lines = data.split(b"\n")
    codes = [lines[i].strip() for i in range(0, len(lines) - 1, 2)]
    xs = [float(lines[2 * i + 1]) for i, c in enumerate(codes) if c in (b"10", b"11")]
    ys = [float(lines[2 * i + 1]) for i, c in enumerate(codes) if c in (b"20", b"21")]
    dx = CENTRE[0] - (min(xs) + max(xs)) / 2
    dy = CENTRE[1] - (min(ys) + max(ys)) / 2
    for i, code in enumerate(codes):
        if code.isdigit() and 10 <= int(code) <= 28 and int(code) % 10 <= 8:
            value = lines[2 * i + 1]
            end = b"\r" if value.endswith(b"\r") else b""
            text = value.strip().decode()
            decimals = len(text.split(".")[1]) if "." in text else 0
            moved = float(text) + (dx if int(code) < 20 else dy)
            lines[2 * i + 1] = f"{moved:.{decimals}f}".encode() + end
    return b"\n".join(lines), []


def move_table(table, m):
    """The insertion point of a table that ezdxf keeps as tags."""
    try:
        tags = table.xtags.get_subclass("AcDbBlockReference")
    except (AttributeError, ezdxf.lldxf.const.DXFKeyError):
        return False
    for i, tag in enumerate(tags):
        if tag.code == 10:
            tags[i] = DXFVertex(10, m.transform(tag.value))
            return True
    return False


def move_jog_points(data, m):
    """ezdxf moves the chord and centre points of a LARGE_RADIAL_DIMENSION but
    leaves its jog point (group codes 15, 25, 35 of AcDbRadialDimensionLarge)."""
    lines = data.split(b"\n")
    inside, x, y = False, None, None
    for i in range(0, len(lines) - 1, 2):
        code, value = lines[i].strip(), lines[i + 1].strip()
        if code == b"100":
            inside = value == b"AcDbRadialDimensionLarge"
        elif code == b"0":
            inside = False
        elif inside and code == b"15":
            x = i + 1
        elif inside and code == b"25" and x is not None:
            moved = m.transform((float(lines[x]), float(value), 0.0))
            lines[x], lines[i + 1] = repr(moved.x).encode(), repr(moved.y).encode()
            x = None
    return b"\n".join(lines)


def shift_with_ezdxf(data, name):
    binary = data.startswith(b"AutoCAD Binary DXF")
    crlf = b"\r\n" in data[:200]
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "in.dxf")
        with open(source, "wb") as f:
            f.write(data)
        doc = ezdxf.readfile(source)
        box = model_box(doc)
        # A model space of opaque bodies alone has no extents ezdxf can measure.
        centre = box.center if box else ezdxf.math.Vec3()
        scale = min(1.0, WIDEST / max(box.size.x, box.size.y, 1e-9)) if box else 1.0
        m = Matrix44.chain(Matrix44.translate(-centre.x, -centre.y, 0),
                           Matrix44.scale(scale, scale, scale),
                           Matrix44.translate(CENTRE[0], CENTRE[1], 0))
        left = []
        for e in list(doc.modelspace()):
            insert = e.dxf.insert if e.dxf.hasattr("insert") else None
            # ezdxf leaves the seed points of hatches where they were.
            seeds = ([e.ocs().to_wcs((x, y, e.dxf.elevation.z)) for x, y, *_ in e.seeds]
                     if e.dxftype() == "HATCH" else [])
            try:
                e.transform(m)
                # ezdxf writes the arc point of a 3-point angular dimension
                # (0, 0 when the drawing has none): moved with the rest.
                if (e.dxftype() == "DIMENSION" and e.dimtype == 5
                        and not e.dxf.hasattr("defpoint5")):
                    e.dxf.defpoint5 = e.ocs().from_wcs(m.transform((0, 0, 0)))
                if seeds:
                    e.seeds = [(q.x, q.y) for q in (e.ocs().from_wcs(m.transform(p)) for p in seeds)]
            except (NotImplementedError, AttributeError, ezdxf.lldxf.const.DXFError) as error:
                # Tables, underlays and shapes: their insertion point alone.
                # (From where it was: a SHAPE has moved its own before failing.)
                if insert is not None and e.dxf.get("extrusion", (0, 0, 1)) == (0, 0, 1):
                    e.dxf.insert = m.transform(insert)
                    continue
                if e.dxftype() == "ACAD_TABLE" and move_table(e, m):
                    continue
                left.append(f"{e.dxftype()} {e.dxf.handle}: {type(error).__name__}")
        for corner in ("$EXTMIN", "$EXTMAX"):
            if corner in doc.header:
                doc.header[corner] = m.transform(doc.header[corner])
        target = os.path.join(work, "out.dxf")
        doc.saveas(target, fmt="bin" if binary else "asc")
        with open(target, "rb") as f:
            out = f.read()
    if not binary:
        out = move_jog_points(out, m)
    if crlf and not binary:
        out = out.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    if scale < 1.0:
        left.append(f"scaled by {scale:.6g}")
    return out, left


def main():
    git_dirs, out_folder = {}, None
    for arg in sys.argv[1:]:
        if "=" in arg:
            source, git_dir = arg.split("=", 1)
            git_dirs[source] = git_dir
        else:
            out_folder = arg
    if out_folder is None:
        out_folder = os.path.join(os.path.dirname(__file__), "..", "..", "tests", "data", "dxf",
                                  "public")
    os.makedirs(out_folder, exist_ok=True)
    for source, path, name, how in DRAWINGS:
        if source not in git_dirs:
            sys.exit(f"no clone of {source} given ({source}=GIT_DIR)")
        data = git_show(git_dirs[source], SOURCES[source], path)
        try:
            out, notes = shift_as_text(data) if how == "text" else shift_with_ezdxf(data, name)
        except Exception as error:  # ezdxf cannot read or write it: not in the corpus
            print(f"{name}: left out: {type(error).__name__}: {error}")
            continue
        with open(os.path.join(out_folder, name), "wb") as f:
            f.write(out)
        print(f"{name}: {len(out)} bytes" + "".join(f"; {n}" for n in notes))


if __name__ == "__main__":
    main()
