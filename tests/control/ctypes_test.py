#!/usr/bin/env python3
"""Drives the engine library from Python with ctypes alone, as a script host.

Creates the control by ProgID, runs CentroideTXT, BuscarPuntosPorNumero,
ObtenerPuntoEncontrado and ProcesarTXT on the sample point file by dispatch
identifier, then ProcesarTXT with the IGN grid and orthometric heights set
through properties 21 to 23, and on one thread (property 24), and checks every
result against the engine's C++ functions as quillon-cli runs them.

Usage: ctypes_test.py LIBRARY QUILLON_CLI DATA_DIR
"""
import ctypes
import os
import subprocess
import sys
import tempfile

DZV_OK, DZV_I2, DZV_I4, DZV_R8, DZV_STR = 0, 2, 3, 5, 8


class Union(ctypes.Union):
    _fields_ = [("i2", ctypes.c_int16), ("i4", ctypes.c_int32), ("r8", ctypes.c_double),
                ("str", ctypes.c_char_p)]


class DzvValue(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int32), ("v", Union)]


def value(x):
    out = DzvValue()
    if isinstance(x, str):
        out.type, out.v.str = DZV_STR, x.encode("utf-8")
    elif isinstance(x, int):
        out.type, out.v.i4 = DZV_I4, x
    else:
        out.type, out.v.r8 = DZV_R8, float(x)
    return out


class Transf:
    def __init__(self, library):
        self.lib = ctypes.CDLL(library)
        self.lib.dzv_create.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p)]
        self.lib.dzv_invoke.argtypes = [ctypes.c_void_p, ctypes.c_int32, ctypes.POINTER(DzvValue),
                                        ctypes.c_int32, ctypes.POINTER(DzvValue)]
        self.lib.dzv_get_property.argtypes = [ctypes.c_void_p, ctypes.c_int32,
                                              ctypes.POINTER(DzvValue)]
        self.lib.dzv_put_property.argtypes = [ctypes.c_void_p, ctypes.c_int32,
                                              ctypes.POINTER(DzvValue)]
        self.lib.dzv_get_dispid.argtypes = [ctypes.c_void_p, ctypes.c_char_p,
                                            ctypes.POINTER(ctypes.c_int32)]
        self.lib.dzv_value_clear.argtypes = [ctypes.POINTER(DzvValue)]
        self.lib.dzv_release.argtypes = [ctypes.c_void_p]
        self.handle = ctypes.c_void_p()
        code = self.lib.dzv_create(b"DATUMBOX.TransfCtrl.1", ctypes.byref(self.handle))
        assert code == DZV_OK, f"dzv_create: {code}"

    def dispid(self, name):
        out = ctypes.c_int32()
        assert self.lib.dzv_get_dispid(self.handle, name.encode(), ctypes.byref(out)) == DZV_OK
        return out.value

    def invoke(self, dispid, *args):
        array = (DzvValue * len(args))(*[value(a) for a in args])
        result = DzvValue()
        code = self.lib.dzv_invoke(self.handle, dispid, array, len(args), ctypes.byref(result))
        assert code == DZV_OK, f"dzv_invoke({dispid}): {code}"
        return result.v.i2 if result.type == DZV_I2 else None

    def get(self, dispid):
        result = DzvValue()
        assert self.lib.dzv_get_property(self.handle, dispid, ctypes.byref(result)) == DZV_OK
        if result.type == DZV_STR:
            text = result.v.str.decode("utf-8")
            self.lib.dzv_value_clear(ctypes.byref(result))
            return text
        if result.type == DZV_I2:
            return result.v.i2
        return result.v.r8 if result.type == DZV_R8 else result.v.i4

    def put(self, dispid, x, short=False):
        v = value(x)
        if short:
            v.type, v.v.i2 = DZV_I2, x
        code = self.lib.dzv_put_property(self.handle, dispid, ctypes.byref(v))
        assert code == DZV_OK, f"dzv_put_property({dispid}): {code}"

    def release(self):
        self.lib.dzv_release(self.handle)


def cli(program, *args):
    return subprocess.run([program, *args], check=True, capture_output=True, text=True).stdout


def main():
    library, program, data = sys.argv[1:4]
    sample = os.path.join(data, "muestra_ed50_utm.txt")
    transf = Transf(library)
    assert transf.dispid("centroidetxt") == 16 and transf.dispid("ObtenerPuntoEncontrado") == 19

    # CentroideTXT (16) against the engine's own CentroideTXT.
    assert transf.invoke(16, sample, 14, 2, 0.0) == 1
    got = {name: transf.get(d) for name, d in
           [("centroide_x", 1), ("centroide_y", 2), ("x_min", 3), ("x_max", 4), ("y_min", 5),
            ("y_max", 6), ("puntos", 10)]}
    expected = dict(line.split("\t") for line in
                    cli(program, "centroide", sample, "--datum-a", "ED50", "--tipo-a", "utm")
                    .splitlines())
    for name, v in got.items():
        assert abs(v - float(expected[name])) <= 5e-4, f"{name}: {v} vs {expected[name]}"
    x, y = got["centroide_x"], got["centroide_y"]

    # BuscarPuntosPorNumero (18) and ObtenerPuntoEncontrado (19) against buscar.
    transf.invoke(18, 5, x, y, 0.0, 30.0, 14, 2)
    assert transf.get(7) == 5
    found = []
    for i in range(5):
        assert transf.invoke(19, i) == 1
        found.append((transf.get(11), transf.get(12), transf.get(8), transf.get(9)))
    assert transf.invoke(19, 5) == 0
    lines = cli(program, "buscar", "--datum", "ED50", "--tipo", "utm", "--numero", "5",
                f"{x!r},{y!r}").splitlines()[1:]
    for (number, name, ex, ey), line in zip(found, lines):
        fields = line.split("\t")
        assert (str(number), name) == (fields[0], fields[1]), f"{number} {name} vs {fields}"
        assert abs(ex - float(fields[2])) < 5e-4 and abs(ey - float(fields[3])) < 5e-4

    # ProcesarTXT (14) against the engine's own ProcesarTXT: the same bytes.
    with tempfile.TemporaryDirectory() as work:
        ours, theirs = os.path.join(work, "a.txt"), os.path.join(work, "b.txt")
        assert transf.invoke(14, os.path.join(work, "a.log"), sample, 14, 2, 0.0, ours, 19, 2,
                             0.0, 0, 3, 5.0, x, y, 0.0) == 1
        cli(program, "txt", sample, theirs, "--datum-a", "ED50", "--tipo-a", "utm", "--datum-b",
            "ETRS89", "--tipo-b", "utm", "--parametros", "vecinos", "--seleccion", "5",
            "--origen", f"{x!r},{y!r}")
        with open(ours, "rb") as a, open(theirs, "rb") as b:
            assert a.read() == b.read(), "ProcesarTXT results differ"

        # The official grid (parametros 4) with orthometric heights (21), the bundled
        # grid and geoid named by path (22, 23), to ETRS89 geodetic coordinates.
        assert transf.dispid("AlturasOrtometricas") == 21 and transf.get(21) == 0
        transf.put(21, 1, short=True)
        transf.put(22, os.path.join(data, "ign", "SPED2ETV2.gsb"))
        transf.put(23, os.path.join(data, "ign", "EGM08_REDNAP.gtx"))
        assert transf.invoke(14, os.path.join(work, "a.log"), sample, 14, 2, 0.0, ours, 19, 1,
                             0.0, 0, 4, 0.0, 0.0, 0.0, 0.0) == 1
        cli(program, "txt", sample, theirs, "--datum-a", "ED50", "--tipo-a", "utm", "--datum-b",
            "ETRS89", "--tipo-b", "geodesicas", "--parametros", "rejilla", "--geoide")
        with open(ours, "rb") as a, open(theirs, "rb") as b:
            assert a.read() == b.read(), "ProcesarTXT results with the grid differ"

        # The same on the calling thread alone (Hilos, 24) and on seven threads.
        assert transf.dispid("hilos") == 24 and transf.get(24) == 0
        transf.put(24, 1)
        assert transf.get(24) == 1
        assert transf.invoke(14, os.path.join(work, "a.log"), sample, 14, 2, 0.0, ours, 19, 1,
                             0.0, 0, 4, 0.0, 0.0, 0.0, 0.0) == 1
        cli(program, "txt", sample, theirs, "--datum-a", "ED50", "--tipo-a", "utm", "--datum-b",
            "ETRS89", "--tipo-b", "geodesicas", "--parametros", "rejilla", "--geoide",
            "--hilos", "7")
        with open(ours, "rb") as a, open(theirs, "rb") as b:
            assert a.read() == b.read(), "ProcesarTXT results on one and seven threads differ"
    transf.release()
    print("ctypes host: CentroideTXT, BuscarPuntosPorNumero, ObtenerPuntoEncontrado and "
          "ProcesarTXT (also with the IGN grid and the geoid, on one thread or seven) agree with "
          "the engine's own results")


if __name__ == "__main__":
    main()
