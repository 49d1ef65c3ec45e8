"""quillon.Transformacion against quillon-cli on the same points (to the last written
decimal), against PROJ's values for the national set, and the module's contract: the
status of each point, the engine's messages as exceptions, copies made with pickle, the
interpreter left free while the engine works."""

import faulthandler
import os
import pickle
import threading

import numpy as np
import pyproj
import pytest

import quillon
from conftest import DATA, engine_fixed, point_line, read_point_file, read_reference, run_cli, write_point_file


def cli_side(flag: str, system) -> list:
    datum, kind = system[0], system[1]
    args = [f"--datum-{flag}", datum, f"--tipo-{flag}", kind]
    if len(system) == 3 and system[2] is not None:
        args += [f"--huso-{flag}", str(system[2])]
    return args


# Runs of the sample point file (ED50 UTM, the zone of each point in field 5) and
# of the ETRS89 geodetic points of the PROJ table, each through quillon-cli txt and
# through the array call. Local choices search around quillon-cli's own default
# centre, which quillon.centro gives.
RUNS = [
    ("national, natural zones", ("ED50", "utm"), ("ETRS89", "utm"), "nacionales", None, "helmert"),
    ("5 nearest, zone 30", ("ED50", "utm"), ("ETRS89", "utm", 30), "vecinos", 5, "helmert"),
    ("within 60 km, affine", ("ED50", "utm"), ("ETRS89", "geodesicas"), "distancia", 60000, "afin"),
    ("regional Molodensky", ("ED50", "utm"), ("ETRS89", "geocentricas"), "regionales", None, "molodensky"),
    ("10 nearest, zone 29", ("ED50", "utm"), ("ETRS89", "utm", 29), "vecinos", 10, "molodensky"),
    ("ETRS89 geodetic to ED50 UTM", ("ETRS89", "geodesicas"), ("ED50", "utm"), "vecinos", 4, "helmert"),
    ("ETRS89 geodetic to ED50 geocentric", ("ETRS89", "geodesicas"), ("ED50", "geocentricas"), "nacionales", None, "helmert"),
    ("IGN grid, natural zones", ("ED50", "utm"), ("ETRS89", "utm"), "rejilla", None, "helmert"),
    ("IGN grid and geoid to geodetic", ("ED50", "utm"), ("ETRS89", "geodesicas"), "rejilla", None, "geoide"),
    ("IGN grid and geoid, ETRS89 to ED50 UTM", ("ETRS89", "geodesicas"), ("ED50", "utm", 30), "rejilla", None, "geoide"),
]


def input_points(origin, tmp_path):
    """The input file of a run and its points as the array call takes them."""
    if origin[1] == "utm":
        path = DATA / "muestra_ed50_utm.txt"
        numbers, rows = read_point_file(path, 4)  # x, y, H, zone
        return path, numbers, rows
    table = read_reference("national_epsg1632.tsv")
    rows = np.column_stack([table["etrs_lon"], table["etrs_lat"], table["etrs_h"]])
    numbers = list(range(1, len(rows) + 1))
    path = tmp_path / "etrs89_geodesicas.txt"
    write_point_file(path, "ETRS89 geodesicas", numbers, rows)
    return path, numbers, rows


@pytest.mark.parametrize("name,origin,target,choice,selection,model", RUNS, ids=[r[0] for r in RUNS])
def test_arrays_equal_quillon_cli_to_the_last_decimal(cli, tmp_path, name, origin, target, choice, selection, model):
    path, numbers, rows = input_points(origin, tmp_path)
    out_path = tmp_path / "salida.txt"
    # "geoide": the grid with orthometric heights through the bundled geoid.
    heights = model == "geoide"
    model = "helmert" if heights else model
    args = ["txt", path, out_path, *cli_side("a", origin), *cli_side("b", target),
            "--parametros", choice]
    if choice not in ("nacionales", "rejilla"):
        args += ["--modelo", model]  # the fixed set and the grid have no model to choose
    if selection is not None:
        args += ["--seleccion", str(selection)]
    if heights:
        args += ["--geoide"]
    result = run_cli(cli, *args)
    assert result.returncode == 0, result.stderr

    centre = quillon.centro(rows, origin) if choice in ("vecinos", "distancia") else None
    t = quillon.Transformacion(origen=origin, destino=target, parametros=choice,
                               seleccion=selection, centro=centre, modelo=model,
                               alturas_ortometricas=heights)
    out, status = t.transformar(rows)
    assert (status == quillon.Estado.TRANSFORMADO).all()
    kind = target[1]
    if kind == "utm" and len(target) == 3:
        out = np.column_stack([out, np.full(len(out), float(target[2]))])
    expected = out_path.read_bytes().decode("cp1252").split("\r\n")[1:-1]
    assert [point_line(n, v, kind) for n, v in zip(numbers, out)] == expected


def test_national_set_against_proj():
    """ED50 geodetic points carried by EPSG:1632 with PROJ (tests/data): geocentric
    to 0.2 mm, geodetic to 1e-9 degrees, UTM zone 30 and the natural zone to 1 mm."""
    table = read_reference("national_epsg1632.tsv")
    ed50 = np.column_stack([table["ed50_lon"], table["ed50_lat"], table["ed50_h"]])
    geocentric, status = quillon.Transformacion(("ED50", "geodesicas"), ("ETRS89", "geocentricas")).transformar(ed50)
    assert (status == 0).all()
    np.testing.assert_allclose(geocentric[:, 0], table["etrs_X"], rtol=0, atol=2e-4)
    np.testing.assert_allclose(geocentric[:, 1], table["etrs_Y"], rtol=0, atol=2e-4)
    np.testing.assert_allclose(geocentric[:, 2], table["etrs_Z"], rtol=0, atol=2e-4)

    geodetic, _ = quillon.Transformacion(("ED50", "geodesicas"), ("ETRS89", "geodesicas")).transformar(ed50)
    np.testing.assert_allclose(geodetic[:, 0], table["etrs_lon"], rtol=0, atol=1e-9)
    np.testing.assert_allclose(geodetic[:, 1], table["etrs_lat"], rtol=0, atol=1e-9)
    np.testing.assert_allclose(geodetic[:, 2], table["etrs_h"], rtol=0, atol=2e-4)

    zone30, _ = quillon.Transformacion(("ED50", "geodesicas"), ("ETRS89", "utm", 30)).transformar(ed50)
    assert zone30.shape == (len(ed50), 3)
    np.testing.assert_allclose(zone30[:, 0], table["etrs_utm30_x"], rtol=0, atol=1e-3)
    np.testing.assert_allclose(zone30[:, 1], table["etrs_utm30_y"], rtol=0, atol=1e-3)

    natural, _ = quillon.Transformacion(("ED50", "geodesicas"), ("ETRS89", "utm")).transformar(ed50)
    assert natural.shape == (len(ed50), 4)
    np.testing.assert_array_equal(natural[:, 3], table["etrs_zone"])
    np.testing.assert_allclose(natural[:, 0], table["etrs_utm_x"], rtol=0, atol=1e-3)
    np.testing.assert_allclose(natural[:, 1], table["etrs_utm_y"], rtol=0, atol=1e-3)


def test_points_forced_into_another_zone_against_proj():
    """ED50 geodetic points on the ellipsoid (a pair of columns: h = 0) carried to
    ETRS89 UTM zones 29 and 30 whatever their longitude, by PROJ (tests/data), within
    the 4.5 degrees from the central meridian where the projection series holds 1 mm."""
    table = read_reference("forced_zones_epsg1632.tsv")
    pairs = np.column_stack([table["ed50_lon"], table["ed50_lat"]])
    for zone in (29, 30):
        near = np.abs(pairs[:, 0] - (6 * zone - 183)) <= 4.5
        assert near.sum() >= 10
        out, status = quillon.Transformacion(("ED50", "geodesicas"), ("ETRS89", "utm", zone)).transformar(pairs[near])
        assert (status == 0).all() and out.shape == (near.sum(), 2)
        np.testing.assert_allclose(out[:, 0], table[f"etrs_utm{zone}_x"][near], rtol=0, atol=1e-3)
        np.testing.assert_allclose(out[:, 1], table[f"etrs_utm{zone}_y"][near], rtol=0, atol=1e-3)


def test_ign_grid_and_geoid_against_proj():
    """The official method against PROJ on the same grid and geoid (tests/data): ED50
    UTM zone 30 points with orthometric heights to ETRS89 geodetic (h = H + N), and
    back; points outside the grid or the geoid have their own status (the table reaches
    beyond Andalusia: no region check)."""
    table = read_reference("ign_grid_proj.tsv")
    forward = table["sentido"] == 0
    t = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "geodesicas"), parametros="rejilla",
                               alturas_ortometricas=True, solo_region=False)
    points = np.column_stack([table["utm30_x"], table["utm30_y"], table["alt_in"]])[forward]
    out, status = t.transformar(points)
    in_grid, in_geoid = table["en_rejilla"][forward] == 1, table["en_geoide"][forward] == 1
    expected = np.where(~in_grid, quillon.Estado.FUERA_DE_REJILLA,
                        np.where(~in_geoid, quillon.Estado.FUERA_DEL_GEOIDE, quillon.Estado.TRANSFORMADO))
    np.testing.assert_array_equal(status, expected)
    good = status == 0
    assert good.sum() >= 1000
    np.testing.assert_allclose(out[good, 2], table["alt_out"][forward][good], rtol=0, atol=2e-3)
    # The plane position from the geodetic input, free of the inverse projection's
    # few millimetres at the western edge: 1e-9 degrees is 0.1 mm.
    t = quillon.Transformacion(("ED50", "geodesicas"), ("ETRS89", "geodesicas"), parametros="rejilla")
    geodetic = np.column_stack([table["lon_in"], table["lat_in"]])[forward][good]
    out, status = t.transformar(geodetic)
    assert (status == 0).all()
    np.testing.assert_allclose(out[:, 0], table["lon_out"][forward][good], rtol=0, atol=1e-9)
    np.testing.assert_allclose(out[:, 1], table["lat_out"][forward][good], rtol=0, atol=1e-9)

    back = ~forward & (table["en_rejilla"] == 1) & (table["en_geoide"] == 1)
    t = quillon.Transformacion(("ETRS89", "geodesicas"), ("ED50", "geodesicas"), parametros="rejilla")
    out, status = t.transformar(np.column_stack([table["lon_in"], table["lat_in"], table["alt_in"]])[back])
    assert (status == 0).all()
    np.testing.assert_allclose(out[:, 0], table["lon_out"][back], rtol=0, atol=1e-9)
    np.testing.assert_allclose(out[:, 1], table["lat_out"][back], rtol=0, atol=1e-9)


def test_status_of_each_point_and_nan_outputs():
    t = quillon.Transformacion(("ED50", "utm"), ("ETRS89", "utm", 30), solo_region=True)
    points = np.array([
        [235171.041, 4142124.422, 42.0, 30],
        [np.nan, 4142124.422, 42.0, 30],
        [235171.041, 4142124.422, 42.0, 30.5],
        [235171.041, 4900000.000, 42.0, 30],
        [1600000.000, 4142124.422, 42.0, 30],
    ])
    out, status = t.transformar(points)
    assert status.dtype == np.int32
    assert list(status) == [quillon.Estado.TRANSFORMADO, quillon.Estado.NO_FINITO,
                            quillon.Estado.HUSO_NO_VALIDO, quillon.Estado.FUERA_DE_REGION,
                            quillon.Estado.FUERA_DE_DOMINIO]
    assert not np.isnan(out[0]).any() and np.isnan(out[1:]).all()


def test_wrong_shapes_and_names_are_refused_in_spanish():
    t = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30))
    with pytest.raises(ValueError, match="N×2, N×3 o N×4"):
        t.transformar(np.zeros(3))
    with pytest.raises(quillon.ErrorQuillon, match="La cuarta columna de entrada es el huso"):
        t.transformar(np.zeros((2, 4)))
    per_point = quillon.Transformacion(("ED50", "utm"), ("ETRS89", "utm", 30))
    with pytest.raises(ValueError, match=r"4 columnas \(x, y, H, huso\)"):
        per_point.transformar(np.zeros((2, 5)))
    with pytest.raises(ValueError, match="datum desconocido: WGS84"):
        quillon.Transformacion(("WGS84", "utm", 30), ("ETRS89", "utm", 30))
    with pytest.raises(ValueError, match="hace falta centro"):
        quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30), parametros="vecinos", seleccion=5)


CENTRE = (370000.0, 4150000.0)
# Options the chosen method would not use, and values no method takes: the option
# each one must be refused by name, and the arguments over a national run in zone 30.
REFUSED = [
    ("rejilla", dict(rejilla="otra.gsb")),
    ("rejilla", dict(parametros="vecinos", seleccion=5, centro=CENTRE, rejilla="otra.gsb")),
    ("seleccion", dict(seleccion=5)),
    ("centro", dict(centro=CENTRE)),
    ("modelo", dict(modelo="afin")),
    ("seleccion", dict(parametros="rejilla", seleccion=5)),
    ("centro", dict(parametros="rejilla", centro=CENTRE)),
    ("modelo", dict(parametros="rejilla", modelo="molodensky")),
    ("seleccion", dict(parametros="regionales", seleccion=180)),
    ("centro", dict(parametros="regionales", centro=CENTRE)),
    ("seleccion", dict(parametros="vecinos", seleccion=2, centro=CENTRE)),
    ("seleccion", dict(parametros="vecinos", seleccion=3, centro=CENTRE, modelo="afin")),
    ("seleccion", dict(parametros="vecinos", seleccion=5.7, centro=CENTRE)),
    ("seleccion", dict(parametros="vecinos", seleccion="5", centro=CENTRE)),
    ("seleccion", dict(parametros="distancia", seleccion=-5000, centro=CENTRE)),
    ("geoide", dict(geoide="otro.gtx")),
    ("alturas_ortometricas", dict(origen=("ED50", "geodesicas"), destino=("ETRS89", "geocentricas"),
                                  alturas_ortometricas=True)),
    ("huso", dict(origen=("ED50", "utm", "30"))),
    ("huso", dict(origen=("ED50", "utm", 30.7))),
    ("huso", dict(destino=("ETRS89", "utm", 0))),
    ("huso", dict(destino=("ETRS89", "utm", 61))),
    ("hilos", dict(hilos=-1)),
    ("catalogo", dict(catalogo="propio.tsv")),
    # A centre given in degrees by mistake, far outside the region's zone-30 rectangle.
    ("centro", dict(parametros="vecinos", seleccion=5, centro=(-4.0, 37.0))),
    # More vertices than the catalogue has: the engine's own rule, named as here.
    ("seleccion", dict(parametros="vecinos", seleccion=100000, centro=CENTRE)),
    ("origen", dict(origen="EPSG:3857")),
    ("origen", dict(origen=True)),
    ("destino", dict(destino="EPSG:4230+5782")),
]


def _refusal_cases():
    for option, arguments in REFUSED:
        yield pytest.param("Transformacion", option, arguments, id=f"Transformacion-{option}-{arguments}")
        if option != "hilos":  # the file calls have no threads to give
            yield pytest.param("procesar_txt", option, arguments, id=f"procesar_txt-{option}-{arguments}")


@pytest.mark.parametrize("call,option,arguments", _refusal_cases())
def test_options_the_method_would_not_use_are_refused_by_name(tmp_path, call, option, arguments):
    arguments = {"origen": ("ED50", "utm", 30), "destino": ("ETRS89", "utm", 30), **arguments}
    with pytest.raises(ValueError, match=option):
        if call == "Transformacion":
            quillon.Transformacion(**arguments)
        else:
            quillon.procesar_txt(DATA / "muestra_ed50_utm.txt", tmp_path / "salida.txt", **arguments)
    assert not (tmp_path / "salida.txt.log").exists()


def test_points_outside_andalusia_are_refused_unless_asked_for():
    """Paris (ED50 geodetic, h = 0): refused by default; with solo_region=False carried
    by the national set as PROJ carries it through EPSG:1632."""
    paris = np.array([[2.3522, 48.8566, 0.0]])
    sides = (("ED50", "geodesicas"), ("ETRS89", "geodesicas"))
    out, status = quillon.Transformacion(*sides).transformar(paris)
    assert list(status) == [quillon.Estado.FUERA_DE_REGION] and np.isnan(out).all()

    out, status = quillon.Transformacion(*sides, solo_region=False).transformar(paris)
    assert list(status) == [quillon.Estado.TRANSFORMADO]
    proj = pyproj.Transformer.from_pipeline(
        "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=cart +ellps=intl "
        "+step +proj=helmert +x=-131.0 +y=-100.3 +z=-163.4 +rx=-1.244 +ry=-0.020 +rz=-1.144 "
        "+s=9.39 +convention=position_vector "
        "+step +inv +proj=cart +ellps=GRS80 +step +proj=unitconvert +xy_in=rad +xy_out=deg")
    expected = proj.transform(*paris[0])
    np.testing.assert_allclose(out[0, :2], expected[:2], rtol=0, atol=1e-9)
    assert out[0, 2] == pytest.approx(expected[2], abs=2e-4)


def test_engine_failures_are_exceptions_with_its_messages():
    cases = [
        (dict(origen=("ED50", "utm", 30), destino=("ETRS89", "utm", 30), parametros="vecinos",
              seleccion=5, centro=(float("nan"), 4150000)), "Punto de origen no válido: (", 1),
        (dict(origen=("ED50", "utm", 30), destino=("ETRS89", "utm", 30), parametros="distancia",
              seleccion=2000, centro=(370000, 4150000)),
         "Imposible calcular: solo 0 vértices a menos de 2000 m", 11),
        (dict(origen=("ED50", "utm", 30), destino=("ETRS89", "utm", 30), parametros="rejilla",
              rejilla="/no/existe.gsb"),
         "No se puede leer la rejilla /no/existe.gsb: ", 11),
    ]
    for arguments, message, code in cases:
        with pytest.raises(quillon.ErrorQuillon) as raised:
            quillon.Transformacion(**arguments)
        assert str(raised.value).startswith(message)
        assert raised.value.codigo == code


def test_a_users_catalogue_is_what_the_fit_uses(tmp_path):
    """The four catalogue vertices nearest ALCORES, with their ETRS89 positions moved
    by (1, 2) m in a file of the user's: the points move by as much; a bad row is
    an ErrorQuillon naming its line; the log of a file run names the file."""
    rows = [
        ("98555", "254558.486", "4138026.189", "254669.906", "4138230.449"),
        ("100377", "254248.386", "4132835.272", "254359.935", "4133039.504"),
        ("98438", "240781.484", "4137251.537", "240892.881", "4137455.58"),
        ("96374", "260660.454", "4158366.653", "260771.585", "4158571.342"),
    ]
    text = "numero;nombre;etrs_x;etrs_y;ed50_x;ed50_y\n" + "".join(
        f"{n};PROPIO {n};{float(ex) + 1:.3f};{float(ey) + 2:.3f};{x};{y}\n" for n, ex, ey, x, y in rows
    )
    catalogue = tmp_path / "propio.csv"
    catalogue.write_text(text)
    centre = (254669.906, 4138230.449)
    sides = (("ED50", "utm", 30), ("ETRS89", "utm", 30))
    points = np.array([[254669.906, 4138230.449, 0.0], [250000.0, 4140000.0, 0.0]])
    built_in, _ = quillon.Transformacion(*sides, parametros="vecinos", seleccion=4,
                                         centro=centre).transformar(points)
    own = quillon.Transformacion(*sides, parametros="vecinos", seleccion=4, centro=centre,
                                 catalogo=catalogue)
    moved, _ = own.transformar(points)
    np.testing.assert_allclose(moved[:, :2] - built_in[:, :2], [[1, 2], [1, 2]], rtol=0, atol=3e-3)
    assert {v.nombre for v in own.parametros.vertices} == {f"PROPIO {r[0]}" for r in rows}

    bad = tmp_path / "malo.csv"
    bad.write_text(text.replace(";4133039.504", ";x"))
    with pytest.raises(quillon.ErrorQuillon) as raised:
        quillon.Transformacion(*sides, parametros="regionales", catalogo=bad)
    assert str(raised.value) == f"Catálogo de vértices no válido: {bad}\nlínea 3: ed50_y no es un número"

    result = quillon.procesar_txt(DATA / "muestra_ed50_utm.txt", tmp_path / "salida.txt",
                                  ("ED50", "utm"), ("ETRS89", "utm"), parametros="regionales",
                                  catalogo=catalogue)
    log = open(result.registro, encoding="cp1252").read()
    assert f"Catálogo de vértices..: {catalogue} (SHA-256 " in log


def test_parameters_and_residuals_of_a_local_fit():
    centre = (370000.0, 4150000.0)
    t = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30), parametros="vecinos",
                               seleccion=6, centro=centre, modelo="helmert")
    p = t.parametros
    assert p.modelo == "helmert" and len(p.valores) == 7
    assert len(p.vertices) == 6 and all(v.usado for v in p.vertices)
    assert "Número de puntos utilizados: 6" in p.informe
    # The residuals are the catalogue's ETRS89 position minus the vertex carried
    # by the set: the same set applied to the vertex through the array call.
    sources = np.array([[v.origen_x, v.origen_y, 0.0] for v in p.vertices])
    moved, _ = t.transformar(sources)
    for v, m in zip(p.vertices, moved):
        assert v.residuo_x == pytest.approx(v.destino_x - m[0], abs=1e-9)
        assert v.residuo_y == pytest.approx(v.destino_y - m[1], abs=1e-9)
    # sigma0 of a Helmert fit: sqrt(sum of squared geocentric residuals / (3n - 7)).
    assert 0 < p.error_ajuste < 1
    assert np.isnan(quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30)).parametros.error_ajuste)


@pytest.mark.parametrize("modelo", ["helmert", "afin"])
@pytest.mark.parametrize("origen,destino", [
    (("ED50", "utm", 30), ("ETRS89", "utm", 30)),
    (("ETRS89", "utm", 30), ("ED50", "utm", 30)),
    (("ED50", "geodesicas"), ("ETRS89", "geodesicas")),
])
def test_the_proj_pipeline_does_what_the_transformation_does(modelo, origen, destino):
    """PROJ with Parametros.proj moves points within 2 degrees of zone 30's central
    meridian where the engine moves them, to 0.1 mm."""
    t = quillon.Transformacion(origen, destino, parametros="vecinos", seleccion=7,
                               centro=(440000.0, 4150000.0), modelo=modelo)
    utm = np.array([[430000.0, 4120000.0, 100.0], [470123.456, 4180321.987, 12.5],
                    [390000.0, 4110000.0, 0.0], [320000.0, 4080000.0, 5.0]])
    if origen[1] == "utm":
        points = utm
    else:
        to_geodetic = pyproj.Transformer.from_pipeline("+proj=utm +zone=30 +ellps=intl +inv")
        lon, lat = to_geodetic.transform(utm[:, 0], utm[:, 1])
        points = np.column_stack([lon, lat, utm[:, 2]])
    engine, status = t.transformar(points)
    assert (status == 0).all()
    proj = pyproj.Transformer.from_pipeline(t.parametros.proj)
    x, y, z = proj.transform(points[:, 0], points[:, 1], points[:, 2])
    if destino[1] == "geodesicas":  # degrees to metres on the ground
        x = (x - engine[:, 0]) * 111195.0 * np.cos(np.radians(y))
        y = (y - engine[:, 1]) * 111195.0
    else:
        x, y = x - engine[:, 0], y - engine[:, 1]
    np.testing.assert_allclose(x, 0.0, atol=1e-4)
    np.testing.assert_allclose(y, 0.0, atol=1e-4)
    np.testing.assert_allclose(z, engine[:, 2], atol=1e-4)


def test_the_national_set_in_epsg_terms():
    """EPSG:1632 as published: -131 m, -100.3 m, -163.4 m, -1.244", -0.020", -1.144",
    +9.39 ppm, position vector; no evaluation point, no affine coefficients."""
    p = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30)).parametros
    published = (-131.0, -100.3, -163.4, -1.244, -0.020, -1.144, 9.39)
    assert (p.tx, p.ty, p.tz, p.rx, p.ry, p.rz, p.ds) == pytest.approx(published, abs=1e-9)
    assert p.punto_evaluacion == (0.0, 0.0, 0.0) and p.a1 is None
    assert "+proj=helmert" in p.proj and "+convention=position_vector" in p.proj
    assert quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30), parametros="regionales",
                                  modelo="molodensky").parametros.proj == ""


@pytest.mark.parametrize("origin,model", [(("ED50", "utm"), "helmert"),
                                          (("ETRS89", "geodesicas"), "molodensky")])
def test_uncertainty_is_the_column_quillon_cli_adds(cli, tmp_path, origin, model):
    path, numbers, rows = input_points(origin, tmp_path)
    target = ("ETRS89", "utm", 30) if origin[0] == "ED50" else ("ED50", "utm", 30)
    out_path = tmp_path / "salida.txt"
    result = run_cli(cli, "txt", path, out_path, *cli_side("a", origin), *cli_side("b", target),
                     "--parametros", "vecinos", "--seleccion", "8", "--modelo", model,
                     "--incertidumbre")
    assert result.returncode == 0, result.stderr
    t = quillon.Transformacion(origen=origin, destino=target, parametros="vecinos", seleccion=8,
                               centro=quillon.centro(rows, origin), modelo=model)
    out, status, metres = t.transformar(rows, incertidumbre=True)
    assert (status == quillon.Estado.TRANSFORMADO).all()
    column = [line.split("\t")[-1] for line in out_path.read_bytes().decode("cp1252").split("\r\n")[1:-1]]
    assert [engine_fixed(m, 3) for m in metres] == column
    # A pickled copy keeps the adjustment's covariance.
    again = pickle.loads(pickle.dumps(t)).transformar(rows, incertidumbre=True)[2]
    assert again.tobytes() == metres.tobytes()


def test_uncertainty_of_the_national_set_and_of_refused_points():
    t = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30))
    out, status, metres = t.transformar([[235171.041, 4142124.422], [448000.0, 5410000.0]],
                                        incertidumbre=True)
    assert list(status) == [quillon.Estado.TRANSFORMADO, quillon.Estado.FUERA_DE_REGION]
    assert metres[0] == 1.9 and np.isnan(metres[1])
    assert len(t.transformar([[235171.041, 4142124.422]])) == 2  # not asked for: as before


def test_a_pickled_copy_gives_the_same_bits_without_estimating_again():
    t = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "geodesicas"), parametros="distancia",
                               seleccion=50000, centro=(400000, 4130000), modelo="afin", hilos=1)
    points = np.column_stack([np.linspace(200000, 600000, 5000), np.linspace(4000000, 4280000, 5000),
                              np.linspace(0, 900, 5000)])
    copy = pickle.loads(pickle.dumps(t))
    a, _ = t.transformar(points)
    b, _ = copy.transformar(points)
    assert a.tobytes() == b.tobytes()
    assert copy.parametros == t.parametros


# Points into ETRS89 geodetic coordinates with orthometric heights (EPSG:4258+5782),
# from orthometric UTM and from ED50 UTM with the grid and the geoid; and back.
GEODETIC_ORTHOMETRIC = [
    ("EPSG:25830+5782", "EPSG:4258+5782", {}, [[372100.5, 4105300.25, 512.3], [298459.472, 4295133.070, 520.6]]),
    ("EPSG:23030", "EPSG:4258+5782", dict(parametros="rejilla", alturas_ortometricas=True),
     [[298569.727, 4295339.009, 520.6], [372210.0, 4105500.0, 12.0]]),
    ("EPSG:4258+5782", "EPSG:23030", dict(parametros="rejilla"), [[-5.320235438571, 38.781918023131, 520.6]]),
]


@pytest.mark.parametrize("origin,target,options,points", GEODETIC_ORTHOMETRIC,
                         ids=[f"{g[0]}-{g[1]}" for g in GEODETIC_ORTHOMETRIC])
def test_geodetic_orthometric_heights_equal_quillon_cli(cli, origin, target, options, points):
    t = quillon.Transformacion(origin, target, **options)
    out, status = t.transformar(np.array(points))
    assert list(status) == [0] * len(points)
    args = ["punto", "--sistema-a", origin, "--sistema-b", target]
    if options.get("parametros"):
        args += ["--parametros", options["parametros"]]
    result = run_cli(cli, *args, *(",".join(repr(v) for v in p) for p in points))
    assert result.returncode == 0, result.stderr
    kind = "geodesicas" if target.startswith("EPSG:4258") else "utm"
    decimals = 12 if kind == "geodesicas" else 3
    expected = [line.split("\t")[:3] for line in result.stdout.splitlines()]
    assert [[engine_fixed(float(v), decimals) for v in row[:3]] for row in out] == expected
    # With the geodetic height ellipsoidal the result differs by the geoid's N, some 50 m.
    plain = quillon.Transformacion(origin.replace("4258+5782", "4258"), target.replace("4258+5782", "4258"),
                                   **{**options, "alturas_ortometricas": True})
    assert np.all(np.abs(plain.transformar(np.array(points))[0][:, 2] - out[:, 2]) > 10)
    # A saved and loaded run (a pickled copy, as the Dask helper ships it) gives the same bits.
    assert pickle.loads(pickle.dumps(t)).transformar(np.array(points))[0].tobytes() == out.tobytes()


def test_the_interpreter_runs_while_the_engine_works(tmp_path, capfd):
    """procesar_txt runs in another thread on a FIFO that this thread writes only after
    the call has begun: the run can end only if the engine leaves the interpreter free
    while it waits for its input. (The array call releases it as well, but an array
    cannot make the engine wait for Python, so only the file call is checked here.) If
    it does not, the two threads wait for each other; the guard then ends the process
    with every thread's traceback."""
    lines = ["titulo"] + [f"{n}\t{200000 + 37 * n}.125\t{4000000 + 53 * n}.5\t{n % 900}"
                          for n in range(1, 2001)]
    content = ("\r\n".join(lines) + "\r\n").encode("cp1252")
    plain = tmp_path / "plano.txt"
    plain.write_bytes(content)
    fifo = tmp_path / "fifo.txt"
    os.mkfifo(fifo)
    sides = dict(origen=("ED50", "utm", 30), destino=("ETRS89", "utm", 30))
    results = []

    def work():
        results.append(quillon.procesar_txt(fifo, tmp_path / "de_fifo.txt", **sides))

    # Output not captured, so that the guard's tracebacks are seen.
    with capfd.disabled():
        faulthandler.dump_traceback_later(120, exit=True)
        try:
            worker = threading.Thread(target=work)
            worker.start()
            # Opening the writing end waits for the engine to open the reading end.
            with open(fifo, "wb") as pipe:
                pipe.write(content)
            worker.join()
        finally:
            faulthandler.cancel_dump_traceback_later()
    assert len(results) == 1 and results[0].rechazadas == 0
    quillon.procesar_txt(plain, tmp_path / "de_plano.txt", **sides)
    assert (tmp_path / "de_fifo.txt").read_bytes() == (tmp_path / "de_plano.txt").read_bytes()


def test_procesar_txt_and_dxf_write_what_quillon_cli_writes(cli, tmp_path):
    sample = DATA / "muestra_ed50_utm.txt"
    common = ["--datum-a", "ED50", "--tipo-a", "utm", "--datum-b", "ETRS89", "--tipo-b", "utm",
              "--huso-b", "30", "--parametros", "vecinos", "--seleccion", "5"]
    assert run_cli(cli, "txt", sample, tmp_path / "cli.txt", *common).returncode == 0
    result = quillon.procesar_txt(sample, tmp_path / "py.txt", origen=("ED50", "utm"),
                                  destino=("ETRS89", "utm", 30), parametros="vecinos", seleccion=5)
    assert result.rechazadas == 0 and result.registro == str(tmp_path / "py.txt") + ".log"
    assert (tmp_path / "py.txt").read_bytes() == (tmp_path / "cli.txt").read_bytes()

    drawing = DATA / "muestra_parcela_ed50.dxf"
    common = ["--datum-a", "ED50", "--tipo-a", "utm", "--huso-a", "30", "--datum-b", "ETRS89",
              "--tipo-b", "utm", "--huso-b", "30", "--parametros", "vecinos", "--seleccion", "5"]
    assert run_cli(cli, "dxf", drawing, tmp_path / "cli.dxf", *common).returncode == 0
    quillon.procesar_dxf(drawing, tmp_path / "py.dxf", origen=("ED50", "utm", 30),
                         destino=("ETRS89", "utm", 30), parametros="vecinos", seleccion=5)
    assert (tmp_path / "py.dxf").read_bytes() == (tmp_path / "cli.dxf").read_bytes()
    cli_log = (tmp_path / "cli.dxf.log").read_bytes().split(b"\r\n")
    py_log = (tmp_path / "py.dxf.log").read_bytes().split(b"\r\n")
    # The same log but for the output path in its header.
    assert [l for l in cli_log if b"cli.dxf" not in l] == [l for l in py_log if b"py.dxf" not in l]


def test_file_runs_that_fail_raise_and_keep_the_old_files(tmp_path):
    output = tmp_path / "salida.txt"
    output.write_bytes(b"anterior\r\n")
    with pytest.raises(quillon.ErrorQuillon) as raised:
        quillon.procesar_txt(tmp_path / "no_existe.txt", output, origen=("ED50", "utm", 30),
                             destino=("ETRS89", "utm", 30))
    assert str(raised.value) == "No se puede leer el archivo de entrada"
    assert raised.value.registro == str(output) + ".log"
    assert output.read_bytes() == b"anterior\r\n"

    rejected = tmp_path / "con_rechazos.txt"
    rejected.write_bytes(b"titulo\r\n1\t235171.041\t4142124.422\t42\r\n2\t235171,041\t4142124.422\t42\r\n")
    result = quillon.procesar_txt(rejected, output, origen=("ED50", "utm", 30), destino=("ETRS89", "utm", 30))
    assert result.rechazadas == 1
    assert "Línea 3 rechazada: coordenada 1 no numérica" in (tmp_path / "salida.txt.log").read_bytes().decode("cp1252")


NEAR_ANTEQUERA = np.array([[370000.0, 4100000.0, 410.0], [235171.041, 4142124.422, 42.0],
                           [447905.82, 4114776.525, 760.0]])
# The same systems and choices written as pyproj users write them and as tuples: the
# same bits. A compound code with EPSG:5782 is the tuple with orthometric heights.
NAMES = [
    ("EPSG:23030", "EPSG:25830", {}, ("ED50", "utm", 30), ("ETRS89", "utm", 30), {}),
    (23030, 25830, {}, ("ED50", "utm", 30), ("ETRS89", "utm", 30), {}),
    (pyproj.CRS("EPSG:23030"), pyproj.CRS(25829), {}, ("ED50", "utm", 30), ("ETRS89", "utm", 29), {}),
    ("EPSG:23030", "EPSG:25830+5782", {}, ("ED50", "utm", 30), ("ETRS89", "utm", 30),
     dict(alturas_ortometricas=True)),
    (pyproj.CRS("EPSG:23030"), pyproj.CRS("EPSG:25830+5782"), {}, ("ED50", "utm", 30),
     ("ETRS89", "utm", 30), dict(alturas_ortometricas=True)),
    ("epsg:23030", "4258", {}, ("ED50", "utm", 30), ("ETRS89", "geodesicas"), {}),
    (("ed50", "utm", 30), ("ETRS89", "geodetic"), {}, ("ED50", "utm", 30), ("ETRS89", "geodesicas"), {}),
    (("ED50", "utm", 30), ("ETRS89", "Geodésicas"), {}, ("ED50", "utm", 30), ("ETRS89", "geodesicas"), {}),
    (("ED50", "utm", 30), ("ETRS89", "geocentric"), {}, ("ED50", "utm", 30), ("ETRS89", "geocentricas"), {}),
    ("EPSG:23030", "EPSG:25830", dict(parametros="nearest", seleccion=5, centro=CENTRE, modelo="affine"),
     ("ED50", "utm", 30), ("ETRS89", "utm", 30),
     dict(parametros="vecinos", seleccion=5, centro=CENTRE, modelo="afin")),
    ("EPSG:23030", "EPSG:25830", dict(parametros="grid"), ("ED50", "utm", 30), ("ETRS89", "utm", 30),
     dict(parametros="rejilla")),
    ("EPSG:23030", "EPSG:25830", dict(parametros="distance", seleccion=60000, centro=CENTRE,
                                      modelo="afín"),
     ("ED50", "utm", 30), ("ETRS89", "utm", 30),
     dict(parametros="distancia", seleccion=60000, centro=CENTRE, modelo="afin")),
]


@pytest.mark.parametrize("origin,target,options,tuple_origin,tuple_target,tuple_options", NAMES,
                         ids=[f"{n[0]}-{n[1]}-{n[2]}" for n in NAMES])
def test_names_as_pyproj_users_write_them_equal_the_tuples_bit_for_bit(
        origin, target, options, tuple_origin, tuple_target, tuple_options):
    named = quillon.Transformacion(origin, target, **options)
    plain = quillon.Transformacion(tuple_origin, tuple_target, **tuple_options)
    assert (named.origen, named.destino) == (plain.origen, plain.destino)
    out, status = named.transformar(NEAR_ANTEQUERA)
    expected, expected_status = plain.transformar(NEAR_ANTEQUERA)
    assert out.tobytes() == expected.tobytes() and list(status) == list(expected_status) == [0, 0, 0]
    assert pickle.loads(pickle.dumps(named)).transformar(NEAR_ANTEQUERA)[0].tobytes() == out.tobytes()


@pytest.mark.parametrize("kind", ["list", "ndarray", "Series"])
@pytest.mark.parametrize("with_height", [False, True])
def test_separate_columns_come_back_in_the_kind_they_went_in(kind, with_height):
    import pandas as pd

    t = quillon.Transformacion("EPSG:23030", "EPSG:25830")
    rows = np.vstack([NEAR_ANTEQUERA, [[1e7, 4100000.0, 0.0]]])
    matrix = rows if with_height else rows[:, :2]
    expected, expected_status = t.transformar(matrix)
    index = pd.Index([10, 20, 30, 40], name="punto")
    columns = [{"list": list, "ndarray": np.array,
                "Series": lambda c, n=n: pd.Series(c, index=index, name=n)}[kind](matrix[:, k])
               for k, n in enumerate("xyz"[:matrix.shape[1]])]
    *coordinates, status = t.transformar(*columns)
    assert len(coordinates) == matrix.shape[1]
    for k, column in enumerate(coordinates):
        np.testing.assert_array_equal(np.asarray(column), expected[:, k])
    assert list(status) == list(expected_status) and status[3 if kind != "Series" else 40] == 7
    if kind == "Series":
        assert all(c.index.equals(index) for c in (*coordinates, status))
        assert [c.name for c in coordinates] == list("xyz"[:matrix.shape[1]])
    else:
        assert all(isinstance(c, np.ndarray) for c in (*coordinates, status))


def test_the_package_shows_its_names_and_version_only():
    names = set(dir(quillon))
    assert {"Transformacion", "centro", "Estado", "__version__"} <= names
    assert not names & {"Any", "Dict", "np", "os", "math", "enum", "Preparada", "extension"}
    assert quillon.__version__.count(".") == 2


@pytest.mark.parametrize("origin,points", [
    (("ED50", "utm", 30), [[1e7, 4100000.0, 0.0], [1e12, 4100000.0, 0.0]]),
    (("ED50", "utm", 30), [[370000.0, 4100000.0, 0.0], [-2e6, 3e6, 0.0], [np.nan, 4e6, 0.0]]),
    (("ED50", "geodesicas"), [[-4.0, 37.0, 0.0], [-4.0, 95.0, 0.0], [2.3522, 48.8566, 0.0]]),
])
def test_centre_of_large_arrays_is_the_engines_to_the_bit(origin, points):
    """quillon.centro of ED50 UTM 30 points skips the engine for all but the edge
    points; the centre is still the one the engine finds (the file centroid's), as
    for points the engine must carry."""
    rng = np.random.default_rng(5)
    points = np.vstack([np.asarray(points), np.column_stack([
        rng.uniform(100000, 600000, 20000), rng.uniform(4000000, 4300000, 20000), np.zeros(20000)])
        if origin[1] == "utm" else np.column_stack([
        rng.uniform(-7, -2, 20000), rng.uniform(36, 38.5, 20000), np.zeros(20000)])])
    fields = quillon._ejecucion(origin, ("ED50", "utm", 30))
    x_min, x_max, y_min, y_max, _ = quillon._extension(points, fields)
    assert quillon.centro(points, origin) == ((x_min + x_max) * 0.5, (y_min + y_max) * 0.5)


# Inputs that cannot be right: refused with a status, with and without the region check
# (outside the domain stays refused; outside the region is refused only with it).
IMPOSSIBLE = [
    ("EPSG:23030", [1e7, 4100000.0, 0.0], quillon.Estado.FUERA_DE_DOMINIO, quillon.Estado.FUERA_DE_DOMINIO),
    ("EPSG:23030", [1e12, 4100000.0, 0.0], quillon.Estado.FUERA_DE_DOMINIO, quillon.Estado.FUERA_DE_DOMINIO),
    ("EPSG:4230", [-4.0, 95.0, 0.0], quillon.Estado.FUERA_DE_DOMINIO, quillon.Estado.FUERA_DE_DOMINIO),
    ("EPSG:4230", [2.3522, 48.8566, 0.0], quillon.Estado.FUERA_DE_REGION, quillon.Estado.TRANSFORMADO),
]


@pytest.mark.parametrize("origin,point,checked,unchecked", IMPOSSIBLE, ids=[str(c[1]) for c in IMPOSSIBLE])
def test_points_that_cannot_be_right_get_their_status(origin, point, checked, unchecked):
    for region_only, expected in ((True, checked), (False, unchecked)):
        out, status = quillon.Transformacion(origin, "EPSG:4258", solo_region=region_only).transformar([point])
        assert status[0] == expected
        assert np.isnan(out).all() == (expected != quillon.Estado.TRANSFORMADO)
