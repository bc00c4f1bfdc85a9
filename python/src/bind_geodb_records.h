// tkz.geodb: the Database object and the Record objects it hands out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "geo/geodb.h"
#include "python/src/common.h"

namespace tkz::python::geodb {

// A database held by Python. Closing drops the TGeoDB (which writes pending
// lazy indexes and releases the lock); every use afterwards raises
// ValueError, as a closed Python file does.
class Database {
 public:
  explicit Database(std::unique_ptr<TGeoDB> db) : db_(std::move(db)) {}
  TGeoDB& Db() const;
  bool Closed() const { return db_ == nullptr; }
  void Close() { db_.reset(); }

 private:
  std::unique_ptr<TGeoDB> db_;
};

// One record as read: its summary, and the vertices of a polygon kind.
struct Record {
  int recno = 0;
  TgdbData data;
  std::vector<TSCoords> vertices;
  bool has_vertices = false;  // a polygon kind whose payload was readable
};

bool IsPolygonKind(TgdbItem kind);
// Record recno (1..NumEntries) of the database, with its vertices.
Record ReadRecord(TGeoDB& db, int recno);
// A kind by name ("town", "Border", ...: any letter case); ValueError
// otherwise.
TgdbItem KindArg(py::handle kind);

// Adds Record and the record iterator classes to the submodule.
void BindRecords(py::module_& sub);
// An iterator over the given record numbers (all: every record, also those
// added while iterating) of the database object db.
py::object RecordIterator(py::object db, std::vector<int> recnos, bool all);

}  // namespace tkz::python::geodb
