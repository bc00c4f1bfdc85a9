// tkz.maps
#include "python/src/common.h"

namespace tkz::python {

void BindMaps(py::module_& m) {
  py::module_ sub =
      m.def_submodule("maps", "Calibrated maps: pixel and geographic coordinates, drawing.");
}

}  // namespace tkz::python
