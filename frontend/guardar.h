// Saving the results of a run: "Guardar Como" asks for a file and writes the
// results as text or as a drawing, with a metadata file beside them; "Guardar"
// writes them again into the file chosen last. Every file is written whole or
// not at all: an existing file is replaced only by a complete one.
#pragma once

#include "module1.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace quillon {

class Calculo;
class Programa;

inline constexpr char kDrawingPointFile[] = "tempdxf";

// The result files, for `count` results of a target kind (1 geodetic, 2 UTM,
// 3 geocentric), Windows-1252 with CR LF line ends:
// the text of "Guardar Como" (items joined by commas),
QByteArray ResultsTextAs(const QVector<PointRecord>& results, int count, int kind);
// the text of "Guardar" (TAB-separated),
QByteArray ResultsText(const QVector<PointRecord>& results, int count, int kind);
// and the point file the engine turns into a drawing (geodetic longitude first,
// in decimal degrees).
QByteArray DrawingPointFile(const QVector<PointRecord>& results, int count, int kind);

// The metadata file beside a saved file: its name without the extension,
// followed by "_metadatos.txt". A full stop in a folder name is no extension.
QString MetadataFileName(const QString& savedFile);

// Writes a whole file through a temporary file in the same folder, renamed
// over the target only when complete. False when anything failed; an
// existing target is then left as it was.
bool SaveWhole(const QString& path, const QByteArray& bytes);

class Guardado {
public:
    Guardado(Calculo& form, Programa& programa);

    void GuardarComo(); // "G&uardar Como"
    void Guardar();     // "&Guardar"

private:
    int TargetKind() const;
    int ResultCount() const;
    bool SaveDrawing(const QString& path);
    bool SaveCopyOfDrawing(const QString& path);
    bool SaveMetadata();
    void Failed(const QString& path);

    Calculo& form_;
    Programa& programa_;
};

} // namespace quillon
