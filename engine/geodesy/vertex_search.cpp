#include "geodesy/vertex_search.h"

#include "geodesy/models.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace dezadiravevava {

const Catalogue& BuiltInCatalogue() {
    static const Catalogue catalogue{{VertexCatalogue().begin(), VertexCatalogue().end()},
                                     "integrado (de demostración: 176 de 180 vértices sintéticos)"};
    return catalogue;
}

namespace {

constexpr double kZone30 = 30.0;

double Distance(const PlanePoint& centre, const VertexRecord& v) {
    return std::hypot(v.ed50_x - centre.x, v.ed50_y - centre.y);
}

// ED50 geodetic (radians) of a point on the ED50 ellipsoid into zone 30.
PlanePoint Ed50Zone30(const DatumPoint& ed50) {
    double zone = kZone30;
    return GeodeticToUtm(ed50.geodetic().c1, ed50.geodetic().c2, ed50.ellipsoid(), zone);
}

std::optional<PlanePoint> Centre(double c1, double c2, double c3, double zone, int datum, int kind,
                                 bool centre_is_catalogue) {
    if (centre_is_catalogue) {
        return PlanePoint{c1, c2};
    }
    return SearchCentreToEd50Utm(c1, c2, c3, zone, datum, kind);
}

} // namespace

std::optional<PlanePoint> SearchCentreToEd50Utm(double c1, double c2, double c3, double zone,
                                                int datum, int kind) {
    if (kind < kKindGeodetic || kind > kKindGeocentric) {
        return std::nullopt;
    }
    const Ellipsoid& ed50 = EllipsoidRow(kDatumEd50);
    DatumPoint target(ed50);
    if (datum == kDatumEtrs89) {
        ParameterSet national;
        SetSpainParameters(kDirectionEtrs89ToEd50, national);
        const Ellipsoid& etrs = EllipsoidRow(kDatumEtrs89);
        CoordTriple geocentric(c1, c2, c3);
        if (kind != kKindGeocentric) {
            GeodeticAngles g{c1, c2};
            if (kind == kKindUtm) {
                g = UtmToGeodetic(c1, c2, etrs, zone);
            }
            DatumPoint source(etrs);
            source.SetGeodetic(g.lambda, g.phi, 0.0);
            geocentric = source.geocentric();
        }
        const CoordTriple moved = ApplyHelmert(geocentric, national);
        target.SetGeocentric(moved.c1, moved.c2, moved.c3);
        return Ed50Zone30(target);
    }
    switch (kind) {
    case kKindGeodetic: {
        double zone30 = kZone30;
        return GeodeticToUtm(c1, c2, ed50, zone30);
    }
    case kKindUtm:
        return PlanePoint{c1, c2}; // used as it stands, whatever its zone
    default:
        target.SetGeocentric(c1, c2, c3);
        return Ed50Zone30(target);
    }
}

void SearchByDistance(FoundVertexList& found, double dist_max, double c1, double c2, double c3,
                      double zone, int datum, int kind, bool centre_is_catalogue,
                      const Catalogue& catalogue) {
    const auto centre = Centre(c1, c2, c3, zone, datum, kind, centre_is_catalogue);
    found.entries.clear();
    if (!centre) {
        return;
    }
    for (const VertexRecord& v : catalogue.vertices) {
        if (Distance(*centre, v) < dist_max) {
            found.entries.push_back(v);
        }
    }
}

void SearchByNumber(FoundVertexList& found, std::int32_t n, double c1, double c2, double c3,
                    double zone, int datum, int kind, bool centre_is_catalogue,
                    const Catalogue& catalogue) {
    const auto& vertices = catalogue.vertices;
    n = std::min(std::max(n, 3), static_cast<std::int32_t>(vertices.size()));
    const auto centre = Centre(c1, c2, c3, zone, datum, kind, centre_is_catalogue);
    found.entries.clear();
    // Distances from a centre that is not finite cannot be ordered.
    if (!centre || !std::isfinite(centre->x) || !std::isfinite(centre->y)) {
        return;
    }
    std::vector<VertexDistance> work(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        work[i] = {&vertices[i], Distance(*centre, vertices[i])};
    }
    ExchangeSortByDistance(work);
    for (std::int32_t i = 0; i < n; ++i) {
        found.entries.push_back(*work[static_cast<std::size_t>(i)].vertex);
    }
}

void ExchangeSortByDistance(std::span<VertexDistance> entries) {
    for (std::size_t p = 0; p + 1 < entries.size(); ++p) {
        for (std::size_t q = p + 1; q < entries.size(); ++q) {
            if (entries[p].distance > entries[q].distance) {
                std::swap(entries[p], entries[q]);
            }
        }
    }
}

std::optional<VertexRecord> GetFoundVertex(const FoundVertexList& found, std::int32_t index) {
    if (index < 0 || index >= found.count()) {
        return std::nullopt;
    }
    return found.entries[static_cast<std::size_t>(index)];
}

} // namespace dezadiravevava
