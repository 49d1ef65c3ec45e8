#include "principal.h"

#include "calculo.h"
#include "module1.h"
#include "programa.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>

namespace quillon {

Principal::Principal(Programa& programa, QWidget* parent)
    : QMainWindow(parent), programa_(programa) {
    setObjectName(QStringLiteral("principal"));

    area_ = new QMdiArea(this);
    area_->setObjectName(QStringLiteral("MDIClient"));
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCentralWidget(area_);

    // The form's child window has a caption but no buttons: the form stays
    // loaded until the program ends.
    child_ =
        new QMdiSubWindow(area_, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    calculo_ = new Calculo(programa_, child_);
    child_->setWidget(calculo_);
    child_->setWindowTitle(calculo_->windowTitle());
    area_->addSubWindow(child_);
    child_->setFixedSize(child_->sizeHint());

    MDIForm_Load();
}

void Principal::MDIForm_Load() {
    setWindowTitle(QStringLiteral(" Quillon - ") + QString::fromUtf8(kOrganisation));
    programa_.state().catalogueVertexCount = kCatalogueVertexCount;

    calculo_->setEnabled(true);
    child_->show();
    child_->move(0, 0);
    calculo_->setFocus();

    // The client area holds the form's child window exactly, and the frame
    // cannot be resized.
    setFixedSize(child_->size());

    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        move(available.x() + (available.width() - width()) / 2,
             available.y() + (available.height() - height()) / 2 - Twips(170));
    }
}

void Principal::closeEvent(QCloseEvent* event) {
    event->accept();
    programa_.End();
}

} // namespace quillon
