#include "dialogo_anadir_punto.h"

#include "aplicacion.h"
#include "calculo.h"
#include "presentador.h"
#include "services.h"
#include "tablas.h"

#include <QPushButton>

namespace quillon {

DialogoAnadirPunto::DialogoAnadirPunto(Aplicacion& programa, QWidget* parent)
    : DialogoPunto(programa, "dialogo_anadir_punto", QStringLiteral("Añadir punto"),
                   QStringLiteral("&Añadir"), QStringLiteral("&Cerrar"), parent) {}

void DialogoAnadirPunto::Abrir(CoordinateKind kind) {
    SetKind(kind);
    ShowOverForm();
}

void DialogoAnadirPunto::Confirm() {
    if (presenter().pointCount() >= kPointCapacity) {
        programa_.messages().Show(TableFullMessage(), QStringLiteral("Aviso"),
                                  MessageIcon::Exclamation);
        return;
    }
    const std::optional<PointRecord> point = TypedPoint();
    if (!point) {
        return;
    }
    presenter().AddPoint(*point);
    ClearFields();
    identifierEdit->setFocus();
}

void DialogoAnadirPunto::Leave() {
    HideFromForm();
    const int count = presenter().pointCount();
    if (count > 0) {
        form().pointTable->selectRow(count - 1);
    }
}

} // namespace quillon
