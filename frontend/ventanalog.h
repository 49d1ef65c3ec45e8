// The log window "ventanalog": the execution log of the last run as
// read-only text the user can select and copy in any part (Ctrl+C), with a
// find field (Ctrl+F) that moves to the next (Enter) or the previous
// (Shift+Enter) occurrence. The window is laid out and can be resized.
#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quillon {

class Aplicacion;

class VentanaLog : public QWidget {
    Q_OBJECT
public:
    explicit VentanaLog(Aplicacion& programa, QWidget* parent = nullptr);

    QPlainTextEdit* logText = nullptr;         // lines of the log
    QLineEdit* findEdit = nullptr;             // text to find
    QPushButton* findNextButton = nullptr;     // "&Siguiente"
    QPushButton* findPreviousButton = nullptr; // "&Anterior"
    QLabel* findStatusLabel = nullptr;         // "No encontrado" when it is not there
    QPushButton* closeButton = nullptr;        // "&Cerrar"

    // Shows the lines of a run's log (none: an empty log).
    void SetLines(const QStringList& lines);
    // The lines shown.
    QStringList Lines() const;

public slots:
    // Centres the window over the transformation form.
    void Form_Load();
    void Leave();
    // Selects the next (previous) occurrence of the find field's text after
    // (before) the cursor, going round the log's end; false when there is
    // none.
    bool FindNext();
    bool FindPrevious();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void EnableForm();
    bool Find(bool backward);

    Aplicacion& programa_;
};

} // namespace quillon
