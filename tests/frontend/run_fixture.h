// A loaded program for tests of the transformation run and of the saving of
// its results, with the small steps they repeat.
#pragma once

#include "point_list_fixture.h"
#include "ventanalog.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>

namespace quillon_test {

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

class RunTest : public PointListTest {
protected:
    // A point of the source kind appended to the list.
    void Add(const QString& id, double c1, double c2, double c3, int zone = 0) {
        presenter.AddPoint({id, c1, c2, c3, static_cast<std::int16_t>(zone)});
    }
    void Datums(int source, int target) { // 0 ED50, 1 ETRS89
        form.sourceDatumCombo->setCurrentIndex(source);
        form.targetDatumCombo->setCurrentIndex(target);
    }
    void Run() { form.transformButton->click(); }
    QStringList LogLines() { return programa.ventanalog()->Lines(); }

    // The four published catalogue vertices, ED50 UTM 30.
    void PublishedVertices() {
        Add(QStringLiteral("SERVILLETA"), 298569.727, 4295339.009, 520.6, 30);
        Add(QStringLiteral("CABEZAS 1"), 179274.028, 4172646.558, 250.2, 30);
        Add(QStringLiteral("SAN FERNANDO"), 212903.466, 4040539.144, 43.12, 30);
        Add(QStringLiteral("SAN GARCÍA"), 281035.667, 3998752.728, 30.7, 30);
    }
};

} // namespace quillon_test
