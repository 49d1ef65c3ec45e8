#!/usr/bin/python3
"""Writes the seed corpus of each fuzz target from the sample files.

Usage: make_seeds.py DATA_FOLDER SEEDS_FOLDER

Each target reads its own layout (see its source): the run targets take a
first byte that chooses the run, then the file; the interface target takes
a script of calls.
"""
import pathlib
import struct
import sys

data = pathlib.Path(sys.argv[1])
seeds = pathlib.Path(sys.argv[2])


def write(target, name, content):
    folder = seeds / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(content)


points = (data / "muestra_ed50_utm.txt").read_bytes()
published = (data / "published_vertices_ed50.txt").read_bytes()
drawing = (data / "muestra_parcela_ed50.dxf").read_bytes()
point_list = (data / "muestra_lista_ed50_utm.txt").read_bytes()

# Run choices: UTM per point -> UTM natural zone; UTM zone 30 -> UTM 29;
# UTM -> geodetic; UTM -> geocentric.
for choice in (0x04, 0x34, 0x01, 0x07):
    write("fuzz_txt_processing", "muestra-%02x" % choice, bytes([choice]) + points)
write("fuzz_txt_processing", "vertices", bytes([0x14]) + b"t\n" + published.replace(b" ", b"\t"))
write("fuzz_txt_processing", "rechazadas",
      b"\x14t\r\n1\t235171,041\t4142124.422\t42\t30\r\n2\tnan\t1\t1\r\n3\t1e400\t1\t1\r\n"
      b"4\t300000\t4100000\t0\t30.7\r\n5\t2e8\t0\t0\r\n99999999999999999999\t1\t1\t1\r\n")

for choice in (0x01, 0x03, 0x11, 0x05):
    write("fuzz_dxf_processing", "parcela-%02x" % choice, bytes([choice]) + drawing)
write("fuzz_dxf_processing", "cortado", b"\x01" + drawing[: len(drawing) * 9 // 10])

for index, number in enumerate((b"235171.041", b"-0.0004", b"999.9996", b"1e400", b"nan", b"  12 ", b"+7",
               b"235171,041", b"12abc", b"5.", b".25", b"-inf", b"9223372036854775807",
               b"1e-320", struct.pack("<d", 100000000.0) + b"\x03",
               struct.pack("<d", -0.0004) + b"\x03", struct.pack("<d", 30.0) + b"\x00")):
    write("fuzz_number_format", "n%02d" % index, number)

for choice in (0x01, 0x00, 0x05):
    write("fuzz_point_file", "lista-%02x" % choice, bytes([choice]) + point_list)


def call(dispid, args):
    """One call of the interface target: identifier, count, tagged arguments."""
    out = bytes([dispid, len(args)])
    for kind, value in args:
        if kind == "i2":
            out += bytes([1]) + struct.pack("<h", value)
        elif kind == "i4":
            out += bytes([2]) + struct.pack("<i", value)
        elif kind == "r8":
            out += bytes([3]) + struct.pack("<d", value)
        else:  # a string: the index of a scratch name
            out += bytes([4, value])
    return out


# Scratch names: 0 entrada.txt, 1 entrada.dxf, 2 salida.txt, 3 salida.dxf,
# 4 registro, 5 carpeta, 6 falta/x, 7 enlace.
process = [("s", 4), ("s", 0), ("i4", 14), ("i4", 2), ("r8", 30.0), ("s", 2), ("i4", 19),
           ("i4", 2), ("r8", 30.0), ("i4", 0), ("i4", 0), ("r8", 0.0), ("r8", 0.0), ("r8", 0.0),
           ("r8", 0.0)]
drawing_run = list(process)
drawing_run[1] = ("s", 1)
drawing_run[5] = ("s", 3)
# The first byte is the number of calls less one.
write("fuzz_dzv_invoke", "procesar", bytes([0]) + call(14, process) + b"2\t300000\t4100000\t1\t30\n")
write("fuzz_dzv_invoke", "dibujo", bytes([0]) + call(13, drawing_run))
write("fuzz_dzv_invoke", "centroide-buscar-obtener",
      bytes([2]) + call(16, [("s", 0), ("i4", 14), ("i4", 2), ("r8", 0.0)]) +
      call(18, [("i4", 5), ("r8", 300000.0), ("r8", 4100000.0), ("r8", 0.0), ("r8", 30.0),
                ("i4", 14), ("i4", 2)]) + call(19, [("i4", 2)]))
write("fuzz_dzv_invoke", "txt-a-dxf", bytes([0]) + call(20, [("s", 0), ("s", 3), ("i4", 2)]))
write("fuzz_dzv_invoke", "mismo-archivo", bytes([0]) + call(20, [("s", 0), ("s", 7), ("i4", 2)]))

# Saved prepared runs (the national set, a local affine fit), as
# dzv_prepared_save writes them.
for saved in sorted((pathlib.Path(__file__).parent / "prepared").glob("*.txt")):
    write("fuzz_prepared_load", saved.stem, saved.read_bytes())

# The built-in catalogue's own table, a few rows of it in other layouts.
catalogue = (data / "vertex_catalogue.tsv").read_bytes()
write("fuzz_catalogue", "integrado", catalogue)
rows = catalogue.split(b"\n")[:8]
write("fuzz_catalogue", "pocos", b"\n".join(rows) + b"\n")
write("fuzz_catalogue", "punto-y-coma", b"\xef\xbb\xbf" + b"\r\n".join(
    r.replace(b"\t", b";").replace(b".", b",") for r in rows) + b"\r\n")
write("fuzz_catalogue", "geodesicas",
      b"numero,nombre,etrs_lon,etrs_lat,ed50_lon,ed50_lat\n1,A,-4.5,37.1,-4.4988,37.1012\n"
      b"2,\"B, C\",-4.6,37.2,-4.5988,37.2012\n3,D,-4.7,37.3,-4.6988,37.3012\n")

# Table lines: the first byte chooses the separator (TAB, ";", ",", blanks).
write("fuzz_table_line", "punto-y-coma",
      b"\x01Giralda;235171,041;\"4142124,422\" ;42;\"torre; \"\"campanario\"\"\"x")
write("fuzz_table_line", "blancos", b"\x03  \"La Nava\"  373000   4067000 30 ")
write("fuzz_table_line", "tabuladores", b"\x00\t1\t\t-5.193045\t37.2312\t")
write("fuzz_table_line", "sexagesimal", b"\x02-5.1930455")
