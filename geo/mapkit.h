// The mapkit library: geodesy, projections, the geographic database, the map
// and atlas components.
#pragma once

#include "geo/mapkit_export.h"

namespace tkz {

// Version of the mapkit library ("major.minor.patch").
TKZ_MAPKIT_EXPORT const char* MapKitVersion();

}  // namespace tkz
