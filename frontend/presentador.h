// The logic of the transformation form, apart from its widgets: the form's
// choices, the point list and the drawing, the runs and their results, and
// the saving of results. The form (calculo.h) shows what this holds and
// hands it what the user does; the tests drive it directly.
//
// A run's outputs belong to that run: its results, the "#" marks of the
// points it left out, its map, its log and the file its "Guardar Como"
// chose. Whatever changes the points, the drawing or the choices drops them
// all, so that the form never shows a result of other inputs and "Guardar"
// never writes results into a file chosen for others.
#pragma once

#include "comun.h"
#include "dezadiravevava.h"
#include "guardar.h"
#include "opciones.h"
#include "services.h"
#include "tablas.h"
#include "transformacion.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUndoStack>
#include <atomic>
#include <optional>

namespace quillon {

class LayerRun;
class Preferences;
class TransfControl;

// How "Leer archivo" reads a file: the three filters of its dialog.
enum class InputFormat {
    PointsWithoutZone = 1, // "TXT - no UTM": identifier, c1, c2, c3
    PointsWithZone = 2,    // "TXT - UTM": identifier, x, y, H, zone
    Drawing = 3,           // "Autocad DXF"
};

// The outputs of the current run.
struct RunResults {
    int serial = 0;
    bool drawing = false;
    CoordinateKind targetKind = CoordinateKind::Utm;
    Datum targetDatum = Datum::Ed50;
    int resultCount = 0;
    std::optional<MapDrawing> map;
    std::optional<QStringList> log;
    int verticesUsed = -1;
    // Whether the engine transformed the input (results to save).
    bool done = false;
    // Where the results were last saved (empty: not saved yet).
    QString savedTo;
};

// What goes with the point list or the drawing beside its rows (the zone
// tick goes with a drawing): what an undo step puts back with the rows it
// changed.
struct PointsSnapshot {
    int count = 0;
    bool drawing = false;
    QString inputFileName;
    double drawingZone = 0.0;
    int outputZone = 0;
    int drawingTick = 0;
};

// The rows one change of the point list took away and brought, in the
// order it made them: first the rows `removed` (ranges of rows of the list
// before it, first row and count, ascending), then `insertedCount` rows at
// `insertedAt` of what was left. Each record is held once: the records taken
// away stay here while the change stands, the ones brought while it is
// undone; the rows the change did not touch are never copied.
struct PointsChange {
    QVector<QPair<int, int>> removed;
    QVector<PointRecord> removedRecords;
    int insertedAt = 0;
    int insertedCount = 0;
    QVector<PointRecord> insertedRecords;
};

// A file that "Guardar Como" chose for the results of one run.
struct SaveTarget {
    QString path;
    SaveFormat format = SaveFormat::Text;
    int runSerial = 0;
};

class FormPresenter : public QObject {
    Q_OBJECT
public:
    FormPresenter(ProgramState& state, TransfControl& transf, MessageSink& messages,
                  FileDialogs& files, Preferences& preferences, QString tempFolder,
                  QObject* parent = nullptr);

    // --- The form's choices -------------------------------------------------
    const FormChoices& choices() const { return choices_; }

    // --- The catalogue of vertices ---------------------------------------------
    // The table of common points the regional and local runs use; empty: the
    // built-in catalogue.
    const QString& catalogueFile() const { return catalogueFile_; }
    // The catalogue in use, as the form shows it: "integrado (de
    // demostración: 176 de 180 vértices sintéticos)" or "<file name> (N
    // vértices)".
    QString CatalogueCaption() const;
    // "de archivo…": asks for a table and makes it the catalogue. A table the
    // engine refuses is named with its problems and the catalogue stays as
    // it was.
    void ChooseCatalogueFile();
    // "integrado": the built-in catalogue again.
    void UseBuiltInCatalogue();
    CommonDialog& catalogueDialog() { return catalogueDialog_; }
    void SetSourceDatum(Datum datum);
    void SetTargetDatum(Datum datum);
    // With points listed, reminds that all points share one kind; the
    // points are kept as they are.
    void SetSourceKind(CoordinateKind kind);
    void SetTargetKind(CoordinateKind kind);
    // Ticks the box of `zone` (29, 30, 31) and unticks the others; 0 unticks
    // every box (each point then gets its own zone).
    void SetOutputZone(int zone);
    void SetMethod(Method method);
    // Local selection by number (index 1..4 of "3, 4, 5, 10 vértices más
    // cercanos") resets the distance to "sin límite", and the other way.
    void SetNearestIndex(int index);
    void SetDistanceIndex(int index);
    void SetCentre(SearchCentre centre);
    void SetModel(Model model);
    void SetOrthometricHeights(bool orthometric);

    // --- Points and drawing -------------------------------------------------
    CoordinateTableModel* pointModel() { return &pointModel_; }
    int pointCount() const { return state_.pointCount; }
    bool drawingMode() const { return state_.drawingMode; }
    // File name of the drawing without its folder; with a UTM source its zone
    // once given.
    QStringList DrawingLines() const;
    QString PointCountCaption() const;

    // The open dialog of "Leer archivo", proposing the last folder read.
    CommonDialog& openDialog() { return openDialog_; }
    // "Leer archivo": shows the open dialog and reads the chosen file.
    void ReadInputFile();
    // Reads `path` as `format`: a point file is appended to the points (or
    // replaces a drawing); a drawing replaces the points once its zone is
    // known (zoneRequested() asks for it when the source is UTM).
    void OpenFile(const QString& path, InputFormat format);
    // A file dropped on the window: a drawing by its ".dxf" extension,
    // otherwise a point file in the layout of the source kind.
    void OpenDroppedFile(const QString& path);
    // A GIS layer file (capas_sig.h) transformed whole into a new file: the
    // save dialog proposes <name>_ETRS89.<ext> (or _ED50), and a message
    // tells what was written.
    void OpenLayer(const QString& path);
    // The zone dialog's answer for the drawing waiting for it.
    void AcceptDrawingZone(double zone);
    // The zone dialog was cancelled: the drawing is dropped, and the points
    // or drawing listed before stay as they were.
    void CancelDrawing();
    bool drawingWaitsForZone() const { return pendingDrawing_.has_value(); }

    bool CanAddPoint() const;
    // Appends a typed point (of the source kind).
    void AddPoint(const PointRecord& point);
    // Replaces point `row` (from 0).
    void ReplacePoint(int row, const PointRecord& point);
    // Removes the points of `rows` (from 0, any order).
    void DeletePoints(QList<int> rows);
    // "Eliminar todo": asks, then removes every point or the drawing.
    void DeleteAll();

    // Every change of the points or the drawing (typed, edited, deleted or
    // read) is one step of this stack, undone and redone whole.
    QUndoStack* undoStack() { return &undoStack_; }
    PointsSnapshot Snapshot() const;
    // Puts back what goes with the points or the drawing of `snapshot`; the
    // run's outputs go, as with any change of the points.
    void Restore(const PointsSnapshot& snapshot);
    // Makes `change` again (redo) and leaves the list as `after`, or undoes
    // it and leaves the list as `before`.
    void Redo(PointsChange& change, const PointsSnapshot& after);
    void Undo(PointsChange& change, const PointsSnapshot& before);

    // --- The run ------------------------------------------------------------
    void Transform();
    bool running() const { return running_; }
    // The progress window's callbacks, for the runs the presenter makes
    // itself (GIS layers); its Cancel comes back through RequestCancel.
    void SetProgress(const DzvProgressCallbacks& callbacks) { progress_ = callbacks; }
    // Asks the engine to stop what it is doing for the run or the save under
    // way (the progress window's Cancel).
    void RequestCancel();
    bool cancelRequested() const { return cancelRequested_.load(); }
    const RunResults& run() const { return run_; }
    CoordinateTableModel* resultModel() { return &resultModel_; }
    // What the result area says after a drawing run.
    QString DrawingResultText() const;
    // The bordered label under the method: the vertices the current method
    // uses, or the number the last run used.
    QString VertexCaption() const;

    // --- Results ------------------------------------------------------------
    // A transformed drawing, or at least one transformed point: a run whose
    // every point the engine refused has nothing to save.
    bool CanSave() const { return run_.done && (run_.drawing || run_.resultCount > 0); }
    // Results that have not been saved since the run made them.
    bool HasUnsavedResults() const { return CanSave() && run_.savedTo.isEmpty(); }
    // Before leaving the program: with unsaved results, asks whether to
    // leave without them; true when the program may end.
    bool ConfirmLeave();
    bool CanShowMap() const { return run_.map.has_value(); }
    bool CanShowLog() const { return run_.log.has_value(); }
    // "Guardar": into the file this run's "Guardar Como" chose, in its
    // format; without one it is "Guardar Como".
    void Save();
    // "Guardar Como": asks for a file (proposing the input's folder and name
    // with the format's extension), asks before replacing an existing file,
    // and writes the results and the metadata file.
    void SaveAs();
    const std::optional<SaveTarget>& saveTarget() const { return saveTarget_; }
    CommonDialog& saveDialog() { return saveDialog_; }

signals:
    // Anything the form shows changed.
    void changed();
    // A drawing with a UTM source needs its zone.
    void zoneRequested();
    // A failed run's log is to be shown.
    void logRequested();

private:
    void ChoicesChanged();
    // Drops the outputs of the current run (results, marks, map, log and
    // the save target).
    void DropRun();
    void ShowPoints();
    void CommitDrawing(const QString& path, double zone);
    void LeaveDrawing();
    void RememberInputFolder(const QString& path);
    QString ProposedSaveName(SaveFormat format) const;
    // Writes the results; on failure `reason` says why when the system told.
    bool WriteResults(const QString& path, SaveFormat format, bool asSaveAs, QString& reason);
    void SaveFailed(const QString& path, const QString& reason = {});
    // Records the change from `before` to the points as they are now as one
    // step named `text`.
    void PushUndo(const QString& text, const PointsSnapshot& before, PointsChange change);
    // The rows of the list: `ranges` (ascending) taken out into `records`,
    // and put back from them; `count` rows at `first` brought from `records`
    // (which it empties) and taken back into it. Each goes through the point
    // model as row removals and insertions.
    void TakeRows(const QVector<QPair<int, int>>& ranges, QVector<PointRecord>& records);
    void PutBackRows(const QVector<QPair<int, int>>& ranges, QVector<PointRecord>& records);
    void BringRows(int first, QVector<PointRecord>& records);
    // A change that takes every row of the list away (none of an empty one).
    PointsChange TakeAllRows();
    // Reads a point file on a thread of its own while the event loop runs,
    // with the progress window and its Cancel for large files.
    PointFileContents ReadPoints(const QString& path, int room);
    QString Temp(const char* name) const;

    ProgramState& state_;
    TransfControl& transf_;
    MessageSink& messages_;
    FileDialogs& files_;
    Preferences& preferences_;
    QString tempFolder_;

    FormChoices choices_;
    CoordinateTableModel pointModel_;
    CoordinateTableModel resultModel_;
    CommonDialog openDialog_;
    CommonDialog saveDialog_;
    CommonDialog catalogueDialog_;
    QUndoStack undoStack_;
    QString catalogueFile_;
    // Why the last drawing of points was not written, when it was refused
    // (results of several zones and none chosen); shown by SaveFailed.
    QString saveRefusal_;

    // A drawing chosen while its zone is asked.
    std::optional<QString> pendingDrawing_;
    // The output zone ticked for the drawing by the program, not by the user.
    int drawingTick_ = 0;

    RunResults run_;
    int runSerial_ = 0;
    bool running_ = false;
    std::optional<DzvProgressCallbacks> progress_;
    // The GIS layer run under way.
    LayerRun* layerRun_ = nullptr;
    // A reading of points under way, and its Cancel.
    bool reading_ = false;
    std::atomic<bool> readCancel_{false};
    // Set on the window's thread, read by the run's worker thread too.
    std::atomic<bool> cancelRequested_ = false;
    std::optional<SaveTarget> saveTarget_;
};

} // namespace quillon
