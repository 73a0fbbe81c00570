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

WirePacer::WirePacer(std::uint32_t baud) : byteTime_(ByteTimeAt(baud)) {}

WirePacer::Clock::time_point WirePacer::Arrive(Clock::time_point now) {
  receiveFree_ = std::max(receiveFree_, now) + byteTime_;
  return receiveFree_;
}

void WirePacer::Queue(std::span<const std::uint8_t> bytes, Clock::time_point notBefore) {
  for (const std::uint8_t byte : bytes) {
    sendFree_ = std::max(sendFree_, notBefore) + byteTime_;
    queue_.emplace_back(byte, sendFree_);
  }
}

void WirePacer::TakeDue(Clock::time_point now, std::vector<std::uint8_t>& out) {
  while (!queue_.empty() && queue_.front().second <= now) {
    out.push_back(queue_.front().first);
    queue_.pop_front();
    lastTaken_ = now;
  }
}

std::optional<WirePacer::Clock::time_point> WirePacer::NextDue() const {
  if (queue_.empty()) return std::nullopt;
  return queue_.front().second;
}

std::optional<WirePacer::Clock::duration> WirePacer::AllowedSleep(Clock::time_point now) const {
  if (const std::optional<Clock::time_point> due = NextDue()) {
    return std::max(*due - now - Clock::duration(kWakeEarly), Clock::duration::zero());
  }
  const bool paced = byteTime_ != Clock::duration::zero();
  if (paced && now - lastTaken_ < kListenAfterSending) return Clock::duration::zero();
  return std::nullopt;
}

}  // namespace quillon::sim
