// The help window "ayuda": the help document in a PDF viewer, beside it the
// document's contents (its bookmarks, each a link to its page) and a search
// field with the places where the searched text occurs; five buttons along
// the bottom leave and move through the pages. The window is laid out and
// can be resized; the contents and the pages share it through a splitter.
#pragma once

#include <QWidget>
#include <array>

class QLineEdit;
class QListView;
class QModelIndex;
class QPdfBookmarkModel;
class QPdfDocument;
class QPdfSearchModel;
class QPdfView;
class QPushButton;
class QSplitter;
class QTreeView;

namespace quillon {

class Aplicacion;

class Ayuda : public QWidget {
    Q_OBJECT
public:
    // Loads the window and opens the help document at `documentPath`. The
    // window is deleted when it closes.
    Ayuda(Aplicacion& programa, const QString& documentPath, QWidget* parent = nullptr);

    QPdfView* pdfView = nullptr;
    QSplitter* splitter = nullptr;
    // The contents: one row per bookmark of the document, nested as in it.
    QTreeView* contentsView = nullptr;
    // Search: the text, and the occurrences found (page and context).
    QLineEdit* searchEdit = nullptr;
    QListView* searchResultsView = nullptr;

    QPdfDocument* document() const { return document_; }
    QPdfBookmarkModel* contents() const { return contents_; }
    QPdfSearchModel* searchResults() const { return search_; }
    // Buttons of the control array pageButton(1..5): 1 "&Salir", 2 "&Inicio",
    // 3 "&Retroceder página", 4 "&Avanzar página", 5 "&Fin".
    QPushButton* pageButton(int index) const;
    // Page shown by the viewer, from 0.
    int currentPage() const;

public slots:
    void Form_Load();
    void PageButtonClicked(int index);
    // Shows the page of a row of the contents (or of the search results).
    void OpenContentsEntry(const QModelIndex& index);
    void OpenSearchResult(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Viewer operations.
    void OpenDocument(const QString& path);
    void SetView(int mode);
    void GoToPage(int page);

    Aplicacion& programa_;
    QString documentPath_;
    QPdfDocument* document_ = nullptr;
    QPdfBookmarkModel* contents_ = nullptr;
    QPdfSearchModel* search_ = nullptr;
    std::array<QPushButton*, 5> buttons_{};
};

} // namespace quillon
