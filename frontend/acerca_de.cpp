#include "acerca_de.h"

#include "aplicacion.h"
#include "comun.h"
#include "comun_widgets.h"
#include "principal.h"

#include <QLabel>
#include <QPushButton>

#ifndef QUILLON_VERSION_MAJOR
#error "the build passes the program version"
#endif

namespace quillon {

QString VersionCaption() {
    return QStringLiteral("Versión %1.%2.%3")
        .arg(QUILLON_VERSION_MAJOR)
        .arg(QUILLON_VERSION_MINOR)
        .arg(QUILLON_VERSION_PATCH);
}

AcercaDe::AcercaDe(Aplicacion& programa, QWidget* parent) : QDialog(parent), programa_(programa) {
    setObjectName(QStringLiteral("acerca_de"));
    setWindowTitle(QStringLiteral("Quillon - Acerca de..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips(6960), Twips(5400));

    theodolitePicture = new QLabel(this);
    theodolitePicture->setObjectName(QStringLiteral("theodolitePicture"));
    theodolitePicture->setGeometry(Twips(240), Twips(240), Twips(960), Twips(960));
    theodolitePicture->setAlignment(Qt::AlignCenter);
    theodolitePicture->setPixmap(programa_.Picture(QStringLiteral("acerca.png")));

    iconPicture = new QLabel(this);
    iconPicture->setObjectName(QStringLiteral("iconPicture"));
    iconPicture->setGeometry(Twips(5760), Twips(240), Twips(960), Twips(960));
    iconPicture->setAlignment(Qt::AlignCenter);
    const QPixmap icon = programa_.Picture(QStringLiteral("quillon.png"));
    if (!icon.isNull()) {
        iconPicture->setPixmap(
            icon.scaled(Twips(960), Twips(960), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }

    nameLabel = new QLabel(QStringLiteral("Quillon"), this);
    nameLabel->setObjectName(QStringLiteral("nameLabel"));
    nameLabel->setFont(SansFont(13.5, true));
    nameLabel->setAlignment(Qt::AlignCenter);
    nameLabel->setGeometry(Twips(1440), Twips(240), Twips(4080), Twips(450));

    versionLabel = new QLabel(this);
    versionLabel->setObjectName(QStringLiteral("versionLabel"));
    versionLabel->setAlignment(Qt::AlignCenter);
    versionLabel->setGeometry(Twips(1440), Twips(720), Twips(4080), Twips(300));

    authorsHeadingLabel = new QLabel(QStringLiteral("Realizado por:"), this);
    authorsHeadingLabel->setObjectName(QStringLiteral("authorsHeadingLabel"));
    authorsHeadingLabel->setFont(SansFont(8, true));
    authorsHeadingLabel->setGeometry(Twips(240), Twips(1440), Twips(6480), Twips(270));

    creditsLabel = new QLabel(this);
    creditsLabel->setObjectName(QStringLiteral("creditsLabel"));
    creditsLabel->setWordWrap(true);
    creditsLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    creditsLabel->setGeometry(Twips(240), Twips(1740), Twips(6480), Twips(2880));
    creditsLabel->setText(
        QStringLiteral("Taller de Geodesia Quillon (organización ficticia).\n\n"
                       "Catálogo de vértices geodésicos parcialmente sintético: 4 vértices con "
                       "valores publicados y 176 sintéticos, elaborados con la rejilla oficial "
                       "ED50 \u2192 ETRS89 del Instituto Geográfico Nacional (SPED2ETV2, "
                       "CC-BY 4.0 www.ign.es).\n\n"
                       "Fondo del mapa: Natural Earth 1:50m, y 1:10m para las provincias "
                       "(dominio público, www.naturalearthdata.com).\n\n"
                       "Rejilla SPED2ETV2 y geoide EGM08-REDNAP: derivados de datos del IGN "
                       "(www.ign.es), CC-BY 4.0"));

    acceptButton = new QPushButton(QStringLiteral("Aceptar"), this);
    acceptButton->setObjectName(QStringLiteral("acceptButton"));
    acceptButton->setGeometry((width() - Twips(1335)) / 2, Twips(4815), Twips(1335), Twips(375));
    acceptButton->setDefault(true);
    connect(acceptButton, &QPushButton::clicked, this, &AcercaDe::Accept);

    Form_Load();
}

void AcercaDe::Form_Load() {
    versionLabel->setText(VersionCaption());
    move(Twips(2000), Twips(1500));
}

void AcercaDe::Accept() {
    done(QDialog::Accepted);
}

void AcercaDe::done(int result) {
    if (Principal* frame = programa_.principal()) {
        frame->setEnabled(true);
        frame->activateWindow();
    }
    QDialog::done(result);
}

} // namespace quillon
