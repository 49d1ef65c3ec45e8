#include "capas_sig.h"

#include "layer_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <vector>

namespace quillon {

namespace {

namespace api = dezadiravevava::api;

// The layers module, loaded once: beside quillon-cli's in a build tree
// (layers/ next to the program's folder, or two folders up for the tests), in
// the library folder once installed. Null, with `failure` set, when it
// cannot be.
const quillon::layers::LayerFunctions* LayerModule(QString& failure) {
    // Asked from the window's thread and from the layer run's.
    static std::mutex loading;
    const std::lock_guard<std::mutex> lock(loading);
    static const quillon::layers::LayerFunctions* loaded = nullptr;
    if (loaded != nullptr) {
        return loaded;
    }
    const QDir folder(QCoreApplication::applicationDirPath());
    for (const char* relative : {"../layers/quillon_layers.so", "../../layers/quillon_layers.so",
                                 QUILLON_LAYERS_INSTALLED}) {
        const QString module = folder.absoluteFilePath(QString::fromLatin1(relative));
        if (!QFileInfo::exists(module)) {
            continue;
        }
        void* handle = ::dlopen(QFile::encodeName(module).constData(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            failure = QString::fromLocal8Bit(::dlerror());
            return nullptr;
        }
        using Entry = const quillon::layers::LayerFunctions* (*)();
        const auto entry = reinterpret_cast<Entry>(::dlsym(handle, "quillon_layers_functions"));
        if (entry == nullptr) {
            failure = QString::fromLocal8Bit(::dlerror());
            return nullptr;
        }
        loaded = entry();
        return loaded;
    }
    failure = QStringLiteral("no está instalado el módulo de capas SIG (quillon_layers.so)");
    return nullptr;
}

} // namespace

bool IsLayerFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("shp") || suffix == QLatin1String("gpkg") ||
           suffix == QLatin1String("geojson") || suffix == QLatin1String("fgb");
}

QString LayerOutputProposal(const QString& input, bool toEtrs89) {
    const QFileInfo info(input);
    return info.dir().filePath(info.completeBaseName() +
                               (toEtrs89 ? QStringLiteral("_ETRS89.") : QStringLiteral("_ED50.")) +
                               info.suffix());
}

QString OtherDatumCode(const QString& code, bool* toEtrs89, bool* utm) {
    const std::optional<api::EpsgSide> side = api::SideOfEpsg(code.toStdString());
    if (!side || side->orthometric_heights) {
        return {};
    }
    const bool fromEd50 = side->side.datum == api::Datum::kEd50;
    if (toEtrs89 != nullptr) {
        *toEtrs89 = fromEd50;
    }
    if (utm != nullptr) {
        *utm = side->side.kind == api::Kind::kUtm;
    }
    switch (side->side.kind) {
    case api::Kind::kUtm:
        return QStringLiteral("EPSG:%1%2")
            .arg(fromEd50 ? QStringLiteral("258") : QStringLiteral("230"))
            .arg(side->side.zone, 2, 10, QLatin1Char('0'));
    case api::Kind::kGeodetic:
        return fromEd50 ? QStringLiteral("EPSG:4258") : QStringLiteral("EPSG:4230");
    case api::Kind::kGeocentric:
        break;
    }
    return {};
}

LayerRunResult LayerSystemOf(const QString& input) {
    LayerRunResult result;
    const quillon::layers::LayerFunctions* layers = LayerModule(result.failure);
    if (layers == nullptr) {
        return result;
    }
    std::string failure;
    const std::optional<std::string> code =
        layers->layer_system(QFile::encodeName(input).toStdString(), {}, failure);
    if (!code) {
        result.failure = QString::fromStdString(failure);
        return result;
    }
    result.sourceCode = QString::fromStdString(*code);
    result.targetCode = OtherDatumCode(result.sourceCode, &result.toEtrs89, &result.utm);
    if (result.targetCode.isEmpty()) {
        result.failure = QStringLiteral("el sistema de la capa (%1) no es de coordenadas UTM ni "
                                        "geodésicas en ED50 o ETRS89")
                             .arg(result.sourceCode);
        return result;
    }
    result.succeeded = true;
    return result;
}

QStringList LayerMethodArguments(const FormChoices& choices, const QString& catalogueFile,
                                 bool utmLayer) {
    // The method as a run of the form reads it: a layer always changes
    // datum, whatever the form's two datums say.
    FormChoices method = choices;
    method.targetDatum = choices.sourceDatum == Datum::Ed50 ? Datum::Etrs89 : Datum::Ed50;
    const EngineArguments a = PlanRun(method, false, 0.0).arguments;
    QStringList arguments;
    bool estimated = true;
    switch (a.parametros) {
    case codes::kNational:
        arguments << QStringLiteral("--parametros") << QStringLiteral("nacionales");
        estimated = false;
        break;
    case codes::kGrid:
        arguments << QStringLiteral("--parametros") << QStringLiteral("rejilla");
        estimated = false;
        break;
    case codes::kByNumber:
        arguments << QStringLiteral("--parametros") << QStringLiteral("vecinos");
        break;
    case codes::kByDistance:
        arguments << QStringLiteral("--parametros") << QStringLiteral("distancia");
        break;
    default:
        arguments << QStringLiteral("--parametros") << QStringLiteral("regionales");
        break;
    }
    if (estimated) {
        // By ModelCode.
        static const QString kModels[] = {QStringLiteral("helmert"), QStringLiteral("molodensky"),
                                          QStringLiteral("afin")};
        arguments << QStringLiteral("--modelo") << kModels[std::clamp(a.model, 0, 2)];
        if (a.parametros == codes::kByNumber || a.parametros == codes::kByDistance) {
            arguments << QStringLiteral("--seleccion")
                      << QString::number(static_cast<long long>(a.selecParam));
        }
        if (!catalogueFile.isEmpty()) {
            arguments << QStringLiteral("--catalogo") << catalogueFile;
        }
    }
    if (choices.orthometricHeights && utmLayer) {
        arguments << QStringLiteral("--geoide");
    }
    return arguments;
}

LayerRunResult TransformLayerFile(const QString& input, const QString& output,
                                  const api::Progress& progress,
                                  const QStringList& methodArguments) {
    LayerRunResult result = LayerSystemOf(input);
    if (!result.succeeded) {
        return result;
    }
    result.succeeded = false;
    const quillon::layers::LayerFunctions* layers = LayerModule(result.failure);
    std::vector<std::string> arguments = {"--sistema-a", result.sourceCode.toStdString(),
                                          "--sistema-b", result.targetCode.toStdString()};
    for (const QString& argument : methodArguments) {
        arguments.push_back(QFile::encodeName(argument).toStdString());
    }
    // The files after "--": a name that begins with "-" is still a file.
    arguments.insert(arguments.end(), {"--", QFile::encodeName(input).toStdString(),
                                       QFile::encodeName(output).toStdString()});
    std::string error;
    const std::optional<api::ParsedRequest> parsed =
        api::ParseRequest(api::Order::kCapa, arguments, error);
    if (!parsed) {
        result.failure = QString::fromStdString(error);
        return result;
    }
    const quillon::layers::LayerOutcome outcome =
        layers->transform_layers(parsed->request, QFile::encodeName(input).toStdString(),
                                 QFile::encodeName(output).toStdString(), {}, progress);
    result.succeeded = outcome.succeeded;
    result.failure = QString::fromStdString(outcome.failure);
    result.features = outcome.features;
    result.vertices = outcome.vertices;
    result.rejected = outcome.rejected;
    result.logPath = QString::fromStdString(outcome.log_path);
    return result;
}

LayerRun::LayerRun(QObject* parent) : QObject(parent) {
    connect(&watcher_, &QFutureWatcher<LayerRunResult>::finished, this, &LayerRun::finished);
}

LayerRun::~LayerRun() {
    // A run still waiting for the window is let go, stopped.
    stop_ = true;
    TakeOpening();
    watcher_.waitForFinished();
}

void LayerRun::TakeOpening() {
    {
        const std::lock_guard<std::mutex> lock(openMutex_);
        opened_ = true;
    }
    openTaken_.notify_all();
}

void LayerRun::Start(const QString& input, const QString& output,
                     const QStringList& methodArguments) {
    stop_ = false;
    stepQueued_ = false;
    api::Progress progress;
    // The worker thread posts the progress to this object's thread (the
    // window's), which emits it there. One step at a time waits in the
    // queue, carrying the latest position when it is taken; a step that
    // comes while the window is still drawing the one before is left out,
    // so that the window's own event pumping does not nest without end.
    progress.open = [this](std::string_view caption, std::uint64_t size) {
        const QString text =
            QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
        {
            const std::lock_guard<std::mutex> lock(openMutex_);
            if (stop_) {
                return;
            }
            opened_ = false;
        }
        QMetaObject::invokeMethod(
            this,
            [this, text, size] {
                emit progressOpened(text, size);
                TakeOpening();
            },
            Qt::QueuedConnection);
        std::unique_lock<std::mutex> lock(openMutex_);
        openTaken_.wait(lock, [this] { return opened_ || stop_; });
    };
    progress.step = [this](std::uint64_t position) {
        position_ = position;
        if (stepQueued_.exchange(true)) {
            return;
        }
        QMetaObject::invokeMethod(
            this,
            [this] {
                stepQueued_ = false;
                if (inStep_) {
                    return;
                }
                inStep_ = true;
                emit progressStepped(position_.load());
                inStep_ = false;
            },
            Qt::QueuedConnection);
    };
    progress.close = [this] {
        QMetaObject::invokeMethod(
            this, [this] { emit progressClosed(); }, Qt::QueuedConnection);
    };
    progress.stop_requested = [this] { return stop_.load(); };
    watcher_.setFuture(QtConcurrent::run([input, output, methodArguments, progress] {
        return TransformLayerFile(input, output, progress, methodArguments);
    }));
}

LayerRunResult LayerRun::result() const {
    return watcher_.future().isValid() && watcher_.isFinished() ? watcher_.result()
                                                                : LayerRunResult{};
}

} // namespace quillon
