// How the station's own code tells of a failure: a Problem, whose kind a caller branches on and whose
// words are the operator's (through the catalogues), returned as a value by every layer. Result<T> is a
// T or the Problem that kept it from being made; Result<void> is success or a Problem. Nothing prints
// where the problem is met: the front end says it, and decides the exit code from the kind alone.
#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace quillon {

enum class ProblemKind {
  kUsage,         // the command line asks for something that cannot be
  kInputMissing,  // an input file is not there: nothing was sent
  kInputRefused,  // an input file of the wrong kind, unreadable or malformed: nothing was sent
  kOutputFailed,  // an output file or the log could not be written
  kNoDevice,      // no device linked in time, or what was named is no port of one
  kLinkFailed,    // the link to the device failed
  kJobFailed,     // the device was written or read, and it did not hold what it should
  kInterrupted,   // the operator stopped it
  kSystem,        // the system refused a call the station needs
};

struct Problem {
  ProblemKind kind = ProblemKind::kSystem;
  std::string words;  // in the operator's language, without a line end

  bool operator==(const Problem&) const = default;
};

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : m_value(std::move(value)) {}
  Result(Problem problem) : m_value(std::move(problem)) {}

  bool Ok() const { return m_value.index() == 0; }
  explicit operator bool() const { return Ok(); }

  T& operator*() {
    assert(Ok());
    return std::get<0>(m_value);
  }
  const T& operator*() const {
    assert(Ok());
    return std::get<0>(m_value);
  }
  T* operator->() { return &**this; }
  const T* operator->() const { return &**this; }
  const Problem& Failure() const {
    assert(!Ok());
    return std::get<1>(m_value);
  }

 private:
  std::variant<T, Problem> m_value;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Problem problem) : m_problem(std::move(problem)), m_failed(true) {}

  bool Ok() const { return !m_failed; }
  explicit operator bool() const { return Ok(); }
  const Problem& Failure() const {
    assert(m_failed);
    return m_problem;
  }

 private:
  Problem m_problem;
  bool m_failed = false;
};

}  // namespace quillon
