// The transformation run of the form's transform button: the points (or the
// drawing) go to the engine through temporary files, the centroid and the
// vertices used become the run's map drawing, and the results and the
// execution log come back. The run reads the form's choices and the point
// table and writes the result table; it touches no window.
#pragma once

#include "comun.h"
#include "opciones.h"

#include <QHash>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

namespace quillon {

class MessageSink;
class TransfControl;

// Names of the run's temporary files, kept in the program's private
// temporary folder.
inline constexpr char kPointFile[] = "temp_a";
inline constexpr char kResultFile[] = "temp_b";
inline constexpr char kRunLogFile[] = "temp_log";
inline constexpr char kDrawingOutput[] = "salida.dxf";

// What the user is told when a run or a save was stopped at their request.
inline constexpr char kCancelled[] = "Operación cancelada por el usuario";

// True when a point of the list lies outside the area the program serves:
// geodetic points (packed sexagesimal) against the geodetic limits, geocentric
// ones against the geocentric limits, UTM points against the limits of their
// own zone; a UTM zone other than 29, 30 or 31 has no area.
bool IsOutsideRegion(const PointRecord& point, CoordinateKind kind);

// The lines of an execution log as the log window shows them: every line but
// the two that name the input and output files (7 and 11, or 7 and 12 for a
// UTM source, whose input side has a zone line).
QStringList LogWindowLines(const QByteArray& log, bool utm_source);

// The number of catalogue vertices an estimation used, as the log reports it
// ("Número de puntos utilizados: N"); -1 when the log reports none.
int VerticesUsed(const QStringList& log);

// The summary lines at the end of a drawing run's log (counts of texts,
// points, lines, ...), without the heading.
QStringList SummaryLines(const QStringList& log);

// The number of point lines the engine refused, as its log's summary
// reports it ("Líneas rechazadas.....: N"); 0 when it reports none.
int RejectedLines(const QStringList& log);

// The reasons the engine gives for the lines it refused ("Línea L rechazada:
// reason"), by line number of its input file. The log names only the first
// few; the others have no entry.
QHash<int, QString> RejectionReasons(const QStringList& log);

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
        FileFailure,    // the run's own file work failed
        Cancelled,      // the user stopped the engine from its progress window
    };
    End end = End::NoInput;
    // One mark per point of the list: why it has no result, if it has none.
    QVector<LeftOut> leftOut;
    int outsideCount = 0;
    int rejectedCount = 0;
    // The engine's reason for each rejected point it names, by row (from 0).
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

class Transformacion {
public:
    // `cancelled` tells whether the user has asked the engine to stop.
    Transformacion(
        ProgramState& state, TransfControl& transf, MessageSink& messages, QString tempFolder,
        std::function<bool()> cancelled = [] { return false; });

    // The whole run of `plan`, for the source kind and search centre of
    // `choices`. Messages go to the user as the run goes.
    RunOutcome Run(const FormChoices& choices, const RunPlan& plan);

private:
    bool WritePointFile(CoordinateKind kind, RunOutcome& outcome);
    MapDrawing Centroid(const FormChoices& choices, const EngineArguments& arguments);
    int SearchVertices(const RunPlan& plan, MapDrawing& map);
    bool ReadResults(CoordinateKind kind, RunOutcome& outcome);
    void MarkRejected(const QStringList& log, RunOutcome& outcome) const;
    QStringList LogLines(const QByteArray& log, bool utm_source, bool with_date) const;
    void FileFailure(const QString& what, const QString& path);
    QString Temp(const char* name) const;

    ProgramState& state_;
    TransfControl& transf_;
    MessageSink& messages_;
    QString tempFolder_;
    std::function<bool()> cancelled_;
    // Row (from 0) of each point written to the point file, in order: the
    // point file's line n + 1 holds the point of row writtenRows_[n - 1].
    QVector<int> writtenRows_;
};

} // namespace quillon
