// "tkz gdb": the geographic database (geo/geodb.h) from the command line:
// creating one, adding towns and binary objects, listing, window queries,
// name search, reading items back, deleting, compacting, and checking and
// mending its files. Names are UTF-8 here and Windows-1252 in the database.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <iostream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "core/platform/codepage.h"
#include "core/sys/filesys.h"
#include "geo/geodb.h"
#include "tools/tkz/gdb_common.h"

namespace tkz::tool {

namespace gdb {

std::string Plain(const std::exception& e) {
  std::string_view m = e.what();
  if (m.starts_with("Component \"")) {
    const size_t at = m.find("\": ");
    if (at != std::string_view::npos) m.remove_prefix(at + 3);
  }
  return std::string(m);
}

bool Emit(const Json& j) {
  WriteJsonLine(std::cout, j);
  return static_cast<bool>(std::cout);
}

std::unique_ptr<TGeoDB> Open(const std::string& Db, OpenMode mode) {
  const std::string base = StripExtension(Db);
  const bool exists = GetFileSize(base + ".tkzgdd") >= 0;
  if (mode == OpenMode::New && exists) throw GdbFailure("database \"" + base + "\" already exists");
  if (mode == OpenMode::Existing && !exists)
    throw GdbFailure("no database \"" + base + "\" (" + base + ".tkzgdd is missing)");
  auto db = std::make_unique<TGeoDB>();
  db->SetGDBName(base + ".tkzgds");
  return db;
}

std::string ReadAll(const std::string& name) {
  auto in = OpenInput(name);
  std::string bytes;
  char buf[1 << 16];
  for (int64_t n; (n = in->Read(buf, sizeof buf)) > 0;) bytes.append(buf, static_cast<size_t>(n));
  return bytes;
}

bool Terminal() { return isatty(STDERR_FILENO) == 1; }

void ShowProgress(TGeoDB& db, ProgressBar& bar) {
  db.OnPercentDone = [&bar](TObject*, int percent) { bar.Show(percent, 100, "", 0); };
}

}  // namespace gdb

namespace {

using namespace gdb;

double Number(const std::string& field, const char* what) {
  double v = 0;
  const char* end = field.data() + field.size();
  const auto [ptr, ec] = std::from_chars(field.data(), end, v);
  if (ec != std::errc() || ptr != end || !std::isfinite(v))
    throw GdbFailure(std::string(what) + " is not a finite number: " + field);
  return v;
}

double InRange(const std::string& field, const char* what, double limit) {
  const double v = Number(field, what);
  if (v < -limit || v > limit) {
    throw GdbFailure(std::string(what) + " outside -" + std::to_string(static_cast<int>(limit)) +
                     ".." + std::to_string(static_cast<int>(limit)) + ": " + field);
  }
  return v;
}

// A float as the database holds it, written with the fewest digits that
// read back as the same float.
Json Float(float v) {
  if (!std::isfinite(v)) return nullptr;
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  double d = 0;
  std::from_chars(buf, r.ptr, d);
  return d;
}

std::string KindName(TgdbItem k) {
  return k <= gitUndefined ? GDB_ITEMNAMES[k] : std::to_string(static_cast<int>(k));
}

Json RecordJson(int recno, const TgdbData& d) {
  Json j;
  j["recno"] = recno;
  j["id"] = d.ItemID;
  j["kind"] = KindName(d.ItemType);
  j["name"] = AnsiToUtf8(d.Name);
  j["lat_low"] = Float(d.LatLow);
  j["lat_high"] = Float(d.LatHigh);
  j["lon_low"] = Float(d.LongLow);
  j["lon_high"] = Float(d.LongHigh);
  j["closed"] = d.Closed;
  j["elements"] = d.NumElems;
  const bool polygon = d.ItemType <= gitRoute && d.ItemType != gitTown;
  const int64_t bytes = d.DataPos < 0           ? 0
                        : polygon               ? int64_t{d.NumElems} * 8
                        : d.ItemType == gitBLOB ? int64_t{d.NumElems} + 1024
                                                : 0;
  j["payload_bytes"] = bytes;
  j["data_pos"] = d.DataPos;
  j["date_time"] = d.DateTime;
  j["user_int1"] = d.UserInt1;
  j["user_int2"] = d.UserInt2;
  j["user_float"] = Float(d.UserFloat);
  j["user_byte"] = d.UserByte;
  return j;
}

struct GdbOptions {
  std::string Db;
  std::string Name;
  std::string Lat, Lon;
  std::string File;
  std::string Out;
  std::string RecNo;
  std::array<std::string, 4> Window;
  std::string Description;
  int Population = 0;
  bool Prefix = false, Contains = false, Repair = false;
};

int RecordNumber(const TGeoDB& db, const std::string& field) {
  int r = 0;
  const char* end = field.data() + field.size();
  const auto [ptr, ec] = std::from_chars(field.data(), end, r);
  if (ec != std::errc() || ptr != end)
    throw GdbFailure("record number is not an integer: " + field);
  if (r < 1 || r > db.GetNumEntries()) {
    throw GdbFailure("record " + field + " outside 1.." + std::to_string(db.GetNumEntries()));
  }
  return r;
}

int Create(const GdbOptions& o) {
  auto db = Open(o.Db, OpenMode::New);
  if (!o.Description.empty()) db->SetDescription(Utf8ToAnsi(o.Description));
  return Emit(Json{{"database", db->GetGDBName()}, {"records", db->GetNumEntries()}}) ? 0 : 1;
}

int AddTown(const GdbOptions& o) {
  const double lat = InRange(o.Lat, "latitude", 90);
  const double lon = InRange(o.Lon, "longitude", 180);
  auto db = Open(o.Db, OpenMode::Existing);
  TgdbData now;
  ClearGdbData(now);
  const int r = db->AddTown(Utf8ToAnsi(o.Name), now.DateTime, o.Population,
                            {static_cast<float>(lat), static_cast<float>(lon)}, 0, 0, 0);
  return Emit(RecordJson(r, db->GetSumdata(r))) ? 0 : 1;
}

int AddBlob(const GdbOptions& o) {
  auto db = Open(o.Db, OpenMode::Existing);
  ProgressBar bar(std::cerr, Terminal());
  ShowProgress(*db, bar);
  TMetaInfo meta;
  int r = 0;
  if (o.File == "-") {
    // Standard input has no size beforehand: it is gathered first.
    const std::string bytes = ReadAll("-");
    TMemoryStream m;
    m.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    meta.Set(miFilePath, "-");
    TgdbData now;
    ClearGdbData(now);
    r = db->AddBLOB(Utf8ToAnsi(o.Name.empty() ? "stdin" : o.Name), now.DateTime, 0, 0, 0, 0, 0, 0,
                    0, 0, meta, &m);
  } else {
    r = db->AddBLOB(o.File, Utf8ToAnsi(o.Name.empty() ? StripPath(o.File) : o.Name), 0, 0, 0, 0, 0,
                    0, 0, 0, 0, meta);
    // The library keeps the path as given; the database holds Windows-1252.
    if (db->GetMetaInfo(r, meta)) {
      meta.Set(miFilePath, Utf8ToAnsi(o.File));
      db->UpdateMetaInfo(r, meta);
    }
  }
  return Emit(RecordJson(r, db->GetSumdata(r))) ? 0 : 1;
}

int List(const GdbOptions& o) {
  auto db = Open(o.Db, OpenMode::Existing);
  ProgressBar bar(std::cerr, Terminal());
  const int n = db->GetNumEntries();
  for (int r = 1; r <= n; ++r) {
    if (!Emit(RecordJson(r, db->GetSumdata(r)))) return 1;
    bar.Show(r, n, "", 0);
  }
  return 0;
}

int Query(const GdbOptions& o) {
  const double lat_lo = InRange(o.Window[0], "LATLO", 90);
  const double lat_hi = InRange(o.Window[1], "LATHI", 90);
  const double lon_lo = InRange(o.Window[2], "LONLO", 180);
  const double lon_hi = InRange(o.Window[3], "LONHI", 180);
  auto db = Open(o.Db, OpenMode::Existing);
  for (int r : db->FindItemsInWindow(static_cast<float>(lat_lo), static_cast<float>(lat_hi),
                                     static_cast<float>(lon_lo), static_cast<float>(lon_hi)))
    if (!Emit(RecordJson(r, db->GetSumdata(r)))) return 1;
  return 0;
}

int Search(const GdbOptions& o) {
  auto db = Open(o.Db, OpenMode::Existing);
  const uint8_t flag = o.Contains ? kGdbMatchContains : o.Prefix ? kGdbMatchPrefix : kGdbMatchExact;
  const std::string name = Utf8ToAnsi(o.Name);
  int found = 0;
  for (int r = db->SearchData(name, gitUndefined, 1, flag); r > 0;
       r = db->SearchData(name, gitUndefined, r + 1, flag)) {
    if (!Emit(RecordJson(r, db->GetSumdata(r)))) return 1;
    ++found;
  }
  return found > 0 ? 0 : 1;
}

Json MetaJson(const TMetaInfo& m) {
  return Json{{"keywords", AnsiToUtf8(m.Get(miKwd))},
              {"caption", AnsiToUtf8(m.Get(miCaption))},
              {"file_path", AnsiToUtf8(m.Get(miFilePath))},
              {"descriptor", AnsiToUtf8(m.Get(miDescriptor))},
              {"comment", AnsiToUtf8(m.Get(miComment))}};
}

int Get(const GdbOptions& o) {
  auto db = Open(o.Db, OpenMode::Existing);
  const int r = RecordNumber(*db, o.RecNo);
  const TgdbData d = db->GetSumdata(r);
  Json j = RecordJson(r, d);
  const bool polygon = d.ItemType <= gitRoute && d.ItemType != gitTown;
  if ((polygon || d.ItemType == gitBLOB) && d.DataPos == -1)
    throw GdbFailure("record " + o.RecNo + " holds no payload");
  if (d.ItemType == gitBLOB) {
    ProgressBar bar(std::cerr, Terminal());
    ShowProgress(*db, bar);
    TMetaInfo meta;
    if (o.Out.empty() || o.Out == "-") {
      TMemoryStream m;
      if (!db->RetrieveBLOB(r, meta, &m))
        throw GdbFailure("record " + o.RecNo + ": BLOB outside the data file");
      std::cout.write(static_cast<const char*>(m.Memory()), m.GetSize());
      return std::cout ? 0 : 1;
    }
    if (!db->RetrieveBLOB(r, o.Out, meta))
      throw GdbFailure("record " + o.RecNo + ": BLOB outside the data file");
    j["meta"] = MetaJson(meta);
    j["written_to"] = o.Out;
    return Emit(j) ? 0 : 1;
  }
  if (polygon) {
    TgdbPolygon poly;
    if (!db->RetrievePolygon(r, poly))
      throw GdbFailure("record " + o.RecNo + ": polygon outside the data file");
    Json v = Json::array();
    for (const TSCoords& c : poly) v.push_back(Json::array({Float(c.Lat), Float(c.Long)}));
    j["vertices"] = std::move(v);
  }
  return Emit(j) ? 0 : 1;
}

int Delete(const GdbOptions& o) {
  auto db = Open(o.Db, OpenMode::Existing);
  const int r = RecordNumber(*db, o.RecNo);
  const int last = db->GetNumEntries();
  const int32_t id = db->GetSumdata(r).ItemID;
  db->DeleteData(r);
  Json j{{"deleted", r}, {"id", id}};
  // The last record takes the place of the deleted one.
  if (r != last) j["moved_from"] = last;
  return Emit(j) ? 0 : 1;
}

int Compact(const GdbOptions& o) {
  auto db = Open(o.Db, OpenMode::Existing);
  ProgressBar bar(std::cerr, Terminal());
  ShowProgress(*db, bar);
  const int64_t freed = db->GarbageCollection();
  return Emit(Json{{"freed", freed}}) ? 0 : 1;
}

Json ProblemJson(const TgdbProblem& p) {
  Json j{{"file", p.File}};
  if (p.Record > 0) j["record"] = p.Record;
  j["problem"] = p.Text;
  return j;
}

int Check(const GdbOptions& o) {
  const std::string base = StripExtension(o.Db);
  if (GetFileSize(base + ".tkzgdd") < 0 && GetFileSize(base + ".tkzgds") < 0)
    throw GdbFailure("no database \"" + base + "\"");
  const std::vector<TgdbProblem> found = CheckGeoDB(base + ".tkzgds");
  for (const TgdbProblem& p : found)
    if (!Emit(ProblemJson(p))) return 1;
  if (!o.Repair || found.empty()) return found.empty() ? 0 : 1;
  for (const std::string& action : RepairGeoDB(base + ".tkzgds"))
    if (!Emit(Json{{"repaired", action}})) return 1;
  const std::vector<TgdbProblem> left = CheckGeoDB(base + ".tkzgds");
  for (const TgdbProblem& p : left) {
    Json j = ProblemJson(p);
    j["unrepaired"] = true;
    if (!Emit(j)) return 1;
  }
  return left.empty() ? 0 : 1;
}

}  // namespace

CLI::App* GdbGroup(CLI::App& app) {
  for (CLI::App* g : app.get_subcommands([](const CLI::App* a) { return a->get_name() == "gdb"; }))
    return g;
  CLI::App* gdb = app.add_subcommand("gdb", "Geographic database: items, queries, checks");
  gdb->require_subcommand(1);
  gdb->footer(
      "DB names the database by its base name (any extension: world, world.tkzgds).\n"
      "Names are UTF-8 here and Windows-1252 in the database. A database open in\n"
      "another program is refused. Records are JSON lines (recno, id, kind, name,\n"
      "bounds, closed, elements, payload_bytes, ...). Exit status: 0 success;\n"
      "1 failure (\"tkz: gdb COMMAND: ...\"), nothing found by search, or problems\n"
      "found by check; 2 usage error.");
  return gdb;
}

void AddGdbCommands(CLI::App& app) {
  CLI::App* gdb = GdbGroup(app);
  auto o = std::make_shared<GdbOptions>();
  CLI::App* c = Command(gdb, "create", "Create an empty database", o, Create);
  c->add_option("--description", o->Description, "Description (at most 60 characters kept)");
  c = Command(gdb, "add-town", "Add a town at LAT LON (degrees)", o, AddTown);
  c->add_option("NAME", o->Name, "Name (at most 59 characters kept)")->required();
  c->add_option("LAT", o->Lat, "Latitude, -90..90")->required();
  c->add_option("LON", o->Lon, "Longitude, -180..180")->required();
  c->add_option("--population", o->Population, "Stored as the item's UserInt1");
  c = Command(gdb, "add-blob", "Add the content of FILE as a binary object", o, AddBlob);
  c->add_option("FILE", o->File, "File to store (\"-\": standard input)")->required();
  c->add_option("--name", o->Name, "Item name (default: the file's name)");
  Command(gdb, "list", "Every record as a JSON line", o, List);
  c = Command(gdb, "query", "Items whose bounding box meets the window", o, Query);
  const char* edges[4] = {"LATLO", "LATHI", "LONLO", "LONHI"};
  for (size_t i = 0; i < 4; ++i)
    c->add_option(edges[i], o->Window[i], "Window edge, degrees (LONLO > LONHI crosses 180)")
        ->required();
  c = Command(gdb, "search", "Records whose name matches NAME in any case", o, Search);
  c->add_option("NAME", o->Name, "Name to look for")->required();
  auto* prefix = c->add_flag("--prefix", o->Prefix, "Names that start with NAME");
  c->add_flag("--contains", o->Contains, "Names that contain NAME")->excludes(prefix);
  c = Command(gdb, "get", "A record with its polygon, or a BLOB's content", o, Get);
  c->add_option("RECNO", o->RecNo, "Record number, 1-based")->required();
  c->add_option("OUT", o->Out, "File for a BLOB's content (default: standard output)");
  c = Command(gdb, "delete", "Delete a record (the last record takes its place)", o, Delete);
  c->add_option("RECNO", o->RecNo, "Record number, 1-based")->required();
  Command(gdb, "compact", "Drop unused payload bytes; prints the bytes freed", o, Compact);
  c = Command(gdb, "check", "Check records, payloads, header and index files", o, Check);
  c->add_flag("--repair", o->Repair, "Mend what can be mended (indexes, header, payloads)");
  AddGdbTransferCommands(app);
}

}  // namespace tkz::tool
