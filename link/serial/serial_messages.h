// What the serial driver tells its owner, and how it reaches the owner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// windows.h defines the names below (and the dialog's WM_TIMER) as macros of the same values; the
// station's own header for it, link/os/windows_api.h, undoes them, so these constants are the ones every
// platform uses and this header needs no platform's.

namespace quillon {

// Message numbers of the driver (WM_USER + n); 0x403 and 0x406 are never sent.
inline constexpr std::uint32_t WM_USER = 0x400;
inline constexpr std::uint32_t WM_SERIAL_BREAK = WM_USER + 1;
inline constexpr std::uint32_t WM_SERIAL_CTS = WM_USER + 2;
inline constexpr std::uint32_t WM_SERIAL_LINE_ERROR = WM_USER + 4;
inline constexpr std::uint32_t WM_SERIAL_RING = WM_USER + 5;
inline constexpr std::uint32_t WM_SERIAL_BYTE = WM_USER + 7;
inline constexpr std::uint32_t WM_SERIAL_EVENT_CHAR = WM_USER + 8;

// Communication events a port can watch.
inline constexpr std::uint32_t EV_RXCHAR = 0x1;
inline constexpr std::uint32_t EV_RXFLAG = 0x2;
inline constexpr std::uint32_t EV_CTS = 0x8;
inline constexpr std::uint32_t EV_BREAK = 0x40;
inline constexpr std::uint32_t EV_ERR = 0x80;
inline constexpr std::uint32_t EV_RING = 0x100;

// The owner of a serial port: the main dialog, whose messages run on the dialog thread.
class SerialOwner {
 public:
  virtual ~SerialOwner() = default;

  // Delivers one message and returns when the owner has handled it (at once if the owner is gone).
  virtual void SendSerialMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

  // Delivers the bytes of one read as WM_SERIAL_BYTE messages, in order, and returns when the owner has
  // handled the last. An owner on a thread of its own takes them in one hand-off.
  virtual void SendSerialBytes(std::span<const std::uint8_t> bytes, std::intptr_t port) {
    for (const std::uint8_t byte : bytes) SendSerialMessage(WM_SERIAL_BYTE, byte, port);
  }

  // The fewest received bytes that can end what the owner waits for now; 0 when it waits for none. The
  // driver may keep back fewer bytes than this, and need not look for them before they can have
  // crossed the line.
  virtual std::size_t BytesAwaited() const { return 0; }

  // Called on the owner's own thread while it waits for the monitor thread: handles the messages that
  // wait for the owner, so a monitor blocked in SendSerialMessage can go on. Elsewhere it does nothing.
  virtual void DispatchPendingMessages() = 0;

  // Called on the monitor thread once the tty has hung up (its adapter taken away; on Windows, once the
  // port is given up after a failed read), after the port has been marked failed. Returns at once.
  virtual void PortHungUp() {}
};

}  // namespace quillon
