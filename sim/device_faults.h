// Faults the simulated device can be told to show, so that tests can drive the station's failure paths.
#pragma once

#include <cstdint>
#include <optional>

namespace quillon::sim {

struct ReadBackCorruption {
  std::uint8_t pageOffset = 0;               // 0..255: this byte of the page read back is inverted
  std::optional<std::uint32_t> pageAddress;  // only in this page's read-back; every page when empty
};

// How a USB transfer fails although the device is there: it moves fewer bytes than asked, or it moves
// them all and the library still reports a failure.
enum class UsbTransferFailure { kShort, kWrongStatus };

struct UsbTransferFault {
  std::uint32_t transfer = 0;  // 1-based, counted with the exchanges as noReplyTo counts them
  UsbTransferFailure failure = UsbTransferFailure::kShort;
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
  // The handshake is answered only after the station has stopped waiting for it: the reply goes out
  // with the device's next reply at the handshake speed; a command at another speed finds the line
  // changed under the reply, which is lost.
  bool lateHandshake = false;
  std::optional<UsbTransferFault> usbTransferFault;
};

}  // namespace quillon::sim
