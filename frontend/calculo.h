// The transformation form "calculo": the program's working window, the
// central widget of the frame window. It holds the choice of the source and
// target systems and coordinate kinds, the output zone, the method of
// obtaining the parameters, the point table, the transform button and the
// result table. Its widgets are laid out by Qt layouts, so the window
// resizes, follows the font and the screen scale, and the tables grow with
// it.
//
// The form only shows what its presenter (presentador.h) holds and hands it
// what the user does: every widget signal goes to the presenter, and every
// change of the presenter redraws the form (Render).
#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace quillon {

class CoordinateTable;
class FormPresenter;
class Aplicacion;

class Calculo : public QWidget {
    Q_OBJECT
public:
    Calculo(Aplicacion& programa, FormPresenter& presenter, QWidget* parent = nullptr);

    FormPresenter& presenter() { return presenter_; }

    // --- Top of the form ---
    QLabel* titleLabel = nullptr;
    QLabel* sourceLetterLabel = nullptr; // "A"
    QLabel* targetLetterLabel = nullptr; // "B"
    QLabel* sourceKindPicture = nullptr; // the kind of system A
    QLabel* arrowPicture = nullptr;
    QLabel* targetKindPicture = nullptr; // the kind of system B
    QPushButton* helpButton = nullptr;
    QPushButton* aboutButton = nullptr;

    // --- "Sistema de Referencia de partida (A)" ---
    QGroupBox* sourceGroup = nullptr;
    QComboBox* sourceDatumCombo = nullptr;
    QRadioButton* sourceGeocentricOption = nullptr;
    QRadioButton* sourceGeodeticOption = nullptr;
    QRadioButton* sourceUtmOption = nullptr;
    QButtonGroup* sourceKindButtons = nullptr;
    // The H of UTM points (of A or of B) is orthometric: EGM08-REDNAP.
    QCheckBox* orthometricCheck = nullptr;

    // --- "Sistema de Referencia de llegada (B)" ---
    QGroupBox* targetGroup = nullptr;
    QComboBox* targetDatumCombo = nullptr;
    QRadioButton* targetGeocentricOption = nullptr;
    QRadioButton* targetGeodeticOption = nullptr;
    QRadioButton* targetUtmOption = nullptr;
    QButtonGroup* targetKindButtons = nullptr;
    QCheckBox* zone29Check = nullptr;
    QCheckBox* zone30Check = nullptr;
    QCheckBox* zone31Check = nullptr;

    // --- "Coordenadas a transformar" ---
    QGroupBox* pointsGroup = nullptr;
    QStackedWidget* pointsStack = nullptr; // the table, or the drawing
    CoordinateTable* pointTable = nullptr;
    QLabel* drawingLabel = nullptr;
    QPushButton* readFileButton = nullptr;
    QPushButton* addPointButton = nullptr;
    QPushButton* editPointButton = nullptr;
    QPushButton* deletePointButton = nullptr;
    QPushButton* deleteAllButton = nullptr;
    QLabel* pointCountLabel = nullptr;

    // --- "Transformación del Sistema de Referencia" ---
    QGroupBox* methodGroup = nullptr;
    QRadioButton* nationalOption = nullptr;
    QRadioButton* regionalOption = nullptr;
    QRadioButton* localOption = nullptr;
    QRadioButton* gridOption = nullptr; // the official IGN grid
    QButtonGroup* methodButtons = nullptr;
    QLabel* nearestLabel = nullptr; // "Seleccionar"
    QComboBox* nearestCombo = nullptr;
    QLabel* distanceLabel = nullptr;
    QComboBox* distanceCombo = nullptr;
    QLabel* centreLabel = nullptr; // "A partir del"
    QComboBox* centreCombo = nullptr;
    // The catalogue of the regional and local runs: "integrado" or "de
    // archivo…", and the one in use.
    QLabel* catalogueLabel = nullptr;
    QComboBox* catalogueCombo = nullptr;
    QLabel* catalogueInUseLabel = nullptr;
    QGroupBox* modelGroup = nullptr;
    QRadioButton* helmertOption = nullptr;
    QRadioButton* molodenskyOption = nullptr;
    QRadioButton* affineOption = nullptr;
    QButtonGroup* modelButtons = nullptr;

    // --- Middle ---
    QPushButton* transformButton = nullptr;

    // --- "Coordenadas transformadas" ---
    QGroupBox* resultsGroup = nullptr;
    QStackedWidget* resultsStack = nullptr; // the table, or the drawing's summary
    CoordinateTable* resultTable = nullptr;
    QLabel* drawingResultLabel = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* saveAsButton = nullptr;
    QPushButton* mapButton = nullptr;
    QPushButton* logButton = nullptr;

    // --- Bottom ---
    // The vertices the last run used; empty before a run.
    QLabel* verticesLabel = nullptr;
    QPushButton* exitButton = nullptr;

    // --- Keys of the whole window ---
    QAction* openAction = nullptr;   // Ctrl+O: "Leer archivo"
    QAction* saveAction = nullptr;   // Ctrl+S: "Guardar"
    QAction* saveAsAction = nullptr; // Ctrl+Shift+S: "Guardar Como"
    QAction* helpAction = nullptr;   // F1: the help
    QAction* quitAction = nullptr;   // Ctrl+Q: "Salir"
    QAction* undoAction = nullptr;   // Ctrl+Z: undoes the last change of the points
    QAction* redoAction = nullptr;   // Ctrl+Shift+Z or Ctrl+Y: does it again

public slots:
    // Shows the presenter's state: selections, enabled states, captions.
    void Render();

    // Buttons that open other windows.
    void OpenAddDialog();
    void OpenEditDialog(int row);
    void EditSelectedPoint();
    void DeleteSelectedPoints();
    void ShowMap();
    void ShowLog();
    void ShowHelp();
    void ShowAbout();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* BuildTop();
    QWidget* BuildPictures();
    void BuildSourceGroup();
    void BuildTargetGroup();
    void BuildPointsGroup();
    void BuildMethodGroup();
    void BuildResultsGroup();
    void Connect();
    void BuildActions();
    // The run's map and log go to their windows when the run ends.
    void ShowRunInWindows();
    // The transform button's picture follows the button's height.
    void FitTransformPicture();

    Aplicacion& programa_;
    FormPresenter& presenter_;
    // Pictures of the geocentric, geodetic and UTM kinds.
    std::array<QPixmap, 3> kindPictures_;
    int shownRunSerial_ = -1;
};

} // namespace quillon
