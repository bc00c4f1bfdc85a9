// TGeoMap: the calibration file. One <geomap> element per calibration, one
// element per line; a file may hold several calibrations told apart by id.
//
// The readers fill a temporary record and hand it over only when the whole
// block has been read, so a faulty block leaves the caller's calibration as
// it was. Counts taken from the file are checked against the capacity of the
// record (25 lines of 10 points, 200 calibration points) before anything is
// stored.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/text/charcase.h"
#include "core/text/streams.h"
#include "core/text/stringl.h"
#include "geo/geomap.h"
#include "geo/geomap_internal.h"

namespace tkz {

namespace {

using namespace geomap_internal;
using TFail = std::function<void(const std::string&)>;

// Longest line kept while looking for the opening <geomap> line of a file.
constexpr size_t kMaxHeadLine = 1 << 16;

// ---------------------------------------------------------------- writing

std::string Fixed(double v, int Decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", Decimals, v);
  return buf;
}

// The shortest text that reads back as the same double.
std::string Shortest(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// Attribute text on one line: line breaks would split the opening line.
std::string AttrText(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

// FileForm: the form of the text-file writers (resolution only when
// positive, UTM zone and ellipsoid, calibration points only when there are
// any). The stream form writes resolution and calibration points always.
std::vector<std::string> CalBlockLines(bool WriteHeader, bool FileForm, const std::string& ID,
                                       const TCalibData& D, TCalibModel Model) {
  std::vector<std::string> out;
  if (WriteHeader) out.emplace_back("<?xml version=\"1.0\"?>");
  out.emplace_back("");
  out.emplace_back("<!-- TGeoMap Calibration / TKZ Component Suite -->");
  const std::string& model = CalibModelNames[Model <= cmUndefined ? Model : cmUndefined];
  out.push_back("<geomap sig=\"Quorvatin\" vers=\"1.0\" id=\"" + AttrText(ID) + "\" model=\"" +
                model + "\" map=\"" + AttrText(D.MapName) + "\" caption=\"" + AttrText(D.Caption) +
                "\">");
  out.emplace_back("<corners>");
  std::string corners;
  for (const TLatLong& c : D.Corners) {
    corners += '[';
    corners += Fixed(c.Lat, 5);
    corners += ',';
    corners += Fixed(c.Long, 5);
    corners += "] ";
  }
  out.push_back(corners);
  out.emplace_back("</corners>");
  if (!FileForm || D.Resolution > 0)
    out.push_back("<resolution>" + Fixed(D.Resolution, 3) + "</resolution>");
  // The UTM zone and the ellipsoid go into both forms: without them a UTM
  // calibration read back from a stream could not convert.
  if (D.UTMZone >= 1 && D.UTMZone <= 60) {
    out.push_back("<utmzone>" + std::to_string(D.UTMZone) + "</utmzone>");
    out.push_back(std::string("<utmsouth>") + (D.UTMSouth ? "TRUE" : "FALSE") + "</utmsouth>");
  }
  if (D.Ellipsoid < kGeoEllipsoidCount)
    out.push_back(std::string("<ellipsoid>") + GeoEllipsoidId[D.Ellipsoid] + "</ellipsoid>");
  const int nLines = std::clamp(D.NumCalLines, 0, kMaxCalLines);
  for (int i = 1; i <= nLines; ++i) {
    const TCalLine& line = D.CalLines[i];
    const int n = std::clamp(line.NumPoints, 0, kMaxCalLinePoints);
    out.push_back(std::string("<calline type=\"") +
                  (line.Kind == gtlParallel ? "parallel" : "meridian") + "\" value=\"" +
                  Shortest(line.Value) + "\" npoints=\"" + std::to_string(n) + "\">");
    std::string pts;
    for (int j = 1; j <= n; ++j) {
      pts += '[';
      pts += std::to_string(line.Points[j].X);
      pts += ',';
      pts += std::to_string(line.Points[j].Y);
      pts += "] ";
    }
    out.push_back(pts);
    out.emplace_back("</calline>");
  }
  const int nQuads = std::clamp(D.NumCalQuads, 0, kMaxCalQuads);
  if (!FileForm || nQuads > 0) {
    out.push_back("<calquads npoints=\"" + std::to_string(nQuads) + "\">");
    std::string quads;
    for (int i = 1; i <= nQuads; ++i) {
      const TCalQuad& q = D.CalQuads[i];
      quads += '[';
      quads += Fixed(q.Lat, 5);
      quads += ',';
      quads += Fixed(q.Long, 5);
      quads += ',';
      quads += std::to_string(q.X);
      quads += ',';
      quads += std::to_string(q.Y);
      quads += "] ";
    }
    out.push_back(quads);
    out.emplace_back("</calquads>");
  }
  out.emplace_back("</geomap>");
  return out;
}

// ---------------------------------------------------------------- reading

std::string_view Trim(std::string_view s) {
  while (!s.empty() &&
         (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
    s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

// A decimal number; with AllowComma "," serves as decimal mark too. False
// for anything else (also for infinities and NaN).
bool ParseNumber(std::string_view s, bool AllowComma, double& Out) {
  std::string t(Trim(s));
  if (AllowComma)
    for (char& c : t)
      if (c == ',') c = '.';
  if (t.empty() || !(std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-' || t[0] == '+' ||
                     t[0] == '.'))
    return false;
  const char* b = t.data() + (t[0] == '+' ? 1 : 0);
  double v = 0;
  const auto r = std::from_chars(b, t.data() + t.size(), v);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) return false;
  Out = v;
  return true;
}

bool ParseInt(std::string_view s, int& Out) {
  s = Trim(s);
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  int v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  Out = v;
  return true;
}

// The bracketed groups "[a,b,...]" of Text with Arity numbers each; a group
// that is not Arity numbers ends the scan. At most Limit groups are taken.
// Integer fields (the pixel coordinates, the last two of four or both of
// two) must be whole numbers.
std::vector<std::array<double, 4>> ParseGroups(std::string_view Text, int Arity, int IntFrom,
                                               size_t Limit) {
  std::vector<std::array<double, 4>> groups;
  size_t pos = 0;
  while (groups.size() < Limit) {
    const size_t open = Text.find('[', pos);
    if (open == std::string_view::npos) break;
    const size_t close = Text.find(']', open);
    if (close == std::string_view::npos) break;
    std::string_view inner = Text.substr(open + 1, close - open - 1);
    std::array<double, 4> g{};
    int n = 0;
    bool ok = true;
    while (ok) {
      const size_t comma = inner.find(',');
      const std::string_view field = inner.substr(0, comma);
      if (n >= Arity) {
        ok = false;
        break;
      }
      if (n >= IntFrom) {
        int v;
        ok = ParseInt(field, v);
        g[n] = v;
      } else {
        ok = ParseNumber(field, false, g[n]);
      }
      ++n;
      if (comma == std::string_view::npos) break;
      inner.remove_prefix(comma + 1);
    }
    if (!ok || n != Arity) break;
    groups.push_back(g);
    pos = close + 1;
  }
  return groups;
}

// The value of Name="..." in the opening line (blank before the name). On
// success Begin and End delimit the value, up to the next double quote or
// the end of the line.
bool LineAttr(const std::string& Lower, const std::string& Name, size_t& Begin, size_t& End) {
  const std::string key = Name + "=\"";
  for (size_t at = Lower.find(key); at != std::string::npos; at = Lower.find(key, at + 1)) {
    if (at == 0 || (Lower[at - 1] != ' ' && Lower[at - 1] != '\t')) continue;
    Begin = at + key.size();
    End = Lower.find('"', Begin);
    if (End == std::string::npos) End = Lower.size();
    return true;
  }
  return false;
}

std::string LineAttrValue(const std::string& Lower, const std::string& Line,
                          const std::string& Name) {
  size_t b, e;
  if (!LineAttr(Lower, Name, b, e)) return "";
  return std::string(Trim(std::string_view(Line).substr(b, e - b)));
}

// Reads the calibration with the given ID (empty: the first) from F or
// Stream into D and M. False when there is none; faults in the block go to
// Fail, which raises. D and M are written only on success.
bool ReadCalBlock(TTextFile* F, TStream* Stream, const std::string& ID, TCalibData& D,
                  TCalibModel& M, const TFail& Fail) {
  if (F == nullptr && Stream == nullptr) return false;
  const std::string wanted(Trim(AnsiLowerCase(ID)));
  auto atEnd = [&] { return F ? F->Eof() : Stream->GetPosition() >= Stream->GetSize(); };
  std::string line, lower;
  bool found = false;
  while (!found && !atEnd()) {
    if (F) {
      F->ReadLn(line, kMaxHeadLine);
    } else {
      bool eos;
      line = ReadLnStream(Stream, eos, 0);
    }
    lower = AnsiLowerCase(line);
    if (lower.find("<geomap") == std::string::npos || lower.find("quorvatin") == std::string::npos)
      continue;
    found = wanted.empty() || LineAttrValue(lower, lower, "id") == wanted;
  }
  if (!found) return false;

  TCalibData d;
  d.UTMZone = -1;
  TCalibModel model = cmUndefined;
  const std::string modelName = LineAttrValue(lower, lower, "model");
  for (int m = cmParabolicIp; m < cmUndefined; ++m)
    if (modelName == CalibModelNames[m]) model = static_cast<TCalibModel>(m);
  d.MapName = LineAttrValue(lower, lower, "map");
  d.Caption = LineAttrValue(lower, line, "caption");

  static const std::vector<std::string> ellipsoidIds(GeoEllipsoidId.begin(), GeoEllipsoidId.end());
  std::string attrs, contents;
  for (;;) {
    const int ix = F ? ReadNextTagInTextFile(*F, kTags, attrs, contents)
                     : ReadNextTagInStream(Stream, kTags, attrs, contents);
    if (ix == kTagGeoMapEnd) break;
    switch (ix) {
      case kTagCalLine: {
        if (d.NumCalLines >= kMaxCalLines)
          Fail("too many graticule lines (at most " + std::to_string(kMaxCalLines) + ")");
        const std::string type = ScanForXMLAttrib(attrs, "type");
        const std::string typeLower = AnsiLowerCase(type);
        if (typeLower != "parallel" && typeLower != "meridian")
          Fail("invalid type of graticule line: type=\"" + type + "\"");
        TCalLine cl;
        cl.Kind = typeLower == "parallel" ? gtlParallel : gtlMeridian;
        ParseNumber(ScanForXMLAttrib(attrs, "value"), true, cl.Value);
        int npoints = 0;
        ParseInt(ScanForXMLAttrib(attrs, "npoints"), npoints);
        if (npoints < 0 || npoints > kMaxCalLinePoints)
          Fail("invalid number of points on a graticule line: " + std::to_string(npoints) +
               " (at most " + std::to_string(kMaxCalLinePoints) + ")");
        const auto groups = ParseGroups(contents, 2, 0, kMaxCalLinePoints + 1);
        if (static_cast<int>(groups.size()) != npoints)
          Fail("specified number of calibration points and actual number does not match");
        cl.NumPoints = npoints;
        for (int j = 0; j < npoints; ++j)
          cl.Points[j + 1] = TPoint{static_cast<int>(groups[j][0]), static_cast<int>(groups[j][1])};
        d.CalLines[++d.NumCalLines] = cl;
        break;
      }
      case kTagCorners: {
        const auto groups = ParseGroups(contents, 2, 2, 4);
        for (size_t i = 0; i < groups.size(); ++i) d.Corners[i] = {groups[i][0], groups[i][1]};
        break;
      }
      case kTagResolution:
        ParseNumber(contents, true, d.Resolution);
        break;
      case kTagCalQuads: {
        int npoints = 0;
        ParseInt(ScanForXMLAttrib(attrs, "npoints"), npoints);
        if (npoints < 0 || npoints > kMaxCalQuads)
          Fail("invalid number of calibration points: " + std::to_string(npoints) + " (at most " +
               std::to_string(kMaxCalQuads) + ")");
        const auto groups = ParseGroups(contents, 4, 2, kMaxCalQuads + 1);
        if (static_cast<int>(groups.size()) != npoints)
          Fail("specified number of calibration points and actual number does not match");
        d.NumCalQuads = npoints;
        for (int i = 0; i < npoints; ++i)
          d.CalQuads[i + 1] = TCalQuad{groups[i][0], groups[i][1], static_cast<int>(groups[i][2]),
                                       static_cast<int>(groups[i][3])};
        break;
      }
      case kTagUTMZone: {
        int zone = 0;
        if (ParseInt(contents, zone) && zone >= 1 && zone <= 60) d.UTMZone = zone;
        break;
      }
      case kTagUTMSouth:
        d.UTMSouth = AnsiLowerCase(Trim(contents)) == "true";
        break;
      case kTagEllipsoid: {
        const int e = StringIx(Trim(contents), false, ellipsoidIds);
        if (e >= 1) d.Ellipsoid = static_cast<TGeoEllipsoid>(e - 1);
        break;
      }
      default:
        break;
    }
    if (ix == kTagOther && atEnd()) break;
  }
  D = std::move(d);
  M = model;
  return true;
}

bool FileExists(const std::string& FileName) {
  std::error_code ec;
  return !FileName.empty() && std::filesystem::is_regular_file(FileName, ec);
}

TFail ParseFail() {
  return [](const std::string& msg) { throw ETKZGeoMapError("ParseCalibData: " + msg); };
}

}  // namespace

// ------------------------------------------------------- module functions

void WriteRawCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& ID,
                                  const TCalibData& CalData, TCalibModel Model) {
  for (const std::string& s : CalBlockLines(WriteHeader, true, ID, CalData, Model)) F.WriteLn(s);
}

bool ParseCalibData(const std::string& FileName, const std::string& ID, TCalibData& CalData,
                    TCalibModel& Model) {
  if (!FileExists(FileName)) return false;
  TTextFile f;
  f.AssignFile(FileName);
  f.Reset();
  const bool ok = ReadCalBlock(&f, nullptr, ID, CalData, Model, ParseFail());
  f.CloseFile();
  return ok;
}

bool ParseCalibData(TMemoryStream& Stream, const std::string& ID, TCalibData& CalData,
                    TCalibModel& Model) {
  Stream.SetPosition(0);
  return ReadCalBlock(nullptr, &Stream, ID, CalData, Model, ParseFail());
}

// ---------------------------------------------------------------- TGeoMap

void TGeoMap::WriteCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader,
                                        const std::string& ID) const {
  WriteRawCalDataToOpenXMLFile(F, WriteHeader, ID, calData_, calibModel_);
}

void TGeoMap::SaveCalDataAsXML(const std::string& FileName, const std::string& ID) const {
  ReplaceTextFile(FileName, [&](TTextFile& f) { WriteCalDataToOpenXMLFile(f, true, ID); });
}

void TGeoMap::SaveCalDataAsXML(TStream& Stream, const std::string& ID) const {
  for (const std::string& s : CalBlockLines(true, false, ID, calData_, calibModel_))
    WriteLnStream(&Stream, s);
}

bool TGeoMap::ReadCalDataIntern(bool FromFile, TTextFile* F, TMemoryStream* Stream,
                                const std::string& ID) {
  TCalibData d;
  TCalibModel m = cmUndefined;
  const TFail fail = [this](const std::string& msg) { Error(msg); };
  const bool ok = FromFile ? ReadCalBlock(F, nullptr, ID, d, m, fail)
                           : ReadCalBlock(nullptr, Stream, ID, d, m, fail);
  if (!ok) return false;
  calData_ = std::move(d);
  calibModel_ = m;
  haveDeleted_ = false;  // a point removed from another calibration does not belong here
  RecalcCalibration();
  return true;
}

bool TGeoMap::ReadCalDataFromOpenXMLFile(TTextFile& F, const std::string& ID) {
  return ReadCalDataIntern(true, &F, nullptr, ID);
}

bool TGeoMap::LoadCalDataFromXML(const std::string& FileName, const std::string& ID) {
  if (!FileExists(FileName)) return false;
  TTextFile f;
  f.AssignFile(FileName);
  f.Reset();
  const bool ok = ReadCalDataIntern(true, &f, nullptr, ID);
  f.CloseFile();
  return ok;
}

bool TGeoMap::LoadCalDataFromXML(TMemoryStream& Stream, const std::string& ID) {
  Stream.SetPosition(0);
  return ReadCalDataIntern(false, nullptr, &Stream, ID);
}

void TGeoMap::SetCalDatName(const std::string& Name) {
  if (FileExists(Name)) {
    calDatName_ = Name;
    LoadCalDataFromXML(Name, "");
  } else {
    mapWidth_ = 0;
    mapHeight_ = 0;
  }
  Invalidate();
}

}  // namespace tkz
