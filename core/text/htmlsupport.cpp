#include "core/text/htmlsupport.h"

#include <algorithm>
#include <cstdint>

#include "core/platform/codepage.h"
#include "core/text/charcase.h"
#include "core/text/stringl.h"
#include "core/types/tkzbase.h"

namespace tkz {

namespace {

constexpr TCharSet kUrlReserved{std::string_view("!*'();:&=+$,/?%#[]@ ")};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Position of the first occurrence of an ASCII word at or after from, in any
// letter case, or npos.
size_t FindNoCase(std::string_view s, std::string_view word, size_t from = 0) {
  if (word.size() > s.size()) return std::string_view::npos;
  for (size_t i = from; i + word.size() <= s.size(); ++i) {
    size_t k = 0;
    while (k < word.size() && AsciiLowerChar(s[i + k]) == word[k]) ++k;
    if (k == word.size()) return i;
  }
  return std::string_view::npos;
}

size_t RFindNoCase(std::string_view s, std::string_view word) {
  if (word.size() > s.size()) return std::string_view::npos;
  for (size_t i = s.size() - word.size() + 1; i-- > 0;) {
    size_t k = 0;
    while (k < word.size() && AsciiLowerChar(s[i + k]) == word[k]) ++k;
    if (k == word.size()) return i;
  }
  return std::string_view::npos;
}

// The longest reference the entity functions know: "&#x" + 7 digits + ";".
constexpr size_t kMaxEntityLength = 11;
constexpr int kMaxEntityDigits = 7;

// The byte of a numeric reference's code point, or -1.
int ByteOfCodePoint(uint32_t cp) {
  if (cp == 0) return -1;
  // Codes 128 to 159 are read as Windows-1252 bytes, as browsers do.
  if (cp < 256) return static_cast<int>(cp);
  return Cp1252FromUnicode(static_cast<char32_t>(cp));
}

// The byte a whole reference "&...;" stands for, or -1.
int ResolveEntity(std::string_view e) {
  if (e.size() < 4 || e.size() > kMaxEntityLength || e.front() != '&' || e.back() != ';') return -1;
  const std::string_view body = e.substr(1, e.size() - 2);
  if (body[0] == '#') {
    std::string_view digits = body.substr(1);
    int base = 10;
    if (!digits.empty() && (digits[0] == 'x' || digits[0] == 'X')) {
      base = 16;
      digits.remove_prefix(1);
    }
    if (digits.empty() || digits.size() > kMaxEntityDigits) return -1;
    uint32_t cp = 0;
    for (char c : digits) {
      const int v = HexCharValue(c);
      if (v < 0 || v >= base) return -1;
      cp = cp * static_cast<uint32_t>(base) + static_cast<uint32_t>(v);
    }
    return ByteOfCodePoint(cp);
  }
  if (body == "amp") return '&';
  if (body == "lt") return '<';
  if (body == "gt") return '>';
  if (body == "quot") return '"';
  if (body == "apos") return '\'';
  for (int c = HTMLLat1Entities.Low; c <= HTMLLat1Entities.High; ++c)
    if (HTMLLat1Entities[c] == e) return c;
  return -1;
}

void AppendEntity(std::string& out, char c) {
  const auto b = static_cast<unsigned char>(c);
  switch (c) {
    case '&':
      out += "&amp;";
      return;
    case '<':
      out += "&lt;";
      return;
    case '>':
      out += "&gt;";
      return;
    case '"':
      out += "&quot;";
      return;
    default:
      break;
  }
  if (b >= HTMLLat1Entities.Low) {
    out += HTMLLat1Entities[b];
  } else if (b >= 0x80 && b <= 0x9F && Cp1252ToUnicode(b) != b) {
    out += "&#";
    out += std::to_string(static_cast<uint32_t>(Cp1252ToUnicode(b)));
    out += ';';
  } else {
    out += c;
  }
}

}  // namespace

// ------------------------------------------------------------------- URLs

std::string URLEncode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (kUrlReserved.Contains(c)) {
      const auto b = static_cast<unsigned char>(c);
      out += '%';
      out += kHexChars[b >> 4];
      out += kHexChars[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string URLDecode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexCharValue(s[i + 1]) >= 0 &&
        HexCharValue(s[i + 2]) >= 0) {
      out += static_cast<char>(HexCharValue(s[i + 1]) * 16 + HexCharValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string ExtractHTTPPath(std::string_view URL) {
  const size_t prefix = FindNoCase(URL, "http://");
  if (prefix != std::string_view::npos) URL.remove_prefix(prefix + 7);
  const size_t slash = URL.rfind('/');
  if (slash == std::string_view::npos) return "";
  return std::string(URL.substr(0, slash + 1));
}

// ------------------------------------------------------------ word counts

int CountWordsHTML(std::string_view s, bool SkipNumbers, bool& InTag) {
  int words = 0;
  size_t run = 0;
  bool digit_first = false;
  auto end_run = [&] {
    if (run >= 2 && !(SkipNumbers && digit_first) && words < INT32_MAX) ++words;
    run = 0;
  };
  for (char c : s) {
    if (c == '<') {
      end_run();
      InTag = true;
    } else if (InTag) {
      if (c == '>') InTag = false;
    } else if (WordSeps.Contains(c)) {
      end_run();
    } else {
      if (run == 0) digit_first = c >= '0' && c <= '9';
      ++run;
    }
  }
  return words;
}

// --------------------------------------------------- character references

std::string AnsiToHTMLEntity(char c) {
  std::string out;
  AppendEntity(out, c);
  return out;
}

std::string HTMLEntityToAnsi(std::string_view Entity) {
  const int b = ResolveEntity(Entity);
  if (b < 0) return std::string(Entity);
  return std::string(1, static_cast<char>(b));
}

std::string MakeStringHTMLCompatible(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) AppendEntity(out, c);
  return out;
}

std::string ResolveHTMLEntities(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == '&') {
      const size_t limit = std::min(s.size(), i + kMaxEntityLength);
      size_t j = i + 1;
      while (j < limit && s[j] != ';' && s[j] != '&') ++j;
      if (j < limit && s[j] == ';') {
        const int b = ResolveEntity(s.substr(i, j - i + 1));
        if (b >= 0) {
          out += static_cast<char>(b);
          i = j + 1;
          continue;
        }
      }
    }
    out += s[i++];
  }
  return out;
}

// ------------------------------------------------------------ page frames

std::string DefaultHTMLHead(std::string_view Title, std::string_view Author,
                            std::string_view Keywords, std::string_view BodyAttributes,
                            bool OpenBody) {
  std::string out =
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
      "<html>\n"
      "<head>\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\n"
      "<title>";
  out += MakeStringHTMLCompatible(Title);
  out += "</title>\n";
  if (!Author.empty()) {
    out += "<meta name=\"author\" content=\"";
    out += MakeStringHTMLCompatible(Author);
    out += "\">\n";
  }
  if (!Keywords.empty()) {
    out += "<meta name=\"keywords\" content=\"";
    out += MakeStringHTMLCompatible(Keywords);
    out += "\">\n";
  }
  out += "</head>\n";
  if (OpenBody) {
    out += "<body";
    if (!BodyAttributes.empty()) {
      out += ' ';
      out += BodyAttributes;
    }
    out += ">\n";
  }
  return out;
}

std::string DefaultHTMLFoot(bool CloseBody) {
  return CloseBody ? "</body>\n</html>\n" : "</html>\n";
}

std::string ExtractHTMLBody(std::string_view s) {
  size_t from = 0, open = std::string_view::npos;
  while ((open = FindNoCase(s, "<body", from)) != std::string_view::npos) {
    const size_t after = open + 5;
    if (after >= s.size() || s[after] == '>' || IsSpace(s[after])) break;
    from = open + 1;
  }
  if (open == std::string_view::npos) return std::string(s);
  const size_t gt = s.find('>', open);
  if (gt == std::string_view::npos) return "";
  const std::string_view rest = s.substr(gt + 1);
  const size_t close = RFindNoCase(rest, "</body>");
  return std::string(close == std::string_view::npos ? rest : rest.substr(0, close));
}

namespace {

// Lower-case name of the tag starting at s[i] == '<' ("/p" for "</p>").
std::string TagNameAt(std::string_view s, size_t i) {
  std::string name;
  size_t j = i + 1;
  if (j < s.size() && s[j] == '/') name += s[j++];
  while (j < s.size() && name.size() < 16 && (IsAsciiLetter(s[j]) || (s[j] >= '0' && s[j] <= '9')))
    name += AsciiLowerChar(s[j++]);
  return name;
}

bool IsBreakingTag(std::string_view name) {
  static constexpr std::string_view kOpen[] = {"br",    "p",  "div", "li",         "tr", "hr",
                                               "h1",    "h2", "h3",  "h4",         "h5", "h6",
                                               "table", "ul", "ol",  "blockquote", "pre"};
  const bool closing = !name.empty() && name[0] == '/';
  if (closing) name.remove_prefix(1);
  if (closing && (name == "br" || name == "hr")) return false;
  return std::find(std::begin(kOpen), std::end(kOpen), name) != std::end(kOpen);
}

}  // namespace

std::string ConvertHTMLBodyToText(std::string_view s, char LineBreak) {
  const std::string body = ExtractHTMLBody(s);
  const std::string_view b = body;
  std::string text;
  text.reserve(b.size());
  bool pending_space = false;
  auto put = [&](char c) {
    if (pending_space && !text.empty() && text.back() != ' ' && text.back() != LineBreak)
      text += ' ';
    pending_space = false;
    text += c;
  };
  size_t i = 0;
  while (i < b.size()) {
    const char c = b[i];
    if (c == '<' && i + 1 < b.size() &&
        (IsAsciiLetter(b[i + 1]) || b[i + 1] == '/' || b[i + 1] == '!' || b[i + 1] == '?')) {
      if (b.compare(i, 4, "<!--") == 0) {
        const size_t end = b.find("-->", i + 4);
        i = end == std::string_view::npos ? b.size() : end + 3;
        continue;
      }
      const std::string name = TagNameAt(b, i);
      const size_t gt = b.find('>', i);
      i = gt == std::string_view::npos ? b.size() : gt + 1;
      if (name == "script" || name == "style") {
        const size_t end = FindNoCase(b, "</" + name, i);
        if (end == std::string_view::npos) {
          i = b.size();
        } else {
          const size_t egt = b.find('>', end);
          i = egt == std::string_view::npos ? b.size() : egt + 1;
        }
        continue;
      }
      if (LineBreak != '\0' && IsBreakingTag(name)) {
        pending_space = false;
        text += LineBreak;
      }
      continue;
    }
    if (IsSpace(c)) {
      pending_space = true;
    } else {
      put(c);
    }
    ++i;
  }
  return ResolveHTMLEntities(text);
}

// ---------------------------------------------------------- THtmlProducer

THtmlProducer::THtmlProducer(TComponent* AOwner) : TComponent(AOwner) {}

THtmlProducer::~THtmlProducer() = default;

void THtmlProducer::SetTemplate(std::string_view Template) { template_.assign(Template); }

void THtmlProducer::ReadTemplateFromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  ReadTemplateFromStream(&f);
}

void THtmlProducer::ReadTemplateFromStream(TStream* Stream) {
  std::string t;
  if (Stream != nullptr) {
    char buf[65536];
    int64_t n;
    while ((n = Stream->Read(buf, sizeof buf)) > 0) t.append(buf, static_cast<size_t>(n));
  }
  template_ = std::move(t);
}

std::string THtmlProducer::Convert() {
  // The handler may replace the template; scan a copy of it.
  const std::string tpl = template_;
  const std::string_view t = tpl;
  std::string result;
  result.reserve(t.size());
  pos_ = 0;
  while (pos_ < t.size()) {
    const size_t lt = t.find('<', pos_);
    if (lt == std::string_view::npos || lt + 1 >= t.size()) {
      result.append(t.substr(pos_));
      break;
    }
    if (t[lt + 1] != '#') {
      result.append(t.substr(pos_, lt + 1 - pos_));
      pos_ = lt + 1;
      continue;
    }
    result.append(t.substr(pos_, lt - pos_));
    const size_t gt = t.find('>', lt);
    const size_t end = gt == std::string_view::npos ? t.size() : gt;  // ">" or end of template
    const std::string_view inner = t.substr(lt + 2, end - lt - 2);
    const size_t blank = inner.find(' ');
    std::string name = AnsiLowerCase(inner.substr(0, blank));
    std::string params =
        blank == std::string_view::npos ? std::string() : StripLTBlanks(inner.substr(blank + 1));
    std::string replacement(t.substr(lt, gt == std::string_view::npos ? end - lt : end - lt + 1));
    if (OnHTMLTag) OnHTMLTag(this, name, params, replacement);
    result += replacement;
    pos_ = gt == std::string_view::npos ? t.size() : gt + 1;
  }
  converted_ = std::move(result);
  return converted_;
}

TMemoryStream* THtmlProducer::ConvertedHTMLAsStream() {
  auto s = std::make_unique<TMemoryStream>();
  s->WriteBuffer(converted_.data(), static_cast<int64_t>(converted_.size()));
  s->SetPosition(0);
  stream_ = std::move(s);
  return stream_.get();
}

void THtmlProducer::WriteConvertedHTMLToFile(const std::string& FileName) {
  TMemoryStream m;
  m.WriteBuffer(converted_.data(), static_cast<int64_t>(converted_.size()));
  m.SaveToFile(FileName);
}

}  // namespace tkz
