// The about box "acerca_de": program name, version from the build and
// credits.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace quillon {

class Programa;

// "Versión " followed by major.minor.revision of the build.
QString VersionCaption();

class AcercaDe : public QDialog {
    Q_OBJECT
public:
    // The box is deleted when it closes.
    explicit AcercaDe(Programa& programa, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;        // program name
    QLabel* Label2 = nullptr;        // version
    QLabel* Picture1 = nullptr;      // theodolite
    QLabel* Picture2 = nullptr;      // program icon
    QLabel* Label3 = nullptr;        // "Realizado por:"
    QLabel* Label4 = nullptr;        // credits
    QPushButton* Command1 = nullptr; // "Aceptar"

public slots:
    void Form_Load();
    void Command1_Click();
    // Every way out ("Aceptar", Enter, Esc, the close box) enables and
    // focuses the frame window and closes the box completely.
    void done(int result) override;

private:
    Programa& programa_;
};

} // namespace quillon
