#include "geo/mapkit.h"

#include "core/types/version.h"

namespace tkz {

const char* MapKitVersion() { return TKZ_VERSION_STRING; }

}  // namespace tkz
