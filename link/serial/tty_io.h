// The few tty operations the serial port needs, on a non-blocking descriptor. Each reports failure
// through errno, as the system calls beneath do.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "link/os/file_descriptor.h"
#include "link/serial/port_path_check.h"

namespace quillon {

// An opened tty, or why none was opened.
struct TtyOpening {
  FileDescriptor tty;
  int error = 0;                               // the failed open's errno
  std::optional<NotSerialPort> notSerialPort;  // the path is no serial port: nothing was written to it
  explicit operator bool() const { return tty.valid(); }
};

// Opens the tty for reading and writing, non-blocking, without making it our controlling terminal and
// without creating or truncating anything, and takes it for this program alone: TIOCEXCL turns away
// other openers (except root), and an flock that every instance of the station takes makes a port that
// another one holds count as busy, root or not. What is no serial port (port_path_check.h) is refused
// before the open where its path shows it, else on the opened descriptor.
TtyOpening OpenTtyExclusive(const std::string& path);

// What the opened descriptor is, when it is no serial port.
std::optional<NotSerialPort> LookAtOpenedTty(int fd, const std::string& path);

// Gives the exclusive use back, so that the next opener is not turned away while someone else still
// holds the tty open, and closes the descriptor.
void CloseTty(FileDescriptor& tty);

// Discards input that has arrived and not been read, and output not yet sent.
bool PurgeTty(int fd);

// Raises RTS, which the device's adapter may need to send. A tty without modem lines (a pty) refuses it,
// and that is no failure.
void RaiseRts(int fd);

// How many received bytes wait to be read; -1 on failure.
int BytesWaiting(int fd);

// Writes all `length` bytes, waiting for room in the tty's output while `timeout` lasts. False with errno
// set when a write fails or the time runs out (ETIMEDOUT).
bool WriteFully(int fd, const std::uint8_t* bytes, std::size_t length, std::chrono::milliseconds timeout);

}  // namespace quillon
