// The about box "acerca_de": program name, version from the build and
// credits.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace quillon {

class Aplicacion;

// "Versión " followed by major.minor.revision of the build.
QString VersionCaption();

class AcercaDe : public QDialog {
    Q_OBJECT
public:
    // The box is deleted when it closes.
    explicit AcercaDe(Aplicacion& programa, QWidget* parent = nullptr);

    QLabel* nameLabel = nullptr;           // program name
    QLabel* versionLabel = nullptr;        // version
    QLabel* theodolitePicture = nullptr;   // theodolite
    QLabel* iconPicture = nullptr;         // program icon
    QLabel* authorsHeadingLabel = nullptr; // "Realizado por:"
    QLabel* creditsLabel = nullptr;        // credits
    QPushButton* acceptButton = nullptr;   // "Aceptar"

public slots:
    void Form_Load();
    void Accept();
    // Every way out ("Aceptar", Enter, Esc, the close box) enables and
    // focuses the frame window and closes the box completely.
    void done(int result) override;

private:
    Aplicacion& programa_;
};

} // namespace quillon
