#include "core/numkit/numkit.h"

#include "core/types/version.h"

namespace tkz {

const char* NumKitVersion() { return TKZ_VERSION_STRING; }

}  // namespace tkz
