// What a test needs made, or nothing: when the Result holds a problem the test fails saying it, and an
// empty value (a nullptr, for a pointer) comes back.
#pragma once

#include <gtest/gtest.h>

#include <utility>

#include "texts/problem.h"

namespace quillon::testing {

template <typename T>
T Made(Result<T> result) {
  if (!result) {
    ADD_FAILURE() << result.Failure().words;
    return T{};
  }
  return std::move(*result);
}

}  // namespace quillon::testing
