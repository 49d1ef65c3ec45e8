#include "epunto.h"

#include "calculo.h"
#include "presentador.h"
#include "programa.h"
#include "tablas.h"

#include <QLocale>

namespace quillon {

Epunto::Epunto(Programa& programa, QWidget* parent)
    : DialogoPunto(programa, "epunto", QStringLiteral("Editar punto"), QStringLiteral("&Aceptar"),
                   QStringLiteral("&Cancelar"), parent) {}

void Epunto::Abrir(CoordinateKind kind, int point) {
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

void Epunto::Confirm() {
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

void Epunto::Leave() {
    HideFromForm();
}

} // namespace quillon
