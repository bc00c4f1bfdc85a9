// cpuid: what the x86 processor says about itself through the CPUID
// instruction (vendor, signature fields, feature flags, brand string, serial
// number), the number of processors, a test for the historic floating-point
// division defect, and the clock frequency measured with the time-stamp
// counter.
//
// All functions are free functions without state. Everything that executes
// CPUID raises ETKZCpuIdError (core/types/tkzbase.h):
// - "Cannot acquire CPU information (CPUID not supported)" when the
//   processor has no CPUID instruction, which includes every processor that
//   is not an x86 one;
// - "CPUID: execution level not supported (leaf $8000001F)", naming the
//   leaf in hexadecimal, for a leaf above the highest standard leaf (leaf 0
//   EAX) or, from 0x80000000 on, above the highest extended leaf (leaf
//   0x80000000 EAX).
//
// The decoding of raw register values is available on its own (the
// ...OfSignature, ...OfRegisters functions) so that values recorded on other
// processors can be decoded on any machine.
//
// Thread safety: everything except CPU_Speed is reentrant. CPU_Speed changes
// the scheduling of the calling thread while it measures; call it from one
// thread at a time.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/types/corekit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

// The feature-flag bits of CPUID leaf 1 register EDX, bit 0 first.
enum TCPUFeatures : uint8_t {
  cpuft_fpu,
  cpuft_vme,
  cpuft_de,
  cpuft_pse,
  cpuft_tsc,
  cpuft_msr,
  cpuft_pae,
  cpuft_mce,
  cpuft_cx8,
  cpuft_apic,
  cpuft_sepamd,
  cpuft_sep,
  cpuft_mtrr,
  cpuft_pge,
  cpuft_mca,
  cpuft_cmov,
  cpuft_pat,
  cpuft_pse36,
  cpuft_serial,
  cpuft_clflush,
  cpuft_reserved1,
  cpuft_dts,
  cpuft_acpi,
  cpuft_mmx,
  cpuft_xsr,
  cpuft_simd,
  cpuft_simd2,
  cpuft_ss,
  cpuft_reserved2,
  cpuft_tm,
  cpuft_ia64,
  cpuft_3dnow
};

// Description of each feature bit, indexed by bit number (TCPUFeatures).
extern TKZ_COREKIT_EXPORT const std::array<std::string_view, 32> CPUFeatureNames;

// The four registers a CPUID leaf returns.
struct TKZ_COREKIT_EXPORT TCPUIDRegs {
  uint32_t EAX = 0;
  uint32_t EBX = 0;
  uint32_t ECX = 0;
  uint32_t EDX = 0;
  friend bool operator==(const TCPUIDRegs&, const TCPUIDRegs&) = default;
};

// ======================================================== the processor

// Whether the processor has the CPUID instruction: the ID bit (0x200000) of
// the flags register can be toggled. Always true on x86-64, false on
// processors of other families.
TKZ_COREKIT_EXPORT bool CPU_IDSupport();

// Executes CPUID for Leaf (sub-leaf 0) after the checks described above.
TKZ_COREKIT_EXPORT TCPUIDRegs ExecuteCPUID(uint32_t Leaf);

// The 12 characters of leaf 0 (EBX, EDX, ECX), e.g. "GenuineIntel" or
// "AuthenticAMD"; "Unknown" when a zero byte makes it shorter than 12.
TKZ_COREKIT_EXPORT std::string CPU_VendorString();

// Number of processors the operating system has online:
// sysconf(_SC_NPROCESSORS_ONLN). This is the count of the whole system, the
// same number whichever processors the calling process is allowed to run on
// (sched_getaffinity would count only those); it answers "how many
// processors does this machine have", not "how many may I use". At least 1.
TKZ_COREKIT_EXPORT int CPU_Count();

TKZ_COREKIT_EXPORT uint32_t CPU_Signature();           // leaf 1 EAX
TKZ_COREKIT_EXPORT uint32_t CPU_FeatureSet();          // leaf 1 EDX, bits as in TCPUFeatures
TKZ_COREKIT_EXPORT uint32_t CPU_ExtendedFeatureSet();  // leaf 0x80000001 EDX
TKZ_COREKIT_EXPORT int CPU_BrandID();                  // low byte of leaf 1 EBX

// The fields of CPU_Signature (see the ...OfSignature functions below).
TKZ_COREKIT_EXPORT int CPU_Type();
TKZ_COREKIT_EXPORT bool CPU_OverDrive();  // processor type field = 1
TKZ_COREKIT_EXPORT int CPU_Family();
TKZ_COREKIT_EXPORT int CPU_ExFamily();
TKZ_COREKIT_EXPORT int CPU_Model();
TKZ_COREKIT_EXPORT int CPU_ExModel();
TKZ_COREKIT_EXPORT int CPU_Stepping();

// True when the floating-point unit gets x - (x / y) * y wrong for
// x = 4195835, y = 3145727 in double precision (the division defect of early
// Pentium processors); false on a correct unit.
TKZ_COREKIT_EXPORT bool CPU_FDIVBugPresent();

// The processor serial number as 24 upper-case hex digits: leaf 1 EAX, then
// EDX and ECX of leaf 3. Empty when a query fails or when the processor does
// not report the serial-number feature (cpuft_serial clear), since leaf 3
// then holds no serial number; only a few Pentium III processors with the
// feature enabled report one.
TKZ_COREKIT_EXPORT std::string CPU_SerialNumber();

// The brand string of leaves 0x80000002 to 0x80000004, without leading and
// trailing blanks and control characters; "unknown" when a control
// character remains inside it.
TKZ_COREKIT_EXPORT std::string CPU_MarketName();

// Clock frequency in MHz, measured with the time-stamp counter over ms
// milliseconds of the monotonic clock (at least 1; smaller values measure
// over 1 ms). Returns after ms milliseconds plus up to one millisecond to
// reach the start of a tick.
//
// While it measures, the calling thread gets the highest priority the
// system allows: nice value -20 (or the lowest RLIMIT_NICE permits) and the
// real-time policy SCHED_FIFO at its highest priority (or at RLIMIT_RTPRIO).
// Attempts the system refuses are skipped silently. Both settings are
// restored before the function returns, also when it leaves with an
// exception. On Linux, nice value and policy belong to the thread; the other
// threads of the process keep theirs.
//
// Raises ETKZCpuIdError when CPUID is missing, and "The processor has no
// time-stamp counter" when cpuft_tsc is clear.
TKZ_COREKIT_EXPORT float CPU_Speed(int ms);

// =================================================== decoding raw values

TKZ_COREKIT_EXPORT int TypeOfSignature(uint32_t Signature);      // (Signature >> 12) and 3
TKZ_COREKIT_EXPORT int FamilyOfSignature(uint32_t Signature);    // (Signature >> 8) and 0xF
TKZ_COREKIT_EXPORT int ExFamilyOfSignature(uint32_t Signature);  // (Signature >> 20) and 0xFF
TKZ_COREKIT_EXPORT int ModelOfSignature(uint32_t Signature);     // (Signature >> 4) and 0xF
TKZ_COREKIT_EXPORT int ExModelOfSignature(uint32_t Signature);   // (Signature >> 16) and 0xF
TKZ_COREKIT_EXPORT int SteppingOfSignature(uint32_t Signature);  // Signature and 0xF

// The CPUFeatureNames texts of the bits set in a leaf 1 EDX value, lowest
// bit first.
TKZ_COREKIT_EXPORT std::vector<std::string> FeatureNamesOfSet(uint32_t FeatureSet);

// Vendor text of leaf 0 registers: EBX, EDX, ECX, each lowest byte first;
// "Unknown" when a zero byte makes it shorter than 12 characters.
TKZ_COREKIT_EXPORT std::string VendorOfRegisters(uint32_t EBX, uint32_t EDX, uint32_t ECX);

// Brand string of the 12 registers of leaves 0x80000002, 0x80000003 and
// 0x80000004 (EAX, EBX, ECX, EDX of each, in this order): 48 characters,
// each register lowest byte first, with the characters of codes <= 32 at
// both ends removed; "unknown" when a character below 32 remains.
TKZ_COREKIT_EXPORT std::string BrandOfRegisters(const std::array<uint32_t, 12>& Regs);

// 24 upper-case hex digits: Signature, then EDX, then ECX (8 digits each).
TKZ_COREKIT_EXPORT std::string SerialOfRegisters(uint32_t Signature, uint32_t EDX, uint32_t ECX);

// MHz of Cycles time-stamp counts over ms milliseconds:
// Cycles / (1 000 000 / (1000 / ms)), i.e. cycles per microsecond.
TKZ_COREKIT_EXPORT float SpeedOfCycles(uint64_t Cycles, int ms);

}  // namespace tkz
