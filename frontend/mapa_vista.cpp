#include "mapa_vista.h"

#include "comun.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

const QColor kSea(0xDDEBF5);
const QColor kLand(0xF4F1E6);
const QColor kLandEdge(0x9A9A8A);
// The province lines, lighter than the coast and the borders between countries.
const QColor kProvinceLine(0xC2BDA8);
const QColor kPoint(0x1F4FB0);
const QColor kRefused(0xD01010);
const QColor kVertex(0x107020);
const QColor kArrow(0xC05000);
const QColor kRectangle(0x2080FF);

// The region the program serves: what the map shows with no run.
QRectF RegionArea() {
    return QRectF(QPointF(MapExtent.xMin, MapExtent.yMin), QPointF(MapExtent.xMax, MapExtent.yMax));
}

// Up to this many input points each gets its symbol; more are drawn as dots.
constexpr qsizetype kSymbolPoints = 5000;

// The smallest span the fit shows, metres: a lone point gets 2 km around it.
constexpr double kMinimumSpan = 2000.0;

// The arrow of a residual: a shaft from `from` to `to` and a head at `to`.
void DrawArrow(QPainter& painter, QPointF from, QPointF to) {
    painter.drawLine(from, to);
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    if (length < 1.0) {
        return;
    }
    const QPointF u = d / length;
    const QPointF n(-u.y(), u.x());
    const double head = std::min(8.0, length * 0.4);
    QPolygonF tip;
    tip << to << to - u * head + n * head * 0.45 << to - u * head - n * head * 0.45;
    painter.save();
    painter.setBrush(painter.pen().color());
    painter.drawPolygon(tip);
    painter.restore();
}

QString MetresText(double metres) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (metres >= 1000.0) {
        return locale.toString(metres / 1000.0, 'g', 6) + QStringLiteral(" km");
    }
    return locale.toString(metres, 'g', 6) + QStringLiteral(" m");
}

} // namespace

MapBackground ReadMapBackground(const QByteArray& text) {
    MapBackground background;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QList<QByteArray> head = lines[i].trimmed().split(' ');
        if (head.size() != 2 || head[0].startsWith('#')) {
            continue;
        }
        bool ok = false;
        const int n = head[1].toInt(&ok);
        if (!ok || n < 2 || i + n >= lines.size()) {
            break;
        }
        QPolygonF line;
        for (int k = 1; k <= n && ok; ++k) {
            const QList<QByteArray> xy = lines[i + k].trimmed().split(' ');
            bool okX = false;
            bool okY = false;
            if (xy.size() == 2) {
                line << QPointF(xy[0].toDouble(&okX), xy[1].toDouble(&okY));
            }
            ok = okX && okY;
        }
        if (!ok) {
            break;
        }
        if (head[0] == "tierra") {
            background.land.push_back(line);
        } else if (head[0] == "limite") {
            background.borders.push_back(line);
        }
        i += n;
    }
    return background;
}

void DrawMapSymbol(QPainter& painter, MapSymbol symbol, QPointF at) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    switch (symbol) {
    case MapSymbol::Point:
        painter.setPen(QPen(Qt::white, 1.0));
        painter.setBrush(kPoint);
        painter.drawEllipse(at, 3.5, 3.5);
        break;
    case MapSymbol::Refused:
        painter.setPen(QPen(kRefused, 2.0));
        painter.drawLine(at + QPointF(-4, -4), at + QPointF(4, 4));
        painter.drawLine(at + QPointF(-4, 4), at + QPointF(4, -4));
        break;
    case MapSymbol::Vertex: {
        painter.setPen(QPen(Qt::black, 1.0));
        painter.setBrush(kVertex);
        QPolygonF triangle;
        triangle << at + QPointF(0, -6) << at + QPointF(5.5, 4) << at + QPointF(-5.5, 4);
        painter.drawPolygon(triangle);
        break;
    }
    case MapSymbol::Residual:
        painter.setPen(QPen(kArrow, 2.0));
        DrawArrow(painter, at - QPointF(10, 0), at + QPointF(10, 0));
        break;
    case MapSymbol::Centre:
        painter.setPen(QPen(Qt::black, 1.5));
        painter.drawLine(at + QPointF(-7, 0), at + QPointF(7, 0));
        painter.drawLine(at + QPointF(0, -7), at + QPointF(0, 7));
        painter.setBrush(Qt::black);
        painter.drawEllipse(at, 2.0, 2.0);
        break;
    case MapSymbol::Rectangle:
        painter.setPen(QPen(kRectangle, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(at - QPointF(6, 5), QSizeF(12, 10)));
        break;
    }
    painter.restore();
}

double RoundDown125(double value) {
    if (!(value > 0.0) || !std::isfinite(value)) {
        return 1.0;
    }
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * power <= value * (1.0 + 1e-12)) {
            return step * power;
        }
    }
    return power;
}

MapView::MapView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAutoFillBackground(false);
}

void MapView::setBackground(MapBackground background) {
    background_ = std::move(background);
    update();
}

void MapView::setRun(const std::optional<MapDrawing>& run) {
    run_ = run;
    // The arrows: the longest residual drawn as a tenth of the content's
    // larger side, by a round factor.
    arrowScale_ = 1.0;
    if (run_) {
        double longest = 0.0;
        for (const QPointF& r : run_->residuals) {
            longest = std::max(longest, std::hypot(r.x(), r.y()));
        }
        if (longest > 0.0) {
            const QRectF area = contentArea();
            arrowScale_ = RoundDown125(std::max(area.width(), area.height()) * 0.1 / longest);
        }
    }
    fitAll();
}

QRectF MapView::contentArea() const {
    if (!run_) {
        return RegionArea();
    }
    const MapDrawing& d = *run_;
    QRectF area(QPointF(d.xMin, d.yMin), QPointF(d.xMax, d.yMax));
    area = area.normalized();
    const auto add = [&area](QPointF p) {
        if (std::isfinite(p.x()) && std::isfinite(p.y())) {
            area.setLeft(std::min(area.left(), p.x()));
            area.setRight(std::max(area.right(), p.x()));
            area.setTop(std::min(area.top(), p.y()));
            area.setBottom(std::max(area.bottom(), p.y()));
        }
    };
    add(QPointF(d.xc, d.yc));
    for (const QPointF& p : d.points) {
        add(p);
    }
    for (const QPointF& p : d.refused) {
        add(p);
    }
    for (qsizetype i = 0; i < d.vertices.size(); ++i) {
        add(d.vertices[i]);
        if (i < d.residuals.size()) {
            add(d.vertices[i] + d.residuals[i] * arrowScale_);
        }
    }
    const QPointF centre = area.center();
    const double w = std::max(area.width(), kMinimumSpan);
    const double h = std::max(area.height(), kMinimumSpan);
    return QRectF(centre.x() - w / 2, centre.y() - h / 2, w, h);
}

QTransform MapView::transformFor(QSize size) const {
    // North up: y grows upwards on the map and downwards on the screen.
    QTransform t;
    t.translate(size.width() / 2.0, size.height() / 2.0);
    t.scale(pixelsPerMetre_, -pixelsPerMetre_);
    t.translate(-centre_.x(), -centre_.y());
    return t;
}

QTransform MapView::transform() const {
    return transformFor(size());
}

QRectF MapView::visibleArea() const {
    return transform().inverted().mapRect(QRectF(rect()));
}

void MapView::fitAll() {
    const QRectF area = contentArea();
    // A margin of 6 % on each side, and room for the scale bar in the
    // bottom left corner, so that it hides nothing of the content.
    const double margin =
        std::max({width() * 0.06, height() * 0.06, fontMetrics().height() + 32.0});
    const double w = std::max(1.0, width() - 2 * margin);
    const double h = std::max(1.0, height() - 2 * margin);
    pixelsPerMetre_ = std::min(w / area.width(), h / area.height());
    centre_ = area.center();
    fitted_ = true;
    update();
    emit viewChanged();
}

void MapView::zoomBy(double factor, QPointF anchor) {
    // The map point under `anchor` stays there.
    const QPointF before = transform().inverted().map(anchor);
    pixelsPerMetre_ = std::clamp(pixelsPerMetre_ * factor, 1e-5, 100.0);
    const QPointF after = transform().inverted().map(anchor);
    centre_ += before - after;
    fitted_ = false;
    update();
    emit viewChanged();
}

void MapView::panBy(QPointF pixels) {
    centre_ += QPointF(-pixels.x(), pixels.y()) / pixelsPerMetre_;
    fitted_ = false;
    update();
    emit viewChanged();
}

double MapView::scaleBarMetres() const {
    // About a fifth of the view's width.
    return RoundDown125(std::max(1, width()) * 0.2 / pixelsPerMetre_);
}

void MapView::render(QPainter& painter, QSize size) const {
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), size));
    painter.fillRect(QRect(QPoint(0, 0), size), kSea);
    const QTransform t = transformFor(size);
    painter.setRenderHint(QPainter::Antialiasing);

    // Background: the land, then the province lines.
    painter.setPen(QPen(kLandEdge, 1.0));
    painter.setBrush(kLand);
    for (const QPolygonF& ring : background_.land) {
        painter.drawPolygon(t.map(ring));
    }
    painter.setPen(QPen(kProvinceLine, 1.0, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    for (const QPolygonF& line : background_.borders) {
        painter.drawPolyline(t.map(line));
    }
    // The region the program serves.
    painter.setPen(QPen(QColor(0x808080), 1.0, Qt::DotLine));
    painter.drawRect(t.mapRect(RegionArea()));

    if (run_) {
        const MapDrawing& d = *run_;
        painter.setPen(QPen(kRectangle, 1.5));
        painter.drawRect(t.mapRect(QRectF(QPointF(d.xMin, d.yMin), QPointF(d.xMax, d.yMax))));
        if (d.points.size() <= kSymbolPoints) {
            for (const QPointF& p : d.points) {
                DrawMapSymbol(painter, MapSymbol::Point, t.map(p));
            }
        } else {
            // Many points: square dots, drawn at once.
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(QPen(kPoint, 3.0, Qt::SolidLine, Qt::SquareCap));
            painter.drawPoints(t.map(QPolygonF(d.points)));
            painter.restore();
        }
        for (const QPointF& p : d.refused) {
            DrawMapSymbol(painter, MapSymbol::Refused, t.map(p));
        }
        for (const QPointF& v : d.vertices) {
            DrawMapSymbol(painter, MapSymbol::Vertex, t.map(v));
        }
        painter.setPen(QPen(kArrow, 2.0));
        for (qsizetype i = 0; i < std::min(d.vertices.size(), d.residuals.size()); ++i) {
            DrawArrow(painter, t.map(d.vertices[i]),
                      t.map(d.vertices[i] + d.residuals[i] * arrowScale_));
        }
        DrawMapSymbol(painter, MapSymbol::Centre, t.map(QPointF(d.xc, d.yc)));
    }
    drawScaleBar(painter, size);
    painter.restore();
}

void MapView::drawScaleBar(QPainter& painter, QSize size) const {
    const double metres = RoundDown125(size.width() * 0.2 / pixelsPerMetre_);
    const double pixels = metres * pixelsPerMetre_;
    const QFontMetrics fm(painter.font());
    const QPointF left(12, size.height() - 12);
    const QRectF box(left - QPointF(6, fm.height() + 12), QSizeF(pixels + 12, fm.height() + 18));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRect(box);
    painter.setPen(QPen(Qt::black, 2.0));
    painter.drawLine(left, left + QPointF(pixels, 0));
    painter.drawLine(left, left - QPointF(0, 5));
    painter.drawLine(left + QPointF(pixels, 0), left + QPointF(pixels, -5));
    painter.drawText(QRectF(left - QPointF(0, fm.height() + 6), QSizeF(pixels, fm.height())),
                     Qt::AlignCenter, MetresText(metres));
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    render(painter, size());
}

void MapView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (fitted_ || pixelsPerMetre_ <= 0.0) {
        fitAll();
    }
}

void MapView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0.0) {
        zoomBy(std::pow(1.25, steps), event->position());
    }
    event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragFrom_ = event->position();
        setCursor(Qt::ClosedHandCursor);
    }
    QWidget::mousePressEvent(event);
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
        panBy(event->position() - *dragFrom_);
        dragFrom_ = event->position();
    }
    const QPointF at = transform().inverted().map(event->position());
    emit pointerMoved(at.x(), at.y());
    QWidget::mouseMoveEvent(event);
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragFrom_.reset();
        setCursor(Qt::CrossCursor);
    }
    QWidget::mouseReleaseEvent(event);
}

void MapView::keyPressEvent(QKeyEvent* event) {
    const QPointF middle(width() / 2.0, height() / 2.0);
    const double step = std::min(width(), height()) * 0.25;
    switch (event->key()) {
    case Qt::Key_Plus:
        zoomBy(1.5, middle);
        return;
    case Qt::Key_Minus:
        zoomBy(1 / 1.5, middle);
        return;
    case Qt::Key_Left:
        panBy(QPointF(step, 0));
        return;
    case Qt::Key_Right:
        panBy(QPointF(-step, 0));
        return;
    case Qt::Key_Up:
        panBy(QPointF(0, step));
        return;
    case Qt::Key_Down:
        panBy(QPointF(0, -step));
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

// --- Legend ------------------------------------------------------------------

namespace {

struct LegendLine {
    MapSymbol symbol;
    const char* text;
};
constexpr LegendLine kLegend[] = {
    {MapSymbol::Point, "Punto de entrada"},
    {MapSymbol::Refused, "Punto no transformado"},
    {MapSymbol::Vertex, "Vértice empleado"},
    {MapSymbol::Residual, "Residuo del vértice"},
    {MapSymbol::Centre, "Centro de búsqueda de vértices"},
    {MapSymbol::Rectangle, "Rectángulo de los puntos"},
};
constexpr int kSymbolColumn = 30;

} // namespace

MapLegend::MapLegend(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void MapLegend::setArrowScale(double scale) {
    arrowScale_ = scale;
    updateGeometry();
    update();
}

QStringList MapLegend::lines() const {
    QStringList out;
    for (const LegendLine& line : kLegend) {
        out << QString::fromUtf8(line.text);
    }
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    out << QStringLiteral("Flechas: residuo × ") + locale.toString(arrowScale_, 'g', 12);
    return out;
}

QSize MapLegend::sizeHint() const {
    const QFontMetrics fm(font());
    int w = 0;
    for (const QString& line : lines()) {
        w = std::max(w, fm.horizontalAdvance(line));
    }
    const int lineHeight = std::max(fm.height(), 16) + 6;
    return {kSymbolColumn + w + 12, 8 + lineHeight * static_cast<int>(lines().size())};
}

void MapLegend::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics fm(font());
    const int lineHeight = std::max(fm.height(), 16) + 6;
    const QStringList text = lines();
    int y = 4;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QRect row(0, y, width(), lineHeight);
        if (i < static_cast<qsizetype>(std::size(kLegend))) {
            DrawMapSymbol(painter, kLegend[i].symbol,
                          QPointF(kSymbolColumn / 2.0, row.center().y()));
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(row.adjusted(kSymbolColumn, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         text[i]);
        y += lineHeight;
    }
}

} // namespace quillon
