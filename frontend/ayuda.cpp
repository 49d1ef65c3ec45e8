#include "ayuda.h"

#include "aplicacion.h"
#include "comun.h"
#include "comun_widgets.h"
#include "principal.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPdfBookmarkModel>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfSearchModel>
#include <QPdfView>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace quillon {

namespace {

// A context of the search as one line: line ends (which the search model
// marks with a return symbol) and what is not printable become spaces.
QString Printable(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (!c.isPrint() || c == QChar(0x23CE) || c == QChar(0x21B5)) {
            c = QLatin1Char(' ');
        }
    }
    return line.simplified();
}

// A search result as "p. 3: …text before <found> text after…".
class SearchResultDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const int page = index.data(static_cast<int>(QPdfSearchModel::Role::Page)).toInt();
        const QString before =
            index.data(static_cast<int>(QPdfSearchModel::Role::ContextBefore)).toString();
        const QString after =
            index.data(static_cast<int>(QPdfSearchModel::Role::ContextAfter)).toString();
        const QString found =
            index.model() != nullptr
                ? static_cast<const QPdfSearchModel*>(index.model())->searchString()
                : QString();
        option->text = QStringLiteral("p. %1: %2%3%4")
                           .arg(page + 1)
                           .arg(Printable(before), found, Printable(after));
    }
};

} // namespace

Ayuda::Ayuda(Aplicacion& programa, const QString& documentPath, QWidget* parent)
    : QWidget(parent, Qt::Window), programa_(programa), documentPath_(documentPath) {
    setObjectName(QStringLiteral("ayuda"));
    setWindowTitle(QStringLiteral(" Quillon - Ayuda"));
    setAttribute(Qt::WA_DeleteOnClose);

    document_ = new QPdfDocument(this);
    pdfView = Named(new QPdfView(this), "pdfView");
    pdfView->setDocument(document_);

    contents_ = new QPdfBookmarkModel(this);
    contents_->setDocument(document_);
    contentsView = Named(new QTreeView(this), "contentsView");
    contentsView->setModel(contents_);
    contentsView->setHeaderHidden(true);
    contentsView->setUniformRowHeights(true);
    contentsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(contentsView, &QTreeView::activated, this, &Ayuda::OpenContentsEntry);
    connect(contentsView, &QTreeView::clicked, this, &Ayuda::OpenContentsEntry);

    search_ = new QPdfSearchModel(this);
    search_->setDocument(document_);
    searchEdit = Named(new QLineEdit(this), "searchEdit");
    searchEdit->setPlaceholderText(QStringLiteral("Buscar en la ayuda"));
    searchEdit->setClearButtonEnabled(true);
    connect(searchEdit, &QLineEdit::textChanged, search_, &QPdfSearchModel::setSearchString);
    searchResultsView = Named(new QListView(this), "searchResultsView");
    searchResultsView->setModel(search_);
    searchResultsView->setItemDelegate(new SearchResultDelegate(searchResultsView));
    searchResultsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(searchResultsView, &QListView::activated, this, &Ayuda::OpenSearchResult);
    connect(searchResultsView, &QListView::clicked, this, &Ayuda::OpenSearchResult);
    auto* findAction = new QAction(this);
    findAction->setShortcut(QKeySequence::Find);
    findAction->setShortcutContext(Qt::WindowShortcut);
    connect(findAction, &QAction::triggered, this, [this] {
        searchEdit->setFocus();
        searchEdit->selectAll();
    });
    addAction(findAction);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    auto* contentsLabel = new QLabel(QStringLiteral("&Contenido"), side);
    contentsLabel->setBuddy(contentsView);
    auto* searchLabel = new QLabel(QStringLiteral("&Buscar"), side);
    searchLabel->setBuddy(searchEdit);
    sideLayout->addWidget(contentsLabel);
    sideLayout->addWidget(contentsView, 3);
    sideLayout->addWidget(searchLabel);
    sideLayout->addWidget(searchEdit);
    sideLayout->addWidget(searchResultsView, 2);

    splitter = Named(new QSplitter(Qt::Horizontal, this), "splitter");
    splitter->addWidget(side);
    splitter->addWidget(pdfView);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);

    static const std::array<QString, 5> kCaptions = {
        QStringLiteral("&Salir"),
        QStringLiteral("&Inicio"),
        QStringLiteral("&Retroceder página"),
        QStringLiteral("&Avanzar página"),
        QStringLiteral("&Fin"),
    };
    static constexpr std::array<const char*, 5> kNames = {
        "exitButton", "firstPageButton", "previousPageButton", "nextPageButton", "lastPageButton"};
    auto* buttons = new QHBoxLayout;
    for (int index = 1; index <= 5; ++index) {
        const auto slot = static_cast<std::size_t>(index - 1);
        auto* button = Named(new QPushButton(kCaptions[slot], this), kNames[slot]);
        button->setFont(SansFont(9.75, true));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, index] { PageButtonClicked(index); });
        buttons->addWidget(button);
        buttons_[slot] = button;
    }
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    Form_Load();
}

QPushButton* Ayuda::pageButton(int index) const {
    return index >= 1 && index <= 5 ? buttons_[static_cast<std::size_t>(index - 1)] : nullptr;
}

int Ayuda::currentPage() const {
    return pdfView->pageNavigator()->currentPage();
}

void Ayuda::Form_Load() {
    // A first size that shows the contents and a page at a readable width,
    // within the screen.
    const int em = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    QSize size(em * 96, em * 68);
    if (const QScreen* screen = this->screen()) {
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    }
    resize(size);
    splitter->setSizes({em * 24, size.width() - em * 24});
    OpenDocument(documentPath_);
    SetView(1);
    contentsView->expandToDepth(0);
}

void Ayuda::PageButtonClicked(int index) {
    const int last = document_->pageCount() - 1;
    switch (index) {
    case 1:
        if (Principal* frame = programa_.principal()) {
            frame->activateWindow();
        }
        close();
        break;
    case 2:
        GoToPage(0);
        break;
    case 3:
        GoToPage(currentPage() - 1);
        break;
    case 4:
        GoToPage(currentPage() + 1);
        break;
    case 5:
        GoToPage(last);
        break;
    default:
        break;
    }
}

void Ayuda::OpenContentsEntry(const QModelIndex& index) {
    if (!index.isValid()) {
        return;
    }
    // The page, at the place of the heading.
    const int page = index.data(static_cast<int>(QPdfBookmarkModel::Role::Page)).toInt();
    const QPointF at = index.data(static_cast<int>(QPdfBookmarkModel::Role::Location)).toPointF();
    if (page < 0 || page >= document_->pageCount()) {
        return;
    }
    pdfView->pageNavigator()->jump(page, at);
}

void Ayuda::OpenSearchResult(const QModelIndex& index) {
    if (!index.isValid()) {
        return;
    }
    GoToPage(index.data(static_cast<int>(QPdfSearchModel::Role::Page)).toInt());
}

void Ayuda::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        PageButtonClicked(1);
        return;
    }
    QWidget::keyPressEvent(event);
}

// The document is opened as it is: a missing or unreadable file leaves the
// viewer empty.
void Ayuda::OpenDocument(const QString& path) {
    document_->load(path);
}

// Mode 1: one page at a time, fitted to the viewer's width.
void Ayuda::SetView(int mode) {
    if (mode == 1) {
        pdfView->setPageMode(QPdfView::PageMode::SinglePage);
        pdfView->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    }
}

void Ayuda::GoToPage(int page) {
    if (document_->pageCount() <= 0) {
        return;
    }
    pdfView->pageNavigator()->jump(std::clamp(page, 0, document_->pageCount() - 1), QPointF());
}

} // namespace quillon
