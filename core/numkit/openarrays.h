// Sorting of dynamic arrays with a permutation index.
//
// SortArray orders a TDoubleArray and records, for each sorted position, the
// 1-based position its value had before, so that companion arrays can be put
// in the same order with ReorderByIndex. The sort is stable (equal values keep
// their order) and NaN values go to the end in either direction. O(n log n).
#pragma once

#include "core/numkit/numkit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

// Sorts Data in place, ascending when Ascending is true (descending
// otherwise). Index is resized to Data's length; Index[i] is the 1-based
// position in the unsorted Data of the value now at Data[i]. Returns false,
// changing nothing, when Data has more than INT32_MAX elements.
TKZ_NUMKIT_EXPORT bool SortArray(bool Ascending, TDoubleArray& Data, TIntArray& Index);

// Puts Data in the order given by Index as SortArray returns it: afterwards
// Data[i] is the old Data[Index[i] - 1]. Returns false, changing nothing,
// unless Index has Data's length and holds each of 1..length once.
TKZ_NUMKIT_EXPORT bool ReorderByIndex(TDoubleArray& Data, const TIntArray& Index);
TKZ_NUMKIT_EXPORT bool ReorderByIndex(TIntArray& Data, const TIntArray& Index);

}  // namespace tkz
