// "tkz gdb import" and "tkz gdb export": GeoJSON and TopoJSON into a
// database, and a database out as GeoJSON (geo/geodb_geojson.h).
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/platform/stream.h"
#include "core/sys/filesys.h"
#include "geo/geodb_geojson.h"
#include "tools/tkz/gdb_common.h"

namespace tkz::tool {

namespace {

using namespace gdb;

struct TransferOptions {
  std::string Db;
  std::string File;
  std::string Object;
  bool Strict = false;
};

size_t SkipBlanks(std::string_view t, size_t i) {
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t' || t[i] == '\n' || t[i] == '\r')) ++i;
  return i;
}

// The end of the string that starts at t[i] (its opening quote).
size_t SkipString(std::string_view t, size_t i) {
  for (++i; i < t.size(); ++i) {
    if (t[i] == '\\')
      ++i;
    else if (t[i] == '"')
      return i + 1;
  }
  return t.size();
}

// The end of the value that starts at t[i]: a string, or anything up to the
// comma or closing bracket at its own level.
size_t SkipValue(std::string_view t, size_t i) {
  int depth = 0;
  while (i < t.size()) {
    const char c = t[i];
    if (c == '"') {
      i = SkipString(t, i);
      if (depth == 0) return i;
      continue;
    }
    if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      if (depth == 0) return i;
      if (--depth == 0) return i + 1;
    } else if (c == ',' && depth == 0) {
      return i;
    }
    ++i;
  }
  return i;
}

// The string value of the top-level member "type" of a JSON object, or ""
// (no object, no such member, or text that is no JSON: the importer then
// says what is wrong). The members before it are skipped unparsed.
std::string TopLevelType(std::string_view t) {
  if (t.starts_with("\xEF\xBB\xBF")) t.remove_prefix(3);
  size_t i = SkipBlanks(t, 0);
  if (i >= t.size() || t[i] != '{') return "";
  for (i = SkipBlanks(t, i + 1); i < t.size() && t[i] == '"';) {
    const size_t end = SkipString(t, i);
    const std::string_view key = t.substr(i + 1, end - i - 2);
    i = SkipBlanks(t, end);
    if (i >= t.size() || t[i] != ':') return "";
    i = SkipBlanks(t, i + 1);
    const size_t after = SkipValue(t, i);
    if (key == "type") {
      if (i >= t.size() || t[i] != '"' || after - i < 2) return "";
      return std::string(t.substr(i + 1, after - i - 2));
    }
    i = SkipBlanks(t, after);
    if (i >= t.size() || t[i] != ',') return "";
    i = SkipBlanks(t, i + 1);
  }
  return "";
}

// The files of a database that this import created; removed again when the
// import adds nothing, so that a refused document leaves no empty database.
void RemoveDatabase(const std::string& base) {
  for (const char* ext :
       {".tkzgds", ".tkzgdd", ".tkzgi0", ".tkzgi1", ".tkzgi2", ".tkzgi3", ".tkzgi4"})
    std::remove((base + ext).c_str());
}

Json ResultJson(const std::string& base, const std::string& file, bool topo,
                const TgdbImportResult& r, int records) {
  Json added = Json::object();
  for (size_t k = 0; k < r.Added.size(); ++k)
    if (r.Added[k] > 0) added[GDB_ITEMNAMES[k]] = r.Added[k];
  return Json{{"database", base},
              {"file", file},
              {"format", topo ? "TopoJSON" : "GeoJSON"},
              {"features", r.Features},
              {"added", std::move(added)},
              {"total_added", r.TotalAdded()},
              {"skipped", r.Skipped},
              {"reasons", r.Reasons},
              {"chars_replaced", r.CharsReplaced},
              {"names_truncated", r.NamesTruncated},
              {"holes_dropped", r.HolesDropped},
              {"polygons_dropped", r.PolygonsDropped},
              {"records", records}};
}

int Import(const TransferOptions& o) {
  const std::string shown = o.File == "-" ? "standard input" : o.File;
  const std::string text = ReadAll(o.File);
  const bool topo = TopLevelType(text) == "Topology";
  if (!o.Object.empty() && !topo)
    throw GdbFailure(shown + ": --object applies to a TopoJSON Topology, not to GeoJSON");
  const std::string base = StripExtension(o.Db);
  const bool created = GetFileSize(base + ".tkzgdd") < 0;
  auto db = Open(o.Db, OpenMode::Any);
  ProgressBar bar(std::cerr, Terminal());
  ShowProgress(*db, bar);
  TgdbImportOptions options;
  options.Strict = o.Strict;
  options.Object = o.Object;
  TgdbImportResult r;
  try {
    r = topo ? ImportTopoJSON(*db, text, options) : ImportGeoJSON(*db, text, options);
  } catch (const std::exception& e) {
    const bool empty = db->GetNumEntries() == 0;
    db.reset();
    if (created && empty) RemoveDatabase(base);
    throw GdbFailure(shown + ": " + Plain(e));
  }
  db->OnPercentDone = nullptr;
  if (r.Skipped > 0) {
    std::cerr << "tkz: gdb import: " << shown << ": " << r.Skipped << " of " << r.Features
              << " features skipped (" << (r.Reasons.empty() ? "" : r.Reasons.front()) << ")\n";
  }
  return Emit(ResultJson(db->GetGDBName(), o.File, topo, r, db->GetNumEntries())) ? 0 : 1;
}

int Export(const TransferOptions& o) {
  auto db = Open(o.Db, OpenMode::Existing);
  if (o.File == "-") {
    const std::string text = ExportGeoJSON(*db);
    std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
    return std::cout.flush() ? 0 : 1;
  }
  try {
    ExportGeoJSONFile(*db, o.File);
  } catch (const EInOutError& e) {
    std::cerr << "tkz: write error: " << o.File << ": "
              << (e.ErrorCode != 0 ? std::strerror(e.ErrorCode) : Plain(e)) << "\n";
    return 1;
  }
  return Emit(Json{
             {"database", db->GetGDBName()}, {"file", o.File}, {"features", db->GetNumEntries()}})
             ? 0
             : 1;
}

}  // namespace

void AddGdbTransferCommands(CLI::App& app) {
  CLI::App* group = GdbGroup(app);
  auto o = std::make_shared<TransferOptions>();
  CLI::App* c =
      Command(group, "import", "Add the features of a GeoJSON or TopoJSON file", o, Import);
  c->add_option("FILE", o->File,
                "GeoJSON or TopoJSON (a \"Topology\"), UTF-8; \"-\": standard input, read whole")
      ->required();
  c->add_flag("--strict", o->Strict, "Refuse the file at its first feature that cannot be stored");
  c->add_option("--object", o->Object, "TopoJSON: import only this object (default: all)");
  c->footer(
      "Creates DB when it does not exist. Prints one JSON line: features read,\n"
      "items added by kind, features skipped and the first reasons, name\n"
      "characters replaced by '?', names cut to 59 characters, polygon holes and\n"
      "slivers dropped. Skipped features keep status 0 (a note on standard\n"
      "error); a document that is not GeoJSON or TopoJSON, or with --strict a\n"
      "feature that cannot be stored, gives status 1 and adds nothing.");
  c = Command(group, "export", "Every item as a GeoJSON FeatureCollection", o, Export);
  c->add_option("OUT", o->File, "GeoJSON file to write (\"-\": standard output)")->required();
  c->footer(
      "OUT is replaced whole; then a JSON line {\"database\", \"file\", \"features\"}\n"
      "is printed. With \"-\" standard output holds the GeoJSON only.");
}

}  // namespace tkz::tool
