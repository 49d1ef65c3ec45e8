// Points as text: the lines of the point list, the numbers typed in the point
// dialogs and the reading of point files into the point table. Nothing here
// needs a window; the point list and its dialogs (lista_puntos.h, apunto.h,
// epunto.h) build on it.
#pragma once

#include "module1.h"

#include <QByteArray>
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

// Line of the point list for `point`: the identifier, then NumberText of c1,
// c2, c3 and, for UTM points, of the zone, separated by ",". A UTM point V1
// at 455000.25, 4120000, .5 in zone 30 is "V1, 455000.25, 4120000, .5, 30".
QString PointLine(const PointRecord& point, bool withZone);

// Text of a coordinate in a dialog field: its NumberText without the leading
// blank of zero and positive values ("-3.5", ".25", "4120000").
QString FieldText(double value);

// --- Numbers typed or read ----------------------------------------------------

// The numeric check of dialog fields and file items: the text, blanks around
// it ignored, reads whole as a finite number in the C locale or in the
// user's locale (so "455000.5" always passes, and "1,5" passes where "," is
// the decimal sign). Group separators are not accepted.
bool IsNumericText(const QString& text);

// The value of the number that `text` starts with: blanks anywhere are
// ignored, "." is the decimal point, an exponent may follow ("E", "e", "D" or
// "d", optional sign, digits), and reading stops at the first character that
// cannot continue the number. Text without a leading number reads as 0.
// "30abc" is 30, "1,5" is 1, " - 2 . 5" is -2.5.
double LeadingValue(const QString& text);

// --- Point files --------------------------------------------------------------

// Text of a point file's bytes: UTF-8 when they are valid UTF-8 (a leading
// byte order mark is skipped), otherwise Windows-1252.
QString DecodePointFile(const QByteArray& bytes);

// The items of a point file, read as one stream. Items are separated by
// commas and by line ends (CR LF, LF or CR); blanks around an item are
// ignored, and an item may be enclosed in double quotes (commas inside are
// then part of it). The reader does not re-align on line ends: a line with
// too few or too many items shifts the items of the following points. Blank
// lines are skipped.
class PointItemReader {
public:
    explicit PointItemReader(QString text);

    // Skips the rest of the current line and its line end.
    void SkipLine();
    // True when only blanks and line ends remain.
    bool AtEnd();
    // Reads the next item into `item`; false at the end of the text.
    bool Next(QString& item);

private:
    void SkipBlanks(bool lineEndsToo);
    bool AtLineEnd() const;

    QString text_;
    qsizetype at_ = 0;
};

// How the reading of a point file ended.
enum class PointFileEnd {
    Complete,   // every point of the file was read
    PointCut,   // the file ended inside a point: the read was undone
    TableFull,  // the point table was full: the points read so far stay
    Unreadable, // the file could not be opened: nothing was read
};

struct PointFileRead {
    PointFileEnd end = PointFileEnd::Complete;
    // List lines of the points added, in order.
    QStringList lines;
};

// Reads the point file `path` after the points of `state`: its first line is
// a header; then each point has four items (identifier, c1, c2, c3) or, with
// `withZone`, five (identifier, x, y, H, zone). Accepted points go to the
// point table after the points already there. A point with a non-numeric
// coordinate or a zone other than 29, 30 or 31 is refused with a message for
// each fault, and the next point takes its number. At 10000 points the read
// stops with a message. When the file ends inside a point the message about
// the kind of coordinates is shown and every point of this read is removed
// again (pointCount back to savedPointCount).
PointFileRead ReadPointFile(const QString& path, bool withZone, ProgramState& state,
                            MessageSink& messages);

// The message shown when a read or an add would go beyond the point table.
QString TableFullMessage();

} // namespace quillon
