// A minimal DXF R12 drawing of the points of a TXT point file.
#pragma once

#include "files/progress.h"

#include <string>

namespace dezadiravevava {

// How a point drawing is made beyond the points themselves.
struct PointDrawing {
    // UTM lists: the zone of the drawing. Points of other zones (field 4)
    // are projected into it on the ellipsoid of `datum`. 0: not chosen, the
    // drawing is then of the list's one zone, and a list of several zones
    // is refused.
    int zone = 0;
    // Datum code of the list (14 ED50, 19 ETRS89), needed only to move
    // points into `zone`; 0: not known, and such a list is refused.
    int datum = 0;
    // Beside each POINT, its identifier (field 0) as a TEXT on the layer
    // kLabelLayer.
    bool labels = false;
};

inline constexpr const char* kLabelLayer = "IDENTIFICADORES";

// One POINT entity per line after the title, at (field 1, field 2, field 3),
// handles from 3e8 upwards (every other handle, with labels: the TEXT takes
// the next). kind 1, 2 or 3 says the file holds geodetic (longitude,
// latitude in degrees), UTM or geocentric coordinates; any other value writes
// an empty entities section. The header's $EXTMIN and $EXTMAX enclose the
// points written (0,0 and 1,1 without any). The drawing replaces `salida`
// only when complete. Returns 1, or 0 when the input cannot be read (or is
// `salida` itself), holds a line longer than a point line may be, or the
// drawing cannot be written completely, or when the user cancels; or when
// the UTM points are of several zones and none is chosen, or of a zone other
// than the chosen one without a datum: `refusal` (when given) then says why.
// `threads`: the threads that write the entities (0: the machine's cores).
// `region_only`: the points outside the served region of their kind (UTM in
// the zone of field 4) are left out, whatever their datum; the others keep
// their handles.
int ConvertirTXTaDXF(const std::string& entrada, const std::string& salida, int kind,
                     ProgressSink* progress, int threads = 0, bool region_only = false,
                     const PointDrawing& drawing = {}, std::string* refusal = nullptr);

// "29 y 30", "28, 29 y 30": the zones named in a refusal.
std::string ZoneList(unsigned long long zones);

} // namespace dezadiravevava
