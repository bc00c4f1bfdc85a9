// The mapkit library: geodesy, projections, the geographic database, the map
// and atlas components.
#pragma once

namespace tkz {

// Version of the mapkit library ("major.minor.patch").
const char* MapKitVersion();

}  // namespace tkz
