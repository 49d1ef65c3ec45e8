#include "huso.h"
#include "lista_puntos.h"
#include "point_list_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace quillon_test {
namespace {

using quillon::MessageIcon;

const QString kPointCut = "Error al especificar el tipo de coordenadas o en\r"
                          "el número de datos por cada línea en el archivo";
const QString kDropped = ".\rEste punto no se tendrá en cuenta";

void ExpectPointButtons(const quillon::Calculo& form, bool add, bool edit, bool remove,
                        bool removeAll) {
    // Their own state: the form may be disabled behind a dialog.
    EXPECT_EQ(form.Command2->isEnabledTo(&form), add);
    EXPECT_EQ(form.Command3->isEnabledTo(&form), edit);
    EXPECT_EQ(form.Command4->isEnabledTo(&form), remove);
    EXPECT_EQ(form.Command6->isEnabledTo(&form), removeAll);
}

// --- Reading point files -------------------------------------------------------

TEST_F(PointListTest, UtmFileAddsItsPointsAfterTheHeader) {
    FakeResults();
    ReadUtm("puntos.txt", "P1,455000.5,4120000,10,30\r\n");

    EXPECT_EQ(Lines(form.List1), QStringList({"P1, 455000.5, 4120000, 10, 30"}));
    EXPECT_EQ(form.Label8->text(), "1 puntos en total");
    const quillon::ProgramState& state = programa.state();
    ASSERT_EQ(state.pointCount, 1);
    EXPECT_EQ(state.PointTable[0].c1, 455000.5);
    EXPECT_EQ(state.PointTable[0].zone, 30);
    EXPECT_EQ(state.inputFileName, QString::fromStdString(folder.File("puntos.txt")));
    EXPECT_EQ(quillon::SelectedLine(form.List1), 0);
    ExpectPointButtons(form, true, true, true, true);
    ExpectResultsCleared();
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PointListTest, BadItemsRefuseThePointAndTheNextTakesItsNumber) {
    ReadUtm("primero.txt", "P1,455000.5,4120000,10,30\r\n");
    ReadUtm("segundo.txt", "P2,455000,4120000,10,28\r\n"
                           "P3,abc,4120000,x,31\r\n"
                           "P4,456000,4121000,12,31\r\n");

    // The number is the point's place in the whole list.
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[0].text, "El huso del punto 2 debe ser el 29, 30 ó 31" + kDropped);
    EXPECT_EQ(messages.shown[1].text,
              "La primera coordenada del punto 2 no es un dato numérico" + kDropped);
    EXPECT_EQ(messages.shown[2].text,
              "La tercera coordenada del punto 2 no es un dato numérico" + kDropped);
    for (const ShownMessage& shown : messages.shown) {
        EXPECT_EQ(shown.title, "Error de entrada");
        EXPECT_EQ(shown.icon, MessageIcon::Critical);
    }
    // The second file is appended.
    EXPECT_EQ(Lines(form.List1),
              QStringList({"P1, 455000.5, 4120000, 10, 30", "P4, 456000, 4121000, 12, 31"}));
    EXPECT_EQ(programa.state().PointTable[1].id, "P4");
    EXPECT_EQ(form.Label8->text(), "2 puntos en total");
    EXPECT_EQ(quillon::SelectedLine(form.List1), 1);
}

TEST_F(PointListTest, FileEndingInsideAPointUndoesTheWholeRead) {
    ReadUtm("primero.txt", "P1,455000.5,4120000,10,30\r\nP2,455100,4120000,10,30\r\n");
    ReadUtm("corto.txt", "A1,455000,4120000,10,30\r\nA2,455000,4120000,10\r\n");

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kPointCut);
    EXPECT_EQ(messages.shown[0].title, "Quillon");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(Lines(form.List1),
              QStringList({"P1, 455000.5, 4120000, 10, 30", "P2, 455100, 4120000, 10, 30"}));
    EXPECT_EQ(programa.state().pointCount, 2);
    EXPECT_EQ(form.Label8->text(), "2 puntos en total");
}

TEST_F(PointListTest, ItemsRunOnAcrossLineEnds) {
    // Five items a line read as four: the second point starts with the zone
    // of the first, and the file ends inside the third.
    form.Option1->setChecked(true);
    Read(WriteFile("utm.txt", "cabecera\r\nP1,1,2,3,30\r\nP2,4,5,6,30\r\n"), 1);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text,
              "La primera coordenada del punto 2 no es un dato numérico" + kDropped);
    EXPECT_EQ(messages.shown[1].text, kPointCut);
    EXPECT_EQ(programa.state().pointCount, 0);
    EXPECT_EQ(form.List1->count(), 0);
}

TEST_F(PointListTest, Utf8AndWindows1252FilesReadTheSameText) {
    ReadUtm("utf8.txt", "\xC3\x81lamo,455000,4120000,10,30\r\n");
    ReadUtm("ansi.txt", "\xC1lamo \x80,455000,4120000,10,30\r\n");
    ASSERT_EQ(programa.state().pointCount, 2);
    EXPECT_EQ(programa.state().PointTable[0].id, "Álamo");
    EXPECT_EQ(programa.state().PointTable[1].id, "Álamo €");
}

TEST_F(PointListTest, ReadStopsAtTheTableCapacity) {
    quillon::ProgramState& state = programa.state();
    form.List1->addItems(QStringList(9998, QStringLiteral("P, 1, 2, 3, 30")));
    state.pointCount = 9998;

    ReadUtm("lleno.txt", "A,455000,4120000,10,30\r\nB,455000,4120000,10,30\r\n"
                         "C,455000,4120000,10,30\r\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Se ha alcanzado el máximo de 10000 puntos");
    EXPECT_EQ(messages.shown[0].title, "Aviso");
    EXPECT_EQ(state.pointCount, 10000);
    EXPECT_EQ(state.PointTable[9999].id, "B");
    EXPECT_EQ(form.List1->count(), 10000);
    EXPECT_EQ(form.Label8->text(), "10000 puntos en total");
}

// --- Drawings ----------------------------------------------------------------------

TEST_F(PointListTest, DrawingWithUtmSourceAsksForItsZone) {
    ReadUtm("uno.txt", "P1,455000.5,4120000,10,30\r\n");
    FakeResults();
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);

    EXPECT_EQ(Lines(form.List1), QStringList({"Se ha abierto el archivo:", "plano.dxf"}));
    EXPECT_EQ(programa.state().pointCount, 0);
    EXPECT_TRUE(programa.state().drawingMode);
    EXPECT_EQ(form.Label8->text(), " ");
    ExpectPointButtons(form, false, false, false, true);
    ExpectResultsCleared();
    EXPECT_TRUE(form.Check2->isChecked());
    EXPECT_TRUE(programa.huso()->isVisible());
    EXPECT_FALSE(form.isEnabled());
}

TEST_F(PointListTest, PointFileReplacesADrawing) {
    form.Option2->setChecked(true);
    form.Option4->setChecked(true);
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
    EXPECT_FALSE(programa.huso()->isVisible()); // no zone asked, none ticked
    EXPECT_FALSE(form.Check2->isChecked());

    Read(WriteFile("geo.txt", "ID,Lat,Long,h\r\nV1,37.4557947,-4.0512,500\r\n"), 1);
    EXPECT_EQ(Lines(form.List1), QStringList({"V1, 37.4557947,-4.0512, 500"}));
    EXPECT_FALSE(programa.state().drawingMode);
    ExpectPointButtons(form, true, true, true, true);
}

TEST_F(PointListTest, EmptyPointFileAfterADrawingLeavesAWorkingEmptyList) {
    form.Option2->setChecked(true);
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
    Read(WriteFile("vacio.txt", "ID,Lat,Long,h\r\n"), 1);
    EXPECT_EQ(form.List1->count(), 0);
    EXPECT_FALSE(programa.state().drawingMode);
    EXPECT_EQ(form.Label8->text(), "0 puntos en total");
    ExpectPointButtons(form, true, false, false, false);
}

// --- Deleting ------------------------------------------------------------------------

TEST_F(PointListTest, DeletingTheLastOfThreeSelectsTheNewLastLine) {
    ReadUtm("tres.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\nP3,7,8,9,31\r\n");
    FakeResults();
    form.Command4->click(); // the read selected the last line
    EXPECT_EQ(Lines(form.List1), QStringList({"P1, 1, 2, 3, 29", "P2, 4, 5, 6, 30"}));
    EXPECT_EQ(quillon::SelectedLine(form.List1), 1);
    EXPECT_EQ(form.Label8->text(), "2 puntos en total");
    ExpectResultsCleared();
}

TEST_F(PointListTest, DeletingInTheMiddleKeepsEachZoneWithItsPoint) {
    ReadUtm("tres.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\nP3,7,8,9,31\r\n");
    form.List1->setCurrentRow(1);
    form.Command4->click();
    const quillon::ProgramState& state = programa.state();
    ASSERT_EQ(state.pointCount, 2);
    EXPECT_EQ(state.PointTable[0].zone, 29);
    EXPECT_EQ(state.PointTable[1].id, "P3");
    EXPECT_EQ(state.PointTable[1].c3, 9.0);
    EXPECT_EQ(state.PointTable[1].zone, 31);
    EXPECT_EQ(Lines(form.List1), QStringList({"P1, 1, 2, 3, 29", "P3, 7, 8, 9, 31"}));
}

TEST_F(PointListTest, DeletingTheOnlyPointLeavesNoSelectionAndDisablesTheButtons) {
    ReadUtm("uno.txt", "P1,455000.5,4120000,10,30\r\n");
    form.Command9->setEnabled(true);
    form.Command13->setEnabled(true);
    form.Command4->click();
    EXPECT_EQ(form.List1->count(), 0);
    EXPECT_EQ(quillon::SelectedLine(form.List1), -1);
    EXPECT_EQ(form.Label8->text(), "0 puntos en total");
    ExpectPointButtons(form, true, false, false, false);
    EXPECT_FALSE(form.Command9->isEnabled());
    EXPECT_FALSE(form.Command13->isEnabled());
}

TEST_F(PointListTest, DeletingOrEditingWithoutASelectionAsksForOne) {
    ReadUtm("dos.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\n");
    form.List1->clearSelection();
    form.Command4->click();
    form.Command3->click();
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const ShownMessage& shown : messages.shown) {
        EXPECT_EQ(shown.text, "Debe seleccionar al menos un punto de la lista");
        EXPECT_EQ(shown.title, "Error");
    }
    EXPECT_EQ(programa.state().pointCount, 2);
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(PointListTest, DeleteAllEmptiesPointsOrTheDrawing) {
    ReadUtm("dos.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\n");
    FakeResults();
    form.Command9->setEnabled(true);
    form.Command6->click();
    EXPECT_EQ(form.List1->count(), 0);
    EXPECT_EQ(programa.state().pointCount, 0);
    EXPECT_EQ(form.Label8->text(), "0 puntos en total");
    EXPECT_FALSE(form.Command9->isEnabled());
    ExpectResultsCleared();

    form.Option1->setChecked(true);
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
    form.Command6->click();
    EXPECT_EQ(form.List1->count(), 0);
    EXPECT_FALSE(programa.state().drawingMode);
    ExpectPointButtons(form, true, false, false, false); // points can be added again
}

} // namespace
} // namespace quillon_test
