#pragma once

#include <cstdint>

// Counts the heap allocations made by the calling thread. The benchmark executable replaces the
// global operator new, so every allocation through new (std containers, Qt's containers, the
// images) is seen; malloc called directly is not.
namespace AllocationCounter {

// Allocations made by this thread since it started.
std::uint64_t Count();

// Counts the allocations made while it is alive, on the thread that made it.
class Scope {
  public:
    Scope() : FStart(Count()) {}
    std::uint64_t Allocations() const { return Count() - FStart; }

  private:
    std::uint64_t FStart;
};

} // namespace AllocationCounter
