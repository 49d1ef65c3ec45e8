#include "principal.h"

#include "aplicacion.h"
#include "calculo.h"
#include "comun.h"
#include "preferencias.h"
#include "presentador.h"

#include <QCloseEvent>
#include <QScreen>

namespace quillon {

Principal::Principal(Aplicacion& programa, QWidget* parent)
    : QMainWindow(parent), programa_(programa) {
    setObjectName(QStringLiteral("principal"));
    calculo_ = new Calculo(programa_, programa_.presenter(), this);
    setCentralWidget(calculo_);
    Load();
}

void Principal::Load() {
    setWindowTitle(QStringLiteral(" Quillon - ") + QString::fromUtf8(kOrganisation));
    programa_.state().catalogueVertexCount = kCatalogueVertexCount;
    calculo_->setEnabled(true);

    // Where the user left the window, else a comfortable size centred on
    // the screen: the tables get room beyond the form's minimum.
    if (restoreGeometry(programa_.preferences().WindowGeometry())) {
        return;
    }
    QSize size = sizeHint().expandedTo(QSize(1340, 760));
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        size = size.boundedTo(available.size()).expandedTo(minimumSizeHint());
        resize(size);
        move(available.x() + (available.width() - width()) / 2,
             available.y() + (available.height() - height()) / 2);
    } else {
        resize(size);
    }
}

void Principal::closeEvent(QCloseEvent* event) {
    if (programa_.End()) {
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace quillon
