#!/usr/bin/python3
"""quillon-cli capa on GIS layers made here with GDAL's Python bindings.

Each layer's vertices are checked one by one against ogr2ogr with the EPSG:1632
pipeline (the national set as PROJ applies it), and each attribute against the
input's. Exits 77 (CTest's skip code) without python3-gdal or ogr2ogr.
Usage: capa_test.py QUILLON_CLI
"""
import datetime
import math
import os
import resource
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import unittest

try:
    from osgeo import ogr, osr
except ImportError:
    print("SKIPPED: python3-gdal is not installed")
    sys.exit(77)
if shutil.which("ogr2ogr") is None:
    print("SKIPPED: ogr2ogr (gdal-bin) is not installed")
    sys.exit(77)

ogr.UseExceptions()
CLI = None

# Attributes of every type, one row a feature (None: a null field).
FIELDS = [("entero", ogr.OFTInteger), ("entero64", ogr.OFTInteger64), ("real", ogr.OFTReal),
          ("texto", ogr.OFTString), ("fecha", ogr.OFTDate), ("fechahora", ogr.OFTDateTime)]
VALUES = [
    (7, 2**40 + 3, 1234.5678, "Vía Láctea, Ñ", (2023, 5, 17), (2023, 5, 17, 8, 30, 15)),
    (None, -(2**35), -0.25, "Jaén · Cádiz", None, (1999, 12, 31, 23, 59, 59)),
    (-42, None, None, None, (1950, 1, 1), None),
]

# Layers over Andalusia in ED50 UTM 30: points, lines with Z and M, polygons
# with holes, multipolygons.
LAYERS = {
    "puntos": (ogr.wkbPoint, ["POINT (447000 4139000)", "POINT (230000 4120000)",
                              "POINT (590000 4230000)"]),
    "lineas": (ogr.wkbLineStringZM, [
        "LINESTRING ZM (400000 4100000 10 1, 410000 4110000 650.5 2, 415000 4090000 0 3)",
        "LINESTRING ZM (300000 4200000 1200 0, 301000 4201000 1210 5)",
        "LINESTRING ZM (550000 4050000 3 7, 551000 4049000 4 8, 552000 4048000 5 9)"]),
    "recintos": (ogr.wkbMultiPolygon, [
        "MULTIPOLYGON (((400000 4100000, 420000 4100000, 420000 4120000, 400000 4120000, "
        "400000 4100000), (405000 4105000, 405000 4110000, 410000 4110000, 405000 4105000)))",
        "MULTIPOLYGON (((300000 4150000, 310000 4150000, 305000 4160000, 300000 4150000)), "
        "((320000 4150000, 330000 4150000, 325000 4160000, 320000 4150000), "
        "(322000 4151000, 324000 4152000, 323000 4151000, 322000 4151000)))",
        "POLYGON ((500000 4000000, 510000 4000000, 505000 4010000, 500000 4000000), "
        "(502000 4001000, 504000 4002000, 503000 4001000, 502000 4001000))"]),
}


def ed50_utm30():
    srs = osr.SpatialReference()
    srs.ImportFromEPSG(23030)
    return srs


def make_layer(ds, name, kind, geometries, fields, options=(), srs="ED50"):
    layer = ds.CreateLayer(name, ed50_utm30() if srs == "ED50" else srs, kind,
                           options=list(options))
    for field, field_type in fields:
        layer.CreateField(ogr.FieldDefn(field, field_type))
    for i, wkt in enumerate(geometries):
        values = VALUES[i % len(VALUES)]
        feature = ogr.Feature(layer.GetLayerDefn())
        for (field, _), value in zip(fields, values):
            if value is None:
                feature.SetFieldNull(field)
            elif isinstance(value, tuple):
                feature.SetField(field, *value, 0) if len(value) == 6 else feature.SetField(
                    field, *value, 0, 0, 0, 0)
            else:
                feature.SetField(field, value)
        geometry = ogr.CreateGeometryFromWkt(wkt)
        if ogr.GT_Flatten(kind) == ogr.wkbMultiPolygon:
            geometry = ogr.ForceToMultiPolygon(geometry)
        feature.SetGeometry(geometry)
        layer.CreateFeature(feature)


def run(*args):
    return subprocess.run([CLI, "capa", *args], capture_output=True, text=True)


def pipeline():
    result = subprocess.run([CLI, "parametros", "--sistema-a", "EPSG:23030", "--sistema-b",
                             "EPSG:25830", "--parametros", "nacionales", "--proj"],
                            capture_output=True, text=True, check=True)
    return result.stdout.strip()


def vertices(geometry):
    """Every vertex of a geometry as (x, y, z, m), parts in order."""
    out = []
    if geometry.GetGeometryCount() > 0:
        for i in range(geometry.GetGeometryCount()):
            out += vertices(geometry.GetGeometryRef(i))
        return out
    for i in range(geometry.GetPointCount()):
        out.append((geometry.GetX(i), geometry.GetY(i), geometry.GetZ(i), geometry.GetM(i)))
    return out


def features(path, layer_name):
    ds = ogr.Open(path)
    layer = ds.GetLayerByName(layer_name) if layer_name else ds.GetLayer(0)
    srs = layer.GetSpatialRef()
    code = None
    if srs is not None and srs.IsCompound():
        code = "%s+%s" % (srs.GetAuthorityCode("COMPD_CS|PROJCS"),
                          srs.GetAuthorityCode("COMPD_CS|VERT_CS"))
    elif srs is not None:
        srs.AutoIdentifyEPSG()
        code = srs.GetAuthorityCode(None)
    rows = []
    for feature in layer:
        geometry = feature.GetGeometryRef()
        rows.append(({f.GetName(): feature.GetField(f.GetName()) if feature.IsFieldSetAndNotNull(
            f.GetName()) else None for f in layer.schema},
            geometry and geometry.GetGeometryType(), geometry and vertices(geometry)))
    return code, layer.GetGeomType(), rows


def log_text(path):
    with open(path, "rb") as log:
        data = log.read()
    return data.decode("cp1252"), data


class CapaTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="capa_test")

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def path(self, *names):
        return os.path.join(self.folder, *names)

    def test_every_vertex_as_ogr2ogr_and_every_attribute_kept(self):
        # (driver, input, output, fields the format holds)
        shapefile_fields = [f for f in FIELDS if f[1] != ogr.OFTDateTime]
        cases = [("GPKG", "entrada.gpkg", "salida.gpkg", FIELDS),
                 ("ESRI Shapefile", "entrada_shp", "salida_shp", shapefile_fields)]
        proj = pipeline()
        for driver, source, target, fields in cases:
            with self.subTest(driver=driver):
                ds = ogr.GetDriverByName(driver).CreateDataSource(self.path(source))
                for name, (kind, geometries) in LAYERS.items():
                    if driver == "ESRI Shapefile" and kind == ogr.wkbLineStringZM:
                        kind = ogr.wkbLineString25D  # a Shapefile's Z lines carry M too
                    make_layer(ds, name, kind, geometries, fields)
                ds = None
                result = run(self.path(source), self.path(target), "--sistema-b", "EPSG:25830",
                             "--formato", driver)
                self.assertEqual(result.returncode, 0, result.stderr)
                reference = self.path("ref_" + target)
                subprocess.run(["ogr2ogr", "-f", driver, "-s_srs", "EPSG:23030", "-t_srs",
                                "EPSG:25830", "-ct", proj, reference, self.path(source)],
                               check=True, capture_output=True)
                for name in LAYERS:
                    _, in_type, given = features(self.path(source), name)
                    code, out_type, got = features(self.path(target), name)
                    _, _, expected = features(reference, name)
                    self.assertEqual(code, "25830", name)
                    self.assertEqual(out_type, in_type, name)
                    self.assertEqual(len(got), len(given), name)
                    for (attrs, kind, points), (in_attrs, in_kind, _), (_, _, ref) in zip(
                            got, given, expected):
                        self.assertEqual(attrs, in_attrs, name)
                        self.assertEqual(kind, in_kind, name)
                        self.assertEqual(len(points), len(ref), name)
                        for (x, y, z, m), (rx, ry, rz, rm) in zip(points, ref):
                            self.assertLessEqual(math.hypot(x - rx, y - ry), 0.001, name)
                            self.assertAlmostEqual(z, rz, delta=0.001, msg=name)
                            self.assertEqual(m, rm, name)

    def test_every_method_as_txt_on_the_same_points(self):
        # (options of both runs); local fits without --origen search around the centre
        # of the data, the same for the layer's vertices as for the file's points.
        cases = [["--parametros", "nacionales"],
                 ["--parametros", "regionales"],
                 ["--parametros", "vecinos", "--seleccion", "5"],
                 ["--parametros", "distancia", "--seleccion", "40000", "--modelo", "afin"],
                 ["--parametros", "rejilla"],
                 ["--parametros", "nacionales", "--geoide"]]
        points = [(447000, 4139000, 100.0), (300000, 4100000, 50.0), (590000, 4230000, 900.0),
                  (230000, 4120000, 10.0)]
        source = self.path("metodos.gpkg")
        ds = ogr.GetDriverByName("GPKG").CreateDataSource(source)
        make_layer(ds, "puntos", ogr.wkbPoint25D, ["POINT Z (%r %r %r)" % p for p in points], [])
        ds = None
        with open(self.path("metodos.txt"), "w", newline="") as txt:
            txt.write("puntos\r\n" + "".join("%d\t%r\t%r\t%r\r\n" % (i + 1, *p)
                                              for i, p in enumerate(points)))
        for options in cases:
            with self.subTest(options=options):
                systems = ["--sistema-a", "EPSG:23030", "--sistema-b", "EPSG:25830"]
                result = run(source, self.path("m.gpkg"), *systems, *options)
                self.assertEqual(result.returncode, 0, result.stderr)
                subprocess.run([CLI, "txt", self.path("metodos.txt"), self.path("m.txt"),
                                *systems, *options], check=True, capture_output=True)
                with open(self.path("m.txt")) as txt:
                    expected = [[float(v) for v in line.split("\t")[1:4]]
                                for line in txt.read().splitlines()[1:]]
                code, _, got = features(self.path("m.gpkg"), "puntos")
                self.assertEqual(code, "25830+5782" if "--geoide" in options else "25830")
                for (_, _, [(x, y, z, _)]), (ex, ey, ez) in zip(got, expected):
                    self.assertLessEqual(math.hypot(x - ex, y - ey), 0.001)
                    self.assertAlmostEqual(z, ez, delta=0.001)

    def test_rejected_features_named_in_the_log(self):
        # (feature, geometry, reason in the log); None: a geometry that cannot be read.
        rows = [(1, "POINT (447000 4139000)", None),
                (2, "POINT (900000 5100000)", "fuera de la región de cálculo"),
                (3, None, "geometría que no se puede leer"),
                (4, "POINT (448000 4140000)", None)]
        source = self.path("malos.gpkg")
        ds = ogr.GetDriverByName("GPKG").CreateDataSource(source)
        layer = ds.CreateLayer("hitos", ed50_utm30(), ogr.wkbPoint, options=["SPATIAL_INDEX=NO"])
        layer.CreateField(ogr.FieldDefn("texto", ogr.OFTString))
        for fid, wkt, _ in rows:
            feature = ogr.Feature(layer.GetLayerDefn())
            feature.SetField("texto", "hito %d" % fid)
            feature.SetGeometry(ogr.CreateGeometryFromWkt(wkt or "POINT (447500 4139500)"))
            layer.CreateFeature(feature)
        ds = None
        with sqlite3.connect(source) as db:  # a blob that is no geometry
            db.execute("UPDATE hitos SET geom = x'4750000100000000deadbeef' WHERE fid = 3")
        target = self.path("buenos.gpkg")
        result = run(source, target, "--sistema-b", "EPSG:25830")
        self.assertEqual(result.returncode, 1, result.stderr)
        text, data = log_text(target + ".log")
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""))
        _, _, written = features(target, "hitos")
        self.assertEqual([a["texto"] for a, _, _ in written],
                         ["hito %d" % fid for fid, _, reason in rows if reason is None])
        ds = ogr.Open(target)  # a GeoPackage keeps the FIDs, gaps and all
        self.assertEqual([f.GetFID() for f in ds.GetLayerByName("hitos")],
                         [fid for fid, _, reason in rows if reason is None])
        ds = None
        for fid, _, reason in rows:
            line = "Entidad %d de la capa hitos rechazada: %s" % (fid, reason)
            self.assertEqual(line in text, reason is not None, line)

    def test_failed_run_leaves_the_previous_set_whole(self):
        source = self.path("entrada.shp")
        ds = ogr.GetDriverByName("ESRI Shapefile").CreateDataSource(source)
        kind, geometries = LAYERS["recintos"]
        make_layer(ds, "entrada", kind, geometries * 2000, FIELDS[:4])
        ds = None
        parts = ["previa.shp", "previa.shx", "previa.dbf", "previa.prj", "previa.cpg"]

        def size_limit():  # writes beyond 64 KiB fail (EFBIG), without ending the process
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (65536, 65536))

        # (what goes wrong, what the test does before, limit on the process)
        cases = [("escritura", None, size_limit),
                 ("carpeta en el camino", "previa.prj", None)]
        for what, blocked, limit in cases:
            with self.subTest(what=what):
                for part in parts:
                    with open(self.path(part), "wb") as old:
                        old.write(("previo " + part).encode())
                if blocked:
                    os.remove(self.path(blocked))
                    os.mkdir(self.path(blocked))
                before = sorted(n for n in os.listdir(self.folder) if n != "previa.shp.log")
                result = subprocess.run(
                    [CLI, "capa", source, self.path("previa.shp"), "--sistema-b", "EPSG:25830"],
                    capture_output=True, text=True, preexec_fn=limit)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertEqual(sorted(n for n in os.listdir(self.folder)
                                        if n != "previa.shp.log"), before)
                for part in parts:
                    if part != blocked:
                        with open(self.path(part), "rb") as old:
                            self.assertEqual(old.read(), ("previo " + part).encode())
                if blocked:
                    os.rmdir(self.path(blocked))

    def test_system_of_the_input(self):
        # (the layer states EPSG:23030, options, exit status, words of the message)
        cases = [(True, [], 0, ""),
                 (True, ["--sistema-a", "EPSG:23030"], 0, ""),
                 (True, ["--sistema-a", "EPSG:23029"], 1, "EPSG:23030"),
                 (True, ["--datum-a", "ETRS89", "--tipo-a", "utm", "--huso-a", "30"], 1,
                  "EPSG:23030"),
                 (False, [], 2, "--sistema-a"),
                 (False, ["--sistema-a", "EPSG:23030"], 0, "")]
        for stated, options, status, words in cases:
            with self.subTest(stated=stated, options=options):
                source = self.path("sistema%d.gpkg" % stated)
                if not os.path.exists(source):
                    ds = ogr.GetDriverByName("GPKG").CreateDataSource(source)
                    make_layer(ds, "puntos", ogr.wkbPoint, LAYERS["puntos"][1], FIELDS[:1],
                               srs=ed50_utm30() if stated else None)
                    ds = None
                result = run(source, self.path("s.gpkg"), "--sistema-b", "EPSG:25830", *options)
                self.assertEqual(result.returncode, status, result.stderr)
                self.assertIn(words, result.stderr)

    def test_outputs_refused_or_without_system(self):
        # (output, exit status, its system code: None when the format holds none)
        cases = [("salida.kml", 1, None), ("salida.csv", 0, None),
                 ("salida.geojson", 0, "25830"), ("salida.fgb", 0, "25830")]
        source = self.path("formatos.gpkg")
        ds = ogr.GetDriverByName("GPKG").CreateDataSource(source)
        make_layer(ds, "puntos", ogr.wkbPoint, LAYERS["puntos"][1], FIELDS[:1])
        ds = None
        for output, status, code in cases:
            with self.subTest(output=output):
                result = run(source, self.path(output), "--sistema-b", "EPSG:25830")
                self.assertEqual(result.returncode, status, result.stderr)
                if status == 0:
                    self.assertEqual(features(self.path(output), None)[0], code)
                else:
                    self.assertIn("KML", result.stderr)
                    self.assertFalse(os.path.exists(self.path(output)))
                    self.assertFalse(os.path.exists(self.path(output) + ".log"))


if __name__ == "__main__":
    CLI = sys.argv.pop(1)
    unittest.main()
