#include "comun.h"
#include "comun_widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(NumberText, SignBlankAndNoLeadingZero) {
    EXPECT_EQ(NumberText(30.0), " 30");
    EXPECT_EQ(NumberText(0.5), " .5");
    EXPECT_EQ(NumberText(-0.5), "-.5");
    EXPECT_EQ(NumberText(-3.5), "-3.5");
    EXPECT_EQ(NumberText(0.0), " 0");
    EXPECT_EQ(NumberText(-0.0), " 0");
    EXPECT_EQ(NumberText(455000.25), " 455000.25");
    EXPECT_EQ(NumberText(4308027.0), " 4308027");
    EXPECT_EQ(NumberText(-439473.317), "-439473.317");
}

TEST(NumberText, FifteenSignificantDigits) {
    EXPECT_EQ(NumberText(1.0 / 3.0), " .333333333333333");
    EXPECT_EQ(NumberText(2.0 / 3.0), " .666666666666667");
    EXPECT_EQ(NumberText(-4.08666666666666666), "-4.08666666666667");
    EXPECT_EQ(NumberText(123456789012345.0), " 123456789012345");
    EXPECT_EQ(NumberText(0.1 + 0.2), " .3");
    // Rounding to 15 digits can carry into a new leading digit.
    EXPECT_EQ(NumberText(9.999999999999998), " 10");
}

TEST(NumberText, ExponentFormOutsideThePositionalRange) {
    EXPECT_EQ(NumberText(1e14), " 100000000000000");
    EXPECT_EQ(NumberText(1e15), " 1E+15");
    EXPECT_EQ(NumberText(-1234567890123456789.0), "-1.23456789012346E+18");
    EXPECT_EQ(NumberText(0.0001), " .0001");
    EXPECT_EQ(NumberText(0.00012345), " .00012345");
    EXPECT_EQ(NumberText(1.5e-5), " 1.5E-05");
    EXPECT_EQ(NumberText(-2.5e-7), "-2.5E-07");
    EXPECT_EQ(NumberText(1e-100), " 1E-100");
    EXPECT_EQ(NumberText(1e300), " 1E+300");
}

TEST(Sexagesimal, PackedToDegrees) {
    EXPECT_NEAR(PackedToDegrees(37.4557947), 37.766096, 5e-7);
    EXPECT_NEAR(PackedToDegrees(-37.4557947), -37.766096, 5e-7);
    EXPECT_EQ(PackedToDegrees(0.0), 0.0);
    EXPECT_NEAR(PackedToDegrees(1.3), 1.5, 1e-12);
    // The values a point file receives for 37º45'57''947, -4º05'12''.
    EXPECT_EQ(NumberText(PackedToDegrees(37.4557947)), " 37.7660963888889");
    EXPECT_EQ(NumberText(PackedToDegrees(-4.0512)), "-4.08666666666667");
}

TEST(Sexagesimal, DegreesToPacked) {
    EXPECT_NEAR(DegreesToPacked(37.5), 37.3, 1e-12);
    EXPECT_NEAR(DegreesToPacked(-37.5), -37.3, 1e-12);
    EXPECT_EQ(DegreesToPacked(0.0), 0.0);
    EXPECT_NEAR(DegreesToPacked(37.7660963888889), 37.4557947, 1e-9);
    EXPECT_NEAR(DegreesToPacked(PackedToDegrees(-7.2959123)), -7.2959123, 1e-9);
}

TEST(PathText, SplitAtTheLastSeparator) {
    const QString path = QStringLiteral("C:\\datos\\zona.v2.txt");
    EXPECT_EQ(TextAfterLast(path, QLatin1Char('\\')), "zona.v2.txt");
    EXPECT_EQ(TextBeforeLast(path, QLatin1Char('.')), "C:\\datos\\zona.v2");
    EXPECT_EQ(TextAfterLast(QStringLiteral("zona.txt"), QLatin1Char('\\')), "zona.txt");
    EXPECT_EQ(TextBeforeLast(QStringLiteral("zona"), QLatin1Char('.')), "zona");
    EXPECT_EQ(TextAfterLast(QStringLiteral("C:\\datos\\"), QLatin1Char('\\')), "");
    EXPECT_EQ(TextBeforeLast(QString(), QLatin1Char('.')), "");
}

// Identifiers of every length keep their text, inline (up to 15 bytes of
// UTF-8) or in a block of their own, through copies, moves and assignments.
TEST(PointId, KeepsItsTextWhateverItsLength) {
    const QString texts[] = {
        QString(),
        QStringLiteral("V1"),
        QStringLiteral("123456789012345"),  // 15 bytes: the longest inline
        QStringLiteral("1234567890123456"), // 16 bytes: a block of its own
        QStringLiteral("Álamo €"),          // 10 bytes of UTF-8
        QStringLiteral("Vértice geodésico de la Red de Andalucía nº 1042"),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        PointId id(text);
        EXPECT_EQ(id.text(), text);
        EXPECT_EQ(id.bytes(), text.toStdString());
        EXPECT_EQ(id.isEmpty(), text.isEmpty());
        PointId copy(id);
        EXPECT_TRUE(copy == id);
        PointId moved(std::move(copy));
        EXPECT_EQ(moved.text(), text);
        PointId assigned("otro de más de quince bytes");
        assigned = moved;
        EXPECT_EQ(assigned.text(), text);
        PointId taken = "X";
        taken = std::move(assigned);
        EXPECT_EQ(taken.text(), text);
        EXPECT_EQ(moved.text(), text);
    }
    EXPECT_FALSE(PointId("1234567890123456") == PointId("123456789012345"));
}

TEST(Regions, LimitsAreInclusive) {
    EXPECT_TRUE(RegionUtm30.Contains(82482.0, 3954000.0));
    EXPECT_TRUE(RegionUtm30.Contains(639000.0, 4308000.0));
    EXPECT_FALSE(RegionUtm30.Contains(82481.99, 4000000.0));
    EXPECT_FALSE(RegionUtm30.Contains(300000.0, 4308000.01));
    EXPECT_FALSE(RegionUtm31.Contains(200000.0, 4100000.0));
    EXPECT_TRUE(RegionUtm29.Contains(700000.0, 4100000.0));
    EXPECT_TRUE(RegionGeocentric.Contains(5000000.0, -400000.0));
    EXPECT_FALSE(RegionGeocentric.Contains(5000000.0, 400000.0));
    // Geodetic limits are latitude, then longitude, packed sexagesimal.
    EXPECT_TRUE(RegionGeodetic.Contains(37.4557947, -4.0512));
    EXPECT_FALSE(RegionGeodetic.Contains(-4.0512, 37.4557947));
}

TEST(MapFrame, CornersAndRoundTrip) {
    EXPECT_EQ(MapToPixel(MapExtent.xMin, MapExtent.yMax, 759, 484), QPointF(0, 0));
    EXPECT_EQ(MapToPixel(MapExtent.xMax, MapExtent.yMin, 759, 484), QPointF(759, 484));
    const QPointF back = PixelToMap(120.5, 300.25, 759, 484);
    const QPointF pixel = MapToPixel(back.x(), back.y(), 759, 484);
    EXPECT_NEAR(pixel.x(), 120.5, 1e-9);
    EXPECT_NEAR(pixel.y(), 300.25, 1e-9);
}

TEST(DialogFilters, OnePerPairInOrder) {
    EXPECT_EQ(NameFilters(QStringLiteral(
                  "TXT - no UTM (*.txt)|*.txt|TXT - UTM (*.txt)|*.txt|Autocad DXF (*.dxf)|*.dxf|")),
              QStringList({"TXT - no UTM (*.txt)", "TXT - UTM (*.txt)", "Autocad DXF (*.dxf)"}));
    EXPECT_EQ(NameFilters(QStringLiteral("txt|*.txt|Autocad 12 dxf (*.dxf)|*.dxf")),
              QStringList({"txt (*.txt)", "Autocad 12 dxf (*.dxf)"}));
}

// Zone 30 point of the map picture's pixel (px, py).
QPointF MapPoint(double px, double py) {
    return PixelToMap(px, py, 759, 484);
}

QImage WhitePicture() {
    QImage picture(759, 484, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

// Pixels that differ from white, outside a square of `radius` around (x, y).
int ChangedOutside(const QImage& picture, int x, int y, int radius) {
    int changed = 0;
    for (int py = 0; py < picture.height(); ++py) {
        for (int px = 0; px < picture.width(); ++px) {
            const bool near = std::abs(px - x) <= radius && std::abs(py - y) <= radius;
            if (!near && picture.pixel(px, py) != qRgb(255, 255, 255)) {
                ++changed;
            }
        }
    }
    return changed;
}

TEST(MapDrawing, SymbolsAtTheirPixel) {
    const QPointF at = MapPoint(100, 50);

    QImage capital = WhitePicture();
    DrawMapSymbol(capital, at.x(), at.y(), 1);
    EXPECT_EQ(capital.pixel(100, 50), qRgb(255, 0, 0));
    EXPECT_EQ(ChangedOutside(capital, 100, 50, 4), 0);

    QImage reference = WhitePicture();
    DrawMapSymbol(reference, at.x(), at.y(), 2);
    EXPECT_EQ(reference.pixel(100, 50), qRgb(0, 0, 0));
    EXPECT_EQ(reference.pixel(103, 50), qRgb(255, 255, 255));
    EXPECT_EQ(ChangedOutside(reference, 100, 50, 3), 0);

    QImage vertex = WhitePicture();
    DrawMapSymbol(vertex, at.x(), at.y(), 3);
    EXPECT_EQ(vertex.pixel(100, 45), qRgb(0, 0, 0)); // apex of the triangle
    EXPECT_EQ(vertex.pixel(100, 52), qRgb(0, 0, 0)); // middle of its base
    EXPECT_EQ(ChangedOutside(vertex, 100, 50, 6), 0);

    for (int kind : {0, 4, -1}) {
        QImage nothing = WhitePicture();
        DrawMapSymbol(nothing, at.x(), at.y(), kind);
        EXPECT_EQ(nothing, WhitePicture()) << "kind " << kind;
    }
}

TEST(MapDrawing, EdgeInLightBlue) {
    QImage picture = WhitePicture();
    const QPointF from = MapPoint(10, 20);
    const QPointF to = MapPoint(200, 20);
    DrawMapEdge(picture, from.x(), from.y(), to.x(), to.y());
    EXPECT_EQ(picture.pixel(100, 20), qRgb(0, 0, 255));
    EXPECT_EQ(picture.pixel(100, 22), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(205, 20), qRgb(255, 255, 255));
}

TEST(SetFrameEnabled, NestedFramesFollow) {
    QGroupBox outer;
    auto* button = new QPushButton(&outer);
    auto* inner = new QGroupBox(&outer);
    auto* check = new QCheckBox(inner);
    auto* label = new QLabel(inner);

    SetFrameEnabled(&outer, false);
    // Each control is disabled itself, not only through its container.
    for (QWidget* control : std::initializer_list<QWidget*>{&outer, button, inner, check, label}) {
        EXPECT_TRUE(control->testAttribute(Qt::WA_Disabled)) << control->metaObject()->className();
    }
    SetFrameEnabled(&outer, true);
    for (QWidget* control : std::initializer_list<QWidget*>{&outer, button, inner, check, label}) {
        EXPECT_TRUE(control->isEnabled()) << control->metaObject()->className();
    }
    SetFrameEnabled(nullptr, true); // skipped silently
}

} // namespace
} // namespace quillon
