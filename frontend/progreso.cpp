#include "progreso.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <climits>

namespace quillon {

namespace {
// Longest time the window goes without being drawn while a method runs.
constexpr qint64 kPumpMilliseconds = 40;
} // namespace

Progreso::Progreso()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("progreso"));
    setWindowTitle(QStringLiteral("Progreso"));
    setWindowModality(Qt::ApplicationModal);
    captionLabel = new QLabel(QStringLiteral("Progreso"), this);
    captionLabel->setObjectName(QStringLiteral("captionLabel"));
    captionLabel->setAlignment(Qt::AlignCenter);
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setTextVisible(true);
    progressBar->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    cancelButton = new QPushButton(QStringLiteral("Cancelar"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(captionLabel);
    layout->addWidget(progressBar);
    layout->addLayout(buttons);

    connect(cancelButton, &QPushButton::clicked, this, &Progreso::RequestCancel);
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

void Progreso::SetCancellable(bool cancellable) {
    cancellable_ = cancellable;
    cancelButton->setVisible(cancellable);
}

void Progreso::Open(const QString& caption, std::uint64_t size) {
    setWindowTitle(caption);
    captionLabel->setText(caption + QStringLiteral("…"));
    cancelRequested_ = false;
    cancelButton->setEnabled(true);
    scale_ = size / static_cast<std::uint64_t>(INT_MAX) + 1;
    progressBar->setRange(0, static_cast<int>(size / scale_));
    progressBar->setValue(0);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    raise();
    // The window is drawn once it is exposed, which takes the event loop.
    Pump(true);
}

void Progreso::Step(std::uint64_t position) {
    progressBar->setValue(static_cast<int>(position / scale_));
    Pump(false);
}

void Progreso::Close() {
    hide();
}

void Progreso::Pump(bool now) {
    if (!now && sincePump_.isValid() && sincePump_.elapsed() < kPumpMilliseconds) {
        return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    repaint();
    sincePump_.start();
}

void Progreso::RequestCancel() {
    if (!cancellable_ || cancelRequested_) {
        return;
    }
    cancelRequested_ = true;
    cancelButton->setEnabled(false);
    captionLabel->setText(QStringLiteral("Cancelando…"));
    emit cancelled();
}

void Progreso::closeEvent(QCloseEvent* event) {
    // The window goes when the engine's method ends; closing it asks to stop.
    if (isVisible()) {
        RequestCancel();
        event->ignore();
        return;
    }
    event->accept();
}

void Progreso::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        RequestCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillon
