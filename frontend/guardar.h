// The files of saved results: the text of "Guardar Como" and of "Guardar",
// the point file the engine turns into a drawing, the metadata file beside
// every saved file, and the writing of each whole or not at all: an existing
// file is replaced only by a complete one.
#pragma once

#include "lectura_puntos.h"

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
// in decimal degrees).
QByteArray DrawingPointFile(const QVector<PointRecord>& results, int count, CoordinateKind kind);

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
// existing target is then left as it was.
bool SaveWhole(const QString& path, const QByteArray& bytes);

// Writes `count` results as a drawing at `path` through the engine's
// ConvertirTXTaDXF and the temporary point file in `tempFolder`. The engine
// writes beside the target, which is replaced only once the drawing is
// complete. False when anything failed; an existing target is then left as
// it was.
bool SaveDrawing(TransfControl& transf, const QVector<PointRecord>& results, int count,
                 CoordinateKind kind, const QString& tempFolder, const QString& path);

} // namespace quillon
