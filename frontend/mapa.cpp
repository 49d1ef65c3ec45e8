#include "mapa.h"

#include "aplicacion.h"
#include "calculo.h"
#include "comun_widgets.h"
#include "mapa_vista.h"
#include "services.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <algorithm>

// The map's resources live in the frontend's static library: their
// initialiser is called by name so that the linker keeps it.
static void InitMapResources() {
    Q_INIT_RESOURCE(mapa);
}

namespace quillon {

namespace {

const QString kNoValue = QStringLiteral("- - - - - - - - - - - - - ");
const QString kExportFilter = QStringLiteral("Imagen PNG (*.png)|*.png|Dibujo SVG (*.svg)|*.svg");

} // namespace

Mapa::Mapa(Aplicacion& programa, QWidget* parent)
    : QWidget(parent, Qt::Window), programa_(programa) {
    setObjectName(QStringLiteral("mapa"));
    setWindowTitle(QStringLiteral(" Quillon - Mapa de la Comunidad Autónoma de Andalucía"));

    InitMapResources();
    mapView = Named(new MapView(this), "mapView");
    QFile background(QStringLiteral(":/mapa/fondo_andalucia.txt"));
    if (background.open(QIODevice::ReadOnly)) {
        mapView->setBackground(ReadMapBackground(background.readAll()));
    }
    legend = Named(new MapLegend(this), "legend");

    readoutHeadingLabel =
        Named(new QLabel(QStringLiteral("ED50 UTM huso 30"), this), "readoutHeadingLabel");
    readoutHeadingLabel->setFont(SansFont(8, true));
    auto* xCaption = new QLabel(QStringLiteral("X ="), this);
    auto* yCaption = new QLabel(QStringLiteral("Y ="), this);
    xValueLabel = Named(new QLabel(kNoValue, this), "xValueLabel");
    yValueLabel = Named(new QLabel(kNoValue, this), "yValueLabel");
    for (QLabel* value : {xValueLabel, yValueLabel}) {
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setMinimumWidth(
            value->fontMetrics().horizontalAdvance(QStringLiteral("4308027,000")) + 8);
    }
    methodNoteLabel = Named(new QLabel(this), "methodNoteLabel");
    methodNoteLabel->setFont(SansFont(8, true));
    methodNoteLabel->setWordWrap(true);

    fitButton = Named(new QPushButton(QStringLiteral("&Ajustar"), this), "fitButton");
    zoomInButton = Named(new QPushButton(QStringLiteral("+"), this), "zoomInButton");
    zoomOutButton = Named(new QPushButton(QStringLiteral("-"), this), "zoomOutButton");
    exportButton = Named(new QPushButton(QStringLiteral("&Exportar…"), this), "exportButton");
    closeButton = Named(new QPushButton(QStringLiteral("&Cerrar"), this), "closeButton");
    fitButton->setToolTip(QStringLiteral("Muestra todo el contenido del mapa"));
    zoomInButton->setToolTip(QStringLiteral("Acercar (rueda del ratón o +)"));
    zoomOutButton->setToolTip(QStringLiteral("Alejar (rueda del ratón o -)"));
    exportButton->setToolTip(QStringLiteral("Guarda el mapa como imagen PNG o dibujo SVG"));

    // The legend and the read-out beside the map, never over it.
    auto* side = new QVBoxLayout;
    side->addWidget(legend);
    side->addSpacing(12);
    side->addWidget(readoutHeadingLabel);
    auto* readout = new QHBoxLayout;
    readout->addWidget(xCaption);
    readout->addWidget(xValueLabel, 1);
    side->addLayout(readout);
    readout = new QHBoxLayout;
    readout->addWidget(yCaption);
    readout->addWidget(yValueLabel, 1);
    side->addLayout(readout);
    side->addSpacing(12);
    side->addWidget(methodNoteLabel);
    side->addStretch(1);
    auto* zoom = new QHBoxLayout;
    zoom->addWidget(zoomInButton);
    zoom->addWidget(zoomOutButton);
    zoom->addWidget(fitButton);
    side->addLayout(zoom);
    side->addWidget(exportButton);
    side->addWidget(closeButton);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(mapView, 1);
    layout->addLayout(side);

    connect(mapView, &MapView::pointerMoved, this, &Mapa::ShowPointer);
    connect(fitButton, &QPushButton::clicked, mapView, &MapView::fitAll);
    connect(zoomInButton, &QPushButton::clicked, this,
            [this] { mapView->zoomBy(1.5, QPointF(mapView->rect().center())); });
    connect(zoomOutButton, &QPushButton::clicked, this,
            [this] { mapView->zoomBy(1 / 1.5, QPointF(mapView->rect().center())); });
    connect(exportButton, &QPushButton::clicked, this, &Mapa::AskExport);
    connect(closeButton, &QPushButton::clicked, this, &Mapa::Leave);
    resize(1000, 640);
}

void Mapa::ShowRun(const MapDrawing* drawing) {
    mapView->setRun(drawing != nullptr ? std::optional<MapDrawing>(*drawing) : std::nullopt);
    legend->setArrowScale(mapView->arrowScale());
    methodNoteLabel->setText(drawing != nullptr ? drawing->methodNote : QString());
}

void Mapa::ShowPointer(double x, double y) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    xValueLabel->setText(locale.toString(x, 'f', 3));
    yValueLabel->setText(locale.toString(y, 'f', 3));
}

bool Mapa::Export(const QString& path) {
    // The map as shown, with the legend at its right.
    constexpr int kGap = 8;
    const QSize map = mapView->size();
    const QSize size(map.width() + kGap + legend->width(),
                     std::max(map.height(), legend->height() + kGap));
    const auto draw = [&](QPainter& painter) {
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        mapView->render(painter, map);
        legend->render(&painter, QPoint(map.width() + kGap, kGap), QRegion(),
                       QWidget::DrawChildren);
    };
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(windowTitle().trimmed());
        svg.setDescription(QStringLiteral("ED50 UTM huso 30"));
        QPainter painter;
        if (!painter.begin(&svg)) {
            return false;
        }
        draw(painter);
        return painter.end() && QFile::exists(path);
    }
    const qreal ratio = mapView->devicePixelRatioF();
    QImage image(size * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    draw(painter);
    painter.end();
    return image.save(path, "PNG");
}

void Mapa::AskExport() {
    CommonDialog dialog;
    dialog.filter = kExportFilter;
    dialog.fileName = QStringLiteral("mapa.png");
    QString path = programa_.files().ShowSave(dialog);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        // A name without an extension takes the chosen kind's.
        path += dialog.filterIndex == 2 ? QStringLiteral(".svg") : QStringLiteral(".png");
    }
    if (!Export(path)) {
        programa_.messages().Show(QStringLiteral("No se ha podido guardar el mapa en ") + path,
                                  QStringLiteral("Error"), MessageIcon::Critical);
    }
}

void Mapa::EnableForm() {
    if (Calculo* form = programa_.calculo()) {
        form->setEnabled(true);
    }
}

void Mapa::Leave() {
    EnableForm();
    setEnabled(false);
    hide();
}

void Mapa::closeEvent(QCloseEvent* event) {
    EnableForm();
    event->accept();
}

void Mapa::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Leave();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillon
