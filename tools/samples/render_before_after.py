#!/usr/bin/python3
"""Draws the sample parcel before and after its datum change, one over the
other: the ED50 drawing in grey, the ETRS89 drawing that quillon-cli writes in
colour, with the UTM grid, so that the whole drawing is seen to move together
(some 110 m west and 200 m south).

Rendered with ezdxf's drawing add-on and matplotlib (python3-ezdxf,
python3-matplotlib).

Usage: /usr/bin/python3 tools/samples/render_before_after.py QUILLON_CLI [PNG]
"""
import os
import subprocess
import sys
import tempfile

import logging

import matplotlib

matplotlib.use("Agg")
logging.getLogger("matplotlib.font_manager").setLevel(logging.ERROR)
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.lines import Line2D  # noqa: E402
from matplotlib.ticker import FuncFormatter  # noqa: E402

import ezdxf  # noqa: E402
from ezdxf.addons.drawing import Frontend, RenderContext  # noqa: E402
from ezdxf.addons.drawing.matplotlib import MatplotlibBackend  # noqa: E402
from ezdxf.addons.drawing.properties import LayoutProperties  # noqa: E402

SAMPLE = "data/muestra_parcela_ed50.dxf"
BEFORE, AFTER = "#9a9a9a", "#1f5fbf"


class OneColour(Frontend):
    """Draws every entity of a drawing in one colour."""

    def __init__(self, ctx, out, colour):
        super().__init__(ctx, out)
        self.colour = colour

    def override_properties(self, entity, properties):
        properties.color = self.colour


def draw(ax, doc, colour, finalize):
    msp = doc.modelspace()
    layout = LayoutProperties.from_layout(msp)
    layout.set_colors("#ffffff")
    backend = MatplotlibBackend(ax, adjust_figure=False)
    OneColour(RenderContext(doc), backend, colour).draw_layout(
        msp, finalize=finalize, layout_properties=layout)


def main():
    cli = sys.argv[1]
    target = sys.argv[2] if len(sys.argv) > 2 else "data/muestra_parcela_antes_despues.png"
    with tempfile.TemporaryDirectory() as work:
        moved = os.path.join(work, "parcela_etrs89.dxf")
        subprocess.run([cli, "dxf", SAMPLE, moved, "--datum-a", "ED50", "--tipo-a", "utm",
                        "--huso-a", "30", "--datum-b", "ETRS89", "--tipo-b", "utm",
                        "--huso-b", "30", "--parametros", "vecinos", "--seleccion", "5"],
                       check=True, stdout=subprocess.DEVNULL)
        before, after = ezdxf.readfile(SAMPLE), ezdxf.readfile(moved)

    fig = plt.figure(figsize=(7.5, 7.5), dpi=100)
    ax = fig.add_axes([0.16, 0.1, 0.8, 0.8])
    draw(ax, before, BEFORE, False)
    draw(ax, after, AFTER, True)
    ax.xaxis.set_visible(True)
    ax.yaxis.set_visible(True)
    for spine in ax.spines.values():
        spine.set_visible(True)
        spine.set_color("#bbbbbb")
    ax.tick_params(labelsize=8)
    ax.xaxis.set_major_formatter(FuncFormatter(lambda v, _: f"{v:,.0f}".replace(",", " ")))
    ax.yaxis.set_major_formatter(FuncFormatter(lambda v, _: f"{v:,.0f}".replace(",", " ")))
    ax.grid(True, color="#dddddd", linewidth=0.6)
    ax.set_xlabel("UTM huso 30, x (m)", fontsize=9)
    ax.set_ylabel("UTM huso 30, y (m)", fontsize=9)
    ax.set_title("Parcela de muestra antes y después de quillon-cli dxf\n"
                 "(ED50 → ETRS89, Helmert local con los 5 vértices más cercanos)", fontsize=10)
    ax.legend(handles=[Line2D([], [], color=BEFORE, label="ED50 (entrada)"),
                       Line2D([], [], color=AFTER, label="ETRS89 (salida)")],
              loc="upper left", fontsize=8)
    fig.savefig(target)
    print(target)


if __name__ == "__main__":
    main()
