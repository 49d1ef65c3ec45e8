"""Quillon: coordenadas entre ED50 y ETRS89 en Andalucía con el motor Dezadiravevava.

Transforma matrices de puntos (NumPy) con los parámetros nacionales, los regionales o
una transformación local estimada a partir de los vértices geodésicos del catálogo, y
procesa archivos de puntos TXT y dibujos DXF como ``quillon-cli``::

    import numpy as np, quillon
    t = quillon.Transformacion(origen=("ED50", "utm", 30), destino=("ETRS89", "utm", 30),
                               parametros="vecinos", seleccion=5, centro=(370000, 4150000))
    salida, estado = t.transformar(np.array([[235171.041, 4142124.422, 42.0]]))

Los submódulos ``quillon.geopandas`` y ``quillon.dask`` llevan la transformación a
GeoDataFrames y a DataFrames de Dask repartidos entre varias máquinas.
"""

from __future__ import annotations

import enum as _enum
import inspect as _inspect
import math as _math
import numbers as _numbers
import os as _os
import re as _re
import unicodedata as _unicodedata
from dataclasses import dataclass as _dataclass
from typing import Any as _Any
from typing import Dict as _Dict
from typing import List as _List
from typing import Literal, Optional, Protocol, Tuple, TypeVar, Union, overload

import numpy as _np
from numpy.typing import NDArray

from ._quillon import (
    ARCHIVO_DXF as _ARCHIVO_DXF,
    ARCHIVO_TXT as _ARCHIVO_TXT,
    VERSION as _VERSION,
    ErrorQuillon,
    Preparada as _Preparada,
    comprobar as _comprobar,
    extension as _extension,
    lado_epsg as _lado_epsg,
    procesar_archivo as _procesar_archivo,
)

__version__: str = _VERSION

__all__ = [
    "CRSConEpsg",
    "Datum",
    "EleccionParametros",
    "ErrorQuillon",
    "Estado",
    "Modelo",
    "Parametros",
    "ResultadoArchivo",
    "Sistema",
    "Tipo",
    "Transformacion",
    "Vertice",
    "centro",
    "procesar_dxf",
    "procesar_txt",
]


def __dir__() -> _List[str]:
    return sorted(__all__ + ["__version__", "dask", "geopandas"])


Datum = Literal["ED50", "ETRS89", "ed50", "etrs89"]
# Coordinate kinds, in quillon-cli's words or in English.
Tipo = Literal[
    "geodesicas", "geodésicas", "utm", "geocentricas", "geocéntricas",
    "geodetic", "geographic", "geocentric",
]
EleccionParametros = Literal[
    "nacionales", "regionales", "distancia", "vecinos", "rejilla",
    "national", "regional", "distance", "nearest", "grid",
]
Modelo = Literal["helmert", "molodensky", "afin", "afín", "affine"]


class CRSConEpsg(Protocol):
    """A CRS that knows its EPSG code, such as ``pyproj.CRS``."""

    def to_epsg(self, min_confidence: int = ...) -> Optional[int]: ...


# A system: (datum, tipo) or (datum, "utm", huso), an EPSG code as text ("EPSG:23030",
# "EPSG:25830+5782") or as a number (23030), or a pyproj.CRS.
Sistema = Union[
    Tuple[Datum, Tipo],
    Tuple[Datum, Literal["utm"], Optional[int]],
    str,
    int,
    CRSConEpsg,
]
FloatArray = NDArray[_np.float64]
StatusArray = NDArray[_np.int32]

_DATUMS = {"ed50": 14, "etrs89": 19}
_TIPOS = {
    "geodesicas": 1, "geodetic": 1, "geographic": 1,
    "utm": 2,
    "geocentricas": 3, "geocentric": 3,
}
_MODELOS = {"helmert": 0, "molodensky": 1, "afin": 2, "affine": 2}
_PARAMETROS = {
    "nacionales": 0, "regionales": 1, "distancia": 2, "vecinos": 3, "rejilla": 4,
    "national": 0, "regional": 1, "distance": 2, "nearest": 3, "grid": 4,
}
_NOMBRES_PARAMETROS = {0: "nacionales", 1: "regionales", 2: "distancia", 3: "vecinos", 4: "rejilla"}
_NOMBRES_MODELOS = {0: "helmert", 1: "molodensky", 2: "afin"}
_NOMBRES_DATUMS = {14: "ED50", 19: "ETRS89"}
_NOMBRES_TIPOS = {1: "geodesicas", 2: "utm", 3: "geocentricas"}
_MODELO_REJILLA = 3
_CODIGOS = (
    "EPSG:23029, 23030, 23031 (ED50 UTM), 25829, 25830, 25831 (ETRS89 UTM), 4230 (ED50 "
    "geodésicas), 4258, 4937 (ETRS89 geodésicas), 4936 (ETRS89 geocéntricas), 25829+5782, "
    "25830+5782, 25831+5782 (ETRS89 UTM con altitudes ortométricas), 4258+5782 (ETRS89 "
    "geodésicas con altitudes ortométricas)"
)


def _nombre(texto: object) -> str:
    """A name as the tables hold it: lower case, without accents ("Geodésicas")."""
    descompuesto = _unicodedata.normalize("NFD", str(texto).strip().lower())
    return "".join(c for c in descompuesto if not _unicodedata.combining(c))


class Estado(_enum.IntEnum):
    """Estado de cada punto de ``Transformacion.transformar``."""

    TRANSFORMADO = 0
    NO_FINITO = 1  # una coordenada es NaN o infinita
    HUSO_NO_VALIDO = 2  # el huso del punto no es un entero de 1 a 60
    FUERA_DE_REGION = 3  # fuera de Andalucía (salvo con solo_region=False)
    FUERA_DE_RANGO = 4  # un resultado mayor que 1e8
    FUERA_DE_REJILLA = 5  # fuera de la rejilla oficial del IGN
    FUERA_DEL_GEOIDE = 6  # donde el geoide no tiene valor
    FUERA_DE_DOMINIO = 7  # |lat.| > 90°, |long.| > 180°, |x UTM - 500000| > 1000 km, o no finito


@_dataclass(frozen=True)
class Vertice:
    """Un vértice del catálogo hallado por la búsqueda, con su residuo.

    Coordenadas UTM huso 30 en metros: ``origen_*`` y ``destino_*`` del catálogo en el
    datum de origen y en el de destino; ``residuo_*`` es el destino del catálogo menos
    el origen transformado con los parámetros estimados.
    """

    numero: int
    nombre: str
    usado: bool  # False: descartado por error grosero
    origen_x: float
    origen_y: float
    destino_x: float
    destino_y: float
    residuo_x: float
    residuo_y: float


@_dataclass(frozen=True)
class Parametros:
    """El conjunto de parámetros preparado: los siete valores del modelo, los
    centroides a los que se reducen, el error de ajuste, el bloque del registro de
    ejecución y los vértices de la estimación con sus residuos; los valores en los
    términos de EPSG y la tubería de PROJ que hace lo mismo que la transformación.

    Helmert (convenio de vector de posición, EPSG:1033 y, alrededor del punto de
    evaluación, EPSG:1061): ``tx``, ``ty``, ``tz`` en metros, ``rx``, ``ry``, ``rz`` en
    segundos de arco, ``ds`` en ppm, ``punto_evaluacion`` el centroide de origen
    (geocéntricas; el geocentro en el juego nacional). Afín (EPSG:9624, UTM huso 30):
    E' = a0 + a1 E + a2 N, N' = b0 + b1 E + b2 N. Los de otro modelo valen None.
    ``proj`` va del sistema de origen al de destino ("" con Molodensky, que no tiene
    equivalente en PROJ).

    ``valores`` son los siete números tal como los aplica el motor, no en los términos de
    EPSG. Helmert y Molodensky: ``(ds, rx, ry, rz, tx, ty, tz)`` con ``ds`` el factor de
    escala menos 1 (sin unidad: 9.39e-06 son 9.39 ppm), los giros en radianes con el
    convenio de giro del sistema de referencia (coordinate frame: signo contrario al de
    ``rx``, ``ry``, ``rz``) y las traslaciones en metros; en un conjunto estimado, las
    coordenadas geocéntricas se reducen antes a ``centroide_origen`` y después a
    ``centroide_destino``, así que las traslaciones son las que quedan tras esa
    reducción (casi 0). Afín, en UTM huso 30 reducidas a los centroides:
    ``(a1 - 1, -a2, b1, b2 - 1, tE, tN, 0)``. Para PROJ o para otro programa, use
    ``tx``...``ds`` con ``punto_evaluacion``, ``a0``...``b2`` o ``proj``."""

    modelo: Literal["helmert", "molodensky", "afin", "rejilla"]
    valores: Tuple[float, ...]  # en el orden y las unidades del motor (véase arriba)
    centroide_origen: Tuple[float, float, float]
    centroide_destino: Tuple[float, float, float]
    error_ajuste: float  # metros; NaN sin ajuste (parámetros nacionales)
    informe: str
    vertices: Tuple[Vertice, ...]
    proj: str
    tx: Optional[float]
    ty: Optional[float]
    tz: Optional[float]
    rx: Optional[float]
    ry: Optional[float]
    rz: Optional[float]
    ds: Optional[float]
    punto_evaluacion: Optional[Tuple[float, float, float]]
    a0: Optional[float]
    a1: Optional[float]
    a2: Optional[float]
    b0: Optional[float]
    b1: Optional[float]
    b2: Optional[float]


@_dataclass(frozen=True)
class ResultadoArchivo:
    """Lo que deja ``procesar_txt`` o ``procesar_dxf``."""

    salida: str
    registro: str
    rechazadas: int  # líneas de puntos no transformadas (el registro dice por qué)


@_dataclass(frozen=True)
class _Lado:
    datum: int
    tipo: int
    huso: _Any  # as given (checked with the options); None: each point's own
    ortometrico: bool  # a compound code with EPSG:5782

    @property
    def tupla(self) -> Tuple[str, ...]:
        base = (_NOMBRES_DATUMS[self.datum], _NOMBRES_TIPOS[self.tipo])
        return base + ((self.huso,) if self.huso is not None else ())


def _codigo_de_crs(crs: CRSConEpsg) -> Optional[str]:
    """The EPSG code of a CRS ("EPSG:25830+5782" for a compound one), or None."""
    partes = getattr(crs, "sub_crs_list", None) if getattr(crs, "is_compound", False) else None
    if partes:
        codigos = [parte.to_epsg() for parte in partes]
        return None if None in codigos else "EPSG:" + "+".join(str(c) for c in codigos)
    codigo = crs.to_epsg()
    return None if codigo is None else f"EPSG:{codigo}"


def _sistema(valor: Sistema, lado: str) -> _Lado:
    if isinstance(valor, (str, int)) or hasattr(valor, "to_epsg"):
        if isinstance(valor, bool):
            raise ValueError(f"{lado}: {valor!r} no es un sistema")
        codigo = (
            str(valor) if isinstance(valor, (str, int)) else _codigo_de_crs(valor)  # type: ignore[arg-type]
        )
        hallado = _lado_epsg(codigo) if codigo else None
        if hallado is None:
            raise ValueError(
                f"{lado}: sistema desconocido: {valor} (se admiten {_CODIGOS}, o "
                "(datum, tipo[, huso]))"
            )
        datum, tipo, huso, ortometrico = hallado
        return _Lado(datum, tipo, huso if huso else None, ortometrico)
    if not isinstance(valor, (tuple, list)) or len(valor) not in (2, 3):
        raise ValueError(
            f"{lado}: se espera un código EPSG, un pyproj.CRS, (datum, tipo) o (datum, tipo, huso)"
        )
    nombre_datum, nombre_tipo = _nombre(valor[0]), _nombre(valor[1])
    if nombre_datum not in _DATUMS:
        raise ValueError(f"{lado}: datum desconocido: {valor[0]} (ED50 o ETRS89)")
    if nombre_tipo not in _TIPOS:
        raise ValueError(
            f"{lado}: tipo de coordenadas desconocido: {valor[1]} (geocentricas, geodesicas o utm; "
            "geocentric, geodetic)"
        )
    huso_dado: _Any = valor[2] if len(valor) == 3 else None  # type: ignore[misc]
    if huso_dado is not None and _TIPOS[nombre_tipo] != 2:
        raise ValueError(f"{lado}: solo las coordenadas UTM llevan huso")
    return _Lado(_DATUMS[nombre_datum], _TIPOS[nombre_tipo], huso_dado, False)


def _canonico(valor: object, tabla: _Dict[str, int], nombres: _Dict[int, str]) -> str:
    """The Spanish name of a choice given in either language (or the value as it was,
    for the checks to name)."""
    codigo = tabla.get(_nombre(valor)) if isinstance(valor, str) else None
    return nombres[codigo] if codigo is not None else str(valor)


def _entero(valor: _Any) -> Optional[int]:
    """El entero que vale ``valor`` (5, 5.0, numpy.int32(5)); None si no es un número
    entero (un texto, un booleano, 5.7)."""
    if isinstance(valor, bool) or not isinstance(valor, _numbers.Real):
        return None
    if isinstance(valor, _numbers.Integral):
        return int(valor)
    return int(valor) if _math.isfinite(valor) and float(valor).is_integer() else None


def _comprobar_opciones(
    parametros: str,
    seleccion: Optional[float],
    centro: Optional[Tuple[float, float]],
    modelo: str,
    rejilla: Optional[str],
    geoide: Optional[str],
    alturas_ortometricas: bool,
    husos: _Dict[str, _Any],
    lado_utm: bool,
    hilos: int,
    catalogo: Optional[str] = None,
) -> None:
    """Las reglas de las opciones de una transformación: un valor que el método elegido
    no usaría, o que ninguno admite, no se pasa por alto, sino que se rechaza con un
    ValueError que nombra la opción. ``husos``: el huso dado a cada lado UTM (None:
    el de cada punto)."""
    for lado, huso in husos.items():
        if huso is not None and _entero(huso) not in range(1, 61):
            raise ValueError(f"{lado}: el huso es un número entero de 1 a 60, no {huso!r}")
    if parametros not in _PARAMETROS:
        raise ValueError(
            f"elección de parámetros desconocida: {parametros} "
            "(nacionales, regionales, distancia, vecinos o rejilla)"
        )
    if modelo not in _MODELOS:
        raise ValueError(f"modelo desconocido: {modelo} (helmert, molodensky o afin)")
    local = parametros in ("distancia", "vecinos")
    if not local:
        for nombre, valor in (("seleccion", seleccion), ("centro", centro)):
            if valor is not None:
                raise ValueError(
                    f"{nombre}: solo se usa con parametros='distancia' o 'vecinos', "
                    f"no con '{parametros}'"
                )
    if parametros in ("nacionales", "rejilla") and modelo != "helmert":
        raise ValueError(
            f"modelo: con parametros='{parametros}' no se elige modelo "
            f"(se ha dado '{modelo}')"
        )
    if local and seleccion is None:
        raise ValueError(f"con parametros='{parametros}' hace falta seleccion")
    if parametros == "vecinos":
        minimo = 4 if modelo == "afin" else 3
        vertices = _entero(seleccion)
        if vertices is None or vertices < minimo:
            raise ValueError(
                f"seleccion: con parametros='vecinos' y modelo='{modelo}' es un número "
                f"entero de vértices, {minimo} o más; no {seleccion!r}"
            )
    if parametros == "distancia" and (
        isinstance(seleccion, bool)
        or not isinstance(seleccion, _numbers.Real)
        or not _math.isfinite(seleccion)
        or seleccion <= 0
    ):
        raise ValueError(
            f"seleccion: con parametros='distancia' es una distancia en metros mayor que 0; "
            f"no {seleccion!r}"
        )
    if rejilla and parametros != "rejilla":
        raise ValueError(f"rejilla: solo se usa con parametros='rejilla', no con '{parametros}'")
    if catalogo and parametros in ("nacionales", "rejilla"):
        raise ValueError(
            "catalogo: solo se usa con parametros='regionales', 'distancia' o 'vecinos', "
            f"no con '{parametros}'"
        )
    if geoide and not alturas_ortometricas:
        raise ValueError("geoide: solo se usa con alturas_ortometricas=True")
    if alturas_ortometricas and not lado_utm:
        raise ValueError(
            "alturas_ortometricas: solo se usa si el origen o el destino son coordenadas UTM"
        )
    hilos_entero = _entero(hilos)
    if hilos_entero is None or hilos_entero < 0:
        raise ValueError(f"hilos: un número entero, 0 (uno por procesador) o más; no {hilos!r}")


_OPCIONES_CLI = {
    "--origen": "centro", "--seleccion": "seleccion", "--hilos": "hilos",
    "--rejilla": "rejilla", "--geoide": "alturas_ortometricas", "--catalogo": "catalogo",
    "--modelo": "modelo", "--parametros": "parametros", "--huso-a": "origen",
    "--huso-b": "destino",
}


def _ejecucion(
    origen: Sistema,
    destino: Sistema,
    parametros: str = "nacionales",
    seleccion: Optional[float] = None,
    centro: Optional[Tuple[float, float]] = None,
    modelo: str = "helmert",
    alturas_ortometricas: bool = False,
    rejilla: Optional[str] = None,
    geoide: Optional[str] = None,
    hilos: int = 0,
    catalogo: Optional[str] = None,
) -> _Dict[str, _Any]:
    """Los campos de la ejecución del motor (dzv_run) a partir de sus nombres, con las
    reglas de quillon-cli para sus opciones (ValueError con el nombre de la opción)."""
    a = _sistema(origen, "origen")
    b = _sistema(destino, "destino")
    parametros = _canonico(parametros, _PARAMETROS, _NOMBRES_PARAMETROS)
    modelo = _canonico(modelo, _MODELOS, _NOMBRES_MODELOS)
    alturas_ortometricas = bool(alturas_ortometricas) or a.ortometrico or b.ortometrico
    _comprobar_opciones(
        parametros, seleccion, centro, modelo, rejilla, geoide, alturas_ortometricas,
        {"origen": a.huso, "destino": b.huso},
        _TIPOS["utm"] in (a.tipo, b.tipo) or a.ortometrico or b.ortometrico, hilos, catalogo,
    )
    local = parametros in ("distancia", "vecinos")
    campos: _Dict[str, _Any] = {
        "datum_a": a.datum,
        "kind_a": a.tipo,
        "zone_a": 0.0 if a.huso is None else float(a.huso),
        "datum_b": b.datum,
        "kind_b": b.tipo,
        "zone_b": 0.0 if b.huso is None else float(b.huso),
        "model": _MODELOS[modelo],
        "parametros": _PARAMETROS[parametros],
        "seleccion": float(seleccion) if local and seleccion is not None else 0.0,
        "origin_x": 0.0,
        "origin_y": 0.0,
        "origin_from_data": 0,
        "orthometric_heights": 1 if alturas_ortometricas else 0,
        # Geodetic heights of a compound code with EPSG:5782 are orthometric.
        "orthometric_geodetic": (1 if a.ortometrico and a.tipo == _TIPOS["geodesicas"] else 0)
        | (2 if b.ortometrico and b.tipo == _TIPOS["geodesicas"] else 0),
        "grid_path": _os.fspath(rejilla) if rejilla else "",
        "geoid_path": _os.fspath(geoide) if geoide else "",
        "catalogue_path": _os.fspath(catalogo) if catalogo else "",
    }
    if centro is not None:
        campos["origin_x"], campos["origin_y"] = float(centro[0]), float(centro[1])
    elif local:
        campos["origin_from_data"] = 1
    # The rules of the engine's own request (quillon-cli's), named as here.
    motivo = _comprobar(campos, int(hilos))
    if motivo:
        raise ValueError(
            _re.sub(r"--[a-z]+(-[ab])?", lambda m: _OPCIONES_CLI.get(m.group(0), m.group(0)), motivo)
        )
    return campos


def _sin_opciones_de_mas(funcion: _Any, dadas: _Dict[str, _Any]) -> None:
    """Con una ``transformacion=`` ya hecha, las opciones de ``funcion`` que harían otra
    no se usarían: cada una dada con un valor distinto del suyo por defecto se rechaza."""
    firma = _inspect.signature(funcion).parameters
    de_mas = [
        nombre
        for nombre, valor in dadas.items()
        if not (
            valor is firma[nombre].default
            or (type(valor) is type(firma[nombre].default) and valor == firma[nombre].default)
        )
    ]
    if de_mas:
        raise ValueError(
            f"{', '.join(de_mas)}: no se usan con transformacion= (la transformación dada "
            "ya lleva sus opciones)"
        )


def _columnas_entrada(campos: _Dict[str, _Any]) -> str:
    if campos["kind_a"] == 2 and campos["zone_a"] < 1:
        return "4 columnas (x, y, H, huso)"
    if campos["kind_a"] == 3:
        return "3 columnas (X, Y, Z)"
    return "2 o 3 columnas"


def centro(puntos: _Any, origen: Sistema) -> Tuple[float, float]:
    """El centro del rectángulo que encuadra los puntos en ED50 UTM huso 30: el origen
    de la búsqueda de vértices que ``quillon-cli`` toma si no se le da ``--origen``."""
    campos = _ejecucion(origen, ("ED50", "utm", 30))
    matriz = _np.asarray(puntos, dtype=_np.float64)
    if (
        campos["datum_a"] == _DATUMS["ed50"] and campos["kind_a"] == _TIPOS["utm"]
        and campos["zone_a"] == 30.0 and matriz.ndim == 2 and matriz.shape[1] in (2, 3)
    ):
        # Already ED50 UTM 30: the engine carries each point through geodetic
        # coordinates and back, which moves it by far less than a millimetre. Only the
        # points within a millimetre of an edge of the rectangle of those it takes (all
        # coordinates finite, x within 1000 km of the central meridian) can make its
        # edges, so only they go through the engine.
        buenos = _np.isfinite(matriz).all(axis=1) & (_np.abs(matriz[:, 0] - 500000.0) <= 1e6)
        if not buenos.any():
            raise ValueError("ningún punto válido del que tomar el centro")
        x, y = matriz[:, 0], matriz[:, 1]
        margen = 1e-3
        bordes = buenos & (
            (x <= x[buenos].min() + margen) | (x >= x[buenos].max() - margen)
            | (y <= y[buenos].min() + margen) | (y >= y[buenos].max() - margen)
        )
        x_min, x_max, y_min, y_max, cuenta = _extension(matriz[bordes], campos)
        if cuenta == int(bordes.sum()):
            return ((x_min + x_max) * 0.5, (y_min + y_max) * 0.5)
    x_min, x_max, y_min, y_max, cuenta = _extension(matriz, campos)
    if cuenta == 0:
        raise ValueError("ningún punto válido del que tomar el centro")
    return ((x_min + x_max) * 0.5, (y_min + y_max) * 0.5)


_T = TypeVar("_T")


def _como_entrada(valores: _Any) -> FloatArray:
    """A column of coordinates (a list, an array or a pandas Series) as float64."""
    a_numpy = getattr(valores, "to_numpy", None)
    columna = a_numpy(dtype=_np.float64) if a_numpy is not None else valores
    return _np.asarray(columna, dtype=_np.float64).reshape(-1)


def _como_la_entrada(modelo: _Any, valores: NDArray[_Any], nombre: _Any) -> _Any:
    """``valores`` as the kind of ``modelo``: a pandas Series with its index, or an array."""
    indice = getattr(modelo, "index", None)
    if indice is not None and hasattr(modelo, "to_numpy"):
        return type(modelo)(valores, index=indice, name=nombre)
    return valores


class Transformacion:
    """Una transformación de ``origen`` a ``destino`` con sus parámetros preparados una
    sola vez.

    ``origen`` y ``destino`` son ``(datum, tipo)`` o ``(datum, "utm", huso)``: datum
    "ED50" o "ETRS89", tipo "geodesicas" (longitud, latitud en grados decimales, h),
    "utm" (x, y, H) o "geocentricas" (X, Y, Z). Sin huso, una entrada UTM lleva el de
    cada punto en una cuarta columna y una salida UTM toma el huso natural de cada punto
    (y lo añade como última columna).

    ``parametros``: "nacionales" (EPSG:1632, Helmert), "regionales" (todos los vértices del
    catálogo), "distancia" (los vértices a menos de ``seleccion`` metros de ``centro``)
    o "vecinos" (los ``seleccion`` vértices más cercanos a ``centro``); ``centro`` en ED50
    UTM huso 30 (véase ``quillon.centro``). ``modelo``: "helmert", "molodensky" o "afin".
    ``catalogo``: una tabla de puntos comunes propia (como la de ``quillon-cli
    --catalogo``) en lugar del catálogo integrado de demostración; una tabla con filas
    malas lanza ErrorQuillon con una línea por fila.
    "rejilla" aplica la rejilla oficial del IGN SPED2ETV2 (o la NTv2 ``rejilla``; el
    modelo no se usa); los puntos fuera de ella dan ``Estado.FUERA_DE_REJILLA``.
    ``alturas_ortometricas``: la H de los puntos UTM se relaciona con la altura elipsoidal
    ETRS89 por el geoide EGM08-REDNAP (o el GTX ``geoide``), h = H + N.
    ``hilos``: hilos de cada llamada (0: uno por procesador). ``solo_region`` (por
    defecto True): los puntos fuera de Andalucía no se transforman
    (``Estado.FUERA_DE_REGION``); con False se transforman todos.

    Una opción que el método elegido no usaría (``seleccion`` o ``centro`` sin una
    transformación local, ``modelo`` con "nacionales" o "rejilla", ``rejilla`` con otro
    método, ``geoide`` sin alturas ortométricas...) lanza ValueError con su nombre.

    Una Transformacion se puede copiar con pickle: la copia lleva los mismos parámetros,
    sin estimarlos de nuevo, y da los mismos resultados bit a bit.
    """

    def __init__(
        self,
        origen: Sistema,
        destino: Sistema,
        parametros: EleccionParametros = "nacionales",
        seleccion: Optional[float] = None,
        centro: Optional[Tuple[float, float]] = None,
        modelo: Modelo = "helmert",
        hilos: int = 0,
        solo_region: bool = True,
        alturas_ortometricas: bool = False,
        rejilla: Optional[str] = None,
        geoide: Optional[str] = None,
        catalogo: Optional[str] = None,
    ) -> None:
        eleccion = _canonico(parametros, _PARAMETROS, _NOMBRES_PARAMETROS)
        if eleccion in ("distancia", "vecinos") and centro is None:
            raise ValueError(
                f"con parametros='{eleccion}' hace falta centro (véase quillon.centro)"
            )
        self._campos = _ejecucion(
            origen, destino, parametros, seleccion, centro, modelo,
            alturas_ortometricas, rejilla, geoide, hilos, catalogo,
        )
        self.origen = _sistema(origen, "origen").tupla
        self.destino = _sistema(destino, "destino").tupla
        self.hilos = int(hilos)
        self.solo_region = bool(solo_region)
        self._preparada = _Preparada(self._campos)

    def columnas_salida(self, columnas_entrada: int) -> int:
        """Columnas de la salida para una entrada de tantas columnas: las coordenadas
        (sin la altura si la entrada no la tiene) y el huso si la salida es UTM sin huso."""
        coordenadas = 2 if columnas_entrada == 2 else 3
        if self._campos["kind_b"] == 3:
            coordenadas = 3
        huso = 1 if self._campos["kind_b"] == 2 and self._campos["zone_b"] < 1 else 0
        return coordenadas + huso

    @overload
    def transformar(
        self, puntos: _Any, *, incertidumbre: Literal[False] = ...
    ) -> Tuple[FloatArray, StatusArray]: ...

    @overload
    def transformar(
        self, puntos: _Any, *, incertidumbre: Literal[True]
    ) -> Tuple[FloatArray, StatusArray, FloatArray]: ...

    @overload
    def transformar(
        self, puntos: _T, y: _T, z: Optional[_T] = ..., *, incertidumbre: bool = ...
    ) -> Tuple[_Any, ...]: ...

    def transformar(
        self, puntos: _Any, y: _Any = None, z: _Any = None, *, incertidumbre: bool = False
    ) -> Tuple[_Any, ...]:
        """Transforma una matriz N×2, N×3 (o N×4 con el huso de cada punto UTM).

        Devuelve ``(salida, estado)``: la salida en float64 con NaN en los puntos no
        transformados, y ``estado`` (int32, valores de ``Estado``) de cada punto. Los
        valores son los que ``quillon-cli txt`` escribe para los mismos puntos. El
        intérprete queda libre (sin GIL) mientras el motor trabaja.

        Con ``incertidumbre=True`` devuelve ``(salida, estado, incertidumbre)``: la
        incertidumbre horizontal al 95 % de cada punto en metros (float64; NaN en los
        puntos no transformados y con un ajuste sin redundancia), la columna que
        ``quillon-cli txt --incertidumbre`` añade.

        Con columnas separadas, ``transformar(x, y[, z])`` (listas, matrices o Series de
        pandas) devuelve ``(x, y[, z][, huso], estado)`` del mismo tipo: Series con el
        índice de ``x`` o matrices.
        """
        if isinstance(y, bool):  # transformar(puntos, True): the uncertainty, as before
            y, incertidumbre = None, y
        if y is not None:
            columnas = [_como_entrada(c) for c in (puntos, y, z) if c is not None]
            if len({len(c) for c in columnas}) != 1:
                raise ValueError("x, y y z han de tener la misma longitud")
            salida, *resto = self.transformar(
                _np.column_stack(columnas), incertidumbre=incertidumbre  # type: ignore[call-overload]
            )
            nombres = [getattr(c, "name", None) for c in (puntos, y, z) if c is not None]
            nombres += ["huso"] * (salida.shape[1] - len(nombres))
            return tuple(
                _como_la_entrada(puntos, salida[:, k], nombres[k]) for k in range(salida.shape[1])
            ) + tuple(
                _como_la_entrada(puntos, valores, nombre)
                for valores, nombre in zip(resto, ("estado", "incertidumbre"))
            )
        matriz = _np.asarray(puntos, dtype=_np.float64)
        if matriz.ndim != 2 or matriz.shape[1] not in (2, 3, 4):
            raise ValueError(
                f"se espera una matriz N×2, N×3 o N×4; {_columnas_entrada(self._campos)} "
                f"para este origen, y se ha recibido la forma {matriz.shape}"
            )
        return self._preparada.transformar(
            matriz,
            self.columnas_salida(matriz.shape[1]),
            self.hilos,
            self.solo_region,
            bool(incertidumbre),
        )

    @property
    def parametros(self) -> Parametros:
        """El conjunto estimado (o el nacional) y los residuos en cada vértice."""
        (modelo, valores, origen, destino, error, informe, vertices, epsg, pivote,
         proj) = self._preparada.parametros()
        nombres = {v: k for k, v in _MODELOS.items()}
        nombres[_MODELO_REJILLA] = "rejilla"
        helmert = epsg if modelo == _MODELOS["helmert"] else (None,) * 7
        afin = epsg[:6] if modelo == _MODELOS["afin"] else (None,) * 6
        return Parametros(
            modelo=nombres[modelo],  # type: ignore[arg-type]
            valores=tuple(valores),
            centroide_origen=origen,
            centroide_destino=destino,
            error_ajuste=error,
            informe=informe,
            vertices=tuple(Vertice(*v) for v in vertices),
            proj=proj,
            tx=helmert[0], ty=helmert[1], tz=helmert[2],
            rx=helmert[3], ry=helmert[4], rz=helmert[5], ds=helmert[6],
            punto_evaluacion=pivote if modelo == _MODELOS["helmert"] else None,
            a0=afin[0], a1=afin[1], a2=afin[2], b0=afin[3], b1=afin[4], b2=afin[5],
        )

    @property
    def epsg_destino(self) -> Optional[int]:
        """El código EPSG del sistema de destino, si tiene uno solo: ETRS89 UTM 29, 30 y
        31 (25829-25831), ETRS89 geodésicas (4258), ED50 UTM (23029-23031), ED50
        geodésicas (4230); None para una salida UTM sin huso fijo o geocéntrica."""
        datum, tipo, huso = (
            self._campos["datum_b"], self._campos["kind_b"], self._campos["zone_b"],
        )
        if tipo == 1:
            return 4258 if datum == 19 else 4230
        if tipo == 2 and huso >= 1:
            return (25800 if datum == 19 else 23000) + int(huso)
        return None

    def __getstate__(self) -> _Dict[str, _Any]:
        return {
            "campos": self._campos,
            "origen": self.origen,
            "destino": self.destino,
            "hilos": self.hilos,
            "solo_region": self.solo_region,
            "preparada": self._preparada.guardar(),
        }

    def __setstate__(self, estado: _Dict[str, _Any]) -> None:
        self._campos = estado["campos"]
        self.origen = estado["origen"]
        self.destino = estado["destino"]
        self.hilos = estado["hilos"]
        self.solo_region = estado["solo_region"]
        self._preparada = _Preparada(self._campos, estado["preparada"])

    def __repr__(self) -> str:
        return f"Transformacion(origen={self.origen!r}, destino={self.destino!r})"


def _procesar(
    formato: int,
    entrada: Union[str, "_os.PathLike[str]"],
    salida: Union[str, "_os.PathLike[str]"],
    origen: Sistema,
    destino: Sistema,
    parametros: str,
    seleccion: Optional[float],
    centro: Optional[Tuple[float, float]],
    modelo: str,
    registro: Optional[Union[str, "_os.PathLike[str]"]],
    alturas_ortometricas: bool,
    rejilla: Optional[str],
    geoide: Optional[str],
    solo_region: bool,
    catalogo: Optional[str],
) -> ResultadoArchivo:
    campos = _ejecucion(
        origen, destino, parametros, seleccion, centro, modelo,
        alturas_ortometricas, rejilla, geoide, catalogo=catalogo,
    )
    campos["region_only"] = 1 if solo_region else 0
    entrada, salida = _os.fspath(entrada), _os.fspath(salida)
    registro = _os.fspath(registro) if registro is not None else salida + ".log"
    codigo, mensaje, rechazadas, escrito = _procesar_archivo(
        formato, entrada, salida, registro, campos
    )
    if codigo != 0:
        error = ErrorQuillon(mensaje)
        error.codigo = codigo
        error.registro = registro if escrito else None
        raise error
    return ResultadoArchivo(salida=salida, registro=registro, rechazadas=rechazadas)


def procesar_txt(
    entrada: Union[str, "_os.PathLike[str]"],
    salida: Union[str, "_os.PathLike[str]"],
    origen: Sistema,
    destino: Sistema,
    parametros: str = "nacionales",
    seleccion: Optional[float] = None,
    centro: Optional[Tuple[float, float]] = None,
    modelo: str = "helmert",
    registro: Optional[Union[str, "_os.PathLike[str]"]] = None,
    alturas_ortometricas: bool = False,
    rejilla: Optional[str] = None,
    geoide: Optional[str] = None,
    solo_region: bool = True,
    catalogo: Optional[str] = None,
) -> ResultadoArchivo:
    """Transforma un archivo de puntos TXT como ``quillon-cli txt``: el registro va a
    ``registro`` (por defecto ``salida + ".log"``) y, sin ``centro``, la búsqueda de
    vértices se centra en el rectángulo que encuadra los datos. Las líneas que no se
    pueden leer enteras no se transforman y se cuentan en ``rechazadas``, como los
    puntos fuera de Andalucía salvo con ``solo_region=False``. Un fallo lanza
    ``ErrorQuillon`` con el motivo; su atributo ``registro`` nombra el registro si se
    ha escrito. Si falla, los archivos anteriores quedan como estaban. ``catalogo``:
    la tabla de puntos comunes propia que usan las transformaciones regionales y
    locales (véase ``Transformacion``)."""
    return _procesar(
        _ARCHIVO_TXT, entrada, salida, origen, destino, parametros, seleccion, centro,
        modelo, registro, alturas_ortometricas, rejilla, geoide, solo_region, catalogo,
    )


def procesar_dxf(
    entrada: Union[str, "_os.PathLike[str]"],
    salida: Union[str, "_os.PathLike[str]"],
    origen: Sistema,
    destino: Sistema,
    parametros: str = "nacionales",
    seleccion: Optional[float] = None,
    centro: Optional[Tuple[float, float]] = None,
    modelo: str = "helmert",
    registro: Optional[Union[str, "_os.PathLike[str]"]] = None,
    alturas_ortometricas: bool = False,
    rejilla: Optional[str] = None,
    geoide: Optional[str] = None,
    solo_region: bool = True,
    catalogo: Optional[str] = None,
) -> ResultadoArchivo:
    """Transforma un dibujo DXF como ``quillon-cli dxf`` (véase ``procesar_txt``)."""
    return _procesar(
        _ARCHIVO_DXF, entrada, salida, origen, destino, parametros, seleccion, centro,
        modelo, registro, alturas_ortometricas, rejilla, geoide, solo_region, catalogo,
    )
