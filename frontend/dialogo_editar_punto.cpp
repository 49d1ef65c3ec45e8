#include "dialogo_editar_punto.h"

#include "aplicacion.h"
#include "calculo.h"
#include "presentador.h"
#include "tablas.h"

#include <QLocale>

namespace quillon {

DialogoEditarPunto::DialogoEditarPunto(Aplicacion& programa, QWidget* parent)
    : DialogoPunto(programa, "dialogo_editar_punto", QStringLiteral("Editar punto"),
                   QStringLiteral("&Aceptar"), QStringLiteral("&Cancelar"), parent) {}

void DialogoEditarPunto::Abrir(CoordinateKind kind, int point) {
    ProgramState& state = programa_.state();
    if (point < 1 || point > state.pointCount) {
        return;
    }
    SetKind(kind);
    state.editPoint = point;
    ShowOverForm();

    // The fields show the point whole, as the user types numbers, even where
    // it is longer than what the user may type in them.
    const PointRecord& record = state.PointTable[point - 1];
    const QLocale locale;
    SetFieldText(identifierEdit, record.id, kIdentifierLength);
    SetFieldText(coordinate1Edit, DecimalText(record.c1, locale), kCoordinateLength);
    SetFieldText(coordinate2Edit, DecimalText(record.c2, locale), kCoordinateLength);
    SetFieldText(coordinate3Edit, DecimalText(record.c3, locale), kCoordinateLength);
    if (record.zone >= 29 && record.zone <= 31) {
        SetFieldText(zoneEdit, QString::number(record.zone), kZoneLength);
    }
    identifierEdit->selectAll();
}

void DialogoEditarPunto::Confirm() {
    ProgramState& state = programa_.state();
    const int point = state.editPoint;
    if (point < 1 || point > state.pointCount) {
        HideFromForm();
        return;
    }
    const std::optional<PointRecord> typed = TypedPoint();
    if (!typed) {
        return;
    }
    presenter().ReplacePoint(point - 1, *typed);
    HideFromForm();
    form().pointTable->selectRow(point - 1);
}

void DialogoEditarPunto::Leave() {
    HideFromForm();
}

} // namespace quillon
