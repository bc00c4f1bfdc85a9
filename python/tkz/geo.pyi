"""Geodesy on the ellipsoid: UTM, UPS, Transverse Mercator, geocentric
coordinates and datum shifts, for single points and numpy arrays."""

from typing import Any, List, NamedTuple, Optional, Union, overload

import numpy as np
import numpy.typing as npt

_Number = Union[int, float]
_ArrayLike = Union[npt.ArrayLike, np.ndarray]

class Ellipsoid:
    """A pybind11 enumeration: int(e) is the index, e.name the identifier without "gel"."""
    @property
    def name(self) -> str: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    WGS84: "Ellipsoid"
    WGS72: "Ellipsoid"
    WGS66: "Ellipsoid"
    WGS60: "Ellipsoid"
    Clrk80RGS: "Ellipsoid"
    Clrk66: "Ellipsoid"
    Bess41: "Ellipsoid"
    Bess41Jap: "Ellipsoid"
    Bess41Nam: "Ellipsoid"
    NewInt67: "Ellipsoid"
    Int24: "Ellipsoid"
    Ever69: "Ellipsoid"
    Ever56: "Ellipsoid"
    Ever48: "Ellipsoid"
    Ever30Ind: "Ellipsoid"
    EverPak: "Ellipsoid"
    Everest: "Ellipsoid"
    GRS80: "Ellipsoid"
    Airy30: "Ellipsoid"
    ModifAiry: "Ellipsoid"
    Fish68: "Ellipsoid"
    Fish60: "Ellipsoid"
    ModifFish60: "Ellipsoid"
    AuNat65: "Ellipsoid"
    Krass40: "Ellipsoid"
    Hough60: "Ellipsoid"
    Sphere: "Ellipsoid"
    Indo74: "Ellipsoid"
    Helm06: "Ellipsoid"
    SGS85: "Ellipsoid"
    SAm69: "Ellipsoid"
    ATS77: "Ellipsoid"
    AuthSph: "Ellipsoid"
    BesselMod: "Ellipsoid"
    CGCS2000: "Ellipsoid"
    Clrk58: "Ellipsoid"
    Clrk66Mich: "Ellipsoid"
    Clrk80: "Ellipsoid"
    Clrk80Arc: "Ellipsoid"
    Clrk80Benoit: "Ellipsoid"
    Clrk80IGN: "Ellipsoid"
    Clrk80intfoot: "Ellipsoid"
    Clrk80SGA22: "Ellipsoid"
    Dan76: "Ellipsoid"
    Ever30: "Ellipsoid"
    Ever75: "Ellipsoid"
    GEM10C: "Ellipsoid"
    GRS67: "Ellipsoid"
    GRS67Mod: "Ellipsoid"
    Hughes80: "Ellipsoid"
    IAG75: "Ellipsoid"
    Int24AuthSph: "Ellipsoid"
    OSU86F: "Ellipsoid"
    OSU91A: "Ellipsoid"
    Plessis17: "Ellipsoid"
    PopVisSphere: "Ellipsoid"
    PZ90: "Ellipsoid"
    Struve60: "Ellipsoid"
    WarOffice: "Ellipsoid"
    HongKong63: "Ellipsoid"
    Nahrwan29: "Ellipsoid"

WGS84: Ellipsoid
WGS72: Ellipsoid
WGS66: Ellipsoid
WGS60: Ellipsoid
Clrk80RGS: Ellipsoid
Clrk66: Ellipsoid
Bess41: Ellipsoid
Bess41Jap: Ellipsoid
Bess41Nam: Ellipsoid
NewInt67: Ellipsoid
Int24: Ellipsoid
Ever69: Ellipsoid
Ever56: Ellipsoid
Ever48: Ellipsoid
Ever30Ind: Ellipsoid
EverPak: Ellipsoid
Everest: Ellipsoid
GRS80: Ellipsoid
Airy30: Ellipsoid
ModifAiry: Ellipsoid
Fish68: Ellipsoid
Fish60: Ellipsoid
ModifFish60: Ellipsoid
AuNat65: Ellipsoid
Krass40: Ellipsoid
Hough60: Ellipsoid
Sphere: Ellipsoid
Indo74: Ellipsoid
Helm06: Ellipsoid
SGS85: Ellipsoid
SAm69: Ellipsoid
ATS77: Ellipsoid
AuthSph: Ellipsoid
BesselMod: Ellipsoid
CGCS2000: Ellipsoid
Clrk58: Ellipsoid
Clrk66Mich: Ellipsoid
Clrk80: Ellipsoid
Clrk80Arc: Ellipsoid
Clrk80Benoit: Ellipsoid
Clrk80IGN: Ellipsoid
Clrk80intfoot: Ellipsoid
Clrk80SGA22: Ellipsoid
Dan76: Ellipsoid
Ever30: Ellipsoid
Ever75: Ellipsoid
GEM10C: Ellipsoid
GRS67: Ellipsoid
GRS67Mod: Ellipsoid
Hughes80: Ellipsoid
IAG75: Ellipsoid
Int24AuthSph: Ellipsoid
OSU86F: Ellipsoid
OSU91A: Ellipsoid
Plessis17: Ellipsoid
PopVisSphere: Ellipsoid
PZ90: Ellipsoid
Struve60: Ellipsoid
WarOffice: Ellipsoid
HongKong63: Ellipsoid
Nahrwan29: Ellipsoid
def __getattr__(name: str) -> Ellipsoid: ...  # every other Ellipsoid member

_EllipsoidArg = Union[Ellipsoid, int, str]

class EllipsoidInfo(NamedTuple):
    index: "Ellipsoid"
    ellipsoid: Ellipsoid
    id: str
    name: str
    a: float
    b: float
    inverse_flattening: float
    e2: float

class Datum(NamedTuple):
    number: "Ellipsoid"
    name: str
    ellipsoid: Ellipsoid
    dx: float
    dy: float
    dz: float
    scale: float
    rx: float
    ry: float
    rz: float

_DatumArg = Union[int, str, Datum]

class UTM(NamedTuple):
    zone: Any      # int, or numpy int32 array
    band: Any      # str, or numpy '<U1' array ('' where a point failed)
    easting: Any   # float, or numpy float64 array
    northing: Any

class UTMZone(NamedTuple):
    zone: Any
    band: Any

class LatLon(NamedTuple):
    lat: Any
    lon: Any

class UPS(NamedTuple):
    hemisphere: Any
    easting: Any
    northing: Any

class LatLonHeight(NamedTuple):
    lat: Any
    lon: Any
    height: Any

class XY(NamedTuple):
    x: Any
    y: Any

class XYZ(NamedTuple):
    x: Any
    y: Any
    z: Any

def utm(lat: Union[_Number, _ArrayLike], lon: Union[_Number, _ArrayLike],
        ellipsoid: _EllipsoidArg = ..., zone: Optional[int] = None) -> UTM: ...
def utm_zone(lat: Union[_Number, _ArrayLike], lon: Union[_Number, _ArrayLike]) -> UTMZone: ...
def latlon(zone: Union[int, _ArrayLike], band_or_hemisphere: Union[str, bytes, _ArrayLike],
           easting: Union[_Number, _ArrayLike], northing: Union[_Number, _ArrayLike],
           ellipsoid: _EllipsoidArg = ...) -> LatLon: ...
def ups(lat: Union[_Number, _ArrayLike], lon: Union[_Number, _ArrayLike],
        ellipsoid: _EllipsoidArg = ...) -> UPS: ...
def ups_to_latlon(hemisphere: Union[str, bytes, _ArrayLike], easting: Union[_Number, _ArrayLike],
                  northing: Union[_Number, _ArrayLike], ellipsoid: _EllipsoidArg = ...) -> LatLon: ...
def helmert(lat: Union[_Number, _ArrayLike], lon: Union[_Number, _ArrayLike],
            height: Union[_Number, _ArrayLike], source_datum: _DatumArg,
            target_datum: _DatumArg) -> LatLonHeight: ...
def tm(lat: Union[_Number, _ArrayLike], lon: Union[_Number, _ArrayLike], central_meridian: float,
       ellipsoid: _EllipsoidArg = ..., *, scale: float = 1.0, false_easting: float = 0.0,
       false_northing: float = 0.0) -> XY: ...
def tm_to_latlon(x: Union[_Number, _ArrayLike], y: Union[_Number, _ArrayLike], central_meridian: float,
                 ellipsoid: _EllipsoidArg = ..., *, scale: float = 1.0, false_easting: float = 0.0,
                 false_northing: float = 0.0) -> LatLon: ...
def geocentric(lat: Union[_Number, _ArrayLike], lon: Union[_Number, _ArrayLike],
               height: Union[_Number, _ArrayLike] = 0.0, ellipsoid: _EllipsoidArg = ...) -> XYZ: ...
def geographic(x: Union[_Number, _ArrayLike], y: Union[_Number, _ArrayLike],
               z: Union[_Number, _ArrayLike], ellipsoid: _EllipsoidArg = ...) -> LatLonHeight: ...
def ellipsoids() -> List[EllipsoidInfo]: ...
def ellipsoid(key: _EllipsoidArg) -> EllipsoidInfo: ...
def datums(name: Optional[Union[str, bytes]] = None) -> List[Datum]: ...
def datum(key: _DatumArg) -> Datum: ...
