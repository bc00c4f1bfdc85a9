"""Geodesy on the ellipsoid: UTM, UPS, Transverse Mercator, geocentric
coordinates and datum shifts, for single points and numpy arrays."""

import enum
from typing import Any, List, NamedTuple, Optional, Union, overload

import numpy as np
import numpy.typing as npt

Number = Union[int, float]
ArrayLike = Union[npt.ArrayLike, np.ndarray]

class Ellipsoid(enum.IntEnum):
    WGS84: int
    WGS72: int
    WGS66: int
    WGS60: int
    Clrk80RGS: int
    Clrk66: int
    Bess41: int
    Bess41Jap: int
    Bess41Nam: int
    NewInt67: int
    Int24: int
    Ever69: int
    Ever56: int
    Ever48: int
    Ever30Ind: int
    EverPak: int
    Everest: int
    GRS80: int
    Airy30: int
    ModifAiry: int
    Fish68: int
    Fish60: int
    ModifFish60: int
    AuNat65: int
    Krass40: int
    Hough60: int
    Sphere: int
    Indo74: int
    Helm06: int
    SGS85: int
    SAm69: int
    ATS77: int
    AuthSph: int
    BesselMod: int
    CGCS2000: int
    Clrk58: int
    Clrk66Mich: int
    Clrk80: int
    Clrk80Arc: int
    Clrk80Benoit: int
    Clrk80IGN: int
    Clrk80intfoot: int
    Clrk80SGA22: int
    Dan76: int
    Ever30: int
    Ever75: int
    GEM10C: int
    GRS67: int
    GRS67Mod: int
    Hughes80: int
    IAG75: int
    Int24AuthSph: int
    OSU86F: int
    OSU91A: int
    Plessis17: int
    PopVisSphere: int
    PZ90: int
    Struve60: int
    WarOffice: int
    HongKong63: int
    Nahrwan29: int

WGS84: Ellipsoid
WGS72: Ellipsoid
GRS80: Ellipsoid
Int24: Ellipsoid
Clrk66: Ellipsoid
Clrk80: Ellipsoid
Bess41: Ellipsoid
Airy30: Ellipsoid
Krass40: Ellipsoid
Sphere: Ellipsoid
def __getattr__(name: str) -> Ellipsoid: ...  # every other Ellipsoid member

EllipsoidArg = Union[Ellipsoid, int, str]

class EllipsoidInfo(NamedTuple):
    index: int
    ellipsoid: Ellipsoid
    id: str
    name: str
    a: float
    b: float
    inverse_flattening: float
    e2: float

class Datum(NamedTuple):
    number: int
    name: str
    ellipsoid: Ellipsoid
    dx: float
    dy: float
    dz: float
    scale: float
    rx: float
    ry: float
    rz: float

DatumArg = Union[int, str, Datum]

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

def utm(lat: Union[Number, ArrayLike], lon: Union[Number, ArrayLike],
        ellipsoid: EllipsoidArg = ..., zone: Optional[int] = None) -> UTM: ...
def utm_zone(lat: Union[Number, ArrayLike], lon: Union[Number, ArrayLike]) -> UTMZone: ...
def latlon(zone: Union[int, ArrayLike], band_or_hemisphere: Union[str, bytes, ArrayLike],
           easting: Union[Number, ArrayLike], northing: Union[Number, ArrayLike],
           ellipsoid: EllipsoidArg = ...) -> LatLon: ...
def ups(lat: Union[Number, ArrayLike], lon: Union[Number, ArrayLike],
        ellipsoid: EllipsoidArg = ...) -> UPS: ...
def ups_to_latlon(hemisphere: Union[str, bytes, ArrayLike], easting: Union[Number, ArrayLike],
                  northing: Union[Number, ArrayLike], ellipsoid: EllipsoidArg = ...) -> LatLon: ...
def helmert(lat: Union[Number, ArrayLike], lon: Union[Number, ArrayLike],
            height: Union[Number, ArrayLike], source_datum: DatumArg,
            target_datum: DatumArg) -> LatLonHeight: ...
def tm(lat: Union[Number, ArrayLike], lon: Union[Number, ArrayLike], central_meridian: float,
       ellipsoid: EllipsoidArg = ..., *, scale: float = 1.0, false_easting: float = 0.0,
       false_northing: float = 0.0) -> XY: ...
def tm_to_latlon(x: Union[Number, ArrayLike], y: Union[Number, ArrayLike], central_meridian: float,
                 ellipsoid: EllipsoidArg = ..., *, scale: float = 1.0, false_easting: float = 0.0,
                 false_northing: float = 0.0) -> LatLon: ...
def geocentric(lat: Union[Number, ArrayLike], lon: Union[Number, ArrayLike],
               height: Union[Number, ArrayLike] = 0.0, ellipsoid: EllipsoidArg = ...) -> XYZ: ...
def geographic(x: Union[Number, ArrayLike], y: Union[Number, ArrayLike],
               z: Union[Number, ArrayLike], ellipsoid: EllipsoidArg = ...) -> LatLonHeight: ...
def ellipsoids() -> List[EllipsoidInfo]: ...
def ellipsoid(key: EllipsoidArg) -> EllipsoidInfo: ...
def datums(name: Optional[Union[str, bytes]] = None) -> List[Datum]: ...
def datum(key: DatumArg) -> Datum: ...
