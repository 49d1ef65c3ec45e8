// The help window "ayuda": the help document in a PDF viewer with five
// buttons along the bottom to leave and to move through its pages.
#pragma once

#include <QWidget>
#include <array>

class QPdfDocument;
class QPdfView;
class QPushButton;

namespace quillon {

class Programa;

class Ayuda : public QWidget {
    Q_OBJECT
public:
    // Loads the window and opens the help document at `documentPath`. The
    // window is deleted when it closes.
    Ayuda(Programa& programa, const QString& documentPath, QWidget* parent = nullptr);

    QPdfView* pdfView = nullptr;
    QPdfDocument* document() const { return document_; }
    // Buttons of the control array pageButton(1..5): 1 "&Salir", 2 "&Inicio",
    // 3 "&Retroceder página", 4 "&Avanzar página", 5 "&Fin".
    QPushButton* pageButton(int index) const;
    // Page shown by the viewer, from 0.
    int currentPage() const;

public slots:
    void Form_Load();
    void Form_Resize();
    void PageButtonClicked(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Viewer operations.
    void OpenDocument(const QString& path);
    void SetView(int mode);
    void GoToPage(int page);

    Programa& programa_;
    QString documentPath_;
    QPdfDocument* document_ = nullptr;
    std::array<QPushButton*, 5> buttons_{};
};

} // namespace quillon
