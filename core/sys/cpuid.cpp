// cpuid: the CPUID queries, the decoding of their register values, the
// processor count and the division-defect test. CPU_Speed is in
// cpuid_speed.cpp.
#include "core/sys/cpuid.h"

#include <unistd.h>

#include <cstdio>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define TKZ_HAVE_CPUID 1
#else
#define TKZ_HAVE_CPUID 0
#endif

namespace tkz {

const std::array<std::string_view, 32> CPUFeatureNames = {
    "Floating Point Unit",
    "V86 Mode Extensions",
    "Debug Extensions - I/O breakpoints supported",
    "Page Size Extensions (4 MB pages supported)",
    "Time Stamp Counter and RDTSC instruction are available",
    "Model Specific Registers",
    "Physical Address Extensions (36-bit address, 2MB pages)",
    "Machine Check Exception supported",
    "Compare Exchange Eight Byte instruction available",
    "Local APIC present (multiprocessor operation support)",
    "Fast system calls (AMD only)",
    "Fast system calls",
    "Memory Type Range Registers",
    "Page Global Enable",
    "Machine Check Architecture",
    "Conditional MOVe instructions",
    "Page Attribute Table",
    "36 bit Page Size Extensions",
    "Processor Serial Number",
    "Cache Flush",
    "reserved",
    "Debug Trace Store",
    "ACPI support",
    "MultiMedia Extensions",
    "FXSAVE and FXRSTOR instructions",
    "SSE instructions",
    "SSE2 (WNI) instructions",
    "self snoop",
    "reserved",
    "Automatic clock control",
    "IA64 instructions",
    "3DNow! instructions available",
};

namespace {

constexpr uint32_t kExtendedBase = 0x80000000u;

// Appends the four bytes of a register, lowest byte first.
void AppendRegister(std::string& s, uint32_t r) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((r >> (8 * i)) & 0xFF);
}

#if TKZ_HAVE_CPUID
TCPUIDRegs RawCPUID(uint32_t leaf) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid_count(leaf, 0, a, b, c, d);
  return {a, b, c, d};
}
#endif

}  // namespace

// ------------------------------------------------------------- decoding

int TypeOfSignature(uint32_t Signature) { return static_cast<int>((Signature >> 12) & 3); }
int FamilyOfSignature(uint32_t Signature) { return static_cast<int>((Signature >> 8) & 0xF); }
int ExFamilyOfSignature(uint32_t Signature) { return static_cast<int>((Signature >> 20) & 0xFF); }
int ModelOfSignature(uint32_t Signature) { return static_cast<int>((Signature >> 4) & 0xF); }
int ExModelOfSignature(uint32_t Signature) { return static_cast<int>((Signature >> 16) & 0xF); }
int SteppingOfSignature(uint32_t Signature) { return static_cast<int>(Signature & 0xF); }

std::vector<std::string> FeatureNamesOfSet(uint32_t FeatureSet) {
  std::vector<std::string> names;
  for (unsigned bit = 0; bit < CPUFeatureNames.size(); ++bit)
    if ((FeatureSet >> bit) & 1u) names.emplace_back(CPUFeatureNames[bit]);
  return names;
}

std::string VendorOfRegisters(uint32_t EBX, uint32_t EDX, uint32_t ECX) {
  std::string s;
  for (uint32_t r : {EBX, EDX, ECX}) AppendRegister(s, r);
  // The registers hold a zero-terminated text; a zero byte ends it early.
  if (s.find('\0') != std::string::npos) return "Unknown";
  return s;
}

std::string BrandOfRegisters(const std::array<uint32_t, 12>& Regs) {
  std::string s;
  for (uint32_t r : Regs) AppendRegister(s, r);
  auto code = [](char c) { return static_cast<unsigned char>(c); };
  size_t first = 0, last = s.size();
  while (first < last && code(s[first]) <= 32) ++first;
  while (last > first && code(s[last - 1]) <= 32) --last;
  s = s.substr(first, last - first);
  for (char c : s)
    if (code(c) < 32) return "unknown";
  return s;
}

std::string SerialOfRegisters(uint32_t Signature, uint32_t EDX, uint32_t ECX) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%08X%08X%08X", Signature, EDX, ECX);
  return buf;
}

float SpeedOfCycles(uint64_t Cycles, int ms) {
  if (ms < 1) ms = 1;
  return static_cast<float>(static_cast<double>(Cycles) / (1000.0 * ms));
}

// --------------------------------------------------------- the processor

bool CPU_IDSupport() {
#if defined(__x86_64__)
  // Flip the ID bit, read the flags back and restore them. The stack pointer
  // steps over the red zone, where the compiler may keep data of its own.
  uint64_t flipped = 0, original = 0;
  asm volatile(
      "sub $128, %%rsp\n\t"
      "pushfq\n\t"
      "pop %0\n\t"
      "mov %0, %1\n\t"
      "xor $0x200000, %0\n\t"
      "push %0\n\t"
      "popfq\n\t"
      "pushfq\n\t"
      "pop %0\n\t"
      "push %1\n\t"
      "popfq\n\t"
      "add $128, %%rsp"
      : "=&r"(flipped), "=&r"(original)
      :
      : "cc", "memory");
  return ((flipped ^ original) & 0x200000u) != 0;
#elif defined(__i386__)
  // <cpuid.h> toggles the ID bit here and answers 0 when it will not move.
  unsigned sig = 0;
  return __get_cpuid_max(0, &sig) != 0 || sig != 0;
#else
  return false;
#endif
}

TCPUIDRegs ExecuteCPUID(uint32_t Leaf) {
#if TKZ_HAVE_CPUID
  if (CPU_IDSupport()) {
    const uint32_t highest = RawCPUID(Leaf < kExtendedBase ? 0 : kExtendedBase).EAX;
    if (Leaf > highest) {
      char leaf[16];
      std::snprintf(leaf, sizeof leaf, "%08X", Leaf);
      throw ETKZCpuIdError(std::string("CPUID: execution level not supported (leaf $") + leaf +
                           ")");
    }
    return RawCPUID(Leaf);
  }
#endif
  (void)Leaf;
  throw ETKZCpuIdError("Cannot acquire CPU information (CPUID not supported)");
}

std::string CPU_VendorString() {
  const TCPUIDRegs r = ExecuteCPUID(0);
  return VendorOfRegisters(r.EBX, r.EDX, r.ECX);
}

int CPU_Count() {
  const long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n < 1 ? 1 : static_cast<int>(n);
}

uint32_t CPU_Signature() { return ExecuteCPUID(1).EAX; }
uint32_t CPU_FeatureSet() { return ExecuteCPUID(1).EDX; }
uint32_t CPU_ExtendedFeatureSet() { return ExecuteCPUID(kExtendedBase + 1).EDX; }
int CPU_BrandID() { return static_cast<int>(ExecuteCPUID(1).EBX & 0xFF); }

int CPU_Type() { return TypeOfSignature(CPU_Signature()); }
bool CPU_OverDrive() { return CPU_Type() == 1; }
int CPU_Family() { return FamilyOfSignature(CPU_Signature()); }
int CPU_ExFamily() { return ExFamilyOfSignature(CPU_Signature()); }
int CPU_Model() { return ModelOfSignature(CPU_Signature()); }
int CPU_ExModel() { return ExModelOfSignature(CPU_Signature()); }
int CPU_Stepping() { return SteppingOfSignature(CPU_Signature()); }

bool CPU_FDIVBugPresent() {
  // volatile keeps the compiler from folding the test away, and the stored
  // product from being fused with the subtraction (a fused multiply-subtract
  // would give the exact, non-zero remainder on a correct unit).
  volatile double x = 4195835.0;
  volatile double y = 3145727.0;
  volatile double quotient = x / y;
  volatile double product = quotient * y;
  return x - product != 0.0;
}

std::string CPU_SerialNumber() {
  try {
    const TCPUIDRegs leaf1 = ExecuteCPUID(1);
    if (((leaf1.EDX >> cpuft_serial) & 1u) == 0) return "";
    const TCPUIDRegs leaf3 = ExecuteCPUID(3);
    return SerialOfRegisters(leaf1.EAX, leaf3.EDX, leaf3.ECX);
  } catch (const ETKZCpuIdError&) {
    return "";
  }
}

std::string CPU_MarketName() {
  std::array<uint32_t, 12> regs{};
  for (uint32_t i = 0; i < 3; ++i) {
    const TCPUIDRegs r = ExecuteCPUID(kExtendedBase + 2 + i);
    regs[4 * i] = r.EAX;
    regs[4 * i + 1] = r.EBX;
    regs[4 * i + 2] = r.ECX;
    regs[4 * i + 3] = r.EDX;
  }
  return BrandOfRegisters(regs);
}

}  // namespace tkz
