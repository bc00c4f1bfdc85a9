// geodb: the file set (records, header, index files), opening, creating and
// closing a database, and the sorted indexes.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/sys/filesys.h"
#include "geo/geodb.h"
#include "geo/geodb_internal.h"

namespace tkz {

using namespace geodb_internal;

const std::array<const char*, 9> GDB_ITEMNAMES = {"Border", "Town",  "City", "Lake",     "River",
                                                  "Road",   "Route", "BLOB", "Undefined"};

// ============================================================ meta block

namespace {

struct MetaField {
  int Offset;
  int Capacity;
};
constexpr MetaField kMetaFields[5] = {{0, 255}, {256, 127}, {384, 127}, {512, 255}, {768, 255}};

}  // namespace

int TMetaInfo::Capacity(TMetaItem Item) {
  return Item <= miComment ? kMetaFields[Item].Capacity : 0;
}

std::string TMetaInfo::Get(TMetaItem Item) const {
  if (Item > miComment) return "";
  return GetShortString(Bytes.data() + kMetaFields[Item].Offset, kMetaFields[Item].Capacity);
}

void TMetaInfo::Set(TMetaItem Item, std::string_view Text) {
  if (Item > miComment) return;
  PutShortString(Bytes.data() + kMetaFields[Item].Offset, kMetaFields[Item].Capacity, Text, 0);
}

void ClearMetaInfo(TMetaInfo& Info) {
  for (const MetaField& f : kMetaFields) Info.Bytes[f.Offset] = 0;
}

void ClearGdbData(TgdbData& Data) {
  Data = TgdbData{};
  Data.DateTime = NowDateTime();
}

// ============================================================ byte layout

namespace geodb_internal {

void EncodeRecord(const TgdbData& d, uint8_t* out) {
  std::memset(out, 0, kRecSize);
  PutI32(out + kOffItemID, d.ItemID);
  PutShortString(out + kOffName, kGdbNameLen, d.Name, ' ');
  PutF32(out + kOffUserFloat, d.UserFloat);
  out[kOffUserByte] = d.UserByte;
  PutI32(out + kOffUserInt2, d.UserInt2);
  PutI32(out + kOffDataPos, d.DataPos);
  PutF64(out + kOffDateTime, d.DateTime);
  PutI32(out + kOffUserInt1, d.UserInt1);
  PutF32(out + kOffLatLow, d.LatLow);
  PutF32(out + kOffLatHigh, d.LatHigh);
  PutF32(out + kOffLongLow, d.LongLow);
  PutF32(out + kOffLongHigh, d.LongHigh);
  out[kOffItemType] = d.ItemType;
  PutI32(out + kOffNumElems, d.NumElems);
  out[kOffClosed] = d.Closed ? 1 : 0;
}

TgdbData DecodeRecord(const uint8_t* in) {
  TgdbData d;
  d.ItemID = GetI32(in + kOffItemID);
  d.Name = GetShortString(in + kOffName, kGdbNameLen);
  d.UserFloat = GetF32(in + kOffUserFloat);
  d.UserByte = in[kOffUserByte];
  d.UserInt2 = GetI32(in + kOffUserInt2);
  d.DataPos = GetI32(in + kOffDataPos);
  d.DateTime = GetF64(in + kOffDateTime);
  d.UserInt1 = GetI32(in + kOffUserInt1);
  d.LatLow = GetF32(in + kOffLatLow);
  d.LatHigh = GetF32(in + kOffLatHigh);
  d.LongLow = GetF32(in + kOffLongLow);
  d.LongHigh = GetF32(in + kOffLongHigh);
  d.ItemType = static_cast<TgdbItem>(in[kOffItemType]);
  d.NumElems = GetI32(in + kOffNumElems);
  d.Closed = in[kOffClosed] != 0;
  return d;
}

std::string EncodeRecords(const std::vector<TgdbData>& recs) {
  std::string out(recs.size() * kRecSize, '\0');
  for (size_t i = 0; i < recs.size(); ++i)
    EncodeRecord(recs[i], reinterpret_cast<uint8_t*>(out.data()) + i * kRecSize);
  return out;
}

namespace {

template <typename Arr, typename PutKey>
std::string EncodeIndex(const Arr& ix, PutKey put_key) {
  std::string out(ix.size() * kIxRecSize, '\0');
  auto* p = reinterpret_cast<uint8_t*>(out.data());
  for (const auto& e : ix) {
    put_key(p, e);
    PutI32(p + 4, e.RecIx);
    p += kIxRecSize;
  }
  return out;
}

}  // namespace

std::string EncodeIdIndex(const TIxItemIDRecArray& ix) {
  return EncodeIndex(ix, [](uint8_t* p, const TIxItemIDRec& e) { PutI32(p, e.ItemID); });
}

std::string EncodeLLIndex(const TIxLLRecArray& ix) {
  return EncodeIndex(ix, [](uint8_t* p, const TIxLLRec& e) { PutF32(p, e.Value); });
}

float LLKey(const TgdbData& d, int Index) {
  switch (Index) {
    case 1:
      return d.LatLow;
    case 2:
      return d.LatHigh;
    case 3:
      return d.LongLow;
    default:
      return d.LongHigh;
  }
}

void BuildIndexes(const std::vector<TgdbData>& recs, TIxItemIDRecArray& id,
                  std::array<TIxLLRecArray, 4>& ll) {
  const auto n = static_cast<int32_t>(recs.size());
  id.resize(recs.size());
  for (int32_t r = 0; r < n; ++r) id[r] = {recs[r].ItemID, r};
  std::stable_sort(id.begin(), id.end(), [](const TIxItemIDRec& a, const TIxItemIDRec& b) {
    return a.ItemID < b.ItemID;
  });
  for (int k = 0; k < 4; ++k) {
    TIxLLRecArray& ix = ll[k];
    ix.resize(recs.size());
    for (int32_t r = 0; r < n; ++r) ix[r] = {LLKey(recs[r], k + 1), r};
    std::stable_sort(ix.begin(), ix.end(), [](const TIxLLRec& a, const TIxLLRec& b) {
      return KeyLess(a.Value, b.Value);
    });
  }
}

bool IndexesValid(const std::vector<TgdbData>& recs, const TIxItemIDRecArray& id,
                  const std::array<TIxLLRecArray, 4>& ll) {
  const size_t n = recs.size();
  std::vector<uint8_t> seen(n);
  if (id.size() != n) return false;
  for (size_t k = 0; k < n; ++k) {
    const TIxItemIDRec& e = id[k];
    if (e.RecIx < 0 || static_cast<size_t>(e.RecIx) >= n || seen[e.RecIx]) return false;
    seen[e.RecIx] = 1;
    if (recs[e.RecIx].ItemID != e.ItemID) return false;
    if (k > 0 && e.ItemID < id[k - 1].ItemID) return false;
  }
  for (int i = 0; i < 4; ++i) {
    const TIxLLRecArray& ix = ll[i];
    if (ix.size() != n) return false;
    std::fill(seen.begin(), seen.end(), 0);
    for (size_t k = 0; k < n; ++k) {
      const TIxLLRec& e = ix[k];
      if (e.RecIx < 0 || static_cast<size_t>(e.RecIx) >= n || seen[e.RecIx]) return false;
      seen[e.RecIx] = 1;
      if (std::bit_cast<uint32_t>(LLKey(recs[e.RecIx], i + 1)) != std::bit_cast<uint32_t>(e.Value))
        return false;
      if (k > 0 && KeyLess(e.Value, ix[k - 1].Value)) return false;
    }
  }
  return true;
}

int64_t PayloadBytes(TgdbItem Kind, int64_t Vertices, int64_t BlobSize) {
  if (IsPolygonKind(Kind)) return Vertices * 8;
  if (Kind == gitBLOB) return kMetaSize + BlobSize;
  return 0;
}

bool PayloadInside(const TgdbData& d, int64_t DataSize) {
  if (d.DataPos < kHeaderSize || d.NumElems < 0) return false;
  if (!IsPolygonKind(d.ItemType) && d.ItemType != gitBLOB) return false;
  const int64_t bytes = PayloadBytes(d.ItemType, d.NumElems, d.NumElems);
  return d.DataPos + bytes <= DataSize;
}

double NowDateTime() {
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  ::localtime_r(&ts.tv_sec, &local);
  const double secs = static_cast<double>(ts.tv_sec + local.tm_gmtoff) + ts.tv_nsec * 1e-9;
  return secs / 86400.0 + 25569.0;
}

double FileDateTime(const std::string& FileName) {
  struct stat st {};
  if (::stat(FileName.c_str(), &st) != 0) return 0;
  tm local{};
  ::localtime_r(&st.st_mtim.tv_sec, &local);
  const double secs =
      static_cast<double>(st.st_mtim.tv_sec + local.tm_gmtoff) + st.st_mtim.tv_nsec * 1e-9;
  return secs / 86400.0 + 25569.0;
}

void ReplaceFileContent(const std::string& FileName, const std::string& Bytes) {
  TMemoryStream m;
  m.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  m.SaveToFile(FileName);
}

bool WriteAllAt(int Fd, const void* Bytes, size_t Size, int64_t Offset) {
  const auto* p = static_cast<const uint8_t*>(Bytes);
  for (size_t done = 0; done < Size;) {
    const ssize_t w = ::pwrite(Fd, p + done, Size - done, static_cast<off_t>(Offset + done));
    if (w < 0 && errno == EINTR) continue;
    if (w == 0) errno = EIO;
    if (w <= 0) return false;
    done += static_cast<size_t>(w);
  }
  return true;
}

int Percent(int64_t a, int64_t b) {
  if (b <= 0) return 100;
  const double p = std::round(static_cast<double>(a) / static_cast<double>(b) * 100.0);
  return static_cast<int>(std::clamp(p, 0.0, 100.0));
}

}  // namespace geodb_internal

// ============================================================ the object

namespace {

void ResetHeader(std::array<uint8_t, 260>& h) {
  h.fill(0);
  PutI32(h.data() + kHdrVersion, kDBVersion);
}

// The whole content of an existing file.
std::string ReadWholeFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead);
  const int64_t size = f.GetSize();
  std::string bytes(static_cast<size_t>(size), '\0');
  f.ReadBuffer(bytes.data(), size);
  return bytes;
}

bool FileMissing(const std::string& FileName) { return GetFileSize(FileName) < 0; }

void CreateEmptyFile(const std::string& FileName, const void* Bytes, int64_t Size) {
  TFileStream f(FileName, fmCreate);
  f.WriteBuffer(Bytes, Size);
}

// The header-and-data file opened and locked for this object alone. A file
// that cannot be written is opened for reading, so that a read-only database
// can still be named. A missing file is created holding Header: written
// under a temporary name and linked into place, so that no one (a process
// killed half way included) ever leaves a header file without its 260 bytes,
// and of two objects creating the database at once one creates it and the
// other finds it. Created tells which. Returns -1 when another object holds
// the lock; raises EInOutError when the file cannot be opened or created.
int OpenLockedHeader(const std::string& FileName, const std::array<uint8_t, 260>& Header,
                     bool& Created) {
  Created = false;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    fd = ::open(FileName.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
      fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) break;
    if (errno != ENOENT || attempt > 8)
      throw EInOutError("Cannot open file \"" + FileName + "\"", errno);
    const std::string tmp = FileName + ".new" + std::to_string(::getpid());
    const int t = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (t < 0) throw EInOutError("Cannot create file \"" + FileName + "\"", errno);
    int err = 0;
    if (!WriteAllAt(t, Header.data(), Header.size(), 0))
      err = errno != 0 ? errno : EIO;
    else if (::flock(t, LOCK_EX | LOCK_NB) != 0 || ::link(tmp.c_str(), FileName.c_str()) != 0)
      err = errno;
    ::unlink(tmp.c_str());
    if (err == 0) {
      Created = true;
      return t;  // locked before it took the name
    }
    ::close(t);
    if (err != EEXIST) throw EInOutError("Cannot create file \"" + FileName + "\"", err);
  }
  int r;
  do r = ::flock(fd, LOCK_EX | LOCK_NB);
  while (r != 0 && errno == EINTR);
  if (r != 0) {
    const int err = errno;
    ::close(fd);
    if (err != EWOULDBLOCK) throw EInOutError("Cannot lock file \"" + FileName + "\"", err);
    return -1;
  }
  return fd;
}

// GarbageCollection writes base.tkzgdd.gc and base.tkzgds.gc whole, then
// renames the first and then the second into place. Records left without a
// data file beside them were cut off between the renames: the new data file
// is in place, so its records follow it. Anything else left was never put in
// place and is removed.
void FinishCompaction(const std::string& DataFile, const std::string& RecordFile) {
  const std::string new_data = DataFile + ".gc", new_recs = RecordFile + ".gc";
  if (FileMissing(new_recs)) {
    std::remove(new_data.c_str());
  } else if (FileMissing(new_data)) {
    if (std::rename(new_recs.c_str(), RecordFile.c_str()) != 0)
      throw EInOutError("Cannot replace file \"" + RecordFile + "\"", errno);
  } else {
    std::remove(new_recs.c_str());
    std::remove(new_data.c_str());
  }
}

}  // namespace

TGeoDB::TGeoDB(TComponent* AOwner) : TComponent(AOwner) { ResetHeader(header_); }

TGeoDB::~TGeoDB() {
  try {
    if (lazy_write_) SaveAllIndexes();
  } catch (...) {
    // A destructor cannot report; the records themselves are already on
    // disk and the indexes are rebuilt from them when they disagree.
  }
  ReleaseLock();
}

void TGeoDB::ReleaseLock() {
  CloseWriteFds();
  if (lock_fd_ >= 0) ::close(lock_fd_);  // closing the descriptor drops the lock
  lock_fd_ = -1;
}

void TGeoDB::CloseWriteFds() {
  // Other descriptors on the locked file do not hold the lock: closing
  // them keeps it.
  if (data_fd_ >= 0) ::close(data_fd_);
  if (rec_fd_ >= 0) ::close(rec_fd_);
  data_fd_ = rec_fd_ = -1;
}

int TGeoDB::WriteFd(const std::string& File, int& Slot, bool& Owned) {
  Owned = !lazy_write_;
  if (!Owned && Slot >= 0) return Slot;
  const int fd = ::open(File.c_str(), O_RDWR | O_CLOEXEC);
  if (!Owned) Slot = fd;
  return fd;
}

std::string TGeoDB::Message(const std::string& Text) const {
  return "Component \"" + GetName() + "\": " + Text;
}

void TGeoDB::Progress(int Percent) {
  if (progress_enabled_ && OnPercentDone) OnPercentDone(this, Percent);
}

void TGeoDB::ClearState() {
  ReleaseLock();
  lazy_write_ = false;
  ResetHeader(header_);
  base_name_.clear();
  data_file_.clear();
  header_file_.clear();
  for (std::string& s : ix_files_) s.clear();
  num_entries_ = 0;
  max_lat_extent_ = max_long_extent_ = 0;
  records_.clear();
  ix_id_.clear();
  for (TIxLLRecArray& ix : ix_ll_) ix.clear();
  ix_sorted_ = 0;
}

void TGeoDB::Close() {
  if (IsOpen() && lazy_write_) SaveAllIndexes();
  ClearState();
}

void TGeoDB::SetGDBName(const std::string& Name) {
  if (Name.empty()) {
    Close();
    return;
  }
  // Pending indexes belong to the database now open; write them before its
  // names are replaced.
  if (IsOpen() && lazy_write_) SaveAllIndexes();
  const bool lazy = lazy_write_;
  // The files of the previous database are free from here on (naming the
  // same database again must not find them held by this very object).
  ReleaseLock();
  std::string created_header;  // removed again when the opening fails
  try {
    const std::string base = StripExtension(Name);
    std::array<std::string, 5> ixf;
    for (int i = 0; i < 5; ++i) ixf[i] = base + ".tkzgi" + std::to_string(i);
    const std::string dataf = base + ".tkzgds";
    const std::string hdrf = base + ".tkzgdd";

    // The lock comes first: nothing is read that another object may be
    // writing. A short header is refused before anything is written.
    std::array<uint8_t, 260> header{};
    ResetHeader(header);
    bool header_missing = false;
    lock_fd_ = OpenLockedHeader(hdrf, header, header_missing);
    if (lock_fd_ < 0) {
      throw ETKZGeoDBError(
          Message("SetGDBName: database \"" + base + "\" is in use by another object."));
    }
    if (header_missing) created_header = hdrf;
    if (!header_missing) {
      TFileStream f(hdrf, fmOpenRead);
      if (f.GetSize() < kHeaderSize) {
        throw ETKZGeoDBError(
            Message("SetGDBName: header of \"" + hdrf + "\" is shorter than 260 bytes."));
      }
      f.ReadBuffer(header.data(), kHeaderSize);
    }
    FinishCompaction(hdrf, dataf);
    std::vector<TgdbData> recs;
    const bool data_missing = FileMissing(dataf);
    if (!data_missing) {
      if (GetFileSize(dataf) / kRecSize > INT32_MAX / kRecSize) {
        throw ETKZGeoDBError(Message("SetGDBName: too many records in \"" + dataf + "\"."));
      }
      const std::string bytes = ReadWholeFile(dataf);
      const size_t n = bytes.size() / kRecSize;
      recs.reserve(n);
      for (size_t r = 0; r < n; ++r)
        recs.push_back(DecodeRecord(reinterpret_cast<const uint8_t*>(bytes.data()) + r * kRecSize));
      // DeleteData moves the last record into the gap, then shortens the
      // file: a last record identical to an earlier one (item IDs are
      // unique) is such a move whose shortening never happened.
      if (recs.size() >= 2) {
        const TgdbData& last = recs.back();
        if (std::any_of(recs.begin(), recs.end() - 1,
                        [&](const TgdbData& d) { return d.ItemID == last.ItemID && d == last; })) {
          recs.pop_back();
          // Finished on disk where the file may be written; otherwise the
          // next change writes over it.
          const int cut = ::truncate(dataf.c_str(), static_cast<off_t>(recs.size()) * kRecSize);
          (void)cut;
        }
      }
    }
    TIxItemIDRecArray id;
    std::array<TIxLLRecArray, 4> ll;
    std::array<bool, 5> ix_missing{};
    bool ix_bad = false;  // an index of the wrong length is not even read
    for (int i = 0; i < 5; ++i) {
      ix_missing[i] = FileMissing(ixf[i]);
      if (ix_missing[i]) continue;
      if (static_cast<size_t>(GetFileSize(ixf[i]) / kIxRecSize) != recs.size()) {
        ix_bad = true;
        continue;
      }
      const std::string bytes = ReadWholeFile(ixf[i]);
      const size_t n = bytes.size() / kIxRecSize;
      const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
      for (size_t k = 0; k < n; ++k, p += kIxRecSize) {
        if (i == 0)
          id.push_back({GetI32(p), GetI32(p + 4)});
        else
          ll[i - 1].push_back({GetF32(p), GetI32(p + 4)});
      }
    }
    // The counter never stands below an ID in use, so that new items get
    // fresh IDs even under a new or damaged header.
    int32_t max_id = 0;
    for (const TgdbData& d : recs) max_id = std::max(max_id, d.ItemID);
    if (GetI32(header.data() + kHdrCounter) < max_id) PutI32(header.data() + kHdrCounter, max_id);
    // Indexes that do not describe the records are rebuilt from them; the
    // files follow at the next change.
    if (ix_bad || !IndexesValid(recs, id, ll)) BuildIndexes(recs, id, ll);

    // Create the missing files.
    for (int i = 0; i < 5; ++i)
      if (ix_missing[i]) CreateEmptyFile(ixf[i], nullptr, 0);
    if (data_missing) CreateEmptyFile(dataf, nullptr, 0);

    base_name_ = base;
    data_file_ = dataf;
    header_file_ = hdrf;
    ix_files_ = ixf;
    header_ = header;
    records_ = std::move(recs);
    num_entries_ = static_cast<int>(records_.size());
    ix_id_ = std::move(id);
    ix_ll_ = std::move(ll);
    ix_sorted_ = ix_id_.size();
    ComputeExtents();
  } catch (...) {
    if (!created_header.empty()) ::unlink(created_header.c_str());
    ClearState();
    throw;
  }
  lazy_write_ = lazy;
}

void TGeoDB::SetLazyWrite(bool Value) {
  if (Value == lazy_write_) return;
  lazy_write_ = Value;
  if (!Value) {
    CloseWriteFds();
    SaveAllIndexes();
  }
}

void TGeoDB::SaveIndex(int i) {
  if (!IsOpen() || i < 0 || i > 4) return;
  EnsureSorted();
  ReplaceFileContent(ix_files_[i], i == 0 ? EncodeIdIndex(ix_id_) : EncodeLLIndex(ix_ll_[i - 1]));
}

void TGeoDB::SaveAllIndexes() {
  for (int i = 0; i < 5; ++i) SaveIndex(i);
}

void TGeoDB::AfterChange() {
  if (!lazy_write_) SaveAllIndexes();
}

// ================================================================ header

void TGeoDB::WriteHeader(const char* Operation) {
  bool owned = false;
  const int fd = WriteFd(header_file_, data_fd_, owned);
  const bool ok = fd >= 0 && WriteAllAt(fd, header_.data(), kHeaderSize, 0);
  if (owned && fd >= 0) ::close(fd);
  if (!ok) throw ETKZGeoDBError(Message(std::string(Operation) + ": cannot open database."));
}

void TGeoDB::ChangeHeader(const char* Operation, const std::function<void()>& Change) {
  if (!IsOpen()) return;
  const auto old = header_;
  Change();
  try {
    WriteHeader(Operation);
  } catch (...) {
    header_ = old;  // memory keeps what the file holds
    throw;
  }
}

std::string TGeoDB::GetDescription() const {
  return GetShortString(header_.data() + kHdrDesc, kDescCapacity);
}

void TGeoDB::SetDescription(const std::string& s) {
  ChangeHeader("SetDescription", [&] {
    PutShortString(header_.data() + kHdrDesc, kDescCapacity,
                   std::string_view(s).substr(0, kDescStoreLen), 0);
  });
}

int32_t TGeoDB::GetRevision() const { return GetI32(header_.data() + kHdrRevision); }

void TGeoDB::SetRevision(int32_t n) {
  ChangeHeader("SetRevision", [&] { PutI32(header_.data() + kHdrRevision, n); });
}

int32_t TGeoDB::GetDBVersion() const { return GetI32(header_.data() + kHdrVersion); }
int32_t TGeoDB::GetItemCounter() const { return GetI32(header_.data() + kHdrCounter); }

// ============================================================== indexes

namespace {

// Algorithm of the closest position: the binary search stops at an equal
// key or where the range closes; 1-based result.
// Keys compare with KeyLess (NaN last).
template <typename Arr, typename Key, typename V>
int ClosestPos(const Arr& a, V v, Key key) {
  if (a.empty()) return 1;
  int lo = 0, hi = static_cast<int>(a.size()) - 1, mid = 0;
  bool found = false;
  while (lo <= hi && !found) {
    mid = (lo + hi) / 2;
    if (KeyLess(key(a[mid]), v))
      lo = mid + 1;
    else if (KeyLess(v, key(a[mid])))
      hi = mid - 1;
    else
      found = true;
  }
  return mid + 1 + (KeyLess(key(a[mid]), v) ? 1 : 0);
}

// Sorted insertion into the last (free) slot's array.
template <typename Arr, typename Rec, typename Key>
void SortInto(Arr& ix, const Rec& rec, Key key) {
  if (ix.empty()) ix.resize(1);
  const int last = static_cast<int>(ix.size()) - 1;
  int pos = 0;
  if (last > 0) {
    int lo = 0, hi = last - 1, mid = 0;
    bool found = false;
    while (lo <= hi && !found) {
      mid = (lo + hi) / 2;
      if (KeyLess(key(ix[mid]), key(rec)))
        lo = mid + 1;
      else if (KeyLess(key(rec), key(ix[mid])))
        hi = mid - 1;
      else
        found = true;
    }
    pos = mid + (KeyLess(key(ix[mid]), key(rec)) ? 1 : 0);
  }
  std::move_backward(ix.begin() + pos, ix.begin() + last, ix.begin() + last + 1);
  ix[pos] = rec;
}

auto LLValue = [](const TIxLLRec& e) { return e.Value; };
auto IdValue = [](const TIxItemIDRec& e) { return e.ItemID; };

// Sorts the entries from position From on and merges them behind the
// equal keys of the sorted front.
template <typename Arr, typename Key>
void MergeTail(Arr& ix, size_t From, Key key) {
  const auto less = [key](const auto& a, const auto& b) { return KeyLess(key(a), key(b)); };
  const auto mid = ix.begin() + static_cast<std::ptrdiff_t>(std::min(From, ix.size()));
  std::stable_sort(mid, ix.end(), less);
  std::inplace_merge(ix.begin(), mid, ix.end(), less);
}

template <typename Arr>
typename Arr::value_type EntryAt(const Arr& a, int i) {
  if (a.empty()) return {};
  auto e = a[std::clamp(i, 1, static_cast<int>(a.size())) - 1];
  e.RecIx += 1;
  return e;
}

}  // namespace

void TGeoDB::SortIxInto(TIxLLRecArray& ix, const TIxLLRec& rec) { SortInto(ix, rec, LLValue); }

void TGeoDB::SortIxItemIDInto(TIxItemIDRecArray& ix, const TIxItemIDRec& rec) {
  SortInto(ix, rec, IdValue);
}

void TGeoDB::EnsureSorted() const {
  if (ix_sorted_ == ix_id_.size()) return;
  MergeTail(ix_id_, ix_sorted_, IdValue);
  for (TIxLLRecArray& ix : ix_ll_) MergeTail(ix, ix_sorted_, LLValue);
  ix_sorted_ = ix_id_.size();
}

const TIxLLRecArray& TGeoDB::SortedLL(int k) const {
  EnsureSorted();
  return ix_ll_[k];
}

TIxItemIDRec TGeoDB::GetIxItemID(int i) const {
  EnsureSorted();
  return EntryAt(ix_id_, i);
}
TIxLLRec TGeoDB::GetIxLatLow(int i) const { return EntryAt(SortedLL(0), i); }
TIxLLRec TGeoDB::GetIxLatHigh(int i) const { return EntryAt(SortedLL(1), i); }
TIxLLRec TGeoDB::GetIxLongLow(int i) const { return EntryAt(SortedLL(2), i); }
TIxLLRec TGeoDB::GetIxLongHigh(int i) const { return EntryAt(SortedLL(3), i); }

TgdbData TGeoDB::GetSumdata(int i) const {
  if (records_.empty()) {
    TgdbData d;
    ClearGdbData(d);
    return d;
  }
  return records_[std::clamp(i, 1, num_entries_) - 1];
}

int TGeoDB::GetClosestLatLowIx(float v) const { return ClosestPos(SortedLL(0), v, LLValue); }
int TGeoDB::GetClosestLatHighIx(float v) const { return ClosestPos(SortedLL(1), v, LLValue); }
int TGeoDB::GetClosestLongLowIx(float v) const { return ClosestPos(SortedLL(2), v, LLValue); }
int TGeoDB::GetClosestLongHighIx(float v) const { return ClosestPos(SortedLL(3), v, LLValue); }
int TGeoDB::GetClosestItemIDIx(int32_t id) const {
  EnsureSorted();
  return ClosestPos(ix_id_, id, IdValue);
}

int TGeoDB::SearchForItemID(int32_t id) const {
  EnsureSorted();
  if (ix_id_.empty()) return 0;
  const int pos = GetClosestItemIDIx(id);
  if (pos > static_cast<int>(ix_id_.size()) || ix_id_[pos - 1].ItemID != id) return 0;
  return ix_id_[pos - 1].RecIx + 1;
}

void TGeoDB::WidenExtents(const TgdbData& d) {
  // NaN and inverted boxes never meet a window; they do not count.
  const double lat = static_cast<double>(d.LatHigh) - d.LatLow;
  const double lon = static_cast<double>(d.LongHigh) - d.LongLow;
  if (lat >= 0 && lon >= 0) {
    max_lat_extent_ = std::max(max_lat_extent_, lat);
    max_long_extent_ = std::max(max_long_extent_, lon);
  }
}

void TGeoDB::ComputeExtents() {
  max_lat_extent_ = max_long_extent_ = 0;
  for (const TgdbData& d : records_) WidenExtents(d);
}

void TGeoDB::InsertIntoIndex(int recnum, const TgdbData& Data) {
  // Entries appended under LazyWrite are sorted in first; the caller's free
  // last slot stays last.
  if (ix_sorted_ + 1 < ix_id_.size()) {
    ix_id_.pop_back();
    for (TIxLLRecArray& ix : ix_ll_) ix.pop_back();
    EnsureSorted();
    ix_id_.emplace_back();
    for (TIxLLRecArray& ix : ix_ll_) ix.emplace_back();
  }
  WidenExtents(Data);
  const int32_t r = recnum - 1;
  SortIxItemIDInto(ix_id_, {Data.ItemID, r});
  for (int k = 0; k < 4; ++k) SortIxInto(ix_ll_[k], {LLKey(Data, k + 1), r});
  ix_sorted_ = ix_id_.size();
}

void TGeoDB::RemoveIndexEntries(int recnum) {
  EnsureSorted();
  auto remove = [recnum](auto& ix) {
    auto it = std::find_if(ix.begin(), ix.end(),
                           [recnum](const auto& e) { return e.RecIx + 1 == recnum; });
    if (it != ix.end()) std::move(it + 1, ix.end(), it);
  };
  remove(ix_id_);
  for (TIxLLRecArray& ix : ix_ll_) remove(ix);
}

void TGeoDB::AppendRecordIndexes(int recnum, const TgdbData& Data) {
  if (lazy_write_) {
    // A bulk load sorts once, at the next read, instead of moving the
    // entries behind each new key.
    WidenExtents(Data);
    const int32_t r = recnum - 1;
    ix_id_.push_back({Data.ItemID, r});
    for (int k = 0; k < 4; ++k) ix_ll_[k].push_back({LLKey(Data, k + 1), r});
    return;
  }
  ix_id_.resize(ix_id_.size() + 1);
  for (TIxLLRecArray& ix : ix_ll_) ix.resize(ix.size() + 1);
  InsertIntoIndex(recnum, Data);
}

void TGeoDB::RecalcIndexes() {
  if (!IsOpen()) return;
  BuildIndexes(records_, ix_id_, ix_ll_);
  ix_sorted_ = ix_id_.size();
  ComputeExtents();
  AfterChange();
}

}  // namespace tkz
