// The map window "mapa": the region in ED50 UTM zone 30 with the points of
// the last run, the vertices it used and their residuals, its search centre
// and its rectangle; zoom, pan and fit; the legend beside the map, the
// pointer's coordinates under it; export as PNG or SVG.
#pragma once

#include "transformacion.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace quillon {

class Aplicacion;
class MapView;
class MapLegend;

class Mapa : public QWidget {
    Q_OBJECT
public:
    explicit Mapa(Aplicacion& programa, QWidget* parent = nullptr);

    MapView* mapView = nullptr;
    MapLegend* legend = nullptr;
    QLabel* readoutHeadingLabel = nullptr; // "ED50 UTM huso 30"
    QLabel* xValueLabel = nullptr;
    QLabel* yValueLabel = nullptr;
    QLabel* methodNoteLabel = nullptr;    // the run's method, when no vertex shows it
    QPushButton* fitButton = nullptr;     // "&Ajustar"
    QPushButton* zoomInButton = nullptr;  // "+"
    QPushButton* zoomOutButton = nullptr; // "-"
    QPushButton* exportButton = nullptr;  // "&Exportar…"
    QPushButton* closeButton = nullptr;   // "&Cerrar"

    // Shows what a run drew. Null: the region alone.
    void ShowRun(const MapDrawing* drawing);

    // Writes the map as it is shown, with its legend at the right, to
    // `path`: SVG when the name ends in .svg, else PNG. False when the file cannot be written.
    bool Export(const QString& path);

public slots:
    // The pointer's position in ED50 UTM zone 30 metres.
    void ShowPointer(double x, double y);
    void AskExport();
    void Leave();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void EnableForm();

    Aplicacion& programa_;
};

} // namespace quillon
