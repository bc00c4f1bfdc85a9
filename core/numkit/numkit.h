// The numkit library: matrices, vectors, curve fits, statistics, principal
// components, singular value decomposition and least squares, line clipping,
// sorting and scanning helpers. Including this header includes them all.
#pragma once

#include "core/numkit/math1.h"
#include "core/numkit/math2.h"
#include "core/numkit/matrix.h"
#include "core/numkit/numkit_export.h"
#include "core/numkit/openarrays.h"
#include "core/numkit/sline.h"
#include "core/numkit/svd.h"
#include "core/numkit/vector.h"

namespace tkz {

// Version of the numkit library ("major.minor.patch").
TKZ_NUMKIT_EXPORT const char* NumKitVersion();

}  // namespace tkz
