#include "transformacion.h"

#include "services.h"
#include "texto.h"
#include "transf_control.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <cmath>

namespace quillon {

namespace {

constexpr char kTab = '\t';

// The wait cursor for as long as the run lasts, whichever way it ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QByteArray N(double v) {
    return ToCp1252(NumberText(v));
}

// Splits a file into lines: a line feed ends a line, a CR before it belongs
// to the end; a last line without a line feed counts too.
QList<QByteArray> Lines(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    for (QByteArray& line : lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    return lines;
}

} // namespace

bool IsOutsideRegion(const PointRecord& point, CoordinateKind kind) {
    switch (kind) {
    case CoordinateKind::Geodetic:
        return !RegionGeodetic.Contains(point.c1, point.c2);
    case CoordinateKind::Geocentric:
        return !RegionGeocentric.Contains(point.c1, point.c2);
    case CoordinateKind::Utm:
        break;
    }
    switch (point.zone) {
    case 29:
        return !RegionUtm29.Contains(point.c1, point.c2);
    case 30:
        return !RegionUtm30.Contains(point.c1, point.c2);
    case 31:
        return !RegionUtm31.Contains(point.c1, point.c2);
    default:
        return true;
    }
}

QStringList LogWindowLines(const QByteArray& log, bool utm_source) {
    const int output_line = utm_source ? 12 : 11;
    QStringList lines;
    int number = 0;
    for (const QByteArray& line : Lines(log)) {
        ++number;
        if (number != 7 && number != output_line) {
            lines << FromCp1252(line);
        }
    }
    return lines;
}

int VerticesUsed(const QStringList& log) {
    static const QRegularExpression used(QStringLiteral("^Número de puntos utilizados: (\\d+)"));
    for (const QString& line : log) {
        const QRegularExpressionMatch match = used.match(line);
        if (match.hasMatch()) {
            return match.captured(1).toInt();
        }
    }
    return -1;
}

QStringList SummaryLines(const QStringList& log) {
    const qsizetype heading = log.lastIndexOf(QStringLiteral("Resumen de la conversión"));
    QStringList lines;
    if (heading < 0) {
        return lines;
    }
    for (qsizetype i = heading + 1; i < log.size(); ++i) {
        const QString line = log[i].trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('='))) {
            lines << line;
        }
    }
    return lines;
}

Transformacion::Transformacion(ProgramState& state, TransfControl& transf, MessageSink& messages,
                               QString tempFolder, std::function<bool()> cancelled)
    : state_(state), transf_(transf), messages_(messages), tempFolder_(std::move(tempFolder)),
      cancelled_(std::move(cancelled)) {}

QString Transformacion::Temp(const char* name) const {
    return QDir(tempFolder_).filePath(QString::fromLatin1(name));
}

void Transformacion::FileFailure(const QString& what, const QString& path) {
    messages_.Show(what + QLatin1Char('\r') + path, QStringLiteral("Error"), MessageIcon::Critical);
}

bool Transformacion::WritePointFile(CoordinateKind kind, RunOutcome& outcome) {
    QByteArray text = "Archivo temporal con las coordenadas de los puntos a transformar\r\n";
    outcome.outside = QVector<bool>(state_.pointCount, false);
    outcome.outsideCount = 0;
    nameTable_.clear();
    for (int i = 1; i <= state_.pointCount; ++i) {
        const PointRecord& p = state_.PointTable[i - 1];
        if (IsOutsideRegion(p, kind)) {
            outcome.outside[i - 1] = true;
            ++outcome.outsideCount;
            continue;
        }
        text += N(i) + kTab;
        if (kind == CoordinateKind::Geodetic) {
            // Longitude first, both in decimal degrees.
            text += N(PackedToDegrees(p.c2)) + kTab + N(PackedToDegrees(p.c1)) + kTab + N(p.c3) +
                    kTab + N(p.zone);
        } else {
            text += N(p.c1) + kTab + N(p.c2) + kTab + N(p.c3);
            if (kind == CoordinateKind::Utm) {
                text += kTab + N(p.zone);
            }
        }
        text += "\r\r\n";
        nameTable_.push_back(p.id);
    }
    QFile file(Temp(kPointFile));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush()) {
        return false;
    }
    file.close();
    return file.error() == QFileDevice::NoError;
}

MapDrawing Transformacion::Centroid(const FormChoices& choices, const EngineArguments& a) {
    if (state_.drawingMode) {
        transf_.CentroideDXF(state_.inputFileName.toStdString(), a.da, a.pa, a.hEntrada);
    } else {
        transf_.CentroideTXT(Temp(kPointFile).toStdString(), a.da, a.pa, a.hEntrada);
    }
    MapDrawing map;
    map.xMin = transf_.XMinMRE();
    map.xMax = transf_.XMaxMRE();
    map.yMin = transf_.YMinMRE();
    map.yMax = transf_.YMaxMRE();
    if (choices.centre == SearchCentre::Geometric) {
        map.xc = (map.xMin + map.xMax) * 0.5;
        map.yc = (map.yMin + map.yMax) * 0.5;
    } else {
        map.xc = transf_.XCentroide();
        map.yc = transf_.YCentroide();
    }
    if (map.xMax - map.xMin < 10000) {
        // A small area is shown as an 8 km square around its centre.
        map.xMin = map.xc - 4000, map.xMax = map.xc + 4000;
        map.yMin = map.yc - 4000, map.yMax = map.yc + 4000;
    }
    return map;
}

int Transformacion::SearchVertices(const RunPlan& plan, MapDrawing& map) {
    const EngineArguments& a = plan.arguments;
    if (plan.searchByNumber) {
        transf_.BuscarPuntosPorNumero(static_cast<std::int32_t>(std::lround(a.selecParam)), map.xc,
                                      map.yc, 0, 30, codes::kEd50, codes::kUtm);
    } else {
        transf_.BuscarPuntosPorDistancia(a.selecParam, map.xc, map.yc, 0, 30, codes::kEd50,
                                         codes::kUtm);
    }
    const int found = transf_.NumeroPuntosEncontrados();
    for (int j = 0; j < found; ++j) {
        if (transf_.ObtenerPuntoEncontrado(j) == 1) {
            map.vertices.push_back(QPointF(transf_.XED50SEL(), transf_.YED50SEL()));
        }
    }
    return found;
}

bool Transformacion::ReadResults(CoordinateKind kind, RunOutcome& outcome) {
    QByteArray bytes;
    if (!ReadWholeFile(Temp(kResultFile), bytes)) {
        return false;
    }
    const QList<QByteArray> lines = Lines(bytes);
    const int m = static_cast<int>(nameTable_.size());
    if (lines.size() < m + 1) {
        return false;
    }
    for (int n = 1; n <= m; ++n) {
        const QList<QByteArray> f = lines[n].split(kTab);
        if (f.size() < (kind == CoordinateKind::Utm ? 5 : 4)) {
            return false;
        }
        PointRecord& r = state_.ResultTable[n - 1];
        r = PointRecord{};
        r.id = nameTable_[n - 1];
        const double a = f[1].toDouble(), b = f[2].toDouble(), c = f[3].toDouble();
        if (kind == CoordinateKind::Geodetic) {
            // Packed sexagesimal latitude and longitude, kept rounded down
            // at the 8th decimal; h to the millimetre.
            r.c1 = std::floor(DegreesToPacked(b) * 1e8) / 1e8;
            r.c2 = std::floor(DegreesToPacked(a) * 1e8) / 1e8;
            r.c3 = std::floor(c * 1000) / 1000;
        } else {
            r.c1 = a;
            r.c2 = b;
            r.c3 = c;
        }
        if (kind == CoordinateKind::Utm) {
            r.zone = static_cast<std::int16_t>(std::lround(f[4].toDouble()));
        }
    }
    outcome.resultCount = m;
    return true;
}

QStringList Transformacion::LogLines(const QByteArray& log, bool utm_source, bool with_date) const {
    QStringList lines = LogWindowLines(log, utm_source);
    if (with_date) {
        lines.insert(std::min<qsizetype>(3, lines.size()),
                     QStringLiteral("Conversión realizada el día ") +
                         QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat) +
                         QStringLiteral(" a las ") +
                         QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
        lines.insert(std::min<qsizetype>(4, lines.size()), QString());
    }
    return lines;
}

RunOutcome Transformacion::Run(const FormChoices& choices, const RunPlan& plan) {
    RunOutcome outcome;
    // 1. Nothing to transform.
    if (state_.pointCount == 0 && !state_.drawingMode) {
        messages_.Show(QStringLiteral("No se han introducido coordenadas para transformar"),
                       QStringLiteral("Error"), MessageIcon::Critical);
        return outcome;
    }
    outcome.end = RunOutcome::End::FileFailure;
    const WaitCursor wait;
    if (tempFolder_.isEmpty()) {
        messages_.Show(QStringLiteral("No se ha podido crear la carpeta temporal del programa"),
                       QStringLiteral("Error"), MessageIcon::Critical);
        return outcome;
    }
    // Files of an earlier run.
    for (const char* name : {kPointFile, kResultFile, kRunLogFile, kDrawingOutput}) {
        QFile::remove(Temp(name));
    }

    // The points inside the region go to the point file.
    if (!state_.drawingMode) {
        if (!WritePointFile(choices.sourceKind, outcome)) {
            outcome.outside.clear();
            outcome.outsideCount = 0;
            FileFailure(QStringLiteral("No se ha podido escribir el archivo temporal de puntos"),
                        Temp(kPointFile));
            return outcome;
        }
        if (outcome.outsideCount >= 1) {
            messages_.Show(QStringLiteral("No se han transformado") +
                               NumberText(outcome.outsideCount) +
                               QStringLiteral(" puntos (marcados con #).\rSe encuentran fuera de "
                                              "la región de cálculo del programa"),
                           QStringLiteral("Aviso"), MessageIcon::Exclamation);
            if (outcome.outsideCount == state_.pointCount) {
                messages_.Show(QStringLiteral("No se transformará ningún punto"),
                               QStringLiteral("aviso"), MessageIcon::Exclamation);
                outcome.end = RunOutcome::End::AllOutside;
                return outcome;
            }
        }
    }

    // Centroid and rectangle, for the map and the vertex search.
    const EngineArguments& a = plan.arguments;
    outcome.map = Centroid(choices, a);
    if (cancelled_()) {
        QFile::remove(Temp(kPointFile));
        messages_.Show(QString::fromUtf8(kCancelled), QStringLiteral("Aviso"),
                       MessageIcon::Information);
        outcome.end = RunOutcome::End::Cancelled;
        return outcome;
    }

    // Vertices of a local transformation, at least three between datums.
    if (plan.searchVertices) {
        const int found = SearchVertices(plan, *outcome.map);
        outcome.verticesUsed = found;
        if (a.da != a.db && found < 3) {
            messages_.Show(QStringLiteral("El número de vértices encontrados es menor a 3.\r No "
                                          "se realizará la transformación"),
                           QString::fromLatin1(kProgramTitle), MessageIcon::None);
            outcome.end = RunOutcome::End::TooFewVertices;
            return outcome;
        }
    }

    // The transformation.
    const std::string log_path = Temp(kRunLogFile).toStdString();
    const std::string input =
        state_.drawingMode ? state_.inputFileName.toStdString() : Temp(kPointFile).toStdString();
    const std::string output =
        Temp(state_.drawingMode ? kDrawingOutput : kResultFile).toStdString();
    const auto process =
        state_.drawingMode ? &TransfControl::ProcesarDXF : &TransfControl::ProcesarTXT;
    const bool done = (transf_.*process)(log_path, input, a.da, a.pa, a.hEntrada, output, a.db,
                                         a.pb, a.hSalida, a.model, a.parametros, a.selecParam,
                                         outcome.map->xc, outcome.map->yc, 0) == 1;
    const bool utm_source = choices.sourceKind == CoordinateKind::Utm;
    QByteArray log;
    const bool has_log = ReadWholeFile(Temp(kRunLogFile), log);
    QFile::remove(Temp(kRunLogFile));
    QFile::remove(Temp(kPointFile));
    if (!done) {
        const bool cancelled = cancelled_();
        if (cancelled) {
            messages_.Show(QString::fromUtf8(kCancelled), QStringLiteral("Aviso"),
                           MessageIcon::Information);
        } else {
            messages_.Show(QStringLiteral("La transformación no ha tenido éxito.\rSe visualizará "
                                          "el registro de operaciones efectuadas."),
                           QStringLiteral("Advertencia"), MessageIcon::Critical);
        }
        if (has_log) {
            // The log as far as the engine got, without a date.
            outcome.log = LogLines(log, utm_source, false);
        }
        QFile::remove(Temp(kResultFile));
        QFile::remove(Temp(kDrawingOutput));
        outcome.end = cancelled ? RunOutcome::End::Cancelled : RunOutcome::End::EngineFailed;
        return outcome;
    }

    // Results and log.
    if (!state_.drawingMode) {
        const bool read = ReadResults(choices.targetKind, outcome);
        QFile::remove(Temp(kResultFile));
        if (!read) {
            outcome.resultCount = 0;
            FileFailure(QStringLiteral("El archivo de resultados de la transformación está "
                                       "incompleto"),
                        Temp(kResultFile));
            return outcome;
        }
    }
    if (!has_log) {
        outcome.resultCount = 0;
        FileFailure(QStringLiteral("No se encuentra el registro de la transformación"),
                    Temp(kRunLogFile));
        return outcome;
    }
    outcome.log = LogLines(log, utm_source, true);
    if (const int used = VerticesUsed(*outcome.log); used >= 0) {
        outcome.verticesUsed = used;
    }
    outcome.end = RunOutcome::End::Done;
    return outcome;
}

} // namespace quillon
