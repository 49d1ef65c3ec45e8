#include "programa.h"

#include "acerca_de.h"
#include "apunto.h"
#include "ayuda.h"
#include "calculo.h"
#include "epunto.h"
#include "huso.h"
#include "mapa.h"
#include "principal.h"
#include "progreso.h"
#include "services.h"
#include "splash.h"
#include "ventanalog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

Programa::Programa(MessageSink& messages, FileDialogs& files, QString dataFolder)
    : messages_(messages), files_(files), dataFolder_(std::move(dataFolder)) {
    principal_ = std::make_unique<Principal>(*this);
    splash_ = std::make_unique<Splash>(*this);
    progreso_ = std::make_unique<Progreso>();
    const DzvProgressCallbacks callbacks = progreso_->Callbacks();
    calculo()->Transf1.SetProgress(&callbacks);
}

Programa::~Programa() {
    // The frame window owns the secondary windows.
    if (calculo() != nullptr) {
        calculo()->Transf1.SetProgress(nullptr);
    }
    progreso_.reset();
    splash_.reset();
    principal_.reset();
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
    if (ending_) {
        return;
    }
    ending_ = true;
    if (acerca_de_) {
        acerca_de_->close();
    }
    if (ayuda_) {
        ayuda_->close();
    }
    for (QWidget* window :
         std::initializer_list<QWidget*>{mapa_, ventanalog_, splash_.get(), principal_.get()}) {
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
