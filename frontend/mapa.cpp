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

    Picture1 = new MapPicture(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Twips(120), Twips(120), raster_.width() + 2, raster_.height() + 2);

    // Legend beside the symbols Form_Load draws.
    const QPoint origin = Picture1->contentsRect().topLeft();
    const auto legendLine = [&](const char* name, const QString& text, double y) {
        auto* label = new QLabel(text, Picture1);
        label->setObjectName(QString::fromLatin1(name));
        const QPointF symbol = MapToPixel(kLegendX, y, raster_.width(), raster_.height());
        label->adjustSize();
        label->move(origin.x() + static_cast<int>(symbol.x()) + 9,
                    origin.y() + static_cast<int>(symbol.y()) - label->height() / 2);
        return label;
    };
    Label1 = legendLine("Label1", QStringLiteral("Punto de referencia para seleccionar vértices"),
                        kLegendReferenceY);
    Label2 = legendLine("Label2", QStringLiteral("Vértice Regente empleado en la transformación"),
                        kLegendVertexY);
    Label3 = legendLine("Label3", QStringLiteral("Capital de provincia"), kLegendCapitalY);
    Label4 = legendLine("Label4",
                        QStringLiteral("Mínimo Rectángulo Encuadrante de los puntos transformados"),
                        kLegendRectangleY);
    Shape1 = new QLabel(Picture1);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    const QPointF square =
        MapToPixel(kLegendX, kLegendRectangleY, raster_.width(), raster_.height());
    Shape1->setGeometry(origin.x() + static_cast<int>(square.x()) - 4,
                        origin.y() + static_cast<int>(square.y()) - 4, 9, 9);
    Shape1->setStyleSheet(QStringLiteral("border: 1px solid %1; background: transparent;")
                              .arg(PaletteColor(9).name()));

    // Pointer read-out, bottom left.
    const int readoutTop = origin.y() + raster_.height() - 58;
    Label5 = new QLabel(QStringLiteral("UTM HUSO 30"), Picture1);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setFont(SansFont(8, true));
    Label5->setGeometry(origin.x() + 6, readoutTop, 180, 16);
    Label6 = new QLabel(QStringLiteral("X = "), Picture1);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setGeometry(origin.x() + 6, readoutTop + 18, 26, 16);
    Label7 = new QLabel(QStringLiteral("Y = "), Picture1);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setGeometry(origin.x() + 6, readoutTop + 36, 26, 16);
    Label8 = new QLabel(kNoValue, Picture1);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setGeometry(origin.x() + 32, readoutTop + 18, 150, 16);
    Label9 = new QLabel(kNoValue, Picture1);
    Label9->setObjectName(QStringLiteral("Label9"));
    Label9->setGeometry(origin.x() + 32, readoutTop + 36, 150, 16);

    Command1 = new QPushButton(QStringLiteral("&Cerrar"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(width() - Twips(120) - Twips(1335), Twips(7515), Twips(1335), Twips(375));

    connect(Picture1, &MapPicture::pointerMoved, this, &Mapa::Picture1_MouseMove);
    connect(Command1, &QPushButton::clicked, this, &Mapa::Command1_Click);

    Form_Load();
}

void Mapa::Form_Load() {
    Picture1->setImage(raster_);
    DrawMapSymbol(kLegendX, kLegendReferenceY, 2);
    DrawMapSymbol(kLegendX, kLegendVertexY, 3);
    DrawMapSymbol(kLegendX, kLegendCapitalY, 1);
}

void Mapa::DrawMapSymbol(double x, double y, int kind) {
    quillon::DrawMapSymbol(Picture1->image(), x, y, kind);
    Picture1->update();
}

void Mapa::DrawMapEdge(double x1, double y1, double x2, double y2) {
    quillon::DrawMapEdge(Picture1->image(), x1, y1, x2, y2);
    Picture1->update();
}

void Mapa::Picture1_MouseMove(double x, double y) {
    const QImage& image = Picture1->image();
    const QPointF at = PixelToMap(x, y, image.width(), image.height());
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    Label8->setText(locale.toString(at.x(), 'f', 3));
    Label9->setText(locale.toString(at.y(), 'f', 3));
}

void Mapa::EnableForm() {
    if (Calculo* form = programa_.calculo()) {
        form->setEnabled(true);
    }
}

void Mapa::Command1_Click() {
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
        Command1_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillon
