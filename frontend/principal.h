// The frame window: the program's main window, whose central widget is the
// transformation form. It can be resized and maximised; it comes back at
// the size and place the user left it.
#pragma once

#include <QMainWindow>

namespace quillon {

class Calculo;
class Aplicacion;

// Organisation that deploys the program, named in the frame's title.
inline constexpr char kOrganisation[] = "Taller de Geodesia Quillon";

class Principal : public QMainWindow {
    Q_OBJECT
public:
    explicit Principal(Aplicacion& programa, QWidget* parent = nullptr);

    Calculo* calculo() const { return calculo_; }

public slots:
    void Load();

protected:
    // Closing the frame window ends the program (not while a run goes on,
    // nor when the user keeps unsaved results).
    void closeEvent(QCloseEvent* event) override;

private:
    Aplicacion& programa_;
    Calculo* calculo_ = nullptr;
};

} // namespace quillon
