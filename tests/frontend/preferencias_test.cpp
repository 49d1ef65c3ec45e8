// What the program remembers between sessions, and the Spanish of Qt's own
// dialogs.
#include "point_list_fixture.h"
#include "preferencias.h"
#include "principal.h"
#include "qt_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>

namespace quillon_test {
namespace {

using quillon::CoordinateKind;

// A program started with the settings another session left.
class NextSession {
public:
    explicit NextSession(QSettings& settings)
        : programa(messages, files, settings, QStringLiteral(QUILLON_TEST_DATA_DIR), &transf) {}
    RecordingMessages messages;
    ScriptedFileDialogs files;
    RecordingTransf transf;
    quillon::Aplicacion programa;
};

TEST_F(PointListTest, SystemsMethodAndFoldersAreRememberedBetweenSessions) {
    form.sourceDatumCombo->setCurrentIndex(0);
    form.targetDatumCombo->setCurrentIndex(1);
    form.sourceGeodeticOption->click();
    form.targetGeocentricOption->click();
    form.localOption->click();
    form.distanceCombo->setCurrentIndex(3);
    form.centreCombo->setCurrentIndex(1);
    form.affineOption->click();
    form.targetUtmOption->click();
    form.zone29Check->click();
    Read(WriteFile("geo.txt", "ID,Lat,Long,h\r\nV1,37.4557947,-4.0512,500\r\n"), 1);

    NextSession next(settingsStore.settings);
    quillon::Calculo& again = *next.programa.calculo();
    EXPECT_EQ(again.sourceDatumCombo->currentText(), "ED50");
    EXPECT_EQ(again.targetDatumCombo->currentText(), "ETRS89");
    EXPECT_TRUE(again.sourceGeodeticOption->isChecked());
    EXPECT_TRUE(again.targetUtmOption->isChecked());
    EXPECT_TRUE(again.localOption->isChecked());
    EXPECT_EQ(again.distanceCombo->currentIndex(), 3);
    EXPECT_EQ(again.nearestCombo->currentIndex(), 0);
    EXPECT_EQ(again.centreCombo->currentIndex(), 1);
    EXPECT_TRUE(again.affineOption->isChecked());
    EXPECT_TRUE(again.nearestCombo->isEnabled()); // the local method's state
    // A forced output zone is not carried into the next job.
    EXPECT_FALSE(again.zone29Check->isChecked());
    // The open dialog starts in the folder read last, with the kind's filter.
    EXPECT_EQ(next.programa.presenter().openDialog().fileName,
              QString::fromStdString(folder.path().string()) + "/");
    EXPECT_EQ(next.programa.presenter().openDialog().filterIndex, 1);
    EXPECT_EQ(next.programa.state().pointCount, 0);
}

TEST_F(PointListTest, TheGridAndOrthometricHeightsAreRememberedToo) {
    form.sourceDatumCombo->setCurrentIndex(0);
    form.targetDatumCombo->setCurrentIndex(1);
    form.gridOption->click();
    form.orthometricCheck->click();
    NextSession next(settingsStore.settings);
    quillon::Calculo& again = *next.programa.calculo();
    EXPECT_TRUE(again.gridOption->isChecked());
    EXPECT_TRUE(again.orthometricCheck->isChecked());
    EXPECT_FALSE(again.modelGroup->isEnabledTo(&again));
}

TEST(Preferences, UnreadableValuesGiveTheDesignState) {
    TestSettings store;
    store.settings.setValue("sistemas/datumA", "otro");
    store.settings.setValue("sistemas/tipoB", 7);
    store.settings.setValue("metodo/parametros", -1);
    store.settings.setValue("metodo/vertices", 2);
    store.settings.setValue("metodo/distancia", 3); // both away from 0: the number wins
    quillon::Preferences preferences(store.settings);
    const quillon::FormChoices choices = preferences.Choices();
    EXPECT_EQ(choices.sourceDatum, quillon::Datum::Etrs89);
    EXPECT_EQ(choices.targetKind, CoordinateKind::Utm);
    EXPECT_EQ(choices.method, quillon::Method::National);
    EXPECT_EQ(choices.nearestIndex, 2);
    EXPECT_EQ(choices.distanceIndex, 0);
}

TEST_F(ProgramTest, TheFrameComesBackWhereTheUserLeftIt) {
    quillon::Principal* frame = programa.principal();
    frame->show();
    frame->resize(frame->minimumSizeHint() + QSize(123, 45));
    const QSize size = frame->size();
    form.exitButton->click();
    NextSession next(settingsStore.settings);
    EXPECT_EQ(next.programa.principal()->size(), size);
}

// Qt's own buttons and dialogs speak Spanish once the program loads Qt's
// translations.
TEST(SpanishTranslations, QuestionButtonsAreSiAndNo) {
    ASSERT_TRUE(quillon::InstallSpanishTranslations())
        << "Qt's translations (qt6-translations-l10n) are not installed";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Sí");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Ver en:");

    // The program's yes-or-no box, answered by pressing its "No".
    QStringList buttons;
    QTimer::singleShot(0, [&buttons] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons()) {
            buttons << button->text();
        }
        box->button(QMessageBox::No)->click();
    });
    quillon::QtMessageSink sink;
    EXPECT_FALSE(sink.Ask("¿Desea reemplazarlo?", "Guardar Como"));
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"&No", "&Sí"}));
}

} // namespace
} // namespace quillon_test
