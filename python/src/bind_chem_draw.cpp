// tkz.chem: molecules drawn by the structure display (TChemGraph) into a
// picture file or a numpy array.
#include <pybind11/numpy.h>

#include <memory>
#include <string>

#include "chem/chemgrph.h"
#include "core/platform/imagefile.h"
#include "python/src/bind_chem.h"

namespace tkz::python {

namespace {

constexpr int kMaxSide = 8192;

TCGDispMode ModeByName(const std::string& name) {
  if (name == "skeleton") return dmSkeleton;
  if (name == "hetero") return dmHeteroOnly;
  if (name == "all") return dmAllAtoms;
  if (name == "numbers") return dmNumbers;
  throw py::value_error("labels must be 'skeleton', 'hetero', 'all' or 'numbers', not '" + name +
                        "'");
}

// The molecule drawn as the tool's "mol render" draws it: white, no frame.
std::unique_ptr<TBitmap> Draw(const ChemMolecule& mol, py::handle size, const std::string& labels) {
  const auto wh = size.cast<std::pair<int, int>>();
  const int w = wh.first, h = wh.second;
  if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) {
    throw py::value_error("invalid size " + std::to_string(w) + " x " + std::to_string(h) +
                          " (each side 1 to " + std::to_string(kMaxSide) + ")");
  }
  const TCGDispMode mode = ModeByName(labels);
  TChemGraph graph;
  graph.SetSuppressPaint(true);
  graph.GetStructure()->CopyFrom(mol.tab);
  graph.SetBounds(0, 0, w, h);
  graph.SetColorBakG(clWhite);
  graph.SetFrameStyle(fsNone);
  graph.SetDispMode(mode);
  graph.SetSuppressPaint(false);
  return TakeScreenshot(&graph);
}

}  // namespace

void BindChemDrawing(py::class_<ChemMolecule>& cls) {
  cls.def(
         "render",
         [](const ChemMolecule& mol, py::handle path, py::handle size, const std::string& labels) {
           const std::unique_ptr<TBitmap> picture = Draw(mol, size, labels);
           SaveBitmapToFile(*picture, FromPath(path));
         },
         py::arg("path"), py::kw_only(), py::arg("size") = py::make_tuple(400, 300),
         py::arg("labels") = "hetero",
         "Draws the structure into a picture file of size (width, height) pixels, PNG, BMP or "
         "JPEG by the extension. labels: 'skeleton' (lone and charged atoms only), 'hetero' "
         "(atoms other than carbon), 'all' or 'numbers'.")
      .def(
          "to_array",
          [](const ChemMolecule& mol, py::handle size, const std::string& labels) {
            const std::unique_ptr<TBitmap> picture = Draw(mol, size, labels);
            const int w = picture->GetWidth(), h = picture->GetHeight();
            py::array_t<uint8_t> out({h, w, 3});
            uint8_t* p = out.mutable_data();
            for (int y = 0; y < h; ++y) {
              const uint32_t* row = picture->ScanLine(y);
              for (int x = 0; x < w; ++x) {
                const uint32_t c = row[x];  // 0x00BBGGRR
                *p++ = static_cast<uint8_t>(c);
                *p++ = static_cast<uint8_t>(c >> 8);
                *p++ = static_cast<uint8_t>(c >> 16);
              }
            }
            return out;
          },
          py::arg("size") = py::make_tuple(400, 300), py::kw_only(), py::arg("labels") = "hetero",
          "The drawing as render makes it, as a numpy uint8 array of shape (height, width, 3), "
          "RGB.");
}

}  // namespace tkz::python
