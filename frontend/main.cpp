// Quillon: ED50 <-> ETRS89 coordinate transformation for Andalusia, the
// desktop program.
#include "module1_widgets.h"
#include "programa.h"
#include "qt_services.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    QApplication::setFont(quillon::SansFont(8));

    const QString dataFolder = quillon::FindDataFolder(QApplication::applicationDirPath());
    QApplication::setWindowIcon(QIcon(dataFolder + QStringLiteral("/quillon.png")));

    quillon::QtMessageSink messages;
    quillon::QtFileDialogs files;
    quillon::Programa programa(messages, files, dataFolder);
    programa.Start();
    return QApplication::exec();
}
