# Type stubs of the compiled part of the package (quillon_module.cpp).
from typing import Any, Dict, List, Tuple

import numpy as np

ARCHIVO_TXT: int
ARCHIVO_DXF: int

class ErrorQuillon(RuntimeError):
    """Un fallo del motor, con su mensaje en español."""

    codigo: int
    registro: str | None

class Preparada:
    def __init__(self, ejecucion: Dict[str, Any], guardada: bytes = ...) -> None: ...
    def transformar(
        self,
        puntos: np.ndarray,
        columnas_salida: int,
        hilos: int,
        solo_region: bool,
        incertidumbre: bool = ...,
    ) -> Tuple[np.ndarray, ...]: ...
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
    puntos: np.ndarray, ejecucion: Dict[str, Any]
) -> Tuple[float, float, float, float, int]: ...
def procesar_archivo(
    formato: int, entrada: str, salida: str, registro: str, ejecucion: Dict[str, Any]
) -> Tuple[int, str, int, bool]: ...
