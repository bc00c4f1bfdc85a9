// Random bytes through the URL and character-reference decoders of the HTML
// support. Beyond "no crash, no sanitizer report" it checks that decoding
// never grows the text and that encoding and decoding round-trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/text/htmlsupport.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string s(reinterpret_cast<const char*>(data), size);

  const std::string decoded = tkz::URLDecode(s);
  Check(decoded.size() <= s.size());
  Check(tkz::URLDecode(tkz::URLEncode(s)) == s);
  const std::string encoded = tkz::URLEncode(s);
  Check(encoded.size() <= 3 * s.size());

  const std::string path = tkz::ExtractHTTPPath(s);
  Check(path.size() <= s.size());
  Check(path.empty() || path.back() == '/');

  const std::string resolved = tkz::ResolveHTMLEntities(s);
  Check(resolved.size() <= s.size());
  Check(tkz::ResolveHTMLEntities(tkz::MakeStringHTMLCompatible(s)) == s);
  Check(tkz::HTMLEntityToAnsi(s).size() <= s.size());

  bool in_tag = (size & 1) != 0;
  Check(tkz::CountWordsHTML(s, (size & 2) != 0, in_tag) <= static_cast<int>(s.size() / 2));

  Check(tkz::ExtractHTMLBody(s).size() <= s.size());
  Check(tkz::ConvertHTMLBodyToText(s, '\n').size() <= s.size());
  return 0;
}
