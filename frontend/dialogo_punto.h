// What the add-point dialog and the edit-point dialog have in common: the layout, the captions by
// coordinate kind, the example of packed sexagesimal angles, the keys and the checks of the typed
// point. Both are non-blocking windows that disable the transformation form while they are shown.
#pragma once

#include "lectura_puntos.h"

#include <QLineEdit>
#include <QWidget>
#include <array>
#include <optional>

class QFrame;
class QLabel;
class QPushButton;

namespace quillon {

class Calculo;
class FormPresenter;
class Aplicacion;

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

class DialogoPunto : public QWidget {
    Q_OBJECT
public:
    QLabel* headingLabel = nullptr; // "COORDENADAS"
    QLabel* kindLabel = nullptr;    // "CARTESIANAS", "GEODÉSICAS" or "U.T.M."
    QLabel* identifierLabel = nullptr;
    QLabel* coordinate1Label = nullptr; // "X", "Latitud", "X UTM"
    QLabel* coordinate2Label = nullptr; // "Y", "Longitud", "Y UTM"
    QLabel* coordinate3Label = nullptr; // "Z", "Altitud h", "Altitud H"
    QLabel* zoneLabel = nullptr;        // "Huso"
    CampoTexto* identifierEdit = nullptr;
    CampoTexto* coordinate1Edit = nullptr;
    CampoTexto* coordinate2Edit = nullptr;
    CampoTexto* coordinate3Edit = nullptr;
    CampoTexto* zoneEdit = nullptr;
    QFrame* exampleFrame = nullptr; // a packed sexagesimal angle
    QLabel* exampleTitleLabel = nullptr;
    QLabel* exampleAngleLabel = nullptr;
    QLabel* exampleArrowLabel = nullptr;
    QLabel* examplePackedLabel = nullptr;
    QPushButton* confirmButton = nullptr; // "&Añadir" or "&Aceptar"
    QPushButton* leaveButton = nullptr;   // "&Cerrar" or "&Cancelar"

    // Sets the kind of the points typed, which sets the captions.
    void SetKind(CoordinateKind kind);
    CoordinateKind Kind() const { return kind_; }

    // Length limits of the fields.
    static constexpr int kIdentifierLength = 25;
    static constexpr int kCoordinateLength = 24;
    static constexpr int kZoneLength = 2;

public slots:
    // The confirm and leave buttons.
    virtual void Confirm() = 0;
    virtual void Leave() = 0;

protected:
    DialogoPunto(Aplicacion& programa, const char* name, const QString& title,
                 const QString& confirm, const QString& leave, QWidget* parent);

    // Enables and shows the dialog over the frame window, disables the
    // transformation form and focuses the identifier field.
    void ShowOverForm();
    // Enables the transformation form again and hides the dialog.
    void HideFromForm();

    // The point typed in the fields, when every coordinate field holds a
    // number (decimal comma or point), a geodetic angle has minutes and
    // seconds below 60 and, for UTM, the zone field reads 29, 30 or 31.
    // Otherwise nothing: each bad field gives a message that names it, and
    // the focus goes to the first bad field.
    std::optional<PointRecord> TypedPoint();
    // Empties the five fields.
    void ClearFields();

    Calculo& form() const;
    FormPresenter& presenter() const;

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    Aplicacion& programa_;

private:
    void BuildExample();
    // Enter in a field moves the focus on.
    void FieldEntered(QLineEdit* field);

    CoordinateKind kind_ = CoordinateKind::Utm;
};

} // namespace quillon
