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

import enum
import inspect
import math
import numbers
import os
from dataclasses import dataclass
from typing import Any, Dict, Literal, Optional, Sequence, Tuple, Union, overload

import numpy as np

from ._quillon import ARCHIVO_DXF, ARCHIVO_TXT, ErrorQuillon, Preparada, extension, procesar_archivo

__all__ = [
    "ErrorQuillon",
    "Estado",
    "Parametros",
    "ResultadoArchivo",
    "Transformacion",
    "Vertice",
    "centro",
    "procesar_dxf",
    "procesar_txt",
]

Sistema = Union[Tuple[str, str], Tuple[str, str, Optional[int]]]

_DATUMS = {"ED50": 14, "ETRS89": 19}
_TIPOS = {"geodesicas": 1, "utm": 2, "geocentricas": 3}
_MODELOS = {"helmert": 0, "molodensky": 1, "afin": 2}
_PARAMETROS = {"nacionales": 0, "regionales": 1, "distancia": 2, "vecinos": 3, "rejilla": 4}
_MODELO_REJILLA = 3


class Estado(enum.IntEnum):
    """Estado de cada punto de ``Transformacion.transformar``."""

    TRANSFORMADO = 0
    NO_FINITO = 1  # una coordenada es NaN o infinita
    HUSO_NO_VALIDO = 2  # el huso del punto no es un entero de 1 a 60
    FUERA_DE_REGION = 3  # fuera de Andalucía (salvo con solo_region=False)
    FUERA_DE_RANGO = 4  # un resultado mayor que 1e8
    FUERA_DE_REJILLA = 5  # fuera de la rejilla oficial del IGN
    FUERA_DEL_GEOIDE = 6  # donde el geoide no tiene valor
    FUERA_DE_DOMINIO = 7  # |lat.| > 90°, |long.| > 180°, |x UTM - 500000| > 1000 km, o no finito


@dataclass(frozen=True)
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


@dataclass(frozen=True)
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
    equivalente en PROJ)."""

    modelo: str  # "helmert", "molodensky", "afin" o "rejilla"
    valores: Tuple[float, ...]
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


@dataclass(frozen=True)
class ResultadoArchivo:
    """Lo que deja ``procesar_txt`` o ``procesar_dxf``."""

    salida: str
    registro: str
    rechazadas: int  # líneas de puntos no transformadas (el registro dice por qué)


def _sistema(valor: Sistema, lado: str) -> Tuple[int, int, Any]:
    if not isinstance(valor, (tuple, list)) or len(valor) not in (2, 3):
        raise ValueError(f"{lado}: se espera (datum, tipo) o (datum, tipo, huso)")
    datum, tipo = str(valor[0]).upper(), str(valor[1]).lower()
    if datum not in _DATUMS:
        raise ValueError(f"{lado}: datum desconocido: {valor[0]} (ED50 o ETRS89)")
    if tipo not in _TIPOS:
        raise ValueError(
            f"{lado}: tipo de coordenadas desconocido: {valor[1]} (geocentricas, geodesicas o utm)"
        )
    huso = valor[2] if len(valor) == 3 else None  # type: ignore[misc]
    if huso is not None and _TIPOS[tipo] != 2:
        raise ValueError(f"{lado}: solo las coordenadas UTM llevan huso")
    return _DATUMS[datum], _TIPOS[tipo], huso


def _entero(valor: Any) -> Optional[int]:
    """El entero que vale ``valor`` (5, 5.0, numpy.int32(5)); None si no es un número
    entero (un texto, un booleano, 5.7)."""
    if isinstance(valor, bool) or not isinstance(valor, numbers.Real):
        return None
    if isinstance(valor, numbers.Integral):
        return int(valor)
    return int(valor) if math.isfinite(valor) and float(valor).is_integer() else None


def _comprobar_opciones(
    parametros: str,
    seleccion: Optional[float],
    centro: Optional[Tuple[float, float]],
    modelo: str,
    rejilla: Optional[str],
    geoide: Optional[str],
    alturas_ortometricas: bool,
    husos: Dict[str, Any],
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
        or not isinstance(seleccion, numbers.Real)
        or not math.isfinite(seleccion)
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
) -> Dict[str, Any]:
    """Los campos de la ejecución del motor (dzv_run) a partir de sus nombres."""
    datum_a, tipo_a, huso_a = _sistema(origen, "origen")
    datum_b, tipo_b, huso_b = _sistema(destino, "destino")
    _comprobar_opciones(
        parametros, seleccion, centro, modelo, rejilla, geoide, alturas_ortometricas,
        {"origen": huso_a, "destino": huso_b}, _TIPOS["utm"] in (tipo_a, tipo_b), hilos,
        catalogo,
    )
    local = parametros in ("distancia", "vecinos")
    campos: Dict[str, Any] = {
        "datum_a": datum_a,
        "kind_a": tipo_a,
        "zone_a": 0.0 if huso_a is None else float(huso_a),
        "datum_b": datum_b,
        "kind_b": tipo_b,
        "zone_b": 0.0 if huso_b is None else float(huso_b),
        "model": _MODELOS[modelo],
        "parametros": _PARAMETROS[parametros],
        "seleccion": float(seleccion) if local and seleccion is not None else 0.0,
        "origin_x": 0.0,
        "origin_y": 0.0,
        "origin_from_data": 0,
        "orthometric_heights": 1 if alturas_ortometricas else 0,
        "grid_path": os.fspath(rejilla) if rejilla else "",
        "geoid_path": os.fspath(geoide) if geoide else "",
        "catalogue_path": os.fspath(catalogo) if catalogo else "",
    }
    if centro is not None:
        campos["origin_x"], campos["origin_y"] = float(centro[0]), float(centro[1])
    elif local:
        campos["origin_from_data"] = 1
    return campos


def _sin_opciones_de_mas(funcion: Any, dadas: Dict[str, Any]) -> None:
    """Con una ``transformacion=`` ya hecha, las opciones de ``funcion`` que harían otra
    no se usarían: cada una dada con un valor distinto del suyo por defecto se rechaza."""
    firma = inspect.signature(funcion).parameters
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


def _columnas_entrada(campos: Dict[str, Any]) -> str:
    if campos["kind_a"] == 2 and campos["zone_a"] < 1:
        return "4 columnas (x, y, H, huso)"
    if campos["kind_a"] == 3:
        return "3 columnas (X, Y, Z)"
    return "2 o 3 columnas"


def centro(puntos: Any, origen: Sistema) -> Tuple[float, float]:
    """El centro del rectángulo que encuadra los puntos en ED50 UTM huso 30: el origen
    de la búsqueda de vértices que ``quillon-cli`` toma si no se le da ``--origen``."""
    campos = _ejecucion(origen, ("ED50", "utm", 30))
    x_min, x_max, y_min, y_max, cuenta = extension(np.asarray(puntos, dtype=np.float64), campos)
    if cuenta == 0:
        raise ValueError("ningún punto válido del que tomar el centro")
    return ((x_min + x_max) * 0.5, (y_min + y_max) * 0.5)


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
        parametros: str = "nacionales",
        seleccion: Optional[float] = None,
        centro: Optional[Tuple[float, float]] = None,
        modelo: str = "helmert",
        hilos: int = 0,
        solo_region: bool = True,
        alturas_ortometricas: bool = False,
        rejilla: Optional[str] = None,
        geoide: Optional[str] = None,
        catalogo: Optional[str] = None,
    ) -> None:
        if parametros in ("distancia", "vecinos") and centro is None:
            raise ValueError(
                f"con parametros='{parametros}' hace falta centro (véase quillon.centro)"
            )
        self._campos = _ejecucion(
            origen, destino, parametros, seleccion, centro, modelo,
            alturas_ortometricas, rejilla, geoide, hilos, catalogo,
        )
        self.origen = tuple(origen)
        self.destino = tuple(destino)
        self.hilos = int(hilos)
        self.solo_region = bool(solo_region)
        self._preparada = Preparada(self._campos)

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
        self, puntos: Any, incertidumbre: Literal[False] = ...
    ) -> Tuple[np.ndarray, np.ndarray]: ...

    @overload
    def transformar(
        self, puntos: Any, incertidumbre: Literal[True]
    ) -> Tuple[np.ndarray, np.ndarray, np.ndarray]: ...

    def transformar(self, puntos: Any, incertidumbre: bool = False) -> Tuple[np.ndarray, ...]:
        """Transforma una matriz N×2, N×3 (o N×4 con el huso de cada punto UTM).

        Devuelve ``(salida, estado)``: la salida en float64 con NaN en los puntos no
        transformados, y ``estado`` (int32, valores de ``Estado``) de cada punto. Los
        valores son los que ``quillon-cli txt`` escribe para los mismos puntos. El
        intérprete queda libre (sin GIL) mientras el motor trabaja.

        Con ``incertidumbre=True`` devuelve ``(salida, estado, incertidumbre)``: la
        incertidumbre horizontal al 95 % de cada punto en metros (float64; NaN en los
        puntos no transformados y con un ajuste sin redundancia), la columna que
        ``quillon-cli txt --incertidumbre`` añade.
        """
        matriz = np.asarray(puntos, dtype=np.float64)
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
            modelo=nombres[modelo],
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

    def __getstate__(self) -> Dict[str, Any]:
        return {
            "campos": self._campos,
            "origen": self.origen,
            "destino": self.destino,
            "hilos": self.hilos,
            "solo_region": self.solo_region,
            "preparada": self._preparada.guardar(),
        }

    def __setstate__(self, estado: Dict[str, Any]) -> None:
        self._campos = estado["campos"]
        self.origen = estado["origen"]
        self.destino = estado["destino"]
        self.hilos = estado["hilos"]
        self.solo_region = estado["solo_region"]
        self._preparada = Preparada(self._campos, estado["preparada"])

    def __repr__(self) -> str:
        return f"Transformacion(origen={self.origen!r}, destino={self.destino!r})"


def _procesar(
    formato: int,
    entrada: Union[str, "os.PathLike[str]"],
    salida: Union[str, "os.PathLike[str]"],
    origen: Sistema,
    destino: Sistema,
    parametros: str,
    seleccion: Optional[float],
    centro: Optional[Tuple[float, float]],
    modelo: str,
    registro: Optional[Union[str, "os.PathLike[str]"]],
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
    entrada, salida = os.fspath(entrada), os.fspath(salida)
    registro = os.fspath(registro) if registro is not None else salida + ".log"
    codigo, mensaje, rechazadas, escrito = procesar_archivo(
        formato, entrada, salida, registro, campos
    )
    if codigo != 0:
        error = ErrorQuillon(mensaje)
        error.codigo = codigo
        error.registro = registro if escrito else None
        raise error
    return ResultadoArchivo(salida=salida, registro=registro, rechazadas=rechazadas)


def procesar_txt(
    entrada: Union[str, "os.PathLike[str]"],
    salida: Union[str, "os.PathLike[str]"],
    origen: Sistema,
    destino: Sistema,
    parametros: str = "nacionales",
    seleccion: Optional[float] = None,
    centro: Optional[Tuple[float, float]] = None,
    modelo: str = "helmert",
    registro: Optional[Union[str, "os.PathLike[str]"]] = None,
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
        ARCHIVO_TXT, entrada, salida, origen, destino, parametros, seleccion, centro,
        modelo, registro, alturas_ortometricas, rejilla, geoide, solo_region, catalogo,
    )


def procesar_dxf(
    entrada: Union[str, "os.PathLike[str]"],
    salida: Union[str, "os.PathLike[str]"],
    origen: Sistema,
    destino: Sistema,
    parametros: str = "nacionales",
    seleccion: Optional[float] = None,
    centro: Optional[Tuple[float, float]] = None,
    modelo: str = "helmert",
    registro: Optional[Union[str, "os.PathLike[str]"]] = None,
    alturas_ortometricas: bool = False,
    rejilla: Optional[str] = None,
    geoide: Optional[str] = None,
    solo_region: bool = True,
    catalogo: Optional[str] = None,
) -> ResultadoArchivo:
    """Transforma un dibujo DXF como ``quillon-cli dxf`` (véase ``procesar_txt``)."""
    return _procesar(
        ARCHIVO_DXF, entrada, salida, origen, destino, parametros, seleccion, centro,
        modelo, registro, alturas_ortometricas, rejilla, geoide, solo_region, catalogo,
    )
