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
#include <QVector>
#include <functional>
#include <vector>

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

// A point file cut into lines and fields by the engine's table reader, one
// line at a time: a line never lends fields to the next. Lines end in CR LF,
// LF or CR; blank lines are skipped. The separator is that of the first point
// line (TAB or ';', which leave the comma to decimals; else ',' when the line
// holds one; else runs of blanks);
// the first line is a point when it reads as one (the `pointFields` fields of
// a point, some of them numbers; any number of fields when 0), and a header
// otherwise, so a file without a header loses no point.
struct PointFileLine {
    int line = 0; // 1-based line of the file
    QStringList fields;
    bool quoteOpen = false; // a quote not closed on the line
};

struct PointFileText {
    QStringList header; // empty when the file has no header line
    QChar separator = QLatin1Char(',');
    std::vector<PointFileLine> lines;
};

PointFileText CutPointFile(const QString& text, int pointFields = 0);
// The same, each line given to `each` as it is cut instead of kept in
// `lines`: for files of many lines.
PointFileText CutPointFile(const QString& text, int pointFields,
                           const std::function<void(PointFileLine&&)>& each);

// The item separator of a point file's text, as CutPointFile finds it.
QChar PointFileSeparator(const QString& text);

// How the reading of a point file ended.
enum class PointFileEnd {
    Complete,    // every line of the file was read (some may be refused)
    WrongLayout, // the lines have the fields of another kind of coordinates:
                 // nothing was read
    TableFull,   // the point table was full: the points read so far stay
    Unreadable,  // the file could not be opened or read: nothing was read
    TooLarge,    // the file is larger than any point list: nothing was read
    Cancelled,   // the user stopped the reading: nothing was read
};

// A line of a point file that gave no point.
struct RefusedLine {
    int line = 0;
    QString id;
    QString reason;
};

struct PointFileRead {
    PointFileEnd end = PointFileEnd::Complete;
    // Point lines of the file (without the header and blank lines).
    int rows = 0;
    // Points added to the table by this read.
    int added = 0;
    // The lines refused, in file order.
    std::vector<RefusedLine> refused;
    // With TableFull: the point lines of the file that were left out.
    int leftOut = 0;
};

// Largest point file the program reads: far beyond 10000 points of any
// sensible line length, and small enough to hold in memory.
inline constexpr qint64 kPointFileMaxBytes = 64 * 1024 * 1024;

// Reads the point file `path` after the points of `state`. Each point line
// has four fields (identifier, c1, c2, c3) or, for `kind` UTM, five
// (identifier, x, y, H, zone). A line with another number of fields, a
// coordinate that is not a number, an impossible packed sexagesimal angle
// (geodetic: read by the engine's conversion) or a zone other than 29, 30 or
// 31 is refused with its line number, identifier and reason; the other
// points are added. All the problems of the file are told in one message
// (ReadingSummary). When no line is a point and the lines have the fields of
// the other kind, the file is refused once with what was expected. At
// kPointCapacity points the read stops and says how many were left out. A
// file that cannot be read is named in an error message.
PointFileRead ReadPointFile(const QString& path, CoordinateKind kind, ProgramState& state,
                            MessageSink& messages);

// The points of a point file read apart from the point list, so that the
// reading may run on a thread of its own and leave the list as it was when
// stopped: ReadPointFile's reading without its messages.
struct PointFileContents {
    PointFileRead read;
    // The points read, in file order.
    QVector<PointRecord> points;
    // With WrongLayout, Unreadable and TooLarge: the message that says why
    // nothing was read, with its title and icon (TellPointFileRead shows it).
    QString failure;
    QString failureTitle;
    bool critical = false;
};

// Told how far the reading has gone, in bytes of the file; the reading stops
// (PointFileEnd::Cancelled) when it returns false.
using PointFileProgress = std::function<bool(qint64 position)>;

// Reads the point file `path` as ReadPointFile does, into a list of its own
// that takes at most `room` points. Touches no state shared with the
// windows, so it may run on any thread.
PointFileContents ParsePointFile(const QString& path, CoordinateKind kind, int room,
                                 const PointFileProgress& progress = {});

// The message about a reading of `contents`: its failure, or the summary of
// the refused lines and of a full table; nothing for a clean reading.
void TellPointFileRead(const PointFileContents& contents, MessageSink& messages);

// How many refused lines the summary of a reading lists; the others are
// under "Ver todas".
inline constexpr int kRefusedListed = 10;

// A refused line as the summary lists it: "línea 3 (V2): X no es un número".
QString RefusedLineText(const RefusedLine& refused);

// The one message about the reading of a file: the rows read, the points
// added and refused, the first kRefusedListed refused lines and, for a full
// table, the points left out. Empty when there is nothing to tell.
QString ReadingSummary(const PointFileRead& read);

// The message shown when an add would go beyond the point table.
QString TableFullMessage();

} // namespace quillon
