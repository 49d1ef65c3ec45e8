// The transformation form "calculo": the program's working window, the only
// child of the frame window. It holds the choice of the source and target
// systems and coordinate kinds, the output zone, the method of obtaining the
// parameters, the point list, the transform button and the result list.
//
// Controls keep the form's design names as member and object names so that
// the other windows (point and zone dialogs, the run, the saving of results)
// reach them as the form's own controls.
#pragma once

#include "services.h"
#include "transf_client.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace quillon {

class ClickableLabel;
class Programa;

class Calculo : public QWidget {
    Q_OBJECT
public:
    // Builds the form in its design state and loads it.
    explicit Calculo(Programa& programa, QWidget* parent = nullptr);

    // --- Top of the form ---
    QLabel* Label1 = nullptr;         // title
    QLabel* Label2 = nullptr;         // "A"
    QLabel* Label3 = nullptr;         // "B"
    QLabel* Picture1 = nullptr;       // kind of system A
    QLabel* Picture2 = nullptr;       // kind of system B
    QLabel* Picture3 = nullptr;       // arrow from A to B
    QLabel* Picture4 = nullptr;       // picture sources (hidden): Cartesian,
    QLabel* Picture5 = nullptr;       //   geographic
    QLabel* Picture6 = nullptr;       //   and UTM coordinates
    QPushButton* Command11 = nullptr; // "Ay&uda"
    QPushButton* Command12 = nullptr; // "Acerca de"

    // --- "Sistema de Referencia de partida (A)" ---
    QGroupBox* Frame1 = nullptr;
    QComboBox* Combo1 = nullptr;      // source datum
    QRadioButton* Option1 = nullptr;  // Cartesian
    QRadioButton* Option2 = nullptr;  // geographic
    QRadioButton* Option3 = nullptr;  // UTM
    ClickableLabel* Label4 = nullptr; // "φ,λ," after the geographic option
    ClickableLabel* Label5 = nullptr; // "h"

    // --- "Sistema de Referencia de llegada (B)" ---
    QGroupBox* Frame2 = nullptr;
    QComboBox* Combo2 = nullptr;      // target datum
    QRadioButton* Option4 = nullptr;  // Cartesian
    QRadioButton* Option5 = nullptr;  // geographic
    QRadioButton* Option6 = nullptr;  // UTM
    ClickableLabel* Label6 = nullptr; // "φ,λ,"
    ClickableLabel* Label7 = nullptr; // "h"
    QCheckBox* Check1 = nullptr;      // "Huso 29"
    QCheckBox* Check2 = nullptr;      // "Huso 30"
    QCheckBox* Check3 = nullptr;      // "Huso 31"

    // --- "Coordenadas a transformar" ---
    QGroupBox* Frame3 = nullptr;
    QListWidget* List1 = nullptr;    // point list
    QPushButton* Command1 = nullptr; // "Leer arc&hivo"
    QPushButton* Command2 = nullptr; // "Añadir &punto"
    QPushButton* Command3 = nullptr; // "&Editar punto"
    QPushButton* Command4 = nullptr; // "Eli&minar punto"
    QPushButton* Command6 = nullptr; // "Eliminar &todo"
    QLabel* Label8 = nullptr;        // point count
    CommonDialog CommonDialog1;      // open-file dialog

    // --- "Transformación del Sistema de Referencia" ---
    QGroupBox* Frame4 = nullptr;
    QRadioButton* Option7 = nullptr;  // national parameters
    QRadioButton* Option8 = nullptr;  // regional parameters
    QRadioButton* Option9 = nullptr;  // local transformation
    QLabel* Label9 = nullptr;         // "Seleccionar"
    QComboBox* Combo3 = nullptr;      // vertex number
    QLabel* Label10 = nullptr;        // "Distancia límite a los vértices"
    QComboBox* Combo4 = nullptr;      // distance limit
    QLabel* Label11 = nullptr;        // "A partir del"
    QComboBox* Combo5 = nullptr;      // centroid kind
    QGroupBox* Frame5 = nullptr;      // model
    QRadioButton* Option10 = nullptr; // "Helmert 3D"
    QRadioButton* Option11 = nullptr; // "Molodensky"
    QRadioButton* Option12 = nullptr; // "Afín 2D"

    // --- Middle ---
    QPushButton* Command10 = nullptr; // transform

    // --- "Coordenadas transformadas" ---
    QGroupBox* Frame6 = nullptr;
    QListWidget* List2 = nullptr;     // result list
    QPushButton* Command5 = nullptr;  // "&Guardar"
    QPushButton* Command8 = nullptr;  // "G&uardar Como"
    QPushButton* Command9 = nullptr;  // "&Ver Mapa"
    QPushButton* Command13 = nullptr; // "&Ver Metadatos"
    CommonDialog CommonDialog2;       // save-file dialog

    // --- The engine control, invisible on the form ---
    dezadiravevava::TransfClient Transf1;

    // --- Bottom ---
    QLabel* Label12 = nullptr;       // vertex count
    QPushButton* Command7 = nullptr; // "&Salir"

public slots:
    void Form_Load();

    // Datum combo boxes.
    void Combo1_Click();
    void Combo2_Click();
    // Coordinate kinds of system A and B.
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Option5_Click();
    void Option6_Click();
    // Captions after the geographic options.
    void Label4_Click();
    void Label5_Click();
    void Label6_Click();
    void Label7_Click();
    // Output zone.
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    // Method and local selection.
    void Option7_Click();
    void Option8_Click();
    void Option9_Click();
    void Combo3_Click();
    void Combo4_Click();

    // Point list.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command6_Click();
    // Transformation run.
    void Command10_Click();
    // Results.
    void Command5_Click();
    void Command8_Click();
    void Command9_Click();
    void Command13_Click();
    // Help, about and exit.
    void Command11_Click();
    void Command12_Click();
    void Command7_Click();

private:
    void BuildTop();
    void BuildSourceFrame();
    void BuildTargetFrame();
    void BuildPointFrame();
    void BuildMethodFrame();
    void BuildResultFrame();
    void BuildBottom();
    void Connect();

    // The datum handler shared by both datum combo boxes.
    void DatumChanged();
    // Handlers shared by the options of each kind group.
    void SourceKindChanged(const QLabel* source, bool utm);
    void TargetKindChanged(const QLabel* source, bool utm);
    // Zone exclusivity: ticking `ticked` unticks the other two boxes.
    void ZoneTicked(QCheckBox* ticked);
    // The enabled states of the local selection and the model by method.
    void ShowMethod(bool local, bool model, const QString& vertexCaption);

    Programa& programa_;
};

} // namespace quillon
