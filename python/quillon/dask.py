"""Tablas de puntos de Dask, repartidas entre los procesos o las máquinas de un clúster.

    from dask.distributed import Client
    import dask.dataframe as dd, quillon.dask
    client = Client("tcp://planificador.ejemplo:8786")
    puntos = dd.read_csv("archivo/hoja_*.csv")             # columnas x, y, h
    nuevos = quillon.dask.transformar(puntos, columnas=("x", "y", "h"),
                                      origen=("ED50", "utm", 30), destino=("ETRS89", "utm", 30),
                                      parametros="vecinos", seleccion=10)
    nuevos.to_csv("etrs89/hoja_*.csv")

Los parámetros se estiman una sola vez, en el cliente; el conjunto preparado viaja a
los trabajadores una vez (una ``Transformacion`` se copia con pickle sin estimarse de
nuevo) y cada partición se transforma con él: el resultado es el mismo, bit a bit, que
el de un solo proceso sobre la tabla entera.
"""

from __future__ import annotations

from typing import Any, Dict, List, Optional, Sequence, Tuple

import numpy as np
import pandas as pd

from . import (
    EleccionParametros,
    Modelo,
    Sistema,
    Transformacion,
    _canonico,
    _ejecucion,
    _sin_opciones_de_mas,
    _NOMBRES_PARAMETROS,
    _PARAMETROS,
)
from . import centro as _centro_puntos
from ._quillon import extension as _extension

__all__ = ["centro", "transformar"]


def _extension_particion(particion: pd.DataFrame, columnas: Sequence[str], campos: Dict[str, Any]) -> pd.DataFrame:
    puntos = particion[list(columnas)].to_numpy(dtype=np.float64)
    x_min, x_max, y_min, y_max, cuenta = _extension(puntos, campos)
    return pd.DataFrame(
        {"x_min": [x_min], "x_max": [x_max], "y_min": [y_min], "y_max": [y_max], "cuenta": [cuenta]}
    )


def centro(ddf: Any, columnas: Sequence[str], origen: Sistema) -> Tuple[float, float]:
    """El centro del rectángulo que encuadra los puntos de todas las particiones en
    ED50 UTM huso 30: el de ``quillon.centro`` sobre la tabla entera."""
    if isinstance(ddf, pd.DataFrame):
        return _centro_tabla_en_memoria(ddf, columnas, origen)
    campos = _ejecucion(origen, ("ED50", "utm", 30))
    meta = pd.DataFrame(
        {
            "x_min": pd.Series(dtype="float64"),
            "x_max": pd.Series(dtype="float64"),
            "y_min": pd.Series(dtype="float64"),
            "y_max": pd.Series(dtype="float64"),
            "cuenta": pd.Series(dtype="int64"),
        }
    )
    partes = ddf.map_partitions(_extension_particion, list(columnas), campos, meta=meta).compute()
    if partes["cuenta"].sum() == 0:
        raise ValueError("ningún punto válido del que tomar el centro")
    return (
        (partes["x_min"].min() + partes["x_max"].max()) * 0.5,
        (partes["y_min"].min() + partes["y_max"].max()) * 0.5,
    )


_centro_de_la_tabla = centro


def _centro_tabla_en_memoria(
    tabla: pd.DataFrame, columnas: Sequence[str], origen: Sistema
) -> Tuple[float, float]:
    return _centro_puntos(tabla[list(columnas)].to_numpy(dtype=np.float64), origen)


def _transformar_particion(
    particion: pd.DataFrame,
    transformacion: Transformacion,
    columnas: Sequence[str],
    salida: Sequence[str],
    estado: Optional[str],
) -> pd.DataFrame:
    puntos = particion[list(columnas)].to_numpy(dtype=np.float64)
    nuevos, codigos = transformacion.transformar(puntos)
    resultado = particion.copy()
    bien = codigos == 0
    for k, nombre in enumerate(salida):
        if nombre in particion.columns:
            # A row that is not transformed keeps its input; its status says why.
            anteriores = particion[nombre].to_numpy(dtype=np.float64)
            resultado[nombre] = np.where(bien, nuevos[:, k], anteriores)
        else:
            resultado[nombre] = nuevos[:, k]
    if estado:
        resultado[estado] = codigos
    return resultado


def transformar(
    ddf: Any,
    columnas: Sequence[str] = ("x", "y", "h"),
    origen: Sistema = ("ED50", "utm", 30),
    destino: Sistema = ("ETRS89", "utm", 30),
    parametros: EleccionParametros = "nacionales",
    seleccion: Optional[float] = None,
    centro: Optional[Tuple[float, float]] = None,
    modelo: Modelo = "helmert",
    solo_region: bool = True,
    transformacion: Optional[Transformacion] = None,
    columnas_salida: Optional[Sequence[str]] = None,
    estado: Optional[str] = "estado",
) -> Any:
    """Un DataFrame de Dask (o de pandas, si se da uno de pandas) con las ``columnas``
    de cada partición transformadas; las filas no transformadas conservan sus valores de
    entrada y la columna ``estado`` dice por qué. Dadas columnas sueltas, ``(x, y[, z])``
    como Series de pandas o de Dask, devuelve ``(x, y[, z][, huso], estado)``, Series del
    mismo tipo (con sus nombres y su índice).

    ``columnas``: las coordenadas (2 o 3 nombres, o 4 con el huso de cada punto de una
    entrada UTM sin huso). Los resultados sustituyen a esas columnas, o van a
    ``columnas_salida`` (con una más, el huso, si el destino es UTM sin huso), y la
    columna ``estado`` recibe el ``quillon.Estado`` de cada punto (``None``: sin ella).
    Para una transformación local sin ``centro``, la búsqueda se centra en el
    rectángulo que encuadra todos los puntos (una pasada previa por los datos), como
    hace ``quillon-cli``. ``solo_region`` (por defecto True): los puntos fuera de
    Andalucía no se transforman (``Estado.FUERA_DE_REGION``). Con ``transformacion`` se
    usa esa, y dar además otra opción de la transformación lanza ValueError. Cada partición se transforma en un hilo del
    trabajador: el paralelismo es el del clúster.
    """
    if isinstance(ddf, (tuple, list)):
        return _transformar_series(
            list(ddf), origen=origen, destino=destino, parametros=parametros,
            seleccion=seleccion, centro=centro, modelo=modelo, solo_region=solo_region,
            transformacion=transformacion,
        )
    columnas = list(columnas)
    en_memoria = isinstance(ddf, pd.DataFrame)
    if not en_memoria and not hasattr(ddf, "map_partitions"):
        raise TypeError(
            f"se espera un DataFrame de pandas o de Dask, no {type(ddf).__name__}"
        )
    if transformacion is not None:
        _sin_opciones_de_mas(transformar, dict(
            origen=origen, destino=destino, parametros=parametros, seleccion=seleccion,
            centro=centro, modelo=modelo, solo_region=solo_region,
        ))
    else:
        if _canonico(parametros, _PARAMETROS, _NOMBRES_PARAMETROS) in ("distancia", "vecinos") \
                and centro is None:
            centro = (
                _centro_tabla_en_memoria(ddf, columnas, origen) if en_memoria
                else _centro_de_la_tabla(ddf, columnas, origen)
            )
        transformacion = Transformacion(
            origen, destino, parametros=parametros, seleccion=seleccion, centro=centro,
            modelo=modelo, hilos=1, solo_region=solo_region,
        )
    n_salida = transformacion.columnas_salida(len(columnas))
    if columnas_salida is None:
        columnas_salida = columnas[:3][:n_salida]
        if n_salida > len(columnas_salida):
            columnas_salida = columnas_salida + ["huso"]
    columnas_salida = list(columnas_salida)
    if len(columnas_salida) != n_salida:
        raise ValueError(
            f"esta transformación da {n_salida} columnas y columnas_salida nombra "
            f"{len(columnas_salida)}"
        )
    if en_memoria:
        return _transformar_particion(ddf, transformacion, columnas, columnas_salida, estado)
    import dask

    meta = ddf._meta.copy()
    for nombre in columnas_salida:
        meta[nombre] = pd.Series(dtype="float64")
    if estado:
        meta[estado] = pd.Series(dtype="int32")
    # Una sola copia del conjunto preparado en el grafo: cada trabajador la recibe
    # una vez, no una por partición.
    preparada = dask.delayed(transformacion, pure=True)
    return ddf.map_partitions(
        _transformar_particion, preparada, columnas, columnas_salida, estado, meta=meta
    )


_SUELTAS = ["x", "y", "h", "huso_entrada"]


def _transformar_series(series: List[Any], **opciones: Any) -> Tuple[Any, ...]:
    """transformar on separate Series: put together as one table, split again."""
    if len(series) not in (2, 3, 4):
        raise ValueError("se esperan 2, 3 o 4 Series: x, y[, z[, huso]]")
    nombres = _SUELTAS[: len(series)]
    if all(isinstance(s, pd.Series) for s in series):
        tabla = pd.concat([s.rename(n) for s, n in zip(series, nombres)], axis=1)
    else:
        import dask.dataframe as dd

        tabla = dd.concat([s.rename(n) for s, n in zip(series, nombres)], axis=1)
    resultado = transformar(tabla, columnas=nombres, estado="estado", **opciones)
    originales = dict(zip(nombres, (s.name for s in series)))
    salida = [c for c in ("x", "y", "h", "huso") if c in resultado.columns]
    return tuple(
        resultado[c].rename(originales.get(c) if originales.get(c) is not None else c)
        for c in salida
    ) + (resultado["estado"],)
