#include "lectura_puntos.h"

#include "services.h"
#include "texto.h"

#include <QFile>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace quillon {

namespace {

const QString kInputErrorTitle = QStringLiteral("Error de entrada");
const QString kPointDropped = QStringLiteral("Este punto no se tendrá en cuenta");
const std::array<QString, 3> kCoordinateNames = {
    QStringLiteral("La primera coordenada del punto"),
    QStringLiteral("La segunda coordenada del punto"),
    QStringLiteral("La tercera coordenada del punto"),
};

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool ReadsAsNumber(const QLocale& locale, const QString& text) {
    bool ok = false;
    const double value = locale.toDouble(text, &ok);
    return ok && std::isfinite(value);
}

// A zone item must be the number 29, 30 or 31.
bool IsZoneItem(const QString& item, double& zone) {
    if (!IsNumericText(item)) {
        return false;
    }
    zone = LeadingValue(item);
    return zone == 29.0 || zone == 30.0 || zone == 31.0;
}

} // namespace

// --- Point lines and fields -----------------------------------------------------

QString PointLine(const PointRecord& point, bool withZone) {
    const QChar comma = QLatin1Char(',');
    QString line = point.id + comma + NumberText(point.c1) + comma + NumberText(point.c2) + comma +
                   NumberText(point.c3);
    if (withZone) {
        line += comma + NumberText(static_cast<double>(point.zone));
    }
    return line;
}

QString FieldText(double value) {
    QString text = NumberText(value);
    if (text.startsWith(QLatin1Char(' '))) {
        text.remove(0, 1);
    }
    return text;
}

// --- Numbers --------------------------------------------------------------------

bool IsNumericText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return false;
    }
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    QLocale user;
    user.setNumberOptions(QLocale::RejectGroupSeparator);
    return ReadsAsNumber(c, trimmed) || ReadsAsNumber(user, trimmed);
}

double LeadingValue(const QString& text) {
    std::string compact;
    compact.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n')) {
            continue;
        }
        // Anything outside ASCII ends the number; '\x01' cannot continue it.
        compact += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x01';
    }

    std::size_t at = 0;
    bool negative = false;
    if (at < compact.size() && (compact[at] == '+' || compact[at] == '-')) {
        negative = compact[at] == '-';
        ++at;
    }
    std::string number;
    bool digits = false;
    while (at < compact.size() && IsDigit(compact[at])) {
        number += compact[at++];
        digits = true;
    }
    if (at < compact.size() && compact[at] == '.') {
        number += compact[at++];
        while (at < compact.size() && IsDigit(compact[at])) {
            number += compact[at++];
            digits = true;
        }
    }
    if (!digits) {
        return 0.0;
    }
    bool negativeExponent = false;
    if (at < compact.size() && std::string("EeDd").find(compact[at]) != std::string::npos) {
        std::size_t exponentAt = at + 1;
        std::string exponent = "e";
        if (exponentAt < compact.size() &&
            (compact[exponentAt] == '+' || compact[exponentAt] == '-')) {
            negativeExponent = compact[exponentAt] == '-';
            exponent += compact[exponentAt++];
        }
        if (exponentAt < compact.size() && IsDigit(compact[exponentAt])) {
            while (exponentAt < compact.size() && IsDigit(compact[exponentAt])) {
                exponent += compact[exponentAt++];
            }
            number += exponent;
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

// --- Point files ------------------------------------------------------------------

QString DecodePointFile(const QByteArray& bytes) {
    // Stateless: a sequence cut at the end of the file is an error too.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QByteArray bom("\xEF\xBB\xBF");
    QString text = utf8.decode(bytes.startsWith(bom) ? bytes.sliced(bom.size()) : bytes);
    if (!utf8.hasError()) {
        return text;
    }
    return FromCp1252(bytes);
}

PointItemReader::PointItemReader(QString text) : text_(std::move(text)) {}

bool PointItemReader::AtLineEnd() const {
    return text_[at_] == QLatin1Char('\r') || text_[at_] == QLatin1Char('\n');
}

void PointItemReader::SkipBlanks(bool lineEndsToo) {
    while (at_ < text_.size() && (IsBlank(text_[at_]) || (lineEndsToo && AtLineEnd()))) {
        ++at_;
    }
}

void PointItemReader::SkipLine() {
    while (at_ < text_.size() && !AtLineEnd()) {
        ++at_;
    }
    if (at_ < text_.size() && text_[at_] == QLatin1Char('\r')) {
        ++at_;
    }
    if (at_ < text_.size() && text_[at_] == QLatin1Char('\n')) {
        ++at_;
    }
}

bool PointItemReader::AtEnd() {
    SkipBlanks(true);
    return at_ >= text_.size();
}

bool PointItemReader::Next(QString& item) {
    if (AtEnd()) {
        return false;
    }
    const auto endsItem = [this] {
        return at_ >= text_.size() || text_[at_] == QLatin1Char(',') || AtLineEnd();
    };
    if (text_[at_] == QLatin1Char('"')) {
        const qsizetype start = ++at_;
        const qsizetype close = text_.indexOf(QLatin1Char('"'), start);
        at_ = close < 0 ? text_.size() : close;
        item = text_.mid(start, at_ - start);
        if (close >= 0) {
            ++at_;
        }
        // Anything between the closing quote and the separator is ignored.
        while (!endsItem()) {
            ++at_;
        }
    } else {
        const qsizetype start = at_;
        while (!endsItem()) {
            ++at_;
        }
        item = text_.mid(start, at_ - start);
        while (!item.isEmpty() && IsBlank(item.back())) {
            item.chop(1);
        }
    }
    if (at_ < text_.size() && text_[at_] == QLatin1Char(',')) {
        ++at_;
    }
    return true;
}

QString TableFullMessage() {
    return QStringLiteral("Se ha alcanzado el máximo de %1 puntos").arg(kPointCapacity);
}

PointFileRead ReadPointFile(const QString& path, bool withZone, ProgramState& state,
                            MessageSink& messages) {
    PointFileRead read;
    state.savedPointCount = state.pointCount;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.end = PointFileEnd::Unreadable;
        return read;
    }
    PointItemReader items(DecodePointFile(file.readAll()));
    file.close();
    items.SkipLine(); // header

    const int capacity =
        static_cast<int>(std::min<qsizetype>(kPointCapacity, state.PointTable.size()));
    const int itemCount = withZone ? 5 : 4;
    while (!items.AtEnd()) {
        if (state.pointCount >= capacity) {
            messages.Show(TableFullMessage(), QStringLiteral("Aviso"), MessageIcon::Exclamation);
            read.end = PointFileEnd::TableFull;
            return read;
        }
        ++state.pointCount;

        std::array<QString, 5> item;
        for (int i = 0; i < itemCount; ++i) {
            if (!items.Next(item[static_cast<std::size_t>(i)])) {
                state.pointCount = state.savedPointCount;
                read.lines.clear();
                messages.Show(QStringLiteral("Error al especificar el tipo de coordenadas o en\r"
                                             "el número de datos por cada línea en el archivo"),
                              QString::fromLatin1(kProgramTitle), MessageIcon::None);
                read.end = PointFileEnd::PointCut;
                return read;
            }
        }

        PointRecord& point = state.PointTable[state.pointCount - 1];
        const QString number = NumberText(static_cast<double>(state.pointCount));
        bool accepted = true;
        point.id = item[0];
        double* coordinates[] = {&point.c1, &point.c2, &point.c3};
        for (std::size_t i = 0; i < 3; ++i) {
            const QString& text = item[i + 1];
            if (IsNumericText(text)) {
                *coordinates[i] = LeadingValue(text);
            } else {
                messages.Show(kCoordinateNames[i] + number +
                                  QStringLiteral(" no es un dato numérico.\r") + kPointDropped,
                              kInputErrorTitle, MessageIcon::Critical);
                *coordinates[i] = 0.0;
                accepted = false;
            }
        }
        if (withZone) {
            double zone = 0.0;
            if (IsZoneItem(item[4], zone)) {
                point.zone = static_cast<std::int16_t>(zone);
            } else {
                messages.Show(QStringLiteral("El huso del punto") + number +
                                  QStringLiteral(" debe ser el 29, 30 ó 31.\r") + kPointDropped,
                              kInputErrorTitle, MessageIcon::Critical);
                point.zone = 0;
                accepted = false;
            }
        }

        if (accepted) {
            read.lines << PointLine(point, withZone);
        } else {
            --state.pointCount; // the next point takes this slot
        }
    }
    return read;
}

} // namespace quillon
