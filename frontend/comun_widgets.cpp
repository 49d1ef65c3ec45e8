#include "comun_widgets.h"

#include "comun.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <array>

namespace quillon {

void SetFrameEnabled(QWidget* frame, bool enabled) {
    if (frame == nullptr) {
        return;
    }
    frame->setEnabled(enabled);
    const auto controls = frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* control : controls) {
        if (control->isWindow()) {
            continue; // popups and dialogs are not contained controls
        }
        if (qobject_cast<QGroupBox*>(control) != nullptr) {
            SetFrameEnabled(control, enabled);
        } else {
            control->setEnabled(enabled);
        }
    }
}

QColor PaletteColor(int n) {
    static constexpr std::array<QRgb, 16> kPalette = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
        0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
    };
    return QColor::fromRgb(kPalette[static_cast<std::size_t>(n & 15)]);
}

void DrawMapSymbol(QImage& picture, const double& x, const double& y, int kind) {
    if (kind < 1 || kind > 3 || picture.isNull()) {
        return;
    }
    const QPointF at = MapToPixel(x, y, picture.width(), picture.height());
    QPainter painter(&picture);
    painter.setPen(PaletteColor(0));
    switch (kind) {
    case 1:
        painter.setBrush(PaletteColor(12));
        painter.drawEllipse(at, 3.0, 3.0);
        break;
    case 2:
        painter.setBrush(PaletteColor(0));
        painter.drawEllipse(at, 2.0, 2.0);
        break;
    default: {
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, 1.0, 1.0);
        constexpr double r = 5.0;
        const QPointF left(at.x() - r * 0.873150861, at.y() + r * 0.487450074);
        const QPointF top(at.x(), at.y() - r);
        const QPointF right(at.x() + r * 0.873150861, at.y() + r * 0.487450074);
        painter.drawLine(left, top);
        painter.drawLine(top, right);
        painter.drawLine(right, left);
        break;
    }
    }
}

void DrawMapEdge(QImage& picture, const double& x1, const double& y1, const double& x2,
                 const double& y2) {
    if (picture.isNull()) {
        return;
    }
    QPainter painter(&picture);
    painter.setPen(PaletteColor(9));
    painter.drawLine(MapToPixel(x1, y1, picture.width(), picture.height()),
                     MapToPixel(x2, y2, picture.width(), picture.height()));
}

QFont SansFont(double points, bool bold) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont SerifFont(double points, bool bold, bool italic) {
    QFont font(QStringLiteral("Serif"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont MonospaceFont(double points) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(points);
    return font;
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

QLabel* Heading(QWidget* parent, const char* name, const QString& text) {
    auto* label = Named(new QLabel(text, parent), name);
    label->setFont(SansFont(8, true));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, PaletteColor(1));
    label->setPalette(palette);
    return label;
}

} // namespace quillon
