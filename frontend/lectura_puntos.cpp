#include "lectura_puntos.h"

#include "services.h"
#include "texto_cp1252.h"
#include "transform_request.h"

#include <QFile>
#include <QLocale>
#include <QStringDecoder>
#include <QUtf8StringView>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace quillon {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

// --- Point lines and fields -----------------------------------------------------

QString PointLine(const PointRecord& point, bool withZone) {
    const QChar comma = QLatin1Char(',');
    QString line = point.id.text() + comma + NumberText(point.c1) + comma + NumberText(point.c2) +
                   comma + NumberText(point.c3);
    if (withZone) {
        line += comma + NumberText(static_cast<double>(point.zone));
    }
    return line;
}

// --- Numbers --------------------------------------------------------------------

namespace {

// ReadDecimal on text already trimmed, as bytes; a byte that is not ASCII is
// never part of a number.
bool ReadTrimmedDecimal(std::string_view trimmed, double& value) {
    // The form is checked first; the number is then read from the text
    // itself, or from a copy when it has a decimal comma or a leading '+'
    // (which from_chars does not take).
    std::size_t at = 0;
    const auto here = [&]() -> char { return at < trimmed.size() ? trimmed[at] : '\0'; };
    const auto digitsHere = [&] {
        const std::size_t from = at;
        while (IsDigit(here())) {
            ++at;
        }
        return at > from;
    };
    bool copy = false;
    if (here() == '+' || here() == '-') {
        copy = here() == '+';
        ++at;
    }
    bool digits = digitsHere();
    if (here() == '.' || here() == ',') {
        copy = copy || here() == ',';
        ++at;
        digits = digitsHere() || digits;
    }
    if (!digits) {
        return false;
    }
    if (here() == 'e' || here() == 'E') {
        ++at;
        if (here() == '+' || here() == '-') {
            ++at;
        }
        if (!digitsHere()) {
            return false;
        }
    }
    if (at != trimmed.size()) {
        return false; // anything after the number (a byte that is not ASCII too)
    }
    std::string number;
    std::string_view text = trimmed;
    if (copy) {
        number.assign(trimmed.substr(trimmed.front() == '+' ? 1 : 0));
        std::replace(number.begin(), number.end(), ',', '.');
        text = number;
    }
    double read = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), read);
    if (result.ec != std::errc() || !std::isfinite(read)) {
        return false;
    }
    value = read;
    return true;
}

bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// ReadDecimal on a field of a file's line, in UTF-8: ASCII fields without
// building a QString.
bool ReadDecimalField(std::string_view field, double& value) {
    if (std::any_of(field.begin(), field.end(),
                    [](char c) { return (static_cast<unsigned char>(c) & 0x80) != 0; })) {
        return ReadDecimal(QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size())),
                           value);
    }
    while (!field.empty() && IsAsciiSpace(field.front())) {
        field.remove_prefix(1);
    }
    while (!field.empty() && IsAsciiSpace(field.back())) {
        field.remove_suffix(1);
    }
    return ReadTrimmedDecimal(field, value);
}

} // namespace

bool ReadDecimal(const QString& text, double& value) {
    const QString trimmed = text.trimmed();
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(trimmed.size()));
    for (const QChar c : trimmed) {
        ascii += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x80';
    }
    return ReadTrimmedDecimal(ascii, value);
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

namespace {

// What the fields of a point line are called for each kind of coordinates.
struct PointLayout {
    std::array<QString, 3> names;
    QString fields; // the fields of a line, for messages
    QString kindName;
    int count = 4;
};

PointLayout LayoutOf(CoordinateKind kind) {
    switch (kind) {
    case CoordinateKind::Geocentric:
        return {{QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")},
                QStringLiteral("identificador, X, Y, Z"),
                QStringLiteral("geocéntricas"),
                4};
    case CoordinateKind::Geodetic:
        return {{QStringLiteral("Latitud"), QStringLiteral("Longitud"), QStringLiteral("h")},
                QStringLiteral("identificador, latitud, longitud, h"),
                QStringLiteral("geodésicas"),
                4};
    case CoordinateKind::Utm:
        break;
    }
    return {{QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("H")},
            QStringLiteral("identificador, X, Y, H, huso"),
            QStringLiteral("UTM"),
            5};
}

QString Quoted(const QString& text) {
    return QStringLiteral("«") + text + QStringLiteral("»");
}

// Why a packed sexagesimal field is not an angle within `maxDegrees`, read by
// the engine's conversion; empty when it is one.
QString PackedFieldProblem(const QString& field, const QString& name, int maxDegrees) {
    QString text = field.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    double degrees = 0.0;
    switch (dezadiravevava::api::ReadPackedAngle(text.toStdString(), degrees)) {
    case dezadiravevava::api::PackedAngleReading::kAngle:
        break;
    case dezadiravevava::api::PackedAngleReading::kNotANumber:
        return name + QStringLiteral(" no es un ángulo gg.mmssss ") + Quoted(field);
    case dezadiravevava::api::PackedAngleReading::kMinutesOver59:
        return name + QStringLiteral(": los minutos han de ser menores que 60 ") + Quoted(field);
    case dezadiravevava::api::PackedAngleReading::kSecondsOver59:
        return name + QStringLiteral(": los segundos han de ser menores que 60 ") + Quoted(field);
    }
    if (std::abs(degrees) > maxDegrees) {
        return name + QStringLiteral(" fuera de ±%1° ").arg(maxDegrees) + Quoted(field);
    }
    return {};
}

// The fields of one line by the engine's table reader.
PointFileLine CutLine(QStringView text, char separator, int number) {
    PointFileLine line;
    line.line = number;
    std::vector<std::string> fields;
    line.quoteOpen =
        !dezadiravevava::api::CutTableFields(text.toUtf8().toStdString(), separator, fields);
    for (const std::string& field : fields) {
        line.fields << QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
    }
    return line;
}

// The engine's choice of separator, but a comma wins over blanks: the
// program's own lists write ", " between fields ("V1, 455000.25, 4120000").
char SeparatorOf(QStringView line) {
    const char separator = dezadiravevava::api::TableLineSeparator(line.toUtf8().toStdString());
    return separator == ' ' && line.contains(QLatin1Char(',')) ? ',' : separator;
}

} // namespace

PointFileText CutPointFile(const QString& text, int pointFields) {
    PointFileText file;
    std::vector<PointFileLine>& lines = file.lines;
    const PointFileText cut = CutPointFile(
        text, pointFields, [&lines](PointFileLine&& line) { lines.push_back(std::move(line)); });
    file.header = cut.header;
    file.separator = cut.separator;
    return file;
}

PointFileText CutPointFile(const QString& text, int pointFields,
                           const std::function<void(PointFileLine&&)>& each) {
    // The non-blank lines with their numbers; CR LF, LF and CR end a line.
    std::vector<std::pair<int, QStringView>> lines;
    qsizetype start = 0;
    int number = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char('\r') &&
               text[end] != QLatin1Char('\n')) {
            ++end;
        }
        ++number;
        const QStringView line = QStringView(text).sliced(start, end - start);
        if (!line.trimmed().isEmpty()) {
            lines.emplace_back(number, line);
        }
        if (end < text.size() && text[end] == QLatin1Char('\r') && end + 1 < text.size() &&
            text[end + 1] == QLatin1Char('\n')) {
            ++end;
        }
        start = end + 1;
    }

    PointFileText file;
    std::size_t first = 0;
    if (!lines.empty()) {
        const char own = SeparatorOf(lines[0].second);
        const PointFileLine line = CutLine(lines[0].second, own, lines[0].first);
        std::vector<std::string> fields;
        for (const QString& field : line.fields) {
            fields.push_back(field.toStdString());
        }
        const bool pointLike = !line.quoteOpen &&
                               !dezadiravevava::api::IsTableHeaderLine(fields, own) &&
                               (pointFields == 0 || line.fields.size() == pointFields);
        if (!line.quoteOpen && !pointLike) {
            file.header = line.fields;
            first = 1;
        }
    }
    if (first >= lines.size()) {
        return file;
    }
    const char separator = SeparatorOf(lines[first].second);
    file.separator = QLatin1Char(separator);
    for (std::size_t i = first; i < lines.size(); ++i) {
        each(CutLine(lines[i].second, separator, lines[i].first));
    }
    return file;
}

QChar PointFileSeparator(const QString& text) {
    return CutPointFile(text).separator;
}

QString TableFullMessage() {
    return QStringLiteral("Se ha alcanzado el máximo de %1 puntos").arg(kPointCapacity);
}

QString RefusedLineText(const RefusedLine& refused) {
    return QStringLiteral("línea %1 (%2): %3").arg(refused.line).arg(refused.id, refused.reason);
}

QString ReadingSummary(const PointFileRead& read) {
    QStringList lines;
    if (!read.refused.empty()) {
        const int refused = static_cast<int>(read.refused.size());
        lines << QStringLiteral("%1 filas leídas: %2 puntos añadidos y %3 rechazados.")
                     .arg(read.rows)
                     .arg(read.added)
                     .arg(refused);
        lines << QString();
        for (int i = 0; i < std::min(refused, kRefusedListed); ++i) {
            lines << RefusedLineText(read.refused[static_cast<std::size_t>(i)]);
        }
        if (refused > kRefusedListed) {
            lines << QStringLiteral("… y %1 más (Ver todas).").arg(refused - kRefusedListed);
        }
    }
    if (read.end == PointFileEnd::TableFull) {
        if (!lines.isEmpty()) {
            lines << QString();
        }
        lines << TableFullMessage() + QLatin1Char('.');
        lines << QStringLiteral("No se han leído los ") + QString::number(read.leftOut) +
                     QStringLiteral(" puntos restantes del archivo.");
    }
    return lines.join(QLatin1Char('\r'));
}

namespace {

// The fields of a line of a point file, as the engine's table reader cuts
// its bytes (UTF-8).
struct ByteLine {
    int line = 0;
    std::vector<std::string> fields;
    bool quoteOpen = false;
};

QString FieldText(const std::string& field) {
    return QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
}

// Whether a line holds nothing but blanks (Unicode ones too).
bool IsBlankLine(std::string_view line) {
    bool other = false;
    for (const char c : line) {
        if ((static_cast<unsigned char>(c) & 0x80) != 0) {
            other = true;
        } else if (!IsAsciiSpace(c)) {
            return false;
        }
    }
    return !other ||
           QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())).trimmed().isEmpty();
}

char ByteSeparatorOf(std::string_view line) {
    const char separator = dezadiravevava::api::TableLineSeparator(line);
    return separator == ' ' && line.find(',') != std::string_view::npos ? ',' : separator;
}

// Why a line does not give a point of `kind`, or an empty text with `point`
// filled in.
QString ReadByteLine(const ByteLine& line, CoordinateKind kind, const PointLayout& layout,
                     PointRecord& point) {
    if (line.quoteOpen) {
        return QStringLiteral("comillas sin cerrar");
    }
    const auto& fields = line.fields;
    if (static_cast<int>(fields.size()) != layout.count) {
        return QStringLiteral("%1 datos; se esperan %2 (%3)")
            .arg(fields.size())
            .arg(layout.count)
            .arg(layout.fields);
    }
    point.zone = 0;
    double* coordinates[] = {&point.c1, &point.c2, &point.c3};
    for (std::size_t i = 0; i < 3; ++i) {
        if (!ReadDecimalField(fields[i + 1], *coordinates[i])) {
            return layout.names[i] + QStringLiteral(" no es un dato numérico ") +
                   Quoted(FieldText(fields[i + 1]));
        }
    }
    if (kind == CoordinateKind::Geodetic) {
        for (const QString& problem :
             {PackedFieldProblem(FieldText(fields[1]), layout.names[0], 90),
              PackedFieldProblem(FieldText(fields[2]), layout.names[1], 180)}) {
            if (!problem.isEmpty()) {
                return problem;
            }
        }
    }
    if (kind == CoordinateKind::Utm) {
        double zone = 0.0;
        if (!ReadDecimalField(fields[4], zone) || !(zone == 29.0 || zone == 30.0 || zone == 31.0)) {
            return QStringLiteral("el huso debe ser el 29, 30 ó 31 ") +
                   Quoted(FieldText(fields[4]));
        }
        point.zone = static_cast<std::int16_t>(zone);
    }
    point.id = PointId(std::string_view(fields[0]));
    return {};
}

// Lines read between two reports of progress.
constexpr int kLinesPerStep = 4096;

} // namespace

PointFileContents ParsePointFile(const QString& path, CoordinateKind kind, int room,
                                 const PointFileProgress& progress) {
    PointFileContents contents;
    PointFileRead& read = contents.read;
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        if (file.size() > kPointFileMaxBytes) {
            contents.failure =
                QStringLiteral("El archivo es demasiado grande para una lista de puntos:\r") + path;
            contents.failureTitle = QStringLiteral("Error");
            contents.critical = true;
            read.end = PointFileEnd::TooLarge;
            return contents;
        }
        bytes = file.readAll();
    }
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        contents.failure =
            QStringLiteral("No se puede leer el archivo:\r") + path +
            (file.errorString().isEmpty() ? QString() : QLatin1Char('\r') + file.errorString());
        contents.failureTitle = QStringLiteral("Error");
        contents.critical = true;
        read.end = PointFileEnd::Unreadable;
        return contents;
    }
    file.close();
    // The bytes as UTF-8: a file that is not UTF-8 is Windows-1252
    // (DecodePointFile), whose line ends and separators stay where they are.
    const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom)) {
        bytes.remove(0, bom.size());
        if (!QUtf8StringView(bytes).isValidUtf8()) {
            bytes = FromCp1252(bom + bytes).toUtf8();
        }
    } else if (!QUtf8StringView(bytes).isValidUtf8()) {
        bytes = FromCp1252(bytes).toUtf8();
    }
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));

    const PointLayout layout = LayoutOf(kind);
    // Lines that all have the fields of the other layout: the file is of
    // another kind of coordinates than the one chosen.
    const int other = layout.count == 5 ? 4 : 5;
    bool otherLayout = true;
    bool anyLine = false;
    // Room for the points of the file, one line a point at most.
    contents.points.reserve(std::min<qsizetype>(std::max(room, 0), bytes.count('\n') + 1));

    ByteLine line;
    bool first = true;
    char separator = ',';
    int sinceStep = 0;
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        ++number;
        const std::string_view lineText = text.substr(start, end - start);
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n') {
            ++end;
        }
        start = end + 1;
        if (++sinceStep == kLinesPerStep) {
            sinceStep = 0;
            if (progress && !progress(static_cast<qint64>(start))) {
                PointFileContents stopped;
                stopped.read.end = PointFileEnd::Cancelled;
                return stopped;
            }
        }
        if (IsBlankLine(lineText)) {
            continue;
        }
        line.line = number;
        if (first) {
            // A first line that does not read as a point is the header; the
            // separator is that of the first point line.
            first = false;
            const char own = ByteSeparatorOf(lineText);
            line.quoteOpen = !dezadiravevava::api::CutTableFields(lineText, own, line.fields);
            const bool pointLike = !line.quoteOpen &&
                                   !dezadiravevava::api::IsTableHeaderLine(line.fields, own) &&
                                   static_cast<int>(line.fields.size()) == layout.count;
            separator = ByteSeparatorOf(lineText);
            if (!line.quoteOpen && !pointLike) {
                // The next point line chooses the separator.
                separator = 0;
                continue;
            }
        }
        if (separator == 0) {
            separator = ByteSeparatorOf(lineText);
        }
        line.quoteOpen = !dezadiravevava::api::CutTableFields(lineText, separator, line.fields);
        anyLine = true;
        otherLayout = otherLayout && static_cast<int>(line.fields.size()) == other;
        if (read.end == PointFileEnd::TableFull || contents.points.size() >= room) {
            ++read.leftOut;
            read.end = PointFileEnd::TableFull;
            continue;
        }
        ++read.rows;
        PointRecord point;
        QString reason = ReadByteLine(line, kind, layout, point);
        if (reason.isEmpty()) {
            contents.points.push_back(std::move(point));
            ++read.added;
        } else {
            read.refused.push_back({line.line,
                                    line.fields.empty() ? QString() : FieldText(line.fields[0]),
                                    std::move(reason)});
        }
    }
    if (progress && !progress(static_cast<qint64>(text.size()))) {
        PointFileContents stopped;
        stopped.read.end = PointFileEnd::Cancelled;
        return stopped;
    }
    otherLayout = otherLayout && anyLine;
    if (otherLayout && read.added == 0) {
        PointFileContents wrong;
        wrong.read.end = PointFileEnd::WrongLayout;
        wrong.failure = QStringLiteral("Las coordenadas de origen son %1: se esperan %2 datos por "
                                       "línea (%3),\ry las líneas del archivo tienen %4.\r"
                                       "No se ha leído ningún punto.")
                            .arg(layout.kindName)
                            .arg(layout.count)
                            .arg(layout.fields)
                            .arg(other);
        wrong.failureTitle = QStringLiteral("Aviso");
        return wrong;
    }
    return contents;
}

void TellPointFileRead(const PointFileContents& contents, MessageSink& messages) {
    if (!contents.failure.isEmpty()) {
        messages.Show(contents.failure, contents.failureTitle,
                      contents.critical ? MessageIcon::Critical : MessageIcon::Exclamation);
        return;
    }
    const QString summary = ReadingSummary(contents.read);
    if (!summary.isEmpty()) {
        QStringList all;
        for (const RefusedLine& refused : contents.read.refused) {
            all << RefusedLineText(refused);
        }
        messages.ShowDetailed(summary, QStringLiteral("Aviso"), MessageIcon::Exclamation, all);
    }
}

PointFileRead ReadPointFile(const QString& path, CoordinateKind kind, ProgramState& state,
                            MessageSink& messages) {
    state.savedPointCount = state.pointCount;
    PointFileContents contents =
        ParsePointFile(path, kind, std::max(0, kPointCapacity - state.pointCount));
    const int count = static_cast<int>(contents.points.size());
    state.MakeRoom(state.pointCount + count);
    std::move(contents.points.begin(), contents.points.end(),
              state.PointTable.begin() + state.pointCount);
    state.pointCount += count;
    TellPointFileRead(contents, messages);
    return contents.read;
}

} // namespace quillon
