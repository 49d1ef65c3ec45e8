#include "huso.h"

#include "calculo.h"
#include "dialogo_punto.h"
#include "lectura_puntos.h"
#include "lista_puntos.h"
#include "module1.h"
#include "module1_widgets.h"
#include "principal.h"
#include "programa.h"
#include "services.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>

namespace quillon {

namespace {

// Client area: the window is 4425 x 1950 twips with its border and caption.
constexpr int kClientWidth = 4335;
constexpr int kClientHeight = 1545;
constexpr int kFieldLength = 25;

void Place(QWidget* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(Twips(left), Twips(top), Twips(width), Twips(height));
}

QLabel* Heading(QWidget* parent, const char* name, const QString& text, int top) {
    auto* label = new QLabel(text, parent);
    Place(label, name, 240, top, 1800, 255);
    label->setFont(SansFont(8, true));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, PaletteColor(1));
    label->setPalette(palette);
    return label;
}

} // namespace

Huso::Huso(Programa& programa, QWidget* parent) : QWidget(parent, Qt::Dialog), programa_(programa) {
    setObjectName(QStringLiteral("huso"));
    setWindowTitle(QStringLiteral("Huso del fichero DXF"));
    setFixedSize(Twips(kClientWidth), Twips(kClientHeight));

    Label1 = Heading(this, "Label1", QStringLiteral("COORDENADAS"), 150);
    Label2 = Heading(this, "Label2", QStringLiteral("U.T.M."), 420);

    Label3 = new QLabel(QStringLiteral("Huso"), this);
    Place(Label3, "Label3", 2295, 330, 570, 255);
    Text1 = new CampoTexto(this);
    Place(Text1, "Text1", 2880, 285, 1215, 315);
    Text1->setMaxLength(kFieldLength);
    Label3->setBuddy(Text1);

    Command2 = new QPushButton(QStringLiteral("&Cancelar"), this);
    Place(Command2, "Command2", 240, 945, 1800, 375);
    Command1 = new QPushButton(QStringLiteral("&Aceptar"), this);
    Place(Command1, "Command1", 2295, 945, 1800, 375);
    // Enter on a focused button presses it.
    Command1->setAutoDefault(true);
    Command2->setAutoDefault(true);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);

    connect(Text1, &QLineEdit::returnPressed, Command1, [this] { Command1->setFocus(); });
    connect(Command1, &QPushButton::clicked, this, &Huso::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Huso::Command2_Click);
}

void Huso::Abrir() {
    setEnabled(true);
    PlaceNearFrame(this, programa_.principal(), 3700, 3100);
    show();
    raise();
    activateWindow();
    form().setEnabled(false);
    Text1->setFocus();
    Text1->selectAll();
}

void Huso::Command1_Click() {
    // The typed value goes through the user's number text and back, as the
    // zone of a drawing always has: where "," is the decimal sign a
    // fractional zone keeps its integer part only.
    const double typed = LeadingValue(Text1->text());
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const double zone = LeadingValue(locale.toString(typed, 'g', 15));

    const QString title = QStringLiteral("Advertencia");
    if (zone == 0.0) {
        programa_.messages().Show(QStringLiteral("Se supondrá que el Huso es el 30"), title,
                                  MessageIcon::Information);
        AcceptZone(30.0);
    } else if (zone == 29.0 || zone == 30.0 || zone == 31.0) {
        AcceptZone(zone);
    } else {
        programa_.messages().Show(QStringLiteral("El huso debe ser el 29, 30 ó 31"), title,
                                  MessageIcon::Information);
    }
}

void Huso::AcceptZone(double zone) {
    programa_.state().drawingZone = zone;
    Calculo& calculo = form();
    calculo.List1->addItem(QStringLiteral("(Huso") + NumberText(zone) + QLatin1Char(')'));
    calculo.setEnabled(true);
    hide();
}

void Huso::Command2_Click() {
    Calculo& calculo = form();
    programa_.state().drawingMode = false;
    for (QCheckBox* zone : {calculo.Check1, calculo.Check2, calculo.Check3}) {
        zone->setChecked(false);
    }
    calculo.List1->clear();
    // Without the drawing the list takes points again.
    ShowEmptyPointList(calculo);
    calculo.setEnabled(true);
    hide();
}

Calculo& Huso::form() const {
    return *programa_.calculo();
}

void Huso::closeEvent(QCloseEvent* event) {
    if (isVisible()) {
        Command2_Click();
    }
    event->accept();
}

void Huso::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Command2_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillon
