// Random bytes as a settings file, read into a TAssocArray with an empty Id
// and with a named one: never a crash, a hang or a sanitizer report. A file
// without the element leaves the array as it was; whatever was read
// survives being written and read back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <variant>

#include "core/dstruct/containers.h"
#include "fuzz/temp_file.h"

namespace {

bool ReadFile(tkz::TAssocArray& a, const char* name, const std::string& id) {
  tkz::TTextFile f;
  f.AssignFile(name);
  f.Reset();
  const bool ok = a.ReadFromXMLStream(f, id);
  f.CloseFile();
  return ok;
}

double AsDouble(const tkz::TVariant& v) {
  return std::visit(
      [](const auto& x) -> double {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_floating_point_v<T>) return static_cast<double>(x);
        if constexpr (std::is_same_v<T, tkz::TVarDate>) return x.Value;
        return 0;
      },
      v.Get());
}

void CheckSame(const tkz::TAssocArray& a, const tkz::TAssocArray& b) {
  if (a.GetNumEntries() != b.GetNumEntries() || a.GetDataID() != b.GetDataID() ||
      a.GetIgnoreCase() != b.GetIgnoreCase())
    std::abort();
  for (int i = 1; i <= a.GetNumEntries(); ++i) {
    if (a.GetKeys(i) != b.GetKeys(i)) std::abort();
    const tkz::TVariant va = a.GetValues(i), vb = b.GetValues(i);
    if (va.VarType() != vb.VarType()) std::abort();
    const auto t = va.VarType();
    if (t == tkz::varSingle || t == tkz::varDouble || t == tkz::varDate) {
      const double x = AsDouble(va), y = AsDouble(vb);
      if (std::fabs(x - y) > 1e-6 * std::fabs(x) + 1e-300) std::abort();
    } else if (va.Get() != vb.Get()) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tkz::fuzzing::TempFile in("assocarray_in"), out("assocarray_out");
  in.Write(data, size);
  for (const char* id : {"", "main"}) {
    tkz::TAssocArray a;
    a.Add("sentinel", 1);
    ReadFile(a, in.Name().c_str(), id);
    if (a.GetNumEntries() == 1 && a.GetKeys(1) == "sentinel") continue;  // not found
    {
      tkz::TTextFile f;
      f.AssignFile(out.Name());
      f.Rewrite();
      a.WriteToXMLStream(f, true, "again");
      f.CloseFile();
    }
    tkz::TAssocArray b;
    if (!ReadFile(b, out.Name().c_str(), "again")) std::abort();
    CheckSame(a, b);
  }
  return 0;
}
