#include "chem/molkit.h"

#include "core/types/version.h"

namespace tkz {

const char* MolKitVersion() { return TKZ_VERSION_STRING; }

}  // namespace tkz
