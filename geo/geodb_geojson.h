// geodb_geojson: GeoJSON (RFC 7946) import into and export from a TGeoDB,
// and import of TopoJSON topologies (the format of Natural Earth's
// world-atlas files).
//
// Import. The text is a FeatureCollection, a single Feature or a bare
// geometry; every geometry becomes one or more items:
//   Point            a town at the position (MultiPoint: one town each).
//   LineString       one polygon item, not closed, of the kind that the
//                    feature's "kind" property names (river, road, route,
//                    border, city or lake, in any letter case); route when
//                    the property is missing or names no line kind.
//                    MultiLineString: one item per line.
//   Polygon          one closed item per polygon, of the kind "kind" names
//                    (border, city or lake; river, road and route keep the
//                    ring as an open line), border by default. Only the
//                    outer ring is stored: holes are dropped and counted
//                    (HolesDropped). A ring's repeated closing position is
//                    not stored. A polygon whose outer ring has fewer than
//                    4 positions (a sliver of quantised data) is dropped
//                    and counted (PolygonsDropped); the feature is skipped
//                    only when nothing else is left of it. MultiPolygon:
//                    one item per polygon, all under the feature's name, so
//                    that a country with islands arrives whole as several
//                    items of one name.
//   GeometryCollection  each member as above, under the feature's
//                    properties.
// Properties: "name" (a string; anything else gives an unnamed item),
// "kind" (above), "population" (a number, stored as the town's UserInt1,
// clamped to 0..2^31-1; towns only). Items get the import's date-time and
// zero in every other user field. A third coordinate (altitude) is ignored.
// Names arrive as UTF-8 and are stored in Windows-1252: characters the code
// page lacks (and malformed UTF-8) become '?' and are counted
// (CharsReplaced); names longer than 59 characters are cut and counted
// (NamesTruncated).
//
// Bad input. Text that is not JSON (numbers beyond the range of a double
// included), JSON that is no GeoJSON object (no known "type"), a
// FeatureCollection without a "features" array, or nesting deeper than
// kGeoJSONMaxDepth raise ETKZGeoDBError before any item is added; the
// message names the byte offset or the problem. A feature whose geometry
// cannot be stored (null or missing, an unknown type, coordinates that are
// not numbers, latitudes outside -90..90 or longitudes outside -180..180, a
// line of fewer than 2 positions, no positions at all) is skipped as a
// whole; the result counts it and keeps the first kGeoJSONMaxReasons
// reasons, each naming the feature's index (0-based, in document order).
// With Strict set, the first such feature raises ETKZGeoDBError with that
// text instead, before anything is added. The database's own errors (a
// full disk, a data file beyond 2 GiB) pass through; the items added
// before them stay.
//
// Progress and writing: during an import the database runs with LazyWrite
// on, and its previous setting is restored at the end (switching it off
// writes the indexes once). The database's OnPercentDone handler receives
// the import's progress (0..100, by items stored) instead of the per-item
// reports, and is restored afterwards.
//
// Export. Every item becomes one Feature, in record order: towns a Point;
// polygon kinds a Polygon when closed (the ring closed again and turned
// counter-clockwise, the right-hand rule of RFC 7946) and a LineString when
// not; BLOBs and items whose polygon cannot be read a Feature with a null
// geometry. Properties: "name" (UTF-8), "kind" ("Town", "Border", ... as in
// GDB_ITEMNAMES), "id" (the ItemID, also the Feature's own "id"),
// "population" (UserInt1) for towns, and for BLOBs "size" (bytes) and the
// non-empty meta texts ("keyword", "caption", "file", "descriptor",
// "comment"). Coordinates are written as the shortest
// decimal that reads back as the stored 32-bit float, so an export imported
// again gives the same items (BLOBs excepted: they carry no geometry and are
// skipped on import). Longitude comes first, as RFC 7946 wants; GDAL's
// GeoJSON driver (which QGIS uses) opens the result as one layer in WGS 84.
//
// TopoJSON. The objects of a Topology (all of them, or the one named) are
// decoded into GeoJSON features (arcs delta-decoded and scaled by the
// transform when there is one, reversed for negative arc indexes, joined
// without repeating the shared position) and imported as above. An arc
// index outside the arcs skips the feature, and so does a feature met once
// the decoded positions exceed 16 per byte of the text (arcs shared many
// times could otherwise describe far more positions than memory holds); a
// document that is no Topology, or one with a malformed transform, raises
// ETKZGeoDBError.
//
// Cost: the text is parsed once; the features of a FeatureCollection are
// converted one by one as the parser meets them, so memory grows with the
// stored vertices, not with the JSON tree. Every item costs one AddData of
// the database (see geodb.h for what that costs).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "geo/geodb.h"
#include "geo/mapkit_export.h"

namespace tkz {

inline constexpr int kGeoJSONMaxDepth = 64;  // arrays and objects
inline constexpr int kGeoJSONMaxReasons = 10;

struct TKZ_MAPKIT_EXPORT TgdbImportOptions {
  // Skipped features raise ETKZGeoDBError instead (nothing is added).
  bool Strict = false;
  // For TopoJSON: the object to import ("" imports every object).
  std::string Object;
};

struct TKZ_MAPKIT_EXPORT TgdbImportResult {
  std::array<int, 9> Added{};        // items added, indexed by TgdbItem
  int Features = 0;                  // features read (stored or skipped)
  int Skipped = 0;                   // features skipped as a whole
  std::vector<std::string> Reasons;  // the first kGeoJSONMaxReasons of them
  int HolesDropped = 0;              // inner polygon rings not stored
  int PolygonsDropped = 0;           // outer rings of fewer than 4 positions
  int CharsReplaced = 0;             // name characters stored as '?'
  int NamesTruncated = 0;            // names cut to 59 characters
  int TotalAdded() const;
};

// Imports GeoJSON text into the open database DB. ETKZGeoDBError when DB is
// closed or the text is no GeoJSON (see above).
TKZ_MAPKIT_EXPORT TgdbImportResult ImportGeoJSON(TGeoDB& DB, std::string_view Text,
                                                 const TgdbImportOptions& Options = {});
// The same from a file; EInOutError when it cannot be read.
TKZ_MAPKIT_EXPORT TgdbImportResult ImportGeoJSONFile(TGeoDB& DB, const std::string& FileName,
                                                     const TgdbImportOptions& Options = {});
// Imports a TopoJSON topology.
TKZ_MAPKIT_EXPORT TgdbImportResult ImportTopoJSON(TGeoDB& DB, std::string_view Text,
                                                  const TgdbImportOptions& Options = {});
TKZ_MAPKIT_EXPORT TgdbImportResult ImportTopoJSONFile(TGeoDB& DB, const std::string& FileName,
                                                      const TgdbImportOptions& Options = {});

// Every item of DB as a GeoJSON FeatureCollection ("" while DB is closed).
TKZ_MAPKIT_EXPORT std::string ExportGeoJSON(TGeoDB& DB);
// The same written to FileName through a temporary file renamed into place.
// False while DB is closed.
TKZ_MAPKIT_EXPORT bool ExportGeoJSONFile(TGeoDB& DB, const std::string& FileName);

}  // namespace tkz
