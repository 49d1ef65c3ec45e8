#include "preferencias.h"

#include <QSettings>

namespace quillon {

namespace {

// An enumerator stored as its number; `fallback` when the stored value is
// missing or out of range.
template <typename Enum>
Enum ReadEnum(const QSettings& settings, const QString& key, Enum fallback, int count) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok && value >= 0 && value < count ? static_cast<Enum>(value) : fallback;
}

int ReadIndex(const QSettings& settings, const QString& key) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok && value >= 0 && value <= 4 ? value : 0;
}

} // namespace

Preferences::Preferences(QSettings& settings) : settings_(settings) {}

FormChoices Preferences::Choices() const {
    const FormChoices design;
    FormChoices c;
    c.sourceDatum = ReadEnum(settings_, QStringLiteral("sistemas/datumA"), design.sourceDatum, 2);
    c.sourceKind = ReadEnum(settings_, QStringLiteral("sistemas/tipoA"), design.sourceKind, 3);
    c.targetDatum = ReadEnum(settings_, QStringLiteral("sistemas/datumB"), design.targetDatum, 2);
    c.targetKind = ReadEnum(settings_, QStringLiteral("sistemas/tipoB"), design.targetKind, 3);
    c.method = ReadEnum(settings_, QStringLiteral("metodo/parametros"), design.method, 4);
    c.nearestIndex = ReadIndex(settings_, QStringLiteral("metodo/vertices"));
    c.distanceIndex = ReadIndex(settings_, QStringLiteral("metodo/distancia"));
    if (c.nearestIndex != 0) {
        c.distanceIndex = 0; // at most one of the two
    }
    c.centre = ReadEnum(settings_, QStringLiteral("metodo/centro"), design.centre, 2);
    c.model = ReadEnum(settings_, QStringLiteral("metodo/modelo"), design.model, 3);
    c.orthometricHeights = settings_.value(QStringLiteral("alturas/ortometricas")).toBool();
    return c;
}

void Preferences::SetChoices(const FormChoices& c) {
    settings_.setValue(QStringLiteral("sistemas/datumA"), static_cast<int>(c.sourceDatum));
    settings_.setValue(QStringLiteral("sistemas/tipoA"), static_cast<int>(c.sourceKind));
    settings_.setValue(QStringLiteral("sistemas/datumB"), static_cast<int>(c.targetDatum));
    settings_.setValue(QStringLiteral("sistemas/tipoB"), static_cast<int>(c.targetKind));
    settings_.setValue(QStringLiteral("metodo/parametros"), static_cast<int>(c.method));
    settings_.setValue(QStringLiteral("metodo/vertices"), c.nearestIndex);
    settings_.setValue(QStringLiteral("metodo/distancia"), c.distanceIndex);
    settings_.setValue(QStringLiteral("metodo/centro"), static_cast<int>(c.centre));
    settings_.setValue(QStringLiteral("metodo/modelo"), static_cast<int>(c.model));
    settings_.setValue(QStringLiteral("alturas/ortometricas"), c.orthometricHeights);
}

QString Preferences::InputFolder() const {
    return settings_.value(QStringLiteral("carpetas/entrada")).toString();
}

void Preferences::SetInputFolder(const QString& folder) {
    settings_.setValue(QStringLiteral("carpetas/entrada"), folder);
}

QString Preferences::OutputFolder() const {
    return settings_.value(QStringLiteral("carpetas/salida")).toString();
}

void Preferences::SetOutputFolder(const QString& folder) {
    settings_.setValue(QStringLiteral("carpetas/salida"), folder);
}

QByteArray Preferences::WindowGeometry() const {
    return settings_.value(QStringLiteral("ventana/geometria")).toByteArray();
}

void Preferences::SetWindowGeometry(const QByteArray& geometry) {
    settings_.setValue(QStringLiteral("ventana/geometria"), geometry);
}

} // namespace quillon
