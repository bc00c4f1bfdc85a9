// Arbitrary bytes through the chemical-name dictionary. Beyond "no crash, no
// sanitizer report" it checks that expanding never grows a text more than a
// fragment a byte, that compressing at most doubles it (the escapes), and
// that every text comes back from compression as its lower-case form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "chem/cdata.h"
#include "core/text/charcase.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view s(reinterpret_cast<const char*>(data), size);

  Check(tkz::DeCompressChemName(s).size() <= 7 * s.size());

  const std::string compressed = tkz::CompressChemName(s);
  Check(compressed.size() <= 2 * s.size());
  Check(tkz::DeCompressChemName(compressed) == tkz::AnsiLowerCase(s));
  return 0;
}
