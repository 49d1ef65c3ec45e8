#include "apunto.h"

#include "calculo.h"
#include "lista_puntos.h"
#include "programa.h"
#include "services.h"

#include <QListWidget>
#include <QPushButton>
#include <algorithm>

namespace quillon {

namespace {
constexpr int kIdentifierLength = 25;
} // namespace

Apunto::Apunto(Programa& programa, QWidget* parent)
    : DialogoPunto(programa, "apunto", QStringLiteral("Añadir punto"), QStringLiteral("&Añadir"),
                   QStringLiteral("&Cerrar"), kIdentifierLength, parent) {}

void Apunto::Abrir(CoordinateKind kind) {
    SetKind(kind);
    ShowOverForm(3700, 3500);
    ClearResults(form());
}

void Apunto::Command1_Click() {
    ProgramState& state = programa_.state();
    if (state.pointCount >= std::min<qsizetype>(kPointCapacity, state.PointTable.size())) {
        programa_.messages().Show(TableFullMessage(), QStringLiteral("Aviso"),
                                  MessageIcon::Exclamation);
        return;
    }
    const QString notNumeric = QStringLiteral("El dato introducido ha de ser numérico");
    const std::optional<PointRecord> point = TypedPoint(
        {notNumeric, notNumeric, notNumeric}, QStringLiteral("El Huso ha de ser 29, 30 ó 31\r"));
    if (!point) {
        return;
    }
    ++state.pointCount;
    state.PointTable[state.pointCount - 1] = *point;
    form().List1->addItem(PointLine(*point, Kind() == CoordinateKind::Utm));
    ClearFields();
    Text1->setFocus();
}

void Apunto::Command2_Click() {
    Calculo& calculo = form();
    const int count = programa_.state().pointCount;
    if (count > 0) {
        for (QPushButton* button : {calculo.Command3, calculo.Command4, calculo.Command6}) {
            button->setEnabled(true);
        }
    }
    HideFromForm();
    ShowPointCount(calculo, count);
    SelectLine(calculo.List1, count - 1);
}

} // namespace quillon
