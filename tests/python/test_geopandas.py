"""quillon.geopandas on layers written by GDAL (ogr2ogr): a GeoPackage with a point,
a line, a polygon with holes and a multipolygon, and the same as Shapefiles (one
geometry type a file), in ED50 UTM zone 30. Every vertex lands where the array call
puts it, holes and parts stay, the CRS becomes ETRS89's, and the national set agrees
with PROJ's EPSG:1632 pipeline."""

import subprocess

import geopandas
import numpy as np
import pyproj
import pytest
from shapely.geometry import Point

import quillon
import quillon.geopandas

FEATURES = [
    ("punto", "POINT (372100.5 4105300.25)"),
    ("linea", "LINESTRING (360000 4100000, 361250.5 4101500.75, 362400 4100900)"),
    ("poligono_con_huecos",
     "POLYGON ((350000 4090000, 356000 4090000, 356000 4096000, 350000 4096000, 350000 4090000),"
     " (351000 4091000, 352000 4091000, 352000 4092000, 351000 4091000),"
     " (353000 4093000, 354500 4093000, 354500 4094500, 353000 4094500, 353000 4093000))"),
    ("multipoligono",
     "MULTIPOLYGON (((300000 4000000, 301000 4000000, 301000 4001000, 300000 4000000)),"
     " ((500000 4200000, 502000 4200000, 502000 4202000, 500000 4202000, 500000 4200000),"
     " (500500 4200500, 501000 4200500, 501000 4201000, 500500 4200500)))"),
]


def write_with_gdal(tmp_path, driver, name, rows):
    """A layer written by ogr2ogr from a CSV of WKT geometries, in EPSG:23030."""
    csv = tmp_path / f"{name}.csv"
    csv.write_text("nombre,WKT\n" + "".join(f'{n},"{g}"\n' for n, g in rows))
    target = tmp_path / (f"{name}.gpkg" if driver == "GPKG" else f"{name}.shp")
    subprocess.run(["ogr2ogr", "-f", driver, "-a_srs", "EPSG:23030", "-oo", "GEOM_POSSIBLE_NAMES=WKT",
                    "-oo", "KEEP_GEOM_COLUMNS=NO", "-nln", name, str(target), str(csv)],
                   check=True, capture_output=True)
    return target


def layers(tmp_path):
    """The GeoPackage layer and the three Shapefiles, read back by GeoPandas."""
    yield geopandas.read_file(write_with_gdal(tmp_path, "GPKG", "parcelas", FEATURES))
    yield geopandas.read_file(write_with_gdal(tmp_path, "ESRI Shapefile", "puntos", FEATURES[:1]))
    yield geopandas.read_file(write_with_gdal(tmp_path, "ESRI Shapefile", "lineas", FEATURES[1:2]))
    yield geopandas.read_file(write_with_gdal(tmp_path, "ESRI Shapefile", "poligonos", FEATURES[2:]))


def vertices(geometry):
    """Every vertex of a geometry in order, rings and parts included."""
    kind = geometry.geom_type
    if kind.startswith("Multi"):
        return [v for part in geometry.geoms for v in vertices(part)]
    if kind == "Polygon":
        return [v for ring in [geometry.exterior, *geometry.interiors] for v in ring.coords]
    return list(geometry.coords)


def shape(geometry):
    """What a transformation must keep: the type, the parts, the rings, the vertex counts."""
    kind = geometry.geom_type
    if kind.startswith("Multi"):
        return (kind, [shape(p) for p in geometry.geoms])
    if kind == "Polygon":
        return (kind, [len(r.coords) for r in [geometry.exterior, *geometry.interiors]])
    return (kind, len(geometry.coords))


@pytest.mark.parametrize("choice", ["nacionales", "vecinos"])
def test_every_vertex_of_gdal_layers_is_carried(tmp_path, choice):
    for layer in layers(tmp_path):
        assert layer.crs.to_epsg() == 23030
        selection = 5 if choice == "vecinos" else None
        moved = quillon.geopandas.transformar(layer, destino=("ETRS89", "utm", 30), parametros=choice,
                                              seleccion=selection)
        assert moved.crs.to_epsg() == 25830
        assert list(moved["nombre"]) == list(layer["nombre"])
        assert [shape(g) for g in moved.geometry] == [shape(g) for g in layer.geometry]

        # The same vertices through the array call, with the search centred where
        # quillon-cli would centre it: on the rectangle around all of them.
        before = np.array([v for g in layer.geometry for v in vertices(g)])
        centre = quillon.centro(before, ("ED50", "utm", 30)) if choice == "vecinos" else None
        t = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30), parametros=choice,
                                   seleccion=selection, centro=centre)
        expected, _ = t.transformar(before)
        after = np.array([v for g in moved.geometry for v in vertices(g)])
        assert after.tobytes() == expected.tobytes()


def test_national_set_agrees_with_proj_epsg_1632(tmp_path):
    layer = geopandas.read_file(write_with_gdal(tmp_path, "GPKG", "parcelas", FEATURES))
    moved = quillon.geopandas.transformar(layer, destino=("ETRS89", "utm", 30))
    # PROJ's operation from ED50 / UTM 30N to ETRS89 / UTM 30N through EPSG:1632.
    proj = pyproj.Transformer.from_pipeline(
        "+proj=pipeline +step +inv +proj=utm +zone=30 +ellps=intl "
        "+step +proj=push +v_3 +step +proj=cart +ellps=intl "
        "+step +proj=helmert +x=-131.0 +y=-100.3 +z=-163.4 +rx=-1.244 +ry=-0.020 +rz=-1.144 "
        "+s=9.39 +convention=position_vector "
        "+step +inv +proj=cart +ellps=GRS80 +step +proj=pop +v_3 +step +proj=utm +zone=30 +ellps=GRS80")
    before = np.array([v for g in layer.geometry for v in vertices(g)])
    after = np.array([v for g in moved.geometry for v in vertices(g)])
    x, y = proj.transform(before[:, 0], before[:, 1])
    assert np.hypot(after[:, 0] - x, after[:, 1] - y).max() < 0.002


def test_the_new_layer_opens_in_gdal(tmp_path):
    layer = geopandas.read_file(write_with_gdal(tmp_path, "GPKG", "parcelas", FEATURES))
    moved = quillon.geopandas.transformar(layer, destino=("ETRS89", "geodesicas"))
    assert moved.crs.to_epsg() == 4258
    target = tmp_path / "parcelas_etrs89.gpkg"
    moved.to_file(target, driver="GPKG")
    info = subprocess.run(["ogrinfo", "-so", "-al", str(target)], check=True, capture_output=True,
                          text=True).stdout
    assert "Feature Count: 4" in info
    assert 'ID["EPSG",4258]' in info


def test_layers_the_engine_cannot_take_are_refused(tmp_path):
    layer = geopandas.read_file(write_with_gdal(tmp_path, "GPKG", "parcelas", FEATURES))
    with pytest.raises(ValueError, match="un solo CRS"):
        quillon.geopandas.transformar(layer, destino=("ETRS89", "utm"))
    with pytest.raises(ValueError, match="no es ED50 ni ETRS89"):
        quillon.geopandas.transformar(layer.set_crs(epsg=3857, allow_override=True))
    broken = layer.copy()
    broken.loc[0, "geometry"] = Point(np.inf, 4100000.0)
    with pytest.raises(quillon.ErrorQuillon, match=r"1 vértices no se han podido transformar .*NO_FINITO"):
        quillon.geopandas.transformar(broken, destino=("ETRS89", "utm", 30))


def test_a_layer_outside_andalusia_is_refused_unless_asked_for():
    """A point near Paris in ED50 geodetic coordinates: refused by default, carried with
    solo_region=False to where the array call without the check puts it."""
    layer = geopandas.GeoDataFrame({"nombre": ["paris"]}, crs="EPSG:4230",
                                   geometry=[Point(2.3522, 48.8566)])
    with pytest.raises(quillon.ErrorQuillon, match="FUERA_DE_REGION"):
        quillon.geopandas.transformar(layer, destino=("ETRS89", "geodesicas"))
    moved = quillon.geopandas.transformar(layer, destino=("ETRS89", "geodesicas"), solo_region=False)
    expected, _ = quillon.Transformacion(("ED50", "geodesicas"), ("ETRS89", "geodesicas"),
                                         solo_region=False).transformar([[2.3522, 48.8566]])
    assert list(moved.geometry[0].coords) == [tuple(expected[0])]


@pytest.mark.parametrize("option,value", [("parametros", "regionales"), ("seleccion", 5),
                                          ("centro", (370000, 4150000)), ("modelo", "afin"),
                                          ("solo_region", False), ("origen", ("ED50", "utm", 29))])
def test_options_beside_a_ready_transformation_are_refused(option, value):
    layer = geopandas.GeoDataFrame({"nombre": ["punto"]}, crs="EPSG:23030",
                                   geometry=[Point(372100.5, 4105300.25)])
    t = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30))
    with pytest.raises(ValueError, match=option):
        quillon.geopandas.transformar(layer, transformacion=t, **{option: value})


def _near_antequera_layer(crs="EPSG:23030"):
    """A point with height, a line without, a polygon with a hole and a multipolygon
    with height, near Antequera."""
    from shapely.geometry import LineString, MultiPolygon, Polygon

    square = [(370000, 4100000), (370200, 4100000), (370200, 4100150), (370000, 4100000)]
    return geopandas.GeoDataFrame({"parcela": [1, 2, 3, 4]}, index=[11, 12, 13, 14], crs=crs, geometry=[
        Point(372100.5, 4105300.25, 410.0),
        LineString([(360000, 4100000), (361250.5, 4101500.75)]),
        Polygon(square, [[(370050, 4100010), (370150, 4100010), (370150, 4100100), (370050, 4100010)]]),
        MultiPolygon([Polygon([(x, y, 500.0) for x, y in square])]),
    ])


@pytest.mark.parametrize("crs,call,expected_epsg", [
    ("EPSG:23030", dict(), 25830),
    ("EPSG:23029", dict(), 25829),  # the layer's own zone, not zone 30
    ("EPSG:25830", dict(), 23030),
    ("EPSG:23030", dict(destino="EPSG:25830"), 25830),
    ("EPSG:23030", dict(destino=25830), 25830),
    ("EPSG:23030", dict(destino=pyproj.CRS("EPSG:4258")), 4258),
])
def test_destination_by_code_or_from_the_layer(crs, call, expected_epsg):
    layer = _near_antequera_layer(crs)
    new = quillon.geopandas.transformar(layer, solo_region=False, **call)
    assert new.crs.to_epsg() == expected_epsg
    tuple_target = quillon.geopandas.sistema_de_crs(pyproj.CRS(expected_epsg))
    same = quillon.geopandas.transformar(layer, destino=quillon.Transformacion(
        tuple_target, tuple_target).destino, solo_region=False)
    assert list(new.geometry.to_wkb()) == list(same.geometry.to_wkb())


def test_each_geometry_keeps_its_dimension_and_every_vertex_goes_where_the_array_call_puts_it():
    layer = _near_antequera_layer()
    for given in (layer, layer.geometry):  # a GeoDataFrame and a GeoSeries
        new = quillon.geopandas.transformar(given, "EPSG:25830")
        geometries = new.geometry if isinstance(new, geopandas.GeoDataFrame) else new
        assert isinstance(new, type(given)) and new.crs.to_epsg() == 25830
        assert list(new.index) == [11, 12, 13, 14]
        t = quillon.Transformacion("EPSG:23030", "EPSG:25830")
        for before, after in zip(layer.geometry, geometries):
            assert after.has_z == before.has_z and shape(after) == shape(before)
            points = np.array(vertices(before), dtype=float)
            expected, _ = t.transformar(points)
            np.testing.assert_array_equal(np.array(vertices(after)), expected)
    assert list(quillon.geopandas.transformar(layer, "EPSG:25830")["parcela"]) == [1, 2, 3, 4]


def test_rows_that_cannot_be_moved_keep_their_geometry_and_say_why():
    from shapely.geometry import LineString

    layer = _near_antequera_layer()
    layer.loc[12, "geometry"] = LineString([(360000, 4100000), (1e7, 4101500)])  # beyond the domain
    layer.loc[13, "geometry"] = Point(372100.5, 5400000.0)  # outside Andalusia
    with pytest.raises(quillon.ErrorQuillon, match=r"fila 12, \[10000000.0, 4101500.0, 0.0\]: "
                                                   r"FUERA_DE_DOMINIO; fila 13"):
        quillon.geopandas.transformar(layer, "EPSG:25830")
    marked = quillon.geopandas.transformar(layer, "EPSG:25830", errores="marcar")
    assert list(marked["estado"]) == [quillon.Estado.TRANSFORMADO, quillon.Estado.FUERA_DE_DOMINIO,
                                      quillon.Estado.FUERA_DE_REGION, quillon.Estado.TRANSFORMADO]
    assert marked.geometry[12].equals_exact(layer.geometry[12], 0)
    assert marked.geometry[13].equals_exact(layer.geometry[13], 0)
    assert not marked.geometry[11].equals_exact(layer.geometry[11], 1)
    series = quillon.geopandas.transformar(layer.geometry, "EPSG:25830", errores="marcar")
    assert list(series["estado"]) == list(marked["estado"])
    assert list(series.geometry.to_wkb()) == list(marked.geometry.to_wkb())
