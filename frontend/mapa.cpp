#include "mapa.h"

#include "aplicacion.h"
#include "calculo.h"
#include "comun.h"
#include "comun_widgets.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon {

namespace {

// Size of the map raster, in pixels.
constexpr int kRasterWidth = 759;
constexpr int kRasterHeight = 484;

// Legend symbols: x and y of each in zone 30 metres.
constexpr double kLegendX = 346000.0;
constexpr double kLegendReferenceY = 4020000.0;
constexpr double kLegendVertexY = 4005000.0;
constexpr double kLegendCapitalY = 3987000.0;
// y of the fourth legend line, the bounding rectangle's square.
constexpr double kLegendRectangleY = 3970000.0;

const QString kNoValue = QStringLiteral("- - - - - - - - - - - - - ");

} // namespace

MapPicture::MapPicture(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
}

void MapPicture::setImage(const QImage& image) {
    const bool resized = image.size() != image_.size();
    image_ = image;
    if (resized) {
        updateGeometry();
    }
    update();
}

QSize MapPicture::sizeHint() const {
    const int frame = 2 * frameWidth();
    return image_.size() + QSize(frame, frame);
}

void MapPicture::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), image_);
}

void MapPicture::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position() - QPointF(contentsRect().topLeft());
    emit pointerMoved(at.x(), at.y());
    QFrame::mouseMoveEvent(event);
}

Mapa::Mapa(Aplicacion& programa, QWidget* parent)
    : QWidget(parent, Qt::Window), programa_(programa) {
    setObjectName(QStringLiteral("mapa"));
    setWindowTitle(QStringLiteral(" Quillon - Mapa de la Comunidad Autónoma de Andalucía"));

    raster_ = QImage(programa_.dataFolder() + QStringLiteral("/mapa_andalucia.png"));
    if (raster_.isNull()) {
        raster_ = QImage(kRasterWidth, kRasterHeight, QImage::Format_RGB32);
        raster_.fill(Qt::white);
    }
    raster_ = raster_.convertToFormat(QImage::Format_RGB32);

    mapPicture = new MapPicture(this);
    mapPicture->setObjectName(QStringLiteral("mapPicture"));
    mapPicture->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    mapPicture->setImage(raster_);

    // Legend beside the symbols Form_Load draws.
    const QPoint origin = mapPicture->contentsRect().topLeft();
    const auto legendLine = [&](const char* name, const QString& text, double y) {
        auto* label = new QLabel(text, mapPicture);
        label->setObjectName(QString::fromLatin1(name));
        const QPointF symbol = MapToPixel(kLegendX, y, raster_.width(), raster_.height());
        label->adjustSize();
        label->move(origin.x() + static_cast<int>(symbol.x()) + 9,
                    origin.y() + static_cast<int>(symbol.y()) - label->height() / 2);
        return label;
    };
    referenceLegendLabel = legendLine(
        "referenceLegendLabel", QStringLiteral("Punto de referencia para seleccionar vértices"),
        kLegendReferenceY);
    vertexLegendLabel =
        legendLine("vertexLegendLabel",
                   QStringLiteral("Vértice Regente empleado en la transformación"), kLegendVertexY);
    capitalLegendLabel =
        legendLine("capitalLegendLabel", QStringLiteral("Capital de provincia"), kLegendCapitalY);
    rectangleLegendLabel =
        legendLine("rectangleLegendLabel",
                   QStringLiteral("Mínimo Rectángulo Encuadrante de los puntos transformados"),
                   kLegendRectangleY);
    rectangleLegendSquare = new QLabel(mapPicture);
    rectangleLegendSquare->setObjectName(QStringLiteral("rectangleLegendSquare"));
    const QPointF square =
        MapToPixel(kLegendX, kLegendRectangleY, raster_.width(), raster_.height());
    rectangleLegendSquare->resize(9, 9);
    rectangleLegendSquare->move(origin.x() + static_cast<int>(square.x()) - 4,
                                origin.y() + static_cast<int>(square.y()) - 4);
    rectangleLegendSquare->setStyleSheet(
        QStringLiteral("border: 1px solid %1; background: transparent;")
            .arg(PaletteColor(9).name()));

    // Pointer read-out, bottom left of the picture.
    readoutHeadingLabel =
        Named(new QLabel(QStringLiteral("UTM HUSO 30"), mapPicture), "readoutHeadingLabel");
    readoutHeadingLabel->setFont(SansFont(8, true));
    xCaptionLabel = Named(new QLabel(QStringLiteral("X = "), mapPicture), "xCaptionLabel");
    yCaptionLabel = Named(new QLabel(QStringLiteral("Y = "), mapPicture), "yCaptionLabel");
    xValueLabel = Named(new QLabel(kNoValue, mapPicture), "xValueLabel");
    yValueLabel = Named(new QLabel(kNoValue, mapPicture), "yValueLabel");
    auto* readout = new QGridLayout(mapPicture);
    readout->setContentsMargins(6, 6, 6, 6);
    readout->setHorizontalSpacing(0);
    readout->setVerticalSpacing(2);
    readout->setRowStretch(0, 1);
    readout->setColumnStretch(2, 1);
    readout->addWidget(readoutHeadingLabel, 1, 0, 1, 2);
    readout->addWidget(xCaptionLabel, 2, 0);
    readout->addWidget(xValueLabel, 2, 1);
    readout->addWidget(yCaptionLabel, 3, 0);
    readout->addWidget(yValueLabel, 3, 1);

    closeButton = Named(new QPushButton(QStringLiteral("&Cerrar"), this), "closeButton");
    methodNoteLabel = Named(new QLabel(this), "methodNoteLabel");
    methodNoteLabel->setFont(SansFont(8, true));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(methodNoteLabel, 1);
    bottom->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mapPicture, 1, Qt::AlignCenter);
    layout->addLayout(bottom);

    connect(mapPicture, &MapPicture::pointerMoved, this, &Mapa::ShowPointer);
    connect(closeButton, &QPushButton::clicked, this, &Mapa::Leave);

    Form_Load();
}

void Mapa::Form_Load() {
    mapPicture->setImage(raster_);
    DrawMapSymbol(kLegendX, kLegendReferenceY, 2);
    DrawMapSymbol(kLegendX, kLegendVertexY, 3);
    DrawMapSymbol(kLegendX, kLegendCapitalY, 1);
}

void Mapa::ShowRun(const MapDrawing* drawing) {
    run_.reset();
    if (drawing != nullptr) {
        run_ = *drawing;
    }
    runPending_ = true;
    if (isVisible()) {
        DrawRun();
    }
}

void Mapa::showEvent(QShowEvent* event) {
    if (runPending_) {
        DrawRun();
    }
    QWidget::showEvent(event);
}

void Mapa::DrawRun() {
    runPending_ = false;
    Form_Load();
    methodNoteLabel->setText(run_ ? run_->methodNote : QString());
    if (!run_) {
        return;
    }
    const MapDrawing& d = *run_;
    DrawMapSymbol(d.xc, d.yc, 2);
    DrawMapEdge(d.xMin, d.yMax, d.xMax, d.yMax);
    DrawMapEdge(d.xMax, d.yMax, d.xMax, d.yMin);
    DrawMapEdge(d.xMax, d.yMin, d.xMin, d.yMin);
    DrawMapEdge(d.xMin, d.yMin, d.xMin, d.yMax);
    for (const QPointF& vertex : d.vertices) {
        DrawMapSymbol(vertex.x(), vertex.y(), 3);
    }
}

void Mapa::DrawMapSymbol(double x, double y, int kind) {
    quillon::DrawMapSymbol(mapPicture->image(), x, y, kind);
    mapPicture->update();
}

void Mapa::DrawMapEdge(double x1, double y1, double x2, double y2) {
    quillon::DrawMapEdge(mapPicture->image(), x1, y1, x2, y2);
    mapPicture->update();
}

void Mapa::ShowPointer(double x, double y) {
    const QImage& image = mapPicture->image();
    const QPointF at = PixelToMap(x, y, image.width(), image.height());
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    xValueLabel->setText(locale.toString(at.x(), 'f', 3));
    yValueLabel->setText(locale.toString(at.y(), 'f', 3));
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
