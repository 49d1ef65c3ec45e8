#include "calculo.h"

#include "acerca_de.h"
#include "ayuda.h"
#include "guardar.h"
#include "lista_puntos.h"
#include "mapa.h"
#include "module1.h"
#include "module1_widgets.h"
#include "programa.h"
#include "transformacion.h"
#include "ventanalog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <array>

namespace quillon {

namespace {

// Size of the form's client area.
constexpr int kFormWidth = 10695;
constexpr int kFormHeight = 8295;

// Form colours.
const QColor kPaleYellow(255, 255, 192);
const QColor kPaleOrange(255, 224, 192);

// Captions whose text the handlers set.
const QString kNoVertexCaption = QStringLiteral("ningún vértice empleado");
const QString kVerticesUsed = QStringLiteral(" vértices empleados");
const QString kVerticesAfterRun =
    QStringLiteral("El nº de vértices se conocerá tras la transformación");

// Local selection: vertex numbers and distance limits of combo indexes 1..4.
constexpr std::array<double, 4> kVertexCounts = {3.0, 4.0, 5.0, 10.0};
constexpr std::array<double, 4> kDistanceLimits = {25000.0, 50000.0, 100000.0, 150000.0};

const QString kOpenFilter =
    QStringLiteral("TXT - no UTM (*.txt)|*.txt|TXT - UTM (*.txt)|*.txt|Autocad DXF (*.dxf)|*.dxf|");
const QString kSaveFilter = QStringLiteral("txt (*.txt)|*.txt|");
constexpr int kDrawingFilter = 3;

void Place(QWidget* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(Twips(left), Twips(top), Twips(width), Twips(height));
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, int left, int top,
                    int width, int height) {
    auto* button = new QPushButton(caption, parent);
    Place(button, name, left, top, width, height);
    return button;
}

QRadioButton* Option(QWidget* parent, const char* name, const QString& caption, int left, int top,
                     int width) {
    auto* option = new QRadioButton(caption, parent);
    Place(option, name, left, top, width, 255);
    return option;
}

QLabel* Caption(QWidget* parent, const char* name, const QString& text, int left, int top,
                int width, int height) {
    auto* label = new QLabel(text, parent);
    Place(label, name, left, top, width, height);
    return label;
}

QGroupBox* Frame(QWidget* parent, const char* name, const QString& caption, int left, int top,
                 int width, int height) {
    auto* frame = new QGroupBox(caption, parent);
    Place(frame, name, left, top, width, height);
    return frame;
}

QComboBox* DropDownList(QWidget* parent, const char* name, int left, int top, int width) {
    auto* combo = new QComboBox(parent);
    Place(combo, name, left, top, width, 330);
    return combo;
}

QLabel* Picture(QWidget* parent, const char* name, const QPixmap& pixmap, int left, int top,
                int width, int height) {
    auto* picture = new QLabel(parent);
    Place(picture, name, left, top, width, height);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(pixmap);
    return picture;
}

void Colour(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Button, colour);
    control->setPalette(palette);
}

// A caption placed right after the text of `option`.
ClickableLabel* CaptionAfter(QWidget* parent, const char* name, const QString& text,
                             const QWidget* after) {
    auto* label = new ClickableLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->adjustSize();
    label->move(after->x() + after->width(), after->y());
    label->resize(label->width(), after->height());
    return label;
}

} // namespace

Calculo::Calculo(Programa& programa, QWidget* parent) : QWidget(parent), programa_(programa) {
    setObjectName(QStringLiteral("calculo"));
    setWindowTitle(QStringLiteral("  Transformar coordenadas"));
    setFixedSize(Twips(kFormWidth), Twips(kFormHeight));

    BuildTop();
    BuildSourceFrame();
    BuildTargetFrame();
    BuildPointFrame();
    BuildMethodFrame();
    BuildResultFrame();
    BuildBottom();
    Connect();
    Form_Load();
}

void Calculo::BuildTop() {
    Label1 =
        Caption(this, "Label1", QStringLiteral("Transformación entre coordenadas ETRS89 y ED50"),
                3000, 37, 4575, 735);
    Label1->setFont(SansFont(12, true));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);

    QFont letters(QStringLiteral("Arial"), 12, QFont::Bold);
    letters.setStyleHint(QFont::SansSerif);
    Label2 = Caption(this, "Label2", QStringLiteral("A"), 3840, 780, 960, 390);
    Label3 = Caption(this, "Label3", QStringLiteral("B"), 5760, 780, 960, 390);
    for (QLabel* label : {Label2, Label3}) {
        label->setFont(letters);
        label->setAlignment(Qt::AlignCenter);
    }

    Picture4 = Picture(this, "Picture4", programa_.Picture(QStringLiteral("tipo_cartesianas.png")),
                       0, 0, 960, 960);
    Picture5 = Picture(this, "Picture5", programa_.Picture(QStringLiteral("tipo_geograficas.png")),
                       0, 0, 960, 960);
    Picture6 = Picture(this, "Picture6", programa_.Picture(QStringLiteral("tipo_utm.png")), 0, 0,
                       960, 960);
    for (QLabel* source : {Picture4, Picture5, Picture6}) {
        source->hide();
    }
    Picture1 = Picture(this, "Picture1", Picture6->pixmap(), 3840, 1200, 960, 960);
    Picture2 = Picture(this, "Picture2", Picture6->pixmap(), 5760, 1200, 960, 960);
    Picture3 = Picture(this, "Picture3", programa_.Picture(QStringLiteral("flecha.png")), 4800,
                       1440, 960, 480);

    Command11 = Button(this, "Command11", QStringLiteral("Ay&uda"), 8400, 120, 975, 375);
    Command12 = Button(this, "Command12", QStringLiteral("Acerca de"), 9480, 120, 975, 375);
}

void Calculo::BuildSourceFrame() {
    Frame1 = Frame(this, "Frame1", QStringLiteral("Sistema de Referencia de partida (A)"), 240, 480,
                   3525, 1935);
    Combo1 = DropDownList(Frame1, "Combo1", 180, 270, 1500);
    Colour(Combo1, kPaleYellow);
    Option1 = Option(Frame1, "Option1", QStringLiteral("Coordenadas Cartesianas:  X,Y,Z"), 180, 660,
                     3240);
    Option2 = Option(Frame1, "Option2", QStringLiteral("Coordenadas Geográficas:"), 180, 930, 2000);
    Option2->adjustSize();
    Option2->resize(Option2->width(), Twips(255));
    Option3 =
        Option(Frame1, "Option3", QStringLiteral("Coordenadas UTM:  x,y,H,huso"), 180, 1200, 3240);
    Label4 = CaptionAfter(Frame1, "Label4", QStringLiteral("φ,λ,"), Option2);
    Label5 = CaptionAfter(Frame1, "Label5", QStringLiteral(" h"), Label4);
}

void Calculo::BuildTargetFrame() {
    Frame2 = Frame(this, "Frame2", QStringLiteral("Sistema de Referencia de llegada (B)"), 6840,
                   480, 3615, 1935);
    Combo2 = DropDownList(Frame2, "Combo2", 180, 270, 1500);
    Colour(Combo2, kPaleOrange);
    Option4 = Option(Frame2, "Option4", QStringLiteral("Coordenadas Cartesianas:  X,Y,Z"), 180, 660,
                     3330);
    Option5 = Option(Frame2, "Option5", QStringLiteral("Coordenadas Geográficas:"), 180, 930, 2000);
    Option5->adjustSize();
    Option5->resize(Option5->width(), Twips(255));
    Option6 =
        Option(Frame2, "Option6", QStringLiteral("Coordenadas UTM: x,y,H,huso"), 180, 1200, 3330);
    Label6 = CaptionAfter(Frame2, "Label6", QStringLiteral("φ,λ,"), Option5);
    Label7 = CaptionAfter(Frame2, "Label7", QStringLiteral(" h"), Label6);

    Check1 = new QCheckBox(QStringLiteral("Huso 29"), Frame2);
    Place(Check1, "Check1", 180, 1530, 1050, 255);
    Check2 = new QCheckBox(QStringLiteral("Huso 30"), Frame2);
    Place(Check2, "Check2", 1260, 1530, 1050, 255);
    Check3 = new QCheckBox(QStringLiteral("Huso 31"), Frame2);
    Place(Check3, "Check3", 2340, 1530, 1050, 255);
}

void Calculo::BuildPointFrame() {
    Frame3 =
        Frame(this, "Frame3", QStringLiteral("Coordenadas a transformar"), 240, 2520, 5055, 2415);
    List1 = new QListWidget(Frame3);
    Place(List1, "List1", 180, 270, 3105, 1680);
    Colour(List1, kPaleYellow);
    Label8 = Caption(Frame3, "Label8", QStringLiteral("0 puntos en total"), 180, 2010, 3105, 255);

    Command1 = Button(Frame3, "Command1", QStringLiteral("Leer arc&hivo"), 3405, 270, 1500, 360);
    Command2 = Button(Frame3, "Command2", QStringLiteral("Añadir &punto"), 3405, 675, 1500, 360);
    Command3 = Button(Frame3, "Command3", QStringLiteral("&Editar punto"), 3405, 1080, 1500, 360);
    Command4 = Button(Frame3, "Command4", QStringLiteral("Eli&minar punto"), 3405, 1485, 1500, 360);
    Command6 = Button(Frame3, "Command6", QStringLiteral("Eliminar &todo"), 3405, 1890, 1500, 360);
}

void Calculo::BuildMethodFrame() {
    Frame4 = Frame(this, "Frame4", QStringLiteral("Transformación del Sistema de Referencia"), 240,
                   5040, 5055, 2655);
    Option7 =
        Option(Frame4, "Option7", QStringLiteral("Emplear parámetros nacionales"), 180, 240, 4650);
    Option8 =
        Option(Frame4, "Option8", QStringLiteral("Emplear parámetros regionales"), 180, 510, 4650);
    Option9 = Option(Frame4, "Option9", QStringLiteral("Calcular y aplicar transformación local"),
                     180, 780, 4650);

    Label9 = Caption(Frame4, "Label9", QStringLiteral("Seleccionar"), 180, 1140, 2550, 225);
    Combo3 = DropDownList(Frame4, "Combo3", 180, 1365, 2550);
    Label10 = Caption(Frame4, "Label10", QStringLiteral("Distancia límite a los vértices"), 180,
                      1755, 2550, 225);
    Combo4 = DropDownList(Frame4, "Combo4", 180, 1980, 2550);
    Label11 = Caption(Frame4, "Label11", QStringLiteral("A partir del"), 2910, 1140, 1965, 225);
    Combo5 = DropDownList(Frame4, "Combo5", 2910, 1365, 1965);

    Frame5 = Frame(Frame4, "Frame5", QString(), 2910, 1695, 1965, 870);
    Option10 = Option(Frame5, "Option10", QStringLiteral("Helmert 3D"), 120, 90, 1725);
    Option11 = Option(Frame5, "Option11", QStringLiteral("Molodensky"), 120, 330, 1725);
    Option12 = Option(Frame5, "Option12", QStringLiteral("Afín 2D"), 120, 570, 1725);

    Command10 = new QPushButton(this);
    Place(Command10, "Command10", 5520, 2640, 1095, 5055);
    Command10->setFont(SansFont(8, true));
    Command10->setIcon(programa_.Picture(QStringLiteral("transformar.png")));
    Command10->setIconSize(QSize(60, 300));
    Command10->setToolTip(QStringLiteral("Transformar"));
    Command10->setAccessibleName(QStringLiteral("Transformar"));
}

void Calculo::BuildResultFrame() {
    Frame6 =
        Frame(this, "Frame6", QStringLiteral("Coordenadas transformadas"), 6840, 2520, 3615, 5175);
    List2 = new QListWidget(Frame6);
    Place(List2, "List2", 180, 270, 3255, 3750);
    Colour(List2, kPaleOrange);
    Command5 = Button(Frame6, "Command5", QStringLiteral("&Guardar"), 180, 4140, 1590, 390);
    Command8 = Button(Frame6, "Command8", QStringLiteral("G&uardar Como"), 1845, 4140, 1590, 390);
    Command9 = Button(Frame6, "Command9", QStringLiteral("&Ver Mapa"), 180, 4620, 1590, 390);
    Command13 =
        Button(Frame6, "Command13", QStringLiteral("&Ver Metadatos"), 1845, 4620, 1590, 390);
}

void Calculo::BuildBottom() {
    Label12 = Caption(this, "Label12", kNoVertexCaption, 480, 7800, 4575, 255);
    Label12->setAlignment(Qt::AlignCenter);
    Label12->setFrameShape(QFrame::Box);
    Command7 = Button(this, "Command7", QStringLiteral("&Salir"), 9360, 7800, 1095, 375);
    Command7->setFont(SansFont(8, true));

    // Design state: UTM in both groups, national parameters, Helmert 3D;
    // local selection, transform and result buttons disabled.
    Option3->setChecked(true);
    Option6->setChecked(true);
    Option7->setChecked(true);
    Option10->setChecked(true);
    for (QWidget* control :
         std::initializer_list<QWidget*>{Label9, Label10, Label11, Combo3, Combo4, Combo5,
                                         Command10, Command5, Command8, Command9, Command13}) {
        control->setEnabled(false);
    }
}

void Calculo::Connect() {
    const auto onClick = [this](QComboBox* combo, void (Calculo::*handler)()) {
        connect(combo, &QComboBox::currentIndexChanged, this, handler);
    };
    onClick(Combo1, &Calculo::Combo1_Click);
    onClick(Combo2, &Calculo::Combo2_Click);
    onClick(Combo3, &Calculo::Combo3_Click);
    onClick(Combo4, &Calculo::Combo4_Click);

    // An option's Click comes when it becomes selected, by the user or by
    // the code; a check box's whenever its tick changes.
    const auto onSelect = [this](QRadioButton* option, void (Calculo::*handler)()) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool selected) {
            if (selected) {
                (this->*handler)();
            }
        });
    };
    onSelect(Option1, &Calculo::Option1_Click);
    onSelect(Option2, &Calculo::Option2_Click);
    onSelect(Option3, &Calculo::Option3_Click);
    onSelect(Option4, &Calculo::Option4_Click);
    onSelect(Option5, &Calculo::Option5_Click);
    onSelect(Option6, &Calculo::Option6_Click);
    onSelect(Option7, &Calculo::Option7_Click);
    onSelect(Option8, &Calculo::Option8_Click);
    onSelect(Option9, &Calculo::Option9_Click);

    connect(Check1, &QCheckBox::toggled, this, &Calculo::Check1_Click);
    connect(Check2, &QCheckBox::toggled, this, &Calculo::Check2_Click);
    connect(Check3, &QCheckBox::toggled, this, &Calculo::Check3_Click);

    connect(Label4, &ClickableLabel::clicked, this, &Calculo::Label4_Click);
    connect(Label5, &ClickableLabel::clicked, this, &Calculo::Label5_Click);
    connect(Label6, &ClickableLabel::clicked, this, &Calculo::Label6_Click);
    connect(Label7, &ClickableLabel::clicked, this, &Calculo::Label7_Click);

    connect(Command1, &QPushButton::clicked, this, &Calculo::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Calculo::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Calculo::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Calculo::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Calculo::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Calculo::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Calculo::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &Calculo::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &Calculo::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &Calculo::Command10_Click);
    connect(Command11, &QPushButton::clicked, this, &Calculo::Command11_Click);
    connect(Command12, &QPushButton::clicked, this, &Calculo::Command12_Click);
    connect(Command13, &QPushButton::clicked, this, &Calculo::Command13_Click);
}

void Calculo::Form_Load() {
    // Top-left corner of the frame window's client area (the form sits in
    // its child window there).
    QWidget* child = parentWidget() != nullptr ? parentWidget() : this;
    child->move(0, 0);

    {
        const QSignalBlocker block1(Combo1);
        const QSignalBlocker block2(Combo2);
        const QSignalBlocker block3(Combo3);
        const QSignalBlocker block4(Combo4);
        const QSignalBlocker block5(Combo5);
        for (QComboBox* datum : {Combo1, Combo2}) {
            datum->clear();
            datum->addItems({QStringLiteral("ED50"), QStringLiteral("ETRS89")});
        }
        Combo3->clear();
        Combo3->addItems(
            {QStringLiteral("todos los vértices"), QStringLiteral("3 vértices más cercanos"),
             QStringLiteral("4 vértices más cercanos"), QStringLiteral("5 vértices más cercanos"),
             QStringLiteral("10 vértices más cercanos")});
        Combo4->clear();
        Combo4->addItems({QStringLiteral("sin límite"), QStringLiteral("25 kilómetros"),
                          QStringLiteral("50 kilómetros"), QStringLiteral("100 kilómetros"),
                          QStringLiteral("150 kilómetros")});
        Combo5->clear();
        Combo5->addItems({QStringLiteral("centro geométrico"), QStringLiteral("centro de masas")});
        // A filled list starts without a selection.
        for (QComboBox* combo : {Combo1, Combo2, Combo3, Combo4, Combo5}) {
            combo->setCurrentIndex(-1);
        }
    }

    Combo1->setCurrentIndex(1); // ETRS89
    Combo2->setCurrentIndex(0); // ED50
    Combo1_Click();

    Combo3->setCurrentIndex(0);
    Combo4->setCurrentIndex(0);
    Combo5->setCurrentIndex(0);

    ProgramState& state = programa_.state();
    state.pointCount = 0;
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    Command6->setEnabled(false);

    CommonDialog1.flags = CommonDialog::kFileMustExist;
    CommonDialog1.filter = kOpenFilter;
    CommonDialog1.filterIndex = 2;
    CommonDialog2.filter = kSaveFilter;
    CommonDialog2.filterIndex = 1;

    state.drawingMode = false;
}

// --- Datums ---------------------------------------------------------------------

void Calculo::Combo1_Click() {
    DatumChanged();
}

void Calculo::Combo2_Click() {
    DatumChanged();
}

void Calculo::DatumChanged() {
    const bool bothSelected = Combo1->currentIndex() >= 0 && Combo2->currentIndex() >= 0;
    if (bothSelected && Combo1->currentText() != Combo2->currentText()) {
        SetFrameEnabled(Frame4, true);
        // Selecting the other option and back again puts the frame into the
        // state of the option that was selected.
        if (Option7->isChecked()) {
            Option8->setChecked(true);
            Option7->setChecked(true);
        } else if (Option8->isChecked()) {
            Option7->setChecked(true);
            Option8->setChecked(true);
        }
    } else {
        SetFrameEnabled(Frame4, false);
    }
    if (bothSelected) {
        Command10->setEnabled(true);
    }
}

// --- Coordinate kinds -----------------------------------------------------------

void Calculo::Option1_Click() {
    SourceKindChanged(Picture4, false);
}

void Calculo::Option2_Click() {
    SourceKindChanged(Picture5, false);
}

void Calculo::Option3_Click() {
    SourceKindChanged(Picture6, true);
}

void Calculo::SourceKindChanged(const QLabel* source, bool utm) {
    if (programa_.state().pointCount > 0) {
        programa_.messages().Show(
            QStringLiteral("Recuerde: Solo se pueden introducir datos en un único formato\r"
                           "(geocéntricas, geodésicas o UTM)\r"),
            QStringLiteral("Aviso"), MessageIcon::Information);
    }
    if (CommonDialog1.filterIndex != kDrawingFilter) {
        CommonDialog1.filterIndex = utm ? 2 : 1;
    }
    Picture1->setPixmap(source->pixmap());
}

void Calculo::Option4_Click() {
    TargetKindChanged(Picture4, false);
}

void Calculo::Option5_Click() {
    TargetKindChanged(Picture5, false);
}

void Calculo::Option6_Click() {
    TargetKindChanged(Picture6, true);
}

void Calculo::TargetKindChanged(const QLabel* source, bool utm) {
    for (QCheckBox* zone : {Check1, Check2, Check3}) {
        zone->setEnabled(utm);
    }
    Picture2->setPixmap(source->pixmap());
    List2->clear();
}

// A click on a caption after "Coordenadas Geográficas:" acts as a click on
// that option: it selects it, and its handler runs once.
void Calculo::Label4_Click() {
    if (Option2->isChecked()) {
        Option2_Click();
    } else {
        Option2->setChecked(true);
    }
}

void Calculo::Label5_Click() {
    Label4_Click();
}

void Calculo::Label6_Click() {
    if (Option5->isChecked()) {
        Option5_Click();
    } else {
        Option5->setChecked(true);
    }
}

void Calculo::Label7_Click() {
    Label6_Click();
}

// --- Output zone ------------------------------------------------------------------

void Calculo::Check1_Click() {
    ZoneTicked(Check1);
}

void Calculo::Check2_Click() {
    ZoneTicked(Check2);
}

void Calculo::Check3_Click() {
    ZoneTicked(Check3);
}

void Calculo::ZoneTicked(QCheckBox* ticked) {
    if (!ticked->isChecked()) {
        return;
    }
    for (QCheckBox* zone : {Check1, Check2, Check3}) {
        if (zone != ticked) {
            zone->setChecked(false);
        }
    }
}

// --- Method -------------------------------------------------------------------------

void Calculo::Option7_Click() {
    ShowMethod(false, false, kNoVertexCaption);
}

void Calculo::Option8_Click() {
    ShowMethod(false, true,
               QString::number(programa_.state().catalogueVertexCount) + kVerticesUsed);
}

void Calculo::Option9_Click() {
    ShowMethod(true, true, kVerticesAfterRun);
}

void Calculo::ShowMethod(bool local, bool model, const QString& vertexCaption) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{Label9, Label10, Label11, Combo3, Combo4, Combo5}) {
        control->setEnabled(local);
    }
    Label12->setEnabled(true);
    Label12->setFrameShape(QFrame::Box);
    Label12->setText(vertexCaption);
    SetFrameEnabled(Frame5, model);
    Command9->setEnabled(false);
    Command13->setEnabled(false);
}

void Calculo::Combo3_Click() {
    const int index = Combo3->currentIndex();
    if (index < 1 || index > 4) {
        return;
    }
    ProgramState& state = programa_.state();
    state.VertexCountMode = 1;
    state.DistanceMode = 0;
    Combo4->setCurrentIndex(0);
    state.VertexCount = kVertexCounts[static_cast<std::size_t>(index - 1)];
    Label12->setText(NumberText(state.VertexCount) + kVerticesUsed);
}

void Calculo::Combo4_Click() {
    const int index = Combo4->currentIndex();
    if (index < 1 || index > 4) {
        return;
    }
    ProgramState& state = programa_.state();
    state.DistanceMode = 1;
    state.VertexCountMode = 0;
    Combo3->setCurrentIndex(0);
    state.DistanceLimit = kDistanceLimits[static_cast<std::size_t>(index - 1)];
    Label12->setText(kVerticesAfterRun);
}

// --- Point list, run and results: the point dialogs, the run and the saving
// of results fill these in. ------------------------------------------------------------

void Calculo::Command1_Click() {
    ReadInputFile(programa_, *this);
}
void Calculo::Command2_Click() {
    OpenAddDialog(programa_, *this);
}
void Calculo::Command3_Click() {
    OpenEditDialog(programa_, *this);
}
void Calculo::Command4_Click() {
    DeleteSelectedPoint(programa_, *this);
}
void Calculo::Command6_Click() {
    DeleteAllPoints(programa_, *this);
}
void Calculo::Command10_Click() {
    Transformacion(*this, programa_).Run();
}
void Calculo::Command5_Click() {
    Guardado(*this, programa_).Guardar();
}
void Calculo::Command8_Click() {
    Guardado(*this, programa_).GuardarComo();
}

// --- Viewers ----------------------------------------------------------------------------

void Calculo::Command9_Click() {
    Mapa* mapa = programa_.mapa();
    mapa->setEnabled(true);
    setEnabled(false);
    mapa->show();
    mapa->raise();
    mapa->activateWindow();
}

void Calculo::Command13_Click() {
    setEnabled(false);
    VentanaLog* ventanalog = programa_.ventanalog();
    ventanalog->setEnabled(true);
    ventanalog->show();
    ventanalog->raise();
    ventanalog->activateWindow();
}

void Calculo::Command11_Click() {
    Ayuda* ayuda = programa_.ayuda();
    ayuda->setEnabled(true);
    ayuda->show();
    ayuda->raise();
    ayuda->activateWindow();
}

void Calculo::Command12_Click() {
    AcercaDe* acerca_de = programa_.acerca_de();
    acerca_de->setEnabled(true);
    acerca_de->show();
    acerca_de->raise();
    acerca_de->activateWindow();
}

void Calculo::Command7_Click() {
    programa_.End();
}

} // namespace quillon
