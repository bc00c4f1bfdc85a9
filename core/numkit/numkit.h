// The numkit library: matrices, vectors, curve fits, statistics, principal
// components, line clipping, sorting and scanning helpers.
#pragma once

namespace tkz {

// Version of the numkit library ("major.minor.patch").
const char* NumKitVersion();

}  // namespace tkz
