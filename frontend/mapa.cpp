#include "mapa.h"

#include "calculo.h"
#include "module1.h"
#include "module1_widgets.h"
#include "programa.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

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
    image_ = image;
    update();
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

Mapa::Mapa(Programa& programa, QWidget* parent) : QWidget(parent, Qt::Window), programa_(programa) {
    setObjectName(QStringLiteral("mapa"));
    setWindowTitle(QStringLiteral(" Quillon - Mapa de la Comunidad Autónoma de Andalucía"));
    setFixedSize(Twips(11640), Twips(7935));

    raster_ = QImage(programa_.dataFolder() + QStringLiteral("/mapa_andalucia.png"));
    if (raster_.isNull()) {
        raster_ = QImage(kRasterWidth, kRasterHeight, QImage::Format_RGB32);
        raster_.fill(Qt::white);
    }
    raster_ = raster_.convertToFormat(QImage::Format_RGB32);

    mapPicture = new MapPicture(this);
    mapPicture->setObjectName(QStringLiteral("mapPicture"));
    mapPicture->setGeometry(Twips(120), Twips(120), raster_.width() + 2, raster_.height() + 2);

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
    rectangleLegendSquare->setGeometry(origin.x() + static_cast<int>(square.x()) - 4,
                                       origin.y() + static_cast<int>(square.y()) - 4, 9, 9);
    rectangleLegendSquare->setStyleSheet(
        QStringLiteral("border: 1px solid %1; background: transparent;")
            .arg(PaletteColor(9).name()));

    // Pointer read-out, bottom left.
    const int readoutTop = origin.y() + raster_.height() - 58;
    readoutHeadingLabel = new QLabel(QStringLiteral("UTM HUSO 30"), mapPicture);
    readoutHeadingLabel->setObjectName(QStringLiteral("readoutHeadingLabel"));
    readoutHeadingLabel->setFont(SansFont(8, true));
    readoutHeadingLabel->setGeometry(origin.x() + 6, readoutTop, 180, 16);
    xCaptionLabel = new QLabel(QStringLiteral("X = "), mapPicture);
    xCaptionLabel->setObjectName(QStringLiteral("xCaptionLabel"));
    xCaptionLabel->setGeometry(origin.x() + 6, readoutTop + 18, 26, 16);
    yCaptionLabel = new QLabel(QStringLiteral("Y = "), mapPicture);
    yCaptionLabel->setObjectName(QStringLiteral("yCaptionLabel"));
    yCaptionLabel->setGeometry(origin.x() + 6, readoutTop + 36, 26, 16);
    xValueLabel = new QLabel(kNoValue, mapPicture);
    xValueLabel->setObjectName(QStringLiteral("xValueLabel"));
    xValueLabel->setGeometry(origin.x() + 32, readoutTop + 18, 150, 16);
    yValueLabel = new QLabel(kNoValue, mapPicture);
    yValueLabel->setObjectName(QStringLiteral("yValueLabel"));
    yValueLabel->setGeometry(origin.x() + 32, readoutTop + 36, 150, 16);

    closeButton = new QPushButton(QStringLiteral("&Cerrar"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setGeometry(width() - Twips(120) - Twips(1335), Twips(7515), Twips(1335),
                             Twips(375));

    methodNoteLabel = new QLabel(this);
    methodNoteLabel->setObjectName(QStringLiteral("methodNoteLabel"));
    methodNoteLabel->setFont(SansFont(8, true));
    methodNoteLabel->setGeometry(Twips(120), closeButton->y(), closeButton->x() - Twips(240),
                                 closeButton->height());

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
