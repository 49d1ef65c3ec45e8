"""Capas de GeoPandas de ED50 a ETRS89 (o al revés) con el motor de Quillon.

    import geopandas, quillon.geopandas
    capa = geopandas.read_file("parcelas_ed50.gpkg")          # EPSG:23030
    nueva = quillon.geopandas.transformar(capa, destino=("ETRS89", "utm", 30))
    nueva.to_file("parcelas_etrs89.gpkg")                     # EPSG:25830

Cada vértice de cada geometría (puntos, líneas, anillos exteriores e interiores de
polígonos, partes de geometrías múltiples) pasa por ``Transformacion.transformar``; la
capa devuelta lleva el sistema de destino (EPSG:25829, 25830, 25831 o 4258).
"""

from __future__ import annotations

from typing import Any, Dict, List, Optional, Tuple

import numpy as np

from . import ErrorQuillon, Estado, Sistema, Transformacion, _sin_opciones_de_mas
from . import centro as _centro

__all__ = ["sistema_de_crs", "transformar"]

# Sistemas de Quillon por código EPSG.
_SISTEMAS: Dict[int, Sistema] = {
    4230: ("ED50", "geodesicas"),
    4258: ("ETRS89", "geodesicas"),
    23029: ("ED50", "utm", 29),
    23030: ("ED50", "utm", 30),
    23031: ("ED50", "utm", 31),
    25829: ("ETRS89", "utm", 29),
    25830: ("ETRS89", "utm", 30),
    25831: ("ETRS89", "utm", 31),
}


def sistema_de_crs(crs: Any) -> Sistema:
    """El sistema de Quillon de un CRS de la capa (ED50 o ETRS89, geodésicas o UTM
    29 a 31); ValueError si no es uno de ellos."""
    epsg = crs.to_epsg() if crs is not None else None
    if epsg not in _SISTEMAS:
        raise ValueError(
            f"el CRS de la capa ({crs}) no es ED50 ni ETRS89 en geodésicas o UTM 29-31; "
            "indique origen=(datum, tipo, huso)"
        )
    return _SISTEMAS[epsg]


def _coordenadas(geometrias: List[Any]) -> Tuple[np.ndarray, bool]:
    """Todas las coordenadas de las geometrías en una matriz, en el orden en que
    ``_reconstruir`` las recorre, y si llevan altura."""
    tiene_z = any(g is not None and not g.is_empty and g.has_z for g in geometrias)
    partes: List[np.ndarray] = []

    def recoger(g: Any) -> None:
        if g is None or g.is_empty:
            return
        tipo = g.geom_type
        if tipo.startswith("Multi") or tipo == "GeometryCollection":
            for parte in g.geoms:
                recoger(parte)
        elif tipo == "Polygon":
            recoger(g.exterior)
            for anillo in g.interiors:
                recoger(anillo)
        else:
            partes.append(np.asarray(g.coords, dtype=np.float64).reshape(-1, 3 if g.has_z else 2))

    for g in geometrias:
        recoger(g)
    columnas = 3 if tiene_z else 2
    if not partes:
        return np.empty((0, columnas)), tiene_z
    if tiene_z:
        # Una parte sin altura entra con altura 0.
        partes = [p if p.shape[1] == 3 else np.column_stack([p, np.zeros(len(p))]) for p in partes]
    return np.concatenate(partes), tiene_z


def _reconstruir(geometrias: List[Any], nuevas: np.ndarray) -> List[Any]:
    """Las geometrías con sus coordenadas tomadas, por orden, de ``nuevas``."""
    from shapely import geometry as sg

    posicion = 0

    def tomar(n: int) -> np.ndarray:
        nonlocal posicion
        bloque = nuevas[posicion : posicion + n]
        posicion += n
        return bloque

    def rehacer(g: Any) -> Any:
        if g is None or g.is_empty:
            return g
        tipo = g.geom_type
        if tipo == "Point":
            return sg.Point(tomar(1)[0])
        if tipo == "LineString":
            return sg.LineString(tomar(len(g.coords)))
        if tipo == "LinearRing":
            return sg.LinearRing(tomar(len(g.coords)))
        if tipo == "Polygon":
            exterior = tomar(len(g.exterior.coords))
            interiores = [tomar(len(anillo.coords)) for anillo in g.interiors]
            return sg.Polygon(exterior, interiores)
        if tipo == "MultiPoint":
            return sg.MultiPoint([rehacer(p) for p in g.geoms])
        if tipo == "MultiLineString":
            return sg.MultiLineString([rehacer(p) for p in g.geoms])
        if tipo == "MultiPolygon":
            return sg.MultiPolygon([rehacer(p) for p in g.geoms])
        if tipo == "GeometryCollection":
            return sg.GeometryCollection([rehacer(p) for p in g.geoms])
        raise ValueError(f"geometría no admitida: {tipo}")

    resultado = [rehacer(g) for g in geometrias]
    assert posicion == len(nuevas)
    return resultado


def transformar(
    gdf: Any,
    destino: Sistema = ("ETRS89", "utm", 30),
    origen: Optional[Sistema] = None,
    parametros: str = "nacionales",
    seleccion: Optional[float] = None,
    centro: Optional[Tuple[float, float]] = None,
    modelo: str = "helmert",
    solo_region: bool = True,
    transformacion: Optional[Transformacion] = None,
) -> Any:
    """Una copia de la capa ``gdf`` con cada vértice transformado y el CRS de destino.

    ``origen`` se toma del CRS de la capa si no se da. ``destino`` es geodésicas o UTM
    con huso fijo (una capa tiene un solo CRS). Para una transformación local
    (``parametros="vecinos"`` o ``"distancia"``) sin ``centro``, la búsqueda de vértices
    se centra en el rectángulo que encuadra todos los vértices de la capa, como hace
    ``quillon-cli``. ``solo_region`` (por defecto True): un vértice fuera de Andalucía
    no se transforma. Con ``transformacion`` se usa esa (ya preparada), y dar además
    otra opción de la transformación lanza ValueError. Si algún vértice no se puede
    transformar, lanza ``ErrorQuillon`` y no devuelve una capa a medias.
    """
    geometrias = list(gdf.geometry)
    coordenadas, tiene_z = _coordenadas(geometrias)
    if transformacion is not None:
        _sin_opciones_de_mas(transformar, dict(
            destino=destino, origen=origen, parametros=parametros, seleccion=seleccion,
            centro=centro, modelo=modelo, solo_region=solo_region,
        ))
    else:
        origen = origen if origen is not None else sistema_de_crs(gdf.crs)
        if parametros in ("distancia", "vecinos") and centro is None:
            centro = _centro(coordenadas, origen)
        transformacion = Transformacion(
            origen, destino, parametros=parametros, seleccion=seleccion, centro=centro,
            modelo=modelo, solo_region=solo_region,
        )
    epsg = transformacion.epsg_destino
    if epsg is None:
        raise ValueError(
            "una capa necesita un destino de un solo CRS: geodésicas, o UTM con huso fijo"
        )
    salida, estado = transformacion.transformar(coordenadas)
    malos = np.flatnonzero(estado != Estado.TRANSFORMADO)
    if len(malos):
        primero = Estado(int(estado[malos[0]])).name
        raise ErrorQuillon(
            f"{len(malos)} vértices no se han podido transformar (el primero, "
            f"{coordenadas[malos[0]].tolist()}: {primero})"
        )
    if not tiene_z:
        salida = salida[:, :2]
    nueva = gdf.copy()
    nueva = nueva.set_geometry(
        type(gdf.geometry)(_reconstruir(geometrias, salida), index=gdf.index), crs=None
    )
    return nueva.set_crs(epsg=epsg, allow_override=True)
