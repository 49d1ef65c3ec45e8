#!/usr/bin/env python3
"""Makes the desktop program's map background from Natural Earth shapefiles.

Natural Earth (https://www.naturalearthdata.com, public domain) polygons are
clipped to Andalusia and its surroundings, simplified and projected with GDAL's
ogr2ogr to ED50 UTM zone 30 (EPSG:23030), then written as a small text file of
polylines:

    # comment lines
    <layer> <n>          a polyline of n vertices on the layer
    <x> <y>              n lines of whole metres

Layers: "tierra" (a land polygon's ring, filled) and "limite" (a border or
province line, drawn only). Usage:

    tools/make_map_background.py COUNTRIES.shp [PROVINCES.shp] > frontend/resources/fondo_andalucia.txt

COUNTRIES: Natural Earth's countries in any format OGR reads. The bundled file
is made from the 1:50m countries that tools/natural_earth_50m.R writes from R's
rnaturalearthdata package; ne_110m_admin_0_countries (GeoPandas' copy,
naturalearth_lowres) or ne_10m_admin_0_countries do as well. PROVINCES
(optional): ne_10m_admin_1_states_provinces, whose Spanish lines are kept.
"""
import json
import os
import subprocess
import sys
import tempfile


# Longitude and latitude window around Andalusia.
WINDOW = ["-9.0", "34.8", "0.2", "39.4"]
# Simplification tolerance in metres (0 for the coarse 1:110m scale).
TOLERANCE = os.environ.get("SIMPLIFY_METRES", "0")


def features(path):
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "out.geojson")
        subprocess.run(["ogr2ogr", "-f", "GeoJSON", "-clipsrc", *WINDOW, "-t_srs", "EPSG:23030",
                        "-simplify", TOLERANCE, "-explodecollections", out, path], check=True)
        with open(out, encoding="utf-8") as f:
            return json.load(f)["features"]


def rings(geometry):
    if geometry is None:
        return []
    kind, coords = geometry["type"], geometry["coordinates"]
    if kind == "Polygon":
        return coords
    if kind == "MultiPolygon":
        return [ring for polygon in coords for ring in polygon]
    if kind == "LineString":
        return [coords]
    if kind == "MultiLineString":
        return coords
    return []


def write(layer, ring, out):
    points = [(round(x), round(y)) for x, y, *_ in ring]
    kept = [p for i, p in enumerate(points) if i == 0 or p != points[i - 1]]
    if len(kept) >= 2:
        out.write(f"{layer} {len(kept)}\n")
        out.writelines(f"{x} {y}\n" for x, y in kept)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    out = sys.stdout
    out.write("# Map background: Natural Earth (public domain), ED50 UTM zone 30, metres.\n")
    out.write("# Made by tools/make_map_background.py.\n")
    for feature in features(sys.argv[1]):
        for ring in rings(feature["geometry"]):
            write("tierra", ring, out)
    for path in sys.argv[2:]:
        for feature in features(path):
            if feature["properties"].get("admin", "Spain") != "Spain":
                continue
            for ring in rings(feature["geometry"]):
                write("limite", ring, out)


if __name__ == "__main__":
    main()
