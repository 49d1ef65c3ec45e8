// The point list of the transformation form: the buttons "Leer arc&hivo",
// "Añadir &punto", "&Editar punto", "Eli&minar punto" and "Eliminar &todo",
// and the small routines on the list, the count label and the results that
// the point and zone dialogs share.
#pragma once

#include "lectura_puntos.h"

class QListWidget;

namespace quillon {

class Calculo;
class Programa;

// First line of the point list while a drawing is the input.
inline constexpr char kDrawingOpened[] = "Se ha abierto el archivo:";

// The coordinate kind selected for the source system (A).
CoordinateKind SourceKind(const Calculo& form);

// The results no longer match the points: clears the result list and
// disables "&Guardar" and "G&uardar Como".
void ClearResults(Calculo& form);

// Index of the selected line, or -1.
int SelectedLine(const QListWidget* list);
// Selects line `row`; a row outside the list leaves no line selected.
void SelectLine(QListWidget* list, int row);

// The count label: `count` followed by " puntos en total".
void ShowPointCount(Calculo& form, int count);

// The point buttons of an empty point list: "Añadir &punto" enabled,
// "&Editar punto", "Eli&minar punto" and "Eliminar &todo" disabled, and
// the label "0 puntos en total".
void ShowEmptyPointList(Calculo& form);

// "Leer arc&hivo": a point file appended to the list, or a drawing.
void ReadInputFile(Programa& programa, Calculo& form);
// "Añadir &punto".
void OpenAddDialog(Programa& programa, Calculo& form);
// "&Editar punto": the point of the selected line.
void OpenEditDialog(Programa& programa, Calculo& form);
// "Eli&minar punto": the point of the selected line.
void DeleteSelectedPoint(Programa& programa, Calculo& form);
// "Eliminar &todo": every point, or the drawing.
void DeleteAllPoints(Programa& programa, Calculo& form);

} // namespace quillon
