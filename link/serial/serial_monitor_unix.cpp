// The monitor thread of the serial port on Linux: it polls for a stop request, a write request and
// received bytes, in that priority, writes what was queued, and hands the received bytes to the owner.
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "link/os/poll_timeout.h"
#include "link/serial/answer_gathering.h"
#include "link/serial/serial_port_unix.h"
#include "link/serial/tty_io.h"

namespace quillon {

void CSerialPort::MonitorThread() {
  m_monitorRunning = 1;
  bool portOpen = false;
  {
    std::scoped_lock lock(m_portLock);
    portOpen = m_platform->m_portHandle.valid();
    if (portOpen) PurgeTty(m_platform->m_portHandle.get());
  }
  if (!portOpen) {
    // There is no port to wait on; the monitor still serves stop and write requests.
    errno = EBADF;
    ReportFailure("ppoll() on the tty");
  }
  bool watchTty = portOpen && (m_eventMask & EV_RXCHAR) != 0;
  // The answer's gathering ends on a timer: it should end when it is due, not up to 50 µs later.
  ::prctl(PR_SET_TIMERSLACK, 1UL);

  for (;;) {
    // While the owner awaits bytes that cannot all be in yet, they wait in the tty until they could be:
    // one wake-up for the lot instead of one per byte. Stop and write requests are served at once all
    // the same.
    const auto gatherLeft = m_gathering.Until() - std::chrono::steady_clock::now();
    const bool gathering = gatherLeft > std::chrono::steady_clock::duration::zero();
    const timespec gatherTimeout = ToTimespec(gatherLeft);
    // Only this thread changes the port's handle while it runs, so it reads it without the lock.
    pollfd waitSet[] = {
        {m_platform->m_stopRequest.fd(), POLLIN, 0},
        {m_platform->m_writeRequest.fd(), POLLIN, 0},
        {watchTty && !gathering ? m_platform->m_portHandle.get() : -1, POLLIN, 0},
    };
    const int ready = ::ppoll(waitSet, 3, gathering ? &gatherTimeout : nullptr, nullptr);
    if (ready < 0) continue;   // EINTR; the descriptors are ours and valid
    if (ready == 0) continue;  // the awaited bytes could all be in now

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
      m_gathering.Sent(std::chrono::steady_clock::now(), m_txLength, OwnerAwaits());
      continue;
    }
    const short tty = waitSet[2].revents;
    if (tty & POLLIN) {
      if (ReceiveBytes()) {
        const std::size_t awaited = OwnerAwaits();
        m_gathering.Read(std::chrono::steady_clock::now(),
                         awaited > m_receivedCount ? awaited - m_receivedCount : 0);
      }
      SendEventMessages();
    }
    if (tty & (POLLHUP | POLLERR | POLLNVAL)) {
      // The device went away (an unplugged adapter, a closed pty). The tty would report this on every
      // wait from now on, so stop watching it instead of waking for ever.
      errno = EIO;
      ReportFailure("ppoll() on the tty (it hung up)");
      watchTty = false;
      if (m_ownerWindow != nullptr) m_ownerWindow->PortHungUp();
    }
  }
}

void CSerialPort::WritePending() {
  m_platform->m_writeRequest.Reset();
  std::scoped_lock lock(m_portLock);
  if (!m_platform->m_portHandle || !m_txBuffer) {
    errno = EBADF;
    ReportFailure("write()");
    return;
  }
  // Whatever arrived and was not handed over yet belongs to an earlier exchange: the device answers each
  // frame anew.
  PurgeTty(m_platform->m_portHandle.get());
  m_receivedCount = 0;
  const std::uint32_t length = m_txLength;
  const auto timeout = std::chrono::milliseconds(std::uint64_t{m_timeouts.writeTotalMultiplier} * length +
                                                 m_timeouts.writeTotalConstant);
  if (!WriteFully(m_platform->m_portHandle.get(), m_txBuffer.get(), length, timeout))
    ReportFailure("write()");
}

bool CSerialPort::ReceiveBytes() {
  // One read of what has arrived, then back to the wait: a write request queued meanwhile goes out
  // before the next bytes are taken, even while the device keeps sending (the tail of an
  // acknowledgement, say).
  {
    std::scoped_lock lock(m_portLock);
    const int waiting = BytesWaiting(m_platform->m_portHandle.get());
    if (waiting <= 0) return false;
    const std::size_t room = m_received.size() - m_receivedCount;
    ssize_t count = 0;
    do {
      count = ::read(m_platform->m_portHandle.get(), m_received.data() + m_receivedCount,
                     std::min<std::size_t>(static_cast<std::size_t>(waiting), room));
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
      if (errno != EAGAIN) ReportFailure("read()");
      return false;
    }
    m_receivedCount += static_cast<std::size_t>(count);
  }
  HandOverReceived();
  return true;
}

}  // namespace quillon
