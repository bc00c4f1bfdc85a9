// geodb: checking a database's files against each other as they lie on
// disk, and mending what can be mended.
#include <algorithm>
#include <bit>
#include <map>

#include "core/sys/filesys.h"
#include "geo/geodb.h"
#include "geo/geodb_internal.h"

namespace tkz {

using namespace geodb_internal;

namespace {

// The content of a file; false when it does not exist or cannot be read.
bool ReadFile(const std::string& FileName, std::string& Bytes) {
  if (GetFileSize(FileName) < 0) return false;
  try {
    TFileStream f(FileName, fmOpenRead);
    const int64_t size = f.GetSize();
    Bytes.assign(static_cast<size_t>(size), '\0');
    f.ReadBuffer(Bytes.data(), size);
    return true;
  } catch (const EInOutError&) {
    return false;
  }
}

// The first fault of index file i (0 item ID, 1..4 the bounds) against the
// records; "" when it has none. Entry is set to the 1-based entry at fault.
std::string IndexFault(const std::string& Bytes, int i, const std::vector<TgdbData>& recs,
                       int& Entry) {
  Entry = 0;
  const size_t n = recs.size();
  if (Bytes.size() % kIxRecSize != 0 || Bytes.size() / kIxRecSize != n) {
    return std::to_string(Bytes.size() / kIxRecSize) + " entries" +
           (Bytes.size() % kIxRecSize ? " and a partial one" : "") + " for " + std::to_string(n) +
           " records";
  }
  std::vector<uint8_t> seen(n);
  const auto* p = reinterpret_cast<const uint8_t*>(Bytes.data());
  int32_t prev_id = 0;
  float prev_value = 0;
  for (size_t k = 0; k < n; ++k, p += kIxRecSize) {
    Entry = static_cast<int>(k + 1);
    const int32_t r = GetI32(p + 4);
    if (r < 0 || static_cast<size_t>(r) >= n)
      return "entry names record " + std::to_string(int64_t{r} + 1) + ", which does not exist";
    if (seen[r]) return "record " + std::to_string(r + 1) + " is named twice";
    seen[r] = 1;
    if (i == 0) {
      const int32_t id = GetI32(p);
      if (id != recs[r].ItemID)
        return "item ID " + std::to_string(id) + " differs from record " + std::to_string(r + 1);
      if (k > 0 && id < prev_id) return "entries out of order";
      prev_id = id;
    } else {
      const float v = GetF32(p);
      if (std::bit_cast<uint32_t>(v) != std::bit_cast<uint32_t>(LLKey(recs[r], i)))
        return "value differs from record " + std::to_string(r + 1);
      if (k > 0 && KeyLess(v, prev_value)) return "entries out of order";
      prev_value = v;
    }
  }
  Entry = 0;
  return "";
}

struct Files {
  std::string base, hdr, recs;
  std::array<std::string, 5> ix;
  explicit Files(const std::string& FileName) : base(StripExtension(FileName)) {
    hdr = base + ".tkzgdd";
    recs = base + ".tkzgds";
    for (int i = 0; i < 5; ++i) ix[i] = base + ".tkzgi" + std::to_string(i);
  }
};

std::vector<TgdbData> DecodeAll(const std::string& Bytes) {
  std::vector<TgdbData> recs(Bytes.size() / kRecSize);
  for (size_t r = 0; r < recs.size(); ++r)
    recs[r] = DecodeRecord(reinterpret_cast<const uint8_t*>(Bytes.data()) + r * kRecSize);
  return recs;
}

int32_t MaxItemID(const std::vector<TgdbData>& recs) {
  int32_t m = 0;
  for (const TgdbData& d : recs) m = std::max(m, d.ItemID);
  return m;
}

}  // namespace

std::vector<TgdbProblem> CheckGeoDB(const std::string& FileName) {
  const Files f(FileName);
  std::vector<TgdbProblem> out;
  auto problem = [&](const std::string& file, int rec, std::string text) {
    out.push_back({file, rec, std::move(text)});
  };

  std::string rec_bytes;
  if (!ReadFile(f.recs, rec_bytes)) problem(f.recs, 0, "missing or unreadable");
  if (rec_bytes.size() % kRecSize != 0)
    problem(f.recs, 0,
            std::to_string(rec_bytes.size() % kRecSize) + " bytes after the last whole record");
  const std::vector<TgdbData> recs = DecodeAll(rec_bytes);

  const int64_t data_size = GetFileSize(f.hdr);
  if (data_size < 0) {
    problem(f.hdr, 0, "missing");
  } else if (data_size < kHeaderSize) {
    problem(f.hdr, 0, "header shorter than 260 bytes (" + std::to_string(data_size) + ")");
  } else {
    uint8_t h[kHeaderSize] = {};
    try {
      TFileStream hf(f.hdr, fmOpenRead);
      hf.ReadBuffer(h, kHeaderSize);
      const int32_t version = GetI32(h + kHdrVersion);
      if (version != kDBVersion)
        problem(f.hdr, 0, "database version " + std::to_string(version) + " (expected 4)");
      const int32_t counter = GetI32(h + kHdrCounter);
      if (counter < MaxItemID(recs))
        problem(f.hdr, 0,
                "item counter " + std::to_string(counter) + " below the item ID " +
                    std::to_string(MaxItemID(recs)) + " in use");
    } catch (const EInOutError&) {
      problem(f.hdr, 0, "unreadable");
    }
  }

  std::map<int32_t, int> first_with_id;
  for (size_t r = 0; r < recs.size(); ++r) {
    const TgdbData& d = recs[r];
    const int recno = static_cast<int>(r + 1);
    if (d.ItemType > gitUndefined)
      problem(f.recs, recno, "unknown kind " + std::to_string(d.ItemType));
    const auto [it, fresh] = first_with_id.emplace(d.ItemID, recno);
    if (!fresh)
      problem(f.recs, recno,
              "item ID " + std::to_string(d.ItemID) + " also used by record " +
                  std::to_string(it->second));
    const bool has_payload = IsPolygonKind(d.ItemType) || d.ItemType == gitBLOB;
    if (has_payload && d.DataPos != -1 && !PayloadInside(d, std::max<int64_t>(data_size, 0)))
      problem(f.recs, recno,
              "payload at " + std::to_string(d.DataPos) + " (" + std::to_string(d.NumElems) +
                  " elements) outside the data file");
  }

  for (int i = 0; i < 5; ++i) {
    std::string bytes;
    if (!ReadFile(f.ix[i], bytes)) {
      problem(f.ix[i], 0, "missing or unreadable");
      continue;
    }
    int entry = 0;
    const std::string fault = IndexFault(bytes, i, recs, entry);
    if (!fault.empty()) problem(f.ix[i], entry, fault);
  }
  return out;
}

std::vector<std::string> RepairGeoDB(const std::string& FileName) {
  const Files f(FileName);
  std::vector<std::string> done;
  std::string rec_bytes;
  ReadFile(f.recs, rec_bytes);
  const bool partial = rec_bytes.size() % kRecSize != 0;

  // A header too short to hold payloads holds nothing else: it is written
  // anew, keeping the bytes it has.
  const int64_t data_size = GetFileSize(f.hdr);
  if (data_size >= 0 && data_size < kHeaderSize) {
    std::string h;
    ReadFile(f.hdr, h);
    h.resize(kHeaderSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(h.data());
    PutI32(p + kHdrVersion, kDBVersion);
    PutI32(p + kHdrCounter, std::max(GetI32(p + kHdrCounter), MaxItemID(DecodeAll(rec_bytes))));
    ReplaceFileContent(f.hdr, h);
    done.push_back("wrote a new header");
  }

  const std::vector<TgdbProblem> problems = CheckGeoDB(FileName);
  bool counter = false, indexes = false, payloads = partial;
  for (const TgdbProblem& p : problems) {
    if (p.File == f.hdr && p.Text.starts_with("item counter")) counter = true;
    if (p.File == f.recs && p.Text.starts_with("payload")) payloads = true;
    for (const std::string& ix : f.ix)
      if (p.File == ix) indexes = true;
  }
  TGeoDB db;
  db.SetGDBName(f.recs);  // raises when the database is in use
  if (counter) {
    // The counter was raised in memory on opening; the header is written
    // whole by any of its setters.
    db.SetRevision(db.GetRevision());
    done.push_back("raised the item counter to " + std::to_string(db.GetItemCounter()));
  }
  if (indexes) {
    db.RecalcIndexes();
    done.push_back("rebuilt the index files");
  }
  if (payloads) {
    const int64_t freed = db.GarbageCollection();
    done.push_back("rewrote the record and data files (" + std::to_string(freed) + " bytes freed)");
  }
  return done;
}

}  // namespace tkz
