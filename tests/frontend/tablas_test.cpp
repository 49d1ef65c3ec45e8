// The point and result tables: columns by kind, copying as TAB-separated
// lines, Delete, and double-click to edit.
#include "epunto.h"
#include "principal.h"
#include "run_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLocale>
#include <QMouseEvent>

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

TEST(CoordinateHeaders, OneColumnPerCoordinate) {
    EXPECT_EQ(quillon::CoordinateHeaders(CoordinateKind::Geocentric),
              QStringList({"Identificador", "X", "Y", "Z"}));
    EXPECT_EQ(quillon::CoordinateHeaders(CoordinateKind::Geodetic),
              QStringList({"Identificador", "Latitud", "Longitud", "h"}));
    EXPECT_EQ(quillon::CoordinateHeaders(CoordinateKind::Utm),
              QStringList({"Identificador", "X UTM", "Y UTM", "H", "Huso"}));
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
              QStringList({"Identificador", "Latitud", "Longitud", "h", "Incert.\n95 % (m)"}));
    EXPECT_TRUE(presenter.resultModel()
                    ->headerData(4, Qt::Horizontal, Qt::ToolTipRole)
                    .toString()
                    .startsWith("Incertidumbre 95 % (m)"));
    EXPECT_EQ(Headers(presenter.pointModel()),
              QStringList({"Identificador", "X UTM", "Y UTM", "H", "Huso"}));
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
              "SERVILLETA\t298459.538\t4295133.07\t520.6\t30\t1.900\n"
              "SAN GARCÍA\t280923.327\t3998547.762\t30.7\t30\n");

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
    EXPECT_EQ(PointRows(), QStringList({"CABEZAS 1\t179274.028\t4172646.558\t250.2\t30"}));
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
    quillon::Epunto* epunto = programa.epunto();
    ASSERT_TRUE(epunto->isVisible());
    EXPECT_EQ(programa.state().editPoint, 2);
    EXPECT_EQ(epunto->identifierEdit->text(), "CABEZAS 1");
    epunto->coordinate3Edit->setText("251,5");
    epunto->confirmButton->click();
    EXPECT_EQ(programa.state().PointTable[1].c3, 251.5);

    form.pointTable->setCurrentIndex(presenter.pointModel()->index(2, 0));
    PressKey(form.pointTable, Qt::Key_Return);
    EXPECT_TRUE(epunto->isVisible());
    EXPECT_EQ(programa.state().editPoint, 3);
    epunto->leaveButton->click();
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
