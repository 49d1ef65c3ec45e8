#include "huso.h"

#include "aplicacion.h"
#include "calculo.h"
#include "comun_widgets.h"
#include "dialogo_punto.h"
#include "lectura_puntos.h"
#include "presentador.h"
#include "principal.h"
#include "services.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon {

namespace {

constexpr int kFieldLength = 25;

} // namespace

Huso::Huso(Aplicacion& programa, QWidget* parent)
    : QWidget(parent, Qt::Dialog), programa_(programa) {
    setObjectName(QStringLiteral("huso"));
    setWindowTitle(QStringLiteral("Huso del fichero DXF"));

    headingLabel = Heading(this, "headingLabel", QStringLiteral("COORDENADAS"));
    kindLabel = Heading(this, "kindLabel", QStringLiteral("U.T.M."));
    zoneLabel = Named(new QLabel(QStringLiteral("Huso"), this), "zoneLabel");
    zoneEdit = Named(new CampoTexto(this), "zoneEdit");
    zoneEdit->setMaxLength(kFieldLength);
    zoneLabel->setBuddy(zoneEdit);

    cancelButton = Named(new QPushButton(QStringLiteral("&Cancelar"), this), "cancelButton");
    acceptButton = Named(new QPushButton(QStringLiteral("&Aceptar"), this), "acceptButton");
    // Enter on a focused button presses it.
    acceptButton->setAutoDefault(true);
    cancelButton->setAutoDefault(true);

    auto* headings = new QVBoxLayout;
    headings->addWidget(headingLabel);
    headings->addWidget(kindLabel);
    auto* field = new QFormLayout;
    field->addRow(zoneLabel, zoneEdit);
    auto* top = new QHBoxLayout;
    top->addLayout(headings);
    top->addSpacing(24);
    top->addLayout(field, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cancelButton);
    buttons->addStretch(1);
    buttons->addWidget(acceptButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    setTabOrder(zoneEdit, acceptButton);
    setTabOrder(acceptButton, cancelButton);

    connect(zoneEdit, &QLineEdit::returnPressed, acceptButton,
            [this] { acceptButton->setFocus(); });
    connect(acceptButton, &QPushButton::clicked, this, &Huso::Accept);
    connect(cancelButton, &QPushButton::clicked, this, &Huso::Cancel);
}

void Huso::Abrir() {
    setEnabled(true);
    zoneEdit->clear();
    adjustSize();
    if (const QWidget* frame = programa_.principal(); frame != nullptr && frame->isVisible()) {
        move(frame->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
    form().setEnabled(false);
    zoneEdit->setFocus();
    zoneEdit->selectAll();
}

void Huso::Accept() {
    const QString title = QStringLiteral("Advertencia");
    const QString text = zoneEdit->text().trimmed();
    double zone = 0.0;
    if (text.isEmpty()) {
        programa_.messages().Show(QStringLiteral("Se supondrá que el Huso es el 30"), title,
                                  MessageIcon::Information);
        zone = 30.0;
    } else if (!ReadDecimal(text, zone) || (zone != 29.0 && zone != 30.0 && zone != 31.0)) {
        programa_.messages().Show(QStringLiteral("El huso debe ser el 29, 30 ó 31"), title,
                                  MessageIcon::Information);
        zoneEdit->setFocus();
        zoneEdit->selectAll();
        return;
    }
    Finish();
    programa_.presenter().AcceptDrawingZone(zone);
}

void Huso::Cancel() {
    Finish();
    programa_.presenter().CancelDrawing();
}

void Huso::Finish() {
    form().setEnabled(true);
    hide();
}

Calculo& Huso::form() const {
    return *programa_.calculo();
}

void Huso::closeEvent(QCloseEvent* event) {
    if (isVisible()) {
        Cancel();
    }
    event->accept();
}

void Huso::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillon
