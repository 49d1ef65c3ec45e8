// Dezadiravevava's C++ interface: one typed description of a transformation
// run (TransformRequest), read from command-line style arguments or built by
// hand, checked once, and the runs that take it. quillon-cli is a client of
// this header and of nothing else in the library; other C++ hosts may use it
// the same way. The C interface of dezadiravevava.h stays the stable binary
// interface for C and for hosts of the automation control.
//
// Everything here lives in namespace dezadiravevava::api; the library exports
// exactly those symbols (and the dzv_* functions). Texts are UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#if defined(__GNUC__)
#define DZV_CXX_API __attribute__((visibility("default")))
#else
#define DZV_CXX_API
#endif

namespace dezadiravevava::api {

enum class Datum { kEd50, kEtrs89 };

enum class Kind {
    kGeodetic,   // longitude, latitude [decimal degrees], ellipsoidal h
    kUtm,        // x, y [m], H
    kGeocentric, // X, Y, Z [m]
};

// How the parameters of the datum change are obtained.
enum class Method {
    kNational, // the fixed national set for Spain (Helmert 3D, EPSG:1632)
    kRegional, // estimated from every catalogue vertex
    kDistance, // estimated from the vertices within `selection` metres of the origin
    kNearest,  // estimated from the `selection` vertices nearest the origin
    kGrid,     // the official IGN grid SPED2ETV2 (NTv2), or another one
};

// The model of estimated parameters.
enum class Model { kHelmert, kMolodensky, kAffine };

// One side of a run.
struct Side {
    Datum datum = Datum::kEd50;
    Kind kind = Kind::kUtm;
    // UTM zone 1..60; 0: each point's own zone (input, its fifth TXT field or
    // fourth point field) or its natural zone (output).
    int zone = 0;
    // The EPSG code the side was given as ("EPSG:25830+5782"), else empty.
    std::string code;
    // Its heights are orthometric (Alicante, through the geoid; the request
    // must then have orthometric_heights): a compound code with EPSG:5782.
    // UTM heights are orthometric with orthometric_heights whatever this
    // says; geodetic ones only with it.
    bool orthometric = false;

    bool operator==(const Side&) const = default;
};

// The orders of quillon-cli that take a run description. Each accepts the
// options that apply to it and refuses the others.
enum class Order { kPunto, kTxt, kDxf, kCentroide, kTxtToDxf, kParametros, kCapa, kTabla };

struct TransformRequest {
    Side a;
    Side b;
    Method method = Method::kNational;
    Model model = Model::kHelmert;
    // Metres (kDistance) or a number of vertices (kNearest).
    double selection = 0.0;
    // Centre of the vertex search in ED50 UTM zone 30; none: the centre of
    // the rectangle around the data.
    std::optional<std::array<double, 2>> origin;
    // The H of UTM points is orthometric, related to the ETRS89 ellipsoidal
    // height through the geoid (h = H + N).
    bool orthometric_heights = false;
    std::string grid_path;  // NTv2 grid of kGrid; empty: the bundled SPED2ETV2
    std::string geoid_path; // GTX geoid; empty: the bundled EGM08-REDNAP
    // The catalogue of common points that kRegional, kDistance and kNearest
    // search: a table file (see docs/cli-and-files.md); empty: the built-in
    // one. The log names it, with the file's SHA-256.
    std::string catalogue_path;
    // Points outside the region the engine serves are refused.
    bool region_only = true;
    // Threads that transform the points: 1 the calling thread; 0 the cores.
    int threads = 0;
    // Each output point also gets its 95 % horizontal uncertainty in metres,
    // as a last column (txt) or field (punto).
    bool uncertainty = false;
    // The execution log; empty: the output's path followed by ".log", or no
    // log at all when the output is a stream ("-", a device or a pipe).
    std::string log_path;
    // Several inputs: each output goes into this folder, named after its
    // input (see BatchOutputPath).
    std::string output_folder;
    // A run its host stops (Progress::stop_requested) leaves the previous log
    // in place too; else the log is replaced by one that says it was stopped.
    bool keep_log_when_stopped = false;
    // Point drawings (TxtToDxf) of UTM points: the zone of the drawing, into
    // which points of other zones are projected on the ellipsoid of
    // `drawing_datum`; 0: the list's own zone, which must be one.
    int drawing_zone = 0;
    std::optional<Datum> drawing_datum;
    // Each point's identifier as a TEXT beside it.
    bool drawing_labels = false;
    // parametros --proj: the order shows only the PROJ pipeline of the set,
    // from side a to side b (see ProjPipeline).
    bool proj_pipeline = false;
    // A drawing with entities that cannot be moved (opaque bodies, proxies,
    // unknown kinds) is refused instead of written with them as they were.
    bool strict = false;
    // The origin, when given, must lie in the served region's rectangle of
    // ED50 UTM zone 30 (a centre given in degrees by mistake is refused);
    // hosts whose users type the origin by hand set it.
    bool origin_in_region = false;
    // Point tables (tabla): the columns of the identifier, first, second and
    // third coordinate and zone, as header names or 1-based numbers ("" for
    // none; the missing last ones are none too); empty: found by the
    // header's names or by position.
    std::vector<std::string> table_columns;
    // The separator of a table's fields ('\t', ';', ',' or ' ' for runs of
    // blanks); 0: found from its first line.
    char table_separator = 0;
    // The first two coordinates of a table's geodetic sides are packed
    // sexagesimal degrees (gg.mmssss).
    bool sexagesimal = false;

    bool operator==(const TransformRequest&) const = default;
};

// A request read from arguments: the request, and the arguments that are not
// options (files, points), in order.
struct ParsedRequest {
    TransformRequest request;
    std::vector<std::string> operands;
};

// Reads the options of `order` ("--sistema-a EPSG:23030", "--datum-a ED50",
// "--parametros vecinos", ...; "--name=value" too; everything after "--" is
// an operand) and checks the request they make. On a usage error returns
// nothing and `error` names the option and what is wrong with it. The file of
// --catalogo is read here: a bad one is a usage error that names each bad row
// on a line of its own.

DZV_CXX_API std::optional<ParsedRequest>
ParseRequest(Order order, const std::vector<std::string>& args, std::string& error);

// The first thing wrong with a request for `order`, or an empty string:
// an option that does not apply (a selection with the national set, a grid
// path with another method, the geoid with no UTM side, a zone on a side
// that is not UTM...), a selection that is not usable, a bad zone. (A number
// of vertices beyond the size of a catalogue file is only seen when the file
// is read: CheckCatalogue.)
DZV_CXX_API std::string CheckRequest(Order order, const TransformRequest& request);

// What is wrong with the catalogue file of a request, one line a problem
// ("línea 7: ed50_y no es un número"), a number of vertices the catalogue
// does not have included; empty when it is good or the request names none.
// `vertices`, when given, receives the catalogue's size.
DZV_CXX_API std::string CheckCatalogue(const TransformRequest& request, int* vertices = nullptr);

// The side an EPSG code names ("EPSG:23030", "epsg:4258", "25830+5782"),
// and whether its heights are orthometric (a compound code with EPSG:5782).
struct EpsgSide {
    Side side;
    bool orthometric_heights = false;
};
DZV_CXX_API std::optional<EpsgSide> SideOfEpsg(std::string_view code);
// The codes SideOfEpsg knows, for messages and help texts.
DZV_CXX_API std::string_view KnownEpsgCodes();

// ---- Runs -------------------------------------------------------------

// What a long run tells its host. Every member may be left empty.
struct Progress {
    std::function<void(std::string_view caption, std::uint64_t size)> open;
    std::function<void(std::uint64_t position)> step;
    std::function<void()> close;
    // Asked between lines: true stops the run, which then replaces nothing.
    std::function<bool()> stop_requested;
};

// kTable: a point table (TAB, ";", "," or blanks; see docs/tables.md).
enum class FileFormat { kTxt, kDxf, kTable };

// Whether an output is a stream: standard output ("-") or something that
// exists and is neither a regular file nor a folder (a device, a pipe). A
// stream is written as the run goes, and gets no log beside it.
DZV_CXX_API bool IsStream(const std::string& path);

// The file format a path has by its extension (".dxf", any case: a drawing).
DZV_CXX_API FileFormat FormatOfPath(std::string_view path);

struct FileOutcome {
    bool succeeded = false;
    bool log_written = false; // the log now holds this run's account
    std::string log_path;     // the log the run wrote (or tried to); empty: none
    std::string failure;      // why the run failed, one line
    long long rejected = 0;   // point lines rejected (TXT)
    long long points = 0;     // points transformed and written (TXT)
    // Model-space entities of a drawing left as they were, and their kinds
    // with their counts ("3DSOLID 2, MPOLYGON 1").
    long long untransformed = 0;
    std::string untransformed_kinds;
    // What the user should know of a run that succeeded, as its log says it
    // (one line each): points a local fit extrapolates to.
    std::vector<std::string> warnings;
};

// Transforms `input` into `output` ("-": standard input or output) and writes
// the log the request names. The origin of a local search, when the request
// has none, is the centre of the rectangle around the input's points.
DZV_CXX_API FileOutcome TransformFile(FileFormat format, const TransformRequest& request,
                                      const std::string& input, const std::string& output,
                                      const Progress& progress);

// The output path of `input` in a batch into `folder`: its name with
// "_ETRS89" or "_ED50" (the target datum) before the extension.
DZV_CXX_API std::string BatchOutputPath(const std::string& input, const std::string& folder,
                                        Datum target);

// Centroid, bounding rectangle and count of the points of a TXT file or a
// drawing (by extension), in ED50 UTM zone 30 with the national set. Reads
// side a, threads and region_only of the request.
struct CentroidOutcome {
    bool succeeded = false;
    double x = 0.0, y = 0.0;
    double x_min = 0.0, x_max = 0.0, y_min = 0.0, y_max = 0.0;
    long long count = 0;
};
DZV_CXX_API CentroidOutcome FileCentroid(const TransformRequest& request, const std::string& path,
                                         const Progress& progress);

// A TXT point file as a DXF R12 drawing of POINT entities, coordinates as
// they are (UTM points of other zones than the drawing's projected into it).
// Reads the kind of side a, threads and the drawing members. False on
// failure, with `failure` set when the reason is known (a list of several
// zones and none chosen, for one).
DZV_CXX_API bool TxtToDxf(const TransformRequest& request, const std::string& input,
                          const std::string& output, const Progress& progress,
                          std::string& failure);

// Single points with a prepared request (national set or grid).
class DZV_CXX_API PointConverter {
public:
    // Prepares the request's parameter set (and grid, geoid); nothing, with
    // `failure` set, when it cannot.
    static std::optional<PointConverter> Make(const TransformRequest& request,
                                              std::string& failure);
    PointConverter(PointConverter&&) noexcept;
    PointConverter& operator=(PointConverter&&) noexcept;
    ~PointConverter();

    // Converts the point whose fields are `fields`: c1, c2, then c3 when it
    // is a number (always for geocentric input), then the zone for UTM input
    // without one. The result's fields joined by TAB, followed by the fields
    // after those (copied, TAB-separated); nothing, with `failure` set, for a
    // bad point.
    std::optional<std::string> Convert(const std::vector<std::string>& fields,
                                       std::string& failure) const;

private:
    struct State;
    explicit PointConverter(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// Catalogue vertices around a centre (c1, c2[, c3] on `side`; geodetic in
// degrees): within `distance` metres in catalogue order, or the `count`
// nearest, nearest first, in the catalogue of `catalogue_path` (empty: the
// built-in one). A UTM centre of another zone is carried to zone 30.
struct FoundVertex {
    int number = 0;
    std::string name;
    double ed50_x = 0.0, ed50_y = 0.0; // ED50 UTM zone 30
    double distance = 0.0;             // to the centre [m]
};
DZV_CXX_API std::optional<std::vector<FoundVertex>>
FindVertices(const Side& side, const std::array<double, 3>& centre, std::optional<double> distance,
             std::optional<int> count, std::string& failure,
             const std::string& catalogue_path = {});

// The parameter set of a request (datums, method, model, selection, origin,
// grid) and the block the execution log gets for it; `ready` false when it
// could not be prepared.
DZV_CXX_API std::string ParameterReport(const TransformRequest& request, bool& ready);

// The PROJ pipeline (for cct or cs2cs, geodetic coordinates in degrees) that
// carries points from side a to side b as a run of the request does; nothing,
// with `failure` set, when the set cannot be prepared or PROJ has no
// equivalent (the Molodensky model).
DZV_CXX_API std::optional<std::string> ProjPipeline(const TransformRequest& request,
                                                    std::string& failure);

// A whole field as a decimal number ("-3.5", "1e3"; not "12,5" or "3x"),
// or nothing; never an infinity or NaN.
DZV_CXX_API std::optional<double> NumberOfField(std::string_view field);

// A number with `decimals` fixed decimals and a "." mark, as the engine's
// files write it.
DZV_CXX_API std::string FixedText(double value, int decimals);

// ---- Arrays of points -----------------------------------------------------
//
// For hosts that read and write points in formats of their own (GIS layers):
// the request prepared once, then any number of arrays transformed with it as
// a TXT run transforms the points of its file, and the texts of its log.

// Why a point of an array was not transformed.
enum class PointResult : std::int32_t {
    kTransformed = 0,
    kNotFinite = 1,
    kZoneInvalid = 2,
    kOutsideRegion = 3,
    kOutOfRange = 4,
    kOutsideGrid = 5,
    kOutsideGeoid = 6,
    kOutsideDomain = 7,
};

// The reason a point was refused, in the words of the log ("fuera de la
// región de cálculo"); empty for kTransformed.
DZV_CXX_API std::string_view PointResultReason(PointResult status);

// The rectangle around points in ED50 UTM zone 30 with the national set,
// grown point by point: the default origin of a local search is its centre.
struct DataExtent {
    double x_min = 0.0, x_max = 0.0, y_min = 0.0, y_max = 0.0;
    long long count = 0; // points inside; 0: no rectangle yet
};

// Adds to `extent` the n points of `points` (`columns` 2: c1 c2, or 3:
// c1 c2 c3, one point after another) on side a of the request (which needs
// its zone when UTM). Points that are not coordinates of the side are left
// out.
DZV_CXX_API void AddToExtent(const TransformRequest& request, std::int64_t n, const double* points,
                             int columns, DataExtent& extent);

// A request prepared for arrays of points. The sides need their zone when
// they are UTM: there are no per-point zones in an array.
class DZV_CXX_API PointArrayRun {
public:
    // Prepares the set of the request; a local search without an origin
    // searches around the centre of `extent` (which must then hold points).
    // Nothing, with `failure` set (one line), when it cannot.
    static std::optional<PointArrayRun> Make(const TransformRequest& request,
                                             const DataExtent* extent, std::string& failure);
    PointArrayRun(PointArrayRun&&) noexcept;
    PointArrayRun& operator=(PointArrayRun&&) noexcept;
    ~PointArrayRun();

    // Transforms n points of `columns` (2 or 3 both in and out) from `in`
    // into `out` (which may be `in`) on the request's threads; `status`
    // receives each point's PointResult. A missing height is 0 and a
    // refused point's output is NaN.
    void Transform(std::int64_t n, const double* in, double* out, int columns,
                   std::int32_t* status) const;

    // The start of the run's execution log (UTF-8, "\n" line ends): its
    // header naming `input` and `output`, then the block of the parameter set.
    std::string LogHead(const std::string& input, const std::string& output) const;

    // The origin of the vertex search (ED50 UTM 30), for local fits.
    std::optional<std::array<double, 2>> origin() const;

private:
    struct State;
    explicit PointArrayRun(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// ---- Point lists ------------------------------------------------------------
//
// For hosts that keep a list of points in memory (the desktop program): the
// list runs through the same code as a TXT run of the file that would hold
// it (a title line, then one line per point in order, so that the point at
// index i is the file's line i + 2), and one value tells the host everything
// that run's output and log would.

struct PointList {
    // c1, c2, c3 of each point, one point after another, as a TXT file has
    // them: x, y, H (UTM); X, Y, Z (geocentric); longitude, latitude in
    // decimal degrees, h (geodetic).
    std::vector<double> coordinates;
    // Each point's UTM zone, when side a is UTM without one zone (a.zone 0).
    std::vector<std::int32_t> zones;
    // The input and output the log's header names; an empty one leaves its
    // line out of the header.
    std::string input_name;
    std::string output_name;

    std::int64_t size() const { return static_cast<std::int64_t>(coordinates.size() / 3); }
};

// A catalogue vertex behind an estimated set, with its residual: where the
// catalogue puts it on the target side minus where the set carries its
// source position, ED50/ETRS89 UTM zone 30 metres.
struct VertexResidual {
    int number = 0;
    std::string name;
    bool used = false; // false: left out of the estimation as a blunder
    double ed50_x = 0.0, ed50_y = 0.0;
    double residual_x = 0.0, residual_y = 0.0;
};

struct PointListOutcome {
    bool succeeded = false;
    bool cancelled = false; // stopped through Progress::stop_requested
    std::string failure;    // why the run failed, one line
    // Per point, in the order of the list: its status, and when transformed
    // its c1, c2, c3 as the TXT output writes them (to their written
    // decimals; NaN when refused), its output zone (UTM output; else 0) and,
    // with request.uncertainty, its 95 % horizontal uncertainty in metres
    // to the millimetre (NaN when the set knows none).
    std::vector<PointResult> status;
    std::vector<double> results;
    std::vector<std::int32_t> zones;
    std::vector<double> uncertainty;
    // The refused points (index in the list) with the reason the log gives.
    std::vector<std::pair<std::int64_t, std::string>> refused;
    long long points = 0;   // transformed
    long long rejected = 0; // refused
    // The vertices of the estimation (regional and local sets), with their
    // residuals; empty for the national set and the grid.
    std::vector<VertexResidual> vertices;
    // The vertices the estimation used, as its log counts them ("Número de
    // puntos utilizados"); -1 when nothing was estimated.
    int vertices_used = -1;
    // The centre of the vertex search (ED50 UTM 30), for local sets.
    std::optional<std::array<double, 2>> origin;
    // Points a local fit extrapolates to, as the log says it (one line each).
    std::vector<std::string> warnings;
    // The execution log (UTF-8, "\n" line ends) as the TXT run of the list's
    // file writes it: header, parameter block, rejected lines and summary,
    // or how far it got and why it stopped (LogFileBytes gives the file's
    // bytes).
    std::string log;
};

// Transforms the list with `request` (its sides, method, model, selection,
// origin, heights, grid, geoid, catalogue, region_only, threads and
// uncertainty) on the request's threads. A local set without an origin is
// searched around the centre of the rectangle around the points. The
// progress window counts points; a stop request is asked between blocks of
// points and ends the run as cancelled.
DZV_CXX_API PointListOutcome TransformPointList(const TransformRequest& request,
                                                const PointList& points, const Progress& progress);

// The vertices a request's set is estimated from (regional and local sets,
// around request.origin for a local one), with their residuals, as
// TransformPointList gives them; empty for the national set and the grid.
// For hosts that run a drawing through the file call and map its vertices.
// Nothing, with `failure` set, when the set cannot be prepared.
DZV_CXX_API std::optional<std::vector<VertexResidual>>
EstimationVertices(const TransformRequest& request, std::string& failure);

// Centroid, bounding rectangle and count of the points of a list in ED50 UTM
// zone 30 with the national set, as FileCentroid gives them for the list's
// file (points outside the domain left out). Reads side a and region_only of
// the request. `zone30`, when given, receives each point's x, y there (2 per
// point, NaN for a point left out), for hosts that draw the points.
DZV_CXX_API CentroidOutcome PointListCentroid(const TransformRequest& request,
                                              const PointList& points,
                                              const Progress& progress = {},
                                              std::vector<double>* zone30 = nullptr);

// A log text (UTF-8, "\n" line ends) as the engine writes its logs:
// Windows-1252 with CR LF line ends.
DZV_CXX_API std::string LogFileBytes(std::string_view text);

// ---- Lines of point tables ------------------------------------------------
//
// For hosts that read point lists of their own: the engine's table reader
// one line at a time (as quillon-cli tabla cuts its input), so that a host
// never reads across a line end. Texts are bytes with ASCII separators (UTF-8
// or Windows-1252 alike).

// The separator of a table whose first line is `first`: TAB or ';' when the
// line holds one, else ',' when it cuts the line into more fields than blanks
// do, else ' ' (runs of blanks).
DZV_CXX_API char TableLineSeparator(std::string_view first);

// The fields of one line (without its end) cut by `separator`, without the
// blanks around them and with quotes removed ("" inside quotes is a quote).
// A blank line has no fields. False for a quote that is not closed.
DZV_CXX_API bool CutTableFields(std::string_view line, char separator,
                                std::vector<std::string>& fields);

// Whether a first line cut into `fields` is a header: none of them is a number.
DZV_CXX_API bool IsTableHeaderLine(const std::vector<std::string>& fields, char separator);

// A packed sexagesimal angle gg.mmssss ("-5.193045" is -5 deg 19' 30.45"),
// as tables of geodetic coordinates write them, read into decimal degrees.
enum class PackedAngleReading {
    kAngle,         // `degrees` holds the angle
    kNotANumber,    // not an optional sign, digits and an optional "." and digits
    kMinutesOver59, // minutes of 60 or more
    kSecondsOver59, // seconds of 60 or more
};
DZV_CXX_API PackedAngleReading ReadPackedAngle(std::string_view text, double& degrees);

} // namespace dezadiravevava::api
