#include "presentador.h"

#include "capas_sig.h"
#include "preferencias.h"
#include "texto_cp1252.h"
#include "transf_control.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <QUndoCommand>
#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <utility>

namespace quillon {

namespace {

const QString kOpenFilter =
    QStringLiteral("TXT - no UTM (*.txt)|*.txt|TXT - UTM (*.txt)|*.txt|Autocad DXF (*.dxf)|*.dxf|"
                   "Capa SIG (*.shp;*.gpkg;*.geojson;*.fgb)|*.shp;*.gpkg;*.geojson;*.fgb|");
const QString kPointsSaveFilter = QStringLiteral("txt (*.txt)|*.txt|Autocad 12 dxf (*.dxf)|*.dxf");
const QString kCatalogueFilter = QStringLiteral(
    "Tabla de vértices (*.tsv;*.csv;*.txt)|*.tsv;*.csv;*.txt|Todos los archivos (*.*)|*.*");
const QString kBuiltInCatalogue =
    QStringLiteral("integrado (de demostración: 176 de 180 vértices sintéticos)");
const QString kDrawingSaveFilter = QStringLiteral("Autocad DXF (*.dxf)|*.dxf|");

const QString kVerticesUsed = QStringLiteral(" vértices empleados");

// Changes of the points that can be undone.
constexpr int kUndoSteps = 100;

QString DatumName(Datum datum) {
    return datum == Datum::Ed50 ? QStringLiteral("ED50") : QStringLiteral("ETRS89");
}

// The open dialog's filter for points of a kind ("TXT - UTM" for UTM).
int PointFilterOf(CoordinateKind kind) {
    return static_cast<int>(kind == CoordinateKind::Utm ? InputFormat::PointsWithZone
                                                        : InputFormat::PointsWithoutZone);
}

// One change of the points or the drawing: the rows it took away and
// brought (PointsChange) and what goes with the list before and after it.
// The change itself is made before the step is pushed, so the first redo
// (the one the stack calls on pushing) has nothing to do.
class PointsStep : public QUndoCommand {
public:
    PointsStep(FormPresenter& presenter, const QString& text, PointsSnapshot before,
               PointsSnapshot after, PointsChange change)
        : QUndoCommand(text), presenter_(presenter), before_(std::move(before)),
          after_(std::move(after)), change_(std::move(change)) {}

    void undo() override { presenter_.Undo(change_, before_); }
    void redo() override {
        if (pushed_) {
            presenter_.Redo(change_, after_);
        }
        pushed_ = true;
    }

private:
    FormPresenter& presenter_;
    PointsSnapshot before_;
    PointsSnapshot after_;
    PointsChange change_;
    bool pushed_ = false;
};

// Files from this size on are read with the progress window.
constexpr qint64 kReadProgressBytes = 1024 * 1024;
// How often the progress window follows a reading.
constexpr int kReadProgressMilliseconds = 50;

// Grows a table of records to hold `count` of them, by a share of its size
// (the point table of a million points does not double for one more).
void Reserve(QVector<PointRecord>& table, qsizetype count) {
    if (count > table.size()) {
        const qsizetype size = table.size();
        table.resize(std::max(count, size < 65536 ? 2 * size : size + size / 4));
    }
}

// A folder as the open dialog's proposed file name: the dialog starts there.
QString FolderProposal(const QString& folder) {
    return folder.isEmpty() ? QString() : QDir(folder).absolutePath() + QLatin1Char('/');
}

} // namespace

FormPresenter::FormPresenter(ProgramState& state, TransfControl& transf, MessageSink& messages,
                             FileDialogs& files, Preferences& preferences, QString tempFolder,
                             QObject* parent)
    : QObject(parent), state_(state), transf_(transf), messages_(messages), files_(files),
      preferences_(preferences), tempFolder_(std::move(tempFolder)),
      choices_(preferences.Choices()), pointModel_(state.PointTable),
      resultModel_(state.ResultTable, true) {
    openDialog_.flags = CommonDialog::kFileMustExist;
    openDialog_.filter = kOpenFilter;
    openDialog_.filterIndex = PointFilterOf(choices_.sourceKind);
    openDialog_.fileName = FolderProposal(preferences_.InputFolder());
    saveDialog_.filter = kPointsSaveFilter;
    saveDialog_.filterIndex = 1;
    catalogueDialog_.flags = CommonDialog::kFileMustExist;
    catalogueDialog_.filter = kCatalogueFilter;
    // Each step keeps the rows it took away or brought: a bounded history.
    undoStack_.setUndoLimit(kUndoSteps);
    state_.pointCount = 0;
    state_.drawingMode = false;
    pointModel_.Show(0, choices_.sourceKind);
    resultModel_.Show(0, choices_.targetKind);
    pointModel_.SetOrthometric(choices_.orthometricHeights);
    resultModel_.SetOrthometric(choices_.orthometricHeights);
}

QString FormPresenter::Temp(const char* name) const {
    return tempFolder_.isEmpty() ? QString()
                                 : QDir(tempFolder_).filePath(QString::fromLatin1(name));
}

// --- Choices -------------------------------------------------------------------

void FormPresenter::ChoicesChanged() {
    preferences_.SetChoices(choices_);
    pointModel_.SetOrthometric(choices_.orthometricHeights);
    resultModel_.SetOrthometric(choices_.orthometricHeights);
    DropRun();
    emit changed();
}

void FormPresenter::SetSourceDatum(Datum datum) {
    if (choices_.sourceDatum != datum) {
        choices_.sourceDatum = datum;
        ChoicesChanged();
    }
}

void FormPresenter::SetTargetDatum(Datum datum) {
    if (choices_.targetDatum != datum) {
        choices_.targetDatum = datum;
        ChoicesChanged();
    }
}

void FormPresenter::SetSourceKind(CoordinateKind kind) {
    if (choices_.sourceKind == kind) {
        return;
    }
    if (state_.pointCount > 0) {
        messages_.Show(QStringLiteral("Recuerde: Solo se pueden introducir datos en un único "
                                      "formato\r(geocéntricas, geodésicas o UTM)\r"),
                       QStringLiteral("Aviso"), MessageIcon::Information);
    }
    choices_.sourceKind = kind;
    if (openDialog_.filterIndex != static_cast<int>(InputFormat::Drawing)) {
        openDialog_.filterIndex = PointFilterOf(kind);
    }
    ShowPoints();
    ChoicesChanged();
}

void FormPresenter::SetTargetKind(CoordinateKind kind) {
    if (choices_.targetKind != kind) {
        choices_.targetKind = kind;
        ChoicesChanged();
    }
}

void FormPresenter::SetOutputZone(int zone) {
    if (zone != 29 && zone != 30 && zone != 31) {
        zone = 0;
    }
    drawingTick_ = 0; // the user's own choice from now on
    if (choices_.outputZone != zone) {
        choices_.outputZone = zone;
        ChoicesChanged();
    }
}

void FormPresenter::SetMethod(Method method) {
    if (choices_.method != method) {
        choices_.method = method;
        ChoicesChanged();
    }
}

void FormPresenter::SetNearestIndex(int index) {
    index = std::clamp(index, 0, 4);
    if (choices_.nearestIndex == index) {
        return;
    }
    choices_.nearestIndex = index;
    if (index != 0) {
        choices_.distanceIndex = 0;
    }
    ChoicesChanged();
}

void FormPresenter::SetDistanceIndex(int index) {
    index = std::clamp(index, 0, 4);
    if (choices_.distanceIndex == index) {
        return;
    }
    choices_.distanceIndex = index;
    if (index != 0) {
        choices_.nearestIndex = 0;
    }
    ChoicesChanged();
}

void FormPresenter::SetCentre(SearchCentre centre) {
    if (choices_.centre != centre) {
        choices_.centre = centre;
        ChoicesChanged();
    }
}

void FormPresenter::SetModel(Model model) {
    if (choices_.model != model) {
        choices_.model = model;
        ChoicesChanged();
    }
}

void FormPresenter::SetOrthometricHeights(bool orthometric) {
    if (choices_.orthometricHeights != orthometric) {
        choices_.orthometricHeights = orthometric;
        ChoicesChanged();
    }
}

// --- Points and drawing ----------------------------------------------------------

QStringList FormPresenter::DrawingLines() const {
    if (!state_.drawingMode) {
        return {};
    }
    QStringList lines = {QStringLiteral("Se ha abierto el archivo:"),
                         QFileInfo(state_.inputFileName).fileName()};
    if (choices_.sourceKind == CoordinateKind::Utm) {
        lines << QStringLiteral("(Huso") + NumberText(state_.drawingZone) + QLatin1Char(')');
    }
    return lines;
}

QString FormPresenter::PointCountCaption() const {
    if (state_.drawingMode) {
        return QStringLiteral(" ");
    }
    return QString::number(state_.pointCount) + QStringLiteral(" puntos en total");
}

void FormPresenter::ShowPoints() {
    pointModel_.Show(state_.pointCount, choices_.sourceKind);
}

void FormPresenter::RememberInputFolder(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    preferences_.SetInputFolder(folder);
    openDialog_.fileName = FolderProposal(folder);
}

void FormPresenter::ReadInputFile() {
    const QString path = files_.ShowOpen(openDialog_);
    if (path.isEmpty()) {
        return; // cancelled: nothing changes
    }
    const int filter = std::clamp(openDialog_.filterIndex, 1, 3);
    OpenFile(path, static_cast<InputFormat>(filter));
}

void FormPresenter::OpenDroppedFile(const QString& path) {
    if (path.endsWith(QStringLiteral(".dxf"), Qt::CaseInsensitive)) {
        OpenFile(path, InputFormat::Drawing);
    } else {
        OpenFile(path, static_cast<InputFormat>(PointFilterOf(choices_.sourceKind)));
    }
}

void FormPresenter::OpenFile(const QString& path, InputFormat format) {
    if (running_ || reading_) {
        return;
    }
    if (IsLayerFile(path)) {
        OpenLayer(path);
        return;
    }
    if (format == InputFormat::Drawing) {
        if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable()) {
            messages_.Show(QStringLiteral("No se puede leer el archivo:\r") + path,
                           QStringLiteral("Error"), MessageIcon::Critical);
            return;
        }
        if (choices_.sourceKind == CoordinateKind::Utm) {
            // The drawing replaces the input only once its zone is known.
            pendingDrawing_ = path;
            emit zoneRequested();
        } else {
            CommitDrawing(path, 0.0);
        }
        return;
    }

    // Points replace a drawing; points already listed stay or are replaced
    // as the user chooses. The lines are read as the kind of coordinates of
    // A asks, whichever filter or way opened the file. A drawing stays when
    // the file brings no points, and the list stays as it was when the
    // reading is cancelled.
    const PointsSnapshot before = Snapshot();
    const bool wasDrawing = state_.drawingMode;
    const int listed = state_.pointCount;
    bool replace = false;
    if (!wasDrawing && listed > 0) {
        const int choice = messages_.Choose(
            QStringLiteral("La lista ya tiene %1 puntos.\r¿Añadir los del archivo a la lista o "
                           "sustituirla por ellos?")
                .arg(listed),
            QStringLiteral("Leer archivo"),
            {QStringLiteral("Añadir"), QStringLiteral("Sustituir")});
        if (choice < 0) {
            return;
        }
        replace = choice == 1;
    }
    PointFileContents contents = ReadPoints(path, kPointCapacity - (replace ? 0 : listed));
    if (contents.read.end == PointFileEnd::Cancelled) {
        return;
    }
    const bool nothingRead = contents.read.end == PointFileEnd::Unreadable ||
                             contents.read.end == PointFileEnd::TooLarge ||
                             contents.read.end == PointFileEnd::WrongLayout;
    if (nothingRead) {
        // The list (or the drawing) as it was.
        TellPointFileRead(contents, messages_);
        return;
    }
    PointsChange change = replace ? TakeAllRows() : PointsChange{};
    if (wasDrawing) {
        LeaveDrawing();
    }
    state_.savedPointCount = state_.pointCount;
    change.insertedAt = state_.pointCount;
    change.insertedCount = static_cast<int>(contents.points.size());
    BringRows(change.insertedAt, contents.points);
    state_.inputFileName = path;
    RememberInputFolder(path);
    ShowPoints();
    DropRun();
    PushUndo(QStringLiteral("Leer archivo"), before, std::move(change));
    emit changed();
    // The summary once the table shows the points read.
    TellPointFileRead(contents, messages_);
}

PointFileContents FormPresenter::ReadPoints(const QString& path, int room) {
    const qint64 size = QFileInfo(path).size();
    const bool window = progress_.has_value() && size >= kReadProgressBytes;
    readCancel_ = false;
    reading_ = true;
    if (window) {
        progress_->open(progress_->context, "Leyendo puntos", static_cast<std::uint64_t>(size));
    }
    // The reading runs on its own thread and touches nothing of the list;
    // this thread's event loop draws the windows and takes the Cancel
    // meanwhile.
    std::atomic<qint64> position{0};
    PointFileContents contents;
    const CoordinateKind kind = choices_.sourceKind;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        contents = ParsePointFile(path, kind, std::max(room, 0), [&](qint64 at) {
            position = at;
            return !readCancel_;
        });
    }));
    QEventLoop loop;
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer follow;
    follow.setInterval(kReadProgressMilliseconds);
    connect(&follow, &QTimer::timeout, &loop, [&] {
        progress_->step(progress_->context, static_cast<std::uint64_t>(position.load()));
    });
    thread->start();
    if (window) {
        follow.start();
    }
    loop.exec();
    thread->wait();
    follow.stop();
    if (window) {
        progress_->close(progress_->context);
    }
    reading_ = false;
    return contents;
}

void FormPresenter::OpenLayer(const QString& path) {
    const LayerRunResult system = LayerSystemOf(path);
    if (!system.succeeded) {
        messages_.Show(QStringLiteral("No se puede transformar la capa:\r") + path +
                           QLatin1Char('\r') + system.failure,
                       QStringLiteral("Error"), MessageIcon::Critical);
        return;
    }
    const QString suffix = QFileInfo(path).suffix();
    CommonDialog dialog;
    dialog.filter = QStringLiteral("Capa SIG (*.%1)|*.%1").arg(suffix);
    dialog.filterIndex = 1;
    dialog.fileName = LayerOutputProposal(path, system.toEtrs89);
    const QString output = files_.ShowSave(dialog);
    if (output.isEmpty()) {
        return; // cancelled
    }
    if (QFileInfo::exists(output) &&
        !messages_.Ask(QStringLiteral("El archivo ") + output +
                           QStringLiteral(" ya existe.\r¿Desea reemplazarlo?"),
                       QStringLiteral("Capa SIG"))) {
        return;
    }
    // The run goes on a worker thread with the form's method; the progress
    // window follows it, and its Cancel stops it.
    LayerRun job;
    if (progress_) {
        const DzvProgressCallbacks callbacks = *progress_;
        connect(&job, &LayerRun::progressOpened, this,
                [callbacks](const QString& caption, quint64 size) {
                    callbacks.open(callbacks.context, caption.toUtf8().constData(), size);
                });
        connect(&job, &LayerRun::progressStepped, this,
                [callbacks](quint64 position) { callbacks.step(callbacks.context, position); });
        connect(&job, &LayerRun::progressClosed, this,
                [callbacks] { callbacks.close(callbacks.context); });
    }
    QEventLoop wait;
    connect(&job, &LayerRun::finished, &wait, &QEventLoop::quit);
    layerRun_ = &job;
    running_ = true;
    job.Start(path, output, LayerMethodArguments(choices_, catalogueFile_, system.utm));
    wait.exec();
    running_ = false;
    layerRun_ = nullptr;
    const LayerRunResult run = job.result();
    if (!run.succeeded) {
        messages_.Show(QStringLiteral("La capa no se ha transformado: ") + run.failure +
                           (run.logPath.isEmpty()
                                ? QString()
                                : QStringLiteral("\rVea el registro ") + run.logPath),
                       QStringLiteral("Error"), MessageIcon::Critical);
        return;
    }
    QString text = QStringLiteral("Capa transformada de %1 a %2:\r%3\r%4 entidades y %5 "
                                  "vértices escritos.")
                       .arg(run.sourceCode, run.targetCode, output)
                       .arg(run.features)
                       .arg(run.vertices);
    if (run.rejected > 0) {
        text += QStringLiteral("\r%1 entidades rechazadas (vea el registro %2).")
                    .arg(run.rejected)
                    .arg(run.logPath);
    }
    messages_.Show(text, QStringLiteral("Capa SIG"),
                   run.rejected > 0 ? MessageIcon::Exclamation : MessageIcon::Information);
}

void FormPresenter::AcceptDrawingZone(double zone) {
    if (!pendingDrawing_) {
        return;
    }
    const QString path = *pendingDrawing_;
    pendingDrawing_.reset();
    CommitDrawing(path, zone);
}

void FormPresenter::CancelDrawing() {
    pendingDrawing_.reset();
    emit changed();
}

void FormPresenter::CommitDrawing(const QString& path, double zone) {
    const PointsSnapshot before = Snapshot();
    if (state_.drawingMode) {
        LeaveDrawing();
    }
    PointsChange change = TakeAllRows();
    state_.drawingMode = true;
    state_.inputFileName = path;
    state_.drawingZone = zone;
    // A drawing is brought to UTM in one zone: its own, or 30 when it is
    // not in UTM. The tick is the program's, and goes with the drawing.
    if (choices_.targetKind == CoordinateKind::Utm && choices_.outputZone == 0) {
        choices_.outputZone =
            choices_.sourceKind == CoordinateKind::Utm ? static_cast<int>(zone) : 30;
        drawingTick_ = choices_.outputZone;
    }
    RememberInputFolder(path);
    ShowPoints();
    DropRun();
    PushUndo(QStringLiteral("Leer archivo"), before, std::move(change));
    emit changed();
}

void FormPresenter::LeaveDrawing() {
    state_.drawingMode = false;
    if (drawingTick_ != 0 && choices_.outputZone == drawingTick_) {
        choices_.outputZone = 0;
    }
    drawingTick_ = 0;
}

bool FormPresenter::CanAddPoint() const {
    return !state_.drawingMode;
}

void FormPresenter::AddPoint(const PointRecord& point) {
    if (state_.drawingMode || reading_) {
        return;
    }
    if (state_.pointCount >= kPointCapacity) {
        messages_.Show(TableFullMessage(), QStringLiteral("Aviso"), MessageIcon::Exclamation);
        return;
    }
    const PointsSnapshot before = Snapshot();
    PointsChange change;
    change.insertedAt = state_.pointCount;
    change.insertedCount = 1;
    QVector<PointRecord> records = {point};
    BringRows(change.insertedAt, records);
    ShowPoints();
    DropRun();
    PushUndo(QStringLiteral("Añadir punto"), before, std::move(change));
    emit changed();
}

void FormPresenter::ReplacePoint(int row, const PointRecord& point) {
    if (row < 0 || row >= state_.pointCount || reading_) {
        return;
    }
    const PointsSnapshot before = Snapshot();
    PointRecord record = state_.PointTable[row];
    record.id = point.id;
    record.c1 = point.c1;
    record.c2 = point.c2;
    record.c3 = point.c3;
    if (choices_.sourceKind == CoordinateKind::Utm) {
        record.zone = point.zone;
    }
    // The row before the edit goes with the step; the edited one takes its
    // place.
    PointsChange change;
    change.removed = {{row, 1}};
    TakeRows(change.removed, change.removedRecords);
    change.insertedAt = row;
    change.insertedCount = 1;
    QVector<PointRecord> records = {std::move(record)};
    BringRows(row, records);
    ShowPoints();
    DropRun();
    PushUndo(QStringLiteral("Editar punto"), before, std::move(change));
    emit changed();
}

void FormPresenter::DeletePoints(QList<int> rows) {
    if (reading_) {
        return; // the list changes once the reading ends
    }
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [this](int row) { return row < 0 || row >= state_.pointCount; }),
               rows.end());
    if (rows.isEmpty()) {
        if (state_.pointCount > 0) {
            messages_.Show(QStringLiteral("Debe seleccionar al menos un punto de la lista"),
                           QStringLiteral("Error"), MessageIcon::Critical);
        }
        return;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const PointsSnapshot before = Snapshot();
    // The rows as ranges of consecutive ones.
    PointsChange change;
    for (const int row : rows) {
        if (!change.removed.isEmpty() &&
            change.removed.back().first + change.removed.back().second == row) {
            ++change.removed.back().second;
        } else {
            change.removed.append({row, 1});
        }
    }
    TakeRows(change.removed, change.removedRecords);
    ShowPoints();
    DropRun();
    PushUndo(QStringLiteral("Eliminar puntos"), before, std::move(change));
    emit changed();
}

void FormPresenter::DeleteAll() {
    if ((state_.pointCount <= 0 && !state_.drawingMode) || reading_) {
        return;
    }
    const QString question =
        state_.drawingMode
            ? QStringLiteral("¿Desea quitar el dibujo %1 de la lista?")
                  .arg(QFileInfo(state_.inputFileName).fileName())
            : QStringLiteral("¿Desea eliminar los %1 puntos de la lista?").arg(state_.pointCount);
    if (!messages_.Ask(question, QStringLiteral("Eliminar todo"))) {
        return;
    }
    const PointsSnapshot before = Snapshot();
    if (state_.drawingMode) {
        LeaveDrawing();
    }
    PointsChange change = TakeAllRows();
    state_.inputFileName.clear();
    ShowPoints();
    DropRun();
    PushUndo(QStringLiteral("Eliminar todo"), before, std::move(change));
    emit changed();
}

PointsSnapshot FormPresenter::Snapshot() const {
    return PointsSnapshot{state_.pointCount,  state_.drawingMode,  state_.inputFileName,
                          state_.drawingZone, choices_.outputZone, drawingTick_};
}

void FormPresenter::Restore(const PointsSnapshot& snapshot) {
    if (running_) {
        return;
    }
    state_.drawingMode = snapshot.drawing;
    state_.inputFileName = snapshot.inputFileName;
    state_.drawingZone = snapshot.drawingZone;
    drawingTick_ = snapshot.drawingTick;
    if (choices_.outputZone != snapshot.outputZone) {
        choices_.outputZone = snapshot.outputZone;
        preferences_.SetChoices(choices_);
    }
    ShowPoints();
    DropRun();
    emit changed();
}

void FormPresenter::Redo(PointsChange& change, const PointsSnapshot& after) {
    if (running_ || reading_) {
        return;
    }
    TakeRows(change.removed, change.removedRecords);
    BringRows(change.insertedAt, change.insertedRecords);
    Restore(after);
}

void FormPresenter::Undo(PointsChange& change, const PointsSnapshot& before) {
    if (running_ || reading_) {
        return;
    }
    if (change.insertedCount > 0) {
        const QVector<QPair<int, int>> inserted = {{change.insertedAt, change.insertedCount}};
        TakeRows(inserted, change.insertedRecords);
    }
    PutBackRows(change.removed, change.removedRecords);
    Restore(before);
}

void FormPresenter::TakeRows(const QVector<QPair<int, int>>& ranges,
                             QVector<PointRecord>& records) {
    QVector<PointRecord>& table = state_.PointTable;
    const int count = state_.pointCount;
    records.clear();
    if (ranges.isEmpty()) {
        return;
    }
    if (ranges.size() == 1 && ranges[0].first == 0 && ranges[0].second == count &&
        count >= kInitialTableRows) {
        // The whole list: its table goes as it is, a new one takes its place.
        pointModel_.RemoveRecords(0, count, [&] {
            records = std::exchange(table, QVector<PointRecord>(kInitialTableRows));
            records.resize(count);
            state_.pointCount = 0;
        });
        return;
    }
    qsizetype taken = 0;
    for (const auto& [first, size] : ranges) {
        taken += size;
    }
    records.reserve(taken);
    for (const auto& [first, size] : ranges) {
        std::move(table.begin() + first, table.begin() + first + size, std::back_inserter(records));
    }
    // The rows left close up in one pass, then the model is told of each
    // range from the last one, so that the rows before it keep their number.
    int to = ranges[0].first;
    for (qsizetype i = 0; i < ranges.size(); ++i) {
        const int from = ranges[i].first + ranges[i].second;
        const int until = i + 1 < ranges.size() ? ranges[i + 1].first : count;
        std::move(table.begin() + from, table.begin() + until, table.begin() + to);
        to += until - from;
    }
    for (qsizetype i = ranges.size() - 1; i >= 0; --i) {
        pointModel_.RemoveRecords(ranges[i].first, ranges[i].second,
                                  [&] { state_.pointCount -= ranges[i].second; });
    }
}

PointsChange FormPresenter::TakeAllRows() {
    PointsChange change;
    if (state_.pointCount > 0) {
        change.removed = {{0, state_.pointCount}};
        TakeRows(change.removed, change.removedRecords);
    }
    return change;
}

void FormPresenter::PutBackRows(const QVector<QPair<int, int>>& ranges,
                                QVector<PointRecord>& records) {
    QVector<PointRecord>& table = state_.PointTable;
    const int count = state_.pointCount;
    const int back = static_cast<int>(records.size());
    if (ranges.isEmpty() || back == 0) {
        return;
    }
    if (ranges.size() == 1 && ranges[0].first == 0 && count == 0 && back >= kInitialTableRows) {
        pointModel_.InsertRecords(0, back, [&] {
            table = std::exchange(records, {});
            state_.pointCount = back;
        });
        return;
    }
    Reserve(table, count + back);
    // From the last row down: each row kept moves to its place after the
    // rows that come back before it.
    int from = count;      // rows of the list now not yet moved: [0, from)
    int to = count + back; // places not yet filled: [0, to)
    int record = back;
    for (qsizetype i = ranges.size() - 1; i >= 0; --i) {
        const int end = ranges[i].first + ranges[i].second; // in the list after
        const int kept = to - end;
        std::move_backward(table.begin() + from - kept, table.begin() + from, table.begin() + to);
        from -= kept;
        to = ranges[i].first;
        std::move(records.begin() + record - ranges[i].second, records.begin() + record,
                  table.begin() + to);
        record -= ranges[i].second;
    }
    records = {};
    // Told in order, so that the numbers of each range are those of the
    // list as it stands then.
    for (const auto& range : ranges) {
        const int size = range.second;
        pointModel_.InsertRecords(range.first, size, [&] { state_.pointCount += size; });
    }
}

void FormPresenter::BringRows(int first, QVector<PointRecord>& records) {
    QVector<PointRecord>& table = state_.PointTable;
    const int count = state_.pointCount;
    const int size = static_cast<int>(records.size());
    if (size == 0) {
        records = {};
        return;
    }
    pointModel_.InsertRecords(first, size, [&] {
        if (first == 0 && count == 0 && size >= kInitialTableRows) {
            table = std::exchange(records, {});
        } else {
            Reserve(table, count + size);
            std::move_backward(table.begin() + first, table.begin() + count,
                               table.begin() + count + size);
            std::move(records.begin(), records.end(), table.begin() + first);
            records = {};
        }
        state_.pointCount = count + size;
    });
}

void FormPresenter::PushUndo(const QString& text, const PointsSnapshot& before,
                             PointsChange change) {
    undoStack_.push(new PointsStep(*this, text, before, Snapshot(), std::move(change)));
}

// --- The run ------------------------------------------------------------------------

void FormPresenter::DropRun() {
    if (run_.drawing && run_.done) {
        QFile::remove(Temp(kDrawingOutput)); // the drawing the run wrote
    }
    run_ = RunResults{};
    saveTarget_.reset();
    pointModel_.SetLeftOut({});
    resultModel_.Show(0, choices_.targetKind);
}

void FormPresenter::Transform() {
    if (running_ || reading_) {
        return;
    }
    running_ = true;
    cancelRequested_ = false;
    DropRun();
    run_.serial = ++runSerial_;
    emit changed();
    if (state_.pointCount == 0 && !state_.drawingMode) {
        messages_.Show(QStringLiteral("No se han introducido coordenadas para transformar"),
                       QStringLiteral("Error"), MessageIcon::Critical);
        running_ = false;
        return;
    }
    RunPlan plan = PlanRun(choices_, state_.drawingMode, state_.drawingZone);
    if (plan.fallsBackToRegional) {
        messages_.Show(QStringLiteral("al seleccionar todos los vértices disponibles se pasa al "
                                      "empleo de parámetros regionales"),
                       QString::fromLatin1(kProgramTitle), MessageIcon::None);
        choices_.method = Method::Regional;
        preferences_.SetChoices(choices_);
        plan = PlanRun(choices_, state_.drawingMode, state_.drawingZone);
        emit changed();
    }

    // The engine works on a worker thread, which asks for the Cancel there.
    Transformacion transformacion(
        state_, transf_, messages_, tempFolder_, [this] { return cancelRequested_.load(); },
        progress_);
    const RunOutcome outcome = transformacion.Run(choices_, plan);

    run_.drawing = state_.drawingMode;
    run_.targetKind = choices_.targetKind;
    run_.targetDatum = choices_.targetDatum;
    run_.map = outcome.map;
    run_.log = outcome.log;
    run_.verticesUsed = outcome.verticesUsed;
    run_.done = outcome.end == RunOutcome::End::Done;
    run_.resultCount = run_.done ? outcome.resultCount : 0;
    if (outcome.outsideCount > 0 || outcome.rejectedCount > 0) {
        pointModel_.SetLeftOut(outcome.leftOut, outcome.rejectionReasons);
    }
    resultModel_.Show(run_.drawing ? 0 : run_.resultCount, run_.targetKind);
    running_ = false;
    emit changed();
    if (outcome.end == RunOutcome::End::EngineFailed && run_.log) {
        emit logRequested();
    }
}

void FormPresenter::RequestCancel() {
    if (reading_) {
        readCancel_ = true; // the reading of points only
        return;
    }
    cancelRequested_ = true;
    if (layerRun_ != nullptr) {
        layerRun_->Cancel();
    }
    transf_.Cancel();
}

QString FormPresenter::DrawingResultText() const {
    if (!run_.done || !run_.drawing) {
        return {};
    }
    QStringList lines = {QStringLiteral("Transformación realizada."),
                         QStringLiteral("Dibujo transformado: ") +
                             QFileInfo(state_.inputFileName).fileName(),
                         QString()};
    if (run_.log) {
        lines << SummaryLines(*run_.log) << QString();
    }
    if (run_.savedTo.isEmpty()) {
        lines << QStringLiteral("Guarde el dibujo transformado con «Guardar» o «Guardar Como».");
    } else {
        lines << QStringLiteral("Dibujo transformado guardado en ") + run_.savedTo;
    }
    return lines.join(QLatin1Char('\n'));
}

QString FormPresenter::CatalogueCaption() const {
    if (catalogueFile_.isEmpty()) {
        return kBuiltInCatalogue;
    }
    // A long name is cut, so that it never widens the window; the form shows
    // the whole path as the caption's tool tip.
    QString name = QFileInfo(catalogueFile_).fileName();
    if (name.size() > 40) {
        name = name.left(39) + QChar(0x2026);
    }
    return name + QStringLiteral(" (") + QString::number(state_.catalogueVertexCount) +
           QStringLiteral(" vértices)");
}

void FormPresenter::ChooseCatalogueFile() {
    const QString path = files_.ShowOpen(catalogueDialog_);
    if (path.isEmpty()) {
        emit changed(); // the form shows the catalogue still in use
        return;
    }
    std::int32_t vertices = 0;
    const std::string problems = transf_.SetCatalogo(path.toStdString(), vertices);
    if (!problems.empty()) {
        messages_.Show(
            QStringLiteral("El catálogo de vértices ") + QFileInfo(path).fileName() +
                QStringLiteral(" no se puede usar:\r") +
                QString::fromStdString(problems).replace(QLatin1Char('\n'), QLatin1Char('\r')),
            QStringLiteral("Catálogo de vértices"), MessageIcon::Exclamation);
        emit changed();
        return;
    }
    catalogueFile_ = path;
    state_.catalogueFile = path;
    state_.catalogueVertexCount = vertices;
    DropRun();
    emit changed();
}

void FormPresenter::UseBuiltInCatalogue() {
    if (catalogueFile_.isEmpty()) {
        return;
    }
    std::int32_t vertices = 0;
    transf_.SetCatalogo(std::string(), vertices);
    catalogueFile_.clear();
    state_.catalogueFile.clear();
    state_.catalogueVertexCount = vertices;
    DropRun();
    emit changed();
}

QString FormPresenter::VertexCaption() const {
    // Nothing before a run, nor after one that did not end (cancelled or
    // failed): the label speaks of the last run only.
    if (!run_.done) {
        return {};
    }
    if (run_.verticesUsed >= 0 && choices_.modelApplies()) {
        return QString::number(run_.verticesUsed) + kVerticesUsed;
    }
    if (!choices_.changesDatum()) {
        return QStringLiteral("ningún vértice empleado");
    }
    switch (choices_.method) {
    case Method::National:
        return QStringLiteral("ningún vértice empleado");
    case Method::Grid:
        return QStringLiteral("Rejilla oficial del IGN (SPED2ETV2): ningún vértice empleado");
    case Method::Regional:
        return QString::number(state_.catalogueVertexCount) + kVerticesUsed;
    case Method::Local:
        break;
    }
    return {};
}

bool FormPresenter::ConfirmLeave() {
    if (!HasUnsavedResults()) {
        return true;
    }
    return messages_.Ask(QStringLiteral("Los resultados de la última transformación no se han "
                                        "guardado.\r¿Desea salir sin guardarlos?"),
                         QStringLiteral("Salir"));
}

// --- Saving ---------------------------------------------------------------------------

QString FormPresenter::ProposedSaveName(SaveFormat format) const {
    QString folder;
    QString name = QStringLiteral("puntos");
    if (!state_.inputFileName.isEmpty()) {
        const QFileInfo input(state_.inputFileName);
        folder = input.absolutePath();
        name = input.completeBaseName();
    }
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = preferences_.OutputFolder();
    }
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = QDir::homePath();
    }
    // The target datum in the name keeps the input from being proposed.
    name += QLatin1Char('_') + DatumName(run_.targetDatum) + FormatExtension(format);
    return QDir(folder).filePath(name);
}

void FormPresenter::SaveFailed(const QString& path, const QString& reason) {
    if (!saveRefusal_.isEmpty()) {
        messages_.Show(saveRefusal_ + QStringLiteral("\rNo se ha guardado ") + path,
                       QStringLiteral("Aviso"), MessageIcon::Exclamation);
        saveRefusal_.clear();
        return;
    }
    if (cancelRequested_) {
        messages_.Show(QString::fromUtf8(kCancelled) + QStringLiteral(": no se ha guardado\r") +
                           path,
                       QStringLiteral("Aviso"), MessageIcon::Information);
        return;
    }
    QString text = QStringLiteral("No se ha podido guardar el archivo\r") + path;
    if (!reason.isEmpty()) {
        text += QStringLiteral("\r") + reason;
    }
    messages_.Show(text, QStringLiteral("Error"), MessageIcon::Critical);
}

bool FormPresenter::WriteResults(const QString& path, SaveFormat format, bool asSaveAs,
                                 QString& reason) {
    if (run_.drawing) {
        QByteArray drawing;
        return ReadWholeFile(Temp(kDrawingOutput), drawing) && SaveWhole(path, drawing, &reason);
    }
    if (format == SaveFormat::Drawing) {
        return SaveDrawing(transf_, state_.ResultTable, run_.resultCount, run_.targetKind,
                           run_.targetDatum,
                           DrawingChoice{saveDialog_.drawingZone, saveDialog_.drawingLabels},
                           tempFolder_, path, &saveRefusal_, &reason);
    }
    const QByteArray text =
        asSaveAs ? ResultsTextAs(state_.ResultTable, run_.resultCount, run_.targetKind)
                 : ResultsText(state_.ResultTable, run_.resultCount, run_.targetKind);
    return SaveWhole(path, text, &reason);
}

void FormPresenter::SaveAs() {
    if (!CanSave()) {
        messages_.Show(QStringLiteral("No hay ningún punto para salvar"), QStringLiteral("Error"),
                       MessageIcon::Critical);
        return;
    }
    SaveFormat proposed = SaveFormat::Drawing;
    if (run_.drawing) {
        saveDialog_.filter = kDrawingSaveFilter;
        saveDialog_.filterIndex = 1;
    } else {
        saveDialog_.filter = kPointsSaveFilter;
        saveDialog_.filterIndex = std::clamp(saveDialog_.filterIndex, 1, 2);
        // A drawing is of one zone: the user chooses it among the results'.
        const QVector<int> zones = ZonesOf(state_.ResultTable, run_.resultCount, run_.targetKind);
        if (zones != saveDialog_.drawingZones) {
            saveDialog_.drawingZone = 0;
        }
        saveDialog_.drawingZones = zones;
        proposed = saveDialog_.filterIndex == 2 ? SaveFormat::Drawing : SaveFormat::Text;
    }
    saveDialog_.drawingOptions = !run_.drawing;
    saveDialog_.fileName = ProposedSaveName(proposed);
    const QString chosen = files_.ShowSave(saveDialog_);
    if (chosen.isEmpty()) {
        return; // cancelled: nothing is saved
    }
    SaveFormat format = SaveFormat::Drawing;
    if (!run_.drawing) {
        format = FormatOfName(chosen).value_or(saveDialog_.filterIndex == 2 ? SaveFormat::Drawing
                                                                            : SaveFormat::Text);
    }
    const QString path = WithExtension(chosen, format);
    const QString metadata = MetadataFileName(path);

    QStringList existing;
    for (const QString& file : {path, metadata}) {
        if (QFileInfo::exists(file)) {
            existing << file;
        }
    }
    if (!existing.isEmpty()) {
        const QString question =
            existing.size() == 1
                ? QStringLiteral("El archivo %1 ya existe.\r¿Desea reemplazarlo?").arg(existing[0])
                : QStringLiteral("Los archivos %1 y %2 ya existen.\r¿Desea reemplazarlos?")
                      .arg(existing[0], existing[1]);
        if (!messages_.Ask(question, QStringLiteral("Guardar Como"))) {
            return;
        }
    }

    cancelRequested_ = false;
    QString reason;
    if (!WriteResults(path, format, true, reason)) {
        SaveFailed(path, reason);
        return;
    }
    saveTarget_ = SaveTarget{path, format, run_.serial};
    run_.savedTo = path;
    state_.saveFileName = path;
    if (!run_.drawing) {
        saveDialog_.filterIndex = format == SaveFormat::Drawing ? 2 : 1;
    }
    preferences_.SetOutputFolder(QFileInfo(path).absolutePath());
    if (!SaveWhole(metadata, MetadataText(run_.log.value_or(QStringList())), &reason)) {
        SaveFailed(metadata, reason);
    }
    emit changed();
}

void FormPresenter::Save() {
    if (!CanSave() || !saveTarget_ || saveTarget_->runSerial != run_.serial) {
        SaveAs();
        return;
    }
    cancelRequested_ = false;
    QString reason;
    if (!WriteResults(saveTarget_->path, saveTarget_->format, false, reason)) {
        SaveFailed(saveTarget_->path, reason);
        return;
    }
    run_.savedTo = saveTarget_->path;
    emit changed();
}

} // namespace quillon
