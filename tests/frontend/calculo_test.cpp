#include "acerca_de.h"
#include "ayuda.h"
#include "mapa.h"
#include "module1_widgets.h"
#include "principal.h"
#include "program_fixture.h"
#include "splash.h"
#include "ventanalog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace quillon_test {
namespace {

using quillon::MessageIcon;

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

void Click(QWidget* widget) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

// Every control of the method frame is itself enabled or disabled.
void ExpectMethodFrame(const quillon::Calculo& form, bool enabled) {
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             form.Frame4, form.Option7, form.Option8, form.Option9, form.Label9, form.Combo3,
             form.Label10, form.Combo4, form.Label11, form.Combo5, form.Frame5, form.Option10,
             form.Option11, form.Option12}) {
        EXPECT_EQ(!control->testAttribute(Qt::WA_Disabled), enabled)
            << control->objectName().toStdString();
    }
}

void ExpectLocalSelection(const quillon::Calculo& form, bool enabled) {
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             form.Label9, form.Combo3, form.Label10, form.Combo4, form.Label11, form.Combo5}) {
        EXPECT_EQ(control->isEnabled(), enabled) << control->objectName().toStdString();
    }
}

void ExpectModel(const quillon::Calculo& form, bool enabled) {
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             form.Frame5, form.Option10, form.Option11, form.Option12}) {
        EXPECT_EQ(control->isEnabled(), enabled) << control->objectName().toStdString();
    }
}

using FormTest = ProgramTest;

TEST_F(FormTest, ControlsCarryTheirDesignNames) {
    for (const char* name :
         {"calculo",  "Label1",   "Picture1",  "Picture2",  "Command11", "Command12", "Frame1",
          "Combo1",   "Option1",  "Option2",   "Option3",   "Label4",    "Label5",    "Frame2",
          "Combo2",   "Option4",  "Option5",   "Option6",   "Label6",    "Label7",    "Check1",
          "Check2",   "Check3",   "Frame3",    "List1",     "Command1",  "Command2",  "Command3",
          "Command4", "Command6", "Label8",    "Frame4",    "Option7",   "Option8",   "Option9",
          "Label9",   "Combo3",   "Label10",   "Combo4",    "Label11",   "Combo5",    "Frame5",
          "Option10", "Option11", "Option12",  "Command10", "Frame6",    "List2",     "Command5",
          "Command8", "Command9", "Command13", "Label12",   "Command7"}) {
        EXPECT_NE(programa.principal()->findChild<QWidget*>(QString::fromLatin1(name)), nullptr)
            << name;
    }
    EXPECT_EQ(form.windowTitle(), "  Transformar coordenadas");
}

TEST_F(FormTest, StartState) {
    EXPECT_EQ(Items(form.Combo1), QStringList({"ED50", "ETRS89"}));
    EXPECT_EQ(Items(form.Combo2), QStringList({"ED50", "ETRS89"}));
    EXPECT_EQ(Items(form.Combo3), QStringList({"todos los vértices", "3 vértices más cercanos",
                                               "4 vértices más cercanos", "5 vértices más cercanos",
                                               "10 vértices más cercanos"}));
    EXPECT_EQ(Items(form.Combo4), QStringList({"sin límite", "25 kilómetros", "50 kilómetros",
                                               "100 kilómetros", "150 kilómetros"}));
    EXPECT_EQ(Items(form.Combo5), QStringList({"centro geométrico", "centro de masas"}));

    EXPECT_EQ(form.Combo1->currentText(), "ETRS89");
    EXPECT_EQ(form.Combo2->currentText(), "ED50");
    EXPECT_EQ(form.Combo3->currentIndex(), 0);
    EXPECT_EQ(form.Combo4->currentIndex(), 0);
    EXPECT_EQ(form.Combo5->currentIndex(), 0);
    EXPECT_TRUE(form.Option3->isChecked());
    EXPECT_TRUE(form.Option6->isChecked());
    EXPECT_TRUE(form.Option7->isChecked());
    EXPECT_TRUE(form.Option10->isChecked());
    for (const QCheckBox* zone : {form.Check1, form.Check2, form.Check3}) {
        EXPECT_FALSE(zone->isChecked());
        EXPECT_TRUE(zone->isEnabled());
    }

    EXPECT_TRUE(form.Frame4->isEnabled());
    EXPECT_TRUE(form.Option7->isEnabled());
    ExpectLocalSelection(form, false);
    ExpectModel(form, false);
    EXPECT_TRUE(form.Command10->isEnabled());
    for (const QPushButton* button : {form.Command3, form.Command4, form.Command6, form.Command5,
                                      form.Command8, form.Command9, form.Command13}) {
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    }
    EXPECT_TRUE(form.Command1->isEnabled());
    EXPECT_TRUE(form.Command2->isEnabled());
    EXPECT_EQ(form.Label12->text(), "ningún vértice empleado");
    EXPECT_EQ(form.Label8->text(), "0 puntos en total");

    EXPECT_EQ(form.Picture1->pixmap().toImage(), DataPicture("tipo_utm.png"));
    EXPECT_EQ(form.Picture2->pixmap().toImage(), DataPicture("tipo_utm.png"));

    EXPECT_EQ(form.CommonDialog1.filter,
              "TXT - no UTM (*.txt)|*.txt|TXT - UTM (*.txt)|*.txt|Autocad DXF (*.dxf)|*.dxf|");
    EXPECT_EQ(form.CommonDialog1.filterIndex, 2);
    EXPECT_EQ(form.CommonDialog1.flags, 4096);
    EXPECT_EQ(form.CommonDialog2.filter, "txt (*.txt)|*.txt|");
    EXPECT_EQ(form.CommonDialog2.filterIndex, 1);

    EXPECT_EQ(programa.state().pointCount, 0);
    EXPECT_FALSE(programa.state().drawingMode);
    EXPECT_EQ(programa.state().catalogueVertexCount, 180);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FormTest, EqualDatumsDisableTheMethodFrameUntilTheyDifferAgain) {
    form.Combo2->setCurrentIndex(1); // ETRS89 to ETRS89
    ExpectMethodFrame(form, false);
    EXPECT_TRUE(form.Command10->isEnabled());

    form.Combo1->setCurrentIndex(0); // ED50 to ETRS89: national state again
    EXPECT_TRUE(form.Option7->isChecked());
    EXPECT_TRUE(form.Frame4->isEnabled());
    ExpectLocalSelection(form, false);
    ExpectModel(form, false);
    EXPECT_EQ(form.Label12->text(), "ningún vértice empleado");
}

TEST_F(FormTest, DifferentDatumsRestoreTheSelectedMethod) {
    form.Option8->setChecked(true);
    form.Combo1->setCurrentIndex(0); // ED50 to ED50
    ExpectMethodFrame(form, false);
    form.Combo2->setCurrentIndex(1);
    EXPECT_TRUE(form.Option8->isChecked());
    ExpectLocalSelection(form, false);
    ExpectModel(form, true);
    EXPECT_EQ(form.Label12->text(), "180 vértices empleados");

    form.Option9->setChecked(true);
    form.Combo2->setCurrentIndex(0);
    ExpectMethodFrame(form, false);
    form.Combo2->setCurrentIndex(1);
    EXPECT_TRUE(form.Option9->isChecked());
    ExpectMethodFrame(form, true);
}

TEST_F(FormTest, MethodOptions) {
    form.Command9->setEnabled(true);
    form.Command13->setEnabled(true);
    programa.state().catalogueVertexCount = 150;
    form.Option8->setChecked(true);
    EXPECT_EQ(form.Label12->text(), "150 vértices empleados");
    ExpectLocalSelection(form, false);
    ExpectModel(form, true);
    EXPECT_FALSE(form.Command9->isEnabled());
    EXPECT_FALSE(form.Command13->isEnabled());

    form.Option9->setChecked(true);
    EXPECT_EQ(form.Label12->text(), "El nº de vértices se conocerá tras la transformación");
    ExpectLocalSelection(form, true);
    ExpectModel(form, true);

    form.Option7->setChecked(true);
    EXPECT_EQ(form.Label12->text(), "ningún vértice empleado");
    ExpectLocalSelection(form, false);
    ExpectModel(form, false);
    EXPECT_TRUE(form.Label12->isEnabled());
    EXPECT_EQ(form.Label12->frameShape(), QFrame::Box);
}

TEST_F(FormTest, VertexNumberAndDistanceExcludeEachOther) {
    quillon::ProgramState& state = programa.state();
    form.Option9->setChecked(true);

    form.Combo4->setCurrentIndex(1);
    form.Combo3->setCurrentIndex(3); // 5 nearest
    EXPECT_EQ(form.Combo4->currentIndex(), 0);
    EXPECT_EQ(state.VertexCountMode, 1);
    EXPECT_EQ(state.DistanceMode, 0);
    EXPECT_EQ(state.VertexCount, 5.0);
    EXPECT_EQ(form.Label12->text(), " 5 vértices empleados");

    form.Combo4->setCurrentIndex(2); // 50 km
    EXPECT_EQ(form.Combo3->currentIndex(), 0);
    EXPECT_EQ(state.DistanceMode, 1);
    EXPECT_EQ(state.VertexCountMode, 0);
    EXPECT_EQ(state.DistanceLimit, 50000.0);
    EXPECT_EQ(form.Label12->text(), "El nº de vértices se conocerá tras la transformación");

    form.Combo3->setCurrentIndex(4);
    EXPECT_EQ(state.VertexCount, 10.0);
    EXPECT_EQ(form.Label12->text(), " 10 vértices empleados");
    form.Combo4->setCurrentIndex(4);
    EXPECT_EQ(state.DistanceLimit, 150000.0);

    // Going back to index 0 changes nothing.
    form.Combo4->setCurrentIndex(0);
    EXPECT_EQ(state.DistanceMode, 1);
    EXPECT_EQ(state.DistanceLimit, 150000.0);
    EXPECT_EQ(form.Label12->text(), "El nº de vértices se conocerá tras la transformación");
}

TEST_F(FormTest, AtMostOneZoneTicked) {
    form.Check1->setChecked(true);
    form.Check2->setChecked(true);
    EXPECT_FALSE(form.Check1->isChecked());
    EXPECT_TRUE(form.Check2->isChecked());
    EXPECT_FALSE(form.Check3->isChecked());
    form.Check3->click();
    EXPECT_FALSE(form.Check2->isChecked());
    form.Check3->click(); // unticking leaves none
    EXPECT_FALSE(form.Check1->isChecked() || form.Check2->isChecked() || form.Check3->isChecked());
}

TEST_F(FormTest, SourceKindSetsPictureAndFileFilter) {
    form.Option1->setChecked(true);
    EXPECT_EQ(form.CommonDialog1.filterIndex, 1);
    EXPECT_EQ(form.Picture1->pixmap().toImage(), DataPicture("tipo_cartesianas.png"));
    form.Option2->setChecked(true);
    EXPECT_EQ(form.CommonDialog1.filterIndex, 1);
    EXPECT_EQ(form.Picture1->pixmap().toImage(), DataPicture("tipo_geograficas.png"));
    EXPECT_EQ(form.Picture2->pixmap().toImage(), DataPicture("tipo_utm.png"));
    form.Option3->setChecked(true);
    EXPECT_EQ(form.CommonDialog1.filterIndex, 2);
    EXPECT_TRUE(messages.shown.empty());

    form.CommonDialog1.filterIndex = 3; // a drawing keeps its filter
    form.Option1->setChecked(true);
    EXPECT_EQ(form.CommonDialog1.filterIndex, 3);
}

TEST_F(FormTest, SourceKindWithPointsRemindsOnceAndKeepsThem) {
    programa.state().pointCount = 2;
    form.List1->addItems({"P1, 455000.5, 4120000, 10, 30", "P2, 455100, 4120000, 10, 30"});
    form.Option2->setChecked(true);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Recuerde: Solo se pueden introducir datos en un único formato\r"
              "(geocéntricas, geodésicas o UTM)\r");
    EXPECT_EQ(messages.shown[0].title, "Aviso");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    EXPECT_TRUE(form.Option2->isChecked());
    EXPECT_EQ(form.List1->count(), 2);
    EXPECT_EQ(programa.state().pointCount, 2);
}

TEST_F(FormTest, GeographicCaptionsActAsTheOption) {
    programa.state().pointCount = 1;
    Click(form.Label4);
    EXPECT_TRUE(form.Option2->isChecked());
    EXPECT_EQ(form.Picture1->pixmap().toImage(), DataPicture("tipo_geograficas.png"));
    EXPECT_EQ(messages.shown.size(), 1u);
    Click(form.Label5); // already selected: its handler still runs once
    EXPECT_EQ(messages.shown.size(), 2u);

    form.List2->addItem("V1, 1, 2, 3");
    Click(form.Label7);
    EXPECT_TRUE(form.Option5->isChecked());
    EXPECT_EQ(form.List2->count(), 0);
    EXPECT_EQ(form.Picture2->pixmap().toImage(), DataPicture("tipo_geograficas.png"));
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(FormTest, TargetKindClearsResultsAndSetsZoneBoxes) {
    form.Check2->setChecked(true);
    form.List2->addItems({"V1, 1, 2, 3", "V2, 4, 5, 6"});
    form.Command5->setEnabled(true);
    form.Command8->setEnabled(true);

    form.Option4->setChecked(true);
    EXPECT_EQ(form.List2->count(), 0);
    EXPECT_EQ(form.Picture2->pixmap().toImage(), DataPicture("tipo_cartesianas.png"));
    for (const QCheckBox* zone : {form.Check1, form.Check2, form.Check3}) {
        EXPECT_FALSE(zone->isEnabled());
    }
    EXPECT_TRUE(form.Check2->isChecked()); // the tick stays
    EXPECT_TRUE(form.Command5->isEnabled());
    EXPECT_TRUE(form.Command8->isEnabled());

    form.Option6->setChecked(true);
    for (const QCheckBox* zone : {form.Check1, form.Check2, form.Check3}) {
        EXPECT_TRUE(zone->isEnabled());
    }
    EXPECT_EQ(form.Picture2->pixmap().toImage(), DataPicture("tipo_utm.png"));
}

TEST_F(FormTest, MapAndLogDisableTheFormWhileShown) {
    form.Command9->setEnabled(true);
    form.Command9->click();
    quillon::Mapa* mapa = programa.loadedMapa();
    ASSERT_NE(mapa, nullptr);
    EXPECT_TRUE(mapa->isVisible());
    EXPECT_TRUE(mapa->isEnabled());
    EXPECT_FALSE(form.isEnabled());

    form.Command13->setEnabled(true);
    form.setEnabled(true);
    form.Command13->click();
    ASSERT_NE(programa.loadedVentanaLog(), nullptr);
    EXPECT_TRUE(programa.loadedVentanaLog()->isVisible());
    EXPECT_FALSE(form.isEnabled());
}

TEST_F(FormTest, HelpAndAboutLeaveTheFormEnabled) {
    form.Command11->click();
    ASSERT_NE(programa.loadedAyuda(), nullptr);
    EXPECT_TRUE(programa.loadedAyuda()->isVisible());
    form.Command12->click();
    ASSERT_NE(programa.loadedAcercaDe(), nullptr);
    EXPECT_TRUE(programa.loadedAcercaDe()->isVisible());
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(FormTest, ExitUnloadsEveryWindow) {
    programa.Start();
    programa.splash()->Command1->click();
    form.Command9->setEnabled(true);
    form.Command9->click();
    form.Command11->click();
    form.Command12->click();
    form.setEnabled(true); // the map window disabled it
    form.Command7->click();
    FlushDeletes();
    EXPECT_FALSE(programa.principal()->isVisible());
    EXPECT_FALSE(programa.splash()->isVisible());
    EXPECT_FALSE(programa.loadedMapa()->isVisible());
    EXPECT_EQ(programa.loadedAyuda(), nullptr);
    EXPECT_EQ(programa.loadedAcercaDe(), nullptr);
}

} // namespace
} // namespace quillon_test
