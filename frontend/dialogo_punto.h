// What the add-point dialog "apunto" and the edit-point dialog "epunto" have
// in common: the layout, the captions by coordinate kind, the example of
// packed sexagesimal angles, the keys and the checks of the typed point.
// Both are non-blocking windows that disable the transformation form while
// they are shown.
#pragma once

#include "lectura_puntos.h"

#include <QLineEdit>
#include <QWidget>
#include <array>
#include <optional>

class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;

namespace quillon {

class Calculo;
class Programa;

// A text field whose whole text is selected whenever it gets the focus.
class CampoTexto : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override;
};

// Puts `text` in `field` whole: the field's length limit, `limit`, holds for
// what the user types, and is raised for a longer text put in by the program.
void SetFieldText(QLineEdit* field, const QString& text, int limit);

// Moves a dialog to its design place (`left`, `top`, in twips), which the
// design gives for the frame window centred on an 800 x 600 screen; the
// dialog keeps that place relative to the frame window wherever it is.
void PlaceNearFrame(QWidget* dialog, const QWidget* frame, int left, int top);

class DialogoPunto : public QWidget {
    Q_OBJECT
public:
    QLabel* Label1 = nullptr;        // "COORDENADAS"
    QLabel* Label2 = nullptr;        // the kind: "CARTESIANAS", "GEODÉSICAS" or "U.T.M."
    QRadioButton* Option1 = nullptr; // kind, hidden: "Geocéntricas"
    QRadioButton* Option2 = nullptr; //   "Geodésicas"
    QRadioButton* Option3 = nullptr; //   "U.T.M."
    QLabel* Label3 = nullptr;        // "Identificador"
    QLabel* Label4 = nullptr;        // first coordinate: "X", "Latitud", "X UTM"
    QLabel* Label5 = nullptr;        // second: "Y", "Longitud", "Y UTM"
    QLabel* Label6 = nullptr;        // third: "Z", "Altitud h", "Altitud H"
    QLabel* Label7 = nullptr;        // "Huso"
    CampoTexto* Text1 = nullptr;     // identifier
    CampoTexto* Text2 = nullptr;     // first coordinate
    CampoTexto* Text3 = nullptr;     // second coordinate
    CampoTexto* Text4 = nullptr;     // third coordinate
    CampoTexto* Text5 = nullptr;     // zone
    QFrame* Frame1 = nullptr;        // example of a packed sexagesimal angle
    QLabel* Label8 = nullptr;        // "Ejemplo:"
    QLabel* Label9 = nullptr;        // "37º45'57''947"
    QLabel* Label10 = nullptr;       // down arrow
    QLabel* Label11 = nullptr;       // "37.4557947"
    QPushButton* Command1 = nullptr; // confirm: "&Añadir" or "&Aceptar"
    QPushButton* Command2 = nullptr; // leave: "&Cerrar" or "&Cancelar"

    // Selects the kind option of `kind`, which sets the captions.
    void SetKind(CoordinateKind kind);
    CoordinateKind Kind() const;

    // Length limit of the identifier field.
    int identifierLength() const { return identifierLength_; }
    // Length limit of the coordinate and zone fields.
    static constexpr int kCoordinateLength = 12;
    static constexpr int kZoneLength = 2;

public slots:
    // The confirm and leave buttons.
    virtual void Command1_Click() = 0;
    virtual void Command2_Click() = 0;

protected:
    DialogoPunto(Programa& programa, const char* name, const QString& title, const QString& confirm,
                 const QString& leave, int identifierLength, QWidget* parent);

    // Enables and shows the dialog at its place, disables the transformation
    // form and focuses the identifier field.
    void ShowOverForm(int left, int top);
    // Enables the transformation form again and hides the dialog.
    void HideFromForm();

    // The point typed in the fields when every coordinate field is numeric
    // and, for UTM, the zone field reads "29", "30" or "31". Otherwise
    // nothing: each bad coordinate field gives its message from
    // `coordinateMessages` (the same for all three, or one per field), a bad
    // zone `zoneMessage`, and the focus goes to the first bad field.
    std::optional<PointRecord> TypedPoint(const std::array<QString, 3>& coordinateMessages,
                                          const QString& zoneMessage);
    // Empties the five fields.
    void ClearFields();

    Calculo& form() const;

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    Programa& programa_;

private:
    void BuildFields();
    void BuildExample();
    void ApplyKind();
    // Enter in a field moves the focus on.
    void FieldEntered(QLineEdit* field);

    int identifierLength_;
};

} // namespace quillon
