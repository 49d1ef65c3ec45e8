// The engine's progress window while a long run goes on: drawn, moving, and
// with a Cancel button where the engine can stop.
#include "progreso.h"
#include "run_fixture.h"

#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
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
    EXPECT_FALSE(window->cancelButton->isHidden());
    EXPECT_EQ(ResultRows().size(), 3000);
}

// Cancel stops the engine between lines: no results, nothing left behind,
// and the run's log says why it ended.
TEST_F(RunTest, CancelStopsTheRunCleanly) {
    Datums(0, 1);
    ReadUtm("grande.txt", LargePointFile());
    const QStringList points = PointRows();
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
    Run();
    EXPECT_TRUE(buttonShown);
    EXPECT_EQ(transf.cancels, 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Operación cancelada por el usuario");
    EXPECT_EQ(messages.shown[0].title, "Aviso");
    EXPECT_TRUE(ResultRows().isEmpty());
    EXPECT_FALSE(form.saveButton->isEnabled());
    EXPECT_FALSE(form.saveAsButton->isEnabled());
    EXPECT_EQ(PointRows(), points);
    EXPECT_TRUE(QDir(programa.TempFolder()).isEmpty());
    EXPECT_FALSE(programa.ventanalog()->isVisible());
    ASSERT_TRUE(form.logButton->isEnabled());
    EXPECT_EQ(LogLines().last(), "Operación cancelada por el usuario");
    EXPECT_EQ(form.verticesLabel->text(), ""); // no count from a cancelled run

    // The next run goes to its end.
    messages.shown.clear();
    watcher.onPaint = nullptr;
    Run();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ResultRows().size(), 3000);
}

// The run on the worker thread stops at the Cancel pressed when the window
// takes the engine's first step: the step waits for the window, so the run
// sees the request at its next stop request, however fast it is.
TEST_F(RunTest, CancelFromTheProgressStepStopsTheWorkerRun) {
    Datums(0, 1);
    ReadUtm("grande.txt", LargePointFile());
    quillon::Progreso* window = programa.progreso();
    QThread* runThread = nullptr;
    transf.duringPointRun = [&] { runThread = QThread::currentThread(); };
    QObject::connect(window->progressBar, &QProgressBar::valueChanged, window, [&](int value) {
        if (value > 0 && window->windowTitle() == "Transformando") {
            window->cancelButton->click();
        }
    });
    Run();
    ASSERT_NE(runThread, nullptr);
    EXPECT_NE(runThread, qApp->thread());
    EXPECT_EQ(transf.cancels, 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Operación cancelada por el usuario");
    EXPECT_TRUE(ResultRows().isEmpty());
    ASSERT_TRUE(form.logButton->isEnabled());
    EXPECT_EQ(LogLines().last(), "Operación cancelada por el usuario");
}

// A drawing saved from many results can be cancelled too: the file that was
// there stays as it was, and no metadata file is written.
TEST_F(RunTest, CancelledDrawingSaveLeavesTheOldFile) {
    Datums(0, 1);
    ReadUtm("grande.txt", LargePointFile());
    Run();
    ASSERT_EQ(ResultRows().size(), 3000);
    QTemporaryDir out;
    const QString target = out.filePath("grande.dxf");
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("dibujo anterior");
    old.close();
    quillon::Progreso* window = programa.progreso();
    PaintWatcher watcher(window);
    watcher.onPaint = [&] {
        if (window->progressBar->value() > 0 && transf.cancels == 0) {
            window->cancelButton->click();
        }
    };
    files.answers.push_back({target, 2});
    form.saveAsButton->click();
    EXPECT_EQ(transf.cancels, 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Operación cancelada por el usuario: no se ha guardado\r" + target);
    EXPECT_EQ(ReadFile(target), QByteArray("dibujo anterior"));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"grande.dxf"}));
    EXPECT_FALSE(presenter.saveTarget().has_value());
}

// Where the engine cannot stop, no Cancel button is offered in vain.
TEST(ProgressCancel, NoButtonWhereTheEngineCannotStop) {
    RecordingMessages messages;
    ScriptedFileDialogs files;
    RecordingTransf transf;
    transf.cancellable = false;
    TestSettings settings;
    quillon::Aplicacion programa(messages, files, settings.settings,
                                 QStringLiteral(QUILLON_TEST_DATA_DIR), &transf);
    programa.progreso()->Open(QStringLiteral("Transformando"), 100000);
    EXPECT_TRUE(programa.progreso()->cancelButton->isHidden());
    programa.progreso()->Close();
}

} // namespace
} // namespace quillon_test
