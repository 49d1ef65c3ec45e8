#include "transformacion.h"

#include "mapa_datos.h"
#include "services.h"
#include "texto_cp1252.h"
#include "transf_control.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QThread>
#include <QTime>
#include <cmath>
#include <limits>
#include <memory>

namespace quillon {

namespace {

// The wait cursor for as long as the run lasts, whichever way it ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

namespace api = dezadiravevava::api;

// Runs `work` on a worker thread while this thread goes on with its events
// (the progress window's signals) until the work ends. The user's input
// waits meanwhile, as it did while the engine ran on this thread: only the
// progress window takes it, when it draws (its Cancel), so the points cannot
// change under the run. Nothing when the work threw (memory exhausted, say).
template <class Work>
auto OnWorker(Work work) -> std::optional<decltype(work())> {
    std::optional<decltype(work())> result;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            result.emplace(work());
        } catch (...) {
            result.reset();
        }
    }));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    return result;
}

// A log text of the engine (UTF-8, "\n" line ends) as lines.
QStringList TextLines(const std::string& text) {
    QStringList lines = QString::fromStdString(text).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

// The log window's lines of a run's log, with the date and time of the run
// after the title when it ended well.
QStringList WindowLog(QStringList lines, bool with_date) {
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

RunRelay::RunRelay(const std::optional<DzvProgressCallbacks>& window) {
    if (!window) {
        return;
    }
    const DzvProgressCallbacks callbacks = *window;
    connect(
        this, &RunRelay::opened, this,
        [callbacks](const QString& caption, quint64 size) {
            callbacks.open(callbacks.context, caption.toUtf8().constData(), size);
        },
        Qt::BlockingQueuedConnection);
    connect(
        this, &RunRelay::stepped, this,
        [callbacks](quint64 position) { callbacks.step(callbacks.context, position); },
        Qt::BlockingQueuedConnection);
    connect(
        this, &RunRelay::closed, this, [callbacks] { callbacks.close(callbacks.context); },
        Qt::BlockingQueuedConnection);
}

api::Progress RunRelay::Progress(std::function<bool()> stop) {
    api::Progress progress;
    progress.open = [this](std::string_view caption, std::uint64_t size) {
        emit opened(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                    size);
    };
    progress.step = [this](std::uint64_t position) { emit stepped(position); };
    progress.close = [this] { emit closed(); };
    progress.stop_requested = std::move(stop);
    return progress;
}

DzvProgressCallbacks RunRelay::Callbacks() {
    DzvProgressCallbacks callbacks{};
    callbacks.context = this;
    callbacks.open = [](void* self, const char* caption, std::uint64_t size) {
        emit static_cast<RunRelay*>(self)->opened(QString::fromUtf8(caption), size);
    };
    callbacks.step = [](void* self, std::uint64_t position) {
        emit static_cast<RunRelay*>(self)->stepped(position);
    };
    callbacks.close = [](void* self) { emit static_cast<RunRelay*>(self)->closed(); };
    return callbacks;
}

Transformacion::Transformacion(ProgramState& state, TransfControl& transf, MessageSink& messages,
                               QString tempFolder, std::function<bool()> cancelled,
                               std::optional<DzvProgressCallbacks> window)
    : state_(state), transf_(transf), messages_(messages), tempFolder_(std::move(tempFolder)),
      cancelled_(std::move(cancelled)), window_(window) {}

QString Transformacion::Temp(const char* name) const {
    return QDir(tempFolder_).filePath(QString::fromLatin1(name));
}

void Transformacion::FileFailure(const QString& what, const QString& path) {
    messages_.Show(what + QLatin1Char('\r') + path, QStringLiteral("Error"), MessageIcon::Critical);
}

void Transformacion::Cancelled(RunOutcome& outcome) {
    messages_.Show(QString::fromUtf8(kCancelled), QStringLiteral("Aviso"),
                   MessageIcon::Information);
    outcome.end = RunOutcome::End::Cancelled;
}

api::PointList Transformacion::PointList(CoordinateKind kind, RunOutcome& outcome) {
    api::PointList list;
    outcome.leftOut = QVector<LeftOut>(state_.pointCount, LeftOut::No);
    outcome.outsideCount = 0;
    sentRows_.clear();
    list.coordinates.reserve(static_cast<std::size_t>(state_.pointCount) * 3);
    if (kind == CoordinateKind::Utm) {
        list.zones.reserve(static_cast<std::size_t>(state_.pointCount));
    }
    for (int row = 0; row < state_.pointCount; ++row) {
        const PointRecord& p = state_.PointTable[row];
        if (IsOutsideRegion(p, kind)) {
            outcome.leftOut[row] = LeftOut::Outside;
            ++outcome.outsideCount;
            continue;
        }
        if (kind == CoordinateKind::Geodetic) {
            // Longitude first, both in decimal degrees.
            list.coordinates.insert(list.coordinates.end(),
                                    {PackedToDegrees(p.c2), PackedToDegrees(p.c1), p.c3});
        } else {
            list.coordinates.insert(list.coordinates.end(), {p.c1, p.c2, p.c3});
        }
        if (kind == CoordinateKind::Utm) {
            list.zones.push_back(p.zone);
        }
        sentRows_.push_back(row);
    }
    return list;
}

MapDrawing Transformacion::Map(const FormChoices& choices, double xc, double yc, double xMin,
                               double xMax, double yMin, double yMax) const {
    MapDrawing map;
    map.xMin = xMin;
    map.xMax = xMax;
    map.yMin = yMin;
    map.yMax = yMax;
    if (choices.centre == SearchCentre::Geometric) {
        map.xc = (map.xMin + map.xMax) * 0.5;
        map.yc = (map.yMin + map.yMax) * 0.5;
    } else {
        map.xc = xc;
        map.yc = yc;
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

void Transformacion::TakeResults(CoordinateKind kind, const api::PointListOutcome& run,
                                 RunOutcome& outcome) {
    state_.MakeRoom(state_.pointCount);
    const bool uncertainty = !run.uncertainty.empty();
    int n = 0;
    for (qsizetype k = 0; k < sentRows_.size(); ++k) {
        const auto i = static_cast<std::size_t>(k);
        const int row = sentRows_[k];
        if (run.status[i] != api::PointResult::kTransformed) {
            outcome.leftOut[row] = LeftOut::Rejected;
            continue;
        }
        const double* v = &run.results[i * 3];
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
            r.zone = static_cast<std::int16_t>(run.zones[i]);
        }
        if (uncertainty) {
            // NaN for a set that knows none (an estimation without redundancy).
            r.uncertainty = run.uncertainty[i];
        }
    }
    for (const auto& [index, reason] : run.refused) {
        outcome.rejectionReasons.insert(sentRows_[static_cast<qsizetype>(index)],
                                        QString::fromStdString(reason));
    }
    outcome.rejectedCount = static_cast<int>(run.rejected);
    outcome.resultCount = n;
}

RunOutcome Transformacion::Run(const FormChoices& choices, const RunPlan& plan) {
    // 1. Nothing to transform.
    if (state_.pointCount == 0 && !state_.drawingMode) {
        messages_.Show(QStringLiteral("No se han introducido coordenadas para transformar"),
                       QStringLiteral("Error"), MessageIcon::Critical);
        return RunOutcome{};
    }
    const WaitCursor wait;
    return state_.drawingMode ? RunDrawing(choices, plan) : RunPoints(choices, plan);
}

RunOutcome Transformacion::RunPoints(const FormChoices& choices, const RunPlan& plan) {
    RunOutcome outcome;
    outcome.end = RunOutcome::End::EngineFailed;
    // The points inside the region go to the engine.
    api::PointList list = PointList(choices.sourceKind, outcome);
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

    RunRelay relay(window_);
    const api::Progress progress = relay.Progress(cancelled_);
    const EngineArguments& a = plan.arguments;

    // Centroid and rectangle, for the map and the vertex search.
    // Each point's place on the map comes with it.
    std::vector<double> zone30;
    const auto centroid =
        OnWorker([&] { return transf_.CentroidePuntos(list, a.da, a.pa, progress, &zone30); });
    if (cancelled_()) {
        Cancelled(outcome);
        return outcome;
    }
    const api::CentroidOutcome c = centroid.value_or(api::CentroidOutcome{});
    outcome.map = Map(choices, c.x, c.y, c.x_min, c.x_max, c.y_min, c.y_max);
    if (a.parametros == codes::kGrid && a.da != a.db) {
        outcome.map->methodNote = QString::fromUtf8(kGridMapNote);
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

    // The transformation; the result table shows each point's uncertainty.
    transf_.SetAlturasOrtometricas(a.alturasOrtometricas);
    transf_.SetIncertidumbre(1);
    const MapDrawing& map = *outcome.map;
    const auto run = OnWorker([&] {
        return transf_.ProcesarPuntos(list, a.da, a.pa, a.hEntrada, a.db, a.pb, a.hSalida, a.model,
                                      a.parametros, a.selecParam, map.xc, map.yc, progress);
    });
    if (!run || !run->succeeded) {
        if (run && run->cancelled) {
            Cancelled(outcome);
        } else {
            messages_.Show(QStringLiteral("La transformación no ha tenido éxito.\rSe visualizará "
                                          "el registro de operaciones efectuadas."),
                           QStringLiteral("Advertencia"), MessageIcon::Critical);
        }
        if (run && !run->log.empty()) {
            // The log as far as the engine got, without a date.
            outcome.log = WindowLog(TextLines(run->log), false);
        }
        return outcome;
    }

    // The list is no longer needed: its memory goes before the results come.
    list = api::PointList{};
    TakeResults(choices.targetKind, *run, outcome);
    outcome.log = WindowLog(TextLines(run->log), true);
    if (run->vertices_used >= 0) {
        outcome.verticesUsed = run->vertices_used;
    }
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
    // What the map draws besides the centre and the rectangle: the points,
    // and the vertices the set was estimated from with their residuals.
    AddPointsToMap(*outcome.map, state_.PointTable, state_.pointCount, choices.sourceKind,
                   plan.arguments, outcome.leftOut, sentRows_, zone30);
    if (a.da != a.db) {
        AddResidualsToMap(*outcome.map, run->vertices);
    }
    outcome.end = RunOutcome::End::Done;
    return outcome;
}

RunOutcome Transformacion::RunDrawing(const FormChoices& choices, const RunPlan& plan) {
    RunOutcome outcome;
    outcome.end = RunOutcome::End::FileFailure;
    if (tempFolder_.isEmpty()) {
        messages_.Show(QStringLiteral("No se ha podido crear la carpeta temporal del programa"),
                       QStringLiteral("Error"), MessageIcon::Critical);
        return outcome;
    }
    // Files of an earlier run.
    for (const char* name : {kRunLogFile, kDrawingOutput}) {
        QFile::remove(Temp(name));
    }
    // The control's file methods report to the window through the relay
    // while they work on the worker thread.
    RunRelay relay(window_);
    const DzvProgressCallbacks relayed = relay.Callbacks();
    transf_.SetProgress(&relayed);
    struct Restore {
        TransfControl& transf;
        const std::optional<DzvProgressCallbacks>& window;
        ~Restore() { transf.SetProgress(window ? &*window : nullptr); }
    } restore{transf_, window_};

    const EngineArguments& a = plan.arguments;
    const std::string drawing = state_.inputFileName.toStdString();
    OnWorker([&] { return transf_.CentroideDXF(drawing, a.da, a.pa, a.hEntrada); });
    outcome.map = Map(choices, transf_.XCentroide(), transf_.YCentroide(), transf_.XMinMRE(),
                      transf_.XMaxMRE(), transf_.YMinMRE(), transf_.YMaxMRE());
    if (a.parametros == codes::kGrid && a.da != a.db) {
        outcome.map->methodNote = QString::fromUtf8(kGridMapNote);
    }
    if (cancelled_()) {
        Cancelled(outcome);
        return outcome;
    }
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

    const std::string log_path = Temp(kRunLogFile).toStdString();
    const std::string output = Temp(kDrawingOutput).toStdString();
    transf_.SetAlturasOrtometricas(a.alturasOrtometricas);
    transf_.SetIncertidumbre(0);
    const double xc = outcome.map->xc, yc = outcome.map->yc;
    const bool done = OnWorker([&] {
                          return transf_.ProcesarDXF(log_path, drawing, a.da, a.pa, a.hEntrada,
                                                     output, a.db, a.pb, a.hSalida, a.model,
                                                     a.parametros, a.selecParam, xc, yc, 0);
                      }).value_or(0) == 1;
    const bool utm_source = choices.sourceKind == CoordinateKind::Utm;
    QByteArray log;
    const bool has_log = ReadWholeFile(Temp(kRunLogFile), log);
    QFile::remove(Temp(kRunLogFile));
    if (!done) {
        const bool cancelled = cancelled_();
        if (cancelled) {
            Cancelled(outcome);
        } else {
            messages_.Show(QStringLiteral("La transformación no ha tenido éxito.\rSe visualizará "
                                          "el registro de operaciones efectuadas."),
                           QStringLiteral("Advertencia"), MessageIcon::Critical);
            outcome.end = RunOutcome::End::EngineFailed;
        }
        if (has_log) {
            // The log as far as the engine got, without a date.
            outcome.log = WindowLog(LogWindowLines(log, utm_source), false);
        }
        QFile::remove(Temp(kDrawingOutput));
        return outcome;
    }
    if (!has_log) {
        FileFailure(QStringLiteral("No se encuentra el registro de la transformación"),
                    Temp(kRunLogFile));
        return outcome;
    }
    outcome.log = WindowLog(LogWindowLines(log, utm_source), true);
    if (const int used = VerticesUsed(*outcome.log); used >= 0) {
        outcome.verticesUsed = used;
    }
    if (a.da != a.db && a.parametros != codes::kNational && a.parametros != codes::kGrid) {
        // The file call gives no vertices: the map asks for those of the
        // same set (same arguments, same centre).
        AddResidualsToMap(*outcome.map,
                          transf_.ResiduosDelConjunto(a.da, a.pa, a.hEntrada, a.db, a.pb, a.hSalida,
                                                      a.model, a.parametros, a.selecParam, xc, yc));
    }
    if (const int left = UntransformedEntities(*outcome.log); left > 0) {
        // The drawing is written, but not everything in it moved.
        messages_.Show(QString::number(left) +
                           QStringLiteral(" entidades del dibujo no se han transformado: se han "
                                          "copiado como estaban.\rEl registro las nombra («Ver "
                                          "Metadatos»)."),
                       QStringLiteral("Aviso"), MessageIcon::Exclamation);
    }
    outcome.end = RunOutcome::End::Done;
    return outcome;
}

} // namespace quillon
