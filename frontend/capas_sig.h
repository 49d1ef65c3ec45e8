// GIS layers from the window: a Shapefile, GeoPackage, GeoJSON or
// FlatGeobuf file chosen with "Leer archivo" or dropped on the window is
// transformed whole into a new file by the layers module that quillon-cli capa
// loads (quillon_layers.so), from the system its layers declare to the same
// kind of coordinates on the other datum.
#pragma once

#include "transform_request.h"

#include <QString>

namespace quillon {

// Whether `path` names a layer file the window transforms (by extension:
// .shp, .gpkg, .geojson, .fgb).
bool IsLayerFile(const QString& path);

// The output proposed for a layer file in a datum: beside it,
// "<name>_ETRS89.<ext>" or "<name>_ED50.<ext>".
QString LayerOutputProposal(const QString& input, bool toEtrs89);

struct LayerRunResult {
    bool succeeded = false;
    // Why it failed, one line; or the system of the layers, once known
    // ("EPSG:23030").
    QString failure;
    QString sourceCode;
    QString targetCode;
    bool toEtrs89 = true;
    long long features = 0;
    long long vertices = 0;
    long long rejected = 0;
    QString logPath;
};

// The EPSG code of the same kind of coordinates on the other datum
// ("EPSG:23030" -> "EPSG:25830", "EPSG:4258" -> "EPSG:4230"); empty for a
// system the window does not carry across (geocentric, compound).
QString OtherDatumCode(const QString& code, bool* toEtrs89 = nullptr);

// The system of the layers of `input` as the layers module reads it, with the
// module's reason when it cannot.
LayerRunResult LayerSystemOf(const QString& input);

// Transforms the layers of `input` into `output` (national parameters), to
// the other datum of their system, telling `progress` how it goes; a stop it
// asks for leaves nothing replaced.
LayerRunResult TransformLayerFile(const QString& input, const QString& output,
                                  const dezadiravevava::api::Progress& progress = {});

} // namespace quillon
