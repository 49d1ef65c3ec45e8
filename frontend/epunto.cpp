#include "epunto.h"

#include "calculo.h"
#include "lista_puntos.h"
#include "programa.h"

#include <QListWidget>

namespace quillon {

namespace {
constexpr int kIdentifierLength = 12;
} // namespace

Epunto::Epunto(Programa& programa, QWidget* parent)
    : DialogoPunto(programa, "epunto", QStringLiteral("Editar punto"), QStringLiteral("&Aceptar"),
                   QStringLiteral("&Cancelar"), kIdentifierLength, parent) {}

void Epunto::Abrir(CoordinateKind kind, int point) {
    ProgramState& state = programa_.state();
    SetKind(kind);
    state.editPoint = point;
    ShowOverForm(3700, 3800);

    // The fields show the point whole, even where it is longer than what
    // the user may type in them.
    const PointRecord& record = state.PointTable[point - 1];
    SetFieldText(Text1, record.id, identifierLength());
    SetFieldText(Text2, FieldText(record.c1), kCoordinateLength);
    SetFieldText(Text3, FieldText(record.c2), kCoordinateLength);
    SetFieldText(Text4, FieldText(record.c3), kCoordinateLength);
    if (record.zone >= 29 && record.zone <= 31) {
        SetFieldText(Text5, QString::number(record.zone), kZoneLength);
    }
    Text1->selectAll();
    ClearResults(form());
}

void Epunto::Command1_Click() {
    ProgramState& state = programa_.state();
    const int point = state.editPoint;
    if (point < 1 || point > state.pointCount) {
        HideFromForm();
        return;
    }
    const std::optional<PointRecord> typed =
        TypedPoint({QStringLiteral("Lat o X debe ser un dato numérico"),
                    QStringLiteral("Long o Y debe ser un dato numérico"),
                    QStringLiteral("H o h debe ser un dato numérico")},
                   QStringLiteral("El Huso ha de ser 29, 30 ó 31"));
    if (!typed) {
        return;
    }
    const bool utm = Kind() == CoordinateKind::Utm;
    PointRecord& record = state.PointTable[point - 1];
    record.id = typed->id;
    record.c1 = typed->c1;
    record.c2 = typed->c2;
    record.c3 = typed->c3;
    if (utm) {
        record.zone = typed->zone;
    }
    Calculo& calculo = form();
    if (QListWidgetItem* line = calculo.List1->item(point - 1)) {
        line->setText(PointLine(record, utm));
    }
    HideFromForm();
    SelectLine(calculo.List1, point - 1);
}

void Epunto::Command2_Click() {
    HideFromForm();
}

} // namespace quillon
