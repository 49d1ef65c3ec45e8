// Message boxes and file dialogs of the running program, on Qt widgets.
#pragma once

#include "services.h"

namespace quillon {

// Modal QMessageBox over the active window.
class QtMessageSink : public MessageSink {
public:
    void Show(const QString& text, const QString& title, MessageIcon icon) override;
    bool Ask(const QString& text, const QString& title) override;
    void ShowDetailed(const QString& text, const QString& title, MessageIcon icon,
                      const QStringList& all) override;
    int Choose(const QString& text, const QString& title, const QStringList& choices) override;
};

// QFileDialog over the active window. A dialog starts in the folder of the
// file name it proposes, else in the user's home folder.
class QtFileDialogs : public FileDialogs {
public:
    QString ShowOpen(CommonDialog& dialog) override;
    QString ShowSave(CommonDialog& dialog) override;

private:
    static QString Show(CommonDialog& dialog, bool save);
};

} // namespace quillon
