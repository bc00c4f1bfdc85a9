// TGeoMap: construction, the error helper and the name tables.
#include "geo/geomap.h"

namespace tkz {

const std::array<std::string, 7> CalibModelNames = {
    "parabolicip", "biquadraticpn", "conicconformal", "millercylindrical",
    "equirect",    "utm",           "undefined"};

const std::array<std::string, 10> LandMarkElementNames = {
    "Plus",    "Square",   "Triangle", "Circle", "ArrowFrom",
    "ArrowTo", "CrossBox", "Spade",    "Cross",  "User-Defined"};

TGeoMap::TGeoMap(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(GetLeft(), GetTop(), 500, 400);
  calData_.UTMZone = 0;  // a new map: zone 0, north; a cleared one: -1
  classVisible_.fill(true);
  landMarks_.resize(kLandMarkBlock);
}

TGeoMap::~TGeoMap() = default;

void TGeoMap::Error(const std::string& Text) const {
  std::string msg = "Component \"";
  msg += GetName();
  msg += "\": ";
  msg += Text;
  throw ETKZGeoMapError(msg);
}

}  // namespace tkz
