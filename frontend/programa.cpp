#include "programa.h"

#include "acerca_de.h"
#include "apunto.h"
#include "ayuda.h"
#include "calculo.h"
#include "epunto.h"
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
        if (QFileInfo::exists(candidate + QStringLiteral("/mapa_andalucia.png"))) {
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

Programa::Programa(MessageSink& messages, FileDialogs& files, QSettings& settings,
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
    principal_ = std::make_unique<Principal>(*this);
    splash_ = std::make_unique<Splash>(*this);
}

Programa::~Programa() {
    // The frame window owns the secondary windows.
    transf_->SetProgress(nullptr);
    splash_.reset();
    principal_.reset();
    progreso_.reset();
    presenter_.reset();
}

QPixmap Programa::Picture(const QString& fileName) const {
    return QPixmap(dataFolder_ + QLatin1Char('/') + fileName);
}

QString Programa::HelpDocumentPath() const {
    return dataFolder_ + QLatin1Char('/') + QString::fromLatin1(kHelpDocument);
}

QString Programa::TempFolder() const {
    return temp_.isValid() ? temp_.path() : QString();
}

QString Programa::TempFile(const QString& name) const {
    return temp_.isValid() ? temp_.filePath(name) : QString();
}

Calculo* Programa::calculo() const {
    return principal_ ? principal_->calculo() : nullptr;
}

void Programa::Start() {
    splash_->show();
}

void Programa::End() {
    if (ending_ || presenter_->running()) {
        return; // a run ends first (or is cancelled from its progress window)
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
    for (QWidget* window : std::initializer_list<QWidget*>{
             mapa_, ventanalog_, apunto_, epunto_, huso_, splash_.get(), principal_.get()}) {
        if (window != nullptr) {
            window->hide();
        }
    }
    QCoreApplication::quit();
}

Mapa* Programa::mapa() {
    if (mapa_ == nullptr) {
        mapa_ = new Mapa(*this, principal_.get());
    }
    return mapa_;
}

VentanaLog* Programa::ventanalog() {
    if (ventanalog_ == nullptr) {
        ventanalog_ = new VentanaLog(*this, principal_.get());
    }
    return ventanalog_;
}

Ayuda* Programa::ayuda() {
    if (!ayuda_) {
        ayuda_ = new Ayuda(*this, HelpDocumentPath(), principal_.get());
    }
    return ayuda_;
}

AcercaDe* Programa::acerca_de() {
    if (!acerca_de_) {
        acerca_de_ = new AcercaDe(*this, principal_.get());
    }
    return acerca_de_;
}

Ayuda* Programa::loadedAyuda() const {
    return ayuda_;
}

AcercaDe* Programa::loadedAcercaDe() const {
    return acerca_de_;
}

Apunto* Programa::apunto() {
    if (apunto_ == nullptr) {
        apunto_ = new Apunto(*this, principal_.get());
    }
    return apunto_;
}

Epunto* Programa::epunto() {
    if (epunto_ == nullptr) {
        epunto_ = new Epunto(*this, principal_.get());
    }
    return epunto_;
}

Huso* Programa::huso() {
    if (huso_ == nullptr) {
        huso_ = new Huso(*this, principal_.get());
    }
    return huso_;
}

} // namespace quillon
