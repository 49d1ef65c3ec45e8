#include "progreso.h"

#include "module1_widgets.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <climits>

namespace quillon {

namespace {

// Dialog units of an 8-point "MS Sans Serif" dialog, in pixels at 96 dpi.
constexpr int DluX(int units) {
    return (units * 3 + 1) / 2;
}
constexpr int DluY(int units) {
    return (units * 13 + 4) / 8;
}

} // namespace

Progreso::Progreso() : QWidget(nullptr, Qt::Dialog) {
    setObjectName(QStringLiteral("Progreso"));
    setWindowTitle(QStringLiteral("Progreso"));
    setFont(SansFont(8));
    setFixedSize(DluX(186), DluY(49));
    Label1 = new QLabel(QStringLiteral("Progreso"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(0, DluY(8), width(), DluY(12));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(DluX(15), DluY(26), DluX(155), DluY(7));
}

DzvProgressCallbacks Progreso::Callbacks() {
    DzvProgressCallbacks callbacks{};
    callbacks.context = this;
    callbacks.open = [](void* self, const char* caption, std::uint64_t size) {
        static_cast<Progreso*>(self)->Open(QString::fromUtf8(caption), size);
    };
    callbacks.step = [](void* self, std::uint64_t position) {
        static_cast<Progreso*>(self)->Step(position);
    };
    callbacks.close = [](void* self) { static_cast<Progreso*>(self)->Close(); };
    return callbacks;
}

void Progreso::Open(const QString& caption, std::uint64_t size) {
    setWindowTitle(caption);
    scale_ = size / static_cast<std::uint64_t>(INT_MAX) + 1;
    ProgressBar1->setRange(0, static_cast<int>(size / scale_));
    ProgressBar1->setValue(0);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
    show();
    repaint();
}

void Progreso::Step(std::uint64_t position) {
    ProgressBar1->setValue(static_cast<int>(position / scale_));
    ProgressBar1->repaint();
}

void Progreso::Close() {
    hide();
}

} // namespace quillon
