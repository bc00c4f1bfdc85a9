// tkz.geodb: records as Python objects, and iterators over them.
#include "python/src/bind_geodb_records.h"

#include <pybind11/numpy.h>

#include <string>

#include "core/text/charcase.h"

namespace tkz::python::geodb {

TGeoDB& Database::Db() const {
  if (!db_) throw py::value_error("operation on a closed database");
  return *db_;
}

bool IsPolygonKind(TgdbItem kind) { return kind <= gitRoute && kind != gitTown; }

Record ReadRecord(TGeoDB& db, int recno) {
  Record r;
  r.recno = recno;
  r.data = db.GetSumdata(recno);
  if (IsPolygonKind(r.data.ItemType) && r.data.DataPos >= 0)
    r.has_vertices = db.RetrievePolygon(recno, r.vertices);
  return r;
}

TgdbItem KindArg(py::handle kind) {
  const std::string text = FromStr(kind, "kind");
  for (int k = 0; k < gitUndefined; ++k)
    if (AnsiSameText(GDB_ITEMNAMES[k], text)) return static_cast<TgdbItem>(k);
  throw py::value_error("unknown kind \"" + py::str(kind).cast<std::string>() +
                        "\" (border, town, city, lake, river, road, route or blob)");
}

namespace {

std::string KindName(TgdbItem k) {
  return k <= gitUndefined ? GDB_ITEMNAMES[k] : std::to_string(static_cast<int>(k));
}

py::object Coords(const Record& r) {
  const TgdbItem kind = r.data.ItemType;
  if (kind == gitTown) return py::make_tuple(r.data.LatLow, r.data.LongLow);
  if (!r.has_vertices) return py::none();
  py::list out(r.vertices.size());
  for (size_t i = 0; i < r.vertices.size(); ++i)
    out[i] = py::make_tuple(r.vertices[i].Lat, r.vertices[i].Long);
  return out;
}

py::object Vertices(const Record& r) {
  if (!r.has_vertices) {
    if (r.data.ItemType != gitTown) return py::none();
  }
  py::module_::import("numpy");  // ImportError here, not inside pybind11
  const auto n = static_cast<py::ssize_t>(r.data.ItemType == gitTown ? 1 : r.vertices.size());
  py::array_t<double> a({n, py::ssize_t{2}});
  double* p = a.mutable_data();
  if (r.data.ItemType == gitTown) {
    p[0] = r.data.LatLow;
    p[1] = r.data.LongLow;
    return a;
  }
  for (py::ssize_t i = 0; i < n; ++i) {
    p[2 * i] = r.vertices[static_cast<size_t>(i)].Lat;
    p[2 * i + 1] = r.vertices[static_cast<size_t>(i)].Long;
  }
  return a;
}

// Walks record numbers of a database; the database object is kept alive.
struct Iter {
  py::object db;
  std::vector<int> recnos;
  bool all = false;
  size_t next = 0;
};

}  // namespace

py::object RecordIterator(py::object db, std::vector<int> recnos, bool all) {
  return py::cast(Iter{std::move(db), std::move(recnos), all, 0});
}

void BindRecords(py::module_& sub) {
  py::class_<Record>(sub, "Record",
                     "One item of a database as read: its kind, name, bounds, coordinates and "
                     "user fields. Coordinates are the stored 32-bit floats as Python floats.")
      .def_readonly("recno", &Record::recno,
                    "Record number, 1-based (changes when an earlier record is deleted).")
      .def_property_readonly(
          "id", [](const Record& r) { return r.data.ItemID; }, "Item ID, unique and lasting.")
      .def_property_readonly(
          "kind", [](const Record& r) { return KindName(r.data.ItemType); },
          "\"Border\", \"Town\", \"City\", \"Lake\", \"River\", \"Road\", \"Route\", \"BLOB\" "
          "or \"Undefined\".")
      .def_property_readonly(
          "name", [](const Record& r) { return ToStr(r.data.Name); }, "The item's name.")
      .def_property_readonly(
          "bounds",
          [](const Record& r) {
            return py::make_tuple(r.data.LatLow, r.data.LongLow, r.data.LatHigh, r.data.LongHigh);
          },
          "Bounding box (lat_min, lon_min, lat_max, lon_max) in degrees.")
      .def_property_readonly("coords", &Coords,
                             "A town's (lat, lon); the list of (lat, lon) vertices of a "
                             "border, city, lake, river, road or route; None for a BLOB.")
      .def_property_readonly("vertices", &Vertices,
                             "The coordinates as a numpy array of shape (n, 2), float64 "
                             "(latitude, longitude); None for a BLOB. Needs numpy.")
      .def_property_readonly(
          "closed", [](const Record& r) { return r.data.Closed; }, "Whether a polygon is closed.")
      .def_property_readonly(
          "elements", [](const Record& r) { return r.data.NumElems; },
          "Vertices of a polygon, bytes of a BLOB, 0 for a town.")
      .def_property_readonly(
          "population", [](const Record& r) { return r.data.UserInt1; },
          "A town's population (the record's user_int1).")
      .def_property_readonly(
          "user_int1", [](const Record& r) { return r.data.UserInt1; }, "User field (int32).")
      .def_property_readonly(
          "user_int2", [](const Record& r) { return r.data.UserInt2; }, "User field (int32).")
      .def_property_readonly(
          "user_float", [](const Record& r) { return r.data.UserFloat; }, "User field (float32).")
      .def_property_readonly(
          "user_byte", [](const Record& r) { return r.data.UserByte; }, "User field (0..255).")
      .def_property_readonly(
          "date_time", [](const Record& r) { return r.data.DateTime; },
          "Date and time in days since 1899-12-30.")
      .def("__repr__", [](const Record& r) {
        return "Record(recno=" + std::to_string(r.recno) + ", id=" + std::to_string(r.data.ItemID) +
               ", kind='" + KindName(r.data.ItemType) +
               "', name=" + py::repr(ToStr(r.data.Name)).cast<std::string>() + ")";
      });

  py::class_<Iter>(sub, "RecordIterator", "An iterator over records of a database.")
      .def("__iter__", [](py::object self) { return self; })
      .def("__next__", [](Iter& it) {
        auto& owner = it.db.cast<Database&>();
        TGeoDB& db = owner.Db();
        for (;;) {
          int recno;
          if (it.all) {
            recno = static_cast<int>(it.next) + 1;
          } else {
            if (it.next >= it.recnos.size()) throw py::stop_iteration();
            recno = it.recnos[it.next];
          }
          ++it.next;
          if (recno > db.GetNumEntries()) {
            if (it.all) throw py::stop_iteration();
            continue;  // deleted meanwhile
          }
          return ReadRecord(db, recno);
        }
      });
}

}  // namespace tkz::python::geodb
