// Finds the device's frames in a serial byte stream. Frames carry no length or checksum, so the header
// is the only anchor: bytes before a header are ignored, and a header inside a partial frame starts
// the frame over.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "link/frame.h"

namespace quillon::sim {

using Payload = std::array<std::uint8_t, kPayloadSize>;

class FrameFinder {
 public:
  // The payload of the frame that this byte completes, if it completes one.
  std::optional<Payload> Push(std::uint8_t byte);

 private:
  std::array<std::uint8_t, kFrameHeaderSize> m_window{};  // the last bytes seen, oldest first
  bool m_inFrame = false;
  Payload m_payload{};
  std::size_t m_payloadFill = 0;
};

}  // namespace quillon::sim
