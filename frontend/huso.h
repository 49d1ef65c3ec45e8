// The zone dialog "huso" ("Huso del fichero DXF"): asks for the UTM zone of
// a drawing chosen as input while the source kind is UTM. The drawing
// becomes the input only when a zone is accepted; cancelling leaves the
// input as it was.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace quillon {

class CampoTexto;
class Calculo;
class Aplicacion;

class Huso : public QWidget {
    Q_OBJECT
public:
    explicit Huso(Aplicacion& programa, QWidget* parent = nullptr);

    QLabel* headingLabel = nullptr; // "COORDENADAS"
    QLabel* kindLabel = nullptr;    // "U.T.M."
    QLabel* zoneLabel = nullptr;    // "Huso"
    CampoTexto* zoneEdit = nullptr;
    QPushButton* acceptButton = nullptr; // "&Aceptar"
    QPushButton* cancelButton = nullptr; // "&Cancelar"

    // Shows the dialog and disables the transformation form until a zone is
    // accepted or the drawing dropped.
    void Abrir();

public slots:
    // "&Aceptar": the zone of the drawing, 30 when none is given.
    void Accept();
    // "&Cancelar" (also Esc and the close box): drops the drawing.
    void Cancel();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Finish();
    Calculo& form() const;

    Aplicacion& programa_;
};

} // namespace quillon
