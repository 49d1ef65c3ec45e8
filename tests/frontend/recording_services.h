// Message sink and file dialogs for tests: they record what the program asks
// and answer from a script, so handlers run without a modal window.
#pragma once

#include "services.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace quillon_test {

struct ShownMessage {
    QString text;
    QString title;
    quillon::MessageIcon icon;
    // What "Ver todas" lists, for a message that has the button.
    QStringList all = {};
};

// Questions are answered from `answers` in turn, "yes" when none is left.
class RecordingMessages : public quillon::MessageSink {
public:
    void Show(const QString& text, const QString& title, quillon::MessageIcon icon) override {
        shown.push_back({text, title, icon});
    }
    bool Ask(const QString& text, const QString& title) override {
        asked.push_back({text, title, quillon::MessageIcon::None});
        if (answers.empty()) {
            return true;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowDetailed(const QString& text, const QString& title, quillon::MessageIcon icon,
                      const QStringList& all) override {
        shown.push_back({text, title, icon, all});
        if (onDetailed) {
            onDetailed();
        }
    }
    // Called when a message with "Ver todas" is shown (what the window
    // shows behind it).
    std::function<void()> onDetailed;
    // Choices are answered from `choices` in turn, the first choice when none
    // is left.
    int Choose(const QString& text, const QString& title, const QStringList& offered) override {
        chosen.push_back({text, title, quillon::MessageIcon::None, offered});
        if (choices.empty()) {
            return 0;
        }
        const int choice = choices.front();
        choices.pop_front();
        return choice;
    }
    // True when a message with exactly `text` was shown.
    bool Shown(const QString& text) const {
        for (const ShownMessage& message : shown) {
            if (message.text == text) {
                return true;
            }
        }
        return false;
    }

    std::vector<ShownMessage> shown;
    std::vector<ShownMessage> asked;
    std::deque<bool> answers;
    // The choices offered (their texts in `all`) and the scripted answers.
    std::vector<ShownMessage> chosen;
    std::deque<int> choices;
};

// Each dialog takes the next scripted answer (file name and filter index);
// with no answer left it is cancelled.
class ScriptedFileDialogs : public quillon::FileDialogs {
public:
    struct Answer {
        QString fileName;
        int filterIndex;
        // The options of a drawing of points, when the dialog shows them.
        int drawingZone = 0;
        bool drawingLabels = false;
    };

    QString ShowOpen(quillon::CommonDialog& dialog) override { return Answer(dialog, opened); }
    QString ShowSave(quillon::CommonDialog& dialog) override { return Answer(dialog, saved); }

    std::deque<Answer> answers;
    std::vector<quillon::CommonDialog> opened; // the dialogs as they were shown
    std::vector<quillon::CommonDialog> saved;

private:
    QString Answer(quillon::CommonDialog& dialog, std::vector<quillon::CommonDialog>& log) {
        log.push_back(dialog);
        if (answers.empty()) {
            dialog.fileName.clear();
            return {};
        }
        dialog.fileName = answers.front().fileName;
        dialog.filterIndex = answers.front().filterIndex;
        if (dialog.drawingOptions) {
            dialog.drawingZone = answers.front().drawingZone;
            dialog.drawingLabels = answers.front().drawingLabels;
        }
        answers.pop_front();
        return dialog.fileName;
    }
};

} // namespace quillon_test
