// The molkit library: element data, molecular formulas, connection tables,
// file formats, rings, substructure search and structure drawing.
#pragma once

#include "chem/molkit_export.h"

namespace tkz {

// Version of the molkit library ("major.minor.patch").
TKZ_MOLKIT_EXPORT const char* MolKitVersion();

}  // namespace tkz
