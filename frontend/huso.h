// The zone dialog "huso" ("Huso del fichero DXF"): asks for the UTM zone of
// a drawing read as input while the source kind is UTM.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace quillon {

class CampoTexto;
class Calculo;
class Programa;

class Huso : public QWidget {
    Q_OBJECT
public:
    explicit Huso(Programa& programa, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;        // "COORDENADAS"
    QLabel* Label2 = nullptr;        // "U.T.M."
    QLabel* Label3 = nullptr;        // "Huso"
    CampoTexto* Text1 = nullptr;     // the zone
    QPushButton* Command1 = nullptr; // "&Aceptar"
    QPushButton* Command2 = nullptr; // "&Cancelar"

    // Shows the dialog and disables the transformation form until a zone is
    // accepted or the drawing dropped.
    void Abrir();

public slots:
    // "&Aceptar": the zone of the drawing, 30 when none is given.
    void Command1_Click();
    // "&Cancelar" (also Esc and the close box): drops the drawing.
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Sets the drawing's zone, adds its line to the point list and goes
    // back to the form.
    void AcceptZone(double zone);
    Calculo& form() const;

    Programa& programa_;
};

} // namespace quillon
