// TGeoMap: the landmark file, and the attribute codec it shares with the
// symbol file.
//
// Layout (one landmark a line; attribute values escaped with the suite's
// character references):
//   <?xml version="1.0"?>                                  (SaveLandmarks)
//   (an empty line)                                        (SaveLandmarks)
//   <gmlandmarks sig="Quorvatin" vers="1.0" id="ID">
//     <landmark lat=".." long=".." alti=".." class=".." ... date="yyyymmddHHMMSS" />
//   </gmlandmarks>
//
// Exact round trip: lat, long and alti are written in the shortest text that
// reads back to the same double. The date attribute holds whole seconds;
// when the time stamp has a fraction of a second (or lies outside the years
// 1 to 9999), the exact value follows in the attribute datetime (days since
// 1899-12-30). The reader takes datetime only when the date beside it is
// the one written for it, so a date changed by hand wins, and readers that
// know only date still get the time to the second.
#include <charconv>
#include <chrono>
#include <cmath>

#include "core/dstruct/featmat.h"
#include "core/numkit/math1.h"
#include "core/settings/xmlsettings.h"
#include "core/text/charcase.h"
#include "core/text/streams.h"
#include "core/text/stringl.h"
#include "geo/geomap.h"
#include "geo/geomap_internal.h"
#include "geo/geomap_lmcodec_internal.h"

namespace tkz {

namespace geomap_internal {

std::string LMFloatStr(double x) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, r.ptr);
}

double LMStrToFloat(std::string_view s, double Fallback) {
  if (s.find_first_not_of(' ') == std::string_view::npos) return Fallback;
  // Our own files hold the shortest text, read exactly; other writers may
  // use "," or blanks, which the suite's scanner takes.
  double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v)) return v;
  return XMLStrToFloat(s);
}

int32_t LMStrToInt(std::string_view s, int32_t Fallback) {
  if (s.find_first_not_of(' ') == std::string_view::npos) return Fallback;
  return XMLStrToInt(s);
}

std::string LMColorStr(TColor c) { return Hex(static_cast<int64_t>(c), 8); }

TColor LMStrToColor(std::string_view s, TColor Fallback) {
  int pos = 1;
  const int64_t v = ScanHex(s, pos);
  if (pos == 1) return Fallback;
  return static_cast<TColor>(static_cast<uint64_t>(v) & 0xFFFFFFFFu);
}

std::string LMBoolStr(bool b) { return b ? "TRUE" : "FALSE"; }

bool LMStrToBool(std::string_view s) { return AnsiLowerCase(s).find("true") != std::string::npos; }

TLandMarkElement LMStrToElement(std::string_view s) {
  static constexpr std::pair<std::string_view, TLandMarkElement> kNames[] = {
      {"square", lmSquare},       {"triangle", lmTriangle}, {"circle", lmCircle},
      {"arrowfrom", lmArrowFrom}, {"arrowto", lmArrowTo},   {"crossbox", lmCrossBox},
      {"spade", lmSpade}};
  const std::string lower = AnsiLowerCase(StripLTBlanks(s));
  for (const auto& [name, element] : kNames)
    if (lower == name) return element;
  return lmCross;
}

bool FindLMBlock(TTextFile& F, const std::string& Element, const std::string& ID) {
  // The id stands escaped in the file; escaping does not touch letters, so
  // the escaped id compares like the text itself.
  return FindXMLElement(F, Element, EscapeXMLAttribute(ID));
}

}  // namespace geomap_internal

namespace {

using namespace geomap_internal;

constexpr double kDaysTo1970 = 25569;  // 1899-12-30 to 1970-01-01
constexpr double kFirstDay = -693593;  // 0001-01-01
constexpr double kLastDay = 2958465;   // 9999-12-31

// "yyyymmddHHMMSS" of a time stamp to the nearest second, the way
// ScanDateTime reads it (before 1899-12-30 the time of day is counted
// backwards from the day). False outside the years 1 to 9999.
bool FormatStamp(double t, std::string& out) {
  if (!std::isfinite(t) || t < kFirstDay - 1 || t > kLastDay + 1) return false;
  double day = std::trunc(t);
  long long secs = std::llround(std::fabs(t - day) * 86400.0);
  if (secs >= 86400) {
    secs -= 86400;
    day += t < 0 ? -1 : 1;
  }
  if (day < kFirstDay || day > kLastDay) return false;
  using namespace std::chrono;
  const year_month_day ymd{sys_days{days{static_cast<long long>(day - kDaysTo1970)}}};
  out = FeatMatFormatDateTime("yyyymmddhhnnss", static_cast<int>(ymd.year()),
                              static_cast<int>(static_cast<unsigned>(ymd.month())),
                              static_cast<int>(static_cast<unsigned>(ymd.day())),
                              static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
                              static_cast<int>(secs % 60), 0);
  return true;
}

// The time stamp from the date (and datetime) attributes; 0 when neither
// gives one.
double ReadStamp(const std::string& DateText, const std::string& ExactText) {
  int pos = 1;
  const double fromDate = ScanDateTime(DateText, "yyyymmddHHMMSS", lgEnglish, pos);
  const bool dateRead = pos > 1;
  if (!ExactText.empty()) {
    double exact = 0;
    const auto r = std::from_chars(ExactText.data(), ExactText.data() + ExactText.size(), exact);
    if (r.ec == std::errc() && r.ptr == ExactText.data() + ExactText.size() &&
        std::isfinite(exact)) {
      std::string written;
      const bool formatted = FormatStamp(exact, written);
      if (formatted ? dateRead && DateText.compare(0, written.size(), written) == 0 : !dateRead)
        return exact;
    }
  }
  return dateRead ? fromDate : 0;
}

std::string Attr(const char* Name, const std::string& Value) {
  std::string s = " ";
  s += Name;
  s += "=\"";
  s += Value;
  s += '"';
  return s;
}

std::string FontStyleStr(uint8_t Style) {
  std::string s;
  for (const uint8_t bit : {kLMFontBold, kLMFontItalic, kLMFontUnderline, kLMFontStrikeOut})
    s += (Style & bit) != 0 ? '1' : '0';
  return s;
}

uint8_t StrToFontStyle(std::string_view s) {
  uint8_t style = 0;
  const uint8_t bits[4] = {kLMFontBold, kLMFontItalic, kLMFontUnderline, kLMFontStrikeOut};
  for (size_t i = 0; i < 4 && i < s.size(); ++i)
    if (s[i] == '1') style |= bits[i];
  return style;
}

uint8_t ToByte(int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

std::string LandMarkLine(const TLandMark& lm) {
  const TLMTextProperties& c = lm.Caption;
  std::string s = "  <landmark";
  s += Attr("lat", LMFloatStr(lm.Latitude));
  s += Attr("long", LMFloatStr(lm.Longitude));
  s += Attr("alti", LMFloatStr(lm.Altitude));
  s += Attr("class", std::to_string(lm.LMClass));
  s += Attr("usertag", std::to_string(lm.UserTag));
  const size_t element = lm.Element < LandMarkElementNames.size() ? lm.Element : lmCross;
  s += Attr("element", LandMarkElementNames[element]);
  s += Attr("size", std::to_string(lm.Size));
  s += Attr("colorfg", LMColorStr(lm.ColorFg));
  s += Attr("colorbg", LMColorStr(lm.ColorBg));
  s += Attr("transp", LMBoolStr(lm.Transparent));
  s += Attr("dir", std::to_string(lm.Direction));
  s += Attr("leng", std::to_string(lm.Length));
  s += Attr("captext", EscapeXMLAttribute(c.Text));
  s += Attr("capsize", std::to_string(c.FontSize));
  s += Attr("capfnm", EscapeXMLAttribute(c.FontName));
  s += Attr("capfst", FontStyleStr(c.FontStyle));
  s += Attr("capfgcol", LMColorStr(c.TextColor));
  s += Attr("capbgcol", LMColorStr(c.BkColor));
  s += Attr("captransp", LMBoolStr(c.Transparent));
  s += Attr("capdx", std::to_string(c.Dx));
  s += Attr("capdy", std::to_string(c.Dy));
  s += Attr("capdir", std::to_string(c.Direction));
  s += Attr("caphal", std::to_string(c.HorAlign));
  s += Attr("capval", std::to_string(c.VertAlign));
  s += Attr("id", EscapeXMLAttribute(lm.Identifier));
  std::string date;
  const bool dated = FormatStamp(lm.TimeStamp, date);
  s += Attr("date", dated ? date : std::string(14, '0'));
  int pos = 1;
  if (!dated || ScanDateTime(date, "yyyymmddHHMMSS", lgEnglish, pos) != lm.TimeStamp)
    s += Attr("datetime", LMFloatStr(lm.TimeStamp));
  s += " />";
  return s;
}

// A landmark from the attributes of its element. Numbers that are absent
// keep the record's defaults; texts are taken as written.
TLandMark LandMarkFromAttributes(const std::string& a) {
  const auto get = [&a](const char* name) { return ScanForXMLAttrib(a, name); };
  TLandMark lm;
  TLMTextProperties& c = lm.Caption;
  lm.Latitude = LMStrToFloat(get("lat"), lm.Latitude);
  lm.Longitude = LMStrToFloat(get("long"), lm.Longitude);
  lm.Altitude = LMStrToFloat(get("alti"), lm.Altitude);
  lm.LMClass = ToByte(LMStrToInt(get("class"), lm.LMClass));
  lm.UserTag = LMStrToInt(get("usertag"), lm.UserTag);
  ReadSymbolStyle(a, lm);
  c.Text = UnescapeXMLText(get("captext")).substr(0, kLMTextLength);
  c.FontSize = LMStrToInt(get("capsize"), c.FontSize);
  c.FontName = UnescapeXMLText(get("capfnm"));
  c.FontStyle = StrToFontStyle(get("capfst"));
  c.TextColor = LMStrToColor(get("capfgcol"), c.TextColor);
  c.BkColor = LMStrToColor(get("capbgcol"), c.BkColor);
  c.Transparent = LMStrToBool(get("captransp"));
  c.Dx = LMStrToInt(get("capdx"), c.Dx);
  c.Dy = LMStrToInt(get("capdy"), c.Dy);
  c.Direction = LMStrToInt(get("capdir"), c.Direction);
  c.HorAlign = ToByte(LMStrToInt(get("caphal"), c.HorAlign));
  c.VertAlign = ToByte(LMStrToInt(get("capval"), c.VertAlign));
  lm.Identifier = UnescapeXMLText(get("id")).substr(0, kLMIdentifierLength);
  lm.TimeStamp = ReadStamp(get("date"), get("datetime"));
  return lm;
}

}  // namespace

void TGeoMap::WriteLandMarksToOpenXMLFile(TTextFile& F, bool WriteHeader,
                                          const std::string& ID) const {
  if (WriteHeader) {
    F.WriteLn("<?xml version=\"1.0\"?>");
    F.WriteLn("");
  }
  F.WriteLn("<gmlandmarks sig=\"Quorvatin\" vers=\"1.0\" id=\"" + EscapeXMLAttribute(ID) + "\">");
  for (int i = 0; i < numLandMarks_; ++i)
    F.WriteLn(LandMarkLine(landMarks_[static_cast<size_t>(i)]));
  F.WriteLn("</gmlandmarks>");
}

void TGeoMap::SaveLandmarks(const std::string& FileName, const std::string& ID) const {
  ReplaceTextFile(FileName, [&](TTextFile& F) { WriteLandMarksToOpenXMLFile(F, true, ID); });
}

bool TGeoMap::ReadLandMarksFromOpenXMLFile(TTextFile& F, const std::string& ID) {
  if (!FindLMBlock(F, "gmlandmarks", ID)) return false;
  ResetLandMarkTable();
  highLM_ = 0;
  std::string attributes, contents;
  while (!F.Eof()) {
    const int tag = ReadNextTagInTextFile(F, kTags, attributes, contents);
    // The block ends at its own closing tag too, so that the next block of
    // the file is not taken into this one.
    if (tag == kTagGeoMapEnd || tag == kTagLandMarksEnd) break;
    if (tag == kTagLandMark) StoreLandMark(LandMarkFromAttributes(attributes));
  }
  Invalidate();
  return true;
}

void TGeoMap::LoadLandMarks(const std::string& FileName, const std::string& ID) {
  TTextFile F;
  F.AssignFile(FileName);
  F.Reset();
  ReadLandMarksFromOpenXMLFile(F, ID);
  F.CloseFile();
}

}  // namespace tkz
