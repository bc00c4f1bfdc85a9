// tkz.geodb: the geographic database (geo/geodb.h) with GeoJSON and
// TopoJSON transfer (geo/geodb_geojson.h).
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "core/sys/filesys.h"
#include "geo/geobasics.h"
#include "geo/geodb.h"
#include "geo/geodb_geojson.h"
#include "python/src/bind_geodb_records.h"
#include "python/src/common.h"

namespace tkz::python {

namespace {

using geodb::Database;
using geodb::Record;

py::handle g_import_result;
py::handle g_problem;

std::string BaseName(py::handle path) { return StripExtension(FromPath(path)); }

bool Exists(const std::string& base) { return GetFileSize(base + ".tkzgdd") >= 0; }

std::unique_ptr<TGeoDB> OpenFiles(const std::string& base, bool lazy) {
  auto db = std::make_unique<TGeoDB>();
  db->SetName("GeoDB");  // names the database in the library's messages
  db->SetProgressEnabled(false);
  db->SetGDBName(base + ".tkzgds");
  if (lazy) db->SetLazyWrite(true);
  return db;
}

Database Open(py::handle path, bool lazy) {
  const std::string base = BaseName(path);
  if (!Exists(base))
    throw ETKZGeoDBError("no database \"" + base + "\" (" + base + ".tkzgdd is missing)");
  return Database(OpenFiles(base, lazy));
}

Database Create(py::handle path, py::handle description, bool lazy) {
  const std::string base = BaseName(path);
  if (Exists(base)) throw ETKZGeoDBError("database \"" + base + "\" already exists");
  auto db = OpenFiles(base, lazy);
  if (!description.is_none()) db->SetDescription(FromStr(description, "description"));
  return Database(std::move(db));
}

// A coordinate checked as the GeoJSON import checks it.
float Coordinate(double v, double limit, const char* what) {
  if (!(v >= -limit && v <= limit)) {
    throw ETKZGeoBasicsError(std::string(what) + " outside -" + std::to_string(int(limit)) + ".." +
                             std::to_string(int(limit)) + ": " +
                             py::str(py::float_(v)).cast<std::string>());
  }
  return static_cast<float>(v);
}

TSCoords Vertex(double lat, double lon) {
  return {Coordinate(lat, 90, "latitude"), Coordinate(lon, 180, "longitude")};
}

// Vertices from a sequence of (lat, lon) pairs or an array of shape (n, 2).
TgdbPolygon Polygon(py::handle coords) {
  TgdbPolygon poly;
  PyObject* np = PyImport_GetModule(py::str("numpy").ptr());
  if (np == nullptr) PyErr_Clear();
  py::object numpy = np ? py::reinterpret_steal<py::object>(np) : py::object();
  if (numpy && !numpy.is_none() && py::isinstance(coords, numpy.attr("ndarray"))) {
    py::array_t<double, py::array::c_style | py::array::forcecast> a =
        numpy.attr("asarray")(coords, py::arg("dtype") = numpy.attr("float64"));
    if (a.ndim() != 2 || a.shape(1) != 2)
      throw py::value_error("coords must be an array of shape (n, 2): latitude, longitude");
    const double* p = a.data();
    for (py::ssize_t i = 0; i < a.shape(0); ++i) poly.push_back(Vertex(p[2 * i], p[2 * i + 1]));
  } else {
    for (py::handle item : coords) {
      py::sequence pair = py::reinterpret_borrow<py::sequence>(item);
      if (!PySequence_Check(item.ptr()) || py::len(pair) != 2)
        throw py::value_error("coords must be (lat, lon) pairs");
      poly.push_back(Vertex(pair[0].cast<double>(), pair[1].cast<double>()));
    }
  }
  if (poly.empty()) throw py::value_error("coords hold no vertex");
  return poly;
}

double DateTimeArg(py::handle date_time) {
  if (!date_time.is_none()) return date_time.cast<double>();
  TgdbData now;
  ClearGdbData(now);  // the current local date and time
  return now.DateTime;
}

struct UserFields {
  int32_t int1, int2;
  float real;
  uint8_t byte;
  double when;
};

Record Add(Database& self, py::handle kind_arg, py::handle name, py::handle coords, bool closed,
           const UserFields& u) {
  TGeoDB& db = self.Db();
  const TgdbItem kind = geodb::KindArg(kind_arg);
  const std::string text = FromStr(name, "name");
  int r;
  if (kind == gitTown) {
    py::sequence pair = py::reinterpret_borrow<py::sequence>(coords);
    if (!PySequence_Check(coords.ptr()) || py::len(pair) != 2)
      throw py::value_error("a town's coords are one (lat, lon) pair");
    const TSCoords at = Vertex(pair[0].cast<double>(), pair[1].cast<double>());
    r = db.AddTown(text, u.when, u.int1, at, u.real, u.byte, u.int2);
  } else if (kind == gitBLOB) {
    throw py::value_error("use add_blob() for binary objects");
  } else {
    const TgdbPolygon poly = Polygon(coords);
    r = db.AddData(text, poly, closed, kind, u.byte, u.when, u.int1, 0, 0, 0, 0, u.real, u.int2,
                   TMetaInfo{}, nullptr, 0, false);
  }
  return geodb::ReadRecord(db, r);
}

const char* const kMetaNames[] = {"keywords", "caption", "file_path", "descriptor", "comment"};

py::dict MetaDict(const TMetaInfo& m) {
  py::dict d;
  for (int i = 0; i < 5; ++i) d[kMetaNames[i]] = ToStr(m.Get(static_cast<TMetaItem>(i)));
  return d;
}

int RecnoArg(TGeoDB& db, int recno) {
  if (recno < 1 || recno > db.GetNumEntries()) {
    throw py::index_error("record " + std::to_string(recno) + " outside 1.." +
                          std::to_string(db.GetNumEntries()));
  }
  return recno;
}

py::object ImportResult(const TgdbImportResult& r) {
  py::dict added;
  for (size_t k = 0; k < r.Added.size(); ++k)
    if (r.Added[k] > 0) added[GDB_ITEMNAMES[k]] = r.Added[k];
  py::list reasons;
  for (const std::string& s : r.Reasons) reasons.append(ToStr(s));
  return g_import_result(r.Features, added, r.TotalAdded(), r.Skipped, reasons, r.HolesDropped,
                         r.PolygonsDropped, r.CharsReplaced, r.NamesTruncated);
}

}  // namespace

void BindGeoDB(py::module_& m) {
  py::module_ sub = m.def_submodule(
      "geodb", "The geographic database: towns, borders, rivers, roads and binary objects.");
  geodb::BindRecords(sub);
  g_import_result = NamedTupleClass(
      sub, "ImportResult",
      "features added total_added skipped reasons holes_dropped polygons_dropped "
      "chars_replaced names_truncated",
      "What an import did: features read, items added by kind ({\"Town\": 3, ...}), their "
      "total, features skipped and the first reasons, polygon holes and slivers dropped, "
      "name characters stored as '?' and names cut to 59 characters.");
  g_problem = NamedTupleClass(sub, "Problem", "file record text",
                              "A fault check() finds: the file, the 1-based record or index entry "
                              "(0: the whole file) and what is wrong.");

  py::class_<Database> db(
      sub, "Database",
      "An open geographic database (seven files sharing one base name). Use it in a with "
      "block, or call close(); it holds a lock on its files until then, and a second open of "
      "the same files raises tkz.GeoDBError. Record numbers count from 1.");
  db.def("close", &Database::Close,
         "Closes the database (writing pending indexes); closing twice is harmless.")
      .def_property_readonly("closed", &Database::Closed, "Whether close() was called.")
      .def("__enter__", [](py::object self) { return self; })
      .def("__exit__", [](Database& self, py::args) { self.Close(); })
      .def("__len__", [](const Database& self) { return self.Db().GetNumEntries(); })
      .def(
          "__iter__",
          [](py::object self) {
            self.cast<Database&>().Db();
            return geodb::RecordIterator(self, {}, true);
          },
          "Every record in record order.")
      .def_property_readonly(
          "name", [](const Database& self) { return self.Db().GetGDBName(); },
          "The base name of the files.")
      .def_property(
          "description", [](const Database& self) { return ToStr(self.Db().GetDescription()); },
          [](Database& self, py::handle s) { self.Db().SetDescription(FromStr(s, "description")); },
          "The description in the header (at most 60 characters are kept).")
      .def_property(
          "revision", [](const Database& self) { return self.Db().GetRevision(); },
          [](Database& self, int32_t n) { self.Db().SetRevision(n); },
          "The revision number in the header.")
      .def_property_readonly(
          "item_counter", [](const Database& self) { return self.Db().GetItemCounter(); },
          "The last item ID given out.")
      .def_property(
          "lazy_write", [](const Database& self) { return self.Db().GetLazyWrite(); },
          [](Database& self, bool on) { self.Db().SetLazyWrite(on); },
          "With lazy writing the index files are written at close (or when switched off) "
          "instead of after every change: much faster bulk loading.")
      .def(
          "record",
          [](const Database& self, int recno) {
            TGeoDB& d = self.Db();
            return geodb::ReadRecord(d, RecnoArg(d, recno));
          },
          py::arg("recno"), "Record number recno (1-based); IndexError outside 1..len(db).")
      .def(
          "add",
          [](Database& self, py::handle kind, py::handle name, py::handle coords, bool closed,
             int32_t user_int1, int32_t user_int2, float user_float, uint8_t user_byte,
             py::handle date_time) {
            return Add(self, kind, name, coords, closed,
                       {user_int1, user_int2, user_float, user_byte, DateTimeArg(date_time)});
          },
          py::arg("kind"), py::arg("name"), py::arg("coords"), py::kw_only(),
          py::arg("closed") = false, py::arg("user_int1") = 0, py::arg("user_int2") = 0,
          py::arg("user_float") = 0.0f, py::arg("user_byte") = 0, py::arg("date_time") = py::none(),
          "Adds an item and returns its Record. kind is \"town\" (coords one (lat, lon) pair) or "
          "\"border\", \"city\", \"lake\", \"river\", \"road\", \"route\" (coords a sequence of "
          "(lat, lon) pairs or an array of shape (n, 2)). closed applies to borders and cities "
          "(lakes are always closed). Latitudes -90..90 and longitudes -180..180 (tkz.GeoError "
          "otherwise), stored as 32-bit floats; names longer than 59 characters are cut. "
          "date_time: days since 1899-12-30 (default: now).")
      .def(
          "add_town",
          [](Database& self, py::handle name, double lat, double lon, int32_t population,
             float user_float, uint8_t user_byte, int32_t user_int2, py::handle date_time) {
            return Add(self, py::str("town"), name, py::make_tuple(lat, lon), false,
                       {population, user_int2, user_float, user_byte, DateTimeArg(date_time)});
          },
          py::arg("name"), py::arg("lat"), py::arg("lon"), py::kw_only(), py::arg("population") = 0,
          py::arg("user_float") = 0.0f, py::arg("user_byte") = 0, py::arg("user_int2") = 0,
          py::arg("date_time") = py::none(),
          "Adds a town at lat, lon (degrees) and returns its Record.")
      .def(
          "add_blob",
          [](Database& self, py::handle name, py::bytes data, py::dict meta, int32_t user_int1,
             py::handle date_time) {
            TGeoDB& d = self.Db();
            TMetaInfo info;
            for (auto item : meta) {
              const std::string key = py::str(item.first);
              int i = 0;
              while (i < 5 && key != kMetaNames[i]) ++i;
              if (i == 5) throw py::value_error("unknown meta text \"" + key + "\"");
              info.Set(static_cast<TMetaItem>(i), FromStr(item.second, kMetaNames[i]));
            }
            const std::string_view bytes = data;
            const int r =
                d.AddBLOB(FromStr(name, "name"), DateTimeArg(date_time), user_int1, 0, 0, 0, 0, 0,
                          0, 0, info, bytes.data(), static_cast<int64_t>(bytes.size()));
            return geodb::ReadRecord(d, r);
          },
          py::arg("name"), py::arg("data"), py::arg("meta") = py::dict(), py::kw_only(),
          py::arg("user_int1") = 0, py::arg("date_time") = py::none(),
          "Adds a binary object holding data; meta may give the texts keywords, caption, "
          "file_path, descriptor and comment (cut to their capacities).")
      .def(
          "blob",
          [](const Database& self, int recno) {
            TGeoDB& d = self.Db();
            RecnoArg(d, recno);
            TMetaInfo meta;
            TMemoryStream m;
            if (!d.RetrieveBLOB(recno, meta, &m))
              throw ETKZGeoDBError("record " + std::to_string(recno) + " holds no readable BLOB");
            return py::make_tuple(
                py::bytes(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.GetSize())),
                MetaDict(meta));
          },
          py::arg("recno"),
          "The content of a BLOB record and its meta texts: (bytes, dict). tkz.GeoDBError for "
          "a record that holds no readable BLOB.")
      .def(
          "delete",
          [](Database& self, int recno) { self.Db().DeleteData(RecnoArg(self.Db(), recno)); },
          py::arg("recno"), "Deletes record recno; the last record takes its number.")
      .def(
          "query",
          [](py::object self, double lat_min, double lon_min, double lat_max, double lon_max,
             py::handle kinds) {
            TGeoDB& d = self.cast<Database&>().Db();
            std::set<int> wanted;
            if (PyUnicode_Check(kinds.ptr()) || PyBytes_Check(kinds.ptr())) {
              wanted.insert(geodb::KindArg(kinds));
            } else if (!kinds.is_none()) {
              for (py::handle k : kinds) wanted.insert(geodb::KindArg(k));
            }
            std::vector<int> found;
            for (int r :
                 d.FindItemsInWindow(static_cast<float>(lat_min), static_cast<float>(lat_max),
                                     static_cast<float>(lon_min), static_cast<float>(lon_max)))
              if (wanted.empty() || wanted.count(d.GetSumdata(r).ItemType)) found.push_back(r);
            return geodb::RecordIterator(self, std::move(found), false);
          },
          py::arg("lat_min"), py::arg("lon_min"), py::arg("lat_max"), py::arg("lon_max"),
          py::arg("kinds") = py::none(),
          "The records whose bounding box meets the window (degrees, edges included), in "
          "record order; lon_min > lon_max is a window across the 180th meridian. kinds limits "
          "them to a kind or a collection of kinds (\"town\", \"border\", ...).")
      .def(
          "search",
          [](py::object self, py::handle name, const std::string& match, py::handle kind) {
            TGeoDB& d = self.cast<Database&>().Db();
            uint8_t flag;
            if (match == "exact") {
              flag = kGdbMatchExact;
            } else if (match == "prefix") {
              flag = kGdbMatchPrefix;
            } else if (match == "contains") {
              flag = kGdbMatchContains;
            } else {
              throw py::value_error("match must be \"exact\", \"prefix\" or \"contains\", not \"" +
                                    match + "\"");
            }
            const TgdbItem k = kind.is_none() ? gitUndefined : geodb::KindArg(kind);
            const std::string text = FromStr(name, "name");
            std::vector<int> found;
            for (int r = d.SearchData(text, k, 1, flag); r > 0;
                 r = d.SearchData(text, k, r + 1, flag))
              found.push_back(r);
            return geodb::RecordIterator(self, std::move(found), false);
          },
          py::arg("name"), py::kw_only(), py::arg("match") = "exact", py::arg("kind") = py::none(),
          "The records whose name equals name (match=\"exact\"), starts with it (\"prefix\") "
          "or contains it (\"contains\"), in any letter case, optionally of one kind.")
      .def(
          "import_geojson",
          [](Database& self, py::handle path, bool strict) {
            TgdbImportOptions o;
            o.Strict = strict;
            return ImportResult(ImportGeoJSONFile(self.Db(), FromPath(path), o));
          },
          py::arg("path"), py::kw_only(), py::arg("strict") = false,
          "Adds the features of a GeoJSON file (points as towns, lines and polygons by their "
          "\"kind\" property) and returns an ImportResult. Features that cannot be stored are "
          "skipped and counted; strict=True refuses the file at the first one instead. A file "
          "that is no GeoJSON raises tkz.GeoDBError before anything is added.")
      .def(
          "import_topojson",
          [](Database& self, py::handle path, py::handle object, bool strict) {
            TgdbImportOptions o;
            o.Strict = strict;
            if (!object.is_none()) o.Object = FromStr(object, "object");
            return ImportResult(ImportTopoJSONFile(self.Db(), FromPath(path), o));
          },
          py::arg("path"), py::kw_only(), py::arg("object") = py::none(), py::arg("strict") = false,
          "Adds the objects of a TopoJSON topology (all, or the one named) as import_geojson "
          "does.")
      .def(
          "export_geojson",
          [](Database& self, py::handle path) -> py::object {
            if (path.is_none()) {
              const std::string text = ExportGeoJSON(self.Db());
              return py::reinterpret_steal<py::object>(PyUnicode_DecodeUTF8(
                  text.data(), static_cast<Py_ssize_t>(text.size()), "strict"));
            }
            ExportGeoJSONFile(self.Db(), FromPath(path));
            return py::none();
          },
          py::arg("path") = py::none(),
          "Every item as a GeoJSON FeatureCollection, written to path (replacing it whole), or "
          "returned as a str without a path.")
      .def(
          "compact", [](Database& self) { return self.Db().GarbageCollection(); },
          "Rewrites the data file without the payloads of replaced and deleted items; returns "
          "the bytes freed.")
      .def("__repr__", [](const Database& self) {
        return self.Closed() ? std::string("<tkz.geodb.Database (closed)>")
                             : "<tkz.geodb.Database " + self.Db().GetGDBName() + ", " +
                                   std::to_string(self.Db().GetNumEntries()) + " records>";
      });

  sub.def("open", &Open, py::arg("path"), py::kw_only(), py::arg("lazy_write") = false,
          "Opens the database whose files share the base name of path (any extension: "
          "\"world\", \"world.tkzgds\"). tkz.GeoDBError when it does not exist, its header is "
          "damaged, or another object holds it; tkz.InOutError when a file cannot be read.");
  sub.def("create", &Create, py::arg("path"), py::kw_only(), py::arg("description") = py::none(),
          py::arg("lazy_write") = false,
          "Creates an empty database; tkz.GeoDBError when one of that name exists.");
  sub.def(
      "check",
      [](py::handle path) {
        py::list out;
        for (const TgdbProblem& p : CheckGeoDB(FromPath(path)))
          out.append(g_problem(ToStr(p.File), p.Record, ToStr(p.Text)));
        return out;
      },
      py::arg("path"),
      "Checks the files of a database without opening it or writing anything; returns the "
      "Problems found (an empty list: the database is sound).");
  sub.def(
      "repair",
      [](py::handle path) {
        py::list out;
        for (const std::string& s : RepairGeoDB(FromPath(path))) out.append(ToStr(s));
        return out;
      },
      py::arg("path"), "Mends what check() finds as far as it can; returns the actions taken.");
  sub.attr("KINDS") =
      py::make_tuple("Border", "Town", "City", "Lake", "River", "Road", "Route", "BLOB");
}

}  // namespace tkz::python
