// The splash window, where the program starts: title, version, pictures,
// credits and the button that opens the frame window.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace quillon {

class Programa;

class Splash : public QWidget {
    Q_OBJECT
public:
    explicit Splash(Programa& programa, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr; // title
    QLabel* Label2 = nullptr; // version
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image3 = nullptr;
    QLabel* Label3 = nullptr;        // credits line
    QPushButton* Command1 = nullptr; // "&ENTRAR"

public slots:
    void Command1_Click();

private:
    Programa& programa_;
};

} // namespace quillon
