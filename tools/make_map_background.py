#!/usr/bin/env python3
"""Makes the desktop program's map background from Natural Earth shapefiles.

Natural Earth (https://www.naturalearthdata.com, public domain) polygons are
clipped to Andalusia and its surroundings, simplified and projected with GDAL's
ogr2ogr to ED50 UTM zone 30 (EPSG:23030), then written as a small text file of
polylines:

    # comment lines
    <layer> <n>          a polyline of n vertices on the layer
    <x> <y>              n lines of whole metres

Layers: "tierra" (a land polygon's ring, filled) and "limite" (a province
line, drawn only). Usage:

    tools/make_map_background.py COUNTRIES [PROVINCES] > frontend/resources/fondo_andalucia.txt

COUNTRIES: Natural Earth's countries in any format OGR reads. The bundled file
is made from the 1:50m countries that tools/natural_earth_50m.R writes from R's
rnaturalearthdata package; ne_110m_admin_0_countries (GeoPandas' copy,
naturalearth_lowres) or ne_10m_admin_0_countries do as well.

PROVINCES (optional): Natural Earth's 1:10m admin-1 states and provinces
(1:50m has no Spanish provinces), as ne_10m_admin_1_states_provinces.shp or as
the generalised copy in QGIS's world map (Debian: qgis-common,
/usr/share/qgis/resources/data/world_map.gpkg, layer states_provinces), which
the bundled file is made from. Only the lines two Spanish provinces share are
kept: the coast and the border with Portugal come with the countries. They are
simplified to SIMPLIFY_PROVINCES_METRES (100 m by default). Needs an ogr2ogr
whose SQLite dialect has SpatiaLite's functions (Debian's has).
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
PROVINCE_TOLERANCE = os.environ.get("SIMPLIFY_PROVINCES_METRES", "100")


def features(path, tolerance=TOLERANCE, sql=None):
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "out.geojson")
        query = ["-dialect", "SQLite", "-sql", sql] if sql else []
        # ogr2ogr simplifies in the source's units: a tolerance in metres
        # takes a second pass over the projected lines.
        in_metres = float(tolerance) > 0 and sql is not None
        projected = os.path.join(folder, "projected.geojson") if in_metres else out
        subprocess.run(["ogr2ogr", "-f", "GeoJSON", *query, "-clipsrc", *WINDOW, "-t_srs",
                        "EPSG:23030", *([] if in_metres else ["-simplify", tolerance]),
                        "-explodecollections", projected, path], check=True)
        if in_metres:
            subprocess.run(["ogr2ogr", "-f", "GeoJSON", "-simplify", tolerance, out, projected],
                           check=True)
        with open(out, encoding="utf-8") as f:
            return json.load(f)["features"]


def province_layer(path):
    """The admin-1 layer of PATH and its geometry column."""
    names = subprocess.run(["ogrinfo", "-ro", "-q", path], check=True, capture_output=True,
                           text=True).stdout
    layers = [line.split(":", 1)[1].split("(")[0].strip()
              for line in names.splitlines() if ":" in line]
    layer = "states_provinces" if "states_provinces" in layers else layers[0]
    summary = subprocess.run(["ogrinfo", "-ro", "-so", path, layer], check=True,
                             capture_output=True, text=True).stdout
    column = "GEOMETRY"  # a Shapefile's, in the SQLite dialect
    for line in summary.splitlines():
        if line.startswith("Geometry Column = "):
            column = line.split("=", 1)[1].strip()
    return layer, column


def shared_province_lines(path):
    """The lines that two Spanish provinces of PATH share."""
    layer, geom = province_layer(path)
    sql = (f'SELECT ST_LineMerge(ST_Intersection(ST_Boundary(a."{geom}"), '
           f'ST_Boundary(b."{geom}"))) AS geometry '
           f'FROM "{layer}" a, "{layer}" b '
           f"WHERE a.adm0_a3 = 'ESP' AND b.adm0_a3 = 'ESP' AND a.rowid < b.rowid "
           f'AND ST_Intersects(a."{geom}", b."{geom}")')
    return features(path, PROVINCE_TOLERANCE, sql)


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
    if len(sys.argv) > 2:
        out.write("# Provinces: Natural Earth 1:10m admin-1, their shared lines.\n")
    out.write("# Made by tools/make_map_background.py.\n")
    for feature in features(sys.argv[1]):
        for ring in rings(feature["geometry"]):
            write("tierra", ring, out)
    for path in sys.argv[2:]:
        for feature in shared_province_lines(path):
            for ring in rings(feature["geometry"]):
                write("limite", ring, out)


if __name__ == "__main__":
    main()
