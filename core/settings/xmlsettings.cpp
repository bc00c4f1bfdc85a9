#include "core/settings/xmlsettings.h"

#include "core/settings/xmlsettings_internal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/platform/stream.h"
#include "core/text/charcase.h"
#include "core/text/streams.h"
#include "core/text/stringl.h"
#include "core/types/univconst.h"

namespace tkz {

const std::array<std::string, 3> xmlAlignment = {"taLeftJustify", "taRightJustify", "taCenter"};
const std::array<std::string, 3> xmlVerticalAlignment = {"vaTop", "vaCenter", "vaBottom"};
const std::array<std::string, 3> xmlBkgFill = {"bfSimple", "bfStretch", "bfTile"};
const std::array<std::string, 3> xmlBoundingBox = {"bbNone", "bbFrame", "bbFaces"};
const std::array<std::string, 2> xmlColorScheme = {"csBWG", "csSystem"};
const std::array<std::string, 5> xmlFigType = {"ftNoFigs", "ftNum", "ftTime", "ftDateTime",
                                               "ftUserText"};
const std::array<std::string, 4> xmlScaleType = {"sctXB", "sctXT", "sctYL", "sctYR"};
const std::array<std::string, 3> xmlYearLength = {"ylNone", "ylYY", "ylYYYY"};
const std::array<std::string, 3> xmlDateOrder = {"doMMDDYY", "doDDMMYY", "doYYMMDD"};
const std::array<std::string, 4> xmlDateForTime = {"dtNone", "dtOnePerChart", "dtOnePerDay",
                                                   "dtAllTicks"};
const std::array<std::string, 2> xmlShadowStyle = {"ssFlying", "ssBox"};
const std::array<std::string, 6> xmlFrameStyle = {"fsNone",   "fsSimple",   "fsLowered",
                                                  "fsRaised", "fsEmbossed", "fsEngraved"};
const std::array<std::string, 3> xmlTimeFormat = {"tfHHMMSS", "tfHHhMM", "tfAMPM"};
const std::array<std::string, 4> xmlDirection = {"dirUpward", "dirDownward", "dirLeftward",
                                                 "dirRightward"};
const std::array<std::string, 5> xmlLanguage = {"lgUnknown", "lgEnglish", "lgGerman", "lgFrench",
                                                "lgSpanish"};
const std::array<std::string, 7> xmlVarKind = {"rnum", "dnum", "snum", "inum",
                                               "lnum", "bool", "strg"};
const std::array<std::string, 4> xmlMouseBoxState = {"msNormal", "msFirstCorner", "msRectDraw",
                                                     "msFinished"};
const std::array<std::string, 19> xmlMouseActMode = {
    "maNone",       "maPan",        "maPanHoriz",   "maPanVert",      "maPanGrid",
    "maRubberBand", "maZoom",       "maZoomWind",   "maZoomWindPos",  "maZoomDrag",
    "maDragCrossH", "maDragLabel",  "maRotate",     "maRotAndZoom",   "maRotXOnly",
    "maRotZOnly",   "maSelectRect", "maDrawMTrace", "maZoomPanColors"};
const std::array<std::string, 2> xmlZoomState = {"zsNormal", "zsDrawWin"};
const std::array<std::string, 6> xmlCrossHMode = {"chOff",  "chHoriz",    "chVert",
                                                  "chBoth", "chCrossBox", "chBox"};
const std::array<std::string, 5> xmlTxtLblMode = {"tlOff", "tlsimple", "tlBox", "tlUnderline",
                                                  "tlShadow"};
const std::array<std::string, 4> xmlTxtLblAttachMode = {"tlamNone", "tlamXOnly", "tlamYOnly",
                                                        "tlamBoth"};
const std::array<std::string, 4> xmlFontStyle = {"fsBold", "fsItalic", "fsUnderline",
                                                 "fsStrikeOut"};

// ------------------------------------------------------------- codecs
std::string XMLColorStr(TColor c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "$%06X", static_cast<unsigned>(c) & 0xFFFFFFu);
  return buf;
}

TColor XMLStrToColor(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i < s.size() && s[i] == '$') ++i;  // one "$", first after the blanks
  uint32_t v = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    const int d = HexCharValue(c);
    if (d < 0) break;
    v = (v << 4) | static_cast<uint32_t>(d);  // wraps like a 32-bit register
  }
  return static_cast<TColor>(v);
}

int32_t XMLStrToInt(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
    v = std::min<int64_t>(v * 10 + (s[i] - '0'), int64_t{INT32_MAX} + 1);
  if (negative) v = -v;
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

std::string XMLBoolStr(bool b) { return BoolToStr(b, 3); }

bool XMLStrToBool(std::string_view s) { return XMLStrToInt(s) == 1; }

std::string XMLFloatStr(double x) { return strff(x, 12, -1); }

double XMLStrToFloat(std::string_view s) {
  TStringStream stream{std::string(s)};
  const long double v = ScanStreamFPNum(&stream, true, 3);
  if (std::isnan(v)) return 0;
  return static_cast<double>(std::clamp<long double>(v, -uc_MaxDouble, uc_MaxDouble));
}

// ------------------------------------------------------------- frame
std::string XMLIndent(int Indent) { return std::string(std::clamp(Indent, 1, 255), ' '); }

void WriteXMLFrameStart(TTextFile& f, bool WriteXMLHeader, const std::string& What,
                        const std::string& Element, const std::string& Id, int Indent,
                        const std::string& ExtraAttributes) {
  const std::string in = XMLIndent(Indent);
  if (WriteXMLHeader) f.WriteLn(in + "<?xml version=\"1.0\"?>");
  f.WriteLn("");
  f.WriteLn(in + "<!-- " + What + " / TKZ Component Suite -->");
  f.WriteLn(in + "<" + Element + " sig=\"Quorvatin\" vers=\"1.0\" id=\"" + Id + "\"" +
            ExtraAttributes + ">");
}

void WriteXMLFrameEnd(TTextFile& f, const std::string& Element, int Indent) {
  f.WriteLn(XMLIndent(Indent) + "</" + Element + ">");
}

bool FindXMLElement(TTextFile& f, const std::string& Element, const std::string& Id,
                    std::string* OpeningLine) {
  std::string open = "<";  // appended, not "<" + ...: GCC 12 warns falsely there
  open += AnsiLowerCase(Element);
  const std::string wanted = AnsiLowerCase(StripLTBlanks(Id));
  std::string raw;
  while (!f.Eof()) {
    f.ReadLn(raw);
    const std::string line = AnsiLowerCase(raw);
    if (line.find(open) == std::string::npos || line.find("quorvatin") == std::string::npos)
      continue;
    bool found = wanted.empty();
    if (!found) {
      const size_t p = line.find("id=\"");
      if (p == std::string::npos) continue;
      const size_t q = line.find('"', p + 4);
      const std::string value =
          line.substr(p + 4, q == std::string::npos ? std::string::npos : q - p - 4);
      found = StripLTBlanks(value) == wanted;
    }
    if (found) {
      if (OpeningLine) *OpeningLine = raw;
      return true;
    }
  }
  return false;
}

namespace {

// The longest tag or contents a reader keeps; longer text is read past.
constexpr size_t kMaxTagText = 1 << 20;

// Reads characters up to and including c into out (kept up to kMaxTagText);
// false when the file ends first.
bool ReadThrough(TTextFile& f, char c, std::string& out) {
  out.clear();
  while (!f.Eof()) {
    char ch;
    f.Read(ch);
    if (out.size() < kMaxTagText) out += ch;
    if (ch == c) return true;
  }
  return false;
}

// True when s holds a "<" that may open a tag: one followed by a letter,
// "/", "!" or "?". A "<" before a blank or a digit ("a < b", "<->") is text.
bool HoldsTagStart(std::string_view s) {
  for (size_t i = s.find('<'); i != std::string_view::npos && i + 1 < s.size();
       i = s.find('<', i + 1)) {
    const char c = s[i + 1];
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '/' || c == '!' || c == '?')
      return true;
  }
  return false;
}

}  // namespace

bool ReadXMLChildTag(TTextFile& f, std::string& Name, std::string& Attributes,
                     std::string& Contents, std::string_view TextElement) {
  Name.clear();
  Attributes.clear();
  Contents.clear();
  std::string skipped, tag;
  if (!ReadThrough(f, '<', skipped)) return false;
  if (!ReadThrough(f, '>', tag)) return false;
  const size_t blank = tag.find(' ');
  const size_t selfClose = tag.find("/>");
  if (selfClose != std::string::npos) {
    if (blank != std::string::npos && blank < selfClose)
      Attributes = StripLTBlanks(tag.substr(blank + 1, selfClose - blank - 1));
    Name = tag.substr(0, std::min(blank, selfClose));
  } else {
    if (blank != std::string::npos) {
      Attributes = tag.substr(blank + 1, tag.size() - blank - 2);
      Name = tag.substr(0, blank);
    } else {
      Name = tag.substr(0, tag.size() - 1);
    }
    // The contents run up to the next ">"; they end before the first "</".
    // The text element is written unescaped, so there a ">" met before
    // anything that may open a tag belongs to the text ("T > 300 K",
    // "a <-> b") and reading goes on to the next ">". A closing tag has no
    // contents to read, nor has a comment or declaration ("<!-- ... -->"),
    // which would otherwise swallow the tag after it.
    if (Name.empty() || (Name[0] != '/' && Name[0] != '!')) {
      const bool text = !TextElement.empty() && AnsiLowerCase(Name) == TextElement;
      std::string rest, piece;
      for (bool more = true; more;) {
        more = ReadThrough(f, '>', piece);  // false: the file ended in piece
        if (rest.size() < kMaxTagText) rest += piece;
        if (!text || HoldsTagStart(piece)) break;
      }
      const size_t end = rest.find("</");
      Contents = end != std::string::npos ? rest.substr(0, end)
                                          : rest.substr(0, rest.empty() ? 0 : rest.size() - 1);
    }
  }
  Name = AnsiLowerCase(Name);
  return true;
}

// ------------------------------------------------------ character references

namespace {
std::string EscapeXML(std::string_view s, bool Quotes) {
  std::string out;
  out.reserve(s.size());
  for (const char ch : s) {
    const auto u = static_cast<unsigned char>(ch);
    if (ch == '&')
      out += "&amp;";
    else if (ch == '<')
      out += "&lt;";
    else if (ch == '>')
      out += "&gt;";
    else if (ch == '"' && Quotes)
      out += "&quot;";
    else if (u < 32 || u == 127)
      out += "&#" + std::to_string(u) + ";";
    else
      out += ch;
  }
  return out;
}

}  // namespace

std::string EscapeXMLText(std::string_view s) { return EscapeXML(s, false); }
std::string EscapeXMLAttribute(std::string_view s) { return EscapeXML(s, true); }

std::string UnescapeXMLText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const size_t semi = s[i] == '&' ? s.find(';', i) : std::string_view::npos;
    int code = -1;
    if (semi != std::string_view::npos && semi - i <= 6) {
      const std::string_view ent = s.substr(i + 1, semi - i - 1);
      if (ent == "amp") {
        code = '&';
      } else if (ent == "lt") {
        code = '<';
      } else if (ent == "gt") {
        code = '>';
      } else if (ent == "quot") {
        code = '"';
      } else if (ent.size() >= 2 && ent[0] == '#') {
        int v = 0;
        const auto r = std::from_chars(ent.data() + 1, ent.data() + ent.size(), v);
        if (r.ec == std::errc() && r.ptr == ent.data() + ent.size() && ent[1] != '-' && v <= 255)
          code = v;
      }
    }
    if (code < 0) {
      out += s[i];
    } else {
      out += static_cast<char>(code);
      i = semi;
    }
  }
  return out;
}

}  // namespace tkz
