#include "lectura_puntos.h"

#include "services.h"
#include "texto_cp1252.h"

#include <QFile>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
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

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A zone item must be the number 29, 30 or 31.
bool IsZoneItem(const QString& item, double& zone) {
    return ReadDecimal(item, zone) && (zone == 29.0 || zone == 30.0 || zone == 31.0);
}

// The messages of a refused point of a file end with this line.
QString Dropped(const QString& problem) {
    return problem + QLatin1Char('\r') + kPointDropped;
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

// --- Numbers --------------------------------------------------------------------

bool ReadDecimal(const QString& text, double& value) {
    const QString trimmed = text.trimmed();
    std::string number;
    number.reserve(static_cast<std::size_t>(trimmed.size()));
    qsizetype at = 0;
    const auto here = [&]() -> char {
        if (at >= trimmed.size()) {
            return '\0';
        }
        const char16_t c = trimmed[at].unicode();
        return c < 0x80 ? static_cast<char>(c) : '\x01';
    };
    if (here() == '+' || here() == '-') {
        number += here();
        ++at;
    }
    bool digits = false;
    while (IsDigit(here())) {
        number += here();
        ++at;
        digits = true;
    }
    if (here() == '.' || here() == ',') {
        number += '.';
        ++at;
        while (IsDigit(here())) {
            number += here();
            ++at;
            digits = true;
        }
    }
    if (!digits) {
        return false;
    }
    if (here() == 'e' || here() == 'E') {
        number += 'e';
        ++at;
        if (here() == '+' || here() == '-') {
            number += here();
            ++at;
        }
        if (!IsDigit(here())) {
            return false;
        }
        while (IsDigit(here())) {
            number += here();
            ++at;
        }
    }
    if (at != trimmed.size()) {
        return false; // anything after the number
    }
    // from_chars takes no leading '+'.
    const char* first = number.data() + (number.front() == '+' ? 1 : 0);
    double read = 0.0;
    const auto result = std::from_chars(first, number.data() + number.size(), read);
    if (result.ec != std::errc() || !std::isfinite(read)) {
        return false;
    }
    value = read;
    return true;
}

QString DecimalText(double value, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'f', QLocale::FloatingPointShortest);
}

// --- Sexagesimal angles -------------------------------------------------------------

QString PackedAngleProblem(double packed, const QString& field, int maxDegrees) {
    if (!(std::fabs(packed) <= maxDegrees + 1)) {
        return QStringLiteral("%1: ha de estar entre -%2 y %2 grados").arg(field).arg(maxDegrees);
    }
    // DD.MMSSsss read in units of 1e-9 after rounding, so that 37.46 is 46
    // minutes and not 45 minutes and 99.99... seconds.
    const auto units = static_cast<long long>(std::llround(std::fabs(packed) * 1e9));
    const long long degrees = units / 1000000000LL;
    const long long minutes = units % 1000000000LL / 10000000LL;
    const long long seconds = units % 10000000LL; // in units of 1e-5 s
    if (minutes >= 60) {
        return QStringLiteral("%1: los minutos (%2) han de ser menores que 60")
            .arg(field)
            .arg(minutes);
    }
    if (seconds >= 6000000LL) {
        return QStringLiteral("%1: los segundos (%2) han de ser menores que 60")
            .arg(field)
            .arg(static_cast<double>(seconds) / 1e5);
    }
    if (degrees > maxDegrees || (degrees == maxDegrees && units % 1000000000LL != 0)) {
        return QStringLiteral("%1: ha de estar entre -%2 y %2 grados").arg(field).arg(maxDegrees);
    }
    return {};
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

PointItemReader::PointItemReader(QString text, QChar separator)
    : text_(std::move(text)), separator_(separator) {}

bool PointItemReader::AtLineEnd() const {
    return text_[at_] == QLatin1Char('\r') || text_[at_] == QLatin1Char('\n');
}

// Blanks are spaces, and TABs unless a TAB separates the items.
bool PointItemReader::IsBlankHere() const {
    const QChar c = text_[at_];
    return c == QLatin1Char(' ') || (c == QLatin1Char('\t') && separator_ != c);
}

void PointItemReader::SkipBlanks(bool lineEndsToo) {
    while (at_ < text_.size() && (IsBlankHere() || (lineEndsToo && AtLineEnd()))) {
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
        return at_ >= text_.size() || text_[at_] == separator_ || AtLineEnd();
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
        while (!item.isEmpty() &&
               (item.back() == QLatin1Char(' ') ||
                (item.back() == QLatin1Char('\t') && separator_ != item.back()))) {
            item.chop(1);
        }
    }
    if (at_ < text_.size() && text_[at_] == separator_) {
        ++at_;
    }
    return true;
}

QChar PointFileSeparator(const QString& text) {
    qsizetype start = 0;
    bool header = true;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char('\r') &&
               text[end] != QLatin1Char('\n')) {
            ++end;
        }
        const QStringView line = QStringView(text).sliced(start, end - start);
        if (!header && !line.trimmed().isEmpty()) {
            if (line.contains(QLatin1Char(';'))) {
                return QLatin1Char(';');
            }
            return line.contains(QLatin1Char('\t')) ? QLatin1Char('\t') : QLatin1Char(',');
        }
        header = false;
        start = end + 1;
    }
    return QLatin1Char(',');
}

QString TableFullMessage() {
    return QStringLiteral("Se ha alcanzado el máximo de %1 puntos").arg(kPointCapacity);
}

PointFileRead ReadPointFile(const QString& path, bool withZone, CoordinateKind kind,
                            ProgramState& state, MessageSink& messages) {
    PointFileRead read;
    state.savedPointCount = state.pointCount;
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        if (file.size() > kPointFileMaxBytes) {
            messages.Show(QStringLiteral("El archivo es demasiado grande para una lista de "
                                         "puntos:\r") +
                              path,
                          QStringLiteral("Error"), MessageIcon::Critical);
            read.end = PointFileEnd::TooLarge;
            return read;
        }
        bytes = file.readAll();
    }
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        messages.Show(
            QStringLiteral("No se puede leer el archivo:\r") + path +
                (file.errorString().isEmpty() ? QString() : QLatin1Char('\r') + file.errorString()),
            QStringLiteral("Error"), MessageIcon::Critical);
        read.end = PointFileEnd::Unreadable;
        return read;
    }
    file.close();
    const QString text = DecodePointFile(bytes);
    PointItemReader items(text, PointFileSeparator(text));
    items.SkipLine(); // header

    const int capacity =
        static_cast<int>(std::min<qsizetype>(kPointCapacity, state.PointTable.size()));
    const int itemCount = withZone ? 5 : 4;
    while (!items.AtEnd()) {
        if (state.pointCount >= capacity) {
            // Count what is left, so the user knows what was not read.
            int remaining = 0;
            QString item;
            while (items.Next(item)) {
                ++remaining;
            }
            read.leftOut = (remaining + itemCount - 1) / itemCount;
            messages.Show(TableFullMessage() + QStringLiteral(".\rNo se han leído los ") +
                              QString::number(read.leftOut) +
                              QStringLiteral(" puntos restantes del archivo."),
                          QStringLiteral("Aviso"), MessageIcon::Exclamation);
            read.end = PointFileEnd::TableFull;
            return read;
        }
        ++state.pointCount;

        std::array<QString, 5> item;
        for (int i = 0; i < itemCount; ++i) {
            if (!items.Next(item[static_cast<std::size_t>(i)])) {
                state.pointCount = state.savedPointCount;
                read.added = 0;
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
        point.zone = 0;
        double* coordinates[] = {&point.c1, &point.c2, &point.c3};
        for (std::size_t i = 0; i < 3; ++i) {
            if (!ReadDecimal(item[i + 1], *coordinates[i])) {
                messages.Show(Dropped(kCoordinateNames[i] + number +
                                      QStringLiteral(" no es un dato numérico.")),
                              kInputErrorTitle, MessageIcon::Critical);
                *coordinates[i] = 0.0;
                accepted = false;
            }
        }
        if (accepted && kind == CoordinateKind::Geodetic) {
            const QString place = QStringLiteral(" del punto") + number;
            for (const QString& problem :
                 {PackedAngleProblem(point.c1, QStringLiteral("Latitud") + place, 90),
                  PackedAngleProblem(point.c2, QStringLiteral("Longitud") + place, 180)}) {
                if (!problem.isEmpty()) {
                    messages.Show(Dropped(problem + QLatin1Char('.')), kInputErrorTitle,
                                  MessageIcon::Critical);
                    accepted = false;
                }
            }
        }
        if (withZone) {
            double zone = 0.0;
            if (IsZoneItem(item[4], zone)) {
                point.zone = static_cast<std::int16_t>(zone);
            } else {
                messages.Show(Dropped(QStringLiteral("El huso del punto") + number +
                                      QStringLiteral(" debe ser el 29, 30 ó 31.")),
                              kInputErrorTitle, MessageIcon::Critical);
                accepted = false;
            }
        }

        if (accepted) {
            ++read.added;
        } else {
            --state.pointCount; // the next point takes this slot
        }
    }
    return read;
}

} // namespace quillon
