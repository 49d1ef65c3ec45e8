#include "ventanalog.h"

#include "aplicacion.h"
#include "calculo.h"
#include "comun.h"
#include "comun_widgets.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace quillon {

VentanaLog::VentanaLog(Aplicacion& programa, QWidget* parent)
    : QWidget(parent, Qt::Window), programa_(programa) {
    setObjectName(QStringLiteral("ventanalog"));
    setWindowTitle(QStringLiteral("Quillon - Archivo de registro de operaciones"));

    logText = Named(new QPlainTextEdit(this), "logText");
    logText->setReadOnly(true);
    logText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    logText->setLineWrapMode(QPlainTextEdit::NoWrap);
    logText->setFont(MonospaceFont(9.75));
    // Small enough for any screen, large enough to read a part of the log.
    const QFontMetrics metrics(logText->font());
    logText->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('0')) * 40,
                            metrics.lineSpacing() * 8);

    auto* findLabel = new QLabel(QStringLiteral("&Buscar:"), this);
    findEdit = Named(new QLineEdit(this), "findEdit");
    findEdit->setClearButtonEnabled(true);
    findLabel->setBuddy(findEdit);
    findNextButton = Named(new QPushButton(QStringLiteral("&Siguiente"), this), "findNextButton");
    findPreviousButton =
        Named(new QPushButton(QStringLiteral("&Anterior"), this), "findPreviousButton");
    findStatusLabel = Named(new QLabel(this), "findStatusLabel");
    closeButton = Named(new QPushButton(QStringLiteral("&Cerrar"), this), "closeButton");

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(findLabel);
    bottom->addWidget(findEdit, 1);
    bottom->addWidget(findPreviousButton);
    bottom->addWidget(findNextButton);
    bottom->addWidget(findStatusLabel);
    bottom->addSpacing(metrics.horizontalAdvance(QLatin1Char('0')) * 4);
    bottom->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(logText, 1);
    layout->addLayout(bottom);

    connect(closeButton, &QPushButton::clicked, this, &VentanaLog::Leave);
    connect(findNextButton, &QPushButton::clicked, this, &VentanaLog::FindNext);
    connect(findPreviousButton, &QPushButton::clicked, this, &VentanaLog::FindPrevious);
    connect(findEdit, &QLineEdit::returnPressed, this, &VentanaLog::FindNext);
    connect(findEdit, &QLineEdit::textChanged, findStatusLabel, &QLabel::clear);
    auto* findAction = new QAction(this);
    findAction->setShortcut(QKeySequence::Find);
    findAction->setShortcutContext(Qt::WindowShortcut);
    connect(findAction, &QAction::triggered, this, [this] {
        findEdit->setFocus();
        findEdit->selectAll();
    });
    addAction(findAction);

    // A comfortable first size: the log's usual width of 80 characters.
    resize(metrics.horizontalAdvance(QLatin1Char('0')) * 92, metrics.lineSpacing() * 32);
    Form_Load();
}

void VentanaLog::SetLines(const QStringList& lines) {
    logText->setPlainText(lines.join(QLatin1Char('\n')));
    findStatusLabel->clear();
}

QStringList VentanaLog::Lines() const {
    const QString text = logText->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

bool VentanaLog::FindNext() {
    return Find(false);
}

bool VentanaLog::FindPrevious() {
    return Find(true);
}

bool VentanaLog::Find(bool backward) {
    const QString text = findEdit->text();
    if (text.isEmpty()) {
        return false;
    }
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (!logText->find(text, flags)) {
        // Round the end of the log, once.
        QTextCursor cursor = logText->textCursor();
        cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        logText->setTextCursor(cursor);
        if (!logText->find(text, flags)) {
            findStatusLabel->setText(QStringLiteral("No encontrado"));
            return false;
        }
    }
    findStatusLabel->clear();
    return true;
}

void VentanaLog::Form_Load() {
    const Calculo* form = programa_.calculo();
    if (form == nullptr) {
        return;
    }
    const QPoint formOrigin = form->mapToGlobal(QPoint(0, 0));
    move(formOrigin.x() + (form->width() - width()) / 2,
         formOrigin.y() + (form->height() - height()) / 2);
}

void VentanaLog::EnableForm() {
    if (Calculo* form = programa_.calculo()) {
        form->setEnabled(true);
    }
}

void VentanaLog::Leave() {
    EnableForm();
    setEnabled(false);
    hide();
}

void VentanaLog::closeEvent(QCloseEvent* event) {
    EnableForm();
    event->accept();
}

void VentanaLog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Leave();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier) && findEdit->hasFocus()) {
        FindPrevious();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillon
