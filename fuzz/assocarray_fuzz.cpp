// Random bytes as a settings file, read into a TAssocArray with an empty Id
// and with a named one: never a crash, a hang or a sanitizer report. A file
// without the element leaves the array as it was; whatever was read
// survives being written and read back.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <variant>

#include "core/dstruct/containers.h"

namespace {

char in_name[] = "/tmp/tkz_assocarray_fuzz_in_XXXXXX";
char out_name[] = "/tmp/tkz_assocarray_fuzz_out_XXXXXX";

void MakeTemp(char* name) {
  const int fd = ::mkstemp(name);
  if (fd < 0) std::abort();
  ::close(fd);
}

void Init() {
  static const bool made = [] {
    MakeTemp(in_name);
    MakeTemp(out_name);
    std::atexit([] {
      ::unlink(in_name);
      ::unlink(out_name);
    });
    return true;
  }();
  (void)made;
}

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
  Init();
  {
    std::ofstream out(in_name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  for (const char* id : {"", "main"}) {
    tkz::TAssocArray a;
    a.Add("sentinel", 1);
    ReadFile(a, in_name, id);
    if (a.GetNumEntries() == 1 && a.GetKeys(1) == "sentinel") continue;  // not found
    {
      tkz::TTextFile f;
      f.AssignFile(out_name);
      f.Rewrite();
      a.WriteToXMLStream(f, true, "again");
      f.CloseFile();
    }
    tkz::TAssocArray b;
    if (!ReadFile(b, out_name, "again")) std::abort();
    CheckSame(a, b);
  }
  return 0;
}
