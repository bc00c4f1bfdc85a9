// geodb internals (not installed): the byte layout of records, index
// entries and the header, and small helpers shared by the geodb sources.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "geo/geodb.h"

namespace tkz::geodb_internal {

inline constexpr int kRecSize = 120;
inline constexpr int kIxRecSize = 8;
inline constexpr int kHeaderSize = 260;
inline constexpr int kMetaSize = 1024;
inline constexpr int kBlockSize = 16384;
inline constexpr int32_t kDBVersion = 4;
inline constexpr int kDescCapacity = 63;  // what the header field can hold
inline constexpr int kDescStoreLen = 60;  // what SetDescription stores
inline constexpr int64_t kMaxDataPos = 0x7FFFFFFF;

// Header offsets.
inline constexpr int kHdrCounter = 0;
inline constexpr int kHdrVersion = 4;
inline constexpr int kHdrDesc = 8;
inline constexpr int kHdrRevision = 72;

// Record offsets.
inline constexpr int kOffItemID = 0;
inline constexpr int kOffName = 4;
inline constexpr int kOffUserFloat = 64;
inline constexpr int kOffUserByte = 68;
inline constexpr int kOffUserInt2 = 72;
inline constexpr int kOffDataPos = 76;
inline constexpr int kOffDateTime = 80;
inline constexpr int kOffUserInt1 = 88;
inline constexpr int kOffLatLow = 92;
inline constexpr int kOffLatHigh = 96;
inline constexpr int kOffLongLow = 100;
inline constexpr int kOffLongHigh = 104;
inline constexpr int kOffItemType = 108;
inline constexpr int kOffNumElems = 112;
inline constexpr int kOffClosed = 116;

// Little-endian scalars at p.
inline void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint32_t GetU32(const uint8_t* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}
inline void PutI32(uint8_t* p, int32_t v) { PutU32(p, static_cast<uint32_t>(v)); }
inline int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetU32(p)); }
inline void PutF32(uint8_t* p, float v) { PutU32(p, std::bit_cast<uint32_t>(v)); }
inline float GetF32(const uint8_t* p) { return std::bit_cast<float>(GetU32(p)); }
inline void PutF64(uint8_t* p, double v) {
  const uint64_t u = std::bit_cast<uint64_t>(v);
  PutU32(p, static_cast<uint32_t>(u));
  PutU32(p + 4, static_cast<uint32_t>(u >> 32));
}
inline double GetF64(const uint8_t* p) {
  return std::bit_cast<double>(GetU32(p) | (static_cast<uint64_t>(GetU32(p + 4)) << 32));
}

// A length-prefixed string field of Capacity characters at p (Capacity + 1
// bytes). Put cuts the text and fills the unused characters with Pad; Get
// clamps a length byte larger than the field.
inline void PutShortString(uint8_t* p, int Capacity, std::string_view s, uint8_t Pad) {
  const size_t n = std::min(s.size(), static_cast<size_t>(Capacity));
  p[0] = static_cast<uint8_t>(n);
  std::memcpy(p + 1, s.data(), n);
  std::memset(p + 1 + n, Pad, static_cast<size_t>(Capacity) - n);
}
inline std::string GetShortString(const uint8_t* p, int Capacity) {
  const int n = std::min<int>(p[0], Capacity);
  return std::string(reinterpret_cast<const char*>(p + 1), static_cast<size_t>(n));
}

void EncodeRecord(const TgdbData& d, uint8_t* out);  // kRecSize bytes
TgdbData DecodeRecord(const uint8_t* in);
std::string EncodeRecords(const std::vector<TgdbData>& recs);

// Index files.
std::string EncodeIdIndex(const TIxItemIDRecArray& ix);
std::string EncodeLLIndex(const TIxLLRecArray& ix);

// The five indexes built from the records (stable: equal keys in record
// order).
void BuildIndexes(const std::vector<TgdbData>& recs, TIxItemIDRecArray& id,
                  std::array<TIxLLRecArray, 4>& ll);
// True when every index has one entry per record, agrees with the records
// and is sorted.
bool IndexesValid(const std::vector<TgdbData>& recs, const TIxItemIDRecArray& id,
                  const std::array<TIxLLRecArray, 4>& ll);
// The key of record d for index 1..4.
float LLKey(const TgdbData& d, int Index);

// The order of the bound indexes: by value, NaN after every number (and
// equal to NaN), so that an index holding NaN stays sorted and searchable.
inline bool KeyLess(float a, float b) { return !std::isnan(a) && (std::isnan(b) || a < b); }
inline bool KeyLess(int32_t a, int32_t b) { return a < b; }

// Writes all Size bytes at byte Offset of the file open on Fd; false (errno
// set) when the write fails.
bool WriteAllAt(int Fd, const void* Bytes, size_t Size, int64_t Offset);

// Kinds that store a polygon.
inline bool IsPolygonKind(TgdbItem k) {
  return k == gitBorder || k == gitCity || k == gitLake || k == gitRiver || k == gitRoad ||
         k == gitRoute;
}

// The bytes of a payload of this kind (polygon vertices, or a BLOB's
// content size; 0 for kinds without payload).
int64_t PayloadBytes(TgdbItem Kind, int64_t Vertices, int64_t BlobSize);
// Whether the payload of d lies inside a data file of DataSize bytes, after
// its header.
bool PayloadInside(const TgdbData& d, int64_t DataSize);

// Current local date-time and a file's modification time as days since
// 1899-12-30.
double NowDateTime();
double FileDateTime(const std::string& FileName);

// Whole-file replacement by rename (the platform's helper through
// TMemoryStream).
void ReplaceFileContent(const std::string& FileName, const std::string& Bytes);

// Round(a / b * 100) clamped to 0..100; 100 when b <= 0.
int Percent(int64_t a, int64_t b);

}  // namespace tkz::geodb_internal
