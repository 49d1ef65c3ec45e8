// The transformation run of the form's transform button: a point list goes
// to the engine as an array of points, a drawing through its file; the
// engine works on a worker thread while the window keeps drawing the
// progress (and takes the Cancel), the centroid and the vertices used
// become the run's map drawing, and the results and the engine's execution
// log come back in one value. The run reads the form's choices and the
// point table and writes the result table; it touches no window.
#pragma once

#include "comun.h"
#include "dezadiravevava.h"
#include "opciones.h"
#include "transform_request.h"

#include <QHash>
#include <QObject>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

namespace quillon {

class MessageSink;
class TransfControl;

// Names of the temporary files of a drawing run, kept in the program's
// private temporary folder (a point run writes none).
inline constexpr char kRunLogFile[] = "temp_log";
inline constexpr char kDrawingOutput[] = "salida.dxf";

// What the user is told when a run or a save was stopped at their request.
inline constexpr char kCancelled[] = "Operación cancelada por el usuario";

// True when a point of the list lies outside the area the program serves:
// geodetic points (packed sexagesimal) against the geodetic limits, geocentric
// ones against the geocentric limits, UTM points against the limits of their
// own zone; a UTM zone other than 29, 30 or 31 has no area.
bool IsOutsideRegion(const PointRecord& point, CoordinateKind kind);

// The lines of a drawing run's execution log file as the log window shows
// them: every line but the two that name the input and output files (7 and
// 11, or 7 and 12 for a UTM source, whose input side has a zone line).
QStringList LogWindowLines(const QByteArray& log, bool utm_source);

// The number of catalogue vertices a drawing run's estimation used, as its
// log reports it ("Número de puntos utilizados: N"); -1 when it reports none.
int VerticesUsed(const QStringList& log);

// The summary lines at the end of a drawing run's log (counts of texts,
// points, lines, ...), without the heading.
QStringList SummaryLines(const QStringList& log);

// What a run draws on the map: the centre of the vertex search, the
// rectangle around the data (at least 8 km wide) and the vertices found, in
// ED50 UTM zone 30 metres.
struct MapDrawing {
    double xc = 0.0;
    double yc = 0.0;
    double xMin = 0.0;
    double xMax = 0.0;
    double yMin = 0.0;
    double yMax = 0.0;
    QVector<QPointF> vertices;
    // Residual of each vertex (catalogue target minus the source carried by
    // the run's set, metres), parallel to `vertices`; empty when unknown.
    QVector<QPointF> residuals;
    // The input points, ED50 UTM zone 30: those transformed and those left
    // out (outside the region or refused by the engine).
    QVector<QPointF> points;
    QVector<QPointF> refused;
    // What the map says of the method when no vertex shows it (the grid).
    QString methodNote;
};

// The map's note for a run with the official IGN grid.
inline constexpr char kGridMapNote[] =
    "Rejilla oficial del IGN (SPED2ETV2): no se emplean vértices";

struct RunOutcome {
    enum class End {
        Done,           // the engine transformed the input
        NoInput,        // no points and no drawing
        AllOutside,     // every point lies outside the region: no engine call
        TooFewVertices, // a local fit between datums found fewer than 3 vertices
        EngineFailed,   // the engine returned 0: its log says why
        FileFailure,    // the run's own file work failed (drawings)
        Cancelled,      // the user stopped the engine from its progress window
    };
    End end = End::NoInput;
    // One mark per point of the list: why it has no result, if it has none.
    QVector<LeftOut> leftOut;
    int outsideCount = 0;
    int rejectedCount = 0;
    // The engine's reason for each rejected point, by row (from 0).
    QHash<int, QString> rejectionReasons;
    // Results written to the result table (point lists): the points the
    // engine transformed, in the order of the list.
    int resultCount = 0;
    std::optional<MapDrawing> map;
    // The log window's lines, when the engine wrote a log.
    std::optional<QStringList> log;
    // Vertices the parameters were estimated from; -1: none estimated.
    int verticesUsed = -1;
};

// Carries the engine's progress from the worker thread to the progress
// window on the window's thread, by signals: each one waits until the window
// has taken it, so that a Cancel pressed while the window draws is seen at
// the run's next stop request.
class RunRelay : public QObject {
    Q_OBJECT
public:
    // The window's callbacks (none: nothing is drawn).
    explicit RunRelay(const std::optional<DzvProgressCallbacks>& window);

    // Progress for an engine call on the worker thread; `stop` (asked there)
    // tells whether the user has asked it to stop.
    dezadiravevava::api::Progress Progress(std::function<bool()> stop);
    // The same for the control's file methods.
    DzvProgressCallbacks Callbacks();

signals:
    void opened(const QString& caption, quint64 size);
    void stepped(quint64 position);
    void closed();
};

class Transformacion {
public:
    // `cancelled` tells whether the user has asked the engine to stop; it is
    // asked on the worker thread too. `window`: the progress window's
    // callbacks, called on this thread.
    Transformacion(
        ProgramState& state, TransfControl& transf, MessageSink& messages, QString tempFolder,
        std::function<bool()> cancelled = [] { return false; },
        std::optional<DzvProgressCallbacks> window = std::nullopt);

    // The whole run of `plan`, for the source kind and search centre of
    // `choices`. Messages go to the user as the run goes.
    RunOutcome Run(const FormChoices& choices, const RunPlan& plan);

private:
    RunOutcome RunPoints(const FormChoices& choices, const RunPlan& plan);
    RunOutcome RunDrawing(const FormChoices& choices, const RunPlan& plan);
    dezadiravevava::api::PointList PointList(CoordinateKind kind, RunOutcome& outcome);
    MapDrawing Map(const FormChoices& choices, double xc, double yc, double xMin, double xMax,
                   double yMin, double yMax) const;
    int SearchVertices(const RunPlan& plan, MapDrawing& map);
    void TakeResults(CoordinateKind kind, const dezadiravevava::api::PointListOutcome& run,
                     RunOutcome& outcome);
    void Cancelled(RunOutcome& outcome);
    void FileFailure(const QString& what, const QString& path);
    QString Temp(const char* name) const;

    ProgramState& state_;
    TransfControl& transf_;
    MessageSink& messages_;
    QString tempFolder_;
    std::function<bool()> cancelled_;
    std::optional<DzvProgressCallbacks> window_;
    // Row (from 0) of each point sent to the engine, in order.
    QVector<int> sentRows_;
};

} // namespace quillon
