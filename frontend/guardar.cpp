#include "guardar.h"

#include "calculo.h"
#include "programa.h"
#include "services.h"
#include "texto.h"
#include "transformacion.h"
#include "ventanalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QRadioButton>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cstdio>

namespace quillon {

namespace {

constexpr int kGeodetic = 1;
constexpr int kUtm = 2;
constexpr int kGeocentric = 3;

QByteArray N(double v) {
    return ToCp1252(NumberText(v));
}

} // namespace

QByteArray ResultsTextAs(const QVector<PointRecord>& results, int count, int kind) {
    QByteArray out = kind == kGeocentric ? "ID,X,Y,Z\n\r\n"
                     : kind == kGeodetic ? "ID,Latitud,Longitud,h\r\n"
                                         : "ID,X UTM,Y UTM,h,Huso\r\n";
    for (int n = 0; n < count; ++n) {
        const PointRecord& r = results[n];
        out += ToCp1252(r.id) + ',' + N(r.c1) + ',' + N(r.c2) + ',' + N(r.c3);
        if (kind == kUtm) {
            out += ',' + N(r.zone);
        }
        out += "\r\n";
    }
    return out;
}

QByteArray ResultsText(const QVector<PointRecord>& results, int count, int kind) {
    QByteArray out = kind == kGeocentric ? "ID\tX\tY\tZ\r\n"
                     : kind == kGeodetic ? "ID\tLatitud\tLongitud\th\r\n"
                                         : "ID\tX UTM\tY UTM\tH\tHuso\r\n";
    for (int n = 0; n < count; ++n) {
        const PointRecord& r = results[n];
        out += ToCp1252(r.id) + ",\t" + N(r.c1) + '\t' + N(r.c2) + '\t' + N(r.c3);
        if (kind == kUtm) {
            out += '\t' + N(r.zone);
        }
        out += "\r\r\n";
    }
    return out;
}

QByteArray DrawingPointFile(const QVector<PointRecord>& results, int count, int kind) {
    QByteArray out = kind == kGeodetic ? "ID\tLong\tLat\tZ\r\n" : "ID\tX\tY\tZ\r\n";
    for (int n = 0; n < count; ++n) {
        const PointRecord& r = results[n];
        out += N(n + 1) + '\t';
        if (kind == kGeodetic) {
            out += N(PackedToDegrees(r.c2)) + '\t' + N(PackedToDegrees(r.c1));
        } else {
            out += N(r.c1) + '\t' + N(r.c2);
        }
        out += '\t' + N(r.c3) + "\r\n";
    }
    return out;
}

QString MetadataFileName(const QString& savedFile) {
    const QFileInfo info(savedFile);
    const QString name = info.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot >= 0 ? name.left(dot) : name;
    const QString folder = savedFile.left(savedFile.size() - name.size());
    return folder + base + QStringLiteral("_metadatos.txt");
}

bool SaveWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

Guardado::Guardado(Calculo& form, Programa& programa) : form_(form), programa_(programa) {}

int Guardado::TargetKind() const {
    return form_.Option4->isChecked() ? kGeocentric : form_.Option5->isChecked() ? kGeodetic : kUtm;
}

int Guardado::ResultCount() const {
    return form_.List2->count();
}

void Guardado::Failed(const QString& path) {
    programa_.messages().Show(QStringLiteral("No se ha podido guardar el archivo\r") + path,
                              QStringLiteral("Error"), MessageIcon::Critical);
}

bool Guardado::SaveDrawing(const QString& path) {
    const ProgramState& state = programa_.state();
    const QString points = programa_.TempFile(QString::fromLatin1(kDrawingPointFile));
    if (points.isEmpty() ||
        !SaveWhole(points, DrawingPointFile(state.ResultTable, ResultCount(), TargetKind()))) {
        return false;
    }
    // The engine writes the drawing beside the target, which it replaces only
    // once the drawing is complete.
    QTemporaryFile partial(QFileInfo(path).absolutePath() + QStringLiteral("/.quillon-XXXXXX.dxf"));
    partial.setAutoRemove(true);
    bool saved = partial.open();
    if (saved) {
        partial.close();
        saved = form_.Transf1.ConvertirTXTaDXF(points.toStdString(),
                                               partial.fileName().toStdString(), TargetKind()) == 1;
    }
    if (saved) {
        saved = std::rename(QFile::encodeName(partial.fileName()).constData(),
                            QFile::encodeName(path).constData()) == 0;
    }
    if (saved) {
        partial.setAutoRemove(false);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
    QFile::remove(points);
    return saved;
}

bool Guardado::SaveCopyOfDrawing(const QString& path) {
    QByteArray drawing;
    return ReadWholeFile(programa_.TempFile(QString::fromLatin1(kDrawingOutput)), drawing) &&
           SaveWhole(path, drawing);
}

bool Guardado::SaveMetadata() {
    const QString path = MetadataFileName(programa_.state().saveFileName);
    QByteArray text;
    if (const VentanaLog* log = programa_.loadedVentanaLog()) {
        for (int i = 0; i < log->List1->count(); ++i) {
            text += ToCp1252(log->List1->item(i)->text()) + "\r\n";
        }
    }
    if (!SaveWhole(path, text)) {
        Failed(path);
        return false;
    }
    return true;
}

void Guardado::GuardarComo() {
    ProgramState& state = programa_.state();
    if (form_.List2->count() == 0) {
        programa_.messages().Show(QStringLiteral("No hay ningún punto para salvar"),
                                  QStringLiteral("Error"), MessageIcon::Critical);
        return;
    }
    CommonDialog& dialog = form_.CommonDialog2;
    if (state.drawingMode) {
        dialog.filter = QStringLiteral("Autocad DXF (*.dxf)|*.dxf|");
        const QString chosen = programa_.files().ShowSave(dialog);
        if (chosen.isEmpty()) {
            return; // cancelled: nothing is saved, the last file name stays
        }
        state.saveFileName = chosen;
        if (!SaveCopyOfDrawing(chosen)) {
            Failed(chosen);
            return;
        }
        SaveMetadata();
        return;
    }
    if (!state.saveFileName.isEmpty()) {
        dialog.fileName =
            TextBeforeLast(TextAfterLast(state.saveFileName, QLatin1Char('/')), QLatin1Char('.'));
    }
    dialog.filter = QStringLiteral("txt (*.txt)|*.txt|Autocad 12 dxf (*.dxf)|*.dxf");
    dialog.filterIndex = 1;
    const QString chosen = programa_.files().ShowSave(dialog);
    if (chosen.isEmpty()) {
        return;
    }
    state.saveFileName = chosen;
    const bool saved =
        dialog.filterIndex == 2
            ? SaveDrawing(chosen)
            : SaveWhole(chosen, ResultsTextAs(state.ResultTable, ResultCount(), TargetKind()));
    if (!saved) {
        Failed(chosen);
        return;
    }
    SaveMetadata();
}

void Guardado::Guardar() {
    ProgramState& state = programa_.state();
    if (state.saveFileName.isEmpty()) {
        GuardarComo();
        return;
    }
    const bool saved = form_.CommonDialog2.filterIndex == 2
                           ? SaveDrawing(state.saveFileName)
                           : SaveWhole(state.saveFileName,
                                       ResultsText(state.ResultTable, ResultCount(), TargetKind()));
    if (!saved) {
        Failed(state.saveFileName);
    }
}

} // namespace quillon
