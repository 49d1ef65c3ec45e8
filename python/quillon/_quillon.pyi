# Type stubs of the compiled part of the package (quillon_module.cpp).
from typing import Any, Dict, List, Optional, Tuple

import numpy as np
from numpy.typing import NDArray

ARCHIVO_TXT: int
ARCHIVO_DXF: int
VERSION: str

class ErrorQuillon(RuntimeError):
    """Un fallo del motor, con su mensaje en español."""

    codigo: int
    registro: str | None

class Preparada:
    def __init__(self, ejecucion: Dict[str, Any], guardada: bytes = ...) -> None: ...
    def transformar(
        self,
        puntos: NDArray[np.float64],
        columnas_salida: int,
        hilos: int,
        solo_region: bool,
        incertidumbre: bool = ...,
    ) -> Tuple[NDArray[np.float64], ...]: ...
    def transformar_wkb(
        self, geometrias: List[Optional[bytes]], hilos: int, solo_region: bool
    ) -> Tuple[
        List[Optional[bytes]],
        NDArray[np.int32],
        int,
        List[Tuple[int, int, float, float, float]],
    ]: ...
    def parametros(
        self,
    ) -> Tuple[
        int,
        Tuple[float, ...],
        Tuple[float, float, float],
        Tuple[float, float, float],
        float,
        str,
        List[Tuple[int, str, bool, float, float, float, float, float, float]],
        Tuple[float, ...],
        Tuple[float, float, float],
        str,
    ]: ...
    def guardar(self) -> bytes: ...

def extension(
    puntos: NDArray[np.float64], ejecucion: Dict[str, Any]
) -> Tuple[float, float, float, float, int]: ...
def procesar_archivo(
    formato: int, entrada: str, salida: str, registro: str, ejecucion: Dict[str, Any]
) -> Tuple[int, str, int, bool]: ...
def lado_epsg(codigo: str) -> Optional[Tuple[int, int, int, bool]]: ...
def comprobar(ejecucion: Dict[str, Any], hilos: int) -> str: ...
def vertices_wkb(geometrias: List[Optional[bytes]]) -> NDArray[np.float64]: ...
