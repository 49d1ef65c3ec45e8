// Message boxes and file dialogs of the running program, on Qt widgets.
#pragma once

#include "services.h"

namespace quillon {

// Modal QMessageBox over the active window.
class QtMessageSink : public MessageSink {
public:
    void Show(const QString& text, const QString& title, MessageIcon icon) override;
};

// QFileDialog over the active window. The program's own folder is not
// writable, so both dialogs start in the user's home folder.
class QtFileDialogs : public FileDialogs {
public:
    QString ShowOpen(CommonDialog& dialog) override;
    QString ShowSave(CommonDialog& dialog) override;

private:
    static QString Show(CommonDialog& dialog, bool save);
};

} // namespace quillon
