#include "sim/frame_finder.h"

#include <algorithm>

namespace quillon::sim {

std::optional<Payload> FrameFinder::Push(std::uint8_t byte) {
  std::shift_left(window_.begin(), window_.end(), 1);
  window_.back() = byte;
  // The window starts as zeros, which never match the header.
  if (window_ == kFrameHeader) {
    inFrame_ = true;
    payloadFill_ = 0;
    return std::nullopt;
  }
  if (!inFrame_) return std::nullopt;

  payload_[payloadFill_++] = byte;
  if (payloadFill_ < payload_.size()) return std::nullopt;
  inFrame_ = false;
  return payload_;
}

}  // namespace quillon::sim
