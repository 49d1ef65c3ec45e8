// The engine's progress window while a long run goes on: drawn, moving, and
// with a Cancel button where the engine can stop.
#include "progreso.h"
#include "run_fixture.h"

#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <functional>
#include <set>

namespace quillon_test {
namespace {

// Watches the paints of the progress window's bar: the caption shown and
// the bar's value at each.
class PaintWatcher : public QObject {
public:
    explicit PaintWatcher(quillon::Progreso* window) : window_(window) {
        window->progressBar->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            captions.insert(window_->windowTitle());
            values.push_back(window_->progressBar->value());
            if (onPaint) {
                onPaint();
            }
        }
        return false;
    }
    std::set<QString> captions;
    std::vector<int> values;
    std::function<void()> onPaint;

private:
    quillon::Progreso* window_;
};

// A point file well above the 50000 bytes from which the engine shows its
// progress window.
QByteArray LargePointFile() {
    QByteArray text;
    for (int i = 0; i < 3000; ++i) {
        text += "P" + QByteArray::number(i) + ",298569.727,4295339.009,520.6,30\r\n";
    }
    return text;
}

TEST_F(RunTest, TheProgressWindowIsDrawnWhileTheEngineWorks) {
    Datums(0, 1);
    ReadUtm("grande.txt", LargePointFile());
    ASSERT_EQ(programa.state().pointCount, 3000);
    quillon::Progreso* window = programa.progreso();
    PaintWatcher watcher(window);
    Run();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    EXPECT_EQ(watcher.captions, (std::set<QString>{"Calculando Centroide", "Transformando"}));
    ASSERT_FALSE(watcher.values.empty());
    EXPECT_GT(*std::max_element(watcher.values.begin(), watcher.values.end()), 0);
    EXPECT_FALSE(window->isVisible()); // gone with the run
    // The engine gave no way to stop it: no Cancel button to press in vain.
    EXPECT_TRUE(window->cancelButton->isHidden());
}

TEST(ProgressCancel, CancelReachesTheControlWhereItCanStop) {
    RecordingMessages messages;
    ScriptedFileDialogs files;
    RecordingTransf transf;
    transf.cancellable = true;
    TestSettings settings;
    quillon::Programa programa(messages, files, settings.settings,
                               QStringLiteral(QUILLON_TEST_DATA_DIR), &transf);
    quillon::FormPresenter& presenter = programa.presenter();
    presenter.SetSourceDatum(quillon::Datum::Ed50);
    presenter.SetTargetDatum(quillon::Datum::Etrs89);
    for (int i = 0; i < 3000; ++i) {
        presenter.AddPoint({QStringLiteral("P%1").arg(i), 298569.727, 4295339.009, 520.6, 30});
    }
    quillon::Progreso* window = programa.progreso();
    PaintWatcher watcher(window);
    bool buttonShown = false;
    watcher.onPaint = [&] {
        if (window->windowTitle() == "Transformando" && window->progressBar->value() > 0 &&
            transf.cancels == 0) {
            buttonShown = window->cancelButton->isVisible() && window->cancelButton->isEnabled();
            window->cancelButton->click();
        }
    };
    presenter.Transform();
    EXPECT_TRUE(buttonShown);
    EXPECT_EQ(transf.cancels, 1);
    EXPECT_TRUE(window->cancelRequested());
}

} // namespace
} // namespace quillon_test
