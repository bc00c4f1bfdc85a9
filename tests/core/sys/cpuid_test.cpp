#include "core/sys/cpuid.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace tkz {
namespace {

// Packs up to four characters into a register, first character lowest.
constexpr uint32_t Reg(const char* s) {
  uint32_t r = 0;
  for (int i = 0; i < 4 && s[i]; ++i)
    r |= static_cast<uint32_t>(static_cast<uint8_t>(s[i])) << (8 * i);
  return r;
}

// The twelve brand registers of a 48-byte text (zero-padded).
std::array<uint32_t, 12> BrandRegs(const std::string& text) {
  std::array<char, 48> bytes{};
  std::memcpy(bytes.data(), text.data(), std::min<size_t>(text.size(), 48));
  std::array<uint32_t, 12> regs{};
  std::memcpy(regs.data(), bytes.data(), 48);
  return regs;
}

bool OnX86() {
#if defined(__x86_64__) || defined(__i386__)
  return true;
#else
  return false;
#endif
}

// ------------------------------------------------------------- decoding

struct SignatureCase {
  uint32_t eax;
  int type, family, model, stepping, exfamily, exmodel;
};

TEST(CpuIdDecoding, SignatureFieldsOfKnownProcessors) {
  const SignatureCase cases[] = {
      {0x00000000, 0, 0, 0, 0, 0, 0},      // no signature: every field 0
      {0x00000543, 0, 5, 4, 3, 0, 0},      // Pentium MMX
      {0x00001632, 1, 6, 3, 2, 0, 0},      // Pentium II OverDrive
      {0x00000F29, 0, 0xF, 2, 9, 0, 0},    // Pentium 4 (Northwood)
      {0x00050654, 0, 6, 5, 4, 0, 5},      // Xeon Skylake-SP (model 0x55)
      {0x000906EA, 0, 6, 0xE, 0xA, 0, 9},  // Core i7 Coffee Lake (model 0x9E)
      {0x00800F82, 0, 0xF, 8, 2, 8, 0},    // AMD Zen+ (family 0x17)
      {0x00A20F10, 0, 0xF, 1, 0, 0xA, 2},  // AMD Zen 3 (family 0x19, model 0x21)
      {0xFFFFFFFF, 3, 0xF, 0xF, 0xF, 0xFF, 0xF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.eax);
    EXPECT_EQ(TypeOfSignature(c.eax), c.type);
    EXPECT_EQ(FamilyOfSignature(c.eax), c.family);
    EXPECT_EQ(ModelOfSignature(c.eax), c.model);
    EXPECT_EQ(SteppingOfSignature(c.eax), c.stepping);
    EXPECT_EQ(ExFamilyOfSignature(c.eax), c.exfamily);
    EXPECT_EQ(ExModelOfSignature(c.eax), c.exmodel);
  }
}

TEST(CpuIdDecoding, FeatureNamesFollowTheBits) {
  EXPECT_EQ(CPUFeatureNames[cpuft_sepamd], "Fast system calls (AMD only)");
  EXPECT_EQ(CPUFeatureNames[cpuft_reserved1], "reserved");
  EXPECT_EQ(CPUFeatureNames[cpuft_reserved2], "reserved");
  EXPECT_EQ(cpuft_3dnow, 31);

  EXPECT_TRUE(FeatureNamesOfSet(0).empty());
  const auto names =
      FeatureNamesOfSet((1u << cpuft_fpu) | (1u << cpuft_cmov) | (1u << cpuft_3dnow));
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], "Floating Point Unit");
  EXPECT_EQ(names[1], "Conditional MOVe instructions");
  EXPECT_EQ(names[2], "3DNow! instructions available");
  EXPECT_EQ(FeatureNamesOfSet(0xFFFFFFFFu).size(), 32u);
}

TEST(CpuIdDecoding, VendorIsTwelveCharactersOfEbxEdxEcx) {
  EXPECT_EQ(VendorOfRegisters(Reg("Genu"), Reg("ineI"), Reg("ntel")), "GenuineIntel");
  EXPECT_EQ(VendorOfRegisters(0x68747541, 0x69746E65, 0x444D4163), "AuthenticAMD");
  // A zero byte shortens the text below 12 characters.
  EXPECT_EQ(VendorOfRegisters(Reg("Genu"), Reg("ine"), Reg("ntel")), "Unknown");
  EXPECT_EQ(VendorOfRegisters(0, 0, 0), "Unknown");
}

TEST(CpuIdDecoding, BrandStringIsTrimmed) {
  EXPECT_EQ(BrandOfRegisters(BrandRegs("Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz")),
            "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz");
  // Older Intel processors right-align the text with leading blanks.
  EXPECT_EQ(BrandOfRegisters(BrandRegs("              Intel(R) Pentium(R) 4 CPU 2.40GHz")),
            "Intel(R) Pentium(R) 4 CPU 2.40GHz");
  // Blanks and control characters at both ends go, blanks inside stay.
  EXPECT_EQ(BrandOfRegisters(BrandRegs("\t AMD  EPYC \r\n")), "AMD  EPYC");
  EXPECT_EQ(BrandOfRegisters(BrandRegs("")), "");
  EXPECT_EQ(BrandOfRegisters(BrandRegs("      ")), "");
  // High characters are text, not control characters.
  EXPECT_EQ(BrandOfRegisters(BrandRegs("CPU \xAE")), "CPU \xAE");
}

TEST(CpuIdDecoding, BrandStringWithInnerControlCharacterIsUnknown) {
  EXPECT_EQ(BrandOfRegisters(BrandRegs("AMD\tEPYC")), "unknown");
  std::array<uint32_t, 12> regs = BrandRegs("Intel");
  regs[11] = Reg("abcd");  // text after the zero padding
  EXPECT_EQ(BrandOfRegisters(regs), "unknown");
}

TEST(CpuIdDecoding, SerialIsTwentyFourUpperCaseHexDigits) {
  EXPECT_EQ(SerialOfRegisters(0x00000673, 0x0001A2B3, 0xC4D5E6F7), "000006730001A2B3C4D5E6F7");
  EXPECT_EQ(SerialOfRegisters(0, 0, 0), "000000000000000000000000");
}

TEST(CpuIdDecoding, SpeedIsCyclesPerMicrosecond) {
  EXPECT_FLOAT_EQ(SpeedOfCycles(1'000'000'000, 500), 2000.0f);  // 2 GHz over 500 ms
  EXPECT_FLOAT_EQ(SpeedOfCycles(3'600'000, 1), 3600.0f);
  EXPECT_FLOAT_EQ(SpeedOfCycles(30'000'000'000ULL, 10'000), 3000.0f);  // past 1000 ms
  EXPECT_FLOAT_EQ(SpeedOfCycles(0, 100), 0.0f);
  // A time below 1 ms counts as 1 ms instead of dividing by zero.
  EXPECT_FLOAT_EQ(SpeedOfCycles(2'000'000, 0), 2000.0f);
  EXPECT_FLOAT_EQ(SpeedOfCycles(2'000'000, -5), 2000.0f);
}

// --------------------------------------------------------- this machine

class CpuIdLive : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnX86()) GTEST_SKIP() << "not an x86 processor";
  }
};

// The brand string of leaves 0x80000002-4 read with the compiler's cpuid.h,
// without leading or trailing blanks ("" when the leaves are missing).
std::string CompilerBrandString() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned regs[12] = {};
  for (unsigned leaf = 0; leaf < 3; ++leaf) {
    if (!__get_cpuid(0x80000002u + leaf, &regs[4 * leaf], &regs[4 * leaf + 1], &regs[4 * leaf + 2],
                     &regs[4 * leaf + 3]))
      return "";
  }
  char text[49] = {};
  std::memcpy(text, regs, 48);
  std::string s(text);
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
#else
  return "";
#endif
}

TEST_F(CpuIdLive, VendorAndSignature) {
  ASSERT_TRUE(CPU_IDSupport());
  const std::string vendor = CPU_VendorString();
  EXPECT_EQ(vendor.size(), 12u);
  EXPECT_NE(vendor, "Unknown");
  EXPECT_GE(CPU_Family(), 4);

  // Linux shows the same processor in /proc/cpuinfo, with the family and
  // model combined from the base and extended fields.
  std::ifstream info("/proc/cpuinfo");
  std::map<std::string, std::string> first;  // fields of the first processor
  for (std::string line; std::getline(info, line) && !line.empty();) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, colon);
    key.erase(key.find_last_not_of(" \t") + 1);
    first[key] = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
  }
  if (first.count("vendor_id") == 0) GTEST_SKIP() << "no /proc/cpuinfo";
  EXPECT_EQ(vendor, first["vendor_id"]);
  // The kernel reads the brand string once at boot; a virtual machine that
  // moved to another host since then answers CPUID with the new host's brand,
  // so the brand is compared with the compiler's own CPUID reading instead.
  EXPECT_EQ(CPU_MarketName(), CompilerBrandString());
  const int family = CPU_Family() + (CPU_Family() == 0xF ? CPU_ExFamily() : 0);
  const int model = CPU_Model() + (CPU_Family() >= 6 ? CPU_ExModel() << 4 : 0);
  EXPECT_EQ(std::to_string(family), first["cpu family"]);
  EXPECT_EQ(std::to_string(model), first["model"]);
  EXPECT_EQ(std::to_string(CPU_Stepping()), first["stepping"]);
}

TEST_F(CpuIdLive, BaseFeaturesOfEveryX8664Processor) {
  const uint32_t features = CPU_FeatureSet();
  for (TCPUFeatures f : {cpuft_fpu, cpuft_tsc, cpuft_cx8, cpuft_cmov, cpuft_mmx, cpuft_xsr,
                         cpuft_simd, cpuft_simd2}) {
    SCOPED_TRACE(CPUFeatureNames[f]);
    EXPECT_TRUE((features >> f) & 1u);
  }
#if defined(__x86_64__)
  // Long mode (bit 29 of leaf 0x80000001 EDX) is what makes it x86-64.
  EXPECT_TRUE((CPU_ExtendedFeatureSet() >> 29) & 1u);
#endif
}

TEST_F(CpuIdLive, LeavesAboveTheHighestRaise) {
  const uint32_t highest = ExecuteCPUID(0).EAX;
  try {
    ExecuteCPUID(highest + 1);
    FAIL() << "no exception for leaf " << highest + 1;
  } catch (const ETKZCpuIdError& e) {
    char leaf[16];
    std::snprintf(leaf, sizeof leaf, "%08X", highest + 1);
    EXPECT_EQ(std::string(e.what()),
              std::string("CPUID: execution level not supported (leaf $") + leaf + ")");
  }
  const uint32_t highestExt = ExecuteCPUID(0x80000000u).EAX;
  EXPECT_THROW(ExecuteCPUID(highestExt + 1), ETKZCpuIdError);
  EXPECT_THROW(ExecuteCPUID(0xFFFFFFFFu), ETKZCpuIdError);
}

TEST_F(CpuIdLive, MarketNameAndSerialNumber) {
  const std::string name = CPU_MarketName();
  EXPECT_FALSE(name.empty());
  EXPECT_NE(name.front(), ' ');
  EXPECT_NE(name.back(), ' ');
  const std::string serial = CPU_SerialNumber();
  if ((CPU_FeatureSet() >> cpuft_serial) & 1u) {
    ASSERT_EQ(serial.size(), 24u);
    EXPECT_EQ(serial.substr(0, 8), SerialOfRegisters(CPU_Signature(), 0, 0).substr(0, 8));
  } else {
    EXPECT_EQ(serial, "");
  }
}

TEST(CpuIdOs, ProcessorCountIsTheSystemsOnlineCount) {
  const int n = CPU_Count();
  EXPECT_GE(n, 1);
  // libstdc++ asks the system for the processors online as well.
  ASSERT_GT(std::thread::hardware_concurrency(), 0u);
  EXPECT_EQ(n, static_cast<int>(std::thread::hardware_concurrency()));
  // Linux lists each processor online in /proc/cpuinfo.
  std::ifstream info("/proc/cpuinfo");
  int listed = 0;
  for (std::string line; std::getline(info, line);)
    if (line.rfind("processor", 0) == 0) ++listed;
  if (listed > 0) {
    EXPECT_EQ(n, listed);
  }
}

TEST(CpuIdFpu, NoDivisionDefect) { EXPECT_FALSE(CPU_FDIVBugPresent()); }

TEST_F(CpuIdLive, SpeedIsPlausible) {
  const float mhz = CPU_Speed(100);
  EXPECT_GT(mhz, 100.0f);
  EXPECT_LT(mhz, 10000.0f);
  // A second, shorter measurement of the same counter agrees within 25 %.
  const float again = CPU_Speed(50);
  EXPECT_NEAR(again, mhz, mhz * 0.25f);
  EXPECT_GT(CPU_Speed(0), 0.0f);
}

// Nice value and policy of the calling thread.
struct Scheduling {
  int nice;
  int policy;
  int priority;
};

Scheduling ThreadScheduling() {
  errno = 0;
  Scheduling s{getpriority(PRIO_PROCESS, 0), sched_getscheduler(0), -1};
  sched_param p{};
  if (sched_getparam(0, &p) == 0) s.priority = p.sched_priority;
  return s;
}

TEST_F(CpuIdLive, SpeedRestoresPriorities) {
  const Scheduling before = ThreadScheduling();
  CPU_Speed(20);
  const Scheduling after = ThreadScheduling();
  EXPECT_EQ(after.nice, before.nice);
  EXPECT_EQ(after.policy, before.policy);
  EXPECT_EQ(after.priority, before.priority);
}

TEST_F(CpuIdLive, SpeedRestoresAnUnusualNiceValue) {
  // Nice value and policy belong to the thread, so this one can be changed
  // for good.
  Scheduling before{}, after{};
  bool set = false;
  std::thread t([&] {
    sched_param normal{};
    set = sched_setscheduler(0, SCHED_OTHER, &normal) == 0 && setpriority(PRIO_PROCESS, 0, 7) == 0;
    before = ThreadScheduling();
    CPU_Speed(20);
    after = ThreadScheduling();
  });
  t.join();
  ASSERT_TRUE(set);
  EXPECT_EQ(before.nice, 7);
  EXPECT_EQ(after.nice, 7);
  EXPECT_EQ(after.policy, SCHED_OTHER);
  EXPECT_EQ(after.priority, 0);
}

TEST_F(CpuIdLive, SpeedRaisesPriorityWhereAllowed) {
  bool niceAllowed = false, fifoAllowed = false;
  std::thread probe([&] {
    niceAllowed = setpriority(PRIO_PROCESS, 0, -20) == 0;
    sched_param p{};
    p.sched_priority = sched_get_priority_max(SCHED_FIFO);
    fifoAllowed = sched_setscheduler(0, SCHED_FIFO, &p) == 0;
  });
  probe.join();
  if (!niceAllowed && !fifoAllowed) GTEST_SKIP() << "this process may not raise its priority";

  // A real-time thread that spins keeps everything else off its processor,
  // and the scheduler may be slow to move the observer away when the other
  // processors are busy with other tests: give each thread a processor of
  // its own and the observer the same real-time priority.
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
  std::vector<int> cpus;
  for (int c = 0; c < CPU_SETSIZE && cpus.size() < 2; ++c)
    if (CPU_ISSET(c, &allowed)) cpus.push_back(c);
  if (cpus.size() < 2)
    GTEST_SKIP() << "one processor: a spinning real-time thread starves the observer";
  const auto pinTo = [](int cpu) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    return sched_setaffinity(0, sizeof one, &one) == 0;
  };

  // The observer starts first and the worker waits for it: a spinning
  // real-time worker may otherwise keep this thread from ever starting the
  // observer while another test's real-time thread holds the other processor.
  std::atomic<pid_t> tid{0};
  std::atomic<bool> done{false}, observing{false};
  int lowestNice = 20;
  bool sawFifo = false, observerPinned = false;
  std::thread observer([&] {
    observerPinned = pinTo(cpus[1]);
    if (fifoAllowed) {
      sched_param p{};
      p.sched_priority = sched_get_priority_max(SCHED_FIFO);
      sched_setscheduler(0, SCHED_FIFO, &p);
    }
    observing = true;
    while (!done) {
      if (tid != 0) {
        errno = 0;
        const int nice = getpriority(PRIO_PROCESS, tid);
        const int policy = sched_getscheduler(tid);
        if (!done && errno == 0) {
          lowestNice = std::min(lowestNice, nice);
          sawFifo = sawFifo || policy == SCHED_FIFO;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  bool workerPinned = false;
  std::thread worker([&] {
    sched_param normal{};
    sched_setscheduler(0, SCHED_OTHER, &normal);
    workerPinned = pinTo(cpus[0]);
    while (!observing) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    tid = gettid();
    CPU_Speed(200);
    done = true;
  });
  worker.join();
  observer.join();
  ASSERT_TRUE(workerPinned && observerPinned);
  if (niceAllowed) {
    EXPECT_EQ(lowestNice, -20);
  }
  EXPECT_EQ(sawFifo, fifoAllowed);
}

TEST(CpuIdOtherProcessors, QueriesRaiseWithoutCpuid) {
  if (OnX86()) GTEST_SKIP() << "CPUID is present";
  EXPECT_FALSE(CPU_IDSupport());
  try {
    CPU_VendorString();
    FAIL() << "no exception";
  } catch (const ETKZCpuIdError& e) {
    EXPECT_STREQ(e.what(), "Cannot acquire CPU information (CPUID not supported)");
  }
  EXPECT_THROW(CPU_Signature(), ETKZCpuIdError);
  EXPECT_THROW(CPU_MarketName(), ETKZCpuIdError);
  EXPECT_THROW(CPU_Speed(10), ETKZCpuIdError);
  EXPECT_EQ(CPU_SerialNumber(), "");
}

}  // namespace
}  // namespace tkz
