// gisfiles: calibrated maps in the files of GIS programs (QGIS, GDAL and
// the programs built on it), both ways.
//
// - World file: six lines beside the image (.jgw for JPEG, .pgw for PNG,
//   .bfw for BMP) holding an affine mapping from pixels to map coordinates,
//   with a .prj file holding the coordinate system as ESRI WKT. Only the
//   affine models can be written this way: cmEquiRect (latitude and
//   longitude) and cmUTM (northing and easting of the zone's projection).
// - GeoTIFF: the image as a TIFF file with GeoTIFF keys for the coordinate
//   system, and either the affine mapping (GDAL's "geotransform") for the
//   affine models, or for the others the calibration points as ground
//   control points (GCPs), which GDAL's polynomial and thin-plate warps fit.
//   (GeoTIFF holds one or the other: GDAL ignores tie points beside a
//   mapping. The mapping reproduces an affine model's points within its
//   fit.)
//
// Reading either gives a GeoReference. CalibrateFromReference makes it a
// TGeoMap calibration: an affine source becomes cmEquiRect or cmUTM points
// on a 3 x 3 grid over the image; GCPs become calibration points of the
// model that fits them best (see there).
//
// Pixels: TGeoMap's image pixels, (0, 0) the top-left corner of the image,
// X to the right, Y down, (width, height) the bottom-right corner. GDAL's
// pixel and line coordinates are the same; a world file names the centre of
// the top-left pixel, (0.5, 0.5).
//
// Coordinate systems: geographic (latitude and longitude in degrees on the
// WGS 84 datum, EPSG:4326) and UTM zones (northing and easting in metres, on
// WGS 84 as EPSG:326zz/327zz, or on another of our ellipsoids as a
// user-defined Transverse Mercator with the UTM parameters). Files in any
// other system are refused with a message naming it.
//
// Errors: ETKZGeoMapError with a message naming the file and what is wrong.
// Malformed files never crash and never allocate without bound.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/graphics.h"
#include "geo/geobasics.h"
#include "geo/geomap.h"
#include "geo/mapkit_export.h"

namespace tkz {

// The coordinate system of a georeferenced image.
struct TKZ_MAPKIT_EXPORT GisCrs {
  bool Utm = false;  // false: geographic latitude and longitude in degrees
  int Zone = 0;      // UTM zone 1..60
  bool South = false;
  TGeoEllipsoid Ellipsoid = gelWGS84;
  // The EPSG code where the system has one (4326, 326zz, 327zz), else 0.
  int Epsg() const;
  // "WGS 84", "WGS 84 / UTM zone 33N", or for other ellipsoids
  // "UTM zone 33N on <ellipsoid name>".
  std::string Name() const;
  bool operator==(const GisCrs&) const = default;
};

// A ground control point: a pixel and its map coordinates, X the longitude
// or easting, Y the latitude or northing.
struct GroundControlPoint {
  double Pixel = 0, Line = 0;
  double X = 0, Y = 0;
  bool operator==(const GroundControlPoint&) const = default;
};

// A placement of an image on the Earth: an affine mapping, ground control
// points, or both.
struct GeoReference {
  GisCrs Crs;
  bool HasTransform = false;
  // GDAL's order: X = T[0] + T[1] * pixel + T[2] * line,
  //               Y = T[3] + T[4] * pixel + T[5] * line.
  std::array<double, 6> Transform{};
  std::vector<GroundControlPoint> Gcps;
  int Width = 0, Height = 0;  // of the image, pixels
};

// At most this many ground control points are read from a file.
inline constexpr int kMaxGisGcps = 10000;

// --------------------------------------------------------- from a map
// The placement of a calibrated map: the affine mapping of cmEquiRect and
// cmUTM; the calibration points as GCPs for models 1 to 5; for
// cmParabolicIp, which has lines rather than points, GCPs on a 5 x 5 grid
// over the image computed by the model. ETKZGeoMapError when the map has no
// image size, no usable calibration, or (UTM) no zone.
TKZ_MAPKIT_EXPORT GeoReference GeoReferenceOfMap(const TGeoMap& Map);

// Calibrates Map from Ref (Ref's Width and Height become the image size when
// the map has none). Affine: cmEquiRect or cmUTM with points on a 3 x 3 grid
// (0, width / 2, width by 0, height / 2, height; drawn in by up to 3/8 of
// the size where a map reaches beyond the poles). GCPs only: in UTM, cmUTM
// with the points; in latitude and longitude, each of cmEquiRect,
// cmMillerCylindrical, cmConicConformal and cmBiquadraticPn that has more
// points than unknowns is fitted, and the one whose points come back closest
// (root mean square pixel distance through CalcPixelCoords) is kept; on
// equal distances the model with fewer unknowns. Returns the chosen model.
// ETKZGeoMapError, with the map unchanged, when Ref holds neither, more
// points than a calibration takes (200), fewer than 3 in latitude and
// longitude, or positions off the Earth.
TKZ_MAPKIT_EXPORT TCalibModel CalibrateFromReference(TGeoMap& Map, const GeoReference& Ref);

// ---------------------------------------------------------- world files
// The world file's extension for an image file name: ".jgw" for .jpg and
// .jpeg, ".pgw" for .png, ".bfw" for .bmp, else ".wld".
TKZ_MAPKIT_EXPORT std::string WorldFileExtension(const std::string& ImageFileName);
// The six lines of a world file (A, D, B, E, C, F), each with 17 significant
// digits. ETKZGeoMapError without an affine mapping.
TKZ_MAPKIT_EXPORT std::string WorldFileText(const GeoReference& Ref);
// The coordinate system as ESRI WKT, one line, as .prj files hold it.
TKZ_MAPKIT_EXPORT std::string PrjText(const GisCrs& Crs);
// Parses a world file's text into Ref's Transform; ETKZGeoMapError naming
// the line when one is missing, not a number, or the mapping is singular.
TKZ_MAPKIT_EXPORT void ParseWorldFile(const std::string& Text, GeoReference& Ref,
                                      const std::string& FileName = "world file");
// Parses a .prj file's WKT (ESRI or OGC, version 1): GEOGCS on WGS 84, or a
// PROJCS of a UTM zone (by name, or Transverse Mercator with the zone's
// central meridian, scale 0.9996, false easting 500000 and false northing 0
// or 10000000) on an ellipsoid of ours, found by its axes.
TKZ_MAPKIT_EXPORT GisCrs ParsePrj(const std::string& Text, const std::string& FileName = ".prj");

// Writes the world file and the .prj beside ImageFileName (which is not
// written), and sets the coordinate system in GDAL's IMAGE.aux.xml, where
// GDAL-based programs look for it (other contents of that file are kept).
// ETKZGeoMapError for models that are not affine.
TKZ_MAPKIT_EXPORT void WriteWorldFile(const TGeoMap& Map, const std::string& ImageFileName);
// Reads the world file and .prj beside ImageFileName and the image's size.
// Without a .prj the coordinates must lie within latitude and longitude
// bounds and are taken as WGS 84 degrees.
TKZ_MAPKIT_EXPORT GeoReference ReadWorldFile(const std::string& ImageFileName);

// -------------------------------------------------------------- GeoTIFF
// Writes Image with Ref as a GeoTIFF (RGB, 8 bits a sample, deflate
// compressed, through a temporary file renamed into place): GeoTIFF keys for
// Ref.Crs; when Ref has an affine mapping, ModelTiepoint and ModelPixelScale
// (ModelTransformation for a rotated one); otherwise Ref's GCPs as tie
// points. Raster type PixelIsArea (the pixel convention above).
TKZ_MAPKIT_EXPORT void WriteGeoTiff(const std::string& FileName, const TBitmap& Image,
                                    const GeoReference& Ref);
// Reads a GeoTIFF's first image (any layout libtiff's RGBA reading takes:
// grey, palette, 16 bits, YCbCr; alpha laid over white) and its placement,
// as GDAL reads it: pixel scale with a tie point, else a model
// transformation, else the tie points as GCPs; a file of raster type
// PixelIsPoint is moved by half a pixel to the convention above. The
// coordinate system is geographic in degrees or a Transverse Mercator with
// a UTM zone's parameters in metres (EPSG:326zz, 258zz, 269zz, ... or
// user-defined) on an ellipsoid whose axes are within 1 mm of one of ours.
// ETKZGeoMapError for files that are not TIFF, are damaged, hold an image
// beyond kMaxMapPixels, carry no placement, or use another coordinate
// system (named in the message). The file form reads files up to 256 MiB;
// Image and Ref are left alone on failure.
TKZ_MAPKIT_EXPORT void ReadGeoTiff(const std::string& FileName, TBitmap& Image, GeoReference& Ref);
TKZ_MAPKIT_EXPORT void ReadGeoTiff(const uint8_t* Data, size_t Size, TBitmap& Image,
                                   GeoReference& Ref);

}  // namespace tkz
