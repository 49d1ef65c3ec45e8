// A minimal DXF R12 drawing of the points of a TXT point file.
#pragma once

#include "files/progress.h"

#include <string>

namespace dezadiravevava {

// One POINT entity per line after the title, at (field 1, field 2, field 3),
// handles from 3e8 upwards. kind 1, 2 or 3 says the file holds geodetic
// (longitude, latitude in degrees), UTM or geocentric coordinates; any other
// value writes an empty entities section. The drawing replaces `salida` only
// when complete. Returns 1, or 0 when the input cannot be read (or is
// `salida` itself), holds a line longer than a point line may be, or the
// drawing cannot be written completely, or when the user cancels.
// `threads`: the threads that write the entities (0: the machine's cores).
// `region_only`: the points outside the served region of their kind (UTM in
// the zone of field 4) are left out, whatever their datum; the others keep
// their handles.
int ConvertirTXTaDXF(const std::string& entrada, const std::string& salida, int kind,
                     ProgressSink* progress, int threads = 0, bool region_only = false);

} // namespace dezadiravevava
