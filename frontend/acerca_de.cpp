#include "acerca_de.h"

#include "module1.h"
#include "module1_widgets.h"
#include "principal.h"
#include "programa.h"

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

AcercaDe::AcercaDe(Programa& programa, QWidget* parent) : QDialog(parent), programa_(programa) {
    setObjectName(QStringLiteral("acerca_de"));
    setWindowTitle(QStringLiteral("Quillon - Acerca de..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips(6960), Twips(5400));

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Twips(240), Twips(240), Twips(960), Twips(960));
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setPixmap(programa_.Picture(QStringLiteral("acerca.png")));

    Picture2 = new QLabel(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(Twips(5760), Twips(240), Twips(960), Twips(960));
    Picture2->setAlignment(Qt::AlignCenter);
    const QPixmap icon = programa_.Picture(QStringLiteral("quillon.png"));
    if (!icon.isNull()) {
        Picture2->setPixmap(
            icon.scaled(Twips(960), Twips(960), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }

    Label1 = new QLabel(QStringLiteral("Quillon"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(SansFont(13.5, true));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(Twips(1440), Twips(240), Twips(4080), Twips(450));

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setGeometry(Twips(1440), Twips(720), Twips(4080), Twips(300));

    Label3 = new QLabel(QStringLiteral("Realizado por:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setFont(SansFont(8, true));
    Label3->setGeometry(Twips(240), Twips(1440), Twips(6480), Twips(270));

    Label4 = new QLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label4->setGeometry(Twips(240), Twips(1740), Twips(6480), Twips(2880));
    Label4->setText(
        QStringLiteral("Taller de Geodesia Quillon (organización ficticia).\n\n"
                       "Catálogo de vértices geodésicos parcialmente sintético: 4 vértices con "
                       "valores publicados y 176 sintéticos, elaborados con la rejilla oficial "
                       "ED50 \u2192 ETRS89 del Instituto Geográfico Nacional (SPED2ETV2, "
                       "CC-BY 4.0 www.ign.es).\n\n"
                       "Mapa: Natural Earth (dominio público) y límites de Andalucía, sus "
                       "provincias y comunidades vecinas de es-atlas (datos del IGN, "
                       "CC-BY 4.0 www.ign.es)."));

    Command1 = new QPushButton(QStringLiteral("Aceptar"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry((width() - Twips(1335)) / 2, Twips(4815), Twips(1335), Twips(375));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &AcercaDe::Command1_Click);

    Form_Load();
}

void AcercaDe::Form_Load() {
    Label2->setText(VersionCaption());
    move(Twips(2000), Twips(1500));
}

void AcercaDe::Command1_Click() {
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
