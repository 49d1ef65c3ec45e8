// The map's drawing surface: the region's background, the points of a run,
// the vertices it used with their residual arrows, its search centre and its
// rectangle, all in ED50 UTM zone 30 metres. The view zooms (wheel, + and -),
// pans (drag, arrow keys) and fits all ("Ajustar"); it draws itself on any
// painter, so the same drawing goes to the screen, a PNG or an SVG file.
#pragma once

#include "transformacion.h"

#include <QPolygonF>
#include <QRectF>
#include <QTransform>
#include <QWidget>
#include <optional>

namespace quillon {

// The region's background: land rings (filled) and province lines.
struct MapBackground {
    QVector<QPolygonF> land;
    QVector<QPolygonF> borders;
};

// Reads the background's text form: "<layer> <n>" then n lines "<x> <y>";
// layers "tierra" and "limite"; lines starting with '#' are comments. A
// damaged text gives what was read before the damage.
MapBackground ReadMapBackground(const QByteArray& text);

// The symbols of the map and its legend.
enum class MapSymbol {
    Point,     // an input point the run transformed
    Refused,   // an input point left out (outside the region or refused)
    Vertex,    // a vertex the run's parameters were estimated from
    Residual,  // a vertex's residual arrow
    Centre,    // the centre of the vertex search
    Rectangle, // the rectangle around the points
};
void DrawMapSymbol(QPainter& painter, MapSymbol symbol, QPointF at);

// The largest "round" number (1, 2 or 5 times a power of ten) not above `value`.
double RoundDown125(double value);

class MapView : public QWidget {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);

    void setBackground(MapBackground background);
    // The run to draw; none: the background alone.
    void setRun(const std::optional<MapDrawing>& run);
    const std::optional<MapDrawing>& run() const { return run_; }

    // Metres of ED50 UTM zone 30 to pixels of the view.
    QTransform transform() const;
    // The area of the map the view shows, in metres.
    QRectF visibleArea() const;
    // What "Ajustar" shows: the run's points, vertices, arrows and
    // rectangle, or the region when there is no run.
    QRectF contentArea() const;
    // How many times the residual arrows are drawn longer than the residuals.
    double arrowScale() const { return arrowScale_; }
    // Length of the scale bar in metres, for the present zoom.
    double scaleBarMetres() const;

    void zoomBy(double factor, QPointF anchor);
    void panBy(QPointF pixels);
    void fitAll();

    // Draws the map on a surface of `size` pixels with the present view.
    void render(QPainter& painter, QSize size) const;

    QSize sizeHint() const override { return {640, 460}; }
    QSize minimumSizeHint() const override { return {320, 240}; }

signals:
    // The pointer's position in ED50 UTM zone 30 metres.
    void pointerMoved(double x, double y);
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTransform transformFor(QSize size) const;
    void drawScaleBar(QPainter& painter, QSize size) const;

    MapBackground background_;
    std::optional<MapDrawing> run_;
    double arrowScale_ = 1.0;
    // The view: the map point at the centre and the pixels per metre.
    QPointF centre_;
    double pixelsPerMetre_ = 0.0;
    // Until the user zooms or pans, a resize fits the content again.
    bool fitted_ = true;
    std::optional<QPointF> dragFrom_;
};

// The legend, beside the map: one line per symbol the map may show, the
// arrows' scale factor with them.
class MapLegend : public QWidget {
    Q_OBJECT
public:
    explicit MapLegend(QWidget* parent = nullptr);
    void setArrowScale(double scale);
    QStringList lines() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double arrowScale_ = 1.0;
};

} // namespace quillon
