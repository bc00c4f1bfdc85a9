// Arbitrary templates through THtmlProducer::Convert with several tag
// handlers. The first input byte picks the handler; the rest is the template.
// Checks: a handler that keeps the replacement reproduces the template, tag
// names and parameters have the documented shape, and the kept result, the
// stream copy and the returned text agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/text/htmlsupport.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool HasAsciiUpper(const std::string& s) {
  for (char c : s)
    if (c >= 'A' && c <= 'Z') return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  const std::string tpl(reinterpret_cast<const char*>(data + 1), size - 1);

  tkz::THtmlProducer p;
  p.SetTemplate(tpl);
  size_t calls = 0, kept_bytes = 0;
  if (mode % 4 != 0) {
    p.OnHTMLTag = [&](tkz::TObject* sender, const std::string& name, const std::string& params,
                      std::string& repl) {
      Check(sender == &p);
      ++calls;
      Check(repl.size() >= 2 && repl.compare(0, 2, "<#") == 0);
      Check(name.find(' ') == std::string::npos && name.find('>') == std::string::npos);
      Check(!HasAsciiUpper(name));
      Check(params.find('>') == std::string::npos);
      Check(params.empty() || (params.front() != ' ' && params.back() != ' '));
      Check(name.size() + params.size() + 2 <= repl.size());
      switch (mode % 4) {
        case 1:
          kept_bytes += repl.size();
          break;  // keep the tag
        case 2:
          repl = "[" + name + "|" + params + "]";
          break;
        case 3:
          repl.clear();
          p.SetTemplate("the handler changed the template");
          break;
      }
    };
  }
  const std::string out = p.Convert();
  Check(out == p.GetConvertedHTML());
  if (mode % 4 <= 1) Check(out == tpl);
  if (mode % 4 == 3) Check(out.size() <= tpl.size());
  if (mode % 4 != 0) Check(calls <= tpl.size() / 2);
  if (mode % 4 == 1) Check(kept_bytes <= tpl.size());

  tkz::TMemoryStream* s = p.ConvertedHTMLAsStream();
  Check(s->GetPosition() == 0);
  Check(std::string(s->Memory(), static_cast<size_t>(s->GetSize())) == out);
  return 0;
}
