// Points as text: the lines of the point list, the numbers typed in the point
// dialogs and the reading of point files into the point table. Nothing here
// needs a window; the point list and its dialogs (lista_puntos.h, dialogo_anadir_punto.h,
// dialogo_editar_punto.h) build on it.
#pragma once

#include "comun.h"

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace quillon {

class MessageSink;

// Kind of the coordinates of every point in the list: the kind selected for
// the source system on the transformation form.
enum class CoordinateKind {
    Geocentric, // X, Y, Z
    Geodetic,   // latitude, longitude (packed sexagesimal), h
    Utm,        // x, y, H and the zone
};

// --- Point lines and fields ---------------------------------------------------

// Line of a point as the program has always shown it: the identifier, then
// NumberText of c1, c2, c3 and, for UTM points, of the zone, separated by
// ",". A UTM point V1 at 455000.25, 4120000, .5 in zone 30 is
// "V1, 455000.25, 4120000, .5, 30".
QString PointLine(const PointRecord& point, bool withZone);

// --- Numbers typed or read ----------------------------------------------------

// Reads `text` as a decimal number as Spanish users write it: blanks around
// it ignored, an optional sign, digits with one decimal comma or decimal
// point ("343622,117" and "343622.117" are the same number), and an optional
// exponent ("1e-3", "1,5E+2"). Group separators, blanks inside, a second
// separator, anything after the number, and values that are not finite are
// refused. False when refused; `value` is then left alone.
bool ReadDecimal(const QString& text, double& value);

// A number as the program shows it in a field or a table cell, for the user
// to read and retype: the shortest text that reads back as the same double,
// in fixed notation, with the decimal sign of `locale` and no group
// separators ("455000,25" in Spanish, "-3.5" in the C locale).
QString DecimalText(double value, const QLocale& locale);

// --- Sexagesimal angles ---------------------------------------------------------

// What is wrong with a packed sexagesimal angle DD.MMSSsss given for the
// field `field` ("Latitud", "Longitud"), or an empty text when nothing is:
// the minutes (the first two decimals) and the seconds (the following ones)
// must be below 60 and the degrees within `maxDegrees` either side of 0.
QString PackedAngleProblem(double packed, const QString& field, int maxDegrees);

// --- Point files --------------------------------------------------------------

// Text of a point file's bytes: UTF-8 when they are valid UTF-8 (a leading
// byte order mark is skipped), otherwise Windows-1252.
QString DecodePointFile(const QByteArray& bytes);

// The items of a point file, read as one stream. Items are separated by
// `separator` (a comma, a semicolon or a TAB) and by line ends (CR LF, LF or
// CR); blanks around an item are ignored, and an item may be enclosed in
// double quotes (separators inside are then part of it). The reader does not
// re-align on line ends: a line with too few or too many items shifts the
// items of the following points. Blank lines are skipped.
class PointItemReader {
public:
    explicit PointItemReader(QString text, QChar separator = QLatin1Char(','));

    // Skips the rest of the current line and its line end.
    void SkipLine();
    // True when only blanks and line ends remain.
    bool AtEnd();
    // Reads the next item into `item`; false at the end of the text.
    bool Next(QString& item);

private:
    void SkipBlanks(bool lineEndsToo);
    bool AtLineEnd() const;
    bool IsBlankHere() const;

    QString text_;
    QChar separator_;
    qsizetype at_ = 0;
};

// The item separator of a point file's text: the first line after the header
// that holds anything decides; a semicolon or a TAB on it makes that the
// separator (so that decimal commas can be used), otherwise it is the comma.
QChar PointFileSeparator(const QString& text);

// How the reading of a point file ended.
enum class PointFileEnd {
    Complete,   // every point of the file was read
    PointCut,   // the file ended inside a point: the read was undone
    TableFull,  // the point table was full: the points read so far stay
    Unreadable, // the file could not be opened or read: nothing was read
    TooLarge,   // the file is larger than any point list: nothing was read
};

struct PointFileRead {
    PointFileEnd end = PointFileEnd::Complete;
    // Points added to the table by this read.
    int added = 0;
    // With TableFull: the points of the file that were left out.
    int leftOut = 0;
};

// Largest point file the program reads: far beyond 10000 points of any
// sensible line length, and small enough to hold in memory.
inline constexpr qint64 kPointFileMaxBytes = 64 * 1024 * 1024;

// Reads the point file `path` after the points of `state`: its first line is
// a header; then each point has four items (identifier, c1, c2, c3) or, with
// `withZone`, five (identifier, x, y, H, zone), separated as
// PointFileSeparator finds. Accepted points go to the point table after the
// points already there. A point with a non-numeric coordinate, an impossible
// sexagesimal angle (for `kind` geodetic) or a zone other than 29, 30 or 31
// is refused with a message for each fault, and the next point takes its
// number. At 10000 points the read stops with a message that says how many
// points were left out. When the file ends inside a point the message about
// the kind of coordinates is shown and every point of this read is removed
// again (pointCount back to savedPointCount). A file that cannot be read is
// named in an error message.
PointFileRead ReadPointFile(const QString& path, bool withZone, CoordinateKind kind,
                            ProgramState& state, MessageSink& messages);

// The message shown when an add would go beyond the point table.
QString TableFullMessage();

} // namespace quillon
