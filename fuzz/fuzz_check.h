// What a fuzz target does when the code under test breaks a promise: say which, and abort, so that
// libFuzzer keeps the input that did it (and the corpus replay in the test suite fails).
#pragma once

#include <cstdio>
#include <cstdlib>

namespace quillon::fuzz {

inline void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

}  // namespace quillon::fuzz
