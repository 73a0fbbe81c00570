#include "link/serial/answer_gathering.h"

#include <algorithm>

namespace quillon {

void AnswerGathering::Sent(Clock::time_point now, std::size_t sentBytes, std::size_t awaitedBytes) {
  m_readsForAnswer = 0;
  // The device answers once the frame has crossed the line, and its answer crosses it in turn.
  WaitFor(now, sentBytes + awaitedBytes);
}

void AnswerGathering::Read(Clock::time_point now, std::size_t awaitedBytes) {
  ++m_readsForAnswer;
  if (awaitedBytes > kHeldBackBytes) {
    WaitFor(now, awaitedBytes - kHeldBackBytes);
    return;
  }
  if (awaitedBytes > 0) {
    m_until = {};
    return;
  }
  // The answer is in: whole at the first look, the wait was longer than the device needed; in pieces,
  // the device keeps the line's pace.
  m_halvings = m_readsForAnswer == 1 ? std::min(m_halvings + 1, kMostHalvings) : 0;
  m_until = {};
}

void AnswerGathering::WaitFor(Clock::time_point now, std::size_t bytes) {
  const auto lineTime = static_cast<std::int64_t>(bytes) * m_byteTime / (std::int64_t{1} << m_halvings);
  m_until = now + lineTime - kTimerLateness;
}

}  // namespace quillon
