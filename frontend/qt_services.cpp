#include "qt_services.h"

#include "comun.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace quillon {

namespace {

// The message's lines, each ended by CR, CR LF or LF, as one text with LF.
QString Lines(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (lines.endsWith(QLatin1Char('\n'))) {
        lines.chop(1);
    }
    return lines;
}

} // namespace

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MessageIcon::None:
        break;
    case MessageIcon::Critical:
        boxIcon = QMessageBox::Critical;
        break;
    case MessageIcon::Exclamation:
        boxIcon = QMessageBox::Warning;
        break;
    case MessageIcon::Information:
        boxIcon = QMessageBox::Information;
        break;
    }
    return boxIcon;
}

// Every line of a list, selectable and searchable by the user's eye.
void ShowAll(const QString& title, const QStringList& all) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QPlainTextEdit(all.join(QLatin1Char('\n')), &dialog);
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(640, 420);
    dialog.exec();
}

} // namespace

void QtMessageSink::Show(const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), title, Lines(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void QtMessageSink::ShowDetailed(const QString& text, const QString& title, MessageIcon icon,
                                 const QStringList& all) {
    QMessageBox box(BoxIcon(icon), title, Lines(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    QPushButton* everything = nullptr;
    if (all.size() > 1) {
        everything = box.addButton(QStringLiteral("Ver todas"), QMessageBox::ActionRole);
    }
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (everything != nullptr && box.clickedButton() == everything) {
        ShowAll(title, all);
    }
}

int QtMessageSink::Choose(const QString& text, const QString& title, const QStringList& choices) {
    QMessageBox box(QMessageBox::Question, title, Lines(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    QList<QPushButton*> buttons;
    for (const QString& choice : choices) {
        buttons << box.addButton(choice, QMessageBox::AcceptRole);
    }
    QPushButton* cancel = box.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
    box.setEscapeButton(cancel);
    if (!buttons.isEmpty()) {
        box.setDefaultButton(buttons.front());
    }
    box.exec();
    return static_cast<int>(buttons.indexOf(box.clickedButton()));
}

bool QtMessageSink::Ask(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Question, title, Lines(text), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtFileDialogs::ShowOpen(CommonDialog& dialog) {
    return Show(dialog, false);
}

QString QtFileDialogs::ShowSave(CommonDialog& dialog) {
    return Show(dialog, true);
}

QString QtFileDialogs::Show(CommonDialog& dialog, bool save) {
    const QFileInfo proposed(dialog.fileName);
    const QString folder =
        !dialog.fileName.isEmpty() && proposed.isAbsolute() && proposed.absoluteDir().exists()
            ? proposed.absolutePath()
            : QDir::homePath();
    QFileDialog box(QApplication::activeWindow(), QString(), folder);
    box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (save) {
        box.setFileMode(QFileDialog::AnyFile);
    } else {
        box.setFileMode((dialog.flags & CommonDialog::kFileMustExist) != 0
                            ? QFileDialog::ExistingFile
                            : QFileDialog::AnyFile);
    }
    const QStringList filters = NameFilters(dialog.filter);
    box.setNameFilters(filters);
    if (dialog.filterIndex >= 1 && dialog.filterIndex <= filters.size()) {
        box.selectNameFilter(filters[dialog.filterIndex - 1]);
    }
    if (!dialog.fileName.isEmpty()) {
        box.selectFile(proposed.fileName());
    }
    // The options of a drawing of points, under the dialog's own fields.
    QComboBox* zone = nullptr;
    QCheckBox* labels = nullptr;
    if (save && dialog.drawingOptions) {
        box.setOption(QFileDialog::DontUseNativeDialog, true);
        if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
            const int row = grid->rowCount();
            if (dialog.drawingZones.size() > 1) {
                zone = new QComboBox(&box);
                zone->addItem(QStringLiteral("(elija uno)"), 0);
                for (const int z : dialog.drawingZones) {
                    zone->addItem(QString::number(z), z);
                }
                zone->setCurrentIndex(std::max(0, zone->findData(dialog.drawingZone)));
                grid->addWidget(new QLabel(QStringLiteral("Huso del dibujo dxf:"), &box), row, 0);
                grid->addWidget(zone, row, 1);
            }
            labels = new QCheckBox(
                QStringLiteral("Dibujo dxf: el identificador de cada punto como texto"), &box);
            labels->setChecked(dialog.drawingLabels);
            grid->addWidget(labels, row + 1, 0, 1, grid->columnCount());
        }
    }
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) {
        dialog.fileName.clear();
        return {};
    }
    if (zone != nullptr) {
        dialog.drawingZone = zone->currentData().toInt();
    }
    if (labels != nullptr) {
        dialog.drawingLabels = labels->isChecked();
    }
    dialog.fileName = QDir::toNativeSeparators(box.selectedFiles().constFirst());
    const qsizetype chosen = filters.indexOf(box.selectedNameFilter());
    if (chosen >= 0) {
        dialog.filterIndex = static_cast<int>(chosen) + 1;
    }
    return dialog.fileName;
}

} // namespace quillon
