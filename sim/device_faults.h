// Faults the simulated device can be told to show, so that tests can drive the station's failure paths.
#pragma once

#include <cstdint>
#include <optional>

namespace quillon::sim {

struct ReadBackCorruption {
  std::uint8_t pageOffset = 0;               // 0..255: this byte of the page read back is inverted
  std::optional<std::uint32_t> pageAddress;  // only in this page's read-back; every page when empty
};

struct DeviceFaults {
  // 1-based number of the exchange the device loses: a serial command frame (handshake included) goes
  // unanswered and unexecuted; on USB that transfer (write or read) fails. 0: none.
  std::uint32_t noReplyTo = 0;
  std::optional<ReadBackCorruption> corruptReadBack;
  // After this many pages the device leaves the bus as the next page's write address arrives: that
  // command is neither carried out nor answered (serial) and its transfer fails (USB).
  std::optional<std::uint32_t> unplugAfterPages;
  // Non-header bytes sent before every serial reply frame.
  std::uint32_t garbageBeforeReplies = 0;
  // Firmware that only speaks 115200 baud never answers the handshake.
  bool handshakeless = false;
};

}  // namespace quillon::sim
