// cpuid: CPU_Speed, the clock frequency counted with the time-stamp counter
// against the monotonic clock while the calling thread runs at the highest
// priority it may have.
#include <sched.h>
#include <sys/resource.h>
#include <time.h>

#include <cerrno>

#include "core/sys/cpuid.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define TKZ_HAVE_TSC 1
#else
#define TKZ_HAVE_TSC 0
#endif

namespace tkz {

#if TKZ_HAVE_TSC
namespace {

// The millisecond tick counter of the measurement.
int64_t TickMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Gives the calling thread the lowest nice value and the highest real-time
// priority the system permits, and puts the previous settings back when it
// goes out of scope. Refused changes are left out.
class PriorityBoost {
 public:
  PriorityBoost() {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    if (errno == 0) {
      saved_nice_ = nice;
      nice_changed_ = LowerNice(nice);
    }
    saved_policy_ = sched_getscheduler(0);
    if (saved_policy_ != -1 && sched_getparam(0, &saved_param_) == 0)
      policy_changed_ = RaisePolicy();
  }
  ~PriorityBoost() {
    // Going back to a lower priority is always permitted.
    if (policy_changed_) sched_setscheduler(0, saved_policy_, &saved_param_);
    if (nice_changed_) setpriority(PRIO_PROCESS, 0, saved_nice_);
  }
  PriorityBoost(const PriorityBoost&) = delete;
  PriorityBoost& operator=(const PriorityBoost&) = delete;

 private:
  // Nice -20, or else the lowest value RLIMIT_NICE allows an unprivileged
  // thread (20 - limit).
  static bool LowerNice(int current) {
    if (current > -20 && setpriority(PRIO_PROCESS, 0, -20) == 0) return true;
    rlimit rl{};
    if (getrlimit(RLIMIT_NICE, &rl) != 0 || rl.rlim_cur == 0) return false;
    const int lowest = rl.rlim_cur == RLIM_INFINITY || rl.rlim_cur >= 40
                           ? -20
                           : 20 - static_cast<int>(rl.rlim_cur);
    return lowest < current && setpriority(PRIO_PROCESS, 0, lowest) == 0;
  }

  // SCHED_FIFO at its highest priority, or else at the RLIMIT_RTPRIO limit.
  bool RaisePolicy() const {
    int policy = SCHED_FIFO;
#ifdef SCHED_RESET_ON_FORK
    // Only a privileged thread may drop this flag once it is set.
    policy |= saved_policy_ & SCHED_RESET_ON_FORK;
#endif
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_FIFO);
    if (sched_setscheduler(0, policy, &param) == 0) return true;
    rlimit rl{};
    if (getrlimit(RLIMIT_RTPRIO, &rl) != 0 || rl.rlim_cur == 0) return false;
    if (rl.rlim_cur < static_cast<rlim_t>(param.sched_priority))
      param.sched_priority = static_cast<int>(rl.rlim_cur);
    return sched_setscheduler(0, policy, &param) == 0;
  }

  int saved_nice_ = 0;
  bool nice_changed_ = false;
  int saved_policy_ = -1;
  sched_param saved_param_{};
  bool policy_changed_ = false;
};

}  // namespace
#endif

float CPU_Speed(int ms) {
  if (ms < 1) ms = 1;
  // Without the counter, reading it would stop the program.
  if (((CPU_FeatureSet() >> cpuft_tsc) & 1u) == 0)
    throw ETKZCpuIdError("The processor has no time-stamp counter");
#if TKZ_HAVE_TSC
  uint64_t cycles = 0;
  {
    PriorityBoost boost;
    // Start on the edge of a tick, so that the full ms are counted.
    const int64_t previous = TickMs();
    int64_t start = previous;
    while (start == previous) start = TickMs();
    const uint64_t first = __rdtsc();
    while (TickMs() - start < ms) {
    }
    cycles = __rdtsc() - first;
  }
  return SpeedOfCycles(cycles, ms);
#else
  throw ETKZCpuIdError("Cannot acquire CPU information (CPUID not supported)");
#endif
}

}  // namespace tkz
