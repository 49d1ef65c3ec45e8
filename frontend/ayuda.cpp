#include "ayuda.h"

#include "module1.h"
#include "module1_widgets.h"
#include "principal.h"
#include "programa.h"

#include <QKeyEvent>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPushButton>
#include <algorithm>

namespace quillon {

namespace {
// Button width and the gap between buttons, in twips.
constexpr int kButtonWidth = 2250;
constexpr int kButtonGap = 120;
} // namespace

Ayuda::Ayuda(Programa& programa, const QString& documentPath, QWidget* parent)
    : QWidget(parent, Qt::Window), programa_(programa), documentPath_(documentPath) {
    setObjectName(QStringLiteral("ayuda"));
    setWindowTitle(QStringLiteral(" Quillon - Ayuda"));
    setAttribute(Qt::WA_DeleteOnClose);

    document_ = new QPdfDocument(this);
    pdfView = new QPdfView(this);
    pdfView->setObjectName(QStringLiteral("pdfView"));
    pdfView->setDocument(document_);
    pdfView->move(5, 5);

    static const std::array<QString, 5> kCaptions = {
        QStringLiteral("&Salir"),
        QStringLiteral("&Inicio"),
        QStringLiteral("&Retroceder página"),
        QStringLiteral("&Avanzar página"),
        QStringLiteral("&Fin"),
    };
    for (int index = 1; index <= 5; ++index) {
        auto* button = new QPushButton(kCaptions[static_cast<std::size_t>(index - 1)], this);
        static constexpr std::array<const char*, 5> kNames = {"exitButton", "firstPageButton",
                                                              "previousPageButton",
                                                              "nextPageButton", "lastPageButton"};
        button->setObjectName(QString::fromLatin1(kNames[static_cast<std::size_t>(index - 1)]));
        button->setFont(SansFont(9.75, true));
        button->setGeometry(Twips(kButtonGap + (index - 1) * (kButtonWidth + kButtonGap)), 0,
                            Twips(kButtonWidth), Twips(375));
        connect(button, &QPushButton::clicked, this, [this, index] { PageButtonClicked(index); });
        buttons_[static_cast<std::size_t>(index - 1)] = button;
    }

    Form_Load();
}

QPushButton* Ayuda::pageButton(int index) const {
    return index >= 1 && index <= 5 ? buttons_[static_cast<std::size_t>(index - 1)] : nullptr;
}

int Ayuda::currentPage() const {
    return pdfView->pageNavigator()->currentPage();
}

void Ayuda::Form_Load() {
    resize(Twips(12120), Twips(9405));
    OpenDocument(documentPath_);
    SetView(1);
    Form_Resize();
}

void Ayuda::Form_Resize() {
    const int h = height();
    const int w = width();
    for (QPushButton* button : buttons_) {
        button->move(button->x(), h - 30);
    }
    pdfView->resize(std::max(0, w - 10), std::max(0, h - 50));
}

void Ayuda::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
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
