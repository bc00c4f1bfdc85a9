// The datum table behind HelmertTransform: 271 datums, each with its reference
// ellipsoid and the seven parameters of its shift to WGS 84.
#pragma once

#include "geo/geobasics.h"
#include "geo/mapkit_export.h"

namespace tkz {

struct TKZ_MAPKIT_EXPORT TDatumRow {
  const char* Name;  // as stored, upper case, at most 69 characters
  TGeoEllipsoid Ellipsoid;
  double dX, dY, dZ;  // translation to WGS 84, metres
  double Scale;       // scale difference, parts per million
  double rX, rY, rZ;  // rotations about the axes, arc seconds
};

// Row of datum number Nr (1..271); nullptr for any other number.
TKZ_MAPKIT_EXPORT const TDatumRow* DatumRow(int Nr);

}  // namespace tkz
