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

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(Twips(90), Twips(90), Twips(9135), Twips(6270));
    List1->setFont(MonospaceFont(9.75));

    Command1 = new QPushButton(QStringLiteral("&Cerrar"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips(kWidth - 90 - 1335), Twips(6480), Twips(1335), Twips(375));
    connect(Command1, &QPushButton::clicked, this, &VentanaLog::Command1_Click);

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

void VentanaLog::Command1_Click() {
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
        Command1_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillon
