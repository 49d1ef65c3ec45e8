"""mypy --strict on the package as built, on the Python examples of README.md and
docs/python.md, and on mistakes its types must catch (a misspelt name, a tuple where an
array is returned), with the project's mypy settings (pyproject.toml)."""

import os
import re
import subprocess
from pathlib import Path

import pytest

from conftest import SOURCE

PACKAGE_DIR = Path(os.environ.get("QUILLON_PYTHON_DIR", SOURCE / "build" / "release" / "python")).resolve()


def mypy(*args, cwd):
    return subprocess.run(["mypy", "--config-file", str(SOURCE / "pyproject.toml"), *map(str, args)],
                          capture_output=True, text=True, cwd=cwd,
                          env=dict(os.environ, MYPYPATH=str(PACKAGE_DIR)))


def examples():
    """The Python of every pycon and python block of the pages, one function each."""
    functions = []
    for page in (SOURCE / "README.md", SOURCE / "docs" / "python.md"):
        for kind, body in re.findall(r"```(pycon|python)\n(.*?)```", page.read_text(), re.S):
            lines = [line if kind == "python" else line[4:] for line in body.splitlines()
                     if kind == "python" or line.startswith((">>> ", "... "))]
            functions.append(f"def example_{len(functions)}() -> None:\n"
                             + "".join(f"    {line}\n" for line in lines))
    return "\n".join(functions)


def test_the_package_is_clean_under_strict_mypy(tmp_path):
    result = mypy("--cache-dir", tmp_path / "cache", "-p", "quillon", cwd=tmp_path)
    assert result.returncode == 0, result.stdout


PROGRAMS = [
    ("the examples of the pages", None, ""),
    ("a misspelt choice", 'quillon.Transformacion("EPSG:23030", "EPSG:25830", parametros="vecino")',
     "parametros"),
    ("a misspelt model", 'quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30), '
                         'parametros="vecinos", seleccion=5, centro=(370000, 4150000), modelo="afinn")',
     "modelo"),
    ("a misspelt kind", 'quillon.Transformacion(("ED50", "geodesics"), ("ETRS89", "utm", 30))', "Transformacion"),
    ("arrays are float64 arrays",
     'salida: "list[float]" = quillon.Transformacion(23030, 25830).transformar([[1.0, 2.0]])[0]',
     "incompatible types"),
]


@pytest.mark.parametrize("name,program,error", PROGRAMS, ids=[p[0] for p in PROGRAMS])
def test_types_pass_the_examples_and_catch_mistakes(tmp_path, name, program, error):
    text = examples() if program is None else f"import quillon\n{program}\n"
    (tmp_path / "programa.py").write_text(text)
    result = mypy("--cache-dir", tmp_path / "cache", "programa.py", cwd=tmp_path)
    if not error:
        assert result.returncode == 0, result.stdout
    else:
        assert result.returncode == 1 and error.lower() in result.stdout.lower(), result.stdout
