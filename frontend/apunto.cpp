#include "apunto.h"

#include "calculo.h"
#include "presentador.h"
#include "programa.h"
#include "services.h"
#include "tablas.h"

#include <QPushButton>

namespace quillon {

Apunto::Apunto(Programa& programa, QWidget* parent)
    : DialogoPunto(programa, "apunto", QStringLiteral("Añadir punto"), QStringLiteral("&Añadir"),
                   QStringLiteral("&Cerrar"), parent) {}

void Apunto::Abrir(CoordinateKind kind) {
    SetKind(kind);
    ShowOverForm();
}

void Apunto::Confirm() {
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

void Apunto::Leave() {
    HideFromForm();
    const int count = presenter().pointCount();
    if (count > 0) {
        form().pointTable->selectRow(count - 1);
    }
}

} // namespace quillon
