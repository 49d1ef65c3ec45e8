// The frame window: a fixed-size window whose only child is the
// transformation form.
#pragma once

#include <QMainWindow>

class QMdiArea;
class QMdiSubWindow;

namespace quillon {

class Calculo;
class Programa;

// Organisation that deploys the program, named in the frame's title.
inline constexpr char kOrganisation[] = "Taller de Geodesia Quillon";

class Principal : public QMainWindow {
    Q_OBJECT
public:
    explicit Principal(Programa& programa, QWidget* parent = nullptr);

    Calculo* calculo() const { return calculo_; }
    // The child window that holds the form and shows its caption.
    QMdiSubWindow* formWindow() const { return child_; }

public slots:
    void MDIForm_Load();

protected:
    // Closing the frame window ends the program.
    void closeEvent(QCloseEvent* event) override;

private:
    Programa& programa_;
    QMdiArea* area_ = nullptr;
    QMdiSubWindow* child_ = nullptr;
    Calculo* calculo_ = nullptr;
};

} // namespace quillon
