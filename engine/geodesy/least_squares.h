// Preparing the parameter set of a run: the national set, or a set estimated by
// least squares from catalogue vertices, with its report in the execution log.
#pragma once

#include "geodesy/parameter_set.h"
#include "geodesy/vertex_search.h"

#include <string>
#include <vector>

namespace dezadiravevava {

// Parameter choices.
inline constexpr int kParametersSpain = 0;
inline constexpr int kParametersAndalusia = 1;
inline constexpr int kParametersByDistance = 2;
inline constexpr int kParametersByNumber = 3;
// The official IGN grid SPED2ETV2 (NTv2); the model code is not used.
inline constexpr int kParametersGrid = 4;

// A vertex whose national transformation lands farther than this from its
// catalogue ETRS89 position is a blunder and takes no part in an estimation.
inline constexpr double kBlunderLimit = 10.0; // metres, planimetric

// Planimetric distance between where the national set (ED50 -> ETRS89) puts a
// vertex's ED50 position and its catalogue ETRS89 position, UTM zone 30: a
// vertex farther than kBlunderLimit is a blunder.
double NationalDeviation(const VertexRecord& v, const ParameterSet& national);

// The vertices of `found` that take part in an estimation, in their order:
// all but the blunders.
std::vector<VertexRecord> VerticesUsed(const FoundVertexList& found);

// Builds the run's parameter set. `model` is replaced by Helmert for the
// national set and by kModelGrid for the grid. (c1, c2, c3, zone) is the
// search centre, in datum_in / kind_in unless centre_is_catalogue (then ED50
// UTM zone 30); the vertices found go to `found`. With a report, the block for
// the execution log is appended to it, also when the preparation fails, so
// that the log says why. False when fewer than 3 vertices are found, the
// estimation fails or the grid cannot be read (grid_path, or the bundled grid
// when empty). The regional and local choices search `catalogue`: the
// regional set is estimated from all its vertices.
bool PrepareParameters(int datum_in, int kind_in, int datum_out, int& model, int parametros,
                       double selec_param, double c1, double c2, double c3, double zone,
                       FoundVertexList& found, ParameterSet& set, std::string* report,
                       bool centre_is_catalogue, const std::string& grid_path = {},
                       const Catalogue& catalogue = BuiltInCatalogue());

// Estimates a set of the given model from the vertices `found`.
// direction: kDirectionEtrs89ToEd50 or kDirectionEd50ToEtrs89.
bool EstimateParameters(const FoundVertexList& found, ParameterSet& set, int model, int direction,
                        std::string* report);

// The adjustment on points already placed on their ellipsoids (geodetic with
// h = 0 for the 3D models, plane coordinates in the geocentric triple for the
// affine model), vertex k being source[k] -> target[k]. The centroids of `set`
// must already be the centroids of the two sides. Fills set.params and appends
// the parameter lines and the adjustment error, or the line naming the step
// that failed, to `report`.
bool AdjustParameters(const std::vector<DatumPoint>& source, const std::vector<DatumPoint>& target,
                      int model, ParameterSet& set, std::string& report);

// Loads the national set of a direction and, with a report, appends its
// block.
void SetSpainParametersWithReport(int direction, ParameterSet& set, std::string* report);

} // namespace dezadiravevava
