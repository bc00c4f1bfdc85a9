#include "tools/tkz/fields.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "tools/tkz/commands.h"

namespace tkz::tool {

std::string Shown(std::string_view field) {
  constexpr size_t kMax = 40;
  if (field.size() <= kMax) return std::string(field);
  size_t cut = kMax;
  while (cut > 0 && (static_cast<unsigned char>(field[cut]) & 0xC0) == 0x80) --cut;
  return std::string(field.substr(0, cut)) + "... (" + std::to_string(field.size()) + " bytes)";
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

double Number(std::string_view field, const char* what) {
  double v = 0;
  const char* end = field.data() + field.size();
  auto [ptr, ec] = std::from_chars(field.data(), end, v);
  if (ec == std::errc::result_out_of_range && ptr == end) {
    // Too small to be told from zero is zero (or a subnormal), as strtod
    // reads it; too large is refused below.
    v = std::strtod(std::string(field).c_str(), nullptr);
    if (std::fabs(v) >= 1) v = std::numeric_limits<double>::infinity();
    ec = std::errc();
  }
  if (ec != std::errc() || ptr != end || !std::isfinite(v)) {
    throw BadLine(std::string(what) + " is not a finite number: " + Shown(field));
  }
  return v;
}

int Integer(std::string_view field, const char* what) {
  int v = 0;
  const char* end = field.data() + field.size();
  auto [ptr, ec] = std::from_chars(field.data(), end, v);
  if (ec != std::errc() || ptr != end) {
    throw BadLine(std::string(what) + " is not an integer: " + Shown(field));
  }
  return v;
}

double Latitude(std::string_view field) {
  const double lat = Number(field, "latitude");
  if (lat < -90 || lat > 90) throw BadLine("latitude outside -90..90: " + Shown(field));
  return lat;
}

// A longitude in -540..<540 taken into -180..<180, as GeoConvert takes it.
double Longitude(std::string_view field) {
  const double lon = Number(field, "longitude");
  if (lon < -540 || lon >= 540) throw BadLine("longitude outside -540..<540: " + Shown(field));
  const double r = std::remainder(lon, 360.0);  // exact, in -180..180
  return r == 180 ? -180.0 : r;
}

// A number of metres within lo..hi, or a BadLine naming it and the range.
double InRange(std::string_view field, const char* what, double lo, double hi, const char* where) {
  const double v = Number(field, what);
  if (v < lo || v > hi) {
    throw BadLine(std::string(what) + " outside " + std::to_string(static_cast<long long>(lo)) +
                  ".." + std::to_string(static_cast<long long>(hi)) + " m" + where + ": " +
                  Shown(field));
  }
  return v;
}

bool Southern(std::string_view field) {
  if (field == "N" || field == "n") return false;
  if (field == "S" || field == "s") return true;
  throw BadLine("hemisphere must be N or S: " + Shown(field));
}

bool ReadLine(std::istream& in, std::string& line, bool& tooLong) {
  line.clear();
  tooLong = false;
  std::streambuf* buf = in.rdbuf();
  bool any = false;
  for (;;) {
    const int c = buf->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      return any;
    }
    any = true;
    if (c == '\n') return true;
    if (line.size() < kMaxLine)
      line += static_cast<char>(c);
    else
      tooLong = true;
  }
}

int ConvertLines(std::istream& in, std::ostream& out, const LineConverter& convert) {
  // Buffered both ways, one output line per input line; a failed write ends
  // the run at once.
  int status = 0;
  std::string line, buffer;
  buffer.reserve(1 << 16);
  nlohmann::ordered_json result;
  bool tooLong = false;
  while (ReadLine(in, line, tooLong)) {
    try {
      if (tooLong) throw BadLine("line longer than " + std::to_string(kMaxLine) + " bytes");
      convert(SplitFields(line), result);
    } catch (const BadLine& e) {
      result = e.Extra.is_object() ? e.Extra : nlohmann::ordered_json::object();
      result["error"] = e.what();
      status = 1;
    }
    buffer += JsonText(result);
    buffer += '\n';
    if (buffer.size() >= (1 << 16) - 256) {
      out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      buffer.clear();
      if (!out) return 1;
    }
  }
  out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  out.flush();
  return out ? status : 1;
}

}  // namespace tkz::tool
