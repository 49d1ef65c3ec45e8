// The splash window, where the program starts: title, version, pictures,
// credits and the button that opens the frame window.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace quillon {

class Aplicacion;

class Splash : public QWidget {
    Q_OBJECT
public:
    explicit Splash(Aplicacion& programa, QWidget* parent = nullptr);

    QLabel* titleLabel = nullptr;   // title
    QLabel* versionLabel = nullptr; // version
    QLabel* leftPicture = nullptr;
    QLabel* middlePicture = nullptr;
    QLabel* rightPicture = nullptr;
    QLabel* creditsLabel = nullptr;     // credits line
    QPushButton* enterButton = nullptr; // "&ENTRAR"

public slots:
    void Enter();

private:
    Aplicacion& programa_;
};

} // namespace quillon
