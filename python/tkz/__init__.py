"""TKZ from Python: geography, chemistry and a scientific toolbox.

The submodules:

- ``tkz.geo``: UTM, UPS and datum shifts on 61 ellipsoids, for single points
  and for numpy arrays;
- ``tkz.geodb``: the geographic database of towns, borders, rivers and roads;
- ``tkz.maps``: calibrated maps, pixel and geographic coordinates, drawing;
- ``tkz.chem``: elements, formulas, molfiles and SD files, rings and
  substructure search;
- ``tkz.core``: checksums, Base64 and ASCII85, and ``Grep`` regular expressions;
- ``tkz.colors``: colour models and the 466 named colours.

Every error of the libraries is a ``tkz.Error``; text goes in and comes out as
``str`` (the libraries' Windows-1252 is converted at the boundary), and
``bytes`` are accepted wherever text is.
"""

import sys as _sys

from ._tkz import (  # noqa: F401
    __version__,
    Error,
    InOutError,
    ConvertError,
    StringError,
    FileSysError,
    DataStructureError,
    ColorError,
    CpuIdError,
    GraphicError,
    GeoError,
    GeoDBError,
    MapError,
    core,
    colors,
    geo,
    geodb,
    maps,
    chem,
)

# "import tkz.geo" and "from tkz.chem import ..." find the compiled submodules,
# and their classes call themselves tkz.geo.UTM rather than tkz._tkz.geo.UTM.
for _name in ("core", "colors", "geo", "geodb", "maps", "chem"):
    _mod = globals()[_name]
    _mod.__name__ = __name__ + "." + _name
    _sys.modules[_mod.__name__] = _mod
    for _obj in vars(_mod).values():
        if isinstance(_obj, type) and _obj.__module__ == "tkz._tkz." + _name:
            _obj.__module__ = _mod.__name__
del _name, _mod, _obj

__all__ = [
    "Error", "InOutError", "ConvertError", "StringError", "FileSysError",
    "DataStructureError", "ColorError", "CpuIdError", "GraphicError",
    "GeoError", "GeoDBError", "MapError",
    "core", "colors", "geo", "geodb", "maps", "chem",
]
