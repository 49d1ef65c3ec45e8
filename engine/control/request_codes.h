// The engine's own codes for the values of a typed request, and the file-run
// arguments it makes. Inside the library only.
#pragma once

#include "files/execution_log.h"
#include "files/progress.h"
#include "files/table_processing.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/least_squares.h"
#include "geodesy/parameter_set.h"
#include "transform_request.h"

#include <cstdint>
#include <string_view>

namespace dezadiravevava::api {

// The engine's progress sink over the host's callbacks.
class ProgressAdapter : public ProgressSink {
public:
    explicit ProgressAdapter(const Progress& progress) : progress_(progress) {}
    void Open(std::string_view caption, std::uint64_t size) override {
        if (progress_.open) {
            progress_.open(caption, size);
        }
    }
    void Step(std::uint64_t position) override {
        if (progress_.step) {
            progress_.step(position);
        }
    }
    void Close() override {
        if (progress_.close) {
            progress_.close();
        }
    }
    bool CancelRequested() override {
        return progress_.stop_requested && progress_.stop_requested();
    }

private:
    const Progress& progress_;
};

constexpr int DatumCode(Datum datum) {
    return datum == Datum::kEd50 ? kDatumEd50 : kDatumEtrs89;
}

constexpr int KindCode(Kind kind) {
    switch (kind) {
    case Kind::kGeodetic:
        return kKindGeodetic;
    case Kind::kUtm:
        return kKindUtm;
    case Kind::kGeocentric:
        return kKindGeocentric;
    }
    return kKindUtm;
}

constexpr int ModelCode(Model model) {
    switch (model) {
    case Model::kHelmert:
        return kModelHelmert;
    case Model::kMolodensky:
        return kModelMolodensky;
    case Model::kAffine:
        return kModelAffine2D;
    }
    return kModelHelmert;
}

constexpr int MethodCode(Method method) {
    switch (method) {
    case Method::kNational:
        return kParametersSpain;
    case Method::kRegional:
        return kParametersAndalusia;
    case Method::kDistance:
        return kParametersByDistance;
    case Method::kNearest:
        return kParametersByNumber;
    case Method::kGrid:
        return kParametersGrid;
    }
    return kParametersSpain;
}

// The file-run arguments of a request (paths empty, origin 0 when the
// request leaves it to the data).
RunArguments RunArgumentsOf(const TransformRequest& request);

// A local search with no origin searches around the centre of the rectangle
// that holds the input's points: sets run.x and run.y to it (they stay as
// they are when the input has no point). Reads the input side, threads and
// region_only of `run`; a table is read as `table` says.
void CentreSearchOnData(RunArguments& run, FileFormat format, ProgressSink* progress,
                        const TableOptions& table = {});

} // namespace dezadiravevava::api
