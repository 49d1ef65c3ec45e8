// Runs the desktop program's tests inside one QApplication, headless unless
// a platform is chosen from outside.
#include "comun_widgets.h"

#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
// Qt 6.4's PDF viewer never frees the gesture recognizer it registers nor the
// render thread of its page renderer, both allocated in its constructor.
// Whole allocation stacks let the suppression name that constructor.
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
extern "C" const char* __lsan_default_suppressions() {
    return "leak:QPdfView::QPdfView\n";
}
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QApplication::setFont(quillon::SansFont(8));
    QLocale::setDefault(QLocale::c());
    return RUN_ALL_TESTS();
}
