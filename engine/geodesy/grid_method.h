// Preparing a run of the official method: the IGN grid (the parameter choice
// "USAR REJILLA OFICIAL DEL IGN (SPED2ETV2)") and, for orthometric heights,
// the geoid, each with its block in the execution log.
#pragma once

#include "geodesy/parameter_set.h"

#include <string>

namespace dezadiravevava {

// Loads the NTv2 grid at grid_path, or the bundled SPED2ETV2 when it is empty,
// into set.grid. With a report, appends to it the block for the execution log (file, sub-grid
// count, extent) or the line that says why the grid could not be read. False
// when it cannot be read; `failure` (when given) then receives that line.
bool PrepareGrid(ParameterSet& set, const std::string& grid_path, std::string* report,
                 std::string* failure = nullptr);

// Loads the GTX geoid at geoid_path, or the bundled EGM08-REDNAP when it is
// empty, into set.geoid, which makes the heights of UTM points orthometric.
// With a report, appends to it the block that names the geoid, or the line that
// says why it could not be read. False when it cannot be read.
bool PrepareGeoid(ParameterSet& set, const std::string& geoid_path, std::string* report,
                  std::string* failure = nullptr);

} // namespace dezadiravevava
