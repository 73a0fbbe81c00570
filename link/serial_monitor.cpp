// The monitor thread of the serial port: it waits for a stop request, a write request and received
// bytes, in that priority, writes what was queued, and hands each received byte to the owner.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <system_error>
#include <utility>

#include "link/serial_port.h"
#include "link/tty_io.h"

namespace quillon {
namespace {

// What one read takes at most. A block read keeps up with 460800 baud where a read per byte would not;
// the owner still gets one message per byte, all of one read in one hand-off.
constexpr std::size_t kReceiveBlock = 4096;

constexpr std::pair<std::uint32_t, std::uint32_t> kEventMessages[] = {
    {EV_CTS, WM_SERIAL_CTS},   {EV_BREAK, WM_SERIAL_BREAK},       {EV_ERR, WM_SERIAL_LINE_ERROR},
    {EV_RING, WM_SERIAL_RING}, {EV_RXFLAG, WM_SERIAL_EVENT_CHAR},
};

}  // namespace

void CSerialPort::MonitorThread() {
  m_monitorRunning = 1;
  bool portOpen = false;
  {
    std::scoped_lock lock(m_portLock);
    portOpen = m_portHandle.valid();
    if (portOpen) PurgeTty(m_portHandle.get());
  }
  if (!portOpen) {
    // There is no port to wait on; the monitor still serves stop and write requests.
    errno = EBADF;
    ReportFailure("WaitCommEvent()");
  }
  bool watchTty = portOpen && (m_eventMask & EV_RXCHAR) != 0;

  for (;;) {
    // Only this thread changes m_portHandle while it runs, so it reads it without the lock.
    pollfd waitSet[] = {
        {m_stopRequest.fd(), POLLIN, 0},
        {m_writeRequest.fd(), POLLIN, 0},
        {watchTty ? m_portHandle.get() : -1, POLLIN, 0},
    };
    if (::poll(waitSet, 3, -1) < 0) continue;  // EINTR; the descriptors are ours and valid

    if (waitSet[0].revents != 0) {
      {
        std::scoped_lock lock(m_portLock);
        ClosePort();
      }
      m_monitorRunning = 0;
      MarkMonitorEnded();
      return;
    }
    if (waitSet[1].revents != 0) {
      WritePending();
      continue;
    }
    const short tty = waitSet[2].revents;
    if (tty & POLLIN) {
      ReceiveBytes();
      SendEventMessages();
    }
    if (tty & (POLLHUP | POLLERR | POLLNVAL)) {
      // The device went away (an unplugged adapter, a closed pty). The tty would report this on every
      // wait from now on, so stop watching it instead of waking for ever.
      errno = EIO;
      ReportFailure("WaitCommEvent()");
      watchTty = false;
    }
  }
}

void CSerialPort::WritePending() {
  m_writeRequest.Reset();
  std::scoped_lock lock(m_portLock);
  if (!m_portHandle || !m_txBuffer) {
    errno = EBADF;
    ReportFailure("WriteFile()");
    return;
  }
  // Whatever arrived and was not read yet belongs to an earlier exchange: the device answers each frame
  // anew.
  PurgeTty(m_portHandle.get());
  const std::uint32_t length = m_txLength;
  const auto timeout = std::chrono::milliseconds(std::uint64_t{m_timeouts.writeTotalMultiplier} * length +
                                                 m_timeouts.writeTotalConstant);
  if (!WriteFully(m_portHandle.get(), m_txBuffer.get(), length, timeout)) ReportFailure("WriteFile()");
}

void CSerialPort::ReceiveBytes() {
  // One read of what has arrived, then back to the wait: a write request queued meanwhile goes out
  // before the next bytes are taken, even while the device keeps sending (the tail of an
  // acknowledgement, say).
  std::uint8_t block[kReceiveBlock];
  ssize_t count = 0;
  {
    std::scoped_lock lock(m_portLock);
    const int waiting = BytesWaiting(m_portHandle.get());
    if (waiting <= 0) return;
    do {
      count = ::read(m_portHandle.get(), block, std::min<std::size_t>(waiting, kReceiveBlock));
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
      if (errno != EAGAIN) ReportFailure("ReadFile()");
      return;
    }
  }
  // The owner handles every byte, in order, before the monitor goes on; the lock is free meanwhile so
  // that Configure is never held up by a slow owner.
  if (m_ownerWindow && !m_stopRequest.IsSignalled()) {
    m_ownerWindow->SendSerialBytes(std::span(block, static_cast<std::size_t>(count)), m_portNumber);
  }
}

void CSerialPort::SendEventMessages() {
  for (const auto& [event, message] : kEventMessages) {
    if (m_eventMask & event) SendToOwner(message, 0);
  }
}

void CSerialPort::SendToOwner(std::uint32_t message, std::uintptr_t wParam) {
  if (m_ownerWindow) m_ownerWindow->SendSerialMessage(message, wParam, m_portNumber);
}

void CSerialPort::ReportFailure(const char* step) {
  const int error = errno;
  portState = kStateFailed;
  const std::string report = std::string("WARNING:  ") + step + " Failed with the following error: \n" +
                             std::generic_category().message(error) +
                             "\nPort: " + std::to_string(m_portNumber) + "\n";
  std::fputs(report.c_str(), stderr);
}

}  // namespace quillon
