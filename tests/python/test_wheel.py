"""The package as a Python user installs it: a wheel built from a copy of the source
tree with `python3 -m build --wheel --no-isolation`, installed with `pip install
--no-index --no-build-isolation` into a fresh virtual environment (made with
--system-site-packages, for Debian's NumPy and GeoPandas), where the array, GeoPandas and
parameter examples run with the wheel's own engine library, grid and geoid. Nothing is
downloaded; everything is built and installed in a temporary folder."""

import os
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path

from conftest import SOURCE

EXAMPLES = r'''
import numpy as np, quillon, quillon.geopandas, geopandas
from shapely.geometry import Polygon
assert "site-packages" in quillon.__file__, quillon.__file__
t = quillon.Transformacion("EPSG:23030", "EPSG:25830", parametros="vecinos", seleccion=5,
                           centro=(370000, 4150000))
salida, estado = t.transformar(np.array([[235171.041, 4142124.422, 42.0]]))
print(salida.round(3).tolist(), int(estado[0]), round(t.parametros.error_ajuste, 3))
rejilla, _ = quillon.Transformacion("EPSG:23030", "EPSG:25830+5782", parametros="rejilla").transformar(
    np.array([[370000.0, 4100000.0, 400.0]]))
print(rejilla.round(3).tolist())
capa = geopandas.GeoDataFrame({"parcela": [7]}, crs="EPSG:23030", geometry=[
    Polygon([(370000, 4100000), (370200, 4100000), (370200, 4100150), (370000, 4100000)])])
nueva = quillon.geopandas.transformar(capa)
print(nueva.crs.to_epsg(), [(round(x, 3), round(y, 3)) for x, y in nueva.geometry[0].exterior.coords][0])
n = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30)).parametros
print([round(v, 3) for v in (n.tx, n.ty, n.tz, n.rx, n.ry, n.rz, n.ds)], quillon.__version__)
'''


def run(*args, **kwargs):
    result = subprocess.run([str(a) for a in args], capture_output=True, text=True, **kwargs)
    assert result.returncode == 0, result.stdout[-4000:] + result.stderr[-4000:]
    return result.stdout


def test_a_wheel_installs_into_a_fresh_environment_and_runs_the_examples(tmp_path):
    # A copy of the tree: the build leaves nothing in the repository.
    source = tmp_path / "fuente"
    shutil.copytree(SOURCE, source, ignore=shutil.ignore_patterns(
        "build", "build-*", ".git", "__pycache__", "*.so"))
    environment = dict(os.environ, CCACHE_BASEDIR=str(tmp_path), PYTHONDONTWRITEBYTECODE="1")
    environment.pop("QUILLON_PYTHON_DIR", None)
    environment.pop("PYTHONPATH", None)
    run("/usr/bin/python3", "-m", "build", "--wheel", "--no-isolation", "--outdir", tmp_path / "dist",
        source, cwd=tmp_path, env=environment)
    wheel, = (tmp_path / "dist").glob("quillon-*.whl")
    names = zipfile.ZipFile(wheel).namelist()
    for member in ("quillon/__init__.py", "quillon/py.typed", "quillon/lib/libdezadiravevava.so.1",
                   "quillon/share/dezadiravevava/SPED2ETV2.gsb",
                   "quillon/share/dezadiravevava/EGM08_REDNAP.gtx"):
        assert member in names, names

    venv = tmp_path / "entorno"
    run("/usr/bin/python3", "-m", "venv", "--system-site-packages", venv, env=environment)
    python = venv / "bin" / "python"
    run(python, "-m", "pip", "install", "--no-index", "--no-build-isolation", wheel, env=environment)
    # Run from elsewhere than the build tree, with the tree and its build gone.
    shutil.rmtree(source)
    output = run(python, "-c", EXAMPLES, cwd=tmp_path, env=environment).splitlines()
    assert output[0] == "[[235059.028, 4141919.568, 42.0]] 0 0.064"
    assert output[1] == "[[369887.56, 4099794.554, 400.0]]"  # the grid and geoid of the wheel
    assert output[2] == "25830 (369888.142, 4099794.042)"
    assert output[3] == f"[-131.0, -100.3, -163.4, -1.244, -0.02, -1.144, 9.39] {version()}"


def version():
    text = (SOURCE / "CMakeLists.txt").read_text()
    return text.split("project(Quillon", 1)[1].split("VERSION", 1)[1].split()[0]
