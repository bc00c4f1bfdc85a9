#include "core/types/tkzbase.h"

namespace tkz {

double ProcStat = 0;
double LastProcStat = 0;
std::atomic<bool> AbortMathProc{false};
TMathFeedBackProc MathFeedBackProc = nullptr;

bool ProgressStep() {
  ProcStat += 1.0;
  if (MathFeedBackProc != nullptr) MathFeedBackProc(ProcStat);
  return !AbortMathProc.load(std::memory_order_relaxed);
}

TCSVDelimiters ResolveCSVDelimiter(char c) {
  for (int d = csvBlank; d <= csvTab; ++d)
    if (CSVDELIMITERS[static_cast<size_t>(d)] == c) return static_cast<TCSVDelimiters>(d);
  return csvUnknown;
}

}  // namespace tkz

#include "core/types/version.h"

const char* tkz::CoreKitVersion() { return TKZ_VERSION_STRING; }
