// A loaded program with a private folder for point files, and the small
// steps the point list tests repeat.
#pragma once

#include "program_fixture.h"
#include "tablas.h"
#include "temp_dir.h"

#include <QAbstractItemModel>
#include <QButtonGroup>
#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStringList>

namespace quillon_test {

// The rows of a table model, each as its cells' texts joined by TAB.
inline QStringList Rows(const QAbstractItemModel* model) {
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column) {
            cells << model->index(row, column).data().toString();
        }
        rows << cells.join(QLatin1Char('\t'));
    }
    return rows;
}

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
        form.readFileButton->click();
    }

    // Reads a "TXT - UTM" file with a header and `points`.
    void ReadUtm(const char* name, const QByteArray& points) {
        Read(WriteFile(name, "ID,X UTM,Y UTM,H,Huso\r\n" + points), 2);
    }

    QStringList PointRows() const { return Rows(presenter.pointModel()); }
    QStringList ResultRows() const { return Rows(presenter.resultModel()); }

    // Results of a run, which the point operations must drop: the first
    // point listed carried from ED50 to ETRS89.
    void RunForResults() {
        form.sourceDatumCombo->setCurrentIndex(0);
        form.targetDatumCombo->setCurrentIndex(1);
        form.transformButton->click();
        ASSERT_GT(presenter.resultModel()->rowCount(), 0);
        ASSERT_TRUE(form.saveButton->isEnabled());
    }

    void ExpectResultsCleared() {
        EXPECT_EQ(presenter.resultModel()->rowCount(), 0);
        EXPECT_FALSE(form.saveButton->isEnabledTo(&form));
        EXPECT_FALSE(form.saveAsButton->isEnabledTo(&form));
        EXPECT_FALSE(form.mapButton->isEnabledTo(&form));
        EXPECT_FALSE(form.logButton->isEnabledTo(&form));
    }

    static void PressKey(QWidget* widget, int key,
                         Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(widget, &press);
    }

    TempDir folder;
};

} // namespace quillon_test
