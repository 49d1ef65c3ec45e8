#!/usr/bin/python3
"""Writes data/muestra_parcela_ed50.dxf, the sample drawing of a small parcel
survey near Antequera (Málaga) in ED50 UTM zone 30, metres.

It holds every entity kind the engine transforms (TEXT with an alignment point,
POINT, a 2D POLYLINE with VERTEX entities, LINE, LWPOLYLINE) and two it copies
unchanged: a CIRCLE and an INSERT of a block. Needs python3-ezdxf.

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

    # A survey monument as a block: a cross in a circle.
    block = doc.blocks.new(name="MOJON")
    block.add_circle((0, 0), radius=0.5)
    block.add_line((-0.7, 0), (0.7, 0))
    block.add_line((0, -0.7), (0, 0.7))

    msp = doc.modelspace()
    # Parcel boundary as an old-style 2D polyline with vertices.
    msp.add_polyline2d(
        [(X0, Y0), (X0 + 250.5, Y0 + 3.25), (X0 + 262.75, Y0 + 180.0), (X0 - 4.5, Y0 + 176.5)],
        close=True, dxfattribs={"layer": "LINDEROS"})
    # A building footprint as a lightweight polyline.
    msp.add_lwpolyline(
        [(X0 + 100.0, Y0 + 60.0), (X0 + 130.0, Y0 + 60.0), (X0 + 130.0, Y0 + 80.0),
         (X0 + 100.0, Y0 + 80.0), (X0 + 100.0, Y0 + 60.0)],
        dxfattribs={"layer": "EDIFICIOS"})
    # A path across the parcel.
    msp.add_line((X0 + 10.0, Y0 + 10.0), (X0 + 240.25, Y0 + 170.125),
                 dxfattribs={"layer": "LINDEROS"})
    # Surveyed points with their heights.
    msp.add_point((X0 + 50.0, Y0 + 40.0, 512.34), dxfattribs={"layer": "PUNTOS"})
    msp.add_point((X0 + 200.0, Y0 + 150.0, 518.9), dxfattribs={"layer": "PUNTOS"})
    # Labels: one with an insertion point only, one centred (alignment point).
    msp.add_text("Parcela 12", dxfattribs={"layer": "TEXTOS", "height": 5.0}).set_placement(
        (X0 + 20.0, Y0 + 100.0))
    msp.add_text("Nave", dxfattribs={"layer": "TEXTOS", "height": 2.5}).set_placement(
        (X0 + 115.0, Y0 + 70.0), align=TextEntityAlignment.MIDDLE_CENTER)
    # Left as they are by the engine: a well and a monument.
    msp.add_circle((X0 + 160.0, Y0 + 30.0), radius=2.5, dxfattribs={"layer": "EDIFICIOS"})
    msp.add_blockref("MOJON", (X0 + 250.5, Y0 + 3.25), dxfattribs={"layer": "PUNTOS"})

    doc.saveas(target)


if __name__ == "__main__":
    main()
