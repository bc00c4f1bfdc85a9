// Reading the fields of a command line or of a line of standard input:
// numbers, coordinates and bounded lines, with messages that name the field.
#pragma once

#include <functional>
#include <istream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tkz::tool {

// A line whose fields cannot be read or lie outside the command's range; its
// message becomes {"error": ...}, after the fields of Extra (an object or
// null).
struct BadLine : std::runtime_error {
  explicit BadLine(const std::string& what, nlohmann::ordered_json extra = nullptr)
      : std::runtime_error(what), Extra(std::move(extra)) {}
  nlohmann::ordered_json Extra;
};

// A field as a message names it: cut after 40 bytes (on a character
// boundary), so that an overlong field does not make an overlong message.
std::string Shown(std::string_view field);
// The fields of a line separated by blanks, tabs and carriage returns.
std::vector<std::string_view> SplitFields(std::string_view line);
// A finite number, an integer, a latitude in -90..90, a longitude in
// -540..<540 taken into -180..<180 (as GeographicLib's GeoConvert takes it),
// a number within lo..hi metres ("where" follows the range in the message),
// a hemisphere N or S (true for S); a BadLine naming the field otherwise.
double Number(std::string_view field, const char* what);
int Integer(std::string_view field, const char* what);
double Latitude(std::string_view field);
double Longitude(std::string_view field);
double InRange(std::string_view field, const char* what, double lo, double hi, const char* where);
bool Southern(std::string_view field);

// Reads one line of at most kMaxLine bytes into line; false at the end of
// the input. A longer line is read to its end and reported through tooLong.
constexpr size_t kMaxLine = 4096;
bool ReadLine(std::istream& in, std::string& line, bool& tooLong);

// Standard-input mode of a conversion: convert turns the fields of each line
// of in into one JSON line of out, or throws BadLine, which becomes an
// {"error": ...} line (after its Extra fields) and makes the status 1. The
// run ends at once with 1 when out fails.
using LineConverter = std::function<void(const std::vector<std::string_view>& fields,
                                         nlohmann::ordered_json& result)>;
int ConvertLines(std::istream& in, std::ostream& out, const LineConverter& convert);

}  // namespace tkz::tool
