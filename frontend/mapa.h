// The map window "mapa": a raster map of Andalusia in ED50 UTM zone 30 on
// which the run draws the centroid, the bounding rectangle and the vertices
// it used, with a legend and a read-out of the pointer's coordinates.
#pragma once

#include "transformacion.h"

#include <QFrame>
#include <QImage>
#include <QWidget>
#include <optional>

class QLabel;
class QPushButton;

namespace quillon {

class Aplicacion;

// The picture box of the map. What is drawn on it stays until the map is
// loaded again: the picture keeps its own image, drawn over the raster.
class MapPicture : public QFrame {
    Q_OBJECT
public:
    explicit MapPicture(QWidget* parent = nullptr);

    // The drawing surface: one unit per pixel, covering MapExtent.
    QImage& image() { return image_; }
    const QImage& image() const { return image_; }
    void setImage(const QImage& image);
    // As large as the picture and its frame.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // Pointer position in picture pixels, from the top-left pixel.
    void pointerMoved(double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage image_;
};

class Mapa : public QWidget {
    Q_OBJECT
public:
    explicit Mapa(Aplicacion& programa, QWidget* parent = nullptr);

    MapPicture* mapPicture = nullptr;
    // Legend, inside the picture.
    QLabel* referenceLegendLabel = nullptr;  // reference point for the vertex search
    QLabel* vertexLegendLabel = nullptr;     // vertex used
    QLabel* capitalLegendLabel = nullptr;    // provincial capital
    QLabel* rectangleLegendSquare = nullptr; // light blue square of the bounding rectangle
    QLabel* rectangleLegendLabel = nullptr;  // bounding rectangle
    // Pointer read-out, inside the picture.
    QLabel* readoutHeadingLabel = nullptr; // "UTM HUSO 30"
    QLabel* xCaptionLabel = nullptr;       // "X = "
    QLabel* yCaptionLabel = nullptr;       // "Y = "
    QLabel* xValueLabel = nullptr;         // x value
    QLabel* yValueLabel = nullptr;         // y value
    QLabel* methodNoteLabel = nullptr;     // the run's method, when no vertex shows it
    QPushButton* closeButton = nullptr;    // "&Cerrar"

    // Shows what a run drew: the map loaded anew, then the centre of the
    // vertex search, the rectangle around the data and the vertices used.
    // Null: the map as loaded, with the legend only. A hidden map is drawn
    // when it is shown.
    void ShowRun(const MapDrawing* drawing);

    // Drawing on the picture, in ED50 UTM zone 30 metres.
    void DrawMapSymbol(double x, double y, int kind);
    void DrawMapEdge(double x1, double y1, double x2, double y2);

public slots:
    // Clears the picture back to the raster and draws the legend symbols.
    void Form_Load();
    void ShowPointer(double x, double y);
    void Leave();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void EnableForm();

    void DrawRun();

    Aplicacion& programa_;
    QImage raster_;
    // The run to draw, and whether the picture still lacks it.
    std::optional<MapDrawing> run_;
    bool runPending_ = false;
};

} // namespace quillon
