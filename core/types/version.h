// Version of the TKZ libraries.
#pragma once

#include "core/types/corekit_export.h"

#define TKZ_VERSION_MAJOR 0
#define TKZ_VERSION_MINOR 1
#define TKZ_VERSION_PATCH 0
#define TKZ_VERSION_STRING "0.1.0"

namespace tkz {

// Version of corekit ("major.minor.patch").
TKZ_COREKIT_EXPORT const char* CoreKitVersion();

}  // namespace tkz
