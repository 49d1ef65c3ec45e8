#!/usr/bin/python3
"""Writes data/muestra_parcela_ed50.dxf, the sample drawing of a small parcel
survey near Antequera (Málaga) in ED50 UTM zone 30, metres.

It holds what a surveyor's drawing holds: the boundary as a 2D POLYLINE with
VERTEX entities, a building as an LWPOLYLINE with a solid HATCH, a path as a
LINE and an ARC, surveyed POINTs with their heights, TEXT labels (one with an
alignment point) and an MTEXT, a well and trees as CIRCLEs, survey monuments
as INSERTs of a block with their numbers as attributes, and a DIMENSION of
the south boundary. Needs python3-ezdxf.

Usage: /usr/bin/python3 tools/samples/make_sample_dxf.py [OUTPUT]
"""
import sys

import ezdxf
from ezdxf.enums import TextEntityAlignment

X0, Y0 = 370000.0, 4100000.0  # south-west corner of the parcel


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else "data/muestra_parcela_ed50.dxf"
    doc = ezdxf.new("R2000")
    doc.layers.add("LINDEROS", color=1)
    doc.layers.add("EDIFICIOS", color=3)
    doc.layers.add("TEXTOS", color=7)
    doc.layers.add("PUNTOS", color=5)
    doc.layers.add("VEGETACION", color=94)
    doc.layers.add("COTAS", color=2)

    # A survey monument as a block: a cross in a circle, and its number.
    block = doc.blocks.new(name="MOJON")
    block.add_circle((0, 0), radius=0.5)
    block.add_line((-0.7, 0), (0.7, 0))
    block.add_line((0, -0.7), (0, 0.7))
    block.add_attdef("NUMERO", (0.8, 0.2), dxfattribs={"height": 1.5})

    msp = doc.modelspace()
    # Parcel boundary as an old-style 2D polyline with vertices.
    corners = [(X0, Y0), (X0 + 250.5, Y0 + 3.25), (X0 + 262.75, Y0 + 180.0), (X0 - 4.5, Y0 + 176.5)]
    msp.add_polyline2d(corners, close=True, dxfattribs={"layer": "LINDEROS"})
    # A building footprint as a lightweight polyline, filled.
    building = [(X0 + 100.0, Y0 + 60.0), (X0 + 130.0, Y0 + 60.0), (X0 + 130.0, Y0 + 80.0),
                (X0 + 100.0, Y0 + 80.0)]
    msp.add_lwpolyline(building + [building[0]], dxfattribs={"layer": "EDIFICIOS"})
    fill = msp.add_hatch(color=3, dxfattribs={"layer": "EDIFICIOS"})
    fill.paths.add_polyline_path(building, is_closed=True)
    # A path across the parcel, ending in a curve.
    msp.add_line((X0 + 10.0, Y0 + 10.0), (X0 + 200.0, Y0 + 140.0),
                 dxfattribs={"layer": "LINDEROS"})
    msp.add_arc((X0 + 180.0, Y0 + 170.0), radius=36.4, start_angle=-56.0, end_angle=20.0,
                dxfattribs={"layer": "LINDEROS"})
    # Surveyed points with their heights.
    msp.add_point((X0 + 50.0, Y0 + 40.0, 512.34), dxfattribs={"layer": "PUNTOS"})
    msp.add_point((X0 + 200.0, Y0 + 150.0, 518.9), dxfattribs={"layer": "PUNTOS"})
    # Labels: one with an insertion point only, one centred (alignment point).
    msp.add_text("Parcela 12", dxfattribs={"layer": "TEXTOS", "height": 5.0}).set_placement(
        (X0 + 20.0, Y0 + 100.0))
    msp.add_text("Nave", dxfattribs={"layer": "TEXTOS", "height": 2.5}).set_placement(
        (X0 + 115.0, Y0 + 70.0), align=TextEntityAlignment.MIDDLE_CENTER)
    msp.add_mtext("Finca La Vega\\PPolígono 7", dxfattribs={
        "layer": "TEXTOS", "char_height": 3.0, "insert": (X0 + 20.0, Y0 + 160.0)})
    # A well and two olive trees.
    msp.add_circle((X0 + 160.0, Y0 + 30.0), radius=2.5, dxfattribs={"layer": "EDIFICIOS"})
    for x, y in ((X0 + 60.0, Y0 + 120.0), (X0 + 75.0, Y0 + 128.0)):
        msp.add_circle((x, y), radius=4.0, dxfattribs={"layer": "VEGETACION"})
    # Survey monuments at two corners, numbered.
    for number, (x, y) in (("101", corners[1]), ("102", corners[3])):
        monument = msp.add_blockref("MOJON", (x, y), dxfattribs={"layer": "PUNTOS"})
        monument.add_auto_attribs({"NUMERO": number})
    # The length of the south boundary.
    msp.add_aligned_dim(p1=corners[0], p2=corners[1], distance=-12.0,
                        dimstyle="Standard", dxfattribs={"layer": "COTAS"},
                        override={"dimtxt": 4.0, "dimasz": 3.0}).render()

    doc.saveas(target)


if __name__ == "__main__":
    main()
