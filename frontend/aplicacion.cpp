#include "aplicacion.h"

#include "acerca_de.h"
#include "ayuda.h"
#include "calculo.h"
#include "dialogo_anadir_punto.h"
#include "dialogo_editar_punto.h"
#include "huso.h"
#include "mapa.h"
#include "preferencias.h"
#include "presentador.h"
#include "principal.h"
#include "progreso.h"
#include "services.h"
#include "splash.h"
#include "transf_control.h"
#include "ventanalog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#ifndef QUILLON_DATA_RELATIVE
#error "the build passes the data folder relative to the program folder"
#endif

namespace quillon {

QString FindDataFolder(const QString& programFolder) {
    const QDir program(programFolder);
    const QStringList candidates = {
        program.filePath(QStringLiteral(QUILLON_DATA_RELATIVE)),
        program.path(),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate + QLatin1Char('/') + QString::fromLatin1(kHelpDocument))) {
            return QDir::cleanPath(QDir(candidate).absolutePath());
        }
    }
    return {};
}

bool InstallSpanishTranslations() {
    // The program speaks Spanish whatever the system's language, and so do
    // Qt's own dialogs and buttons.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

Aplicacion::Aplicacion(MessageSink& messages, FileDialogs& files, QSettings& settings,
                       QString dataFolder, TransfControl* transf)
    : messages_(messages), files_(files), dataFolder_(std::move(dataFolder)) {
    if (transf == nullptr) {
        ownTransf_ = std::make_unique<TransfClientControl>();
        transf = ownTransf_.get();
    }
    transf_ = transf;
    preferences_ = std::make_unique<Preferences>(settings);
    presenter_ = std::make_unique<FormPresenter>(state_, *transf_, messages_, files_, *preferences_,
                                                 TempFolder());
    progreso_ = std::make_unique<Progreso>();
    progreso_->SetCancellable(transf_->CanCancel());
    QObject::connect(progreso_.get(), &Progreso::cancelled, presenter_.get(),
                     &FormPresenter::RequestCancel);
    const DzvProgressCallbacks callbacks = progreso_->Callbacks();
    transf_->SetProgress(&callbacks);
    presenter_->SetProgress(callbacks);
    principal_ = std::make_unique<Principal>(*this);
    splash_ = std::make_unique<Splash>(*this);
}

Aplicacion::~Aplicacion() {
    // The frame window owns the secondary windows.
    transf_->SetProgress(nullptr);
    splash_.reset();
    principal_.reset();
    progreso_.reset();
    presenter_.reset();
}

QPixmap Aplicacion::Picture(const QString& fileName) const {
    return QPixmap(dataFolder_ + QLatin1Char('/') + fileName);
}

QString Aplicacion::HelpDocumentPath() const {
    return dataFolder_ + QLatin1Char('/') + QString::fromLatin1(kHelpDocument);
}

QString Aplicacion::TempFolder() const {
    return temp_.isValid() ? temp_.path() : QString();
}

QString Aplicacion::TempFile(const QString& name) const {
    return temp_.isValid() ? temp_.filePath(name) : QString();
}

Calculo* Aplicacion::calculo() const {
    return principal_ ? principal_->calculo() : nullptr;
}

void Aplicacion::Start() {
    splash_->show();
}

bool Aplicacion::End() {
    if (ending_) {
        return true;
    }
    if (presenter_->running() || !presenter_->ConfirmLeave()) {
        return false; // a run ends first (or is cancelled from its progress window)
    }
    ending_ = true;
    if (principal_->isVisible()) {
        preferences_->SetWindowGeometry(principal_->saveGeometry());
    }
    if (acerca_de_) {
        acerca_de_->close();
    }
    if (ayuda_) {
        ayuda_->close();
    }
    for (QWidget* window :
         std::initializer_list<QWidget*>{mapa_, ventanalog_, dialogoAnadir_, dialogoEditar_, huso_,
                                         splash_.get(), principal_.get()}) {
        if (window != nullptr) {
            window->hide();
        }
    }
    QCoreApplication::quit();
    return true;
}

Mapa* Aplicacion::mapa() {
    if (mapa_ == nullptr) {
        mapa_ = new Mapa(*this, principal_.get());
    }
    return mapa_;
}

VentanaLog* Aplicacion::ventanalog() {
    if (ventanalog_ == nullptr) {
        ventanalog_ = new VentanaLog(*this, principal_.get());
    }
    return ventanalog_;
}

Ayuda* Aplicacion::ayuda() {
    if (!ayuda_) {
        ayuda_ = new Ayuda(*this, HelpDocumentPath(), principal_.get());
    }
    return ayuda_;
}

AcercaDe* Aplicacion::acerca_de() {
    if (!acerca_de_) {
        acerca_de_ = new AcercaDe(*this, principal_.get());
    }
    return acerca_de_;
}

Ayuda* Aplicacion::loadedAyuda() const {
    return ayuda_;
}

AcercaDe* Aplicacion::loadedAcercaDe() const {
    return acerca_de_;
}

DialogoAnadirPunto* Aplicacion::dialogoAnadir() {
    if (dialogoAnadir_ == nullptr) {
        dialogoAnadir_ = new DialogoAnadirPunto(*this, principal_.get());
    }
    return dialogoAnadir_;
}

DialogoEditarPunto* Aplicacion::dialogoEditar() {
    if (dialogoEditar_ == nullptr) {
        dialogoEditar_ = new DialogoEditarPunto(*this, principal_.get());
    }
    return dialogoEditar_;
}

Huso* Aplicacion::huso() {
    if (huso_ == nullptr) {
        huso_ = new Huso(*this, principal_.get());
    }
    return huso_;
}

} // namespace quillon
