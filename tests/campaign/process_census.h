// What the process holds, counted: its threads, its open file descriptors and the heap bytes in use.
#pragma once

#include <cstddef>

namespace quillon::campaign {

struct Census {
  std::size_t threads = 0;
  std::size_t descriptors = 0;
  std::size_t heapBytes = 0;

  bool SameHandles(const Census& other) const {
    return threads == other.threads && descriptors == other.descriptors;
  }
};

Census TakeCensus();

// Whether heapBytes counts every allocation of every thread: under the address or thread sanitizer,
// whose allocator keeps the count. The C library's own count covers only its main arena.
bool HeapCounted();

}  // namespace quillon::campaign
