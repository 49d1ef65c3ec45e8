#include "splash.h"

#include "module1.h"
#include "module1_widgets.h"
#include "principal.h"
#include "programa.h"

#include <QLabel>
#include <QPushButton>

namespace quillon {

namespace {
const QColor kPaleYellow(255, 255, 192);
} // namespace

Splash::Splash(Programa& programa, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), programa_(programa) {
    setObjectName(QStringLiteral("splash"));
    setWindowTitle(QStringLiteral("Quillon"));
    setFixedSize(Twips(6375), Twips(6000));
    move(Twips(4500), Twips(2500));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    Label1 = new QLabel(QStringLiteral("Conversor entre coordenadas ETRS89 y ED50"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(SerifFont(12.75, true, true));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    Label1->setFrameShape(QFrame::Box);
    Label1->setAutoFillBackground(true);
    QPalette yellow = Label1->palette();
    yellow.setColor(QPalette::Window, kPaleYellow);
    Label1->setPalette(yellow);
    Label1->setGeometry(Twips(360), Twips(360), Twips(5655), Twips(840));

    Label2 = new QLabel(
        QStringLiteral("Versión %1.%2").arg(QUILLON_VERSION_MAJOR).arg(QUILLON_VERSION_MINOR),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(SerifFont(14.25, true, true));
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setGeometry(Twips(360), Twips(1320), Twips(5655), Twips(480));

    const auto image = [&](const char* name, const QString& file, int left) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setAlignment(Qt::AlignCenter);
        label->setPixmap(programa_.Picture(file));
        label->setGeometry(Twips(left), Twips(2040), Twips(1440), Twips(1440));
        return label;
    };
    Image1 = image("Image1", QStringLiteral("splash_1.png"), 720);
    Image2 = image("Image2", QStringLiteral("splash_2.png"), 2468);
    Image3 = image("Image3", QStringLiteral("splash_3.png"), 4215);

    Label3 = new QLabel(
        QStringLiteral("Taller de Geodesia Quillon \u2014 ED50 \u2194 ETRS89 en Andalucía"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setWordWrap(true);
    Label3->setGeometry(Twips(360), Twips(3720), Twips(5655), Twips(480));

    Command1 = new QPushButton(QStringLiteral("&ENTRAR"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setFont(SansFont(8, true));
    Command1->setGeometry(Twips(2250), Twips(4680), Twips(1875), Twips(600));
    QPalette button = Command1->palette();
    button.setColor(QPalette::Button, kPaleYellow);
    Command1->setPalette(button);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &Splash::Command1_Click);
}

void Splash::Command1_Click() {
    Principal* frame = programa_.principal();
    frame->setEnabled(true);
    frame->show();
    frame->activateWindow();
    setEnabled(false);
    hide();
}

} // namespace quillon
