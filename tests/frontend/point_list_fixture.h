// A loaded program with a private folder for point files, and the small
// steps the point list tests repeat.
#pragma once

#include "program_fixture.h"
#include "temp_dir.h"

#include <QByteArray>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>

namespace quillon_test {

class PointListTest : public ProgramTest {
protected:
    // Writes `bytes` to the file `name` of the test folder; its full path.
    QString WriteFile(const char* name, const QByteArray& bytes) {
        const QString path = QString::fromStdString(folder.File(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // "Leer arc&hivo" answered with `path` and the filter `filterIndex`.
    void Read(const QString& path, int filterIndex) {
        files.answers.push_back({path, filterIndex});
        form.Command1->click();
    }

    // Reads a "TXT - UTM" file with a header and `points`.
    void ReadUtm(const char* name, const QByteArray& points) {
        Read(WriteFile(name, "ID,X UTM,Y UTM,H,Huso\r\n" + points), 2);
    }

    QStringList Lines(const QListWidget* list) const {
        QStringList lines;
        for (int i = 0; i < list->count(); ++i) {
            lines << list->item(i)->text();
        }
        return lines;
    }

    // Results of an earlier run that the point operations must clear.
    void FakeResults() {
        form.List2->addItems({"R1, 1, 2, 3", "R2, 4, 5, 6"});
        form.Command5->setEnabled(true);
        form.Command8->setEnabled(true);
    }

    void ExpectResultsCleared() {
        EXPECT_EQ(form.List2->count(), 0);
        EXPECT_FALSE(form.Command5->isEnabledTo(&form));
        EXPECT_FALSE(form.Command8->isEnabledTo(&form));
    }

    static void PressKey(QWidget* widget, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &press);
    }

    TempDir folder;
};

} // namespace quillon_test
