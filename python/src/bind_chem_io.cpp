// tkz.chem: molfiles and SD files, read record by record, and the search
// of a query over an SD file on every core.
#include <memory>
#include <string>
#include <vector>

#include "chem/sdrecords.h"
#include "chem/sdsearch.h"
#include "core/platform/stream.h"
#include "python/src/bind_chem.h"

namespace tkz::python {

namespace {

// What a reader does with a record that cannot be read.
enum class OnBad { None, Skip, Raise };

OnBad BadMode(const std::string& errors, bool allowNone) {
  if (errors == "none" && allowNone) return OnBad::None;
  if (errors == "skip") return OnBad::Skip;
  if (errors == "raise") return OnBad::Raise;
  throw py::value_error("errors must be " + std::string(allowNone ? "'none', " : "") +
                        "'skip' or 'raise', not '" + errors + "'");
}

// The records of an SD file (or a molfile, one record), read one at a time.
class SDReader {
 public:
  SDReader(const std::string& path, OnBad bad)
      : path_(path),
        file_(std::make_unique<TFileStream>(path, fmOpenRead | fmShareDenyWrite)),
        cutter_(std::make_unique<TSDRecordCutter>(*file_)),
        bad_(bad) {}

  // The next molecule; nullptr for an unreadable record (errors="none");
  // false at the end.
  bool Next(std::unique_ptr<ChemMolecule>& out) {
    for (;;) {
      if (!cutter_) return false;
      text_.clear();
      bool tooLong = false;
      if (!cutter_->AppendNext(text_, tooLong)) {
        Close();
        return false;
      }
      auto mol = std::make_unique<ChemMolecule>();
      TPropRec props;
      const bool ok =
          !tooLong && ReadSDRecordText(mol->tab, text_, props) && mol->tab.GetNAtoms() > 0;
      if (ok) {
        mol->data = SDDataItems(text_);
        out = std::move(mol);
        return true;
      }
      if (bad_ == OnBad::Raise) {
        throw EConvertError(path_ + ": record index " + std::to_string(Index()) + ": " +
                            (tooLong ? "longer than " + std::to_string(kMaxSDRecordBytes) + " bytes"
                                     : std::string(kUnreadable)));
      }
      if (bad_ == OnBad::None) {
        out.reset();
        return true;
      }
    }
  }
  // The 0-based index of the record read last; -1 before the first.
  long Index() const { return Count() - 1; }
  void Close() {
    if (cutter_) count_ = cutter_->Count();
    cutter_.reset();
    file_.reset();
  }
  bool Closed() const { return !cutter_; }
  long Count() const { return cutter_ ? cutter_->Count() : count_; }

 private:
  std::string path_;
  std::unique_ptr<TFileStream> file_;
  std::unique_ptr<TSDRecordCutter> cutter_;
  OnBad bad_;
  std::string text_;
  long count_ = 0;
};

std::unique_ptr<SDReader> OpenReader(py::handle path, const std::string& errors) {
  return std::make_unique<SDReader>(FromPath(path), BadMode(errors, true));
}

// The query of a search: a Molecule, or the first record of a molfile.
std::unique_ptr<ChemMolecule> QueryOf(py::handle query) {
  auto out = std::make_unique<ChemMolecule>();
  if (py::isinstance<ChemMolecule>(query)) {
    out->tab.CopyFrom(query.cast<const ChemMolecule&>().tab);
  } else {
    SDReader r(FromPath(query), OnBad::Raise);
    if (!r.Next(out)) throw EConvertError(FromPath(query) + ": no structure");
  }
  if (out->tab.GetNAtoms() == 0) throw EConvertError("the query has no atoms");
  return out;
}

}  // namespace

void BindChemFiles(py::module_& m) {
  py::class_<SDReader>(
      m, "SDReader",
      "The records of an SD file (a molfile is one record), read one at a time as the file "
      "is iterated, never the whole file. A context manager: leaving the block closes the "
      "file. errors says what an unreadable record (not a structure of 1 to 63 atoms that can "
      "be read whole, or longer than 1 MiB) gives: 'none' yields None in its place (as RDKit's "
      "suppliers do), 'skip' passes over it, 'raise' raises tkz.ConvertError naming its "
      "0-based index.")
      .def(py::init(&OpenReader), py::arg("path"), py::arg("errors") = "none",
           "Opens an SD file; tkz.InOutError when it cannot be opened.")
      .def(
          "__iter__", [](py::object self) { return self; }, "The reader itself.")
      .def(
          "__next__",
          [](SDReader& r) -> py::object {
            std::unique_ptr<ChemMolecule> mol;
            if (!r.Next(mol)) throw py::stop_iteration();
            if (!mol) return py::none();
            return py::cast(std::move(mol));
          },
          "The next record's Molecule (None for an unreadable one with errors='none').")
      .def(
          "__enter__", [](py::object self) { return self; }, "The reader itself.")
      .def(
          "__exit__", [](SDReader& r, py::args) { r.Close(); }, "Closes the file.")
      .def("close", &SDReader::Close, "Closes the file; iteration ends.")
      .def_property_readonly("closed", &SDReader::Closed, "Whether the file is closed.")
      .def_property_readonly("index", &SDReader::Index,
                             "The 0-based index of the record read last (-1 before the first).");

  m.def("read_sd", &OpenReader, py::arg("path"), py::arg("errors") = "none",
        "An SDReader over the records of an SD file: for mol in read_sd(path): ...");
  m.def(
      "read_molfile",
      [](py::handle path) {
        std::unique_ptr<ChemMolecule> mol;
        SDReader r(FromPath(path), OnBad::Raise);
        if (!r.Next(mol)) throw EConvertError(FromPath(path) + ": no structure");
        return mol;
      },
      py::arg("path"),
      "The molecule of a molfile (or the first record of an SD file); tkz.InOutError when "
      "the file cannot be opened, tkz.ConvertError when it cannot be read.");

  m.def(
      "search_file",
      [](py::handle path, py::handle query, bool checkBonds, py::object threads,
         const std::string& errors) -> py::object {
        const OnBad bad = BadMode(errors, false);
        // One query, or a list of them searched in one reading of the file.
        const bool many = py::isinstance<py::list>(query) || py::isinstance<py::tuple>(query);
        std::vector<std::unique_ptr<ChemMolecule>> owned;
        if (many) {
          for (const py::handle q : query) owned.push_back(QueryOf(q));
        } else {
          owned.push_back(QueryOf(query));
        }
        std::vector<const TCTab*> queries;
        for (const auto& q : owned) queries.push_back(&q->tab);
        TSDSearchOptions options;
        options.CheckBonds = checkBonds;
        if (!threads.is_none()) {
          options.Threads = threads.cast<int>();
          if (options.Threads < 1) throw py::value_error("threads must be at least 1");
        }
        const std::string file = FromPath(path);
        TFileStream in(file, fmOpenRead | fmShareDenyWrite);
        std::vector<std::vector<long>> hits(queries.size());
        long firstBad = 0;
        bool interrupted = false;
        if (!queries.empty()) {
          py::gil_scoped_release release;
          SearchSDStream(
              in, queries, options,
              [&](const std::vector<TSDSearchHit>& found, const std::vector<long>& unread) {
                for (const TSDSearchHit& h : found) {
                  hits[static_cast<size_t>(h.Query)].push_back(h.Record - 1);
                }
                if (!unread.empty() && bad == OnBad::Raise) {
                  firstBad = unread.front();
                  return false;
                }
                py::gil_scoped_acquire acquire;
                interrupted = PyErr_CheckSignals() != 0;
                return !interrupted;
              });
        }
        if (interrupted) throw py::error_already_set();
        if (firstBad != 0) {
          throw EConvertError(file + ": record index " + std::to_string(firstBad - 1) + ": " +
                              kUnreadable);
        }
        if (many) return py::cast(hits);
        return py::cast(hits.front());
      },
      py::arg("path"), py::arg("query"), py::kw_only(), py::arg("check_bonds") = true,
      py::arg("threads") = py::none(), py::arg("errors") = "skip",
      "The 0-based indices of the records of an SD file that contain query (a Molecule or a "
      "molfile's path), ascending, as Molecule.has_substructure finds them. A list of queries "
      "gives a list of such lists, one per query, from one reading of the file (each record "
      "is read and profiled once for all of them). The file is read once, as it comes, and "
      "searched on `threads` worker threads (default: every core) without the GIL; Ctrl+C "
      "stops it. errors='skip' passes over unreadable records, 'raise' raises "
      "tkz.ConvertError at the first.");
}

}  // namespace tkz::python
