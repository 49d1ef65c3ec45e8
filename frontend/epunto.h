// The edit-point dialog "epunto" ("Editar punto"): changes the point of the
// selected line of the point list.
#pragma once

#include "dialogo_punto.h"

namespace quillon {

class Epunto : public DialogoPunto {
    Q_OBJECT
public:
    explicit Epunto(Programa& programa, QWidget* parent = nullptr);

    // Shows the dialog for point number `point` (from 1) of `kind`, the
    // source kind of the form, with the point's values in the fields.
    void Abrir(CoordinateKind kind, int point);

public slots:
    // "&Aceptar": overwrites the point and its line with the typed values.
    void Command1_Click() override;
    // "&Cancelar" (also Esc): back to the form, nothing changed.
    void Command2_Click() override;
};

} // namespace quillon
