// geodb: a small geographic database of named items (borders, towns, cities,
// lakes, rivers, roads, routes and binary objects) in seven flat files that
// share one base name.
//
// Files (base name = the database name without its extension):
//   base.tkzgds  item records, 120 bytes each, in record order; the record
//                count is the file size / 120 (a trailing partial record is
//                ignored).
//   base.tkzgdd  a 260-byte header, then polygon and BLOB payloads appended
//                in the order written (replaced and deleted items leave their
//                payload behind until GarbageCollection).
//   base.tkzgi0  item-ID index, 8-byte entries (ItemID, RecIx) sorted by ID;
//   base.tkzgi1..4  LatLow, LatHigh, LongLow, LongHigh indexes, 8-byte
//                entries (Value as float, RecIx) sorted by value.
// Everything is little-endian; RecIx is a 0-based record number in the files
// and 1-based wherever the API returns it.
//
// Item record (TgdbData) on disk, byte offsets:
//     0 ItemID i32      4 Name (length byte + 59 chars, blank padded)
//    64 UserFloat f32  68 UserByte u8     69 reserved (3, zero)
//    72 UserInt2 i32   76 DataPos i32 (-1: no payload)
//    80 DateTime f64 (days since 1899-12-30)   88 UserInt1 i32
//    92 LatLow f32     96 LatHigh f32    100 LongLow f32   104 LongHigh f32
//   108 ItemType u8   109 reserved (3)   112 NumElems i32  116 Closed u8
//   117 reserved (3)
// Header: 0 ItemCounter i32, 4 DB version i32 (4), 8 description (length
// byte + 63 chars), 72 revision i32, 76..259 reserved (zero).
// Payloads: a polygon is NumElems (lat f32, long f32) pairs; a BLOB is a
// 1024-byte TMetaInfo block followed by NumElems content bytes.
//
// Units: latitudes and longitudes in degrees, stored as 32-bit floats.
//
// Memory and files: all records and the five indexes are held in memory;
// only base.tkzgdd stays open while a database is named, to hold its lock
// (see Sharing), and, with LazyWrite on, base.tkzgdd and base.tkzgds stay
// open for writing as well. Index files are rewritten whole through a
// temporary file renamed into place after every add, replace and delete
// (or, with LazyWrite on, when LazyWrite is switched off, the database is
// closed or renamed, or the object is destroyed). The header is rewritten
// with a single 260-byte write.
//
// Bad input: length bytes read from the files are clamped to their fields;
// indexes whose length differs from the record count, which name a record
// that does not exist (or one twice), disagree with the records or are not
// sorted are rebuilt from the records in memory when the database is opened
// (and written back at the next change). An item counter below the largest
// ItemID in use (a header lost or damaged) is raised to it in memory, so
// that IDs stay unique. A header file shorter than 260 bytes raises
// ETKZGeoDBError and is never overwritten. Payloads that do not lie inside
// the data file are not read (the retrieval returns false).
//
// Order: the bound indexes sort by value with NaN after every number (NaN
// equal to NaN), the ID index by ID. An entry sorted in at once goes before
// the equal entry its binary search meets (SortIxInto); with LazyWrite on,
// added entries are appended and sorted in at the next read of an index
// (any GetIx..., GetClosest..., SearchForItemID, FindItemsInWindow, change
// or index write), after the entries of equal key already there, as
// RecalcIndexes orders them. The two orders differ only among equal keys.
//
// Cost: lookups by ID and by bounding-box edge are binary searches; a window
// query looks only at the records inside the shortest of four index ranges,
// each bounded by the window and the widest item extent. Adding an item
// writes the header, appends to two files and (unless LazyWrite) rewrites
// the five indexes; with LazyWrite on, a bulk load costs two or three
// positioned writes per item and one sort at its end.
//
// Sharing: naming a database takes an exclusive advisory lock (flock) on
// base.tkzgdd, held until the database is closed, another one is named, or
// the object is destroyed (GarbageCollection locks the new data file before
// it takes the name). A second TGeoDB, in this process or another, that names
// the same files meanwhile is refused with ETKZGeoDBError "SetGDBName:
// database "base" is in use by another object." and left closed. Programs
// that do not lock (ReadSystemInformation, CheckGeoDB, other tools) are not
// kept out. A child process made by fork shares its parent's lock and must
// not use the parent's object.
//
// Crashes: every change writes what it refers to before what refers to it:
// an add writes the header (the raised item counter), then the payload
// (appended), then the record, then the indexes (each replaced by rename).
// A process killed at any point therefore leaves a database that opens
// consistently and holds every item whose Add... returned, with or without
// LazyWrite: LazyWrite defers only the index files, and indexes that do not
// match the records are rebuilt from them on opening. An interrupted add
// leaves at most an unused item ID and unreferenced payload bytes (reclaimed
// by GarbageCollection). A delete cut off after moving the last record into
// the gap leaves that record twice; opening drops the second copy (a last
// record equal to an earlier one with its item ID) and shortens the file.
// An interrupted index write may leave a temporary file beside the index.
// Each write is handed to the system before the add returns, with LazyWrite
// on as well (the files are held open, not written later).
// Records, header and payloads are not flushed to the disk (no fsync); the
// index files and the files of GarbageCollection are. After a crash of the
// whole system, only what the system had written out survives.
//
// Threading: one object is used from one thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/classes.h"
#include "core/platform/stream.h"
#include "core/types/tkzbase.h"
#include "geo/mapkit_export.h"

namespace tkz {

class TKZ_MAPKIT_EXPORT ETKZGeoDBError : public ETKZError {
 public:
  explicit ETKZGeoDBError(const std::string& msg) : ETKZError(msg) {}
};

// ================================================================== types

// Kinds of item; stored as one byte. Values above gitUndefined read from a
// file are kept as they are and treated as gitUndefined (no payload).
enum TgdbItem : uint8_t {
  gitBorder,
  gitTown,
  gitCity,
  gitLake,
  gitRiver,
  gitRoad,
  gitRoute,
  gitBLOB,
  gitUndefined
};

// "Border", "Town", ... "Undefined", indexed by TgdbItem.
extern TKZ_MAPKIT_EXPORT const std::array<const char*, 9> GDB_ITEMNAMES;

// An item name: at most 59 characters (longer names are cut where stored).
using TgdbName = std::string;
inline constexpr int kGdbNameLen = 59;

// A vertex: latitude and longitude in degrees.
struct TKZ_MAPKIT_EXPORT TSCoords {
  float Lat = 0;
  float Long = 0;
  friend bool operator==(const TSCoords&, const TSCoords&) = default;
};
using TgdbPolygon = std::vector<TSCoords>;

enum TMetaItem : uint8_t { miKwd, miCaption, miFilePath, miDescriptor, miComment };

// The 1024-byte description block stored before every BLOB: five strings,
// each a length byte followed by its characters, at fixed positions:
//   miKwd at 0 (255 chars), miCaption at 256 (127), miFilePath at 384 (127),
//   miDescriptor at 512 (255), miComment at 768 (255).
struct TKZ_MAPKIT_EXPORT TMetaInfo {
  std::array<uint8_t, 1024> Bytes{};

  // The item's text; a length byte larger than the field's capacity is
  // read as the capacity.
  std::string Get(TMetaItem Item) const;
  // Stores Text cut to the field's capacity. Unknown items are ignored.
  void Set(TMetaItem Item, std::string_view Text);
  static int Capacity(TMetaItem Item);
  friend bool operator==(const TMetaInfo&, const TMetaInfo&) = default;
};

// Index entries. RecIx is 0-based in the arrays and files; the GetIx...
// accessors return it 1-based.
struct TKZ_MAPKIT_EXPORT TIxLLRec {
  float Value = 0;
  int32_t RecIx = 0;
  friend bool operator==(const TIxLLRec&, const TIxLLRec&) = default;
};
using TIxLLRecArray = std::vector<TIxLLRec>;
struct TKZ_MAPKIT_EXPORT TIxItemIDRec {
  int32_t ItemID = 0;
  int32_t RecIx = 0;
  friend bool operator==(const TIxItemIDRec&, const TIxItemIDRec&) = default;
};
using TIxItemIDRecArray = std::vector<TIxItemIDRec>;

// The summary record of one item (120 bytes on disk, see above).
struct TKZ_MAPKIT_EXPORT TgdbData {
  int32_t ItemID = 0;
  TgdbName Name;
  float UserFloat = 0;
  uint8_t UserByte = 0;
  int32_t UserInt2 = 0;
  int32_t DataPos = -1;  // byte position of the payload in base.tkzgdd
  double DateTime = 0;   // days since 1899-12-30
  int32_t UserInt1 = 0;
  float LatLow = 0;
  float LatHigh = 0;
  float LongLow = 0;
  float LongHigh = 0;
  TgdbItem ItemType = gitUndefined;
  int32_t NumElems = 0;  // vertices of a polygon, or bytes of a BLOB
  bool Closed = false;
  friend bool operator==(const TgdbData&, const TgdbData&) = default;
};

// Resets a record: ItemID 0, empty name, user fields 0, DataPos -1, DateTime
// the current local date and time, bounds 0, gitUndefined, not closed.
TKZ_MAPKIT_EXPORT void ClearGdbData(TgdbData& Data);
// Sets the five length bytes of the block to 0.
TKZ_MAPKIT_EXPORT void ClearMetaInfo(TMetaInfo& Info);

// The location of a record: (LatLow, LongLow).
TKZ_MAPKIT_EXPORT TSCoords ExtractLocation(const TgdbData& Data);
// Text of a latitude clamped to [-90, 90]: DegreeToStr of its absolute value
// followed by " N" (lat >= 0) or " S". NaN gives "".
TKZ_MAPKIT_EXPORT std::string GeoLatitude(double Lat, TDegreeFormat Fmt, int Decimals);
// Longitude clamped to [-180, 180], followed by " E" (>= 0) or " W".
TKZ_MAPKIT_EXPORT std::string GeoLongitude(double Long, TDegreeFormat Fmt, int Decimals);

// What ReadSystemInformation finds in a database's files without opening it.
struct TKZ_MAPKIT_EXPORT TgdbSystemInfo {
  bool Valid = false;  // the header file exists and is at least 260 bytes
  int32_t ItemCounter = 0;
  int32_t DBVersion = 0;
  std::string Description;
  int32_t Revision = 0;
  int32_t NumEntries = 0;    // records in base.tkzgds
  int64_t DataFileSize = 0;  // bytes of base.tkzgdd, header included
};
// Reads the header and the record count of the database named FileName (any
// extension). Missing or short files give Valid false; nothing is written.
TKZ_MAPKIT_EXPORT TgdbSystemInfo ReadSystemInformation(const std::string& FileName);

// A fault CheckGeoDB finds in the files of a database.
struct TKZ_MAPKIT_EXPORT TgdbProblem {
  std::string File;  // the file's name
  int Record = 0;    // 1-based record or index entry concerned; 0: the whole file
  std::string Text;  // what is wrong, in English
};
// Checks the files of the database named FileName (any extension) as they
// are on disk, without opening the database, taking its lock or writing
// anything: the header (missing, shorter than 260 bytes, a version other
// than 4, an item counter below an item ID in use), the record file
// (missing, a partial record at its end, unknown kinds, item IDs used twice,
// payloads outside the data file) and each index file (missing, an entry
// count other than the record count, entries that name no record, name one
// twice, disagree with their record or are out of order; the first such
// entry is named). An empty result means the database is sound. Reads the
// whole record and index files.
TKZ_MAPKIT_EXPORT std::vector<TgdbProblem> CheckGeoDB(const std::string& FileName);
// Mends what CheckGeoDB finds, as far as it can be mended: a missing or
// short header is written anew (its existing bytes kept, version 4, the item
// counter raised to the largest item ID); the database is then named (so a
// database in use is refused, as SetGDBName refuses it), a low item counter
// is written back, the index files are rebuilt from the records, and when a
// payload lies outside the data file or the record file ends in a partial
// record, GarbageCollection rewrites both files (such items lose their
// payload). Unknown kinds and item IDs used twice are left as they are.
// Returns one line of text per action taken.
TKZ_MAPKIT_EXPORT std::vector<std::string> RepairGeoDB(const std::string& FileName);

// How SearchData compares names (the letter case never matters).
inline constexpr uint8_t kGdbMatchExact = 0;     // the whole name
inline constexpr uint8_t kGdbMatchPrefix = 1;    // the name starts with the text
inline constexpr uint8_t kGdbMatchContains = 2;  // the name contains the text

// ================================================================ TGeoDB

class TKZ_MAPKIT_EXPORT TGeoDB : public TComponent {
 public:
  explicit TGeoDB(TComponent* AOwner = nullptr);
  // Writes pending lazy indexes; never throws (write errors are dropped).
  ~TGeoDB() override;
  std::string ClassName() const override { return "TGeoDB"; }

  // ------------------------------------------------- database and files

  // Opens the database named Name (any extension), creating the files that
  // do not exist; "" closes it. Pending lazy indexes of the previous
  // database are written first. A file that exists but cannot be read
  // raises EInOutError, a short header ETKZGeoDBError; the object is then
  // left closed.
  void SetGDBName(const std::string& Name);
  // The base name ("" while closed).
  std::string GetGDBName() const { return base_name_; }
  // Whether a database is named (its base name may be "": ".tkzgds" names
  // the files of the current folder).
  bool IsOpen() const { return !data_file_.empty(); }

  bool GetLazyWrite() const { return lazy_write_; }
  // Switching LazyWrite off writes all five index files.
  void SetLazyWrite(bool Value);
  // Writes index i (0 item ID, 1 LatLow, 2 LatHigh, 3 LongLow, 4 LongHigh)
  // whole, through a temporary file. Nothing while closed or for other i.
  void SaveIndex(int i);

  int GetNumEntries() const { return num_entries_; }

  // Header fields. SetDescription stores at most 60 characters. Both
  // setters write the header at once and raise ETKZGeoDBError when the
  // header file cannot be written; they do nothing while closed.
  std::string GetDescription() const;
  void SetDescription(const std::string& s);
  int32_t GetRevision() const;
  void SetRevision(int32_t n);
  int32_t GetDBVersion() const;
  int32_t GetItemCounter() const;

  TOnPercentDoneEvent OnPercentDone;
  // Gates every progress report (true from construction).
  void SetProgressEnabled(bool b) { progress_enabled_ = b; }

  // ---------------------------------------------------------- indexes

  // The i-th entry (1-based) of an index, RecIx returned 1-based; i is
  // clamped to 1..NumEntries. An empty database gives a cleared entry
  // (0, 0).
  TIxItemIDRec GetIxItemID(int i) const;
  TIxLLRec GetIxLatLow(int i) const;
  TIxLLRec GetIxLatHigh(int i) const;
  TIxLLRec GetIxLongLow(int i) const;
  TIxLLRec GetIxLongHigh(int i) const;
  // Copy of record i (1-based, clamped as above); an empty database gives a
  // cleared record.
  TgdbData GetSumdata(int i) const;

  // 1-based position where v stands or would be inserted: an entry equal to
  // v, else the first entry greater than v, else NumEntries + 1.
  int GetClosestLatLowIx(float v) const;
  int GetClosestLatHighIx(float v) const;
  int GetClosestLongLowIx(float v) const;
  int GetClosestLongHighIx(float v) const;
  int GetClosestItemIDIx(int32_t id) const;
  // 1-based record number of the item with this ID, 0 when none.
  int SearchForItemID(int32_t id) const;

  // Inserts the keys of record recnum (1-based) into the five indexes; the
  // caller has lengthened each array by one (its last slot is free).
  void InsertIntoIndex(int recnum, const TgdbData& Data);
  // Removes, in each index, the first entry naming record recnum (1-based),
  // moving later entries down; the arrays keep their length.
  void RemoveIndexEntries(int recnum);
  // Sorted insertion into an array whose last slot is free; among equal
  // keys the new entry goes before the equal entry the binary search meets.
  static void SortIxInto(TIxLLRecArray& ix, const TIxLLRec& rec);
  static void SortIxItemIDInto(TIxItemIDRecArray& ix, const TIxItemIDRec& rec);

  // Rebuilds the five indexes from the records and writes them (unless
  // LazyWrite). Nothing while closed.
  void RecalcIndexes();

  // ------------------------------------------------------------ items

  // All Add... forms return the new 1-based record number (= NumEntries),
  // or -1 while closed. Names are cut to 59 characters. F1..F4 are LatLow,
  // LatHigh, LongLow, LongHigh (used as given only for BLOBs); F5 is
  // UserFloat. Polygon kinds compute their bounding box from the vertices.
  // ETKZGeoDBError "AddData: cannot open database." when the header cannot
  // be written; "AddData: data file too large." when the payload would end
  // beyond byte 2^31-1 of the data file, "AddData: no item ID left." when
  // the counter has reached 2^31-1, "AddData: too many records." when the
  // database holds INT32_MAX / 120 records, the most that opening accepts
  // (all three checked before anything is written).
  int AddBorder(const TgdbName& Name, const TgdbPolygon& Poly, bool Closed, double DateTime,
                int32_t UserInt1, float F1, float F2, float F3, float F4, float F5,
                uint8_t UserByte, int32_t UserInt2);
  int AddCity(const TgdbName& Name, const TgdbPolygon& Poly, bool Closed, double DateTime,
              int32_t UserInt1, float F1, float F2, float F3, float F4, float F5, uint8_t UserByte,
              int32_t UserInt2);
  int AddLake(const TgdbName& Name, const TgdbPolygon& Poly, double DateTime, int32_t UserInt1,
              float F1, float F2, float F3, float F4, float F5, uint8_t UserByte, int32_t UserInt2);
  int AddRiver(const TgdbName& Name, const TgdbPolygon& Poly, double DateTime, int32_t UserInt1,
               float F1, float F2, float F3, float F4, float F5, uint8_t UserByte,
               int32_t UserInt2);
  int AddRoad(const TgdbName& Name, const TgdbPolygon& Poly, double DateTime, int32_t UserInt1,
              float F1, float F2, float F3, float F4, float F5, uint8_t UserByte, int32_t UserInt2);
  int AddRoute(const TgdbName& Name, const TgdbPolygon& Poly, double DateTime, int32_t UserInt1,
               float F1, float F2, float F3, float F4, float F5, uint8_t UserByte,
               int32_t UserInt2);
  int AddTown(const TgdbName& Name, double DateTime, int32_t UserInt1, const TSCoords& Location,
              float F5, uint8_t UserByte, int32_t UserInt2);

  // BLOB from the file FilePath, named after the file (its name without
  // the folder). Meta's miFilePath is set to FilePath; DateTime becomes the
  // file's modification time. A missing or unreadable file raises
  // EInOutError before anything is written.
  int AddBLOB(const std::string& FilePath, double DateTime, int32_t UserInt1, float F1, float F2,
              float F3, float F4, float F5, uint8_t UserByte, int32_t UserInt2,
              const TMetaInfo& Meta);
  // The same under the item name NameSource.
  int AddBLOB(const std::string& FilePath, const TgdbName& NameSource, double DateTime,
              int32_t UserInt1, float F1, float F2, float F3, float F4, float F5, uint8_t UserByte,
              int32_t UserInt2, const TMetaInfo& Meta);
  // The same, storing ThirdText as the block's miDescriptor; afterwards
  // Meta holds the block as stored (read back with GetMetaInfo).
  int AddBLOB(const std::string& FilePath, const TgdbName& NameSource, const std::string& ThirdText,
              double DateTime, int32_t UserInt1, float F1, float F2, float F3, float F4, float F5,
              uint8_t UserByte, int32_t UserInt2, TMetaInfo& Meta);
  // BLOB of Size bytes at Data (a null Data or a negative Size stores an
  // empty BLOB).
  int AddBLOB(const TgdbName& Name, double DateTime, int32_t UserInt1, float F1, float F2, float F3,
              float F4, float F5, uint8_t UserByte, int32_t UserInt2, const TMetaInfo& Meta,
              const void* Data, int64_t Size);
  // BLOB holding the whole content of Stream (empty for a null stream).
  int AddBLOB(const TgdbName& Name, double DateTime, int32_t UserInt1, float F1, float F2, float F3,
              float F4, float F5, uint8_t UserByte, int32_t UserInt2, const TMetaInfo& Meta,
              TMemoryStream* Stream);

  // The general form. Data/Size give a BLOB's bytes from memory; with
  // FromFile the BLOB is read from the file named by Meta's miFilePath.
  int AddData(const TgdbName& Name, const TgdbPolygon& Poly, bool Closed, TgdbItem Kind,
              uint8_t UserByte, double DateTime, int32_t UserInt1, float F1, float F2, float F3,
              float F4, float F5, int32_t UserInt2, const TMetaInfo& Meta, const void* Data,
              int64_t Size, bool FromFile);
  // Replaces record recnum (1-based) keeping its ItemID; the new payload is
  // appended. Nothing while closed or for recnum outside 1..NumEntries.
  // Refusals as for AddData, named "ReplaceData: ...".
  void ReplaceData(int recnum, const TgdbName& Name, const TgdbPolygon& Poly, bool Closed,
                   TgdbItem Kind, uint8_t UserByte, double DateTime, int32_t UserInt1, float F1,
                   float F2, float F3, float F4, float F5, int32_t UserInt2, const TMetaInfo& Meta,
                   const void* Data, int64_t Size, bool FromFile);
  // Deletes record recnum: the last record moves into its place.
  void DeleteData(int recnum);

  // The vertices of a polygon item (record numbers below 1 read record 1).
  // False while closed, for a record beyond NumEntries, for kinds without a
  // polygon, and for a payload that does not lie inside the data file.
  bool RetrievePolygon(int recnum, TgdbPolygon& Poly);
  // A BLOB written to FileName. Every "\" in FileName is read as "/"; an
  // empty FileName, or one ending in a separator, gets the item's name
  // (reduced to 8.3 file-name characters) appended. ETKZGeoDBError
  // "RetrieveBLOB: invalid filename." when the result is empty or its last
  // part is "." or "..". False (no file created) for records that hold no
  // readable BLOB. The content is copied in blocks to a temporary file
  // beside the target, renamed into place when complete.
  bool RetrieveBLOB(int recnum, const std::string& FileName, TMetaInfo& Meta);
  // A BLOB copied to Dest; ETKZGeoDBError "RetrieveBLOB: BLOB to be
  // retrieved is larger than SizeOfBlobData." when it does not fit.
  bool RetrieveBLOB(int recnum, TMetaInfo& Meta, void* Dest, int64_t SizeOfBlobData);
  // A BLOB written to Stream, which is first resized to the BLOB's size and
  // positioned at 0. The stream is not touched unless the record holds a
  // readable BLOB.
  bool RetrieveBLOB(int recnum, TMetaInfo& Meta, TStream* Stream);

  // ------------------------------------------ search and maintenance

  // First record (1-based) whose name equals Name in any letter case; 0
  // when none.
  int SearchData(const TgdbName& Name) const;
  // First record at or after Start (1-based; below 1 means 1) whose name
  // matches Name in any letter case as Flag says (kGdbMatchExact, Prefix or
  // Contains; other values compare exactly) and whose kind is Kind
  // (gitUndefined: any kind). 0 when none. Call again with the result + 1
  // for the next match.
  int SearchData(const TgdbName& Name, TgdbItem Kind, int Start, uint8_t Flag) const;
  // Record numbers (1-based, ascending) of the items whose bounding box
  // meets the window LatLow..LatHigh, LongLow..LongHigh (degrees, edges
  // included). LongLow > LongHigh is a window across the 180th meridian.
  // The indexes choose the candidates: only the records inside the most
  // selective of the four index ranges are looked at. An empty or NaN
  // window gives no records; items with an inverted box (a polygon without
  // vertices: LatLow 90, LatHigh -90) or NaN bounds never match.
  std::vector<int> FindItemsInWindow(float LatLow, float LatHigh, float LongLow,
                                     float LongHigh) const;

  // The meta block of a BLOB item, without its content; false for other
  // records or a block outside the data file.
  bool GetMetaInfo(int recnum, TMetaInfo& Meta) const;
  // Overwrites the meta block of a BLOB item in place; false when the
  // record is no BLOB (or closed).
  bool UpdateMetaInfo(int recnum, const TMetaInfo& Meta);
  // Overwrites the descriptive fields of record recnum (name, user fields,
  // DateTime, bounds, Closed) from Data and re-sorts its index entries. The
  // item's ID, kind and payload link (DataPos, NumElems) are kept, so the
  // record always describes its own payload. False while closed or for
  // recnum outside 1..NumEntries.
  bool UpdateBasicData(int recnum, const TgdbData& Data);
  // Rewrites the data file with the live payloads only, in record order,
  // and the record file with the new DataPos values; both are written to
  // temporary files (base.tkzgdd.gc, base.tkzgds.gc), flushed to disk and
  // renamed into place, the data file first. A process that stops between
  // the two renames leaves the new records beside the new data file; the
  // next SetGDBName puts them in place (and removes temporary files of a
  // compaction stopped earlier). Returns the bytes freed.
  // Records whose payload does not lie inside the data file lose it
  // (DataPos -1, NumElems 0). 0 while closed.
  int64_t GarbageCollection();
  // Writes the header and one line per record as text (tab-separated
  // fields; tabs and line breaks in names become blanks) to FileName,
  // replacing it. False while closed.
  bool ExportDataDebug(const std::string& FileName) const;

 private:
  void Progress(int Percent);
  std::string Message(const std::string& Text) const;
  void Close();
  void ClearState();
  void ReleaseLock();
  void WriteHeader(const char* Operation);
  // Applies Change to the header and writes it; restores it when the write
  // fails. Nothing while closed.
  void ChangeHeader(const char* Operation, const std::function<void()>& Change);
  void SaveAllIndexes();
  void AfterChange();  // writes the indexes unless LazyWrite
  // Adds the index entries of a new last record: sorted in at once, or,
  // with LazyWrite on, appended and sorted at the next read (EnsureSorted).
  void AppendRecordIndexes(int recnum, const TgdbData& Data);
  // Sorts the entries appended under LazyWrite into the indexes (stable:
  // after the entries of equal key already there). Every reader of the
  // indexes calls it first.
  void EnsureSorted() const;
  // Bound index k (0 LatLow .. 3 LongHigh), sorted.
  const TIxLLRecArray& SortedLL(int k) const;
  // The parameters shared by AddData and ReplaceData (geodb_items.cpp).
  struct ItemArgs;
  // Adds (recnum 0) or replaces record recnum; returns its record number.
  // Operation names the caller in messages.
  int StoreItem(const char* Operation, int recnum, const ItemArgs& a);
  // A descriptor open for writing on File: with LazyWrite on, the one kept
  // in Slot (opened on first use); otherwise a fresh one that the caller
  // closes (Owned). -1 when the file cannot be opened.
  int WriteFd(const std::string& File, int& Slot, bool& Owned);
  void CloseWriteFds();
  // Opens the data file at the BLOB of record recnum (clamped below to 1)
  // after its meta block was read into Meta; null when the record holds no
  // BLOB that lies inside the data file.
  std::unique_ptr<TFileStream> OpenBlob(int recnum, TgdbData& Rec, TMetaInfo& Meta) const;
  // Copies N content bytes from Src (at the BLOB's content) to Sink in
  // blocks of 16384 bytes, reporting progress after each block.
  void CopyBlob(TFileStream& Src, int64_t N, const std::function<void(const char*, int64_t)>& Sink);

  std::string base_name_;
  std::string data_file_;    // .tkzgds, the item records
  std::string header_file_;  // .tkzgdd, header and payloads
  std::array<std::string, 5> ix_files_;
  int num_entries_ = 0;
  std::vector<TgdbData> records_;
  // Mutable: the const readers sort entries appended under LazyWrite.
  mutable TIxItemIDRecArray ix_id_;
  mutable std::array<TIxLLRecArray, 4> ix_ll_;  // LatLow, LatHigh, LongLow, LongHigh
  // The entries at the front of every index that are in order; those after
  // them were appended under LazyWrite and are not yet sorted in.
  mutable size_t ix_sorted_ = 0;
  // The widest latitude and longitude extent of any item's box (never
  // below the truth: deletions leave it as it was). Window queries use it
  // to bound their index ranges on both sides.
  double max_lat_extent_ = 0;
  double max_long_extent_ = 0;
  void WidenExtents(const TgdbData& Data);
  void ComputeExtents();
  std::array<uint8_t, 260> header_{};
  bool lazy_write_ = false;
  bool progress_enabled_ = true;
  // The header-and-data file, open and flock-ed while a database is named.
  int lock_fd_ = -1;
  // With LazyWrite on, the data file and the record file stay open for
  // writing between adds (-1: not open).
  int data_fd_ = -1;
  int rec_fd_ = -1;
};

}  // namespace tkz
