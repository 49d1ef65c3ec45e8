// The point and result tables: columns by kind, copying as TAB-separated
// lines, Delete, and double-click to edit.
#include "dialogo_editar_punto.h"
#include "principal.h"
#include "run_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLocale>
#include <QMouseEvent>
#include <vector>

namespace quillon_test {
namespace {

using quillon::CoordinateKind;

QStringList Headers(const QAbstractItemModel* model) {
    QStringList headers;
    for (int column = 0; column < model->columnCount(); ++column) {
        headers << model->headerData(column, Qt::Horizontal).toString();
    }
    return headers;
}

TEST(CoordinateHeaders, EachColumnSaysItsUnitAndFormat) {
    struct Case {
        CoordinateKind kind;
        bool orthometric;
        QStringList headers;
    };
    const std::vector<Case> cases = {
        {CoordinateKind::Geocentric, false, {"Identificador", "X\n(m)", "Y\n(m)", "Z\n(m)"}},
        {CoordinateKind::Geodetic,
         false,
         {"Identificador", "Latitud\n(gg.mmssss)", "Longitud\n(gg.mmssss)", "h elipsoidal\n(m)"}},
        {CoordinateKind::Geodetic,
         true, // only the H of UTM points is orthometric
         {"Identificador", "Latitud\n(gg.mmssss)", "Longitud\n(gg.mmssss)", "h elipsoidal\n(m)"}},
        {CoordinateKind::Utm,
         false,
         {"Identificador", "X UTM\n(m)", "Y UTM\n(m)", "h elipsoidal\n(m)", "Huso"}},
        {CoordinateKind::Utm,
         true,
         {"Identificador", "X UTM\n(m)", "Y UTM\n(m)", "H ortométrica\n(m)", "Huso"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(quillon::CoordinateHeaders(c.kind, c.orthometric), c.headers)
            << static_cast<int>(c.kind) << " " << c.orthometric;
    }
}

// Cells show fixed decimals by kind: metres to the millimetre, packed
// sexagesimal angles to 1e-5 of a second (carrying a rounded-up 60 s into
// the minutes and 60 min into the degrees), in the user's decimal sign.
TEST(CellText, FixedDecimalsByKind) {
    struct Case {
        double value;
        bool packed;
        QString c;  // C locale
        QString es; // Spanish locale
    };
    const std::vector<Case> cases = {
        {447905.82, false, "447905.820", "447905,820"},
        {4097928.1, false, "4097928.100", "4097928,100"},
        {-0.0004, false, "0.000", "0,000"},               // no "-0.000"
        {1234567.0, false, "1234567.000", "1234567,000"}, // no group separator
        {37.4557947, true, "37.455794700", "37,455794700"},
        {-4.0512, true, "-4.051200000", "-4,051200000"},
        {36.305999999996, true, "36.310000000", "36,310000000"}, // 59.99999999 s
        {37.595999999996, true, "38.000000000", "38,000000000"}, // 59 min 59.99999999 s
    };
    const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    for (const Case& c : cases) {
        const auto text = [&c](const QLocale& locale) {
            return c.packed ? quillon::PackedAngleText(c.value, locale)
                            : quillon::MetreText(c.value, locale);
        };
        EXPECT_EQ(text(QLocale::c()), c.c) << c.value;
        EXPECT_EQ(text(spanish), c.es) << c.value;
    }
}

class TableTest : public RunTest {
protected:
    void ThreeUtmPoints() {
        ReadUtm("tres.txt", "SERVILLETA,298569.727,4295339.009,520.6,30\r\n"
                            "CABEZAS 1,179274.028,4172646.558,250.2,30\r\n"
                            "SAN GARCÍA,281035.667,3998752.728,30.7,30\r\n");
    }
};

TEST_F(TableTest, ResultColumnsFollowTheTargetKind) {
    ThreeUtmPoints();
    Datums(0, 1);
    form.targetGeodeticOption->click();
    Run();
    EXPECT_EQ(Headers(presenter.resultModel()),
              QStringList({"Identificador", "Latitud\n(gg.mmssss)", "Longitud\n(gg.mmssss)",
                           "h elipsoidal\n(m)", "Incert.\n95 % (m)"}));
    EXPECT_TRUE(presenter.resultModel()
                    ->headerData(4, Qt::Horizontal, Qt::ToolTipRole)
                    .toString()
                    .startsWith("Incertidumbre 95 % (m)"));
    EXPECT_EQ(
        Headers(presenter.pointModel()),
        QStringList({"Identificador", "X UTM\n(m)", "Y UTM\n(m)", "h elipsoidal\n(m)", "Huso"}));
    form.orthometricCheck->click(); // the H of the UTM points is orthometric
    EXPECT_EQ(
        Headers(presenter.pointModel()),
        QStringList({"Identificador", "X UTM\n(m)", "Y UTM\n(m)", "H ortométrica\n(m)", "Huso"}));
    EXPECT_EQ(presenter.resultModel()->headerData(2, Qt::Vertical).toInt(), 3);
}

// Ctrl+C copies the selected cells as lines of TAB-separated cells, with the
// user's decimal sign, ready to paste into a spreadsheet.
TEST_F(TableTest, CopiesSelectedRowsAsTabSeparatedLines) {
    ThreeUtmPoints();
    Datums(0, 1);
    form.zone30Check->click();
    Run();
    quillon::CoordinateTable* table = form.resultTable;
    table->selectRow(0);
    table->selectionModel()->select(
        QItemSelection(presenter.resultModel()->index(2, 0), presenter.resultModel()->index(2, 4)),
        QItemSelectionModel::Select);
    QApplication::clipboard()->clear();
    PressKey(table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              "SERVILLETA\t298459.538\t4295133.070\t520.600\t30\t1.900\n"
              "SAN GARCÍA\t280923.327\t3998547.762\t30.700\t30\n");

    // Single cells of several rows, in the user's locale.
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    table->clearSelection();
    for (const auto& [row, column] : {std::pair{1, 2}, std::pair{0, 1}, std::pair{1, 1}}) {
        table->selectionModel()->select(presenter.resultModel()->index(row, column),
                                        QItemSelectionModel::Select);
    }
    const QString copied = table->SelectedText();
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(copied, "298459,538\n179163,243\t4172441,796\n");
}

TEST_F(TableTest, DeleteRemovesTheSelectedPoints) {
    ThreeUtmPoints();
    form.pointTable->selectRow(0);
    form.pointTable->selectionModel()->select(presenter.pointModel()->index(2, 3),
                                              QItemSelectionModel::Select);
    PressKey(form.pointTable, Qt::Key_Delete);
    EXPECT_EQ(PointRows(), QStringList({"CABEZAS 1\t179274.028\t4172646.558\t250.200\t30"}));
    EXPECT_EQ(form.pointCountLabel->text(), "1 puntos en total");

    // Delete in the result table removes nothing.
    Datums(0, 1);
    Run();
    form.resultTable->selectRow(0);
    PressKey(form.resultTable, Qt::Key_Delete);
    EXPECT_EQ(ResultRows().size(), 1);
}

TEST_F(TableTest, DoubleClickOrEnterEditsThePoint) {
    ThreeUtmPoints();
    const QModelIndex cell = presenter.pointModel()->index(1, 2);
    const QRect area = form.pointTable->visualRect(cell);
    ASSERT_TRUE(area.isValid());
    const QPoint at = area.center();
    const QPoint global = form.pointTable->viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, at, global, Qt::LeftButton, Qt::LeftButton,
                            Qt::NoModifier);
    for (QMouseEvent* event : {&press, &release, &doubleClick}) {
        QCoreApplication::sendEvent(form.pointTable->viewport(), event);
    }
    quillon::DialogoEditarPunto* editar = programa.dialogoEditar();
    ASSERT_TRUE(editar->isVisible());
    EXPECT_EQ(programa.state().editPoint, 2);
    EXPECT_EQ(editar->identifierEdit->text(), "CABEZAS 1");
    editar->coordinate3Edit->setText("251,5");
    editar->confirmButton->click();
    EXPECT_EQ(programa.state().PointTable[1].c3, 251.5);

    form.pointTable->setCurrentIndex(presenter.pointModel()->index(2, 0));
    PressKey(form.pointTable, Qt::Key_Return);
    EXPECT_TRUE(editar->isVisible());
    EXPECT_EQ(programa.state().editPoint, 3);
    editar->leaveButton->click();
}

// The numbers are shown whole and the identifier takes the rest of the
// width, at any size of the window.
TEST_F(TableTest, ColumnsFitTheirNumbersAndFillTheTable) {
    ThreeUtmPoints();
    Datums(0, 1);
    Run();
    quillon::Principal* frame = programa.principal();
    frame->show();
    for (const QSize size : {QSize(1000, 700), QSize(1600, 1000)}) {
        frame->resize(size);
        QCoreApplication::processEvents();
        for (const QAbstractItemView* table :
             std::initializer_list<const QAbstractItemView*>{form.pointTable, form.resultTable}) {
            const QHeaderView* header = form.pointTable == table
                                            ? form.pointTable->horizontalHeader()
                                            : form.resultTable->horizontalHeader();
            int numbers = 0;
            for (int column = 1; column < header->count(); ++column) {
                numbers += header->sectionSize(column);
                EXPECT_GE(header->sectionSize(column), table->sizeHintForColumn(column))
                    << table->objectName().toStdString() << " " << column;
            }
            EXPECT_EQ(header->sectionSize(0),
                      std::max({table->viewport()->width() - numbers, table->sizeHintForColumn(0),
                                header->sectionSizeHint(0)}))
                << table->objectName().toStdString() << " " << size.width();
        }
    }
}

} // namespace
} // namespace quillon_test
