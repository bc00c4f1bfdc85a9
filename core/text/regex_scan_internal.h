// TGrep's start scan: finds the next byte of a subject where a match can
// begin, a vector of bytes at a time where the processor has SSE2 or AVX2.
// Internal to the matcher.
#pragma once

#include <cstddef>

#include "core/text/regex.h"

namespace tkz::grep_internal {

// Chooses the scanner for a planned scan (kind and bytes filled in).
void PrepareScan(StartScan& sc);

// The index of the first byte of s[i..n) where a match can begin, n when
// there is none.
inline size_t ScanForStart(const StartScan& sc, const unsigned char* s, size_t n, size_t i) {
  return sc.scan(sc, s, n, i);
}

}  // namespace tkz::grep_internal
