#include "transformacion.h"

#include "mapa_datos.h"
#include "services.h"
#include "texto_cp1252.h"
#include "transf_control.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <cmath>
#include <limits>

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

// The entities of a drawing the log names as left as they were
// ("Entidades no transformadas: 3DSOLID (2)...").
int UntransformedEntities(const QStringList& log) {
    static const QRegularExpression left(
        QStringLiteral("^Entidades no transformadas: \\S+ \\((\\d+)\\)"));
    int count = 0;
    for (const QString& line : log) {
        const QRegularExpressionMatch match = left.match(line);
        if (match.hasMatch()) {
            count += match.captured(1).toInt();
        }
    }
    return count;
}

int RejectedLines(const QStringList& log) {
    static const QRegularExpression rejected(QStringLiteral("^Líneas rechazadas\\.+: (\\d+)"));
    for (const QString& line : log) {
        const QRegularExpressionMatch match = rejected.match(line);
        if (match.hasMatch()) {
            return match.captured(1).toInt();
        }
    }
    return 0;
}

QHash<int, QString> RejectionReasons(const QStringList& log) {
    static const QRegularExpression rejected(QStringLiteral("^Línea (\\d+) rechazada: (.*)$"));
    QHash<int, QString> reasons;
    for (const QString& line : log) {
        const QRegularExpressionMatch match = rejected.match(line);
        if (match.hasMatch()) {
            reasons.insert(match.captured(1).toInt(), match.captured(2));
        }
    }
    return reasons;
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
    outcome.leftOut = QVector<LeftOut>(state_.pointCount, LeftOut::No);
    outcome.outsideCount = 0;
    writtenRows_.clear();
    for (int i = 1; i <= state_.pointCount; ++i) {
        const PointRecord& p = state_.PointTable[i - 1];
        if (IsOutsideRegion(p, kind)) {
            outcome.leftOut[i - 1] = LeftOut::Outside;
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
        writtenRows_.push_back(i - 1);
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
    if (lines.isEmpty()) {
        return false; // not even the title line
    }
    // Each result line starts with the number that its point had in the
    // point file, its place in the list. The engine leaves out the lines it
    // refuses, so a result's place in the file says nothing about its point:
    // only the number does.
    state_.MakeRoom(state_.pointCount);
    QVector<bool> written(state_.pointCount, false);
    QVector<bool> returned(state_.pointCount, false);
    for (const int row : writtenRows_) {
        written[row] = true;
    }
    const qsizetype fieldCount = kind == CoordinateKind::Utm ? 5 : 4;
    int n = 0;
    for (qsizetype k = 1; k < lines.size(); ++k) {
        const QList<QByteArray> f = lines[k].split(kTab);
        if (f.size() < fieldCount) {
            return false;
        }
        bool ok = false;
        const int row = f[0].trimmed().toInt(&ok) - 1;
        if (!ok || row < 0 || row >= state_.pointCount || !written[row] || returned[row]) {
            return false; // a point this run did not send, or sent once
        }
        double v[4] = {};
        for (qsizetype j = 1; j < fieldCount; ++j) {
            v[j - 1] = f[j].trimmed().toDouble(&ok);
            if (!ok) {
                return false;
            }
        }
        returned[row] = true;
        PointRecord& r = state_.ResultTable[n++];
        r = PointRecord{};
        r.id = state_.PointTable[row].id;
        if (kind == CoordinateKind::Geodetic) {
            // Packed sexagesimal latitude and longitude, kept rounded down
            // at the 8th decimal; h to the millimetre.
            r.c1 = std::floor(DegreesToPacked(v[1]) * 1e8) / 1e8;
            r.c2 = std::floor(DegreesToPacked(v[0]) * 1e8) / 1e8;
            r.c3 = std::floor(v[2] * 1000) / 1000;
        } else {
            r.c1 = v[0];
            r.c2 = v[1];
            r.c3 = v[2];
        }
        if (kind == CoordinateKind::Utm) {
            r.zone = static_cast<std::int16_t>(std::lround(v[3]));
        }
        if (f.size() > fieldCount) {
            // The uncertainty column; "nan" for a fit without redundancy.
            const double metres = f[fieldCount].trimmed().toDouble(&ok);
            r.uncertainty = ok ? metres : std::numeric_limits<double>::quiet_NaN();
        }
    }
    // What was sent and did not come back was refused by the engine.
    outcome.rejectedCount = 0;
    for (const int row : writtenRows_) {
        if (!returned[row]) {
            outcome.leftOut[row] = LeftOut::Rejected;
            ++outcome.rejectedCount;
        }
    }
    outcome.resultCount = n;
    return true;
}

void Transformacion::MarkRejected(const QStringList& log, RunOutcome& outcome) const {
    // Line 1 of the point file is its title; line L holds the point written
    // (L - 1)-th.
    const QHash<int, QString> reasons = RejectionReasons(log);
    for (auto it = reasons.cbegin(); it != reasons.cend(); ++it) {
        const int written = it.key() - 2;
        if (written >= 0 && written < writtenRows_.size()) {
            const int row = writtenRows_[written];
            if (outcome.leftOut.value(row) == LeftOut::Rejected) {
                outcome.rejectionReasons.insert(row, it.value());
            }
        }
    }
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
            outcome.leftOut.clear();
            outcome.outsideCount = 0;
            FileFailure(QStringLiteral("No se ha podido escribir el archivo temporal de puntos"),
                        Temp(kPointFile));
            return outcome;
        }
        if (outcome.outsideCount >= 1) {
            // One box for the event: when no point is left, the same box says so.
            const bool allOutside = outcome.outsideCount == state_.pointCount;
            messages_.Show(
                QStringLiteral("No se han transformado") + NumberText(outcome.outsideCount) +
                    QStringLiteral(" puntos (marcados con #).\rSe encuentran fuera de "
                                   "la región de cálculo del programa") +
                    (allOutside ? QStringLiteral("\rNo se transformará ningún punto") : QString()),
                QStringLiteral("Aviso"), MessageIcon::Exclamation);
            if (allOutside) {
                outcome.end = RunOutcome::End::AllOutside;
                return outcome;
            }
        }
    }

    // Centroid and rectangle, for the map and the vertex search.
    const EngineArguments& a = plan.arguments;
    outcome.map = Centroid(choices, a);
    if (a.parametros == codes::kGrid && a.da != a.db) {
        outcome.map->methodNote = QString::fromUtf8(kGridMapNote);
    }
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
    transf_.SetAlturasOrtometricas(a.alturasOrtometricas);
    // The result table shows each point's uncertainty: a last column of the
    // results file.
    transf_.SetIncertidumbre(state_.drawingMode ? 0 : 1);
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
    const auto incomplete = [&] {
        outcome.resultCount = 0;
        outcome.rejectedCount = 0;
        outcome.leftOut = QVector<LeftOut>(state_.pointCount, LeftOut::No);
        FileFailure(QStringLiteral("El archivo de resultados de la transformación está "
                                   "incompleto"),
                    Temp(kResultFile));
        return outcome;
    };
    if (!state_.drawingMode) {
        const bool read = ReadResults(choices.targetKind, outcome);
        QFile::remove(Temp(kResultFile));
        if (!read) {
            return incomplete();
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
    if (!state_.drawingMode) {
        // Every point that did not come back is one the log counts as refused.
        if (RejectedLines(*outcome.log) != outcome.rejectedCount) {
            outcome.log.reset();
            return incomplete();
        }
        MarkRejected(*outcome.log, outcome);
        if (outcome.rejectedCount > 0) {
            messages_.Show(QStringLiteral("El cálculo ha rechazado") +
                               NumberText(outcome.rejectedCount) +
                               QStringLiteral(" puntos (marcados con !): no se han "
                                              "transformado.\rLíneas rechazadas.....:") +
                               NumberText(outcome.rejectedCount) +
                               QStringLiteral("\rEl motivo figura en los metadatos («Ver "
                                              "Metadatos»)."),
                           QStringLiteral("Aviso"), MessageIcon::Exclamation);
        }
    } else if (const int left = UntransformedEntities(*outcome.log); left > 0) {
        // The drawing is written, but not everything in it moved.
        messages_.Show(QString::number(left) +
                           QStringLiteral(" entidades del dibujo no se han transformado: se han "
                                          "copiado como estaban.\rEl registro las nombra («Ver "
                                          "Metadatos»)."),
                       QStringLiteral("Aviso"), MessageIcon::Exclamation);
    }
    // What the map draws besides the centre and the rectangle.
    if (!state_.drawingMode) {
        AddPointsToMap(*outcome.map, state_.PointTable, state_.pointCount, choices.sourceKind,
                       plan.arguments, outcome.leftOut);
    }
    AddResidualsToMap(*outcome.map, plan.arguments, state_.catalogueFile);
    outcome.end = RunOutcome::End::Done;
    return outcome;
}

} // namespace quillon
