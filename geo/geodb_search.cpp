// geodb: searching items by name and by window, meta blocks, in-place
// updates, compaction of the data file, the text export and the file
// summary.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/sys/filesys.h"
#include "core/text/charcase.h"
#include "geo/geodb.h"
#include "geo/geodb_internal.h"

namespace tkz {

using namespace geodb_internal;

namespace {

bool NameMatches(const std::string& Upper, const std::string& Wanted, uint8_t Flag) {
  switch (Flag) {
    case kGdbMatchPrefix:
      return Upper.starts_with(Wanted);
    case kGdbMatchContains:
      return Upper.find(Wanted) != std::string::npos;
    default:
      return Upper == Wanted;
  }
}

// First position in the sorted index whose value is not below v (Upper:
// above v); v is a number, NaN entries stand after every number. Works on
// any order without reading out of bounds.
size_t Bound(const TIxLLRecArray& ix, double v, bool Upper) {
  size_t lo = 0, hi = ix.size();
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const double e = ix[mid].Value;
    const bool before = !std::isnan(e) && (Upper ? !(v < e) : e < v);
    if (before)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

// Widens a bound by a relative hair, so that rounding never loses an item
// (the records are checked exactly afterwards).
double Widen(double v, double dir) { return v + dir * (std::fabs(v) * 1e-9 + 1e-30); }

std::string Num(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}
std::string Num(float v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace

// ============================================================ by name

int TGeoDB::SearchData(const TgdbName& Name) const {
  return SearchData(Name, gitUndefined, 1, kGdbMatchExact);
}

int TGeoDB::SearchData(const TgdbName& Name, TgdbItem Kind, int Start, uint8_t Flag) const {
  const std::string wanted = AnsiUpperCase(std::string_view(Name).substr(0, kGdbNameLen));
  for (int r = std::max(Start, 1); r <= num_entries_; ++r) {
    const TgdbData& d = records_[r - 1];
    if (Kind != gitUndefined && d.ItemType != Kind) continue;
    if (NameMatches(AnsiUpperCase(d.Name), wanted, Flag)) return r;
  }
  return 0;
}

// =========================================================== by window

std::vector<int> TGeoDB::FindItemsInWindow(float LatLow, float LatHigh, float LongLow,
                                           float LongHigh) const {
  std::vector<int> out;
  if (std::isnan(LatLow) || std::isnan(LatHigh) || std::isnan(LongLow) || std::isnan(LongHigh) ||
      LatLow > LatHigh || num_entries_ == 0) {
    return out;
  }
  if (LongLow > LongHigh) {
    // Across the 180th meridian: the part east of LongLow and the part west
    // of LongHigh.
    constexpr float kInf = std::numeric_limits<float>::infinity();
    out = FindItemsInWindow(LatLow, LatHigh, LongLow, kInf);
    const std::vector<int> west = FindItemsInWindow(LatLow, LatHigh, -kInf, LongHigh);
    out.insert(out.end(), west.begin(), west.end());
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
  }
  EnsureSorted();
  // An item meets the window when LatLow_i <= LatHigh, LatHigh_i >= LatLow,
  // LongLow_i <= LongHigh and LongHigh_i >= LongLow. Since no box is wider
  // than the largest extent E, LatLow_i also lies at or above LatLow - E,
  // and so on: each condition is a bounded run of one index, and the
  // shortest run gives the candidates.
  const double lat_lo = Widen(LatLow - max_lat_extent_, -1);
  const double lat_hi = Widen(static_cast<double>(LatHigh) + max_lat_extent_, 1);
  const double lon_lo = Widen(LongLow - max_long_extent_, -1);
  const double lon_hi = Widen(static_cast<double>(LongHigh) + max_long_extent_, 1);
  struct Run {
    const TIxLLRecArray* ix;
    size_t from, to;
  };
  const Run runs[4] = {
      {&ix_ll_[0], Bound(ix_ll_[0], lat_lo, false), Bound(ix_ll_[0], LatHigh, true)},
      {&ix_ll_[1], Bound(ix_ll_[1], LatLow, false), Bound(ix_ll_[1], lat_hi, true)},
      {&ix_ll_[2], Bound(ix_ll_[2], lon_lo, false), Bound(ix_ll_[2], LongHigh, true)},
      {&ix_ll_[3], Bound(ix_ll_[3], LongLow, false), Bound(ix_ll_[3], lon_hi, true)},
  };
  auto length = [](const Run& r) { return r.to > r.from ? r.to - r.from : 0; };
  const Run* best = &runs[0];
  for (const Run& r : runs)
    if (length(r) < length(*best)) best = &r;
  for (size_t k = best->from; k < best->to; ++k) {
    const int32_t r = (*best->ix)[k].RecIx;
    if (r < 0 || r >= num_entries_) continue;
    const TgdbData& d = records_[r];
    // An inverted box (a polygon without vertices) lies nowhere.
    if (d.LatLow <= LatHigh && d.LatHigh >= LatLow && d.LongLow <= LongHigh &&
        d.LongHigh >= LongLow && d.LatLow <= d.LatHigh && d.LongLow <= d.LongHigh)
      out.push_back(r + 1);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// ====================================================== meta and update

bool TGeoDB::GetMetaInfo(int recnum, TMetaInfo& Meta) const {
  TgdbData rec;
  return OpenBlob(recnum, rec, Meta) != nullptr;
}

bool TGeoDB::UpdateMetaInfo(int recnum, const TMetaInfo& Meta) {
  TgdbData rec;
  TMetaInfo old;
  if (recnum < 1 || !OpenBlob(recnum, rec, old)) return false;
  TFileStream f(header_file_, fmOpenReadWrite);
  f.Seek(rec.DataPos, soBeginning);
  f.WriteBuffer(Meta.Bytes.data(), kMetaSize);
  return true;
}

bool TGeoDB::UpdateBasicData(int recnum, const TgdbData& Data) {
  if (!IsOpen() || recnum < 1 || recnum > num_entries_) return false;
  const TgdbData& old = records_[recnum - 1];
  TgdbData rec = Data;
  rec.Name = rec.Name.substr(0, kGdbNameLen);
  rec.ItemID = old.ItemID;
  rec.ItemType = old.ItemType;
  rec.DataPos = old.DataPos;
  rec.NumElems = old.NumElems;
  if (IsPolygonKind(old.ItemType)) {
    // The box of a polygon is that of its vertices.
    rec.LatLow = old.LatLow;
    rec.LatHigh = old.LatHigh;
    rec.LongLow = old.LongLow;
    rec.LongHigh = old.LongHigh;
  }
  if (old.ItemType != gitBorder && old.ItemType != gitCity) rec.Closed = old.Closed;
  uint8_t raw[kRecSize];
  EncodeRecord(rec, raw);
  {
    TFileStream f(data_file_, fmOpenReadWrite);
    f.Seek(static_cast<int64_t>(recnum - 1) * kRecSize, soBeginning);
    f.WriteBuffer(raw, kRecSize);
  }
  records_[recnum - 1] = rec;
  RemoveIndexEntries(recnum);
  InsertIntoIndex(recnum, rec);
  AfterChange();
  return true;
}

// ========================================================== compaction

int64_t TGeoDB::GarbageCollection() {
  if (!IsOpen()) return 0;
  Progress(0);
  // Both files are replaced: descriptors kept for LazyWrite would go on
  // writing the old ones.
  CloseWriteFds();
  // Fixed names (the lock keeps other objects away): opening finishes a
  // compaction that was cut off between its two renames.
  const std::string new_data = header_file_ + ".gc";
  const std::string new_recs = data_file_ + ".gc";
  std::vector<TgdbData> recs = records_;
  int64_t old_size = 0, new_size = 0;
  int new_lock = -1;
  try {
    TFileStream src(header_file_, fmOpenRead);
    old_size = src.GetSize();
    TFileStream dst(new_data, fmCreate);
    dst.WriteBuffer(header_.data(), kHeaderSize);
    std::vector<char> block(kBlockSize);
    for (size_t r = 0; r < recs.size(); ++r) {
      TgdbData& d = recs[r];
      const int64_t bytes = PayloadBytes(d.ItemType, d.NumElems, d.NumElems);
      if (!PayloadInside(d, old_size)) {
        if (d.DataPos >= 0 || IsPolygonKind(d.ItemType) || d.ItemType == gitBLOB) {
          d.DataPos = -1;
          d.NumElems = 0;
        }
        continue;
      }
      src.Seek(d.DataPos, soBeginning);
      d.DataPos = static_cast<int32_t>(dst.GetPosition());
      for (int64_t done = 0; done < bytes;) {
        const int64_t n = std::min<int64_t>(kBlockSize, bytes - done);
        src.ReadBuffer(block.data(), n);
        dst.WriteBuffer(block.data(), n);
        done += n;
      }
      Progress(Percent(static_cast<int64_t>(r + 1), static_cast<int64_t>(recs.size())));
    }
    new_size = dst.GetSize();
    {
      TFileStream rf(new_recs, fmCreate);
      const std::string bytes = EncodeRecords(recs);
      rf.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
      ::fsync(rf.GetHandle());
    }
    ::fsync(dst.GetHandle());
    // The new data file is locked before it takes the name, so that the
    // database is never free for another object.
    new_lock = ::open(new_data.c_str(), O_RDONLY | O_CLOEXEC);
    if (new_lock < 0 || ::flock(new_lock, LOCK_EX | LOCK_NB) != 0)
      throw EInOutError("Cannot lock file \"" + new_data + "\"", errno);
    if (std::rename(new_data.c_str(), header_file_.c_str()) != 0) {
      throw EInOutError("Cannot replace file \"" + header_file_ + "\"", errno);
    }
    ::close(lock_fd_);
    lock_fd_ = new_lock;
    new_lock = -1;
    if (std::rename(new_recs.c_str(), data_file_.c_str()) != 0) {
      throw EInOutError("Cannot replace file \"" + data_file_ + "\"", errno);
    }
  } catch (...) {
    if (new_lock >= 0) ::close(new_lock);
    // The records first: new records without a new data file beside them
    // mean that the data file has taken its name.
    std::remove(new_recs.c_str());
    std::remove(new_data.c_str());
    throw;
  }
  records_ = std::move(recs);
  Progress(100);
  return old_size - new_size;
}

// ============================================================== export

bool TGeoDB::ExportDataDebug(const std::string& FileName) const {
  if (!IsOpen()) return false;
  std::string t;
  t += "Database\t" + base_name_ + "\n";
  t += "Description\t" + GetDescription() + "\n";
  t += "DBVersion\t" + std::to_string(GetDBVersion()) + "\n";
  t += "Revision\t" + std::to_string(GetRevision()) + "\n";
  t += "ItemCounter\t" + std::to_string(GetItemCounter()) + "\n";
  t += "NumEntries\t" + std::to_string(num_entries_) + "\n";
  t += "Rec\tItemID\tName\tKind\tDataPos\tNumElems\tClosed\tLatLow\tLatHigh\tLongLow\tLongHigh"
       "\tDateTime\tUserInt1\tUserInt2\tUserFloat\tUserByte\n";
  for (int r = 1; r <= num_entries_; ++r) {
    const TgdbData& d = records_[r - 1];
    const std::string kind =
        d.ItemType <= gitUndefined ? GDB_ITEMNAMES[d.ItemType] : std::to_string(d.ItemType);
    std::string name = d.Name;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    t += std::to_string(r) + "\t" + std::to_string(d.ItemID) + "\t" + name + "\t" + kind + "\t" +
         std::to_string(d.DataPos) + "\t" + std::to_string(d.NumElems) + "\t" +
         (d.Closed ? "1" : "0") + "\t" + Num(d.LatLow) + "\t" + Num(d.LatHigh) + "\t" +
         Num(d.LongLow) + "\t" + Num(d.LongHigh) + "\t" + Num(d.DateTime) + "\t" +
         std::to_string(d.UserInt1) + "\t" + std::to_string(d.UserInt2) + "\t" + Num(d.UserFloat) +
         "\t" + std::to_string(d.UserByte) + "\n";
  }
  ReplaceFileContent(FileName, t);
  return true;
}

TgdbSystemInfo ReadSystemInformation(const std::string& FileName) {
  TgdbSystemInfo info;
  const std::string base = StripExtension(FileName);
  const std::string hdr = base + ".tkzgdd";
  if (GetFileSize(hdr) < kHeaderSize) return info;
  uint8_t h[kHeaderSize];
  {
    TFileStream f(hdr, fmOpenRead);
    f.ReadBuffer(h, kHeaderSize);
    info.DataFileSize = f.GetSize();
  }
  info.Valid = true;
  info.ItemCounter = GetI32(h + kHdrCounter);
  info.DBVersion = GetI32(h + kHdrVersion);
  info.Description = GetShortString(h + kHdrDesc, kDescCapacity);
  info.Revision = GetI32(h + kHdrRevision);
  const int64_t recs = GetFileSize(base + ".tkzgds");
  info.NumEntries =
      recs > 0 ? static_cast<int32_t>(std::min<int64_t>(recs / kRecSize, INT32_MAX)) : 0;
  return info;
}

}  // namespace tkz
