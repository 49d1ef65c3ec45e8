// A whole program, loaded with recording services, a recording engine
// control, settings of its own and the data of the build tree, for tests of
// its windows.
#pragma once

#include "aplicacion.h"
#include "calculo.h"
#include "presentador.h"
#include "recording_services.h"
#include "recording_transf.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Texts in failure messages as text, not as the bytes of a QString.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace quillon {
// A point's identifier, the same way.
inline void PrintTo(const PointId& id, std::ostream* out) {
    *out << '"' << id.bytes() << '"';
}
} // namespace quillon

namespace quillon_test {

// Settings in a file of their own, so that no test reads what the user or
// another test remembered.
class TestSettings {
public:
    TestSettings()
        : settings(folder.filePath(QStringLiteral("quillon.ini")), QSettings::IniFormat) {}
    QTemporaryDir folder;
    QSettings settings;
};

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest()
        : programa(messages, files, settingsStore.settings, QStringLiteral(QUILLON_TEST_DATA_DIR),
                   &transf),
          form(*programa.calculo()), presenter(programa.presenter()) {}

    // Image of a picture of the data folder.
    QImage DataPicture(const char* name) const {
        return programa.Picture(QString::fromLatin1(name)).toImage();
    }

    // Runs deferred deletions (windows closed completely).
    static void FlushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    RecordingMessages messages;
    ScriptedFileDialogs files;
    RecordingTransf transf;
    TestSettings settingsStore;
    quillon::Aplicacion programa;
    quillon::Calculo& form;
    quillon::FormPresenter& presenter;
};

} // namespace quillon_test
