// The log window "ventanalog": the execution log of the last run, as the run
// copied it into the window's list.
#pragma once

#include <QWidget>

class QListWidget;
class QPushButton;

namespace quillon {

class Programa;

class VentanaLog : public QWidget {
    Q_OBJECT
public:
    explicit VentanaLog(Programa& programa, QWidget* parent = nullptr);

    QListWidget* logList = nullptr;     // lines of the log
    QPushButton* closeButton = nullptr; // "&Cerrar"

public slots:
    // Centres the window over the transformation form.
    void Form_Load();
    void Leave();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void EnableForm();

    Programa& programa_;
};

} // namespace quillon
