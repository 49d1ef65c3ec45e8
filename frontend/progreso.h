// The engine's progress window, drawn by the program: a small window titled
// with the operation ("Transformando", "Calculando Centroide") holding the
// text "Progreso" and a bar over the bytes of the input. The engine decides
// when it opens, moves and closes; the program's event loop does not run
// meanwhile, so every change is painted at once.
#pragma once

#include "dezadiravevava.h"

#include <QWidget>
#include <cstdint>

class QLabel;
class QProgressBar;

namespace quillon {

class Progreso : public QWidget {
    Q_OBJECT
public:
    Progreso();

    QLabel* Label1 = nullptr;             // "Progreso"
    QProgressBar* ProgressBar1 = nullptr; // control 202

    // The callbacks to hand to the engine; they drive this window.
    DzvProgressCallbacks Callbacks();

    void Open(const QString& caption, std::uint64_t size);
    void Step(std::uint64_t position);
    void Close();

private:
    // The bar counts in units of `scale_` bytes so that its range fits an int.
    std::uint64_t scale_ = 1;
};

} // namespace quillon
