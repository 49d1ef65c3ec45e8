// The shared routines of the desktop program that work on widgets and pictures:
// enabling a frame with its contents, the map symbols, the classic palette
// and the program's fonts.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

class QImage;
class QWidget;

namespace quillon {

// Sets the enabled state of `frame` and of every control it contains; a
// contained frame (group box) is handled the same way, so nested groups
// follow. A null frame is skipped.
void SetFrameEnabled(QWidget* frame, bool enabled);

// Colour n (0..15) of the classic 16-colour palette: 0 black, 9 light blue,
// 12 light red, ...
QColor PaletteColor(int n);

// Draws on the map picture (which covers MapExtent, one picture unit per
// pixel) the symbol `kind` at the ED50 UTM zone 30 point (x, y):
// 1 a light red dot of radius 3 outlined in black, 2 a black dot of radius 2,
// 3 a small black circle inside a triangle of circumradius 5. Other kinds
// draw nothing.
void DrawMapSymbol(QImage& picture, const double& x, const double& y, int kind);

// Draws on the map picture a light blue line between two zone 30 points.
void DrawMapEdge(QImage& picture, const double& x1, const double& y1, const double& x2,
                 const double& y2);

// Fonts of the forms: "MS Sans Serif" is the system's sans-serif and
// "Courier New" its monospace; sizes in points.
QFont SansFont(double points, bool bold = false);
QFont SerifFont(double points, bool bold = false, bool italic = false);
QFont MonospaceFont(double points);

// The widget with its object name (the name tests and settings find it by).
template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A heading of the point dialogs: bold, dark blue.
QLabel* Heading(QWidget* parent, const char* name, const QString& text);

// A caption that reports clicks, for captions that act as part of the
// control beside them.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace quillon
