// A whole program, loaded with recording services and the data of the build
// tree, for tests of its windows.
#pragma once

#include "calculo.h"
#include "programa.h"
#include "recording_services.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <gtest/gtest.h>

namespace quillon_test {

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest()
        : programa(messages, files, QStringLiteral(QUILLON_TEST_DATA_DIR)),
          form(*programa.calculo()) {}

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
    quillon::Programa programa;
    quillon::Calculo& form;
};

} // namespace quillon_test
