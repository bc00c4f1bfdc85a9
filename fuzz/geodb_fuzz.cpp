// Random bytes as the seven files of a geographic database. The input is
// split into seven parts, each a 2-byte little-endian length followed by that
// many bytes (the last part takes what is left): header-and-data file, record
// file, then the five index files. The database must open or be refused with
// one of its documented exceptions; once open, every record is listed, every
// index entry read, a few windows and names looked up, every polygon and
// BLOB read back, and the indexes must describe the records. The check must
// then read the files without harm, and after a repair report nothing but
// what the repair leaves alone.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/platform/stream.h"
#include "geo/geodb.h"

namespace {

// A folder for the database, made once per process (in memory where the
// system offers it: the repair flushes files to disk).
const std::string& Folder() {
  static const std::string dir = [] {
    std::string pattern =
        std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/tkz_gdb_XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }();
  return dir;
}

const char* const kExtensions[7] = {".tkzgdd", ".tkzgds", ".tkzgi0", ".tkzgi1",
                                    ".tkzgi2", ".tkzgi3", ".tkzgi4"};

void WriteParts(const std::string& base, const uint8_t* data, size_t size) {
  for (int i = 0; i < 7; ++i) {
    size_t n = size;
    if (i < 6) {
      n = size >= 2 ? data[0] | (size_t{data[1]} << 8) : 0;
      const size_t skip = size >= 2 ? 2 : size;
      data += skip;
      size -= skip;
      if (n > size) n = size;
    }
    std::ofstream out(base + kExtensions[i], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
    data += n;
    size -= n;
  }
}

void IndexesMatch(const tkz::TGeoDB& db) {
  const int n = db.GetNumEntries();
  std::vector<int> seen(static_cast<size_t>(n) + 1);
  for (int k = 1; k <= n; ++k) {
    const tkz::TIxItemIDRec e = db.GetIxItemID(k);
    if (e.RecIx < 1 || e.RecIx > n || seen[e.RecIx]++) std::abort();
    if (e.ItemID != db.GetSumdata(e.RecIx).ItemID) std::abort();
    if (k > 1 && db.GetIxItemID(k - 1).ItemID > e.ItemID) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string base = Folder() + "/db";
  WriteParts(base, data, size);
  {
    tkz::TGeoDB db;
    try {
      db.SetGDBName(base + ".tkzgds");
    } catch (const tkz::ETKZGeoDBError&) {
      return 0;  // a short header, too many records
    }
    IndexesMatch(db);
    const int n = db.GetNumEntries();
    for (int r = 1; r <= n; ++r) {
      const tkz::TgdbData d = db.GetSumdata(r);
      (void)db.GetIxLatLow(r);
      (void)db.GetIxLongHigh(r);
      if (db.SearchForItemID(d.ItemID) < 1) std::abort();
      if (db.SearchData(d.Name, d.ItemType, 1, tkz::kGdbMatchExact) < 1 &&
          d.ItemType <= tkz::gitUndefined)
        std::abort();
      tkz::TgdbPolygon poly;
      if (db.RetrievePolygon(r, poly) && poly.size() != static_cast<size_t>(d.NumElems))
        std::abort();
      tkz::TMetaInfo meta;
      tkz::TMemoryStream blob;
      if (db.RetrieveBLOB(r, meta, &blob) && blob.GetSize() != d.NumElems) std::abort();
      (void)db.GetMetaInfo(r, meta);
      // Every item lies in a window around its own box.
      if (d.LatLow <= d.LatHigh && d.LongLow <= d.LongHigh) {
        bool found = false;
        for (int hit : db.FindItemsInWindow(d.LatLow, d.LatHigh, d.LongLow, d.LongHigh))
          found = found || hit == r;
        if (!found) std::abort();
      }
    }
    (void)db.FindItemsInWindow(-90, 90, -180, 180);
    (void)db.FindItemsInWindow(10, 20, 170, -170);
    (void)db.SearchData("A", tkz::gitUndefined, 1, tkz::kGdbMatchContains);
  }
  (void)tkz::CheckGeoDB(base);
  try {
    tkz::RepairGeoDB(base);
  } catch (const tkz::ETKZGeoDBError&) {
    return 0;
  }
  for (const tkz::TgdbProblem& p : tkz::CheckGeoDB(base)) {
    if (p.Text.starts_with("unknown kind") || p.Text.starts_with("item ID") ||
        p.Text.starts_with("database version"))
      continue;
    std::abort();
  }
  return 0;
}
