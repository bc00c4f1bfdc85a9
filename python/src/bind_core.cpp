// tkz.core: checksums, codecs and the regular-expression matcher.
#include "core/dstruct/checksums.h"
#include "python/src/common.h"

namespace tkz::python {

void BindCore(py::module_& m) {
  py::module_ sub =
      m.def_submodule("core", "Checksums, Base64 and ASCII85, and TGrep regular expressions.");
  sub.def(
      "crc32",
      [](py::buffer data, uint32_t start) {
        py::buffer_info info = data.request();
        return CRC32Update(start, info.ptr, static_cast<size_t>(info.size * info.itemsize));
      },
      py::arg("data"), py::arg("start") = 0);
}

}  // namespace tkz::python
