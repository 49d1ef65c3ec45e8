// The add-point, edit-point and zone dialogs, offscreen.
#include "dialogo_anadir_punto.h"
#include "dialogo_editar_punto.h"
#include "huso.h"
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
    dialog->identifierEdit->setText(id);
    dialog->coordinate1Edit->setText(c1);
    dialog->coordinate2Edit->setText(c2);
    dialog->coordinate3Edit->setText(c3);
    dialog->zoneEdit->setText(zone);
}

QStringList Captions(const quillon::DialogoPunto* dialog) {
    return {dialog->kindLabel->text(), dialog->coordinate1Label->text(),
            dialog->coordinate2Label->text(), dialog->coordinate3Label->text()};
}

// The user's locale for the length of a test.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

// --- Add dialog ------------------------------------------------------------------

using AddDialogTest = PointListTest;

TEST_F(AddDialogTest, FollowsTheSourceKind) {
    form.addPointButton->click();
    quillon::DialogoAnadirPunto* anadir = programa.dialogoAnadir();
    EXPECT_TRUE(anadir->isVisible());
    EXPECT_FALSE(form.isEnabled());
    EXPECT_EQ(Captions(anadir), QStringList({"U.T.M.", "X UTM", "Y UTM", "Altitud H"}));
    EXPECT_FALSE(anadir->zoneEdit->isHidden());
    EXPECT_TRUE(anadir->exampleFrame->isHidden());
    EXPECT_EQ(anadir->identifierEdit->maxLength(), 25);
    EXPECT_EQ(anadir->zoneEdit->maxLength(), 2);
    EXPECT_EQ(anadir->focusWidget(), anadir->identifierEdit);
    anadir->zoneEdit->setText("30");
    anadir->leaveButton->click();

    form.sourceGeodeticOption->click();
    form.addPointButton->click();
    EXPECT_EQ(programa.dialogoAnadir(), anadir); // loaded once, then shown again
    EXPECT_EQ(Captions(anadir), QStringList({"GEODÉSICAS", "Latitud", "Longitud", "Altitud h"}));
    EXPECT_TRUE(anadir->zoneLabel->isHidden());
    EXPECT_EQ(anadir->zoneEdit->text(), ""); // emptied with the kind
    EXPECT_FALSE(anadir->exampleFrame->isHidden());
    anadir->leaveButton->click();

    form.sourceGeocentricOption->click();
    form.addPointButton->click();
    EXPECT_EQ(Captions(anadir), QStringList({"CARTESIANAS", "X", "Y", "Z"}));
    EXPECT_TRUE(anadir->exampleFrame->isHidden());
    Type(anadir, "C1", "5000000", "-400000", "3800000");
    anadir->confirmButton->click();
    EXPECT_EQ(PointRows(), QStringList({"C1\t5000000.000\t-400000.000\t3800000.000"}));
}

TEST_F(AddDialogTest, AddsPointsUntilClosed) {
    form.addPointButton->click();
    quillon::DialogoAnadirPunto* anadir = programa.dialogoAnadir();
    Type(anadir, "V1", " 455000.25", "4120000", "0.5", "30");
    anadir->confirmButton->click();
    Type(anadir, "V2", "-12.5e1", "4120000.5", "0", "29");
    anadir->confirmButton->click();

    EXPECT_TRUE(anadir->isVisible());
    EXPECT_EQ(anadir->identifierEdit->text() + anadir->coordinate3Edit->text() +
                  anadir->zoneEdit->text(),
              "");
    EXPECT_EQ(PointRows(), QStringList({"V1\t455000.250\t4120000.000\t0.500\t30",
                                        "V2\t-125.000\t4120000.500\t0.000\t29"}));
    EXPECT_EQ(programa.state().PointTable[1].zone, 29);

    anadir->leaveButton->click();
    EXPECT_FALSE(anadir->isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(form.pointCountLabel->text(), "2 puntos en total");
    EXPECT_EQ(form.pointTable->SelectedRows(), QList<int>({1}));
    EXPECT_TRUE(form.editPointButton->isEnabled());
    EXPECT_TRUE(form.deletePointButton->isEnabled());
    EXPECT_TRUE(form.deleteAllButton->isEnabled());
}

// Spanish users type decimal commas: "343622,117" is 343622.117, not 343622,
// whatever the language of the system.
TEST_F(AddDialogTest, DecimalCommaOrPointInEveryField) {
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::Spanish, QLocale::Spain)}) {
        const LocaleScope scope(locale);
        form.addPointButton->click();
        quillon::DialogoAnadirPunto* anadir = programa.dialogoAnadir();
        Type(anadir, "A", "343622,117", "4194099.358", " -0,5 ", "30");
        anadir->confirmButton->click();
        anadir->leaveButton->click();
    }
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    const quillon::ProgramState& state = programa.state();
    ASSERT_EQ(state.pointCount, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(state.PointTable[i].c1, 343622.117);
        EXPECT_EQ(state.PointTable[i].c2, 4194099.358);
        EXPECT_EQ(state.PointTable[i].c3, -0.5);
    }
}

TEST_F(AddDialogTest, RefusesWhatIsNotANumberNamingTheField) {
    form.addPointButton->click();
    quillon::DialogoAnadirPunto* anadir = programa.dialogoAnadir();
    Type(anadir, "V1", "abc", "4.120.000", "", "30");
    anadir->confirmButton->click();
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[0].text, "El dato introducido en «X UTM» ha de ser numérico");
    EXPECT_EQ(messages.shown[1].text, "El dato introducido en «Y UTM» ha de ser numérico");
    EXPECT_EQ(messages.shown[2].text, "El dato introducido en «Altitud H» ha de ser numérico");
    for (const ShownMessage& shown : messages.shown) {
        EXPECT_EQ(shown.title, "Error de entrada");
        EXPECT_EQ(shown.icon, MessageIcon::Critical);
    }
    EXPECT_EQ(anadir->focusWidget(), anadir->coordinate1Edit);

    for (const char* zone : {"28", "3", "3 0", ""}) {
        messages.shown.clear();
        Type(anadir, "V1", "455000", "4120000", "10", zone);
        anadir->confirmButton->click();
        ASSERT_EQ(messages.shown.size(), 1u) << zone;
        EXPECT_EQ(messages.shown[0].text, "El Huso ha de ser 29, 30 ó 31");
        EXPECT_EQ(anadir->focusWidget(), anadir->zoneEdit);
    }
    EXPECT_EQ(programa.state().pointCount, 0);
    EXPECT_EQ(anadir->identifierEdit->text(), "V1"); // nothing emptied

    anadir->leaveButton->click();
    EXPECT_FALSE(form.editPointButton->isEnabled()); // still no points
    EXPECT_EQ(form.pointCountLabel->text(), "0 puntos en total");
}

TEST_F(AddDialogTest, RefusesImpossibleSexagesimalAngles) {
    form.sourceGeodeticOption->click();
    form.addPointButton->click();
    quillon::DialogoAnadirPunto* anadir = programa.dialogoAnadir();
    const std::vector<std::tuple<const char*, const char*, QString>> cases = {
        {"37.6500000", "-4.0512", "Latitud: los minutos (65) han de ser menores que 60"},
        {"37.4575000", "-4.0512", "Latitud: los segundos (75) han de ser menores que 60"},
        {"37.4557947", "-4.0575", "Longitud: los segundos (75) han de ser menores que 60"},
        {"37,4557947", "-4,6000", "Longitud: los minutos (60) han de ser menores que 60"},
        {"91.0000000", "-4.0512", "Latitud: ha de estar entre -90 y 90 grados"},
    };
    for (const auto& [latitude, longitude, message] : cases) {
        messages.shown.clear();
        Type(anadir, "P", latitude, longitude, "500");
        anadir->confirmButton->click();
        ASSERT_EQ(messages.shown.size(), 1u) << latitude << " " << longitude;
        EXPECT_EQ(messages.shown[0].text, message);
        EXPECT_EQ(messages.shown[0].title, "Error de entrada");
    }
    EXPECT_EQ(programa.state().pointCount, 0);

    messages.shown.clear();
    Type(anadir, "P", "37,4559599", "-4,0559", "500"); // 59.599" and 59" are fine
    anadir->confirmButton->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(programa.state().pointCount, 1);
}

// The list has no 10000-point ceiling: the table grows for the next point.
TEST_F(AddDialogTest, AddsPastTenThousandPoints) {
    programa.state().pointCount = 10000;
    form.addPointButton->click();
    quillon::DialogoAnadirPunto* anadir = programa.dialogoAnadir();
    Type(anadir, "V1", "455000", "4120000", "10", "30");
    anadir->confirmButton->click();
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(programa.state().pointCount, 10001);
    EXPECT_EQ(programa.state().PointTable[10000].id, "V1");
}

TEST_F(AddDialogTest, EnterMovesOnAndEscapeCloses) {
    form.addPointButton->click();
    quillon::DialogoAnadirPunto* anadir = programa.dialogoAnadir();
    const std::vector<std::pair<QWidget*, QWidget*>> steps = {
        {anadir->identifierEdit, anadir->coordinate1Edit},
        {anadir->coordinate1Edit, anadir->coordinate2Edit},
        {anadir->coordinate2Edit, anadir->coordinate3Edit},
        {anadir->coordinate3Edit, anadir->zoneEdit},
        {anadir->zoneEdit, anadir->confirmButton},
    };
    for (const auto& [from, to] : steps) {
        PressKey(from, Qt::Key_Return);
        EXPECT_EQ(anadir->focusWidget(), to) << from->objectName().toStdString();
    }
    Type(anadir, "V1", "455000", "4120000", "10", "30");
    PressKey(anadir->confirmButton, Qt::Key_Return); // Enter on the button adds
    EXPECT_EQ(presenter.pointModel()->rowCount(), 1);

    // Without a zone field the third coordinate leads to the button.
    anadir->SetKind(quillon::CoordinateKind::Geodetic);
    PressKey(anadir->coordinate3Edit, Qt::Key_Enter);
    EXPECT_EQ(anadir->focusWidget(), anadir->confirmButton);

    PressKey(anadir->coordinate2Edit, Qt::Key_Escape);
    EXPECT_FALSE(anadir->isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(form.pointCountLabel->text(), "1 puntos en total");
}

// --- Edit dialog ------------------------------------------------------------------

using EditDialogTest = PointListTest;

TEST_F(EditDialogTest, ShowsTheSelectedPointWhole) {
    ReadUtm("dos.txt", "P1,-3.5,0.25,1E-2,30\r\n"
                       "identificador largo,455000.123456789,4120000,10,29\r\n");
    form.pointTable->selectRow(0);
    form.editPointButton->click();
    quillon::DialogoEditarPunto* editar = programa.dialogoEditar();
    EXPECT_TRUE(editar->isVisible());
    EXPECT_FALSE(form.isEnabled());
    EXPECT_EQ(programa.state().editPoint, 1);
    EXPECT_EQ(editar->coordinate1Edit->text(), "-3.5");
    EXPECT_EQ(editar->coordinate2Edit->text(), "0.25");
    EXPECT_EQ(editar->coordinate3Edit->text(), "0.01");
    EXPECT_EQ(editar->zoneEdit->text(), "30");
    // The same length as in the add dialog: a retyped identifier is not cut.
    EXPECT_EQ(editar->identifierEdit->maxLength(),
              programa.dialogoAnadir()->identifierEdit->maxLength());
    editar->leaveButton->click();

    // Values longer than the user may type are shown whole, so accepting
    // them unchanged changes nothing.
    form.pointTable->selectRow(1);
    form.editPointButton->click();
    EXPECT_EQ(editar->identifierEdit->text(), "identificador largo");
    EXPECT_EQ(editar->coordinate1Edit->text(), "455000.123456789");
    editar->confirmButton->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(programa.state().PointTable[1].c1, 455000.123456789);
    EXPECT_EQ(PointRows()[1], "identificador largo\t455000.123\t4120000.000\t10.000\t29");
}

TEST_F(EditDialogTest, AnIdentifierRetypedLongIsKept) {
    ReadUtm("uno.txt", "P1,455000.5,4120000,10,30\r\n");
    form.pointTable->selectRow(0);
    form.editPointButton->click();
    quillon::DialogoEditarPunto* editar = programa.dialogoEditar();
    editar->identifierEdit->clear();
    const QString typed = QStringLiteral("Vértice geodésico 1234");
    for (const QChar c : typed) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(editar->identifierEdit, &key);
    }
    editar->confirmButton->click();
    EXPECT_EQ(programa.state().PointTable[0].id, typed);
}

TEST_F(EditDialogTest, ShowsNumbersWithTheUsersDecimalSign) {
    ReadUtm("uno.txt", "P1,455000.5,4120000,10.25,30\r\n");
    const LocaleScope scope(QLocale(QLocale::Spanish, QLocale::Spain));
    form.pointTable->selectRow(0);
    form.editPointButton->click();
    quillon::DialogoEditarPunto* editar = programa.dialogoEditar();
    EXPECT_EQ(editar->coordinate1Edit->text(), "455000,5");
    EXPECT_EQ(editar->coordinate3Edit->text(), "10,25");
    editar->confirmButton->click();
    EXPECT_EQ(programa.state().PointTable[0].c1, 455000.5);
    EXPECT_EQ(PointRows()[0], "P1\t455000,500\t4120000,000\t10,250\t30");
}

TEST_F(EditDialogTest, AcceptReplacesThePoint) {
    ReadUtm("tres.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\nP3,7,8,9,31\r\n");
    form.pointTable->selectRow(1);
    form.editPointButton->click();
    quillon::DialogoEditarPunto* editar = programa.dialogoEditar();
    Type(editar, "Q2", "455000,5", "4120000", "-10", "31");
    editar->confirmButton->click();

    EXPECT_FALSE(editar->isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(PointRows(), QStringList({"P1\t1.000\t2.000\t3.000\t29",
                                        "Q2\t455000.500\t4120000.000\t-10.000\t31",
                                        "P3\t7.000\t8.000\t9.000\t31"}));
    EXPECT_EQ(programa.state().PointTable[1].zone, 31);
    EXPECT_EQ(form.pointTable->SelectedRows(), QList<int>({1}));
    EXPECT_EQ(programa.state().pointCount, 3);
}

TEST_F(EditDialogTest, NamesEachBadFieldAndKeepsThePoint) {
    ReadUtm("uno.txt", "P1,455000.5,4120000,10,30\r\n");
    form.pointTable->selectRow(0);
    form.editPointButton->click();
    quillon::DialogoEditarPunto* editar = programa.dialogoEditar();
    Type(editar, "P1", "x", "y", "z", "30");
    editar->confirmButton->click();
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[0].text, "El dato introducido en «X UTM» ha de ser numérico");
    EXPECT_EQ(messages.shown[1].text, "El dato introducido en «Y UTM» ha de ser numérico");
    EXPECT_EQ(messages.shown[2].text, "El dato introducido en «Altitud H» ha de ser numérico");
    EXPECT_EQ(messages.shown[2].title, "Error de entrada");
    EXPECT_EQ(editar->focusWidget(), editar->coordinate1Edit);

    messages.shown.clear();
    Type(editar, "P1", "1", "2", "3", "32");
    editar->confirmButton->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "El Huso ha de ser 29, 30 ó 31");
    EXPECT_TRUE(editar->isVisible());

    PressKey(editar->coordinate1Edit, Qt::Key_Escape); // cancel
    EXPECT_FALSE(editar->isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(PointRows(), QStringList({"P1\t455000.500\t4120000.000\t10.000\t30"}));
}

// --- Zone dialog ------------------------------------------------------------------

class ZoneDialogTest : public PointListTest {
protected:
    ZoneDialogTest() {
        Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
        huso = programa.huso();
    }

    void Accept(const char* text) {
        huso->zoneEdit->setText(QString::fromUtf8(text));
        huso->acceptButton->click();
    }

    quillon::Huso* huso = nullptr;
};

TEST_F(ZoneDialogTest, EmptyFieldAssumesZone30) {
    EXPECT_EQ(huso->focusWidget(), huso->zoneEdit);
    PressKey(huso->zoneEdit, Qt::Key_Return);
    EXPECT_EQ(huso->focusWidget(), huso->acceptButton);

    Accept("");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Se supondrá que el Huso es el 30");
    EXPECT_EQ(messages.shown[0].title, "Advertencia");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(programa.state().drawingZone, 30.0);
    EXPECT_EQ(presenter.DrawingLines(),
              QStringList({"Se ha abierto el archivo:", "plano.dxf", "(Huso 30)"}));
    EXPECT_FALSE(huso->isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_TRUE(programa.state().drawingMode);
}

TEST_F(ZoneDialogTest, OnlyZones29To31CloseTheDialog) {
    EXPECT_FALSE(form.isEnabled());
    // Anything but a zone is refused, "30abc" and "30,5" too.
    for (const char* zone : {"32", "30.5", "30,5", "-30", "30abc"}) {
        messages.shown.clear();
        Accept(zone);
        ASSERT_EQ(messages.shown.size(), 1u) << zone;
        EXPECT_EQ(messages.shown[0].text, "El huso debe ser el 29, 30 ó 31");
        EXPECT_EQ(messages.shown[0].title, "Advertencia");
        EXPECT_TRUE(huso->isVisible());
        EXPECT_FALSE(form.isEnabled());
    }
    EXPECT_FALSE(programa.state().drawingMode);

    messages.shown.clear();
    Accept(" 31 ");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(programa.state().drawingZone, 31.0);
    EXPECT_EQ(presenter.DrawingLines().value(2), "(Huso 31)");
    EXPECT_FALSE(huso->isVisible());
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(ZoneDialogTest, CancelDropsTheDrawing) {
    huso->cancelButton->click();
    EXPECT_FALSE(programa.state().drawingMode);
    EXPECT_EQ(presenter.pointModel()->rowCount(), 0);
    EXPECT_FALSE(form.zone29Check->isChecked() || form.zone30Check->isChecked() ||
                 form.zone31Check->isChecked());
    EXPECT_FALSE(huso->isVisible());
    EXPECT_TRUE(form.isEnabled());
    // The list takes points again.
    EXPECT_TRUE(form.addPointButton->isEnabled());
    EXPECT_FALSE(form.deleteAllButton->isEnabled());
    EXPECT_EQ(form.pointCountLabel->text(), "0 puntos en total");
}

TEST_F(ZoneDialogTest, EscapeAndTheCloseBoxCancel) {
    PressKey(huso->zoneEdit, Qt::Key_Escape);
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
