// The files of saved results: the text of "Guardar Como" and of "Guardar",
// the point file the engine turns into a drawing, the metadata file beside
// every saved file, and the writing of each whole or not at all: an existing
// file is replaced only by a complete one.
#pragma once

#include "lectura_puntos.h"
#include "opciones.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quillon {

class TransfControl;

inline constexpr char kDrawingPointFile[] = "tempdxf";

// The kinds of file results are saved in.
enum class SaveFormat {
    Text,
    Drawing,
};

// The result files, for `count` results of a target kind, Windows-1252 with
// CR LF line ends: the text of "Guardar Como" (items joined by commas),
QByteArray ResultsTextAs(const QVector<PointRecord>& results, int count, CoordinateKind kind);
// the text of "Guardar" (TAB-separated),
QByteArray ResultsText(const QVector<PointRecord>& results, int count, CoordinateKind kind);
// and the point file the engine turns into a drawing (geodetic longitude first,
// in decimal degrees; UTM points with their zone; with `labels` each point
// numbered by its identifier, which the engine writes beside it).
QByteArray DrawingPointFile(const QVector<PointRecord>& results, int count, CoordinateKind kind,
                            bool labels = false);

// The zones of `count` UTM results, in increasing order (none for other kinds).
QVector<int> ZonesOf(const QVector<PointRecord>& results, int count, CoordinateKind kind);

// What the user chose for a drawing of points: its zone (0: none chosen, and
// the results must then be of one zone) and the identifiers as labels.
struct DrawingChoice {
    int zone = 0;
    bool labels = false;
};

// "29 y 30", "28, 29 y 30".
QString ZoneNames(const QVector<int>& zones);

// The metadata file beside a saved file: its name without the extension,
// followed by "_metadatos.txt". A full stop in a folder name is no extension.
QString MetadataFileName(const QString& savedFile);
// The metadata file's content: the log window's lines, each ended by CR LF.
QByteArray MetadataText(const QStringList& logLines);

// The extension of a format, with its full stop.
QString FormatExtension(SaveFormat format);
// The format a chosen file name asks for by its extension (".txt" or
// ".dxf", in any case); none when it has neither.
std::optional<SaveFormat> FormatOfName(const QString& path);
// `path` with the extension of `format` added when it does not end in it.
QString WithExtension(const QString& path, SaveFormat format);

// Writes a whole file through a temporary file in the same folder, renamed
// over the target only when complete. False when anything failed; an
// existing target is then left as it was, and `reason` (when given) holds
// the system's account of the failure.
bool SaveWhole(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

// Writes `count` results as a drawing at `path` through the engine's
// ConvertirTXTaDXF and the temporary point file in `tempFolder`. The engine
// writes beside the target, which is replaced only once the drawing is
// complete. A drawing is of one zone: UTM results of several zones go into
// the zone chosen (projected on the ellipsoid of `datum`), and without a
// choice there is no drawing and `refusal` names the zones. False when
// anything failed; an existing target is then left as it was, and `reason`
// (when given) holds the system's account of a failed file operation.
bool SaveDrawing(TransfControl& transf, const QVector<PointRecord>& results, int count,
                 CoordinateKind kind, Datum datum, const DrawingChoice& choice,
                 const QString& tempFolder, const QString& path, QString* refusal = nullptr,
                 QString* reason = nullptr);

} // namespace quillon
