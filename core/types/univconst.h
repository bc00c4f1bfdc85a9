// Numeric constants in extended precision. On x86-64 each long double
// constant has exactly the stored 80-bit image of the reference table (the
// literals are written as hexadecimal mantissa and binary exponent so that no
// decimal rounding intervenes); elsewhere they are the nearest long double.
#pragma once

#include <array>
#include <cstdint>

#include "core/types/corekit_export.h"

namespace tkz {

inline constexpr long double uc_e = 0xadf85458a2bb4a9ap-62L;      // e = 2.7182818284590452352e+0
inline constexpr long double uc_etom1 = 0xbc5ab1b16779be36p-65L;  // 1/e = 3.6787944117144232161e-1
inline constexpr long double uc_lg2 =
    0x9a209a84fbcff798p-65L;  // log10(2) = 3.0102999566398119520e-1
inline constexpr long double uc_lg5 =
    0xb2efb2bd82180434p-64L;  // log10(5) = 6.9897000433601880480e-1
inline constexpr long double uc_lge =
    0xde5bd8a937287195p-65L;  // log10(e) = 4.3429448190325182765e-1
inline constexpr long double uc_lgPi =
    0xfe8a6d98dd1dd807p-65L;  // log10(pi) = 4.9714987269413385437e-1
inline constexpr long double uc_ln10 =
    0x935d8dddaaa8ac17p-62L;                                    // ln(10) = 2.3025850929940456840e+0
inline constexpr long double uc_ln2 = 0xb17217f7d1cf79abp-64L;  // ln(2) = 6.9314718055994530937e-1
inline constexpr long double uc_lnPi =
    0x928682473d0de85ep-63L;                                    // ln(pi) = 1.1447298858494001741e+0
inline constexpr long double uc_PiH = 0xc90fdaa22168c235p-63L;  // pi/2 = 1.5707963267948966193e+0
inline constexpr long double uc_PiSqr =
    0x9de9e64df22ef2d2p-60L;  // pi squared = 9.8696044010893586185e+0
inline constexpr long double uc_Pitom1 =
    0xa2f9836e4e441529p-65L;  // 1/pi = 3.1830988618379067151e-1
inline constexpr long double uc_sqrt2 =
    0xb504f333f9de6485p-63L;  // square root of 2 = 1.4142135623730950489e+0
inline constexpr long double uc_sqrt2pi =
    0xa06c98ffb1382cb2p-62L;  // square root of 2 pi = 2.5066282746310005023e+0
inline constexpr long double uc_sqrt2pitom1 =
    0xcc42299ea1b28468p-65L;  // 1 / square root of 2 pi = 3.9894228040143267793e-1
inline constexpr long double uc_GoldenR =
    0xcf1bbcdcbfa53e0ap-63L;  // golden ratio = 1.6180339887498948481e+0
inline constexpr long double uc_MinReal =
    0xfca0293c42765b07p-192L;  // smallest 48-bit real = 2.9000000000000000000e-39
inline constexpr long double uc_MaxReal =
    0xffc99e3c66fd68d2p63L;  // largest 48-bit real = 1.7000000000000000000e+38
inline constexpr long double uc_MinSingle =
    0x89040a0f4c80569dp-212L;  // smallest single = 1.5000000000000000000e-45
inline constexpr long double uc_MaxSingle =
    0xffc99e3c66fd68d2p64L;  // largest single = 3.4000000000000000000e+38
inline constexpr long double uc_MinDouble =
    0x818995ce7aa0e1b2p-1137L;  // smallest double = 4.9999999999999999998e-324
inline constexpr long double uc_MaxDouble =
    0xf2168983b9dbb273p960L;  // largest double = 1.6999999999999999999e+308
inline constexpr long double uc_MinExtended =
    0x1p-16445L;  // smallest extended (denormal) = 3.6451995318824746025e-4951
inline constexpr long double uc_MaxExtended =
    0xecb12aed7f5875e1p16320L;  // largest extended used = 1.1000000000000000000e+4932
inline constexpr long double uc_lnMinDouble =
    -0xba1b6684ac474500p-54L;  // ln(uc_MinDouble) = -7.4442813221763670128e+2
inline constexpr long double uc_lnMaxDouble =
    0xb16e847ee37c422ep-54L;  // ln(uc_MaxDouble) = 7.0972683689322824108e+2
inline constexpr long double uc_lnMaxExtended =
    0xb171c7ab26a28a52p-50L;  // ln(uc_MaxExtended) = 1.1356444988826437639e+4
inline constexpr long double uc_lnMinExtended =
    -0xb21b457d80bddc0cp-50L;  // ln(uc_MinExtended) = -1.1398817861568058117e+4
inline constexpr long double uc_lnMaxInt64 =
    0xaeac4f97f2883bc5p-58L;  // ln(uc_MaxInt64) = 4.3668272375276554493e+1
inline constexpr long double uc_lnMinReal =
    -0xb178e32221d34f6dp-57L;  // ln(uc_MinReal) = -8.8736107889775353331e+1
inline constexpr long double uc_lnMaxReal =
    0xb00ec6f8cbf2e56fp-57L;  // ln(uc_MaxReal) = 8.8028861784835906394e+1
inline constexpr long double uc_lnMinSingle =
    -0xce6bf66052006fa1p-57L;  // ln(uc_MinSingle) = -1.0321086407662389140e+2
inline constexpr long double uc_lnMaxSingle =
    0xb171ab28bb968462p-57L;  // ln(uc_MaxSingle) = 8.8722008965395851701e+1

inline constexpr int64_t uc_MaxInt64 = 9223372036854775807LL;

// uc_LnFactorial[k] = ln(k!) for k = 0..1000, rounded to 15 significant
// digits. Callers index it directly and keep k within 0..1000.
extern TKZ_COREKIT_EXPORT const std::array<double, 1001> uc_LnFactorial;

}  // namespace tkz
