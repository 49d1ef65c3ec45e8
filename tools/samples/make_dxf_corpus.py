#!/usr/bin/python3
"""Writes the drawing corpus of tests/data/dxf/: small drawings made by ezdxf
(R12, R2000, R2010, R2018) and by GDAL (ogr2ogr -f DXF from GeoJSON), holding
every entity kind the engine carries, and the traps of real drawings: layers
named TEXT, POINT, LINE and ENTITIES_OLD, mirrored and tilted entities (an
extrusion other than 0,0,1), a block with INSERTs and attributes, dimensions
with their pictures, paper-space entities, kinds the engine does not carry,
group codes written without their blanks, CR LF and LF line ends.

Coordinates are ED50 UTM zone 30 around a parcel near Antequera, except
gdal_6w_geodesicas.dxf: ED50 longitude and latitude across 6 degrees W.

Needs python3-ezdxf and gdal-bin. Usage:
    /usr/bin/python3 tools/samples/make_dxf_corpus.py [FOLDER]
"""
import json
import os
import subprocess
import sys
import tempfile

import ezdxf
from ezdxf.enums import TextEntityAlignment
from ezdxf.math import OCS, Vec2, Vec3

X0, Y0 = 370000.0, 4100000.0
TRAP_LAYERS = ("TEXT", "POINT", "LINE", "ENTITIES_OLD")
TILT = Vec3(0.3, -0.2, 0.93).normalize()


def p(dx, dy, z=0.0):
    return (X0 + dx, Y0 + dy, z)


def new_doc(version):
    doc = ezdxf.new(version)
    for name in TRAP_LAYERS:
        doc.layers.add(name)
    block = doc.blocks.new(name="MOJON")
    block.add_circle((0, 0), radius=0.5)
    block.add_line((-0.7, 0), (0.7, 0))
    block.add_line((0, -0.7), (0, 0.7))
    block.add_attdef("NUMERO", (0.8, 0.2), dxfattribs={"height": 0.5})
    return doc


def common(doc, msp):
    """Entities of every version: the R12 kinds."""
    msp.add_point(p(10, 10, 512.5), dxfattribs={"layer": "POINT"})
    msp.add_line(p(0, 0), p(250.5, 3.25), dxfattribs={"layer": "LINE"})
    msp.add_line(p(5, 5), p(6, 7), dxfattribs={"layer": "ENTITIES_OLD"})
    msp.add_circle(p(160, 30), radius=2.5, dxfattribs={"layer": "POINT"})
    # Mirrored: extrusion (0, 0, -1), object x = -world x.
    mirrored = OCS((0, 0, -1))
    msp.add_circle(mirrored.from_wcs(Vec3(p(170, 30))), radius=1.5,
                   dxfattribs={"extrusion": (0, 0, -1), "layer": "POINT"})
    msp.add_arc(p(40, 120), radius=8.0, start_angle=10, end_angle=170)
    msp.add_text("Parcela 12", dxfattribs={"layer": "TEXT", "height": 5}).set_placement(p(20, 100))
    msp.add_text("Nave", dxfattribs={"layer": "LINE", "height": 2.5}).set_placement(
        p(115, 70), align=TextEntityAlignment.MIDDLE_CENTER)
    msp.add_text("Espejo", dxfattribs={"extrusion": (0, 0, -1), "height": 2}).set_placement(
        mirrored.from_wcs(Vec3(p(60, 60))), align=TextEntityAlignment.RIGHT)
    msp.add_solid([p(200, 10), p(204, 10), p(200, 14), p(204, 14)])
    msp.add_trace([p(210, 10), p(214, 10), p(210, 12), p(214, 12)])
    msp.add_3dface([p(220, 10, 500), p(224, 10, 501), p(224, 14, 502), p(220, 14, 503)])
    msp.add_polyline2d([p(0, 0), p(250.5, 3.25), p(262.75, 180), p(-4.5, 176.5)], close=True,
                       dxfattribs={"layer": "LINE"})
    msp.add_polyline3d([p(30, 30, 510), p(40, 35, 511), p(50, 30, 512)],
                       dxfattribs={"layer": "TEXT"})
    face = msp.add_polyface()
    face.append_face([p(70, 10, 1), p(74, 10, 2), p(74, 14, 3)])
    face.append_face([p(70, 10, 1), p(74, 14, 3), p(70, 14, 4)])
    mesh = msp.add_polymesh((2, 2))
    for m in range(2):
        for n in range(2):
            mesh.set_mesh_vertex((m, n), p(80 + 3 * m, 10 + 3 * n, m + n))
    for number, where in (("101", p(250.5, 3.25)), ("102", p(-4.5, 176.5))):
        ref = msp.add_blockref("MOJON", where, dxfattribs={"layer": "POINT"})
        ref.add_auto_attribs({"NUMERO": number})
    msp.add_blockref("MOJON", mirrored.from_wcs(Vec3(p(262.75, 180))),
                     dxfattribs={"extrusion": (0, 0, -1)})
    dim = msp.add_linear_dim(base=p(0, -10), p1=p(0, 0), p2=p(250.5, 3.25), angle=0)
    dim.render()
    doc.layout().add_text("Plano de situación", dxfattribs={"height": 3}).set_placement((20, 20))


def modern(doc, msp):
    """Entities of R2000 and later."""
    msp.add_lwpolyline([p(100, 60), p(130, 60), p(130, 80), p(100, 80)], format="xy",
                       close=True, dxfattribs={"layer": "LINE", "elevation": 512.0})
    bulged = msp.add_lwpolyline([(X0 + 140, Y0 + 60, 0, 0, 0.5), (X0 + 150, Y0 + 60, 0, 0, 0)],
                                format="xyseb")
    bulged.dxf.layer = "POINT"
    mirrored = OCS((0, 0, -1))
    msp.add_lwpolyline([mirrored.from_wcs(Vec3(p(dx, 90))).vec2 for dx in (100, 110, 120)],
                       format="xy", dxfattribs={"extrusion": (0, 0, -1)})
    msp.add_ellipse(p(180, 100), major_axis=(10, 0), ratio=0.5, dxfattribs={"layer": "LINE"})
    msp.add_mtext("Finca\\PLa Vega", dxfattribs={"layer": "TEXT", "char_height": 3,
                                                   "insert": p(150, 150)})
    # A spline with both fit points and the control points made from them.
    fit = [Vec3(p(0, 200)), Vec3(p(20, 210)), Vec3(p(40, 205)), Vec3(p(60, 220))]
    msp.add_spline_control_frame(fit).fit_points = fit
    msp.add_open_spline([p(70, 200), p(80, 215), p(90, 200), p(100, 212)])
    hatch = msp.add_hatch(color=3, dxfattribs={"layer": "TEXT"})
    hatch.paths.add_polyline_path([p(100, 60)[:2], p(130, 60)[:2], p(130, 80)[:2]], is_closed=True)
    edges = hatch.paths.add_edge_path()
    edges.add_line(p(200, 200)[:2], p(220, 200)[:2])
    edges.add_arc(p(220, 205)[:2], radius=5, start_angle=-90, end_angle=90)
    edges.add_ellipse(p(210, 210)[:2], major_axis=(10, 0), ratio=0.5, start_angle=0,
                      end_angle=180)
    edges.add_spline(control_points=[p(200, 210)[:2], p(198, 206)[:2], p(200, 200)[:2]],
                     knot_values=[0, 0, 0, 1, 1, 1], degree=2)
    hatch.set_seed_points([p(110, 70)[:2]])
    patterned = msp.add_hatch()
    patterned.set_pattern_fill("ANSI31", scale=0.5)
    patterned.paths.add_polyline_path([p(0, 150)[:2], p(20, 150)[:2], p(20, 170)[:2]],
                                      is_closed=True)
    msp.add_xline(p(0, 250), (1, 1, 0))
    msp.add_ray(p(0, 260), (1, 0, 0))
    msp.add_leader([p(150, 150), p(160, 160), p(175, 160)])
    image_def = doc.add_image_def(filename="ortofoto.png", size_in_pixel=(640, 480))
    msp.add_image(image_def, insert=p(-100, -100), size_in_units=(64, 48))
    msp.add_wipeout([p(300, 300)[:2], p(310, 300)[:2], p(310, 310)[:2]])
    msp.add_aligned_dim(p1=p(100, 60), p2=p(130, 80), distance=5).render()
    msp.add_radius_dim(p(160, 30), radius=2.5, angle=45).render()
    # Tilted planes: the object z moves with the point.
    tilted = OCS(TILT)
    centre = Vec3(p(120, 140, 300))
    msp.add_circle(tilted.from_wcs(centre), radius=4, dxfattribs={"extrusion": TILT})
    corners = [centre + Vec3(dx, dy, -(TILT.x * dx + TILT.y * dy) / TILT.z)
               for dx, dy in ((10, 0), (20, 0), (20, 10))]
    in_plane = list(tilted.points_from_wcs(corners))
    msp.add_lwpolyline([v.vec2 for v in in_plane], format="xy",
                       dxfattribs={"extrusion": TILT, "elevation": in_plane[0].z})
    # Kinds the engine names in its log and leaves as they are.
    msp.add_3dsolid()
    msp.add_mpolygon().paths.add_polyline_path([p(0, 0)[:2], p(5, 0)[:2], p(5, 5)[:2]])


def recent(doc, msp):
    """Entities of R2010 and later."""
    msp.add_mline([p(0, 300), p(50, 300), p(50, 330)])
    mesh = msp.add_mesh()
    with mesh.edit_data() as data:
        data.vertices = [p(400, 0, 1), p(410, 0, 2), p(410, 10, 3), p(400, 10, 4)]
        data.faces = [(0, 1, 2, 3)]
    msp.add_helix(radius=5, pitch=1, turns=3, dxfattribs={"axis_base_point": p(450, 0)})
    tolerance = msp.new_entity("TOLERANCE", dxfattribs={"insert": p(300, 100), "dimstyle":
                                                          "Standard", "content": "{\\Fgdt;j}%%v0.5"})
    tolerance.dxf.extrusion = (0, 0, 1)
    msp.add_multileader_mtext("Standard").quick_leader(
        "Mojón", target=Vec2(p(250.5, 3.25)), segment1=Vec2(-10, 10))


def latest(doc, msp):
    """R2018: an attribute whose text is an MTEXT embedded in it."""
    ref = msp.add_blockref("MOJON", p(300, 50))
    attrib = ref.add_attrib("NUMERO", "103", p(300.8, 50.2))
    mtext = msp.add_mtext("103\\Pbis", dxfattribs={"insert": p(300.8, 50.2), "char_height": 0.5})
    attrib.embed_mtext(mtext)


def check_clean(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    if auditor.has_errors:
        sys.exit(f"{path}: ezdxf audit errors {[str(e) for e in auditor.errors]}")


def write_ezdxf(folder):
    made = {}
    for version, name, parts in (
            ("R12", "ezdxf_r12.dxf", (common,)),
            ("R2000", "ezdxf_r2000_crlf.dxf", (common, modern)),
            ("R2010", "ezdxf_r2010.dxf", (common, modern, recent)),
            ("R2018", "ezdxf_r2018.dxf", (common, latest))):
        doc = new_doc(version)
        msp = doc.modelspace()
        for part in parts:
            part(doc, msp)
        path = os.path.join(folder, name)
        doc.saveas(path)
        made[name] = path
    # CR LF, as written on Windows.
    with open(made["ezdxf_r2000_crlf.dxf"], "rb") as f:
        text = f.read()
    with open(made["ezdxf_r2000_crlf.dxf"], "wb") as f:
        f.write(text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"))
    # Group codes without their blanks ("0", not "  0"), CR LF.
    with open(made["ezdxf_r12.dxf"], "rb") as f:
        lines = f.read().split(b"\n")
    for i in range(0, len(lines) - 1, 2):
        lines[i] = lines[i].strip()
    with open(os.path.join(folder, "ezdxf_r12_sin_blancos_crlf.dxf"), "wb") as f:
        f.write(b"\r\n".join(lines))


def feature(layer, geometry, **extra):
    return {"type": "Feature", "properties": {"Layer": layer, **extra}, "geometry": geometry}


def ogr2ogr(folder, name, features):
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "capas.geojson")
        with open(source, "w") as f:
            json.dump({"type": "FeatureCollection", "features": features}, f)
        target = os.path.join(folder, name)
        if os.path.exists(target):
            os.remove(target)
        subprocess.run(["ogr2ogr", "-f", "DXF", target, source], check=True)


def write_gdal(folder):
    def xy(dx, dy):
        return [X0 + dx, Y0 + dy]

    ogr2ogr(folder, "gdal.dxf", [
        feature("POINT", {"type": "Point", "coordinates": xy(10, 10) + [512.5]}),
        feature("LINE", {"type": "LineString", "coordinates": [xy(0, 0), xy(250.5, 3.25)]}),
        feature("ENTITIES_OLD", {"type": "MultiLineString",
                                 "coordinates": [[xy(0, 5), xy(5, 5)], [xy(0, 6), xy(5, 6)]]}),
        feature("TEXT", {"type": "Polygon", "coordinates": [
            [xy(0, 0), xy(250.5, 3.25), xy(262.75, 180), xy(-4.5, 176.5), xy(0, 0)],
            [xy(100, 60), xy(130, 60), xy(130, 80), xy(100, 80), xy(100, 60)]]}),
    ])
    # Across 6 degrees W, in ED50 longitude and latitude.
    ogr2ogr(folder, "gdal_6w_geodesicas.dxf", [
        feature("LINE", {"type": "LineString", "coordinates": [[-6.06, 37.20], [-5.96, 37.23]]}),
        feature("TEXT", {"type": "Polygon", "coordinates": [
            [[-6.03, 37.21], [-5.99, 37.21], [-5.99, 37.22], [-6.03, 37.21]]]}),
        feature("POINT", {"type": "Point", "coordinates": [-6.01, 37.215]}),
    ])


def write_gdal_labels(folder):
    """GDAL's labels (MTEXT) and points, through its SQL style field."""
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "rotulos.geojson")
        with open(source, "w") as f:
            json.dump({"type": "FeatureCollection", "features": [
                feature("TEXT", {"type": "Point", "coordinates": [X0 + 20, Y0 + 100]})]}, f)
        target = os.path.join(folder, "gdal_rotulos.dxf")
        if os.path.exists(target):
            os.remove(target)
        subprocess.run(["ogr2ogr", "-f", "DXF", target, source, "-dialect", "OGRSQL", "-sql",
                        "SELECT Layer, 'LABEL(f:\"Arial\",t:\"Parcela 12\",s:2.5g,a:30)' "
                        "AS OGR_STYLE FROM rotulos"], check=True)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "tests/data/dxf"
    os.makedirs(folder, exist_ok=True)
    write_ezdxf(folder)
    write_gdal(folder)
    write_gdal_labels(folder)
    for name in sorted(os.listdir(folder)):
        if name.endswith(".dxf"):
            check_clean(os.path.join(folder, name))


if __name__ == "__main__":
    main()
