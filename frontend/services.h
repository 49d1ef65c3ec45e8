// The two outside services through which the windows talk to the user
// without owning a modal loop: message boxes and the common file dialogs.
// The program uses the Qt implementations (qt_services.h); tests put
// recording ones in their place and drive every handler without a modal
// window.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace quillon {

// Icon of a message box.
enum class MessageIcon {
    None,
    Critical,
    Exclamation,
    Information,
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows `text` in a box titled `title` and returns when the user has
    // acknowledged it. Lines of `text` are separated by CR (as the messages
    // are written), CR LF or LF.
    virtual void Show(const QString& text, const QString& title, MessageIcon icon) = 0;
    // Asks a yes-or-no question ("Sí" / "No", with the question icon) and
    // returns true for yes. "No" is the button that Enter and Esc choose.
    virtual bool Ask(const QString& text, const QString& title) = 0;
    // Shows `text` as Show does, with a "Ver todas" button that lists every
    // line of `all` (selectable text) when `all` holds more than the text
    // shows.
    virtual void ShowDetailed(const QString& text, const QString& title, MessageIcon icon,
                              const QStringList& all) {
        Q_UNUSED(all);
        Show(text, title, icon);
    }
    // Asks the user to choose one of `choices` (button texts, the first the
    // default); the index chosen, or -1 when the box is closed with Esc.
    virtual int Choose(const QString& text, const QString& title, const QStringList& choices) {
        Q_UNUSED(text);
        Q_UNUSED(title);
        Q_UNUSED(choices);
        return 0;
    }
};

// What a common dialog is asked to show, and what it keeps between uses:
// the filter "description|pattern|...", the 1-based filter index, the file
// name (a full path proposes its folder too) and the flags. A save dialog
// never asks about replacing a file itself: the program asks.
struct CommonDialog {
    // Flag: the chosen file must exist (open dialog).
    static constexpr int kFileMustExist = 4096;

    QString filter;
    int filterIndex = 1;
    QString fileName;
    int flags = 0;
    // A save dialog of points that may become a drawing also shows the
    // drawing's options: the zone of the drawing among `drawingZones` (the
    // results' zones, offered when there are several; 0: none chosen) and
    // the identifiers as labels. The dialog keeps what the user chose.
    bool drawingOptions = false;
    QVector<int> drawingZones;
    int drawingZone = 0;
    bool drawingLabels = false;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Show the open (save) dialog for `dialog`. On acceptance the chosen
    // full path goes to dialog.fileName and the chosen filter to
    // dialog.filterIndex; on cancel dialog.fileName becomes empty. Returns
    // the file name.
    virtual QString ShowOpen(CommonDialog& dialog) = 0;
    virtual QString ShowSave(CommonDialog& dialog) = 0;
};

} // namespace quillon
