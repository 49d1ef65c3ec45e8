#include "apunto.h"
#include "epunto.h"
#include "huso.h"
#include "lista_puntos.h"
#include "point_list_fixture.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>

namespace quillon_test {
namespace {

using quillon::MessageIcon;

void Type(quillon::DialogoPunto* dialog, const QString& id, const QString& c1, const QString& c2,
          const QString& c3, const QString& zone = QString()) {
    dialog->Text1->setText(id);
    dialog->Text2->setText(c1);
    dialog->Text3->setText(c2);
    dialog->Text4->setText(c3);
    dialog->Text5->setText(zone);
}

QStringList Captions(const quillon::DialogoPunto* dialog) {
    return {dialog->Label2->text(), dialog->Label4->text(), dialog->Label5->text(),
            dialog->Label6->text()};
}

// --- Add dialog ------------------------------------------------------------------

using AddDialogTest = PointListTest;

TEST_F(AddDialogTest, FollowsTheSourceKind) {
    FakeResults();
    form.Command2->click();
    quillon::Apunto* apunto = programa.apunto();
    EXPECT_TRUE(apunto->isVisible());
    EXPECT_FALSE(form.isEnabled());
    ExpectResultsCleared();
    EXPECT_EQ(Captions(apunto), QStringList({"U.T.M.", "X UTM", "Y UTM", "Altitud H"}));
    EXPECT_FALSE(apunto->Text5->isHidden());
    EXPECT_TRUE(apunto->Frame1->isHidden());
    EXPECT_EQ(apunto->Text1->maxLength(), 25);
    EXPECT_EQ(apunto->Text2->maxLength(), 12);
    EXPECT_EQ(apunto->Text5->maxLength(), 2);
    EXPECT_EQ(apunto->focusWidget(), apunto->Text1);
    apunto->Text5->setText("30");
    apunto->Command2->click();

    form.Option2->setChecked(true);
    form.Command2->click();
    EXPECT_EQ(programa.apunto(), apunto); // loaded once, then shown again
    EXPECT_EQ(Captions(apunto), QStringList({"GEODÉSICAS", "Latitud", "Longitud", "Altitud h"}));
    EXPECT_TRUE(apunto->Label7->isHidden());
    EXPECT_EQ(apunto->Text5->text(), ""); // emptied with the kind
    EXPECT_FALSE(apunto->Frame1->isHidden());
    apunto->Command2->click();

    form.Option1->setChecked(true);
    form.Command2->click();
    EXPECT_EQ(Captions(apunto), QStringList({"CARTESIANAS", "X", "Y", "Z"}));
    EXPECT_TRUE(apunto->Frame1->isHidden());
    Type(apunto, "C1", "5000000", "-400000", "3800000");
    apunto->Command1->click();
    EXPECT_EQ(Lines(form.List1), QStringList({"C1, 5000000,-400000, 3800000"}));
}

TEST_F(AddDialogTest, AddsPointsUntilClosed) {
    form.Command2->click();
    quillon::Apunto* apunto = programa.apunto();
    Type(apunto, "V1", " 455000.25", "4120000", "0.5", "30");
    apunto->Command1->click();
    Type(apunto, "V2", "-12.5e1", "4120000.5", "0", "29");
    apunto->Command1->click();

    EXPECT_TRUE(apunto->isVisible());
    EXPECT_EQ(apunto->Text1->text() + apunto->Text4->text() + apunto->Text5->text(), "");
    EXPECT_EQ(Lines(form.List1),
              QStringList({"V1, 455000.25, 4120000, .5, 30", "V2,-125, 4120000.5, 0, 29"}));
    EXPECT_EQ(programa.state().PointTable[1].zone, 29);

    apunto->Command2->click();
    EXPECT_FALSE(apunto->isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(form.Label8->text(), "2 puntos en total");
    EXPECT_EQ(quillon::SelectedLine(form.List1), 1);
    EXPECT_TRUE(form.Command3->isEnabled());
    EXPECT_TRUE(form.Command4->isEnabled());
    EXPECT_TRUE(form.Command6->isEnabled());
}

TEST_F(AddDialogTest, RefusesNonNumericCoordinatesAndBadZones) {
    form.Command2->click();
    quillon::Apunto* apunto = programa.apunto();
    Type(apunto, "V1", "abc", "4120000", "", "30");
    apunto->Command1->click();
    ASSERT_EQ(messages.shown.size(), 2u); // first and third
    for (const ShownMessage& shown : messages.shown) {
        EXPECT_EQ(shown.text, "El dato introducido ha de ser numérico");
        EXPECT_EQ(shown.title, "Error de entrada");
        EXPECT_EQ(shown.icon, MessageIcon::Critical);
    }
    EXPECT_EQ(apunto->focusWidget(), apunto->Text2);

    for (const char* zone : {"28", "3", " 3", ""}) {
        messages.shown.clear();
        Type(apunto, "V1", "455000", "4120000", "10", zone);
        apunto->Command1->click();
        ASSERT_EQ(messages.shown.size(), 1u) << zone;
        EXPECT_EQ(messages.shown[0].text, "El Huso ha de ser 29, 30 ó 31\r");
        EXPECT_EQ(apunto->focusWidget(), apunto->Text5);
    }
    EXPECT_EQ(programa.state().pointCount, 0);
    EXPECT_EQ(apunto->Text1->text(), "V1"); // nothing emptied

    apunto->Command2->click();
    EXPECT_FALSE(form.Command3->isEnabled()); // still no points
    EXPECT_EQ(form.Label8->text(), "0 puntos en total");
}

TEST_F(AddDialogTest, StopsAtTheTableCapacity) {
    programa.state().pointCount = 10000;
    form.Command2->click();
    quillon::Apunto* apunto = programa.apunto();
    Type(apunto, "V1", "455000", "4120000", "10", "30");
    apunto->Command1->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Se ha alcanzado el máximo de 10000 puntos");
    EXPECT_EQ(messages.shown[0].title, "Aviso");
    EXPECT_EQ(programa.state().pointCount, 10000);
    EXPECT_EQ(form.List1->count(), 0);
}

TEST_F(AddDialogTest, EnterMovesOnAndEscapeCloses) {
    form.Command2->click();
    quillon::Apunto* apunto = programa.apunto();
    const std::vector<std::pair<QWidget*, QWidget*>> steps = {
        {apunto->Text1, apunto->Text2},    {apunto->Text2, apunto->Text3},
        {apunto->Text3, apunto->Text4},    {apunto->Text4, apunto->Text5},
        {apunto->Text5, apunto->Command1},
    };
    for (const auto& [from, to] : steps) {
        PressKey(from, Qt::Key_Return);
        EXPECT_EQ(apunto->focusWidget(), to) << from->objectName().toStdString();
    }
    Type(apunto, "V1", "455000", "4120000", "10", "30");
    PressKey(apunto->Command1, Qt::Key_Return); // Enter on the button adds
    EXPECT_EQ(form.List1->count(), 1);

    // Without a zone field the third coordinate leads to the button.
    apunto->SetKind(quillon::CoordinateKind::Geodetic);
    PressKey(apunto->Text4, Qt::Key_Enter);
    EXPECT_EQ(apunto->focusWidget(), apunto->Command1);

    PressKey(apunto->Text3, Qt::Key_Escape);
    EXPECT_FALSE(apunto->isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(form.Label8->text(), "1 puntos en total");
}

// --- Edit dialog ------------------------------------------------------------------

using EditDialogTest = PointListTest;

TEST_F(EditDialogTest, ShowsTheSelectedPointWhole) {
    ReadUtm("dos.txt", "P1,-3.5,0.25,1E-2,30\r\n"
                       "identificador largo,455000.123456789,4120000,10,29\r\n");
    FakeResults();
    form.List1->setCurrentRow(0);
    form.Command3->click();
    quillon::Epunto* epunto = programa.epunto();
    EXPECT_TRUE(epunto->isVisible());
    EXPECT_FALSE(form.isEnabled());
    ExpectResultsCleared();
    EXPECT_EQ(programa.state().editPoint, 1);
    EXPECT_EQ(epunto->Text2->text(), "-3.5");
    EXPECT_EQ(epunto->Text3->text(), ".25");
    EXPECT_EQ(epunto->Text4->text(), ".01");
    EXPECT_EQ(epunto->Text5->text(), "30");
    EXPECT_EQ(epunto->Text1->maxLength(), 12);
    epunto->Command2->click();

    // Values longer than the user may type are shown whole, so accepting
    // them unchanged changes nothing.
    form.List1->setCurrentRow(1);
    form.Command3->click();
    EXPECT_EQ(epunto->Text1->text(), "identificador largo");
    EXPECT_EQ(epunto->Text2->text(), "455000.123456789");
    epunto->Command1->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(programa.state().PointTable[1].c1, 455000.123456789);
    EXPECT_EQ(form.List1->item(1)->text(),
              "identificador largo, 455000.123456789, 4120000, 10, 29");
}

TEST_F(EditDialogTest, AcceptReplacesThePointAndItsLine) {
    ReadUtm("tres.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\nP3,7,8,9,31\r\n");
    form.List1->setCurrentRow(1);
    form.Command3->click();
    quillon::Epunto* epunto = programa.epunto();
    Type(epunto, "Q2", "455000.5", "4120000", "-10", "31");
    epunto->Command1->click();

    EXPECT_FALSE(epunto->isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(Lines(form.List1),
              QStringList({"P1, 1, 2, 3, 29", "Q2, 455000.5, 4120000,-10, 31", "P3, 7, 8, 9, 31"}));
    EXPECT_EQ(programa.state().PointTable[1].zone, 31);
    EXPECT_EQ(quillon::SelectedLine(form.List1), 1);
    EXPECT_EQ(programa.state().pointCount, 3);
}

TEST_F(EditDialogTest, NamesEachBadFieldAndKeepsThePoint) {
    ReadUtm("uno.txt", "P1,455000.5,4120000,10,30\r\n");
    form.Command3->click();
    quillon::Epunto* epunto = programa.epunto();
    Type(epunto, "P1", "x", "y", "z", "30");
    epunto->Command1->click();
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[0].text, "Lat o X debe ser un dato numérico");
    EXPECT_EQ(messages.shown[1].text, "Long o Y debe ser un dato numérico");
    EXPECT_EQ(messages.shown[2].text, "H o h debe ser un dato numérico");
    EXPECT_EQ(messages.shown[2].title, "Error de entrada");
    EXPECT_EQ(epunto->focusWidget(), epunto->Text2);

    messages.shown.clear();
    Type(epunto, "P1", "1", "2", "3", "32");
    epunto->Command1->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "El Huso ha de ser 29, 30 ó 31");
    EXPECT_TRUE(epunto->isVisible());

    PressKey(epunto->Text2, Qt::Key_Escape); // cancel
    EXPECT_FALSE(epunto->isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(Lines(form.List1), QStringList({"P1, 455000.5, 4120000, 10, 30"}));
}

// --- Zone dialog ------------------------------------------------------------------

class ZoneDialogTest : public PointListTest {
protected:
    ZoneDialogTest() {
        Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
        huso = programa.huso();
    }

    void Accept(const char* text) {
        huso->Text1->setText(QString::fromUtf8(text));
        huso->Command1->click();
    }

    quillon::Huso* huso = nullptr;
};

TEST_F(ZoneDialogTest, EmptyFieldAssumesZone30) {
    EXPECT_EQ(huso->focusWidget(), huso->Text1);
    PressKey(huso->Text1, Qt::Key_Return);
    EXPECT_EQ(huso->focusWidget(), huso->Command1);

    Accept("");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Se supondrá que el Huso es el 30");
    EXPECT_EQ(messages.shown[0].title, "Advertencia");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(programa.state().drawingZone, 30.0);
    EXPECT_EQ(Lines(form.List1),
              QStringList({"Se ha abierto el archivo:", "plano.dxf", "(Huso 30)"}));
    EXPECT_FALSE(huso->isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_TRUE(programa.state().drawingMode);
}

TEST_F(ZoneDialogTest, OnlyZones29To31CloseTheDialog) {
    EXPECT_FALSE(form.isEnabled());
    for (const char* zone : {"32", "30.5", "-30"}) {
        messages.shown.clear();
        Accept(zone);
        ASSERT_EQ(messages.shown.size(), 1u) << zone;
        EXPECT_EQ(messages.shown[0].text, "El huso debe ser el 29, 30 ó 31");
        EXPECT_EQ(messages.shown[0].title, "Advertencia");
        EXPECT_TRUE(huso->isVisible());
        EXPECT_FALSE(form.isEnabled());
    }
    EXPECT_EQ(form.List1->count(), 2);

    messages.shown.clear();
    Accept("31");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(programa.state().drawingZone, 31.0);
    EXPECT_EQ(form.List1->item(2)->text(), "(Huso 31)");
    EXPECT_FALSE(huso->isVisible());
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(ZoneDialogTest, LeadingNumberIsTheZone) {
    Accept("30abc");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(programa.state().drawingZone, 30.0);
    EXPECT_EQ(form.List1->item(2)->text(), "(Huso 30)");

    // Where "," is the decimal sign a fractional zone keeps its integer part.
    Read(WriteFile("otro.dxf", "0\r\nEOF\r\n"), 3);
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    Accept(" 2 9.9");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(messages.shown.size(), 0u);
    EXPECT_EQ(programa.state().drawingZone, 29.0);
}

TEST_F(ZoneDialogTest, CancelDropsTheDrawing) {
    ASSERT_TRUE(form.Check2->isChecked());
    huso->Command2->click();
    EXPECT_FALSE(programa.state().drawingMode);
    EXPECT_EQ(form.List1->count(), 0);
    EXPECT_FALSE(form.Check1->isChecked() || form.Check2->isChecked() || form.Check3->isChecked());
    EXPECT_FALSE(huso->isVisible());
    EXPECT_TRUE(form.isEnabled());
    // The list takes points again.
    EXPECT_TRUE(form.Command2->isEnabled());
    EXPECT_FALSE(form.Command6->isEnabled());
    EXPECT_EQ(form.Label8->text(), "0 puntos en total");
}

TEST_F(ZoneDialogTest, EscapeAndTheCloseBoxCancel) {
    PressKey(huso->Text1, Qt::Key_Escape);
    EXPECT_FALSE(huso->isVisible());
    EXPECT_FALSE(programa.state().drawingMode);
    EXPECT_TRUE(form.isEnabled());

    Read(WriteFile("otro.dxf", "0\r\nEOF\r\n"), 3);
    ASSERT_TRUE(huso->isVisible());
    huso->close();
    EXPECT_FALSE(programa.state().drawingMode);
    EXPECT_TRUE(form.isEnabled());
}

} // namespace
} // namespace quillon_test
