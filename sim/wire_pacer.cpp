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

WirePacer::WirePacer(std::uint32_t baud, Delivery delivery)
    : byteTime_(ByteTimeAt(baud)), delivery_(delivery) {
  delivery_.usbFrame = std::max(delivery_.usbFrame, std::chrono::microseconds(1));
}

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
  if (delivery_.packetBytes == 0) {
    while (!queue_.empty() && queue_.front().second <= now) {
      out.push_back(queue_.front().first);
      queue_.pop_front();
      lastTaken_ = now;
    }
    return;
  }
  // Each frame that has begun takes what had crossed by its start, up to a packet.
  for (std::optional<Clock::time_point> frame = NextDue(); frame && *frame <= now; frame = NextDue()) {
    lastFrame_ = *frame;
    for (std::size_t taken = 0; taken < delivery_.packetBytes; ++taken) {
      if (queue_.empty() || queue_.front().second > *frame) break;
      out.push_back(queue_.front().first);
      queue_.pop_front();
      lastTaken_ = now;
    }
  }
}

std::optional<WirePacer::Clock::time_point> WirePacer::NextDue() const {
  if (queue_.empty()) return std::nullopt;
  const Clock::time_point crossed = queue_.front().second;
  if (delivery_.packetBytes == 0) return crossed;
  // The first frame, after the last one served, that begins once the byte has crossed.
  return std::max(FrameAfter(lastFrame_), FrameAfter(crossed - Clock::duration(1)));
}

WirePacer::Clock::time_point WirePacer::FrameAfter(Clock::time_point time) const {
  const Clock::duration frame = delivery_.usbFrame;
  const auto frames = time.time_since_epoch() / frame;
  return Clock::time_point(frame * (frames + 1));
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
