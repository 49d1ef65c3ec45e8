// The edit-point dialog ("Editar punto"): changes a point of the
// point list (the selected one, or the one double-clicked).
#pragma once

#include "dialogo_punto.h"

namespace quillon {

class DialogoEditarPunto : public DialogoPunto {
    Q_OBJECT
public:
    explicit DialogoEditarPunto(Aplicacion& programa, QWidget* parent = nullptr);

    // Shows the dialog for point number `point` (from 1) of `kind`, the
    // source kind of the form, with the point's values in the fields.
    void Abrir(CoordinateKind kind, int point);

public slots:
    // "&Aceptar": replaces the point with the typed values.
    void Confirm() override;
    // "&Cancelar" (also Esc): back to the form, nothing changed.
    void Leave() override;
};

} // namespace quillon
