#include "files/dxf_processing.h"

#include "files/dxf_walk.h"
#include "files/file_run.h"
#include "files/number_format.h"
#include "files/ordered_work.h"
#include "files/output_file.h"
#include "geodesy/least_squares.h"
#include "geodesy/point_uncertainty.h"
#include "geodesy/transform.h"
#include "geodesy/utm.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace dezadiravevava {

namespace {

using namespace drawing;

// --- Runs --------------------------------------------------------------------

std::string InvalidDrawingArguments(const RunArguments& run) {
    std::string invalid = InvalidRunArguments(run);
    if (invalid.empty() && run.pa == kKindUtm && run.h_entrada < 1.0) {
        invalid = "Huso de entrada no válido para un dibujo: se necesita un huso de 1 a 60\n";
    }
    return invalid;
}

// The drawing is read more than once: it must be a file, not a stream.
constexpr std::string_view kNotAFile =
    "El dibujo de entrada ha de ser un archivo que se pueda leer dos veces\n";

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool Rewind(DxfTagReader& input, DxfTagReader& ahead) {
    return input.Seek(0, 0) && ahead.Seek(0, 0);
}

// Scans the drawing for the centroid and rectangle of its points, carried by
// `to_catalogue` into ED50 UTM zone 30. False, with the reason in `failure`,
// when the drawing cannot be read whole.
bool ScanCentroid(DxfTagReader& input, DxfTagReader& ahead, const PlanMove& to_catalogue,
                  const std::function<bool(std::uint64_t)>& step, int threads,
                  CentroidResult& result, std::string& failure) {
    double sum_x = 0.0, sum_y = 0.0;
    DrawingWalker walker(input, ahead, to_catalogue, step, threads);
    walker.SetModelPointSink(
        [&](double x, double y) { AccumulateCentroid(result, x, y, sum_x, sum_y); });
    if (!walker.Walk()) {
        failure = walker.failure();
        return false;
    }
    if (!walker.has_entities()) {
        failure = "El dibujo no tiene sección ENTITIES";
        return false;
    }
    FinishCentroid(result, sum_x, sum_y);
    return true;
}

// Carries a plan point of (datum, kind, zone) into ED50 UTM zone 30 with the
// national parameters prepared in `set`.
PlanMove ToCatalogue(int datum, int kind, double zone, const ParameterSet& set, bool region_only) {
    return [datum, kind, zone, &set, region_only](double& x, double& y) -> std::string_view {
        const CoordTriple point(x, y, kNoThird);
        if (region_only && IsRefusedByRegion(point, kind, zone)) {
            return PointStatusText(PointStatus::kOutsideRegion);
        }
        double zone30 = 30.0;
        PointStatus status = PointStatus::kTransformed;
        const CoordTriple out = TransformPoint(point, datum, kind, zone, kDatumEd50, kKindUtm, 30.0,
                                               set, kModelHelmert, zone30, status);
        if (status != PointStatus::kTransformed) {
            return PointStatusText(status); // outside the domain
        }
        if (!IsWritable(out.c1) || !IsWritable(out.c2)) {
            return kOutOfRange;
        }
        x = out.c1;
        y = out.c2;
        return {};
    };
}

ParameterSet NationalToEd50(int datum) {
    ParameterSet set;
    SetSpainParametersWithReport(DirectionOf(datum, kDatumEd50), set, nullptr);
    return set;
}

// The log lines of the coordinates that could not be carried.
std::string RejectedText(const RejectedLines& rejected) {
    return rejected.Text() + "Líneas rechazadas.....: " + std::to_string(rejected.count()) + "\n";
}
constexpr std::string_view kNotTransformed =
    "El dibujo no se ha transformado: tiene coordenadas que no se pueden transformar\n";
constexpr std::string_view kEntitiesNotTransformed =
    "El dibujo no se ha transformado: tiene entidades que no se pueden transformar\n";

int TransformDrawing(FileRun& file_run, const RunArguments& run, FoundVertexList& found,
                     RunOutcome* outcome, bool heights_asked) {
    if (!file_run.Start(InvalidDrawingArguments(run), found)) {
        return 0;
    }
    if (heights_asked) {
        file_run.Log("Alturas ortométricas: no se aplican a un dibujo, cuyas alturas no se "
                     "cambian\n\n");
    }
    DxfTagReader input(file_run.input());
    DxfTagReader ahead;
    if (!IsRegularFile(run.entrada) || !ahead.Open(run.entrada)) {
        return file_run.Fail(kNotAFile);
    }
    ProgressWindow& window = file_run.window();
    const int threads = RunThreads(run.threads);

    // One zone for the whole drawing: a drawing split between two zones no
    // longer fits together.
    const bool choose_zone = run.pb == kKindUtm && run.h_salida < 1.0;
    const int passes = choose_zone && run.pa != kKindUtm ? 3 : 2;
    int pass = 0;
    const auto step = [&](std::uint64_t position) {
        window.Step((pass * input.size() + position) / static_cast<std::uint64_t>(passes));
        return !window.Cancelled();
    };
    double zone_out = run.h_salida;
    if (choose_zone) {
        if (run.pa == kKindUtm) {
            zone_out = run.h_entrada;
        } else {
            // The zone of the centre of the drawing's rectangle (30 for a
            // drawing without points, the zone of the catalogue).
            const ParameterSet national = NationalToEd50(run.da);
            CentroidResult rectangle;
            std::string failure;
            if (!ScanCentroid(input, ahead,
                              ToCatalogue(run.da, run.pa, run.h_entrada, national, false), step,
                              threads, rectangle, failure)) {
                return file_run.Fail(failure + "\n");
            }
            zone_out = 30.0;
            if (rectangle.count > 0) {
                const GeodeticAngles centre = UtmToGeodetic(
                    (rectangle.x_min + rectangle.x_max) * 0.5,
                    (rectangle.y_min + rectangle.y_max) * 0.5, EllipsoidRow(kDatumEd50), 30.0);
                zone_out = ZoneOfLongitude(centre.lambda);
            }
            ++pass;
            if (!Rewind(input, ahead)) {
                return file_run.Fail(kUnreadableInput);
            }
        }
        file_run.Log("Huso de salida......: " + CFixed(zone_out, 0) +
                     " (único para todo el dibujo)\n\n");
    }
    const ParameterSet& set = file_run.set();
    const int model = file_run.model();
    const bool region_only = run.region_only && run.parametros != kParametersGrid;
    const PlanMove move = [&](double& x, double& y) -> std::string_view {
        const CoordTriple point(x, y, kNoThird);
        if (region_only && IsRefusedByRegion(point, run.pa, run.h_entrada)) {
            return PointStatusText(PointStatus::kOutsideRegion);
        }
        double zone = zone_out;
        PointStatus status = PointStatus::kTransformed;
        const CoordTriple out = TransformPoint(point, run.da, run.pa, run.h_entrada, run.db, run.pb,
                                               zone_out, set, model, zone, status);
        if (status != PointStatus::kTransformed) {
            return PointStatusText(status); // outside the domain, the grid or the geoid
        }
        if (!IsWritable(out.c1) || !IsWritable(out.c2)) {
            return kOutOfRange;
        }
        x = out.c1;
        y = out.c2;
        return {};
    };
    // A millimetre in plan, or its angle, 1e-8 degrees.
    const double tolerance = run.pb == kKindGeodetic ? 1e-8 : 1e-3;

    // Measured first: nothing is written for a drawing that cannot be
    // transformed whole.
    DrawingWalker measure(input, ahead, move, step, threads);
    measure.SetPlanTolerance(tolerance);
    measure.SetDegrees(run.pb == kKindGeodetic);
    if (!measure.Walk()) {
        return file_run.Fail(measure.failure() + "\n");
    }
    if (!measure.has_entities()) {
        return file_run.Fail("El dibujo no tiene sección ENTITIES\n");
    }
    if (measure.rejected().count() > 0) {
        if (outcome) {
            outcome->rejected = measure.rejected().count();
        }
        file_run.Log(RejectedText(measure.rejected()));
        return file_run.Fail(kNotTransformed);
    }
    if (run.strict_drawing && measure.untransformed() > 0) {
        file_run.Log(measure.Notes());
        return file_run.Fail(kEntitiesNotTransformed);
    }
    const std::vector<std::string> pictures = measure.TakeDimensionPictures();
    ++pass;
    if (!Rewind(input, ahead)) {
        return file_run.Fail(kUnreadableInput);
    }

    DrawingWalker writer(input, ahead, move, step, threads);
    writer.SetOutput(&file_run.output(), run.pb == kKindGeodetic ? 10 : 6);
    writer.SetPlanTolerance(tolerance);
    writer.SetDegrees(run.pb == kKindGeodetic);
    writer.SetDimensionPictures(&pictures);
    writer.SetGeoSystems(GeoSystemOf(run.da, run.pa, run.h_entrada),
                         GeoSystemOf(run.db, run.pb, zone_out));
    writer.SetHeaderExtents(measure.extents());
    writer.SetCoverage({file_run.coverage(), run.pa, run.h_entrada, [&](double x, double y) {
                            return HorizontalUncertainty95(CoordTriple(x, y, kNoThird), run.da,
                                                           run.pa, run.h_entrada, run.db, set,
                                                           model);
                        }});
    if (!writer.Walk()) {
        return file_run.Fail(writer.failure() + "\n");
    }
    if (writer.rejected().count() > 0) { // in the pictures of dimensions
        if (outcome) {
            outcome->rejected = writer.rejected().count();
        }
        file_run.Log(RejectedText(writer.rejected()));
        return file_run.Fail(kNotTransformed);
    }
    if (outcome) {
        outcome->untransformed = writer.untransformed();
        outcome->untransformed_kinds = writer.UntransformedKinds();
    }
    return file_run.Finish(DxfSummary(writer.counts(), writer.uncertainty()) + writer.Notes(),
                           writer.coverage_tally());
}

} // namespace

int ProcesarDXF(const std::string& log_path, const RunArguments& run, ProgressSink* progress,
                RunOutcome* outcome, FoundVertexList* found) {
    // A drawing's heights and elevations are never changed, so orthometric
    // heights have nothing to act on: no geoid is read, and the log says so.
    RunArguments plane_run = run;
    plane_run.orthometric_heights = false;
    FileRun file_run(log_path, plane_run, progress, DxfTagReader::kMaxLine, outcome);
    try {
        std::unique_ptr<FoundVertexList> own;
        if (!found) {
            own = std::make_unique<FoundVertexList>();
            found = own.get();
        }
        return TransformDrawing(file_run, plane_run, *found, outcome, run.orthometric_heights);
    } catch (...) {
        return file_run.FailUnexpectedly();
    }
}

int CentroideDXF(const std::string& entrada, int datum, int kind, double zone,
                 CentroidResult& result, ProgressSink* progress, int threads, bool region_only) {
    result = CentroidResult();
    if (!(datum == kDatumEd50 || datum == kDatumEtrs89) || kind < kKindGeodetic ||
        kind > kKindGeocentric || !IsZoneArgument(zone) || (kind == kKindUtm && zone < 1.0)) {
        return 0;
    }
    try {
        const ParameterSet set = NationalToEd50(datum);
        DxfTagReader input, ahead;
        if (!IsRegularFile(entrada) || !input.Open(entrada) || !ahead.Open(entrada)) {
            return 0;
        }
        ProgressWindow window(progress, kCaptionCentroid, input.size());
        std::string failure;
        if (!ScanCentroid(
                input, ahead, ToCatalogue(datum, kind, zone, set, region_only),
                [&](std::uint64_t position) {
                    window.Step(position);
                    return !window.Cancelled();
                },
                RunThreads(threads), result, failure)) {
            result = CentroidResult();
            return 0;
        }
        return 1;
    } catch (...) {
        result = CentroidResult();
        return 0;
    }
}

} // namespace dezadiravevava
