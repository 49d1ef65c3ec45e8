"""What the Python tests share: the package under test (from the build folder), the
quillon-cli of the same build, the sample and reference data, and the engine's own
rule for writing numbers, to compare with quillon-cli to the last written decimal."""

import math
import os
import subprocess
import sys
from fractions import Fraction
from pathlib import Path

import numpy as np
import pytest

# The build puts the package in QUILLON_PYTHON_DIR; CTest sets it.
if os.environ.get("QUILLON_PYTHON_DIR"):
    sys.path.insert(0, os.environ["QUILLON_PYTHON_DIR"])

SOURCE = Path(__file__).resolve().parents[2]
DATA = SOURCE / "data"
REFERENCE = SOURCE / "tests" / "data"


@pytest.fixture(scope="session")
def cli() -> str:
    path = os.environ.get("QUILLON_CLI")
    assert path and os.access(path, os.X_OK), "QUILLON_CLI must name the quillon-cli under test"
    return path


def run_cli(cli: str, *args: str) -> subprocess.CompletedProcess:
    return subprocess.run([cli, *map(str, args)], capture_output=True, text=True, check=False)


_HALF_UNIT = [0.5, 0.05, 5e-3, 5e-4, 5e-5, 5e-6, 5e-7, 5e-8, 5e-9, 5e-10, 5e-11, 5e-12, 5e-13]


def engine_fixed(value: float, decimals: int) -> str:
    """A number as the engine writes it into a point file: half a unit of the last
    decimal is added in double precision and the digits are then truncated; the full
    stop is always written ("30.")."""
    if math.isnan(value):
        return "NAN"
    sign = ""
    if value < 0:
        sign, value = "-", -value
    if value > 1e8:
        return sign + "INF"
    rounded = value + _HALF_UNIT[decimals]
    whole = math.trunc(rounded)
    if decimals == 0:
        return f"{sign}{whole}."
    digits = math.floor(Fraction(rounded - whole) * 10**decimals)
    return f"{sign}{whole}.{digits:0{decimals}d}"


def point_line(number: int, values: np.ndarray, kind: str) -> str:
    """The output line of a point file: number, coordinates and, for UTM, the zone."""
    decimals = 12 if kind == "geodesicas" else 3
    fields = [str(number)] + [engine_fixed(float(v), decimals) for v in values[:3]]
    if kind == "utm":
        fields.append(engine_fixed(float(values[3]), 0))
    return "\t".join(fields)


def read_point_file(path: Path, columns: int):
    """Point numbers and coordinates of a TXT point file (title skipped)."""
    numbers, rows = [], []
    for line in path.read_text(encoding="cp1252").splitlines()[1:]:
        fields = line.split("\t")
        numbers.append(int(fields[0]))
        rows.append([float(f) for f in fields[1 : 1 + columns]])
    return numbers, np.array(rows, dtype=np.float64)


def write_point_file(path: Path, title: str, numbers, rows) -> None:
    lines = [title] + ["\t".join([str(n)] + [repr(float(v)) for v in row]) for n, row in zip(numbers, rows)]
    path.write_bytes(("\r\n".join(lines) + "\r\n").encode("cp1252"))


def read_reference(name: str):
    """A table of tests/data: column names, then rows of numbers."""
    header, rows = None, []
    for line in (REFERENCE / name).read_text().splitlines():
        if not line or line.startswith("#"):
            continue
        if header is None:
            header = line.split()
            continue
        rows.append([float(v) for v in line.split()])
    table = np.array(rows)
    return {name: table[:, k] for k, name in enumerate(header)}
