// The molkit library: element data, molecular formulas, connection tables,
// file formats, rings, substructure search and structure drawing.
#pragma once

namespace tkz {

// Version of the molkit library ("major.minor.patch").
const char* MolKitVersion();

}  // namespace tkz
