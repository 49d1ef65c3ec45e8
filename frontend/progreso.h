// The engine's progress window, drawn by the program: a small window titled
// with the operation ("Transformando", "Calculando Centroide") holding its
// caption, a bar over the bytes of the input and, where the engine can stop
// a running method, a Cancel button. The engine decides when it opens, moves
// and closes. Its methods run on the program's only thread, so the window
// lets the event loop run from the engine's calls: that is what draws it and
// what delivers a click on Cancel. It is application-modal meanwhile, so
// nothing else of the program can be used while a method runs.
#pragma once

#include "dezadiravevava.h"

#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace quillon {

class Progreso : public QWidget {
    Q_OBJECT
public:
    Progreso();

    QLabel* captionLabel = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* cancelButton = nullptr;

    // The callbacks to hand to the engine; they drive this window.
    DzvProgressCallbacks Callbacks();

    // Whether the Cancel button is offered.
    void SetCancellable(bool cancellable);
    // Cancel was pressed during the current operation.
    bool cancelRequested() const { return cancelRequested_; }

    void Open(const QString& caption, std::uint64_t size);
    void Step(std::uint64_t position);
    void Close();

signals:
    // Cancel pressed (or the window's close box, or Esc).
    void cancelled();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void RequestCancel();
    // Lets the event loop draw the window and take the user's clicks, at
    // most every few hundredths of a second.
    void Pump(bool now);

    // The bar counts in units of `scale_` bytes so that its range fits an int.
    std::uint64_t scale_ = 1;
    bool cancellable_ = false;
    bool cancelRequested_ = false;
    QElapsedTimer sincePump_;
};

} // namespace quillon
