// What the program remembers between sessions: the systems and the method
// chosen last, the folders last read from and saved to, and the window's
// place. Kept in a QSettings store that the program opens once.
#pragma once

#include "opciones.h"

#include <QByteArray>
#include <QString>

class QSettings;

namespace quillon {

class Preferences {
public:
    explicit Preferences(QSettings& settings);

    // The choices of the last session; the form's design state for anything
    // never saved or unreadable. The output zone is never remembered: a zone
    // forced on one job must not silently move the points of the next.
    FormChoices Choices() const;
    void SetChoices(const FormChoices& choices);

    // Folder of the last point file or drawing read, and of the last file
    // saved; empty when none.
    QString InputFolder() const;
    void SetInputFolder(const QString& folder);
    QString OutputFolder() const;
    void SetOutputFolder(const QString& folder);

    QByteArray WindowGeometry() const;
    void SetWindowGeometry(const QByteArray& geometry);

private:
    QSettings& settings_;
};

} // namespace quillon
