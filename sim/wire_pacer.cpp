#include "sim/wire_pacer.h"

#include <algorithm>

namespace quillon::sim {
namespace {

constexpr std::int64_t kBitsPerByte = 10;

WirePacer::Clock::duration ByteTimeAt(std::uint32_t baud) {
  if (baud == 0) return WirePacer::Clock::duration::zero();
  const std::chrono::nanoseconds byteTime{(kBitsPerByte * 1'000'000'000 + baud / 2) / baud};
  return std::chrono::duration_cast<WirePacer::Clock::duration>(byteTime);
}

}  // namespace

WirePacer::WirePacer(std::uint32_t baud, Delivery delivery, AnswerDelay answerDelay, Wakefulness wakefulness)
    : m_byteTime(ByteTimeAt(baud)),
      m_delivery(delivery),
      m_answerDelay(answerDelay),
      m_wakefulness(wakefulness),
      m_random(answerDelay.seed) {
  m_delivery.usbFrame = std::max(m_delivery.usbFrame, std::chrono::microseconds(1));
}

WirePacer::Clock::time_point WirePacer::Arrive(Clock::time_point now) {
  m_receiveFree = std::max(m_receiveFree, now) + m_byteTime;
  return m_receiveFree;
}

void WirePacer::Queue(std::span<const std::uint8_t> bytes, Clock::time_point notBefore) {
  for (const std::uint8_t byte : bytes) {
    m_sendFree = std::max(m_sendFree, notBefore) + m_byteTime;
    m_queue.emplace_back(byte, m_sendFree);
  }
}

WirePacer::Clock::time_point WirePacer::QueueAnswer(std::span<const std::uint8_t> bytes,
                                                    Clock::time_point commandArrived) {
  Clock::duration delay = m_answerDelay.delay;
  if (m_answerDelay.jitter.count() > 0) {
    // The generator's output is fixed by the standard, unlike its distributions': the same seed draws
    // the same delays with every library. The bias of the remainder is far below a microsecond's worth.
    const auto choices = static_cast<std::uint64_t>(m_answerDelay.jitter.count()) + 1;
    delay += std::chrono::microseconds(static_cast<std::int64_t>(m_random() % choices));
  }
  const Clock::time_point start = std::max(m_sendFree, commandArrived + delay);
  Queue(bytes, start);
  return start;
}

void WirePacer::TakeDue(Clock::time_point now, std::vector<std::uint8_t>& out) {
  if (m_delivery.packetBytes == 0) {
    for (std::optional<Clock::time_point> due = NextDue(); due && *due <= now; due = NextDue()) {
      for (std::size_t taken = FifoRun(); taken > 0; --taken) {
        out.push_back(m_queue.front().first);
        m_queue.pop_front();
      }
      m_lastTaken = now;
    }
    return;
  }
  // Each frame that has begun takes what had crossed by its start, up to a packet.
  for (std::optional<Clock::time_point> frame = NextDue(); frame && *frame <= now; frame = NextDue()) {
    m_lastFrame = *frame;
    for (std::size_t taken = 0; taken < m_delivery.packetBytes; ++taken) {
      if (m_queue.empty() || m_queue.front().second > *frame) break;
      out.push_back(m_queue.front().first);
      m_queue.pop_front();
      m_lastTaken = now;
    }
  }
}

std::size_t WirePacer::FifoRun() const {
  std::size_t run = std::min<std::size_t>(m_queue.size(), 1);
  while (run < std::min(m_queue.size(), m_delivery.fifoBytes) &&
         m_queue[run].second == m_queue[run - 1].second + m_byteTime) {
    ++run;
  }
  return run;
}

std::optional<WirePacer::Clock::time_point> WirePacer::NextDue() const {
  if (m_queue.empty()) return std::nullopt;
  const Clock::time_point crossed = m_queue.front().second;
  if (m_delivery.packetBytes == 0) return m_queue[FifoRun() - 1].second;
  // The first frame, after the last one served, that begins once the byte has crossed.
  return std::max(FrameAfter(m_lastFrame), FrameAfter(crossed - Clock::duration(1)));
}

WirePacer::Clock::time_point WirePacer::FrameAfter(Clock::time_point time) const {
  const Clock::duration frame = m_delivery.usbFrame;
  const auto frames = time.time_since_epoch() / frame;
  return Clock::time_point(frame * (frames + 1));
}

std::optional<WirePacer::Clock::duration> WirePacer::AllowedSleep(Clock::time_point now) const {
  if (const std::optional<Clock::time_point> due = NextDue()) {
    const Clock::duration early = m_wakefulness == Wakefulness::kStaysAwakeNearDue
                                      ? Clock::duration(kWakeEarly)
                                      : Clock::duration::zero();
    return std::max(*due - now - early, Clock::duration::zero());
  }
  if (m_wakefulness == Wakefulness::kOnlySleeps) return std::nullopt;
  const bool paced = m_byteTime != Clock::duration::zero();
  if (paced && now - m_lastTaken < kListenAfterSending) return Clock::duration::zero();
  return std::nullopt;
}

}  // namespace quillon::sim
