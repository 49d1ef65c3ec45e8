#include "calculo.h"

#include "acerca_de.h"
#include "aplicacion.h"
#include "ayuda.h"
#include "comun_widgets.h"
#include "dialogo_anadir_punto.h"
#include "dialogo_editar_punto.h"
#include "huso.h"
#include "mapa.h"
#include "presentador.h"
#include "tablas.h"
#include "ventanalog.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace quillon {

namespace {

// Form colours: pale yellow for system A and its points, pale orange for
// system B and its results.
const QColor kPaleYellow(255, 255, 192);
const QColor kPaleOrange(255, 224, 192);

// Height of the transform button's picture, and its width over its height.
constexpr int kTransformPictureHeight = 300;
constexpr int kTransformPictureWidth = 60;

void Colour(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, colour);
    control->setPalette(palette);
}

QLabel* Picture(QWidget* parent, const char* name, const QPixmap& pixmap) {
    auto* picture = Named(new QLabel(parent), name);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(pixmap);
    return picture;
}

// The button ids of the kind options.
int KindId(CoordinateKind kind) {
    return static_cast<int>(kind);
}

CoordinateKind KindOfId(int id) {
    return static_cast<CoordinateKind>(id);
}

// The local file of a drag that brings exactly one.
QString DraggedFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1 ||
        !mime->urls().constFirst().isLocalFile()) {
        return {};
    }
    return mime->urls().constFirst().toLocalFile();
}

} // namespace

Calculo::Calculo(Aplicacion& programa, FormPresenter& presenter, QWidget* parent)
    : QWidget(parent), programa_(programa), presenter_(presenter) {
    setObjectName(QStringLiteral("calculo"));
    setWindowTitle(QStringLiteral("  Transformar coordenadas"));
    setAcceptDrops(true);
    kindPictures_[static_cast<std::size_t>(KindId(CoordinateKind::Geocentric))] =
        programa_.Picture(QStringLiteral("tipo_cartesianas.png"));
    kindPictures_[static_cast<std::size_t>(KindId(CoordinateKind::Geodetic))] =
        programa_.Picture(QStringLiteral("tipo_geograficas.png"));
    kindPictures_[static_cast<std::size_t>(KindId(CoordinateKind::Utm))] =
        programa_.Picture(QStringLiteral("tipo_utm.png"));

    QWidget* top = BuildTop();
    QWidget* pictures = BuildPictures();
    BuildSourceGroup();
    BuildTargetGroup();
    BuildPointsGroup();
    BuildMethodGroup();
    BuildResultsGroup();

    transformButton = Named(new QPushButton(this), "transformButton");
    transformButton->setFont(SansFont(8, true));
    transformButton->setIcon(programa_.Picture(QStringLiteral("transformar.png")));
    transformButton->setToolTip(QStringLiteral("Transformar"));
    transformButton->setAccessibleName(QStringLiteral("Transformar"));
    transformButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    transformButton->setMinimumSize(kTransformPictureWidth + 24, kTransformPictureHeight / 2);

    verticesLabel = Named(new QLabel(this), "verticesLabel");
    verticesLabel->setAlignment(Qt::AlignCenter);
    verticesLabel->setFrameShape(QFrame::Box);
    verticesLabel->setMargin(2);
    exitButton = Named(new QPushButton(QStringLiteral("&Salir"), this), "exitButton");
    exitButton->setFont(SansFont(8, true));

    auto* layout = new QGridLayout(this);
    layout->addWidget(top, 0, 0, 1, 3);
    layout->addWidget(sourceGroup, 1, 0);
    layout->addWidget(pictures, 1, 1);
    layout->addWidget(targetGroup, 1, 2);
    layout->addWidget(pointsGroup, 2, 0);
    layout->addWidget(methodGroup, 3, 0);
    layout->addWidget(transformButton, 2, 1, 2, 1);
    layout->addWidget(resultsGroup, 2, 2, 2, 1);
    layout->addWidget(verticesLabel, 4, 0);
    layout->addWidget(exitButton, 4, 2, Qt::AlignRight);
    // The results have one column more (the uncertainty) than the points.
    layout->setColumnStretch(0, 5);
    layout->setColumnStretch(2, 6);
    layout->setRowStretch(2, 1);

    BuildActions();
    Connect();
    Render();
}

void Calculo::BuildActions() {
    const auto action = [this](const char* name, const QString& text,
                               const QList<QKeySequence>& keys) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        return a;
    };
    openAction = action("openAction", QStringLiteral("Leer archivo"), {QKeySequence::Open});
    saveAction = action("saveAction", QStringLiteral("Guardar"), {QKeySequence::Save});
    saveAsAction = action("saveAsAction", QStringLiteral("Guardar Como"),
                          {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    helpAction = action("helpAction", QStringLiteral("Ayuda"), {QKeySequence(Qt::Key_F1)});
    quitAction =
        action("quitAction", QStringLiteral("Salir"), {QKeySequence(Qt::CTRL | Qt::Key_Q)});

    QUndoStack* stack = presenter_.undoStack();
    undoAction = stack->createUndoAction(this, QStringLiteral("Deshacer"));
    undoAction->setObjectName(QStringLiteral("undoAction"));
    undoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
    undoAction->setShortcutContext(Qt::WindowShortcut);
    addAction(undoAction);
    redoAction = stack->createRedoAction(this, QStringLiteral("Rehacer"));
    redoAction->setObjectName(QStringLiteral("redoAction"));
    redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    redoAction->setShortcutContext(Qt::WindowShortcut);
    addAction(redoAction);
}

QWidget* Calculo::BuildTop() {
    auto* top = new QWidget(this);
    titleLabel =
        Named(new QLabel(QStringLiteral("Transformación entre coordenadas ETRS89 y ED50"), top),
              "titleLabel");
    titleLabel->setFont(SansFont(12, true));
    titleLabel->setAlignment(Qt::AlignCenter);
    titleLabel->setWordWrap(true);
    helpButton = Named(new QPushButton(QStringLiteral("Ay&uda"), top), "helpButton");
    aboutButton = Named(new QPushButton(QStringLiteral("Acerca de"), top), "aboutButton");
    auto* row = new QHBoxLayout(top);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(titleLabel, 1);
    row->addWidget(helpButton, 0, Qt::AlignTop);
    row->addWidget(aboutButton, 0, Qt::AlignTop);
    return top;
}

QWidget* Calculo::BuildPictures() {
    auto* pictures = new QWidget(this);
    QFont letters = SansFont(12, true);
    sourceLetterLabel = Named(new QLabel(QStringLiteral("A"), pictures), "sourceLetterLabel");
    targetLetterLabel = Named(new QLabel(QStringLiteral("B"), pictures), "targetLetterLabel");
    for (QLabel* letter : {sourceLetterLabel, targetLetterLabel}) {
        letter->setFont(letters);
        letter->setAlignment(Qt::AlignCenter);
    }
    sourceKindPicture = Picture(pictures, "sourceKindPicture", QPixmap());
    targetKindPicture = Picture(pictures, "targetKindPicture", QPixmap());
    arrowPicture =
        Picture(pictures, "arrowPicture", programa_.Picture(QStringLiteral("flecha.png")));
    auto* grid = new QGridLayout(pictures);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(sourceLetterLabel, 0, 0);
    grid->addWidget(targetLetterLabel, 0, 2);
    grid->addWidget(sourceKindPicture, 1, 0);
    grid->addWidget(arrowPicture, 1, 1);
    grid->addWidget(targetKindPicture, 1, 2);
    grid->setRowStretch(2, 1);
    return pictures;
}

void Calculo::BuildSourceGroup() {
    sourceGroup = Named(new QGroupBox(QStringLiteral("Sistema de Referencia de partida (A)"), this),
                        "sourceGroup");
    sourceDatumCombo = Named(new QComboBox(sourceGroup), "sourceDatumCombo");
    sourceDatumCombo->addItems({QStringLiteral("ED50"), QStringLiteral("ETRS89")});
    Colour(sourceDatumCombo, kPaleYellow);
    sourceGeocentricOption =
        Named(new QRadioButton(QStringLiteral("Coordenadas Cartesianas:  X,Y,Z"), sourceGroup),
              "sourceGeocentricOption");
    sourceGeodeticOption =
        Named(new QRadioButton(QStringLiteral("Coordenadas Geográficas:  φ,λ,h"), sourceGroup),
              "sourceGeodeticOption");
    sourceUtmOption =
        Named(new QRadioButton(QStringLiteral("Coordenadas UTM:  x,y,H,huso"), sourceGroup),
              "sourceUtmOption");
    sourceKindButtons = Named(new QButtonGroup(sourceGroup), "sourceKindButtons");
    sourceKindButtons->addButton(sourceGeocentricOption, KindId(CoordinateKind::Geocentric));
    sourceKindButtons->addButton(sourceGeodeticOption, KindId(CoordinateKind::Geodetic));
    sourceKindButtons->addButton(sourceUtmOption, KindId(CoordinateKind::Utm));

    orthometricCheck = Named(
        new QCheckBox(QStringLiteral("Alturas ortométricas (geoide EGM08-REDNAP)"), sourceGroup),
        "orthometricCheck");
    orthometricCheck->setToolTip(
        QStringLiteral("Las altitudes H de las coordenadas UTM, de partida o de llegada, son "
                       "ortométricas: la altura elipsoidal es h = H + N, con la ondulación N del "
                       "geoide EGM08-REDNAP del IGN.\nSin marcar, H se trata como una altura más, "
                       "sin geoide."));

    auto* layout = new QVBoxLayout(sourceGroup);
    layout->addWidget(sourceDatumCombo, 0, Qt::AlignLeft);
    layout->addWidget(sourceGeocentricOption);
    layout->addWidget(sourceGeodeticOption);
    layout->addWidget(sourceUtmOption);
    layout->addWidget(orthometricCheck);
    layout->addStretch(1);
}

void Calculo::BuildTargetGroup() {
    targetGroup = Named(new QGroupBox(QStringLiteral("Sistema de Referencia de llegada (B)"), this),
                        "targetGroup");
    targetDatumCombo = Named(new QComboBox(targetGroup), "targetDatumCombo");
    targetDatumCombo->addItems({QStringLiteral("ED50"), QStringLiteral("ETRS89")});
    Colour(targetDatumCombo, kPaleOrange);
    targetGeocentricOption =
        Named(new QRadioButton(QStringLiteral("Coordenadas Cartesianas:  X,Y,Z"), targetGroup),
              "targetGeocentricOption");
    targetGeodeticOption =
        Named(new QRadioButton(QStringLiteral("Coordenadas Geográficas:  φ,λ,h"), targetGroup),
              "targetGeodeticOption");
    targetUtmOption =
        Named(new QRadioButton(QStringLiteral("Coordenadas UTM:  x,y,H,huso"), targetGroup),
              "targetUtmOption");
    targetKindButtons = Named(new QButtonGroup(targetGroup), "targetKindButtons");
    targetKindButtons->addButton(targetGeocentricOption, KindId(CoordinateKind::Geocentric));
    targetKindButtons->addButton(targetGeodeticOption, KindId(CoordinateKind::Geodetic));
    targetKindButtons->addButton(targetUtmOption, KindId(CoordinateKind::Utm));
    zone29Check = Named(new QCheckBox(QStringLiteral("Huso 29"), targetGroup), "zone29Check");
    zone30Check = Named(new QCheckBox(QStringLiteral("Huso 30"), targetGroup), "zone30Check");
    zone31Check = Named(new QCheckBox(QStringLiteral("Huso 31"), targetGroup), "zone31Check");

    auto* zones = new QHBoxLayout;
    zones->addSpacing(style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth));
    zones->addWidget(zone29Check);
    zones->addWidget(zone30Check);
    zones->addWidget(zone31Check);
    zones->addStretch(1);
    auto* layout = new QVBoxLayout(targetGroup);
    layout->addWidget(targetDatumCombo, 0, Qt::AlignLeft);
    layout->addWidget(targetGeocentricOption);
    layout->addWidget(targetGeodeticOption);
    layout->addWidget(targetUtmOption);
    layout->addLayout(zones);
    layout->addStretch(1);
}

void Calculo::BuildPointsGroup() {
    pointsGroup =
        Named(new QGroupBox(QStringLiteral("Coordenadas a transformar"), this), "pointsGroup");
    pointsStack = Named(new QStackedWidget(pointsGroup), "pointsStack");
    pointTable = Named(new CoordinateTable(pointsStack), "pointTable");
    pointTable->setModel(presenter_.pointModel());
    Colour(pointTable, kPaleYellow);
    drawingLabel = Named(new QLabel(pointsStack), "drawingLabel");
    drawingLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    drawingLabel->setWordWrap(true);
    drawingLabel->setFrameShape(QFrame::StyledPanel);
    drawingLabel->setMargin(6);
    drawingLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pointsStack->addWidget(pointTable);
    pointsStack->addWidget(drawingLabel);

    readFileButton =
        Named(new QPushButton(QStringLiteral("Leer arc&hivo"), pointsGroup), "readFileButton");
    addPointButton =
        Named(new QPushButton(QStringLiteral("Añadir &punto"), pointsGroup), "addPointButton");
    editPointButton =
        Named(new QPushButton(QStringLiteral("&Editar punto"), pointsGroup), "editPointButton");
    deletePointButton =
        Named(new QPushButton(QStringLiteral("Eli&minar punto"), pointsGroup), "deletePointButton");
    deleteAllButton =
        Named(new QPushButton(QStringLiteral("Eliminar &todo"), pointsGroup), "deleteAllButton");
    pointCountLabel = Named(new QLabel(pointsGroup), "pointCountLabel");

    // The buttons go under the table, so that the table has the whole width
    // of the frame for its columns.
    auto* layout = new QGridLayout(pointsGroup);
    layout->addWidget(pointsStack, 0, 0, 1, 3);
    layout->addWidget(readFileButton, 1, 0);
    layout->addWidget(addPointButton, 1, 1);
    layout->addWidget(editPointButton, 1, 2);
    layout->addWidget(pointCountLabel, 2, 0);
    layout->addWidget(deletePointButton, 2, 1);
    layout->addWidget(deleteAllButton, 2, 2);
    layout->setRowStretch(0, 1);
}

void Calculo::BuildMethodGroup() {
    methodGroup =
        Named(new QGroupBox(QStringLiteral("Transformación del Sistema de Referencia"), this),
              "methodGroup");
    nationalOption =
        Named(new QRadioButton(QStringLiteral("Emplear parámetros nacionales"), methodGroup),
              "nationalOption");
    regionalOption =
        Named(new QRadioButton(QStringLiteral("Emplear parámetros regionales"), methodGroup),
              "regionalOption");
    localOption = Named(
        new QRadioButton(QStringLiteral("Calcular y aplicar transformación local"), methodGroup),
        "localOption");
    gridOption =
        Named(new QRadioButton(QStringLiteral("Emplear rejilla oficial del IGN"), methodGroup),
              "gridOption");
    gridOption->setToolTip(QStringLiteral("Rejilla SPED2ETV2 del IGN, la transformación oficial "
                                          "ED50 \u2192 ETRS89: no emplea vértices ni modelo"));
    // One exclusive group for the methods, another for the models: the
    // model options sit inside the method frame, and Qt's automatic
    // exclusivity would otherwise take all six as one group.
    methodButtons = Named(new QButtonGroup(methodGroup), "methodButtons");
    methodButtons->addButton(nationalOption, static_cast<int>(Method::National));
    methodButtons->addButton(regionalOption, static_cast<int>(Method::Regional));
    methodButtons->addButton(localOption, static_cast<int>(Method::Local));
    methodButtons->addButton(gridOption, static_cast<int>(Method::Grid));

    nearestLabel = Named(new QLabel(QStringLiteral("Seleccionar"), methodGroup), "nearestLabel");
    nearestCombo = Named(new QComboBox(methodGroup), "nearestCombo");
    nearestCombo->addItems(
        {QStringLiteral("todos los vértices"), QStringLiteral("3 vértices más cercanos"),
         QStringLiteral("4 vértices más cercanos"), QStringLiteral("5 vértices más cercanos"),
         QStringLiteral("10 vértices más cercanos")});
    distanceLabel =
        Named(new QLabel(QStringLiteral("Distancia límite a los vértices"), methodGroup),
              "distanceLabel");
    distanceCombo = Named(new QComboBox(methodGroup), "distanceCombo");
    distanceCombo->addItems({QStringLiteral("sin límite"), QStringLiteral("25 kilómetros"),
                             QStringLiteral("50 kilómetros"), QStringLiteral("100 kilómetros"),
                             QStringLiteral("150 kilómetros")});
    centreLabel = Named(new QLabel(QStringLiteral("A partir del"), methodGroup), "centreLabel");
    centreCombo = Named(new QComboBox(methodGroup), "centreCombo");
    centreCombo->addItems({QStringLiteral("centro geométrico"), QStringLiteral("centro de masas")});
    nearestLabel->setBuddy(nearestCombo);
    distanceLabel->setBuddy(distanceCombo);
    centreLabel->setBuddy(centreCombo);
    catalogueLabel =
        Named(new QLabel(QStringLiteral("Catálogo de vértices"), methodGroup), "catalogueLabel");
    catalogueCombo = Named(new QComboBox(methodGroup), "catalogueCombo");
    catalogueCombo->addItems({QStringLiteral("integrado"), QStringLiteral("de archivo\u2026")});
    catalogueCombo->setToolTip(QStringLiteral(
        "Los vértices de las transformaciones regional y local: el catálogo integrado, de "
        "demostración, o una tabla propia de puntos comunes en ED50 y ETRS89"));
    catalogueLabel->setBuddy(catalogueCombo);
    catalogueInUseLabel = Named(new QLabel(methodGroup), "catalogueInUseLabel");

    modelGroup = Named(new QGroupBox(QStringLiteral("Modelo"), methodGroup), "modelGroup");
    helmertOption =
        Named(new QRadioButton(QStringLiteral("Helmert 3D"), modelGroup), "helmertOption");
    molodenskyOption =
        Named(new QRadioButton(QStringLiteral("Molodensky"), modelGroup), "molodenskyOption");
    affineOption = Named(new QRadioButton(QStringLiteral("Afín 2D"), modelGroup), "affineOption");
    modelButtons = Named(new QButtonGroup(modelGroup), "modelButtons");
    modelButtons->addButton(helmertOption, static_cast<int>(Model::Helmert3D));
    modelButtons->addButton(molodenskyOption, static_cast<int>(Model::Molodensky));
    modelButtons->addButton(affineOption, static_cast<int>(Model::Affine2D));
    auto* models = new QVBoxLayout(modelGroup);
    models->addWidget(helmertOption);
    models->addWidget(molodenskyOption);
    models->addWidget(affineOption);

    auto* local = new QFormLayout;
    local->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    local->addRow(nearestLabel, nearestCombo);
    local->addRow(distanceLabel, distanceCombo);
    local->addRow(centreLabel, centreCombo);
    local->addRow(catalogueLabel, catalogueCombo);
    local->addRow(catalogueInUseLabel);

    auto* layout = new QGridLayout(methodGroup);
    layout->addWidget(nationalOption, 0, 0);
    layout->addWidget(regionalOption, 1, 0);
    layout->addWidget(localOption, 2, 0);
    layout->addWidget(gridOption, 3, 0);
    layout->addWidget(modelGroup, 0, 1, 4, 1);
    layout->addLayout(local, 4, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    // The method needs no more room than its controls: the point table takes
    // what the window gives.
    methodGroup->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

void Calculo::BuildResultsGroup() {
    resultsGroup =
        Named(new QGroupBox(QStringLiteral("Coordenadas transformadas"), this), "resultsGroup");
    resultsStack = Named(new QStackedWidget(resultsGroup), "resultsStack");
    resultTable = Named(new CoordinateTable(resultsStack), "resultTable");
    resultTable->setModel(presenter_.resultModel());
    Colour(resultTable, kPaleOrange);
    drawingResultLabel = Named(new QLabel(resultsStack), "drawingResultLabel");
    drawingResultLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    drawingResultLabel->setWordWrap(true);
    drawingResultLabel->setFrameShape(QFrame::StyledPanel);
    drawingResultLabel->setMargin(6);
    drawingResultLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    resultsStack->addWidget(resultTable);
    resultsStack->addWidget(drawingResultLabel);

    saveButton = Named(new QPushButton(QStringLiteral("&Guardar"), resultsGroup), "saveButton");
    saveAsButton =
        Named(new QPushButton(QStringLiteral("G&uardar Como"), resultsGroup), "saveAsButton");
    mapButton = Named(new QPushButton(QStringLiteral("&Ver Mapa"), resultsGroup), "mapButton");
    logButton = Named(new QPushButton(QStringLiteral("Ver Meta&datos"), resultsGroup), "logButton");

    auto* layout = new QGridLayout(resultsGroup);
    layout->addWidget(resultsStack, 0, 0, 1, 2);
    layout->addWidget(saveButton, 1, 0);
    layout->addWidget(saveAsButton, 1, 1);
    layout->addWidget(mapButton, 2, 0);
    layout->addWidget(logButton, 2, 1);
    layout->setRowStretch(0, 1);
}

void Calculo::Connect() {
    FormPresenter* p = &presenter_;
    connect(sourceDatumCombo, &QComboBox::currentIndexChanged, p,
            [p](int index) { p->SetSourceDatum(index == 0 ? Datum::Ed50 : Datum::Etrs89); });
    connect(targetDatumCombo, &QComboBox::currentIndexChanged, p,
            [p](int index) { p->SetTargetDatum(index == 0 ? Datum::Ed50 : Datum::Etrs89); });
    connect(sourceKindButtons, &QButtonGroup::idToggled, p, [p](int id, bool checked) {
        if (checked) {
            p->SetSourceKind(KindOfId(id));
        }
    });
    connect(targetKindButtons, &QButtonGroup::idToggled, p, [p](int id, bool checked) {
        if (checked) {
            p->SetTargetKind(KindOfId(id));
        }
    });
    const std::pair<QCheckBox*, int> zones[] = {
        {zone29Check, 29}, {zone30Check, 30}, {zone31Check, 31}};
    for (const auto& [check, zone] : zones) {
        connect(check, &QCheckBox::toggled, p, [p, zone = zone](bool ticked) {
            if (ticked) {
                p->SetOutputZone(zone);
            } else if (p->choices().outputZone == zone) {
                p->SetOutputZone(0);
            }
        });
    }
    connect(orthometricCheck, &QCheckBox::toggled, p, &FormPresenter::SetOrthometricHeights);
    connect(methodButtons, &QButtonGroup::idToggled, p, [p](int id, bool checked) {
        if (checked) {
            p->SetMethod(static_cast<Method>(id));
        }
    });
    connect(nearestCombo, &QComboBox::currentIndexChanged, p, &FormPresenter::SetNearestIndex);
    connect(distanceCombo, &QComboBox::currentIndexChanged, p, &FormPresenter::SetDistanceIndex);
    connect(centreCombo, &QComboBox::currentIndexChanged, p, [p](int index) {
        p->SetCentre(index == 1 ? SearchCentre::MassCentre : SearchCentre::Geometric);
    });
    connect(catalogueCombo, &QComboBox::activated, p, [p](int index) {
        if (index == 1) {
            p->ChooseCatalogueFile();
        } else {
            p->UseBuiltInCatalogue();
        }
    });
    connect(modelButtons, &QButtonGroup::idToggled, p, [p](int id, bool checked) {
        if (checked) {
            p->SetModel(static_cast<Model>(id));
        }
    });

    connect(readFileButton, &QPushButton::clicked, p, &FormPresenter::ReadInputFile);
    connect(addPointButton, &QPushButton::clicked, this, &Calculo::OpenAddDialog);
    connect(editPointButton, &QPushButton::clicked, this, &Calculo::EditSelectedPoint);
    connect(deletePointButton, &QPushButton::clicked, this, &Calculo::DeleteSelectedPoints);
    connect(deleteAllButton, &QPushButton::clicked, p, &FormPresenter::DeleteAll);
    connect(pointTable, &CoordinateTable::deleteRequested, p, &FormPresenter::DeletePoints);
    connect(pointTable, &CoordinateTable::openRequested, this, &Calculo::OpenEditDialog);
    connect(transformButton, &QPushButton::clicked, p, &FormPresenter::Transform);
    connect(saveButton, &QPushButton::clicked, p, &FormPresenter::Save);
    connect(saveAsButton, &QPushButton::clicked, p, &FormPresenter::SaveAs);
    connect(mapButton, &QPushButton::clicked, this, &Calculo::ShowMap);
    connect(logButton, &QPushButton::clicked, this, &Calculo::ShowLog);
    connect(helpButton, &QPushButton::clicked, this, &Calculo::ShowHelp);
    connect(aboutButton, &QPushButton::clicked, this, &Calculo::ShowAbout);
    connect(exitButton, &QPushButton::clicked, this, [this] { programa_.End(); });
    connect(openAction, &QAction::triggered, this, [this] {
        if (readFileButton->isEnabled()) {
            readFileButton->click();
        }
    });
    connect(saveAction, &QAction::triggered, saveButton, &QPushButton::click);
    connect(saveAsAction, &QAction::triggered, saveAsButton, &QPushButton::click);
    connect(helpAction, &QAction::triggered, this, &Calculo::ShowHelp);
    connect(quitAction, &QAction::triggered, exitButton, &QPushButton::click);

    connect(p, &FormPresenter::changed, this, &Calculo::Render);
    connect(p, &FormPresenter::zoneRequested, this, [this] { programa_.huso()->Abrir(); });
    connect(p, &FormPresenter::logRequested, this, &Calculo::ShowLog);
}

void Calculo::Render() {
    const FormChoices& c = presenter_.choices();
    const QSignalBlocker b1(sourceDatumCombo), b2(targetDatumCombo), b3(sourceKindButtons),
        b4(targetKindButtons), b5(methodButtons), b6(modelButtons), b7(nearestCombo),
        b8(distanceCombo), b9(centreCombo), b10(zone29Check), b11(zone30Check), b12(zone31Check),
        b13(orthometricCheck), b14(catalogueCombo);

    sourceDatumCombo->setCurrentIndex(c.sourceDatum == Datum::Ed50 ? 0 : 1);
    targetDatumCombo->setCurrentIndex(c.targetDatum == Datum::Ed50 ? 0 : 1);
    sourceKindButtons->button(KindId(c.sourceKind))->setChecked(true);
    targetKindButtons->button(KindId(c.targetKind))->setChecked(true);
    sourceKindPicture->setPixmap(kindPictures_[static_cast<std::size_t>(KindId(c.sourceKind))]);
    targetKindPicture->setPixmap(kindPictures_[static_cast<std::size_t>(KindId(c.targetKind))]);

    const bool utmTarget = c.targetKind == CoordinateKind::Utm;
    zone29Check->setChecked(c.outputZone == 29);
    zone30Check->setChecked(c.outputZone == 30);
    zone31Check->setChecked(c.outputZone == 31);
    for (QCheckBox* zone : {zone29Check, zone30Check, zone31Check}) {
        zone->setEnabled(utmTarget);
    }
    orthometricCheck->setChecked(c.orthometricHeights);
    orthometricCheck->setEnabled(c.heightsApply());

    methodButtons->button(static_cast<int>(c.method))->setChecked(true);
    modelButtons->button(static_cast<int>(c.model))->setChecked(true);
    nearestCombo->setCurrentIndex(c.nearestIndex);
    distanceCombo->setCurrentIndex(c.distanceIndex);
    centreCombo->setCurrentIndex(c.centre == SearchCentre::MassCentre ? 1 : 0);
    methodGroup->setEnabled(c.changesDatum());
    for (QWidget* control : std::initializer_list<QWidget*>{
             nearestLabel, nearestCombo, distanceLabel, distanceCombo, centreLabel, centreCombo}) {
        control->setEnabled(c.method == Method::Local);
    }
    modelGroup->setEnabled(c.method == Method::Regional || c.method == Method::Local);
    catalogueCombo->setCurrentIndex(presenter_.catalogueFile().isEmpty() ? 0 : 1);
    catalogueInUseLabel->setText(QStringLiteral("En uso: ") + presenter_.CatalogueCaption());
    catalogueInUseLabel->setToolTip(presenter_.catalogueFile());
    for (QWidget* control :
         std::initializer_list<QWidget*>{catalogueLabel, catalogueCombo, catalogueInUseLabel}) {
        control->setEnabled(c.method == Method::Regional || c.method == Method::Local);
    }

    const bool drawing = presenter_.drawingMode();
    pointsStack->setCurrentWidget(drawing ? static_cast<QWidget*>(drawingLabel) : pointTable);
    drawingLabel->setText(presenter_.DrawingLines().join(QLatin1Char('\n')));
    const bool points = presenter_.pointCount() > 0;
    addPointButton->setEnabled(!drawing);
    editPointButton->setEnabled(points);
    deletePointButton->setEnabled(points);
    deleteAllButton->setEnabled(points || drawing);
    pointCountLabel->setText(presenter_.PointCountCaption());

    const RunResults& run = presenter_.run();
    const bool drawingResult = run.done && run.drawing;
    resultsStack->setCurrentWidget(drawingResult ? static_cast<QWidget*>(drawingResultLabel)
                                                 : resultTable);
    drawingResultLabel->setText(presenter_.DrawingResultText());
    saveButton->setEnabled(presenter_.CanSave());
    saveAsButton->setEnabled(presenter_.CanSave());
    mapButton->setEnabled(presenter_.CanShowMap());
    logButton->setEnabled(presenter_.CanShowLog());
    verticesLabel->setText(presenter_.VertexCaption());
    transformButton->setEnabled(!presenter_.running());

    if (!presenter_.running()) {
        ShowRunInWindows();
    }
}

void Calculo::ShowRunInWindows() {
    const RunResults& run = presenter_.run();
    const int stamp = run.serial * 4 + (run.map ? 2 : 0) + (run.log ? 1 : 0);
    if (stamp == shownRunSerial_) {
        return;
    }
    shownRunSerial_ = stamp;
    if (run.map || programa_.loadedMapa() != nullptr) {
        programa_.mapa()->ShowRun(run.map ? &*run.map : nullptr);
    }
    if (run.log || programa_.loadedVentanaLog() != nullptr) {
        VentanaLog* log = programa_.ventanalog();
        log->SetLines(run.log.value_or(QStringList()));
    }
}

// --- Windows -----------------------------------------------------------------------

void Calculo::OpenAddDialog() {
    if (presenter_.CanAddPoint()) {
        programa_.dialogoAnadir()->Abrir(presenter_.choices().sourceKind);
    }
}

void Calculo::OpenEditDialog(int row) {
    if (row >= 0 && row < presenter_.pointCount()) {
        programa_.dialogoEditar()->Abrir(presenter_.choices().sourceKind, row + 1);
    }
}

void Calculo::EditSelectedPoint() {
    if (presenter_.pointCount() == 0) {
        return;
    }
    const QList<int> rows = pointTable->SelectedRows();
    if (rows.isEmpty()) {
        programa_.messages().Show(QStringLiteral("Debe seleccionar al menos un punto de la lista"),
                                  QStringLiteral("Error"), MessageIcon::Critical);
        return;
    }
    OpenEditDialog(rows.constFirst());
}

void Calculo::DeleteSelectedPoints() {
    const QList<int> rows = pointTable->SelectedRows();
    const int next = rows.isEmpty() ? -1 : rows.constFirst();
    presenter_.DeletePoints(rows);
    // The point that took the place of the first one deleted, or the last.
    const int count = presenter_.pointCount();
    if (!rows.isEmpty() && count > 0) {
        pointTable->selectRow(std::min(next, count - 1));
    }
}

void Calculo::ShowMap() {
    Mapa* mapa = programa_.mapa();
    mapa->setEnabled(true);
    setEnabled(false);
    mapa->show();
    mapa->raise();
    mapa->activateWindow();
}

void Calculo::ShowLog() {
    setEnabled(false);
    VentanaLog* ventanalog = programa_.ventanalog();
    ventanalog->setEnabled(true);
    ventanalog->show();
    ventanalog->raise();
    ventanalog->activateWindow();
}

void Calculo::ShowHelp() {
    Ayuda* ayuda = programa_.ayuda();
    ayuda->setEnabled(true);
    ayuda->show();
    ayuda->raise();
    ayuda->activateWindow();
}

void Calculo::ShowAbout() {
    AcercaDe* acerca_de = programa_.acerca_de();
    acerca_de->setEnabled(true);
    acerca_de->show();
    acerca_de->raise();
    acerca_de->activateWindow();
}

// --- Drag and drop, size -------------------------------------------------------------

void Calculo::dragEnterEvent(QDragEnterEvent* event) {
    const QString file = DraggedFile(event->mimeData());
    if (!file.isEmpty() && QFileInfo(file).isFile() && !presenter_.running()) {
        event->acceptProposedAction();
    }
}

void Calculo::dropEvent(QDropEvent* event) {
    const QString file = DraggedFile(event->mimeData());
    if (file.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    presenter_.OpenDroppedFile(file);
}

void Calculo::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitTransformPicture();
}

void Calculo::FitTransformPicture() {
    const int height = std::clamp(transformButton->height() - 16, 40, kTransformPictureHeight);
    transformButton->setIconSize(
        QSize(height * kTransformPictureWidth / kTransformPictureHeight, height));
}

} // namespace quillon
