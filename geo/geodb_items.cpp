// geodb: adding, replacing and deleting items, reading back polygons and
// binary objects, and the coordinate texts.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

#include "core/numkit/math1.h"
#include "core/sys/filesys.h"
#include "core/text/stringl.h"
#include "geo/geodb.h"
#include "geo/geodb_internal.h"

namespace tkz {

using namespace geodb_internal;

struct TGeoDB::ItemArgs {
  TgdbName Name;
  const TgdbPolygon* Poly = nullptr;
  bool Closed = false;
  TgdbItem Kind = gitUndefined;
  uint8_t UserByte = 0;
  double DateTime = 0;
  int32_t UserInt1 = 0;
  float F1 = 0, F2 = 0, F3 = 0, F4 = 0, F5 = 0;
  int32_t UserInt2 = 0;
  const TMetaInfo* Meta = nullptr;
  const void* Data = nullptr;
  int64_t Size = 0;
  bool FromFile = false;
  std::string SourceFile;  // the BLOB's file when FromFile
};

namespace {

const TgdbPolygon kNoPolygon;

// The record number 1..NumEntries that recnum (clamped below to 1) names,
// or 0.
int RecordIndex(int recnum, int NumEntries) {
  const int r = std::max(recnum, 1);
  return r <= NumEntries ? r : 0;
}

}  // namespace

// ============================================================ add, replace

int TGeoDB::StoreItem(const char* Operation, int recnum, const ItemArgs& a) {
  const std::string op = Operation;
  const TgdbPolygon& poly = a.Poly ? *a.Poly : kNoPolygon;
  // Everything that can refuse the item is checked before the first byte
  // is written: the BLOB's source file, the record count, the item counter
  // and the size of the data file.
  std::unique_ptr<TFileStream> src;
  int64_t blob_size = std::max<int64_t>(a.Data ? a.Size : 0, 0);
  if (a.Kind == gitBLOB && a.FromFile) {
    src = std::make_unique<TFileStream>(a.SourceFile, fmOpenRead);
    blob_size = src->GetSize();
  }
  // Opening refuses a record file longer than this.
  if (recnum == 0 && num_entries_ >= INT32_MAX / kRecSize) {
    throw ETKZGeoDBError(Message(op + ": too many records."));
  }
  if (recnum == 0 && GetItemCounter() == INT32_MAX) {
    throw ETKZGeoDBError(Message(op + ": no item ID left."));
  }
  const int64_t bytes = PayloadBytes(a.Kind, static_cast<int64_t>(poly.size()), blob_size);
  bool data_owned = false;
  int data_fd = -1;
  const auto close_data = [&] {
    if (data_owned && data_fd >= 0) ::close(data_fd);
    data_fd = -1;
  };
  int64_t pos = -1;  // where the payload goes: the end of the data file
  if (bytes > 0 || a.Kind == gitBLOB || IsPolygonKind(a.Kind)) {
    data_fd = WriteFd(header_file_, data_fd_, data_owned);
    struct stat st {};
    if (data_fd < 0 || ::fstat(data_fd, &st) != 0) {
      const int err = errno;
      close_data();
      if (recnum == 0) throw ETKZGeoDBError(Message(op + ": cannot open database."));
      throw EInOutError("Cannot open file \"" + header_file_ + "\"", err);
    }
    pos = st.st_size;
    if (pos + bytes > kMaxDataPos) {
      close_data();
      throw ETKZGeoDBError(Message(op + ": data file too large."));
    }
  }
  try {
    Progress(0);
    TgdbData rec;
    if (recnum == 0) {
      PutI32(header_.data() + kHdrCounter, GetItemCounter() + 1);
      WriteHeader(Operation);
      rec.ItemID = GetItemCounter();
    } else {
      rec.ItemID = records_[recnum - 1].ItemID;
    }
    rec.Name = a.Name.substr(0, kGdbNameLen);
    rec.DataPos = -1;
    rec.DateTime = a.DateTime;
    rec.UserInt1 = a.UserInt1;
    rec.UserInt2 = a.UserInt2;
    rec.UserByte = a.UserByte;
    rec.UserFloat = a.F5;
    rec.LatLow = a.F1;
    rec.LatHigh = a.F2;
    rec.LongLow = a.F3;
    rec.LongHigh = a.F4;
    rec.ItemType = a.Kind;

    // The payload, appended to the data file.
    const auto write = [&](const void* p, int64_t n) {
      if (!WriteAllAt(data_fd, p, static_cast<size_t>(n), pos))
        throw EWriteError("Cannot write file \"" + header_file_ + "\"", errno);
      pos += n;
    };
    if (a.Kind == gitBLOB || IsPolygonKind(a.Kind)) {
      rec.DataPos = static_cast<int32_t>(pos);
      if (a.Kind == gitBLOB) {
        rec.Closed = false;
        rec.NumElems = static_cast<int32_t>(blob_size);
        write(a.Meta->Bytes.data(), kMetaSize);
        std::vector<char> block(kBlockSize);
        int64_t done = 0;
        int64_t blocks = 0;
        if (src) {
          rec.DateTime = FileDateTime(a.SourceFile);
          while (done < blob_size) {
            const int64_t n = std::min<int64_t>(kBlockSize, blob_size - done);
            src->ReadBuffer(block.data(), n);
            write(block.data(), n);
            done += n;
            ++blocks;
            Progress(Percent(blocks * kBlockSize, blob_size));
          }
        } else {
          const auto* p = static_cast<const char*>(a.Data);
          while (blob_size - done >= kBlockSize) {
            write(p + done, kBlockSize);
            done += kBlockSize;
            ++blocks;
            Progress(Percent(blocks * kBlockSize, blob_size));
          }
          write(p + done, blob_size - done);
        }
      } else {
        rec.Closed =
            a.Kind == gitLake ? true : (a.Kind == gitBorder || a.Kind == gitCity) && a.Closed;
        // Two independent comparisons per axis: a single vertex sets both
        // edges.
        rec.LatLow = 90;
        rec.LatHigh = -90;
        rec.LongLow = 180;
        rec.LongHigh = -180;
        rec.NumElems = static_cast<int32_t>(poly.size());
        std::string buf(poly.size() * 8, '\0');
        auto* p = reinterpret_cast<uint8_t*>(buf.data());
        const auto count = static_cast<int64_t>(poly.size());
        for (int64_t g = 0; g < count; ++g) {
          const TSCoords& v = poly[g];
          if (v.Lat < rec.LatLow) rec.LatLow = v.Lat;
          if (v.Lat > rec.LatHigh) rec.LatHigh = v.Lat;
          if (v.Long < rec.LongLow) rec.LongLow = v.Long;
          if (v.Long > rec.LongHigh) rec.LongHigh = v.Long;
          PutF32(p + g * 8, v.Lat);
          PutF32(p + g * 8 + 4, v.Long);
          Progress(Percent(g, count));
        }
        write(buf.data(), static_cast<int64_t>(buf.size()));
      }
    }
    close_data();

    // The record: appended, or written over the replaced one. It reaches
    // the file (the system) before the add returns.
    const int target = recnum == 0 ? num_entries_ + 1 : recnum;
    uint8_t raw[kRecSize];
    EncodeRecord(rec, raw);
    {
      bool owned = false;
      const int fd = WriteFd(data_file_, rec_fd_, owned);
      const bool ok =
          fd >= 0 && WriteAllAt(fd, raw, kRecSize, static_cast<int64_t>(target - 1) * kRecSize);
      const int err = errno;
      if (owned && fd >= 0) ::close(fd);
      if (!ok) throw EWriteError("Cannot write file \"" + data_file_ + "\"", err);
    }
    if (recnum == 0) {
      records_.push_back(rec);
      num_entries_ = static_cast<int>(records_.size());
      AppendRecordIndexes(target, rec);
    } else {
      records_[recnum - 1] = rec;
      RemoveIndexEntries(recnum);
      InsertIntoIndex(recnum, rec);
    }
    AfterChange();
    Progress(100);
    return target;
  } catch (...) {
    close_data();
    throw;
  }
}

int TGeoDB::AddData(const TgdbName& Name, const TgdbPolygon& Poly, bool Closed, TgdbItem Kind,
                    uint8_t UserByte, double DateTime, int32_t UserInt1, float F1, float F2,
                    float F3, float F4, float F5, int32_t UserInt2, const TMetaInfo& Meta,
                    const void* Data, int64_t Size, bool FromFile) {
  if (!IsOpen()) return -1;
  ItemArgs a{Name,     &Poly, Closed, Kind, UserByte, DateTime,
             UserInt1, F1,    F2,     F3,   F4,       F5,
             UserInt2, &Meta, Data,   Size, FromFile, Meta.Get(miFilePath)};
  return StoreItem("AddData", 0, a);
}

void TGeoDB::ReplaceData(int recnum, const TgdbName& Name, const TgdbPolygon& Poly, bool Closed,
                         TgdbItem Kind, uint8_t UserByte, double DateTime, int32_t UserInt1,
                         float F1, float F2, float F3, float F4, float F5, int32_t UserInt2,
                         const TMetaInfo& Meta, const void* Data, int64_t Size, bool FromFile) {
  if (!IsOpen() || recnum < 1 || recnum > num_entries_) return;
  ItemArgs a{Name,     &Poly, Closed, Kind, UserByte, DateTime,
             UserInt1, F1,    F2,     F3,   F4,       F5,
             UserInt2, &Meta, Data,   Size, FromFile, Meta.Get(miFilePath)};
  StoreItem("ReplaceData", recnum, a);
}

// The polygon forms differ only in the kind and in whether the caller
// chooses the closed flag.
#define TKZ_GEODB_POLYGON_ADD(Fn, Kind)                                                        \
  int TGeoDB::Fn(const TgdbName& Name, const TgdbPolygon& Poly, bool Closed, double DateTime,  \
                 int32_t UserInt1, float F1, float F2, float F3, float F4, float F5,           \
                 uint8_t UserByte, int32_t UserInt2) {                                         \
    return AddData(Name, Poly, Closed, Kind, UserByte, DateTime, UserInt1, F1, F2, F3, F4, F5, \
                   UserInt2, TMetaInfo{}, nullptr, 0, false);                                  \
  }
#define TKZ_GEODB_FIXED_POLYGON_ADD(Fn, Kind, Closed)                                              \
  int TGeoDB::Fn(const TgdbName& Name, const TgdbPolygon& Poly, double DateTime, int32_t UserInt1, \
                 float F1, float F2, float F3, float F4, float F5, uint8_t UserByte,               \
                 int32_t UserInt2) {                                                               \
    return AddData(Name, Poly, Closed, Kind, UserByte, DateTime, UserInt1, F1, F2, F3, F4, F5,     \
                   UserInt2, TMetaInfo{}, nullptr, 0, false);                                      \
  }
TKZ_GEODB_POLYGON_ADD(AddBorder, gitBorder)
TKZ_GEODB_POLYGON_ADD(AddCity, gitCity)
TKZ_GEODB_FIXED_POLYGON_ADD(AddLake, gitLake, true)
TKZ_GEODB_FIXED_POLYGON_ADD(AddRiver, gitRiver, false)
TKZ_GEODB_FIXED_POLYGON_ADD(AddRoad, gitRoad, false)
TKZ_GEODB_FIXED_POLYGON_ADD(AddRoute, gitRoute, false)
#undef TKZ_GEODB_POLYGON_ADD
#undef TKZ_GEODB_FIXED_POLYGON_ADD

int TGeoDB::AddTown(const TgdbName& Name, double DateTime, int32_t UserInt1,
                    const TSCoords& Location, float F5, uint8_t UserByte, int32_t UserInt2) {
  return AddData(Name, kNoPolygon, false, gitTown, UserByte, DateTime, UserInt1, Location.Lat,
                 Location.Lat, Location.Long, Location.Long, F5, UserInt2, TMetaInfo{}, nullptr, 0,
                 false);
}

int TGeoDB::AddBLOB(const std::string& FilePath, double DateTime, int32_t UserInt1, float F1,
                    float F2, float F3, float F4, float F5, uint8_t UserByte, int32_t UserInt2,
                    const TMetaInfo& Meta) {
  return AddBLOB(FilePath, StripPath(FilePath), DateTime, UserInt1, F1, F2, F3, F4, F5, UserByte,
                 UserInt2, Meta);
}

int TGeoDB::AddBLOB(const std::string& FilePath, const TgdbName& NameSource, double DateTime,
                    int32_t UserInt1, float F1, float F2, float F3, float F4, float F5,
                    uint8_t UserByte, int32_t UserInt2, const TMetaInfo& Meta) {
  if (!IsOpen()) return -1;
  TMetaInfo meta = Meta;
  meta.Set(miFilePath, FilePath);
  // The file is read under its full path even when the block can hold only
  // the first 127 characters of it.
  ItemArgs a{NameSource, nullptr, false, gitBLOB,  UserByte, DateTime, UserInt1, F1,   F2,
             F3,         F4,      F5,    UserInt2, &meta,    nullptr,  0,        true, FilePath};
  return StoreItem("AddData", 0, a);
}

int TGeoDB::AddBLOB(const std::string& FilePath, const TgdbName& NameSource,
                    const std::string& ThirdText, double DateTime, int32_t UserInt1, float F1,
                    float F2, float F3, float F4, float F5, uint8_t UserByte, int32_t UserInt2,
                    TMetaInfo& Meta) {
  TMetaInfo meta = Meta;
  meta.Set(miDescriptor, ThirdText);
  const int r = AddBLOB(FilePath, NameSource, DateTime, UserInt1, F1, F2, F3, F4, F5, UserByte,
                        UserInt2, meta);
  if (r > 0) GetMetaInfo(r, Meta);
  return r;
}

int TGeoDB::AddBLOB(const TgdbName& Name, double DateTime, int32_t UserInt1, float F1, float F2,
                    float F3, float F4, float F5, uint8_t UserByte, int32_t UserInt2,
                    const TMetaInfo& Meta, const void* Data, int64_t Size) {
  return AddData(Name, kNoPolygon, false, gitBLOB, UserByte, DateTime, UserInt1, F1, F2, F3, F4, F5,
                 UserInt2, Meta, Data, Size, false);
}

int TGeoDB::AddBLOB(const TgdbName& Name, double DateTime, int32_t UserInt1, float F1, float F2,
                    float F3, float F4, float F5, uint8_t UserByte, int32_t UserInt2,
                    const TMetaInfo& Meta, TMemoryStream* Stream) {
  return AddData(Name, kNoPolygon, false, gitBLOB, UserByte, DateTime, UserInt1, F1, F2, F3, F4, F5,
                 UserInt2, Meta, Stream ? Stream->Memory() : nullptr,
                 Stream ? Stream->GetSize() : 0, false);
}

// ================================================================ delete

void TGeoDB::DeleteData(int recnum) {
  if (!IsOpen() || recnum < 1 || recnum > num_entries_) return;
  const int n = num_entries_;
  {
    TFileStream f(data_file_, fmOpenReadWrite);
    if (recnum < n) {
      uint8_t raw[kRecSize];
      EncodeRecord(records_[n - 1], raw);
      f.Seek(static_cast<int64_t>(recnum - 1) * kRecSize, soBeginning);
      f.WriteBuffer(raw, kRecSize);
    }
    f.SetSize(static_cast<int64_t>(n - 1) * kRecSize);
  }
  records_[recnum - 1] = records_[n - 1];
  records_.pop_back();
  RemoveIndexEntries(recnum);
  auto repoint = [&](auto& ix) {
    auto it = std::find_if(ix.begin(), ix.end(), [&](const auto& e) { return e.RecIx == n - 1; });
    if (it != ix.end()) it->RecIx = recnum - 1;
    ix.resize(static_cast<size_t>(n - 1));
  };
  repoint(ix_id_);
  for (TIxLLRecArray& ix : ix_ll_) repoint(ix);
  ix_sorted_ = ix_id_.size();
  num_entries_ = n - 1;
  AfterChange();
}

// ============================================================== retrieve

bool TGeoDB::RetrievePolygon(int recnum, TgdbPolygon& Poly) {
  if (!IsOpen()) return false;
  Progress(0);
  bool ok = false;
  const int r = RecordIndex(recnum, num_entries_);
  if (r > 0 && IsPolygonKind(records_[r - 1].ItemType) && records_[r - 1].DataPos >= 0) {
    const TgdbData& d = records_[r - 1];
    TFileStream f(header_file_, fmOpenRead);
    if (PayloadInside(d, f.GetSize())) {
      std::string buf(static_cast<size_t>(d.NumElems) * 8, '\0');
      f.Seek(d.DataPos, soBeginning);
      f.ReadBuffer(buf.data(), static_cast<int64_t>(buf.size()));
      const auto* p = reinterpret_cast<const uint8_t*>(buf.data());
      Poly.assign(static_cast<size_t>(d.NumElems), TSCoords{});
      const int step = d.NumElems / 100 + 1;
      for (int g = 0; g < d.NumElems; ++g) {
        Poly[g] = {GetF32(p + g * 8), GetF32(p + g * 8 + 4)};
        if ((g + 1) % step == 0) Progress(Percent(g + 1, d.NumElems));
      }
      ok = true;
    }
  }
  Progress(100);
  return ok;
}

std::unique_ptr<TFileStream> TGeoDB::OpenBlob(int recnum, TgdbData& Rec, TMetaInfo& Meta) const {
  if (!IsOpen()) return nullptr;
  const int r = RecordIndex(recnum, num_entries_);
  if (r == 0 || records_[r - 1].ItemType != gitBLOB) return nullptr;
  Rec = records_[r - 1];
  auto f = std::make_unique<TFileStream>(header_file_, fmOpenRead);
  if (!PayloadInside(Rec, f->GetSize())) return nullptr;
  f->Seek(Rec.DataPos, soBeginning);
  f->ReadBuffer(Meta.Bytes.data(), kMetaSize);
  return f;
}

void TGeoDB::CopyBlob(TFileStream& Src, int64_t N,
                      const std::function<void(const char*, int64_t)>& Sink) {
  std::vector<char> block(kBlockSize);
  int64_t done = 0;
  while (done < N) {
    const int64_t n = std::min<int64_t>(kBlockSize, N - done);
    Src.ReadBuffer(block.data(), n);
    Sink(block.data(), n);
    done += n;
    Progress(Percent(done, N));
  }
}

bool TGeoDB::RetrieveBLOB(int recnum, const std::string& FileName, TMetaInfo& Meta) {
  TgdbData rec;
  TMetaInfo meta;
  auto src = OpenBlob(recnum, rec, meta);
  if (!src) return false;
  // Both "/" and "\" separate folders, throughout the name; a name that
  // ends in a separator gets the item's name.
  std::string name = FileName;
  std::replace(name.begin(), name.end(), '\\', '/');
  if (name.empty() || name.back() == '/') name += ReduceStringToFN83CompliantChars(rec.Name);
  const std::string last = name.substr(name.find_last_of('/') + 1);
  if (last.empty() || last == "." || last == "..") {
    throw ETKZGeoDBError(Message("RetrieveBLOB: invalid filename."));
  }
  Meta = meta;
  // Copied in blocks to a temporary file beside the target, which takes
  // the target's name only when complete.
  const std::string tmp = name + ".tmp" + std::to_string(::getpid());
  try {
    {
      TFileStream out(tmp, fmCreate);
      CopyBlob(*src, rec.NumElems, [&](const char* p, int64_t n) { out.WriteBuffer(p, n); });
    }
    if (std::rename(tmp.c_str(), name.c_str()) != 0)
      throw EInOutError("Cannot replace file \"" + name + "\"", errno);
  } catch (...) {
    std::remove(tmp.c_str());
    throw;
  }
  Progress(100);
  return true;
}

bool TGeoDB::RetrieveBLOB(int recnum, TMetaInfo& Meta, void* Dest, int64_t SizeOfBlobData) {
  TgdbData rec;
  TMetaInfo meta;
  auto src = OpenBlob(recnum, rec, meta);
  if (!src) return false;
  if (SizeOfBlobData < rec.NumElems || (Dest == nullptr && rec.NumElems > 0)) {
    throw ETKZGeoDBError(
        Message("RetrieveBLOB: BLOB to be retrieved is larger than SizeOfBlobData."));
  }
  Meta = meta;
  char* p = static_cast<char*>(Dest);
  CopyBlob(*src, rec.NumElems, [&](const char* b, int64_t n) {
    std::memcpy(p, b, static_cast<size_t>(n));
    p += n;
  });
  Progress(100);
  return true;
}

bool TGeoDB::RetrieveBLOB(int recnum, TMetaInfo& Meta, TStream* Stream) {
  if (Stream == nullptr) return false;
  TgdbData rec;
  TMetaInfo meta;
  auto src = OpenBlob(recnum, rec, meta);
  if (!src) return false;
  Meta = meta;
  Stream->SetSize(rec.NumElems);
  Stream->SetPosition(0);
  CopyBlob(*src, rec.NumElems, [&](const char* b, int64_t n) { Stream->WriteBuffer(b, n); });
  Progress(0);
  return true;
}

// ========================================================== coordinates

TSCoords ExtractLocation(const TgdbData& Data) { return {Data.LatLow, Data.LongLow}; }

namespace {

std::string GeoText(double v, double limit, TDegreeFormat Fmt, int Decimals, const char* pos,
                    const char* neg) {
  if (std::isnan(v)) return "";
  v = std::clamp(v, -limit, limit);
  return DegreeToStr(std::fabs(v), Fmt, Decimals) + (v >= 0 ? pos : neg);
}

}  // namespace

std::string GeoLatitude(double Lat, TDegreeFormat Fmt, int Decimals) {
  return GeoText(Lat, 90, Fmt, Decimals, " N", " S");
}

std::string GeoLongitude(double Long, TDegreeFormat Fmt, int Decimals) {
  return GeoText(Long, 180, Fmt, Decimals, " E", " W");
}

}  // namespace tkz
