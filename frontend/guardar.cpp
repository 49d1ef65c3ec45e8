#include "guardar.h"

#include "opciones.h"
#include "texto_cp1252.h"
#include "transf_control.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace quillon {

namespace {

QByteArray N(double v) {
    return ToCp1252(NumberText(v));
}

} // namespace

QByteArray ResultsTextAs(const QVector<PointRecord>& results, int count, CoordinateKind kind) {
    QByteArray out = kind == CoordinateKind::Geocentric ? "ID,X,Y,Z\n\r\n"
                     : kind == CoordinateKind::Geodetic ? "ID,Latitud,Longitud,h\r\n"
                                                        : "ID,X UTM,Y UTM,h,Huso\r\n";
    for (int n = 0; n < count; ++n) {
        const PointRecord& r = results[n];
        out += ToCp1252(r.id) + ',' + N(r.c1) + ',' + N(r.c2) + ',' + N(r.c3);
        if (kind == CoordinateKind::Utm) {
            out += ',' + N(r.zone);
        }
        out += "\r\n";
    }
    return out;
}

QByteArray ResultsText(const QVector<PointRecord>& results, int count, CoordinateKind kind) {
    QByteArray out = kind == CoordinateKind::Geocentric ? "ID\tX\tY\tZ\r\n"
                     : kind == CoordinateKind::Geodetic ? "ID\tLatitud\tLongitud\th\r\n"
                                                        : "ID\tX UTM\tY UTM\tH\tHuso\r\n";
    for (int n = 0; n < count; ++n) {
        const PointRecord& r = results[n];
        out += ToCp1252(r.id) + ",\t" + N(r.c1) + '\t' + N(r.c2) + '\t' + N(r.c3);
        if (kind == CoordinateKind::Utm) {
            out += '\t' + N(r.zone);
        }
        out += "\r\r\n";
    }
    return out;
}

QByteArray DrawingPointFile(const QVector<PointRecord>& results, int count, CoordinateKind kind,
                            bool labels) {
    QByteArray out = kind == CoordinateKind::Geodetic ? "ID\tLong\tLat\tZ\r\n"
                     : kind == CoordinateKind::Utm    ? "ID\tX\tY\tZ\tHuso\r\n"
                                                      : "ID\tX\tY\tZ\r\n";
    for (int n = 0; n < count; ++n) {
        const PointRecord& r = results[n];
        // A TAB in an identifier would start the next field.
        QString id = r.id.text().trimmed();
        id.replace(QLatin1Char('\t'), QLatin1Char(' '));
        out += (labels && !id.isEmpty() ? ToCp1252(id) : N(n + 1)) + '\t';
        if (kind == CoordinateKind::Geodetic) {
            out += N(PackedToDegrees(r.c2)) + '\t' + N(PackedToDegrees(r.c1));
        } else {
            out += N(r.c1) + '\t' + N(r.c2);
        }
        out += '\t' + N(r.c3);
        if (kind == CoordinateKind::Utm) {
            out += '\t' + N(r.zone);
        }
        out += "\r\n";
    }
    return out;
}

QVector<int> ZonesOf(const QVector<PointRecord>& results, int count, CoordinateKind kind) {
    QVector<int> zones;
    if (kind != CoordinateKind::Utm) {
        return zones;
    }
    for (int n = 0; n < count; ++n) {
        if (!zones.contains(results[n].zone)) {
            zones.push_back(results[n].zone);
        }
    }
    std::sort(zones.begin(), zones.end());
    return zones;
}

QString ZoneNames(const QVector<int>& zones) {
    QString text;
    for (int i = 0; i < zones.size(); ++i) {
        if (i > 0) {
            text += i + 1 == zones.size() ? QStringLiteral(" y ") : QStringLiteral(", ");
        }
        text += QString::number(zones[i]);
    }
    return text;
}

QString MetadataFileName(const QString& savedFile) {
    const QFileInfo info(savedFile);
    const QString name = info.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot >= 0 ? name.left(dot) : name;
    const QString folder = savedFile.left(savedFile.size() - name.size());
    return folder + base + QStringLiteral("_metadatos.txt");
}

bool SaveWhole(const QString& path, const QByteArray& bytes, QString* reason) {
    QSaveFile file(path);
    const auto failed = [&file, reason] {
        if (reason != nullptr) {
            *reason = file.errorString();
        }
        return false;
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return failed();
    }
    if (file.write(bytes) != bytes.size()) {
        failed();
        file.cancelWriting();
        return false;
    }
    return file.commit() || failed();
}

QByteArray MetadataText(const QStringList& logLines) {
    QByteArray text;
    for (const QString& line : logLines) {
        text += ToCp1252(line) + "\r\n";
    }
    return text;
}

QString FormatExtension(SaveFormat format) {
    return format == SaveFormat::Drawing ? QStringLiteral(".dxf") : QStringLiteral(".txt");
}

std::optional<SaveFormat> FormatOfName(const QString& path) {
    if (path.endsWith(QStringLiteral(".dxf"), Qt::CaseInsensitive)) {
        return SaveFormat::Drawing;
    }
    if (path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) {
        return SaveFormat::Text;
    }
    return std::nullopt;
}

QString WithExtension(const QString& path, SaveFormat format) {
    const QString extension = FormatExtension(format);
    return path.endsWith(extension, Qt::CaseInsensitive) ? path : path + extension;
}

bool SaveDrawing(TransfControl& transf, const QVector<PointRecord>& results, int count,
                 CoordinateKind kind, Datum datum, const DrawingChoice& choice,
                 const QString& tempFolder, const QString& path, QString* refusal,
                 QString* reason) {
    if (tempFolder.isEmpty()) {
        return false;
    }
    const QVector<int> zones = ZonesOf(results, count, kind);
    if (zones.size() > 1 && choice.zone == 0) {
        if (refusal != nullptr) {
            *refusal = QStringLiteral("Los resultados tienen puntos de los husos %1: un dibujo es "
                                      "de un solo huso.\rElija uno en \u00abGuardar Como\u00bb.")
                           .arg(ZoneNames(zones));
        }
        return false;
    }
    const QString points = QDir(tempFolder).filePath(QString::fromLatin1(kDrawingPointFile));
    if (!SaveWhole(points, DrawingPointFile(results, count, kind, choice.labels), reason)) {
        return false;
    }
    // The zone chosen, on the datum of the results (an EPSG code of UTM).
    const int zone = kind == CoordinateKind::Utm ? choice.zone : 0;
    const std::string system =
        zone > 0 ? (datum == Datum::Etrs89 ? "EPSG:258" : "EPSG:230") + std::to_string(zone)
                 : std::string();
    transf.SetPointDrawing(static_cast<std::int16_t>(zone), choice.labels, system);
    // The engine writes the drawing beside the target, which it replaces only
    // once the drawing is complete.
    QTemporaryFile partial(QFileInfo(path).absolutePath() + QStringLiteral("/.quillon-XXXXXX.dxf"));
    partial.setAutoRemove(true);
    bool saved = partial.open();
    if (!saved && reason != nullptr) {
        *reason = partial.errorString();
    }
    if (saved) {
        partial.close();
        saved = transf.ConvertirTXTaDXF(points.toStdString(), partial.fileName().toStdString(),
                                        KindCode(kind)) == 1;
    }
    transf.SetPointDrawing(0, false, std::string());
    if (saved) {
        saved = std::rename(QFile::encodeName(partial.fileName()).constData(),
                            QFile::encodeName(path).constData()) == 0;
        if (!saved && reason != nullptr) {
            *reason = QString::fromLocal8Bit(std::strerror(errno));
        }
    }
    if (saved) {
        partial.setAutoRemove(false);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
    QFile::remove(points);
    return saved;
}

} // namespace quillon
