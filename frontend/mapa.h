// The map window "mapa": a raster map of Andalusia in ED50 UTM zone 30 on
// which the run draws the centroid, the bounding rectangle and the vertices
// it used, with a legend and a read-out of the pointer's coordinates.
#pragma once

#include <QFrame>
#include <QImage>
#include <QWidget>

class QLabel;
class QPushButton;

namespace quillon {

class Programa;

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
    explicit Mapa(Programa& programa, QWidget* parent = nullptr);

    MapPicture* Picture1 = nullptr;
    // Legend, inside the picture.
    QLabel* Label1 = nullptr; // reference point for the vertex search
    QLabel* Label2 = nullptr; // vertex used
    QLabel* Label3 = nullptr; // provincial capital
    QLabel* Shape1 = nullptr; // light blue square of the bounding rectangle
    QLabel* Label4 = nullptr; // bounding rectangle
    // Pointer read-out, inside the picture.
    QLabel* Label5 = nullptr;        // "UTM HUSO 30"
    QLabel* Label6 = nullptr;        // "X = "
    QLabel* Label7 = nullptr;        // "Y = "
    QLabel* Label8 = nullptr;        // x value
    QLabel* Label9 = nullptr;        // y value
    QPushButton* Command1 = nullptr; // "&Cerrar"

    // Drawing on the picture, in ED50 UTM zone 30 metres.
    void DrawMapSymbol(double x, double y, int kind);
    void DrawMapEdge(double x1, double y1, double x2, double y2);

public slots:
    // Clears the picture back to the raster and draws the legend symbols.
    void Form_Load();
    void Picture1_MouseMove(double x, double y);
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void EnableForm();

    Programa& programa_;
    QImage raster_;
};

} // namespace quillon
