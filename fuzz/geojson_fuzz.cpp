// Random bytes as GeoJSON and as TopoJSON, imported into a database in a
// temporary folder: the import either raises ETKZGeoDBError with nothing
// added or adds exactly the items its result counts; what it added exports
// to GeoJSON that imports again to as many items.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "geo/geodb.h"
#include "geo/geodb_geojson.h"

namespace {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = "/tmp/tkz_geojson_fuzz_XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    dir_ = pattern;
  }
  ~TempFolder() {
    Clear("a");
    Clear("b");
    ::rmdir(dir_.c_str());
  }
  std::string Db(const char* base) const { return dir_ + "/" + base + ".tkzgds"; }
  void Clear(const char* base) const {
    for (const char* ext :
         {".tkzgds", ".tkzgdd", ".tkzgi0", ".tkzgi1", ".tkzgi2", ".tkzgi3", ".tkzgi4"}) {
      ::unlink((dir_ + "/" + base + ext).c_str());
    }
  }

 private:
  std::string dir_;
};

using ImportFn = tkz::TgdbImportResult (*)(tkz::TGeoDB&, std::string_view,
                                           const tkz::TgdbImportOptions&);

void Check(const TempFolder& tmp, ImportFn import, std::string_view text, bool strict) {
  tmp.Clear("a");
  tmp.Clear("b");
  tkz::TGeoDB db;
  db.SetGDBName(tmp.Db("a"));
  tkz::TgdbImportOptions opt;
  opt.Strict = strict;
  tkz::TgdbImportResult r;
  try {
    r = import(db, text, opt);
  } catch (const tkz::ETKZGeoDBError&) {
    if (db.GetNumEntries() != 0) std::abort();
    return;
  }
  if (r.TotalAdded() != db.GetNumEntries() || r.Skipped > r.Features || r.Skipped < 0) std::abort();
  if (r.Reasons.size() > static_cast<size_t>(std::min(r.Skipped, tkz::kGeoJSONMaxReasons)))
    std::abort();
  if (strict && r.Skipped != 0) std::abort();
  if (db.GetLazyWrite()) std::abort();
  const std::string out = tkz::ExportGeoJSON(db);
  tkz::TGeoDB again;
  again.SetGDBName(tmp.Db("b"));
  const tkz::TgdbImportResult r2 = tkz::ImportGeoJSON(again, out);
  if (r2.TotalAdded() != r.TotalAdded() || r2.Skipped != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TempFolder tmp;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const bool strict = size > 0 && (data[size - 1] & 1);
  Check(tmp, tkz::ImportGeoJSON, text, strict);
  Check(tmp, tkz::ImportTopoJSON, text, strict);
  return 0;
}
