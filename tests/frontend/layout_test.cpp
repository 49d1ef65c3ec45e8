// The frame window's layout: it resizes, the tables grow with it, and at
// any size the window takes, with the form's font or one twice as large,
// no control overlaps another or is cut short. The same tests run again
// with Qt's screen scale at 2 (QT_SCALE_FACTOR=2).
#include "aplicacion.h"
#include "ayuda.h"
#include "dialogo_anadir_punto.h"
#include "huso.h"
#include "mapa.h"
#include "point_list_fixture.h"
#include "principal.h"
#include "ventanalog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>

namespace quillon_test {
namespace {

// The widget's rectangle in the coordinates of `window`.
QRect InWindow(const QWidget* widget, const QWidget* window) {
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

bool Shown(const QWidget* widget) {
    return widget->isVisible() && !widget->isWindow() && widget->width() > 0;
}

// Every shown control of `window` against its siblings and its own needs:
// returns a description of each fault.
QStringList LayoutFaults(const QWidget* window) {
    QStringList faults;
    const auto name = [](const QWidget* w) {
        return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                         : w->objectName();
    };
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!Shown(widget) || widget->parentWidget() == nullptr ||
            qobject_cast<const QAbstractScrollArea*>(widget->parentWidget()) != nullptr ||
            widget->parentWidget()->inherits("QAbstractScrollArea") ||
            widget->parentWidget()->inherits("QHeaderView") ||
            widget->parentWidget()->inherits("QScrollBar")) {
            continue;
        }
        // Siblings do not overlap.
        for (const QObject* other : widget->parentWidget()->children()) {
            const auto* sibling = qobject_cast<const QWidget*>(other);
            if (sibling == nullptr || sibling == widget || !Shown(sibling) ||
                sibling->inherits("QStackedWidget") || widget->inherits("QStackedWidget") ||
                widget->parentWidget()->inherits("QStackedWidget")) {
                continue;
            }
            if (widget < sibling && widget->geometry().intersects(sibling->geometry())) {
                faults << name(widget) + " overlaps " + name(sibling);
            }
        }
        // Texts are not cut short.
        const bool texted = qobject_cast<const QAbstractButton*>(widget) != nullptr ||
                            qobject_cast<const QGroupBox*>(widget) != nullptr ||
                            qobject_cast<const QComboBox*>(widget) != nullptr ||
                            (qobject_cast<const QLabel*>(widget) != nullptr &&
                             !static_cast<const QLabel*>(widget)->text().isEmpty());
        if (texted) {
            const QSize needed = widget->minimumSizeHint();
            if (widget->width() < needed.width() || widget->height() < needed.height()) {
                faults << QStringLiteral("%1 is %2x%3, needs %4x%5")
                              .arg(name(widget))
                              .arg(widget->width())
                              .arg(widget->height())
                              .arg(needed.width())
                              .arg(needed.height());
            }
        }
        // Nothing lies outside the window.
        if (!window->rect().contains(InWindow(widget, window))) {
            faults << name(widget) + " lies outside the window";
        }
    }
    return faults;
}

class LayoutTest : public PointListTest {
protected:
    LayoutTest() : frame(*programa.principal()) {
        frame.show();
        QCoreApplication::processEvents();
    }

    // Lays the window out at `size` (or its smallest when smaller).
    void ResizeTo(QSize size) {
        frame.resize(size);
        QCoreApplication::processEvents();
    }

    quillon::Principal& frame;
};

TEST_F(LayoutTest, TheWindowResizesAndTheTablesGrow) {
    ResizeTo(frame.minimumSizeHint());
    const QSize small = frame.size();
    const QSize pointTable = form.pointTable->size();
    const QSize resultTable = form.resultTable->size();
    ResizeTo(small + QSize(400, 300));
    EXPECT_EQ(frame.size(), small + QSize(400, 300));
    EXPECT_GT(form.pointTable->width(), pointTable.width());
    EXPECT_GT(form.pointTable->height(), pointTable.height());
    EXPECT_GT(form.resultTable->width(), resultTable.width());
    EXPECT_GT(form.resultTable->height(), resultTable.height());
    // The 1280 x 800 screen of a laptop holds the whole window.
    EXPECT_LE(small.width(), 1280);
    EXPECT_LE(small.height(), 800);
}

TEST_F(LayoutTest, TheTitleStaysClearOfTheSystemFrames) {
    for (const QSize size : {QSize(0, 0), QSize(1600, 1000)}) {
        ResizeTo(size);
        for (const QWidget* group :
             std::initializer_list<const QWidget*>{form.sourceGroup, form.targetGroup}) {
            EXPECT_FALSE(InWindow(form.titleLabel, &frame).intersects(InWindow(group, &frame)))
                << group->objectName().toStdString();
        }
    }
}

TEST_F(LayoutTest, NothingOverlapsOrIsCutAtAnySize) {
    // Points listed and a run made, so that every control has its content.
    ReadUtm("uno.txt", "SERVILLETA,298569.727,4295339.009,520.6,30\r\n");
    RunForResults();
    for (const QSize size : {QSize(0, 0), QSize(1024, 700), QSize(1600, 1000)}) {
        ResizeTo(size);
        EXPECT_EQ(LayoutFaults(&frame), QStringList()) << size.width() << "x" << size.height();
    }
}

// At the size the window first takes on a common screen, both tables show
// every column of the sample list whole: nothing to scroll sideways.
TEST_F(LayoutTest, TheTablesNeedNoSidewaysScrollAtTheFirstSize) {
    Read(QStringLiteral(QUILLON_SOURCE_DATA_DIR "/muestra_lista_ed50_utm.txt"), 2);
    ASSERT_GT(presenter.pointCount(), 10);
    RunForResults();
    ResizeTo(QSize(1340, 760));
    for (const quillon::CoordinateTable* table : {form.pointTable, form.resultTable}) {
        EXPECT_EQ(table->horizontalScrollBar()->maximum(), 0) << table->objectName().toStdString();
        const QHeaderView* header = table->horizontalHeader();
        EXPECT_LE(header->sectionViewportPosition(header->count() - 1) +
                      header->sectionSize(header->count() - 1),
                  table->viewport()->width())
            << table->objectName().toStdString();
    }
}

TEST_F(LayoutTest, NothingOverlapsWithAFontTwiceAsLarge) {
    QFont large = frame.font();
    large.setPointSizeF(large.pointSizeF() * 2);
    frame.setFont(large);
    QCoreApplication::processEvents();
    for (const QSize size : {QSize(0, 0), QSize(2400, 1600)}) {
        ResizeTo(size);
        EXPECT_EQ(LayoutFaults(&frame), QStringList()) << size.width() << "x" << size.height();
    }
}

TEST_F(LayoutTest, DialogsAreLaidOutToo) {
    form.addPointButton->click();
    quillon::DialogoAnadirPunto* anadir = programa.dialogoAnadir();
    QCoreApplication::processEvents();
    EXPECT_EQ(LayoutFaults(anadir), QStringList());
    anadir->leaveButton->click();
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(LayoutFaults(programa.huso()), QStringList());
}

// The log, help and map windows are laid out too and can be resized: at
// their smallest and at a large size nothing overlaps, is cut short or lies
// outside.
TEST_F(LayoutTest, LogHelpAndMapWindowsAreLaidOut) {
    for (QWidget* window : std::initializer_list<QWidget*>{programa.ventanalog(), programa.ayuda(),
                                                           programa.mapa()}) {
        window->show();
        for (const QSize size : {QSize(0, 0), QSize(1600, 1000)}) {
            const QSize asked = size.expandedTo(window->minimumSizeHint());
            window->resize(asked);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            EXPECT_EQ(window->size(), asked) << window->objectName().toStdString();
            EXPECT_EQ(LayoutFaults(window), QStringList())
                << window->objectName().toStdString() << " " << size.width() << "x"
                << size.height();
        }
        window->hide();
    }
}

} // namespace
} // namespace quillon_test
