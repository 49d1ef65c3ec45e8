// The program-wide state of the desktop program and the routines
// that every window shares (sexagesimal conversions, number text, path
// splitting, region limits and the map's coordinate frame). Nothing here
// draws or needs a display.
#pragma once

#include <QPointF>
#include <QString>
#include <QVector>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace quillon {

// --- Geometry of the windows ------------------------------------------------

// Form positions and sizes are designed in twips: 15 twips are one pixel at
// 96 dpi. Qt scales device-independent pixels on other screens.
constexpr int Twips(int twips) {
    return (twips + 7) / 15;
}

// --- Points -----------------------------------------------------------------

// A point's identifier, kept compactly: its UTF-8 text in the identifier
// itself up to kInline bytes (nearly every identifier), a longer one in a
// block of its own. A list of a million points so holds no string object
// per point; the text is made when a cell or a file needs it.
class PointId {
public:
    PointId() noexcept { data_[kInline] = 0; }
    PointId(const QString& text); // NOLINT: an identifier is its text
    PointId(const char* utf8);    // NOLINT
    explicit PointId(std::string_view utf8) {
        data_[kInline] = 0;
        Set(utf8);
    }
    PointId(const PointId& other);
    PointId(PointId&& other) noexcept;
    PointId& operator=(const PointId& other);
    PointId& operator=(PointId&& other) noexcept;
    ~PointId();

    QString text() const;
    operator QString() const { return text(); } // NOLINT
    bool isEmpty() const { return bytes().empty(); }
    // The UTF-8 bytes of the text.
    std::string_view bytes() const;

    friend bool operator==(const PointId& a, const PointId& b) { return a.bytes() == b.bytes(); }
    friend bool operator==(const PointId& a, const QString& b) { return a.text() == b; }
    friend bool operator==(const PointId& a, const char* utf8) {
        return a.bytes() == std::string_view(utf8);
    }

private:
    static constexpr std::size_t kInline = 15;
    // Marks a text kept in a block of its own (the block's address in the
    // first bytes of data_, its length in the block's first four bytes).
    static constexpr unsigned char kOwnBlock = 0xFF;
    void Set(std::string_view utf8);
    void Release() noexcept;
    const char* block() const;

    // The inline text, then its length (or kOwnBlock) in the last byte.
    alignas(8) char data_[kInline + 1];
};

// One point of the list or of the results. Geodetic points keep latitude in
// c1 and longitude in c2, both packed sexagesimal (DD.MMSSsss), and h in c3;
// UTM points keep x, y, H and their zone; geocentric points X, Y, Z.
struct PointRecord {
    PointId id;
    double c1 = 0.0;
    double c2 = 0.0;
    double c3 = 0.0;
    std::int16_t zone = 0;
    // Results: the 95 % horizontal uncertainty in metres the engine gives
    // (NaN: none).
    double uncertainty = std::numeric_limits<double>::quiet_NaN();
};

// The most points a list holds: a bound on the memory of the tables, far
// beyond any survey (a lidar-derived control set, a parcel database).
constexpr int kPointCapacity = 2000000;
// Rows the point and result tables start with; they grow as points come.
constexpr int kInitialTableRows = 10000;

// Why a point of the list has no result in the last run.
enum class LeftOut : std::uint8_t {
    No,
    Outside,  // outside the area the program serves: never sent to the engine
    Rejected, // sent, but the engine refused its line (its log says why)
};

// --- Program-wide state ------------------------------------------------------

// The variables that all windows of the program read and write. One instance
// lives as long as the program.
struct ProgramState {
    ProgramState();

    // Makes room in the point and result tables for `count` points.
    void MakeRoom(int count);

    // Point list (numbered 1..pointCount; slot = number - 1).
    QVector<PointRecord> PointTable;
    int pointCount = 0;
    int savedPointCount = 0;
    int editPoint = 0;
    bool drawingMode = false;
    QString inputFileName;
    double drawingZone = 0.0;

    // Results of the last run, and the file its "Guardar Como" chose.
    QVector<PointRecord> ResultTable;
    QString saveFileName;

    // Catalogue vertices used by regional parameters.
    int catalogueVertexCount = 0;
    // The catalogue file chosen by the user; empty: the built-in catalogue.
    QString catalogueFile;
};

// Title of the program's plain message boxes (those without an icon).
inline constexpr char kProgramTitle[] = "Quillon";

// Number of geodetic vertices in the engine's catalogue.
constexpr int kCatalogueVertexCount = 180;

// --- Region limits ----------------------------------------------------------

// A rectangle over the first two coordinates of a point. A point lies outside
// when a coordinate is below its minimum or above its maximum.
struct Region {
    double c1Min;
    double c1Max;
    double c2Min;
    double c2Max;

    constexpr bool Contains(double c1, double c2) const {
        return !(c1 < c1Min || c1 > c1Max || c2 < c2Min || c2 > c2Max);
    }
};

// The area the program serves, by coordinate kind. Geodetic limits are
// latitude then longitude in packed sexagesimal form.
inline constexpr Region RegionUtm29{603468.54, 1182320.695, 3979199.954, 4297677.949};
inline constexpr Region RegionUtm30{82482.0, 639000.0, 3954000.0, 4308000.0};
inline constexpr Region RegionUtm31{-439473.317, 96166.156, 3962105.443, 4352922.49};
inline constexpr Region RegionGeocentric{4929885.752, 5182762.913, -687238.232, -121158.798};
inline constexpr Region RegionGeodetic{35.43105517, 38.49161829, -7.48293981, -1.27478498};

// The ED50 UTM zone 30 rectangle shown by the map picture.
struct MapRectangle {
    double xMin;
    double xMax;
    double yMin;
    double yMax;
};
inline constexpr MapRectangle MapExtent{82482.0, 641448.0, 3951850.0, 4308027.0};

// Pixel of a picture of `width` x `height` pixels covering MapExtent at which
// the zone 30 point (x, y) falls, and the way back.
QPointF MapToPixel(double x, double y, double width, double height);
QPointF PixelToMap(double px, double py, double width, double height);

// --- Sexagesimal angles -------------------------------------------------------

// Packed sexagesimal DD.MMSSsss to decimal degrees (37.4557947 is
// 37 degrees 45 minutes 57.947 seconds).
double PackedToDegrees(const double& v);
// Decimal degrees to packed sexagesimal.
double DegreesToPacked(const double& v);

// --- Text --------------------------------------------------------------------

// The part of `text` after (before) the last `separator`; `text` itself when
// the separator does not occur.
QString TextAfterLast(const QString& text, QChar separator);
QString TextBeforeLast(const QString& text, QChar separator);

// Number text of list lines and files: a leading blank for zero and positive
// values, "-" for negative ones, "." as decimal point, no "0" before the point
// below 1, at most 15 significant digits, trailing zeros dropped.
//
// The value is first rounded to 15 significant digits. Its decimal exponent e
// (the power of ten of the first significant digit after rounding) then picks
// the form: positional for -5 < e < 15, otherwise exponent form with a
// mantissa and "E+" or "E-" followed by at least two digits. So 1E+14 is
// " 100000000000000", 1E+15 is " 1E+15", .0001 stays " .0001" and .00001 is
// " 1E-05". This is the rule of the classic Basic conversion of a double to
// text (the C "%.15G" rule with the Basic sign and leading-zero conventions).
QString NumberText(const double& v);

// --- Common dialog filters --------------------------------------------------

// A common dialog filter "description|pattern|description|pattern|..." (the
// trailing "|" is optional) as Qt name filters, one per pair, in order, so
// that filter index n (from 1) is entry n - 1. A description that does not
// name its pattern in parentheses gets it appended.
QStringList NameFilters(const QString& filter);

} // namespace quillon

// An identifier holds no pointer into itself, so records move as bytes when
// a table grows or closes up.
Q_DECLARE_TYPEINFO(quillon::PointId, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(quillon::PointRecord, Q_RELOCATABLE_TYPE);
