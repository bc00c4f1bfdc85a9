// Small numeric helpers: nice-number rounding, random decisions, great-circle
// distance, angle and hexadecimal text, scanners for integers and date-times,
// swapping, and sorting into short fixed-length arrays.
//
// Round125 rounds to the nearest member of the 1-2-5 series in logarithmic
// measure (exact decimal results such as 0.002 or 5e6 come out as the nearest
// double). SphereGreatCircleDist uses the haversine of the central angle
// together with the haversine of its supplement, 2 atan2(sqrt(a), sqrt(1-a))
// with both terms formed without cancellation, which keeps full double
// precision for short, long and antipodal distances alike (relative error a
// few units in 1e-16, plus what the degree inputs themselves carry); angles
// are degrees, the result has the unit of the radius.
//
// Text is Windows-1252; positions are 1-based at the API. The degree sign is
// code 176 ("\xB0"). Numbers are always written with "." as decimal mark,
// whatever the process locale.
//
// Date-times are doubles counting days from 1899-12-30 00:00, the fraction
// being the time of day. For dates before 1899-12-30 the value is the
// negative day number minus the time fraction (-1.25 is 1899-12-29 06:00).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/numkit/numkit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

// ------------------------------------------------------------------ numbers

// x rounded to the nearest of 1, 2, 5 times a power of ten, nearness being
// measured in log scale: the mantissa m in [1, 10) goes to 1 below sqrt(2),
// to 2 below sqrt(10), to 5 below sqrt(50), else to 10. The sign is kept;
// 0, NaN and infinities give 0. Values that would round above the largest
// double give 1e308.
TKZ_NUMKIT_EXPORT double Round125(double x);

// True with probability p (p <= 0 or NaN: always false; p >= 1: always
// true). Draws from numkit's own generator (64-bit Mersenne Twister), which
// starts from a fixed seed so runs repeat; SeedBRandom reseeds it. The
// generator is process-wide state: use it from one thread at a time.
TKZ_NUMKIT_EXPORT bool BRandom(double p);
TKZ_NUMKIT_EXPORT void SeedBRandom(uint64_t Seed);

// Great-circle distance between (Lat1, Long1) and (Lat2, Long2), degrees, on
// a sphere of the given radius (result = Radius * central angle). Any NaN or
// infinite argument gives 0.
TKZ_NUMKIT_EXPORT double SphereGreatCircleDist(double Radius, double Lat1, double Long1,
                                               double Lat2, double Long2);

// ------------------------------------------------------------------ text

// Text of an angle. The last unit carries Decimals decimals (clamped to
// 0..15 for dfDeg and dfNumeric, 0..9 for the others), and rounding carries
// into the larger units (59.9999' with one decimal becomes the next degree):
//   dfDeg        "12.345°"            degrees
//   dfDegMin     "12°20.70'"          whole degrees, minutes with 2 digits
//   dfDegMinSec  "12°20'42.0\""       whole degrees, 2-digit minutes and
//                                     seconds
//   dfNumeric    "12.345"             plain number
// A negative angle gets one leading "-" unless it rounds to zero. NaN and
// infinities give "". Unknown format values are written as dfNumeric.
// Angles too large to split exactly into minutes and seconds (beyond about
// 2.5e12 degrees) are written with zero minutes and seconds.
TKZ_NUMKIT_EXPORT std::string DegreeToStr(double Angle, TDegreeFormat Format, int Decimals);

// Reads a date-time at the 1-based position Pos of Text as laid out by
// Pattern. Pattern tokens (case matters, longest token first):
//   yyyy  4-digit year (0001..9999)
//   yy    2-digit year: 00..49 -> 2000..2049, 50..99 -> 1950..1999
//   mmmm  full month name of Language (MonthLong), any case
//   mmm   short month name of Language (MonthShort), any case
//   mm    2-digit month          dd  2-digit day
//   HH    2-digit hour (00..23)  MM  2-digit minute   SS  2-digit second
//   zzz   3-digit milliseconds
// Every other pattern character stands for exactly one text character of any
// value (a separator such as "-", ":", "T" or a blank). Digits must be
// present in full. A pattern with date tokens but no year, month or day takes
// year 1900, month 1, day 1 for the missing ones; a pattern with time tokens
// only gives just the time of day (a value in [0, 1)).
// On success returns the date-time and moves Pos just past the scanned text.
// On failure (Pos outside Text, text too short, a non-digit where digits are
// due, an unknown month name, an impossible date or time, or a pattern with no
// token) returns 0 and leaves Pos unchanged. An out-of-range Language is
// taken as lgEnglish.
TKZ_NUMKIT_EXPORT double ScanDateTime(std::string_view Text, std::string_view Pattern,
                                      TLanguage Language, int& Pos);

// Reads an unsigned hexadecimal integer at the 1-based position Pos: an
// optional "$" or "0x"/"0X" prefix (taken only when a hex digit follows),
// then the run of digits 0-9, a-f, A-F. Pos moves past the run. The value is
// that of a 64-bit register: more than 16 significant digits keep only the
// low 64 bits, and 16-digit values of 8..F read as negative numbers, so that
// ScanHex(Hex(v, 16)) == v for every v. When no hex digit stands at Pos (or
// Pos is outside Text) the result is 0 and Pos is unchanged.
TKZ_NUMKIT_EXPORT int64_t ScanHex(std::string_view Text, int& Pos);

// Reads a decimal integer at the 1-based position Pos: an optional "+" or
// "-" directly followed by digits. Leading blanks are not skipped. Pos moves
// past the digits; values beyond the 64-bit range saturate at INT64_MIN or
// INT64_MAX (all digits are still consumed). When no digit stands at Pos (or
// Pos is outside Text) the result is 1 and Pos is unchanged: a count or
// multiplier that is not written is 1, as in the formula group "(O H)" of
// molkit, which multiplies by whatever this returns. A caller that must
// tell "no number" from "1" compares Pos before and after.
TKZ_NUMKIT_EXPORT int64_t ScanDecimal(std::string_view Text, int& Pos);

// Hexadecimal text (digits 0-9, A-F) of exactly Digits digits: shorter values
// are padded with "0" on the left, longer ones keep their low-order Digits
// digits. Negative values are written in two's complement (Hex(-1, 4) is
// "FFFF"). Digits <= 0 gives ""; Digits is limited to 64.
TKZ_NUMKIT_EXPORT std::string Hex(int64_t Value, int Digits);

// ------------------------------------------------------------------ arrays

// Swap two values.
TKZ_NUMKIT_EXPORT void ExChange(double& a, double& b);
TKZ_NUMKIT_EXPORT void ExChange(float& a, float& b);
TKZ_NUMKIT_EXPORT void ExChange(long double& a, long double& b);
TKZ_NUMKIT_EXPORT void ExChange(int32_t& a, int32_t& b);
TKZ_NUMKIT_EXPORT void ExChange(int64_t& a, int64_t& b);

// Sorts the integers in place, ascending when Ascending, else descending.
TKZ_NUMKIT_EXPORT void SortArray(std::span<int32_t> Data, bool Ascending);

// Index (0-based, into Data) where Value belongs in Data, which is sorted
// ascending (or descending when Ascending is false) and has a fixed length:
// the first element that Value beats strictly (is smaller than, or larger
// than when descending). Equal elements keep their place ahead of Value.
// Returns -1 when Value belongs behind every element (it would fall off the
// end) or is NaN. Typical use keeps the k smallest values seen so far: fill
// Data with a large start value, then for each value v
//   int ix = SortIntoArray(v, Data);  if (ix >= 0) InsertIntoArray(Data, ix, v);
TKZ_NUMKIT_EXPORT int SortIntoArray(double Value, std::span<const double> Data,
                                    bool Ascending = true);
TKZ_NUMKIT_EXPORT int SortIntoArray(int32_t Value, std::span<const int32_t> Data,
                                    bool Ascending = true);

// Inserts Value at the 0-based Index, shifting the elements from Index on one
// place towards the end; the last element drops out. An Index outside Data
// (such as -1 from SortIntoArray) changes nothing and returns false.
TKZ_NUMKIT_EXPORT bool InsertIntoArray(std::span<double> Data, int Index, double Value);
TKZ_NUMKIT_EXPORT bool InsertIntoArray(std::span<int32_t> Data, int Index, int32_t Value);

}  // namespace tkz
