// tkz.geo
#include "python/src/common.h"

namespace tkz::python {

void BindGeo(py::module_& m) {
  py::module_ sub = m.def_submodule("geo", "Geodesy on the ellipsoid: UTM, UPS, datum shifts.");
}

}  // namespace tkz::python
