#!/usr/bin/env python3
"""Makes the engine's IGN files from the GeoTIFF grids that PROJ-data distributes.

  data/ign/SPED2ETV2.gsb     the ED50 -> ETRS89 grid SPED2ETV2 (EPSG:15932) in the NTv2
                             format in which the IGN publishes it: one NTv2 sub-grid per
                             sub-dataset of the GeoTIFF, in the same order (BALEARES, then
                             PENINSUL), appended one after the other by gdal_translate.
  data/ign/EGM08_REDNAP.gtx  the geoid EGM08-REDNAP (N above the ETRS89 ellipsoid) as a GTX
                             grid, cut to Andalusia with a margin (8.5 W to 0.5 W,
                             35 N to 39.5 N) unless --geoide-completo is given.

Only GDAL's command-line tools are used (gdalinfo, gdal_translate). The GeoTIFF gives the
longitude shift positive east; NTv2 wants it positive west, so each sub-grid is read
through a small VRT that negates that band and adds the two accuracy bands (zero: the
TIFF carries no accuracies). The header's dates are fixed, so the output is the same
byte for byte on every run.

Usage: make_ign_grids.py SPED2ETV2.tif egm08-rednap.tif OUTPUT_DIR [--geoide-completo]
Licence of the data: derived from original IGN data, www.ign.es, CC-BY 4.0.
"""
import json
import os
import subprocess
import sys
import tempfile

# The geoid window that serves Andalusia: whole minutes of the geoid's 1' nodes.
GEOID_WINDOW = {"west": -8.5, "east": -0.5, "south": 35.0, "north": 39.5}

NTV2_HEADER = [
    "GS_TYPE=SECONDS",
    "VERSION=IGN07_01",
    "SYSTEM_F=ED50",
    "SYSTEM_T=ETRS89",
]
# SPED2ETV2 was last updated on 2009-01-08.
NTV2_DATES = ["CREATED=20090108", "UPDATED=20090108"]


def gdalinfo(name):
    out = subprocess.run(["gdalinfo", "-json", name], capture_output=True, text=True, check=True)
    return json.loads(out.stdout)


def run(*args):
    # No .aux.xml side files beside the outputs.
    subprocess.run(list(args), check=True, env=dict(os.environ, GDAL_PAM_ENABLED="NO"))


def subdatasets(tif):
    info = gdalinfo(tif)
    meta = info.get("metadata", {}).get("SUBDATASETS", {})
    names = [meta[k] for k in sorted(meta) if k.endswith("_NAME")]
    # SUBDATASET_10_NAME sorts before SUBDATASET_2_NAME: order by number.
    names.sort(key=lambda n: int(n.split(":")[1]))
    return names or [tif]


def band_source(name, band, scale):
    source = (f'<SourceFilename relativeToVRT="0">{name}</SourceFilename>'
              f"<SourceBand>{band}</SourceBand>")
    if scale == 1:
        return f"<SimpleSource>{source}</SimpleSource>"
    return f"<ComplexSource>{source}<ScaleRatio>{scale}</ScaleRatio></ComplexSource>"


def ntv2_vrt(name, info):
    """Four bands: latitude shift, longitude shift positive west, two zero accuracies."""
    width, height = info["size"]
    transform = ",".join(repr(v) for v in info["geoTransform"])
    bands = info["bands"]
    lon = next(b for b in bands if b.get("description") == "longitude_offset")
    lat = next(b for b in bands if b.get("description") == "latitude_offset")
    east = lon.get("metadata", {}).get("", {}).get("positive_value", "east") == "east"
    for b in (lat, lon):
        if b.get("unit") not in (None, "arc-second"):
            raise SystemExit(f"{name}: band {b['band']} is in {b['unit']}, not arc seconds")
    return (f'<VRTDataset rasterXSize="{width}" rasterYSize="{height}">'
            f"<GeoTransform>{transform}</GeoTransform>"
            f'<VRTRasterBand dataType="Float32" band="1">{band_source(name, lat["band"], 1)}'
            "</VRTRasterBand>"
            f'<VRTRasterBand dataType="Float32" band="2">'
            f'{band_source(name, lon["band"], -1 if east else 1)}</VRTRasterBand>'
            '<VRTRasterBand dataType="Float32" band="3"/>'
            '<VRTRasterBand dataType="Float32" band="4"/>'
            "</VRTDataset>\n")


def make_ntv2(tif, target, work):
    if os.path.exists(target):
        os.remove(target)
    for index, name in enumerate(subdatasets(tif)):
        info = gdalinfo(name)
        grid_name = info.get("metadata", {}).get("", {}).get("grid_name", f"GRID{index + 1}")
        vrt = os.path.join(work, f"sub{index}.vrt")
        with open(vrt, "w") as f:
            f.write(ntv2_vrt(name, info))
        options = NTV2_HEADER + NTV2_DATES + [f"SUB_NAME={grid_name[:8]}", "PARENT=NONE"]
        if index > 0:
            options.append("APPEND_SUBDATASET=YES")
        args = ["gdal_translate", "-q", "-of", "NTv2", "-a_srs", "EPSG:4230"]
        for option in options:
            args += ["-co", option]
        run(*args, vrt, target)


def make_gtx(tif, target, whole):
    if os.path.exists(target):
        os.remove(target)
    args = ["gdal_translate", "-q", "-of", "GTX"]
    if not whole:
        # Pixel window of whole nodes: the geoid's nodes are its pixel centres.
        info = gdalinfo(tif)
        x0, dx, _, y0, _, dy = info["geoTransform"]
        col = round((GEOID_WINDOW["west"] - (x0 + dx / 2)) / dx)
        row = round((GEOID_WINDOW["north"] - (y0 + dy / 2)) / dy)
        cols = round((GEOID_WINDOW["east"] - GEOID_WINDOW["west"]) / dx) + 1
        rows = round((GEOID_WINDOW["south"] - GEOID_WINDOW["north"]) / dy) + 1
        args += ["-srcwin", str(col), str(row), str(cols), str(rows)]
    run(*args, tif, target)


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    whole = "--geoide-completo" in sys.argv[1:]
    if len(args) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    grid_tif, geoid_tif, out_dir = args
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        make_ntv2(grid_tif, os.path.join(out_dir, "SPED2ETV2.gsb"), work)
    make_gtx(geoid_tif, os.path.join(out_dir, "EGM08_REDNAP.gtx"), whole)
    for name in ("SPED2ETV2.gsb", "EGM08_REDNAP.gtx"):
        path = os.path.join(out_dir, name)
        print(f"{path}: {os.path.getsize(path)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
