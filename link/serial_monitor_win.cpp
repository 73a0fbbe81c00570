// The monitor thread of the serial port on Windows. It waits with WaitForMultipleObjects for a stop
// request, a write request and a byte from the port, in that priority. The byte is awaited with an
// overlapped one-byte read rather than WaitCommEvent: a pending event wait does not survive the purge
// before each write, nor reads made while it is pending, everywhere (under Wine it was left pending,
// deaf to the bytes that came), whereas a read ends when a byte is there, or with its time-out, or when
// it is cancelled.
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

// The ways a read's time-out is told.
bool IsTimeout(DWORD error) {
  return error == ERROR_TIMEOUT || error == WAIT_TIMEOUT || error == ERROR_SEM_TIMEOUT;
}

// How long a cancelled read may take to end.
constexpr DWORD kCancelMs = 1000;

enum WaitIndex : DWORD { kStop = WAIT_OBJECT_0, kWrite = WAIT_OBJECT_0 + 1, kFirstByte = WAIT_OBJECT_0 + 2 };

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
  bool watchPort = port != INVALID_HANDLE_VALUE && (m_eventMask & EV_RXCHAR) != 0;
  if (port == INVALID_HANDLE_VALUE) {
    // There is no port to wait on; the monitor still serves stop and write requests.
    ::SetLastError(ERROR_INVALID_HANDLE);
    ReportFailure("WaitCommEvent()");
  }
  m_overlapped = {};
  m_overlapped.hEvent = m_firstByteDone.handle();
  bool readPending = false;
  // A pending read is over before anything else touches the port; what it brought arrived before the
  // request that ends it, so it goes (a write purges such bytes anyway). A read that will not end leaves
  // the port unwatched: it counts as failed.
  const auto endPendingRead = [&] {
    if (!readPending) return;
    readPending = false;
    if (!EndFirstByteRead(port)) {
      ReportFailure("ReadFile()");
      watchPort = false;
    }
  };

  const auto endThread = [&] {
    endPendingRead();
    {
      std::scoped_lock lock(m_portLock);
      ClosePort();
    }
    m_monitorRunning = 0;
    MarkMonitorEnded();
  };

  for (;;) {
    if (watchPort && !readPending) {
      ::ResetEvent(m_firstByteDone.handle());
      DWORD got = 0;
      // Completed at once or pending, the event tells; it is taken below in its turn.
      if (!::ReadFile(port, &m_firstByte, 1, &got, &m_overlapped) && ::GetLastError() != ERROR_IO_PENDING) {
        // The port went away (an unplugged adapter): it would fail every read from now on.
        ReportFailure("ReadFile()");
        watchPort = false;
      } else {
        readPending = true;
      }
    }
    const HANDLE waitSet[] = {m_stopRequest.handle(), m_writeRequest.handle(), m_firstByteDone.handle()};
    const DWORD result = ::WaitForMultipleObjects(watchPort ? 3 : 2, waitSet, FALSE, INFINITE);
    if (result == kStop) {
      endThread();
      return;
    }
    if (result == kWrite) {
      endPendingRead();
      WritePending();
      continue;
    }
    if (result == kFirstByte) {
      DWORD got = 0;
      if (!::GetOverlappedResult(port, &m_overlapped, &got, FALSE)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_INCOMPLETE) continue;  // signalled before it was over
        readPending = false;
        // A purge aborts a read, and a read that met its time-out may say so (Wine does): no failure
        // either, the next read begins.
        if (error == ERROR_OPERATION_ABORTED || IsTimeout(error)) continue;
        ReportFailure("GetOverlappedResults() in ReadFile()");
        watchPort = false;
        continue;
      }
      readPending = false;
      // No byte within the read's time-out: the next read begins.
      if (got == 1) {
        m_received[m_receivedCount++] = m_firstByte;
        ReceiveBytes();
      }
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

bool CSerialPort::EndFirstByteRead(HANDLE port) {
  ::CancelIo(port);
  if (::WaitForSingleObject(m_firstByteDone.handle(), kCancelMs) != WAIT_OBJECT_0) return false;
  DWORD ignored = 0;
  ::GetOverlappedResult(port, &m_overlapped, &ignored, FALSE);
  return true;
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
  for (;;) {
    if (m_stopRequest.IsSignalled()) return true;
    DWORD got = 0;
    {
      std::scoped_lock lock(m_portLock);
      const DWORD queued = QueuedBytes(m_portHandle.get());
      const DWORD wanted = std::min<DWORD>(queued, static_cast<DWORD>(m_received.size() - m_receivedCount));
      OVERLAPPED read{};
      read.hEvent = m_readDone.handle();
      if (wanted > 0 &&
          !::ReadFile(m_portHandle.get(), m_received.data() + m_receivedCount, wanted, &got, &read)) {
        if (::GetLastError() != ERROR_IO_PENDING) {
          ReportFailure("ReadFile()");
          got = 0;
        } else if (!::GetOverlappedResult(m_portHandle.get(), &read, &got, TRUE)) {
          ReportFailure("GetOverlappedResults() in ReadFile()");
          got = 0;
        }
      }
    }
    m_receivedCount += got;
    if (m_receivedCount > 0) HandOverReceived();
    // Nothing more was queued: the next bytes are awaited with the next read.
    if (got == 0) return true;
  }
}

}  // namespace quillon
