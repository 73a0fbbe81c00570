#include "tests/campaign/process_census.h"

#include <filesystem>
#include <system_error>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QUILLON_SANITIZER_HEAP 1
#endif

#if defined(QUILLON_SANITIZER_HEAP)
// The sanitizers' runtimes have it; gcc ships no header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace quillon::campaign {
namespace {

std::size_t Entries(const char* directory) {
  std::error_code error;
  std::size_t count = 0;
  for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
       entry.increment(error)) {
    ++count;
  }
  return count;
}

std::size_t HeapBytesInUse() {
#if defined(QUILLON_SANITIZER_HEAP)
  // The sanitizer's allocator serves every allocation and keeps its own count.
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

}  // namespace

bool HeapCounted() {
#if defined(QUILLON_SANITIZER_HEAP)
  return true;
#else
  return false;
#endif
}

Census TakeCensus() {
  // The listing of /proc/self/fd holds one descriptor of its own while it runs, every time.
  return {Entries("/proc/self/task"), Entries("/proc/self/fd"), HeapBytesInUse()};
}

}  // namespace quillon::campaign
