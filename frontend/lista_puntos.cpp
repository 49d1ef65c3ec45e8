#include "lista_puntos.h"

#include "apunto.h"
#include "calculo.h"
#include "epunto.h"
#include "huso.h"
#include "programa.h"
#include "services.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace quillon {

namespace {

constexpr int kDrawingFilter = 3;
constexpr int kNoUtmFilter = 1;

void ShowNoSelection(Programa& programa) {
    programa.messages().Show(QStringLiteral("Debe seleccionar al menos un punto de la lista"),
                             QStringLiteral("Error"), MessageIcon::Critical);
}

// With no points left, nothing can be edited, deleted, mapped or logged.
void DisableEmptyListButtons(Calculo& form) {
    for (QPushButton* button :
         {form.Command3, form.Command4, form.Command6, form.Command9, form.Command13}) {
        button->setEnabled(false);
    }
}

void OpenDrawing(Programa& programa, Calculo& form, const QString& fileName) {
    ProgramState& state = programa.state();
    form.List1->clear();
    ClearResults(form);
    // The name without its folder, whichever separator the path uses.
    form.List1->addItems(
        {QString::fromUtf8(kDrawingOpened),
         TextAfterLast(TextAfterLast(fileName, QLatin1Char('\\')), QLatin1Char('/'))});
    for (QPushButton* button : {form.Command2, form.Command3, form.Command4}) {
        button->setEnabled(false);
    }
    form.Command6->setEnabled(true);
    state.pointCount = 0;
    form.Label8->setText(QStringLiteral(" "));
    state.drawingMode = true;
    if (form.Option3->isChecked()) {
        programa.huso()->Abrir();
    }
    if (form.Option6->isChecked()) {
        form.Check2->setChecked(true);
    }
}

} // namespace

CoordinateKind SourceKind(const Calculo& form) {
    if (form.Option1->isChecked()) {
        return CoordinateKind::Geocentric;
    }
    return form.Option2->isChecked() ? CoordinateKind::Geodetic : CoordinateKind::Utm;
}

void ClearResults(Calculo& form) {
    form.List2->clear();
    form.Command5->setEnabled(false);
    form.Command8->setEnabled(false);
}

int SelectedLine(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.constFirst());
}

void SelectLine(QListWidget* list, int row) {
    if (row < 0 || row >= list->count()) {
        list->setCurrentRow(-1);
        list->clearSelection();
        return;
    }
    list->setCurrentRow(row);
}

void ShowPointCount(Calculo& form, int count) {
    form.Label8->setText(QString::number(count) + QStringLiteral(" puntos en total"));
}

void ShowEmptyPointList(Calculo& form) {
    form.Command2->setEnabled(true);
    for (QPushButton* button : {form.Command3, form.Command4, form.Command6}) {
        button->setEnabled(false);
    }
    ShowPointCount(form, 0);
}

void ReadInputFile(Programa& programa, Calculo& form) {
    ProgramState& state = programa.state();
    const QString fileName = programa.files().ShowOpen(form.CommonDialog1);
    if (fileName.isEmpty()) {
        return;
    }
    state.inputFileName = fileName;
    if (form.CommonDialog1.filterIndex == kDrawingFilter) {
        OpenDrawing(programa, form, fileName);
        return;
    }

    // Points replace a drawing, and are appended to points.
    if (form.List1->count() > 0 &&
        form.List1->item(0)->text() == QString::fromUtf8(kDrawingOpened)) {
        form.List1->clear();
        state.drawingMode = false;
        state.pointCount = 0;
        ShowEmptyPointList(form);
    }
    ClearResults(form);

    const bool withZone = form.CommonDialog1.filterIndex != kNoUtmFilter;
    const PointFileRead read = ReadPointFile(fileName, withZone, state, programa.messages());
    if (read.end == PointFileEnd::PointCut) {
        return; // the list stays as it was before the read
    }
    form.List1->addItems(read.lines);
    if (form.List1->count() > 0) {
        SelectLine(form.List1, form.List1->count() - 1);
    }
    if (state.pointCount > 0) {
        for (QPushButton* button : {form.Command2, form.Command3, form.Command4, form.Command6}) {
            button->setEnabled(true);
        }
    }
    ShowPointCount(form, state.pointCount);
}

void OpenAddDialog(Programa& programa, Calculo& form) {
    programa.apunto()->Abrir(SourceKind(form));
}

void OpenEditDialog(Programa& programa, Calculo& form) {
    const int count = programa.state().pointCount;
    if (count == 0) {
        return;
    }
    const int row = SelectedLine(form.List1);
    if (row < 0 || row >= count) {
        ShowNoSelection(programa);
        return;
    }
    programa.epunto()->Abrir(SourceKind(form), row + 1);
}

void DeleteSelectedPoint(Programa& programa, Calculo& form) {
    ProgramState& state = programa.state();
    if (state.pointCount <= 0) {
        return;
    }
    const int row = SelectedLine(form.List1);
    if (row < 0 || row >= state.pointCount) {
        ShowNoSelection(programa);
    } else {
        const int k = row + 1;
        delete form.List1->takeItem(row);
        std::move(state.PointTable.begin() + k, state.PointTable.begin() + state.pointCount,
                  state.PointTable.begin() + (k - 1));
        --state.pointCount;
        ShowPointCount(form, state.pointCount);
        SelectLine(form.List1, k < state.pointCount ? k - 1 : k - 2);
    }
    ClearResults(form);
    if (state.pointCount == 0) {
        DisableEmptyListButtons(form);
    }
}

void DeleteAllPoints(Programa& programa, Calculo& form) {
    ProgramState& state = programa.state();
    if (state.pointCount <= 0 && !state.drawingMode) {
        return;
    }
    form.List1->clear();
    ClearResults(form);
    state.pointCount = 0;
    DisableEmptyListButtons(form);
    state.drawingMode = false;
    // After a drawing the list takes points again.
    ShowEmptyPointList(form);
}

} // namespace quillon
