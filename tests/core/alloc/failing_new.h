// Allocation-failure injection for the tests of this folder: the program's
// global operator new (every form) counts allocations while armed and fails
// the n-th one, throwing std::bad_alloc (the nothrow forms return nullptr).
#pragma once

namespace tkz::alloc_testing {

// Fails the n-th allocation from now (n >= 1) until the guard is destroyed;
// after that failure allocations succeed again.
class FailAllocation {
 public:
  explicit FailAllocation(long n);
  ~FailAllocation();
  FailAllocation(const FailAllocation&) = delete;
  FailAllocation& operator=(const FailAllocation&) = delete;
  // Whether the armed allocation was reached (and failed).
  bool Fired() const;
};

}  // namespace tkz::alloc_testing
