// The add-point dialog ("Añadir punto"): the user types points one
// after another, each appended to the point list of the transformation form.
#pragma once

#include "dialogo_punto.h"

namespace quillon {

class DialogoAnadirPunto : public DialogoPunto {
    Q_OBJECT
public:
    explicit DialogoAnadirPunto(Aplicacion& programa, QWidget* parent = nullptr);

    // Shows the dialog for points of `kind`, the source kind of the form.
    void Abrir(CoordinateKind kind);

public slots:
    // "&Añadir": appends the typed point and empties the fields for the next.
    void Confirm() override;
    // "&Cerrar" (also Esc): back to the form, with the last point selected.
    void Leave() override;
};

} // namespace quillon
