"""Capas de GeoPandas de ED50 a ETRS89 (o al revés) con el motor de Quillon.

    import geopandas, quillon.geopandas
    capa = geopandas.read_file("parcelas_ed50.gpkg")          # EPSG:23030
    nueva = quillon.geopandas.transformar(capa, "EPSG:25830")
    nueva.to_file("parcelas_etrs89.gpkg")                     # EPSG:25830

Las geometrías salen de Python una sola vez (WKB), el motor mueve cada vértice (puntos,
líneas, anillos exteriores e interiores de polígonos, partes de geometrías múltiples)
en C++ y las geometrías se rehacen una vez; cada una conserva su dimensión (2D o 3D).
La capa devuelta lleva el sistema de destino (EPSG:25829, 25830, 25831 o 4258).
"""

from __future__ import annotations

from typing import Any, List, Literal, Optional, Tuple

from . import (
    ErrorQuillon,
    EleccionParametros,
    Estado,
    Modelo,
    Sistema,
    Transformacion,
    _canonico,
    _sin_opciones_de_mas,
    _sistema,
    _NOMBRES_PARAMETROS,
    _PARAMETROS,
)
from . import centro as _centro
from ._quillon import vertices_wkb as _vertices_wkb

__all__ = ["sistema_de_crs", "transformar"]

Errores = Literal["lanzar", "marcar"]


def sistema_de_crs(crs: Any) -> Sistema:
    """El sistema de Quillon de un CRS de la capa (ED50 o ETRS89, geodésicas o UTM
    29 a 31, o compuestos con EPSG:5782); ValueError si no es uno de ellos."""
    if crs is None:
        raise ValueError("la capa no tiene CRS; indique origen (p. ej. \"EPSG:23030\")")
    try:
        _sistema(crs, "origen")
    except ValueError:
        raise ValueError(
            f"el CRS de la capa ({crs}) no es ED50 ni ETRS89 en geodésicas o UTM 29-31; "
            "indique origen (p. ej. \"EPSG:23030\" o (datum, tipo, huso))"
        ) from None
    return crs  # type: ignore[no-any-return]


def _a_wkb(geometrias: Any) -> List[Optional[bytes]]:
    """The WKB of each geometry (None for a missing one), heights kept. With Shapely 1.8
    one writer serves the whole layer (GeoSeries.to_wkb makes one per geometry)."""
    try:
        from shapely.geos import WKBWriter, lgeos
    except ImportError:  # Shapely 2: GeoPandas' call is vectorised
        return list(geometrias.to_wkb())
    escritor = WKBWriter(lgeos, output_dimension=3)
    return [None if g is None else escritor.write(g) for g in geometrias.values]


def _de_wkb(wkb: List[Optional[bytes]], indice: Any, crs: str, nombre: Any) -> Any:
    """A GeoSeries of WKB geometries. With Shapely 1.8 one reader serves the whole
    layer, and the geometries go into their array one by one (GeoSeries.from_wkb makes
    a reader per geometry and hands NumPy the whole list, which asks every point for its
    coordinates)."""
    import geopandas
    import numpy as np

    try:
        from shapely.geos import WKBReader, lgeos
    except ImportError:  # Shapely 2
        return geopandas.GeoSeries.from_wkb(wkb, index=indice, crs=crs, name=nombre)
    lector = WKBReader(lgeos)
    geometrias = np.empty(len(wkb), dtype=object)
    for k, g in enumerate(wkb):
        geometrias[k] = None if g is None else lector.read(g)
    return geopandas.GeoSeries(
        geopandas.array.GeometryArray(geometrias, crs=crs), index=indice, name=nombre
    )


def _destino_por_defecto(origen: Sistema) -> Sistema:
    """El otro datum, en el mismo tipo y huso que el origen."""
    lado = _sistema(origen, "origen")
    datum = "ETRS89" if lado.tupla[0] == "ED50" else "ED50"
    if lado.tipo == 2 and lado.huso is not None:
        return (datum, "utm", int(lado.huso))  # type: ignore[return-value]
    return (datum, lado.tupla[1])  # type: ignore[return-value]


def transformar(
    capa: Any,
    destino: Optional[Sistema] = None,
    origen: Optional[Sistema] = None,
    parametros: EleccionParametros = "nacionales",
    seleccion: Optional[float] = None,
    centro: Optional[Tuple[float, float]] = None,
    modelo: Modelo = "helmert",
    solo_region: bool = True,
    transformacion: Optional[Transformacion] = None,
    errores: Errores = "lanzar",
    columna_estado: str = "estado",
) -> Any:
    """Una copia de la capa (GeoDataFrame o GeoSeries) con cada vértice transformado y
    el CRS de destino.

    ``destino`` y ``origen`` se dan como en ``Transformacion`` ("EPSG:25830", 25830, un
    ``pyproj.CRS`` o (datum, tipo[, huso])). ``origen`` se toma del CRS de la capa si no
    se da; sin ``destino``, el del otro datum en el mismo huso (EPSG:23029 → 25829).
    ``destino`` es geodésicas o UTM con huso fijo (una capa tiene un solo CRS). Para una
    transformación local (``parametros="vecinos"`` o ``"distancia"``) sin ``centro``, la
    búsqueda de vértices se centra en el rectángulo que encuadra todos los vértices de
    la capa, como hace ``quillon-cli``. ``solo_region`` (por defecto True): un vértice
    fuera de Andalucía no se transforma. Con ``transformacion`` se usa esa (ya
    preparada), y dar además otra opción de la transformación lanza ValueError.

    Una geometría con algún vértice que no se puede transformar queda como estaba. Con
    ``errores="lanzar"`` (por defecto) eso lanza ``ErrorQuillon``, que nombra las
    primeras filas y el motivo, y no devuelve una capa a medias. Con
    ``errores="marcar"`` devuelve la capa con la columna ``columna_estado``: el
    ``quillon.Estado`` de cada fila (el de su primer vértice no transformado;
    ``TRANSFORMADO`` si todos lo están); una GeoSeries se devuelve entonces como
    GeoDataFrame con esa columna.
    """
    import geopandas

    if errores not in ("lanzar", "marcar"):
        raise ValueError(f"errores: 'lanzar' o 'marcar', no {errores!r}")
    serie = isinstance(capa, geopandas.GeoSeries)
    geometrias = capa if serie else capa.geometry
    wkb = _a_wkb(geometrias)
    if transformacion is not None:
        _sin_opciones_de_mas(transformar, dict(
            destino=destino, origen=origen, parametros=parametros, seleccion=seleccion,
            centro=centro, modelo=modelo, solo_region=solo_region,
        ))
    else:
        if origen is None:
            origen = sistema_de_crs(geometrias.crs)
        if destino is None:
            destino = _destino_por_defecto(origen)
        eleccion = _canonico(parametros, _PARAMETROS, _NOMBRES_PARAMETROS)
        if eleccion in ("distancia", "vecinos") and centro is None:
            centro = _centro(_vertices_wkb(wkb), origen)
        transformacion = Transformacion(
            origen, destino, parametros=parametros, seleccion=seleccion, centro=centro,
            modelo=modelo, solo_region=solo_region,
        )
    epsg = transformacion.epsg_destino
    if epsg is None:
        raise ValueError(
            "una capa necesita un destino de un solo CRS: geodésicas, o UTM con huso fijo"
        )
    nuevas, estado, rechazados, primeros = transformacion._preparada.transformar_wkb(
        wkb, transformacion.hilos, transformacion.solo_region
    )
    malas = int((estado != Estado.TRANSFORMADO).sum())
    if malas and errores == "lanzar":
        primeras = "; ".join(
            f"fila {capa.index[g]!r}, {[x, y, z]}: {Estado(codigo).name}"
            for g, codigo, x, y, z in primeros
        )
        raise ErrorQuillon(
            f"{rechazados} vértices no se han podido transformar (en {malas} geometrías; "
            f"las primeras: {primeras})"
        )
    geometria = _de_wkb(nuevas, geometrias.index, f"EPSG:{epsg}", geometrias.name)
    if serie:
        if errores == "marcar":
            return geopandas.GeoDataFrame(
                {columna_estado: estado}, index=capa.index, geometry=geometria, crs=f"EPSG:{epsg}"
            )
        return geometria
    nueva = capa.copy()
    nueva[capa.geometry.name] = geometria
    nueva = nueva.set_crs(f"EPSG:{epsg}", allow_override=True)
    if errores == "marcar":
        nueva[columna_estado] = estado
    return nueva
