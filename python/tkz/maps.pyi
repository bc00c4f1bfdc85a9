"""Calibrated maps: pixel and geographic coordinates, landmarks, drawing, the atlas.

Pixels are map-image pixels: x to the right, y downwards, (0, 0) at the
top-left corner of the image.
"""

import enum
import os
from typing import Any, Iterable, Iterator, NamedTuple, Optional, Sequence, Tuple, Union, overload

import numpy as np
import numpy.typing as npt

_Path = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]
_Text = Union[str, bytes]
_Color = Union[str, Tuple[int, int, int]]
_Num = Union[int, float]
_Arr = npt.ArrayLike

MODELS: Tuple[str, ...]
ELEMENT_NAMES: Tuple[str, ...]

class LatLon(NamedTuple):
    lat: float
    lon: float

class Corners(NamedTuple):
    top_left: LatLon
    bottom_left: LatLon
    bottom_right: LatLon
    top_right: LatLon

class GeoPoint(NamedTuple):
    x: int
    y: int
    lat: float
    lon: float

class UtmPoint(NamedTuple):
    x: int
    y: int
    northing: float
    easting: float

class LinePoint(NamedTuple):
    x: int
    y: int
    kind: str
    value: float

class Residual(NamedTuple):
    x: int
    y: int
    dx: float
    dy: float

class Quality(NamedTuple):
    model: str
    points: int
    quality_x: float
    quality_y: float
    rms_x: float
    rms_y: float
    residuals: list[Residual]

class View(NamedTuple):
    left: int
    top: int
    magnification: float
    width: int
    height: int

class MapInfo(NamedTuple):
    file: str
    name: str
    resolution: float
    corners: Corners

class Element(enum.IntEnum):
    PLUS = 0
    SQUARE = 1
    TRIANGLE = 2
    CIRCLE = 3
    ARROW_FROM = 4
    ARROW_TO = 5
    CROSS_BOX = 6
    SPADE = 7
    CROSS = 8
    USER_DEF = 9

class Caption:
    """The caption of a landmark: text and its font."""
    text: str
    font_size: int
    font_name: str
    font_style: int
    color: str
    background: str
    transparent: bool
    dx: int
    dy: int
    direction: int
    h_align: int
    v_align: int
    def __init__(self, text: _Text = "", *, font_size: int = ..., font_name: _Text = ...,
                 font_style: int = ..., color: _Color = ..., background: _Color = ...,
                 transparent: bool = ..., dx: int = ..., dy: int = ..., direction: int = ...,
                 h_align: int = ..., v_align: int = ...) -> None: ...
    def __eq__(self, other: object) -> bool: ...

class Symbol:
    """A named symbol style of a symbol file."""
    name: str
    category: int
    element: Element
    size: int
    color: str
    fill: str
    transparent: bool
    direction: int
    length: int
    def __init__(self, name: _Text = "", *, element: Union[Element, str] = ..., size: int = ...,
                 color: _Color = ..., fill: _Color = ..., transparent: bool = ...,
                 direction: int = ..., length: int = ..., category: int = ...) -> None: ...
    def __eq__(self, other: object) -> bool: ...

class Landmark:
    """A point on the map with a symbol and a caption."""
    lat: float
    lon: float
    altitude: float
    lm_class: int
    user_tag: int
    element: Element
    size: int
    color: str
    fill: str
    transparent: bool
    direction: int
    length: int
    identifier: str
    timestamp: float
    caption: Caption
    def __init__(self, lat: float, lon: float, altitude: float = 0.0, *,
                 element: Union[Element, str] = ..., lm_class: int = ..., user_tag: int = ...,
                 size: int = ..., color: _Color = ..., fill: _Color = ...,
                 transparent: bool = ..., direction: int = ..., length: int = ...,
                 identifier: _Text = ..., timestamp: float = ..., caption: Caption = ...) -> None: ...
    def set_symbol(self, symbol: Symbol) -> None: ...
    def __eq__(self, other: object) -> bool: ...

class LandmarkList:
    """The landmarks of a map, a live sequence indexed from 0."""
    default: Landmark
    highlighted: Optional[int]
    def __len__(self) -> int: ...
    def __getitem__(self, index: int) -> Landmark: ...
    def __setitem__(self, index: int, landmark: Landmark) -> None: ...
    def __delitem__(self, index: int) -> None: ...
    def __iter__(self) -> Iterator[Landmark]: ...
    def append(self, landmark: Landmark) -> int: ...
    def add(self, lat: float, lon: float, altitude: float = 0.0, **properties: Any) -> int: ...
    def find(self, lat: float, lon: float, lm_class: Optional[int] = None) -> Optional[int]: ...
    def remove_near(self, lat: float, lon: float, radius: float,
                    lm_class: Optional[int] = None) -> int: ...
    def remove_within(self, lat: Tuple[float, float], lon: Tuple[float, float],
                      lm_class: Optional[int] = None) -> int: ...
    def clear(self, lm_class: Optional[int] = None) -> None: ...
    def set_class_visible(self, lm_class: int, visible: bool) -> None: ...
    def is_class_visible(self, lm_class: int) -> bool: ...
    def load(self, path: _Path, id: Optional[_Text] = None) -> None: ...
    def save(self, path: _Path, id: _Text = "") -> None: ...

_Image = Union[_Path, npt.NDArray[np.uint8]]

class Map:
    """A map image with its calibration, landmarks and view."""
    caption: str
    def __init__(self, image: Optional[_Image] = None, *,
                 size: Optional[Tuple[int, int]] = None) -> None: ...
    @staticmethod
    def blank(lat: Tuple[float, float], lon: Tuple[float, float], step: float = 1.0,
              size: Tuple[int, int] = (1000, 800), grid: bool = True) -> "Map": ...
    @property
    def width(self) -> int: ...
    @property
    def height(self) -> int: ...
    @property
    def has_image(self) -> bool: ...
    @property
    def image_name(self) -> str: ...
    @property
    def calibration_file(self) -> Optional[str]: ...
    @property
    def model(self) -> str: ...
    @property
    def utm_zone(self) -> Optional[int]: ...
    @property
    def utm_south(self) -> bool: ...
    @property
    def ellipsoid(self) -> str: ...
    @property
    def corners(self) -> Corners: ...
    @property
    def resolution(self) -> float: ...
    @property
    def calibration_points(self) -> list[Union[GeoPoint, UtmPoint, LinePoint]]: ...
    @property
    def landmarks(self) -> LandmarkList: ...
    @property
    def view(self) -> View: ...
    def calibrate(self, points: Iterable[Sequence[Any]], model: str = "equirect", *,
                  zone: Optional[int] = None, south: bool = False,
                  ellipsoid: _Text = "gelWGS84") -> Quality: ...
    def quality(self) -> Quality: ...
    @overload
    def pix2geo(self, x: _Num, y: _Num) -> Tuple[float, float]: ...
    @overload
    def pix2geo(self, x: _Arr, y: _Arr) -> Tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]: ...
    @overload
    def geo2pix(self, lat: _Num, lon: _Num) -> Tuple[float, float]: ...
    @overload
    def geo2pix(self, lat: _Arr, lon: _Arr) -> Tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]: ...
    @overload
    def utm2pix(self, northing: _Num, easting: _Num) -> Tuple[float, float]: ...
    @overload
    def utm2pix(self, northing: _Arr, easting: _Arr) -> Tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]: ...
    @overload
    def geo2utm(self, lat: _Num, lon: _Num) -> Tuple[float, float]: ...
    @overload
    def geo2utm(self, lat: _Arr, lon: _Arr) -> Tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]: ...
    def contains(self, lat: float, lon: float) -> bool: ...
    def save_calibration(self, path: _Path, id: _Text = "", *, append: bool = False) -> None: ...
    def set_view(self, *, size: Optional[Tuple[int, int]] = None,
                 magnification: Optional[float] = None,
                 center: Optional[Tuple[float, float]] = None,
                 center_pixel: Optional[Tuple[int, int]] = None,
                 top_left: Optional[Tuple[int, int]] = None) -> None: ...
    def fit(self, size: Optional[Tuple[int, int]] = None) -> None: ...
    def zoom_to(self, lat: Tuple[float, float], lon: Tuple[float, float], *,
                size: Optional[Tuple[int, int]] = None) -> None: ...
    def zoom_to_pixels(self, x0: float, y0: float, x1: float, y1: float, *,
                       size: Optional[Tuple[int, int]] = None) -> None: ...
    def render(self, path: Optional[_Path] = None, *, size: Optional[Tuple[int, int]] = None,
               graticule: bool = False, grid: bool = False, calibration_points: bool = False,
               landmarks: bool = True, graticule_step: Optional[float] = None,
               grid_step: Optional[int] = None) -> Optional[bytes]:
        """Writes the drawn view to path; without a path, returns the PNG file's bytes."""
    def render_array(self, *, size: Optional[Tuple[int, int]] = None, graticule: bool = False,
                     grid: bool = False, calibration_points: bool = False,
                     landmarks: bool = True, graticule_step: Optional[float] = None,
                     grid_step: Optional[int] = None) -> npt.NDArray[np.uint8]: ...
    def to_array(self, *, graticule: bool = False, grid: bool = False,
                 calibration_points: bool = False, landmarks: bool = True,
                 graticule_step: Optional[float] = None,
                 grid_step: Optional[int] = None) -> npt.NDArray[np.uint8]: ...

class Atlas:
    """A set of up to 200 calibrated maps, one of them shown."""
    min_resolution_step: float
    outlines: bool
    outline_color: str
    def __init__(self, files: Iterable[_Path] = ()) -> None: ...
    @staticmethod
    def open(path: _Path) -> "Atlas": ...
    def register(self, path: _Path) -> int: ...
    def unregister(self, index: int) -> None: ...
    def __len__(self) -> int: ...
    def __getitem__(self, index: int) -> MapInfo: ...
    @property
    def maps(self) -> list[MapInfo]: ...
    def maps_at(self, lat: float, lon: float) -> list[int]: ...
    def select(self, index: int) -> Map: ...
    @property
    def selected(self) -> Optional[int]: ...
    @property
    def map(self) -> Map: ...
    def zoom_in(self, lat: float, lon: float) -> bool: ...
    def zoom_out(self, lat: float, lon: float) -> bool: ...

def load(calibration_file: _Path, id: Optional[_Text] = None,
         image: Optional[_Image] = None) -> Map: ...
def calibration_ids(path: _Path) -> list[str]: ...
def load_symbols(path: _Path, id: Optional[_Text] = None) -> list[Symbol]: ...
def save_symbols(path: _Path, symbols: Sequence[Symbol], id: _Text = "") -> None: ...
