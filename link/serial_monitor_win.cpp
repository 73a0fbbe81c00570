// The monitor thread of the serial port on Windows: an overlapped event wait on the port, and one
// WaitForMultipleObjects for a stop request, a write request and that wait, in that priority.
#include <algorithm>

#include "link/serial_port.h"

namespace quillon {
namespace {

// The bytes in the port's input queue; 0 also when the port cannot say.
DWORD QueuedBytes(HANDLE port) {
  DWORD errors = 0;
  COMSTAT status{};
  if (!::ClearCommError(port, &errors, &status)) return 0;
  return status.cbInQue;
}

enum WaitIndex : DWORD { kStop = WAIT_OBJECT_0, kWrite = WAIT_OBJECT_0 + 1, kPortEvent = WAIT_OBJECT_0 + 2 };

}  // namespace

void CSerialPort::MonitorThread() {
  m_monitorRunning = 1;
  HANDLE port = INVALID_HANDLE_VALUE;
  {
    std::scoped_lock lock(m_portLock);
    if (m_portHandle) {
      port = m_portHandle.get();
      PurgePort();
    }
  }
  bool watchPort = port != INVALID_HANDLE_VALUE;
  if (!watchPort) {
    // There is no port to wait on; the monitor still serves stop and write requests.
    ::SetLastError(ERROR_INVALID_HANDLE);
    ReportFailure("WaitCommEvent()");
  }
  m_overlapped = {};
  m_overlapped.hEvent = m_waitDone.handle();
  bool waitPending = false;

  const auto endThread = [&] {
    // A pending wait ends with the port's handle; its record is a member, so it may end after this
    // thread has.
    if (waitPending) ::CancelIo(port);
    {
      std::scoped_lock lock(m_portLock);
      ClosePort();
    }
    m_monitorRunning = 0;
    MarkMonitorEnded();
  };

  for (;;) {
    if (watchPort && !waitPending) {
      // Not every implementation resets the event as the wait begins (Wine does not): a signal left
      // from the last wait must not pass for this one.
      ::ResetEvent(m_waitDone.handle());
      if (::WaitCommEvent(port, &m_eventsSeen, &m_overlapped)) {
        // An event was there already: with nothing to read it is waited for anew.
        if (QueuedBytes(port) == 0) continue;
      } else if (const DWORD error = ::GetLastError(); error == ERROR_IO_PENDING) {
        waitPending = true;
      } else if (error != ERROR_INVALID_PARAMETER) {
        // The port went away (an unplugged adapter): it would fail every wait from now on.
        ReportFailure("WaitCommEvent()");
        watchPort = false;
      }
    }
    // Bytes that came in before the wait began may raise no event (Wine's wait looks only for more):
    // they are read without waiting, once stop and write requests have had their turn.
    const bool bytesQueued = watchPort && QueuedBytes(port) > 0;
    const HANDLE waitSet[] = {m_stopRequest.handle(), m_writeRequest.handle(), m_waitDone.handle()};
    const DWORD result =
        ::WaitForMultipleObjects(watchPort ? 3 : 2, waitSet, FALSE, bytesQueued ? 0 : INFINITE);
    if (result == kStop) {
      endThread();
      return;
    }
    if (result == kWrite) {
      WritePending();
      continue;
    }
    if (result == kPortEvent || result == WAIT_TIMEOUT) {
      if (result == kPortEvent && waitPending) {
        DWORD ignored = 0;
        if (!::GetOverlappedResult(port, &m_overlapped, &ignored, FALSE)) {
          const DWORD error = ::GetLastError();
          // Signalled before the wait was over: it goes on.
          if (error == ERROR_IO_INCOMPLETE) {
            ::ResetEvent(m_waitDone.handle());
            continue;
          }
          waitPending = false;
          // The purge before every write aborts the wait as it aborts reads (Wine does so): that is
          // no failure, and the wait begins anew. Any other error is the port's.
          if (error == ERROR_OPERATION_ABORTED) continue;
          ReportFailure("WaitCommEvent()");
          watchPort = false;
          continue;
        }
        waitPending = false;
      }
      // A wait still pending keeps its event for when it ends.
      if (!waitPending) ::ResetEvent(m_waitDone.handle());
      DWORD watched = 0;
      if (::GetCommMask(port, &watched) && (watched & EV_RXCHAR)) ReceiveBytes();
      SendEventMessages();
      continue;
    }
    // The wait itself failed, so no request could ever reach this thread again: it ends, and the port
    // counts as failed.
    ReportFailure("WaitForMultipleObjects()");
    endThread();
    return;
  }
}

void CSerialPort::WritePending() {
  m_writeRequest.Reset();
  std::scoped_lock lock(m_portLock);
  if (!m_portHandle || !m_txBuffer) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    ReportFailure("WriteFile()");
    return;
  }
  // Whatever arrived and was not handed over yet belongs to an earlier exchange: the device answers each
  // frame anew.
  PurgePort();
  m_receivedCount = 0;
  OVERLAPPED write{};
  write.hEvent = m_writeDone.handle();
  DWORD written = 0;
  if (::WriteFile(m_portHandle.get(), m_txBuffer.get(), m_txLength, &written, &write)) return;
  if (::GetLastError() == ERROR_IO_PENDING) {
    ::GetOverlappedResult(m_portHandle.get(), &write, &written, TRUE);
    return;
  }
  ReportFailure("WriteFile()");
}

bool CSerialPort::ReceiveBytes() {
  bool readAny = false;
  for (;;) {
    if (m_stopRequest.IsSignalled()) return readAny;
    DWORD got = 0;
    {
      std::scoped_lock lock(m_portLock);
      const DWORD queued = QueuedBytes(m_portHandle.get());
      if (queued == 0) return readAny;
      const DWORD wanted = std::min<DWORD>(queued, static_cast<DWORD>(m_received.size() - m_receivedCount));
      OVERLAPPED read{};
      read.hEvent = m_readDone.handle();
      if (!::ReadFile(m_portHandle.get(), m_received.data() + m_receivedCount, wanted, &got, &read)) {
        if (::GetLastError() != ERROR_IO_PENDING) {
          ReportFailure("ReadFile()");
          return readAny;
        }
        if (!::GetOverlappedResult(m_portHandle.get(), &read, &got, TRUE)) {
          ReportFailure("GetOverlappedResults() in ReadFile()");
          return readAny;
        }
      }
    }
    // A read that delivered nothing hands nothing over.
    if (got == 0) return readAny;
    readAny = true;
    m_receivedCount += got;
    // As on Linux: bytes that cannot end the owner's wait yet are kept until more come.
    if (m_receivedCount < OwnerAwaits() && m_receivedCount < m_received.size()) continue;
    // The owner handles every byte, in order, before the monitor goes on; the lock is free meanwhile.
    if (m_ownerWindow && !m_stopRequest.IsSignalled()) {
      m_ownerWindow->SendSerialBytes(std::span(m_received.data(), m_receivedCount), m_portNumber);
    }
    m_receivedCount = 0;
  }
}

}  // namespace quillon
