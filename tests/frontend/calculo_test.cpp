// The transformation form: its start state, its option groups and what each
// choice enables, offscreen.
#include "acerca_de.h"
#include "ayuda.h"
#include "comun_widgets.h"
#include "mapa.h"
#include "point_list_fixture.h"
#include "principal.h"
#include "splash.h"
#include "ventanalog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <functional>

namespace quillon_test {
namespace {

using quillon::CoordinateKind;
using quillon::MessageIcon;

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

void ExpectLocalSelection(const quillon::Calculo& form, bool enabled) {
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             form.nearestLabel, form.nearestCombo, form.distanceLabel, form.distanceCombo,
             form.centreLabel, form.centreCombo}) {
        EXPECT_EQ(control->isEnabled(), enabled) << control->objectName().toStdString();
    }
}

void ExpectModel(const quillon::Calculo& form, bool enabled) {
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             form.modelGroup, form.helmertOption, form.molodenskyOption, form.affineOption}) {
        EXPECT_EQ(control->isEnabled(), enabled) << control->objectName().toStdString();
    }
}

class FormTest : public PointListTest {};

TEST_F(FormTest, ControlsAreNamedByTheirRole) {
    for (const char* name : {"calculo",
                             "titleLabel",
                             "sourceKindPicture",
                             "targetKindPicture",
                             "helpButton",
                             "aboutButton",
                             "sourceGroup",
                             "sourceDatumCombo",
                             "sourceGeocentricOption",
                             "sourceGeodeticOption",
                             "sourceUtmOption",
                             "targetGroup",
                             "targetDatumCombo",
                             "targetGeocentricOption",
                             "targetGeodeticOption",
                             "targetUtmOption",
                             "zone29Check",
                             "zone30Check",
                             "zone31Check",
                             "pointsGroup",
                             "pointTable",
                             "readFileButton",
                             "addPointButton",
                             "editPointButton",
                             "deletePointButton",
                             "deleteAllButton",
                             "pointCountLabel",
                             "methodGroup",
                             "nationalOption",
                             "regionalOption",
                             "localOption",
                             "nearestCombo",
                             "distanceCombo",
                             "centreCombo",
                             "modelGroup",
                             "helmertOption",
                             "molodenskyOption",
                             "affineOption",
                             "transformButton",
                             "resultsGroup",
                             "resultTable",
                             "saveButton",
                             "saveAsButton",
                             "mapButton",
                             "logButton",
                             "verticesLabel",
                             "exitButton"}) {
        EXPECT_NE(programa.principal()->findChild<QWidget*>(QString::fromLatin1(name)), nullptr)
            << name;
    }
    // No window keeps a numbered design name.
    programa.mapa();
    programa.ventanalog();
    programa.huso();
    programa.dialogoAnadir();
    programa.dialogoEditar();
    programa.acerca_de();
    const QRegularExpression numbered(
        QStringLiteral("^(Command|Option|Label|Combo|Check|Frame|List|Picture|Text|Image|Shape|"
                       "Pdf)\\d+(_\\d+)?$"));
    for (QWidget* window :
         std::initializer_list<QWidget*>{programa.principal(), programa.splash()}) {
        for (const QObject* child : window->findChildren<QObject*>()) {
            EXPECT_FALSE(numbered.match(child->objectName()).hasMatch())
                << child->objectName().toStdString();
        }
    }
}

TEST_F(FormTest, StartState) {
    EXPECT_EQ(Items(form.sourceDatumCombo), QStringList({"ED50", "ETRS89"}));
    EXPECT_EQ(Items(form.targetDatumCombo), QStringList({"ED50", "ETRS89"}));
    EXPECT_EQ(
        Items(form.nearestCombo),
        QStringList({"todos los vértices", "3 vértices más cercanos", "4 vértices más cercanos",
                     "5 vértices más cercanos", "10 vértices más cercanos"}));
    EXPECT_EQ(Items(form.distanceCombo),
              QStringList({"sin límite", "25 kilómetros", "50 kilómetros", "100 kilómetros",
                           "150 kilómetros"}));
    EXPECT_EQ(Items(form.centreCombo), QStringList({"centro geométrico", "centro de masas"}));

    EXPECT_EQ(form.sourceDatumCombo->currentText(), "ETRS89");
    EXPECT_EQ(form.targetDatumCombo->currentText(), "ED50");
    EXPECT_EQ(form.nearestCombo->currentIndex(), 0);
    EXPECT_EQ(form.distanceCombo->currentIndex(), 0);
    EXPECT_EQ(form.centreCombo->currentIndex(), 0);
    EXPECT_TRUE(form.sourceUtmOption->isChecked());
    EXPECT_TRUE(form.targetUtmOption->isChecked());
    EXPECT_TRUE(form.nationalOption->isChecked());
    EXPECT_TRUE(form.helmertOption->isChecked());
    for (const QCheckBox* zone : {form.zone29Check, form.zone30Check, form.zone31Check}) {
        EXPECT_FALSE(zone->isChecked());
        EXPECT_TRUE(zone->isEnabled());
    }

    EXPECT_TRUE(form.methodGroup->isEnabled());
    EXPECT_TRUE(form.nationalOption->isEnabled());
    ExpectLocalSelection(form, false);
    ExpectModel(form, false);
    EXPECT_TRUE(form.transformButton->isEnabled());
    for (const QPushButton* button :
         {form.editPointButton, form.deletePointButton, form.deleteAllButton, form.saveButton,
          form.saveAsButton, form.mapButton, form.logButton}) {
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    }
    EXPECT_TRUE(form.readFileButton->isEnabled());
    EXPECT_TRUE(form.addPointButton->isEnabled());
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run
    EXPECT_EQ(form.pointCountLabel->text(), "0 puntos en total");

    EXPECT_EQ(form.sourceKindPicture->pixmap().toImage(), DataPicture("tipo_utm.png"));
    EXPECT_EQ(form.targetKindPicture->pixmap().toImage(), DataPicture("tipo_utm.png"));

    EXPECT_EQ(presenter.openDialog().filter,
              "TXT - no UTM (*.txt)|*.txt|TXT - UTM (*.txt)|*.txt|Autocad DXF (*.dxf)|*.dxf|"
              "Capa SIG (*.shp;*.gpkg;*.geojson;*.fgb)|*.shp;*.gpkg;*.geojson;*.fgb|");
    EXPECT_EQ(presenter.openDialog().filterIndex, 2);
    EXPECT_EQ(presenter.openDialog().flags, 4096);

    EXPECT_EQ(programa.state().pointCount, 0);
    EXPECT_FALSE(programa.state().drawingMode);
    EXPECT_EQ(programa.state().catalogueVertexCount, 180);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FormTest, EqualDatumsDisableTheMethodFrameUntilTheyDifferAgain) {
    form.targetDatumCombo->setCurrentIndex(1); // ETRS89 to ETRS89
    EXPECT_FALSE(form.methodGroup->isEnabled());
    EXPECT_FALSE(form.nationalOption->isEnabled());
    EXPECT_TRUE(form.transformButton->isEnabled());

    form.sourceDatumCombo->setCurrentIndex(0); // ED50 to ETRS89: national state again
    EXPECT_TRUE(form.nationalOption->isChecked());
    EXPECT_TRUE(form.methodGroup->isEnabled());
    ExpectLocalSelection(form, false);
    ExpectModel(form, false);
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run
}

TEST_F(FormTest, DifferentDatumsRestoreTheSelectedMethod) {
    form.regionalOption->click();
    form.sourceDatumCombo->setCurrentIndex(0); // ED50 to ED50
    EXPECT_FALSE(form.methodGroup->isEnabled());
    form.targetDatumCombo->setCurrentIndex(1);
    EXPECT_TRUE(form.regionalOption->isChecked());
    ExpectLocalSelection(form, false);
    ExpectModel(form, true);
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run

    form.localOption->click();
    form.targetDatumCombo->setCurrentIndex(0);
    EXPECT_FALSE(form.methodGroup->isEnabled());
    form.targetDatumCombo->setCurrentIndex(1);
    EXPECT_TRUE(form.localOption->isChecked());
    ExpectLocalSelection(form, true);
    ExpectModel(form, true);
}

TEST_F(FormTest, MethodOptions) {
    programa.state().catalogueVertexCount = 150;
    form.regionalOption->click();
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run
    ExpectLocalSelection(form, false);
    ExpectModel(form, true);

    form.localOption->click();
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run
    ExpectLocalSelection(form, true);
    ExpectModel(form, true);

    form.nationalOption->click();
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run
    ExpectLocalSelection(form, false);
    ExpectModel(form, false);
    EXPECT_EQ(form.verticesLabel->frameShape(), QFrame::Box);
}

// Clicking the option that is already selected changes nothing: the method
// options and the model options are two exclusive groups, and a click in one
// never empties the other.
TEST_F(FormTest, ClickingTheSelectedOptionKeepsItAndTheOtherGroup) {
    form.sourceDatumCombo->setCurrentIndex(0);
    form.targetDatumCombo->setCurrentIndex(1);
    const std::vector<QRadioButton*> methods = {form.nationalOption, form.regionalOption,
                                                form.localOption};
    const std::vector<QRadioButton*> models = {form.helmertOption, form.molodenskyOption,
                                               form.affineOption};
    for (QRadioButton* method : methods) {
        method->click();
        for (QRadioButton* model : models) {
            if (model->isEnabled()) {
                model->click();
            }
            const QRadioButton* checkedModel =
                qobject_cast<QRadioButton*>(form.modelButtons->checkedButton());
            method->click(); // already selected
            model->click();
            method->click();
            EXPECT_TRUE(method->isChecked()) << method->objectName().toStdString();
            EXPECT_EQ(form.modelButtons->checkedButton(), checkedModel)
                << method->objectName().toStdString() << " " << model->objectName().toStdString();
            EXPECT_EQ(static_cast<int>(presenter.choices().method), form.methodButtons->id(method));
        }
    }
    for (QRadioButton* option :
         {form.sourceGeocentricOption, form.sourceGeodeticOption, form.sourceUtmOption,
          form.targetGeocentricOption, form.targetGeodeticOption, form.targetUtmOption}) {
        option->click();
        option->click();
        EXPECT_TRUE(option->isChecked()) << option->objectName().toStdString();
    }
    EXPECT_EQ(presenter.choices().sourceKind, CoordinateKind::Utm);
    EXPECT_EQ(presenter.choices().targetKind, CoordinateKind::Utm);
}

TEST_F(FormTest, ClickedNationalOptionRunsWithTheNationalSet) {
    form.sourceDatumCombo->setCurrentIndex(0);
    form.targetDatumCombo->setCurrentIndex(1);
    ReadUtm("uno.txt", "SERVILLETA,298569.727,4295339.009,520.6,30\r\n");
    form.nationalOption->click();
    form.transformButton->click();
    ASSERT_EQ(transf.processes.size(), 1u);
    EXPECT_EQ(transf.processes[0].arguments.parametros, 0);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();

    form.regionalOption->click();
    form.regionalOption->click();
    form.transformButton->click();
    ASSERT_EQ(transf.processes.size(), 2u);
    EXPECT_EQ(transf.processes[1].arguments.parametros, 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FormTest, VertexNumberAndDistanceExcludeEachOther) {
    form.localOption->click();

    form.distanceCombo->setCurrentIndex(1);
    form.nearestCombo->setCurrentIndex(3); // 5 nearest
    EXPECT_EQ(form.distanceCombo->currentIndex(), 0);
    EXPECT_EQ(presenter.choices().nearestIndex, 3);
    EXPECT_EQ(presenter.choices().distanceIndex, 0);
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run

    form.distanceCombo->setCurrentIndex(2); // 50 km
    EXPECT_EQ(form.nearestCombo->currentIndex(), 0);
    EXPECT_EQ(presenter.choices().distanceIndex, 2);
    EXPECT_EQ(presenter.choices().nearestIndex, 0);
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run

    form.nearestCombo->setCurrentIndex(4);
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run
    form.distanceCombo->setCurrentIndex(4);
    EXPECT_EQ(form.nearestCombo->currentIndex(), 0);
}

TEST_F(FormTest, AtMostOneZoneTicked) {
    form.zone29Check->setChecked(true);
    form.zone30Check->setChecked(true);
    EXPECT_FALSE(form.zone29Check->isChecked());
    EXPECT_TRUE(form.zone30Check->isChecked());
    EXPECT_FALSE(form.zone31Check->isChecked());
    EXPECT_EQ(presenter.choices().outputZone, 30);
    form.zone31Check->click();
    EXPECT_FALSE(form.zone30Check->isChecked());
    form.zone31Check->click(); // unticking leaves none
    EXPECT_FALSE(form.zone29Check->isChecked() || form.zone30Check->isChecked() ||
                 form.zone31Check->isChecked());
    EXPECT_EQ(presenter.choices().outputZone, 0);
}

TEST_F(FormTest, SourceKindSetsPictureAndFileFilter) {
    form.sourceGeocentricOption->click();
    EXPECT_EQ(presenter.openDialog().filterIndex, 1);
    EXPECT_EQ(form.sourceKindPicture->pixmap().toImage(), DataPicture("tipo_cartesianas.png"));
    form.sourceGeodeticOption->click();
    EXPECT_EQ(presenter.openDialog().filterIndex, 1);
    EXPECT_EQ(form.sourceKindPicture->pixmap().toImage(), DataPicture("tipo_geograficas.png"));
    EXPECT_EQ(form.targetKindPicture->pixmap().toImage(), DataPicture("tipo_utm.png"));
    EXPECT_TRUE(form.sourceGeodeticOption->text().endsWith("φ,λ,h"));
    form.sourceUtmOption->click();
    EXPECT_EQ(presenter.openDialog().filterIndex, 2);
    EXPECT_TRUE(messages.shown.empty());

    presenter.openDialog().filterIndex = 3; // a drawing keeps its filter
    form.sourceGeocentricOption->click();
    EXPECT_EQ(presenter.openDialog().filterIndex, 3);
}

TEST_F(FormTest, SourceKindWithPointsRemindsOnceAndKeepsThem) {
    ReadUtm("dos.txt", "P1,455000.5,4120000,10,30\r\nP2,455100,4120000,10,30\r\n");
    form.sourceGeodeticOption->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Recuerde: Solo se pueden introducir datos en un único formato\r"
              "(geocéntricas, geodésicas o UTM)\r");
    EXPECT_EQ(messages.shown[0].title, "Aviso");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    EXPECT_TRUE(form.sourceGeodeticOption->isChecked());
    EXPECT_EQ(presenter.pointModel()->rowCount(), 2);
    EXPECT_EQ(presenter.pointModel()->columnCount(), 4); // identifier, latitude, longitude, h
    EXPECT_EQ(programa.state().pointCount, 2);
}

TEST_F(FormTest, TargetKindSetsZoneBoxesAndPicture) {
    form.zone30Check->setChecked(true);
    form.targetGeocentricOption->click();
    EXPECT_EQ(form.targetKindPicture->pixmap().toImage(), DataPicture("tipo_cartesianas.png"));
    for (const QCheckBox* zone : {form.zone29Check, form.zone30Check, form.zone31Check}) {
        EXPECT_FALSE(zone->isEnabled());
    }
    EXPECT_TRUE(form.zone30Check->isChecked()); // the tick stays, unused
    EXPECT_EQ(quillon::PlanRun(presenter.choices(), false, 0).arguments.hSalida, 0.0);

    form.targetUtmOption->click();
    for (const QCheckBox* zone : {form.zone29Check, form.zone30Check, form.zone31Check}) {
        EXPECT_TRUE(zone->isEnabled());
    }
    EXPECT_EQ(form.targetKindPicture->pixmap().toImage(), DataPicture("tipo_utm.png"));
    EXPECT_EQ(quillon::PlanRun(presenter.choices(), false, 0).arguments.hSalida, 30.0);
}

// A run's results, marks, map and log belong to that run: any change of the
// systems, the method or the output zone drops them and disables "Guardar".
TEST_F(FormTest, EveryChoiceDropsTheResultsOfTheRun) {
    ReadUtm("dos.txt", "SERVILLETA,298569.727,4295339.009,520.6,30\r\n"
                       "fuera,200000,4100000,2,31\r\n");
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"source datum", [&] { form.sourceDatumCombo->setCurrentIndex(1); }},
        {"target datum", [&] { form.targetDatumCombo->setCurrentIndex(0); }},
        {"source kind", [&] { form.sourceGeodeticOption->click(); }},
        {"target kind", [&] { form.targetGeodeticOption->click(); }},
        {"zone", [&] { form.zone29Check->click(); }},
        {"method", [&] { form.regionalOption->click(); }},
        {"model",
         [&] {
             form.regionalOption->click();
             form.transformButton->click();
             form.affineOption->click();
         }},
        {"vertices",
         [&] {
             form.localOption->click();
             form.transformButton->click();
             form.nearestCombo->setCurrentIndex(2);
         }},
        {"centre", [&] { form.centreCombo->setCurrentIndex(1); }},
    };
    for (const auto& [what, change] : changes) {
        presenter.SetMethod(quillon::Method::National);
        presenter.SetSourceKind(CoordinateKind::Utm);
        presenter.SetTargetKind(CoordinateKind::Utm);
        presenter.SetOutputZone(0);
        presenter.SetCentre(quillon::SearchCentre::Geometric);
        presenter.SetNearestIndex(4);
        form.sourceDatumCombo->setCurrentIndex(0);
        form.targetDatumCombo->setCurrentIndex(1);
        RunForResults();
        ASSERT_TRUE(presenter.pointModel()->IsOutside(1)) << what;
        ASSERT_TRUE(form.mapButton->isEnabled()) << what;
        change();
        ExpectResultsCleared();
        EXPECT_FALSE(presenter.pointModel()->IsOutside(1)) << what;
        EXPECT_FALSE(presenter.CanShowMap()) << what;
        EXPECT_FALSE(presenter.saveTarget().has_value()) << what;
    }
}

TEST_F(FormTest, MapAndLogDisableTheFormWhileShown) {
    ReadUtm("uno.txt", "SERVILLETA,298569.727,4295339.009,520.6,30\r\n");
    RunForResults();
    form.mapButton->click();
    quillon::Mapa* mapa = programa.loadedMapa();
    ASSERT_NE(mapa, nullptr);
    EXPECT_TRUE(mapa->isVisible());
    EXPECT_TRUE(mapa->isEnabled());
    EXPECT_FALSE(form.isEnabled());

    form.setEnabled(true);
    form.logButton->click();
    ASSERT_NE(programa.loadedVentanaLog(), nullptr);
    EXPECT_TRUE(programa.loadedVentanaLog()->isVisible());
    EXPECT_FALSE(form.isEnabled());
}

TEST_F(FormTest, HelpAndAboutLeaveTheFormEnabled) {
    form.helpButton->click();
    ASSERT_NE(programa.loadedAyuda(), nullptr);
    EXPECT_TRUE(programa.loadedAyuda()->isVisible());
    form.aboutButton->click();
    ASSERT_NE(programa.loadedAcercaDe(), nullptr);
    EXPECT_TRUE(programa.loadedAcercaDe()->isVisible());
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(FormTest, ExitUnloadsEveryWindow) {
    programa.Start();
    programa.splash()->enterButton->click();
    ReadUtm("uno.txt", "SERVILLETA,298569.727,4295339.009,520.6,30\r\n");
    RunForResults();
    form.mapButton->click();
    form.helpButton->click();
    form.aboutButton->click();
    form.setEnabled(true); // the map window disabled it
    form.exitButton->click();
    FlushDeletes();
    EXPECT_FALSE(programa.principal()->isVisible());
    EXPECT_FALSE(programa.splash()->isVisible());
    EXPECT_FALSE(programa.loadedMapa()->isVisible());
    EXPECT_EQ(programa.loadedAyuda(), nullptr);
    EXPECT_EQ(programa.loadedAcercaDe(), nullptr);
}

} // namespace
} // namespace quillon_test
