"""Builds the quillon package with the project's CMake: the engine library and the
extension module, the library in quillon/lib (the module's run path points there) and
the IGN grid, the geoid and the vertex catalogue in quillon/share/dezadiravevava, where
the library looks for them beside itself. Needs cmake, a C++20 compiler and
pybind11's CMake files (Debian: cmake, g++, pybind11-dev, python3-dev)."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
VERSION = re.search(r"project\(Quillon\s+VERSION\s+([0-9.]+)",
                    (ROOT / "CMakeLists.txt").read_text()).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext: Extension) -> None:
        target = Path(self.get_ext_fullpath(ext.name)).resolve()
        package = target.parent
        build = Path(self.build_temp).resolve() / "cmake"
        configure = [
            "cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
            "-DQUILLON_BUILD_TESTS=OFF", "-DQUILLON_BUILD_FRONTEND=OFF",
            "-DQUILLON_PYTHON_BUNDLE=ON", "-DQUILLON_SOURCE_DATA_DIR=",
            f"-DPython3_EXECUTABLE={sys.executable}",
        ]
        if shutil.which("ninja"):
            configure += ["-G", "Ninja"]
        if shutil.which("ccache"):
            configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(["cmake", "--build", str(build), "--target", "_quillon", "-j", jobs],
                       check=True)
        module = next((build / "python" / "quillon").glob("_quillon*.so"))
        package.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(module, target)
        library = f"libdezadiravevava.so.{VERSION.split('.')[0]}"
        (package / "lib").mkdir(exist_ok=True)
        shutil.copyfile((build / "engine" / library).resolve(), package / "lib" / library)
        share = package / "share" / "dezadiravevava"
        share.mkdir(parents=True, exist_ok=True)
        for name in ("ign/SPED2ETV2.gsb", "ign/EGM08_REDNAP.gtx", "ign/README.md",
                     "vertex_catalogue.tsv"):
            shutil.copyfile(ROOT / "data" / name, share / Path(name).name)


setup(
    version=VERSION,
    ext_modules=[Extension("quillon._quillon", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)
