// GIS layers from the window: a Shapefile, GeoPackage, GeoJSON or
// FlatGeobuf file chosen with "Leer archivo" or dropped on the window is
// transformed whole into a new file by the layers module that quillon-cli capa
// loads (quillon_layers.so), from the system its layers declare to the same
// kind of coordinates on the other datum.
#pragma once

#include "opciones.h"
#include "transform_request.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace quillon {

// Whether `path` names a layer file the window transforms (by extension:
// .shp, .gpkg, .geojson, .fgb).
bool IsLayerFile(const QString& path);

// The output proposed for a layer file in a datum: beside it,
// "<name>_ETRS89.<ext>" or "<name>_ED50.<ext>".
QString LayerOutputProposal(const QString& input, bool toEtrs89);

struct LayerRunResult {
    bool succeeded = false;
    // Why it failed, one line; or the system of the layers, once known
    // ("EPSG:23030").
    QString failure;
    QString sourceCode;
    QString targetCode;
    bool toEtrs89 = true;
    // The layers are in UTM coordinates (else geodetic).
    bool utm = false;
    long long features = 0;
    long long vertices = 0;
    long long rejected = 0;
    QString logPath;
};

// The EPSG code of the same kind of coordinates on the other datum
// ("EPSG:23030" -> "EPSG:25830", "EPSG:4258" -> "EPSG:4230"); empty for a
// system the window does not carry across (geocentric, compound).
QString OtherDatumCode(const QString& code, bool* toEtrs89 = nullptr, bool* utm = nullptr);

// The system of the layers of `input` as the layers module reads it, with the
// module's reason when it cannot.
LayerRunResult LayerSystemOf(const QString& input);

// The options of quillon-cli capa that carry the method chosen on the form
// (--parametros, --modelo, --seleccion, --catalogo, --geoide), for a layer
// of UTM coordinates or not. The search centre of a local fit is the centre
// of the rectangle that holds every vertex of the layers, the one capa takes
// without --origen. The local method with neither a number of vertices nor
// a distance is the regional method, as it is for a point list. The geoid
// applies to the H of a UTM layer only.
QStringList LayerMethodArguments(const FormChoices& choices, const QString& catalogueFile,
                                 bool utmLayer);

// Transforms the layers of `input` into `output`, to the other datum of
// their system, with the method `methodArguments` give (national parameters
// without them), telling `progress` how it goes; a stop it asks for leaves
// nothing replaced.
LayerRunResult TransformLayerFile(const QString& input, const QString& output,
                                  const dezadiravevava::api::Progress& progress = {},
                                  const QStringList& methodArguments = {});

// TransformLayerFile on a worker thread, so that the window goes on drawing
// and taking clicks meanwhile: the progress comes by signals, emitted on the
// thread this object belongs to (the window's), and a stop is asked with
// Cancel from any thread.
class LayerRun : public QObject {
    Q_OBJECT
public:
    explicit LayerRun(QObject* parent = nullptr);
    // Waits for the run under way, if any.
    ~LayerRun() override;
    LayerRun(const LayerRun&) = delete;
    LayerRun& operator=(const LayerRun&) = delete;

    // Starts the run; finished() tells when it has ended.
    void Start(const QString& input, const QString& output, const QStringList& methodArguments);
    // Asks the run under way to stop; it then ends replacing nothing.
    void Cancel() { stop_ = true; }
    bool isRunning() const { return watcher_.isRunning(); }
    // What the run did, once finished.
    LayerRunResult result() const;

signals:
    void progressOpened(const QString& caption, quint64 size);
    void progressStepped(quint64 position);
    void progressClosed();
    void finished();

private:
    // Lets a run waiting for the window's opening of its progress go on.
    void TakeOpening();

    std::atomic<bool> stop_{false};
    // The latest position of the run, and whether a step waits to show it.
    std::atomic<std::uint64_t> position_{0};
    std::atomic<bool> stepQueued_{false};
    // A step is being shown (on the window's thread).
    bool inStep_ = false;
    // The window has taken the opening of the progress (or the run is being
    // given up): the run waits for it, so that a Cancel pressed as the
    // window shows is seen before the run can end.
    std::mutex openMutex_;
    std::condition_variable openTaken_;
    bool opened_ = false;
    QFutureWatcher<LayerRunResult> watcher_;
};

} // namespace quillon
