#include "splash.h"

#include "aplicacion.h"
#include "comun.h"
#include "comun_widgets.h"
#include "principal.h"

#include <QLabel>
#include <QPushButton>

namespace quillon {

namespace {
const QColor kPaleYellow(255, 255, 192);
} // namespace

Splash::Splash(Aplicacion& programa, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), programa_(programa) {
    setObjectName(QStringLiteral("splash"));
    setWindowTitle(QStringLiteral("Quillon"));
    setFixedSize(Twips(6375), Twips(6000));
    move(Twips(4500), Twips(2500));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    titleLabel = new QLabel(QStringLiteral("Conversor entre coordenadas ETRS89 y ED50"), this);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    titleLabel->setFont(SerifFont(12.75, true, true));
    titleLabel->setAlignment(Qt::AlignCenter);
    titleLabel->setWordWrap(true);
    titleLabel->setFrameShape(QFrame::Box);
    titleLabel->setAutoFillBackground(true);
    QPalette yellow = titleLabel->palette();
    yellow.setColor(QPalette::Window, kPaleYellow);
    titleLabel->setPalette(yellow);
    titleLabel->setGeometry(Twips(360), Twips(360), Twips(5655), Twips(840));

    versionLabel = new QLabel(
        QStringLiteral("Versión %1.%2").arg(QUILLON_VERSION_MAJOR).arg(QUILLON_VERSION_MINOR),
        this);
    versionLabel->setObjectName(QStringLiteral("versionLabel"));
    versionLabel->setFont(SerifFont(14.25, true, true));
    versionLabel->setAlignment(Qt::AlignCenter);
    versionLabel->setGeometry(Twips(360), Twips(1320), Twips(5655), Twips(480));

    const auto image = [&](const char* name, const QString& file, int left) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setAlignment(Qt::AlignCenter);
        label->setPixmap(programa_.Picture(file));
        label->setGeometry(Twips(left), Twips(2040), Twips(1440), Twips(1440));
        return label;
    };
    leftPicture = image("leftPicture", QStringLiteral("splash_1.png"), 720);
    middlePicture = image("middlePicture", QStringLiteral("splash_2.png"), 2468);
    rightPicture = image("rightPicture", QStringLiteral("splash_3.png"), 4215);

    creditsLabel = new QLabel(
        QStringLiteral("Taller de Geodesia Quillon \u2014 ED50 \u2194 ETRS89 en Andalucía"), this);
    creditsLabel->setObjectName(QStringLiteral("creditsLabel"));
    creditsLabel->setAlignment(Qt::AlignCenter);
    creditsLabel->setWordWrap(true);
    creditsLabel->setGeometry(Twips(360), Twips(3720), Twips(5655), Twips(480));

    enterButton = new QPushButton(QStringLiteral("&ENTRAR"), this);
    enterButton->setObjectName(QStringLiteral("enterButton"));
    enterButton->setFont(SansFont(8, true));
    enterButton->setGeometry(Twips(2250), Twips(4680), Twips(1875), Twips(600));
    QPalette button = enterButton->palette();
    button.setColor(QPalette::Button, kPaleYellow);
    enterButton->setPalette(button);
    enterButton->setDefault(true);
    connect(enterButton, &QPushButton::clicked, this, &Splash::Enter);
}

void Splash::Enter() {
    Principal* frame = programa_.principal();
    frame->setEnabled(true);
    frame->show();
    frame->activateWindow();
    setEnabled(false);
    hide();
}

} // namespace quillon
