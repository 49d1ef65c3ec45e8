#include "ventanalog.h"

#include "calculo.h"
#include "module1.h"
#include "module1_widgets.h"
#include "programa.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

namespace quillon {

namespace {
constexpr int kWidth = 9330;
constexpr int kHeight = 6975;
} // namespace

VentanaLog::VentanaLog(Programa& programa, QWidget* parent)
    : QWidget(parent, Qt::Window), programa_(programa) {
    setObjectName(QStringLiteral("ventanalog"));
    setWindowTitle(QStringLiteral("Quillon - Archivo de registro de operaciones"));
    setFixedSize(Twips(kWidth), Twips(kHeight));

    logList = new QListWidget(this);
    logList->setObjectName(QStringLiteral("logList"));
    logList->setGeometry(Twips(90), Twips(90), Twips(9135), Twips(6270));
    logList->setFont(MonospaceFont(9.75));

    closeButton = new QPushButton(QStringLiteral("&Cerrar"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setGeometry(Twips(kWidth - 90 - 1335), Twips(6480), Twips(1335), Twips(375));
    connect(closeButton, &QPushButton::clicked, this, &VentanaLog::Leave);

    Form_Load();
}

void VentanaLog::Form_Load() {
    const Calculo* form = programa_.calculo();
    if (form == nullptr) {
        return;
    }
    const QPoint formOrigin = form->mapToGlobal(QPoint(0, 0));
    move(formOrigin.x() + (form->width() - Twips(kWidth)) / 2,
         formOrigin.y() + (form->height() - Twips(kHeight)) / 2);
}

void VentanaLog::EnableForm() {
    if (Calculo* form = programa_.calculo()) {
        form->setEnabled(true);
    }
}

void VentanaLog::Leave() {
    EnableForm();
    setEnabled(false);
    hide();
}

void VentanaLog::closeEvent(QCloseEvent* event) {
    EnableForm();
    event->accept();
}

void VentanaLog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Leave();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillon
