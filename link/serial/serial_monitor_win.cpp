// The monitor thread of the serial port on Windows. It waits with WaitForMultipleObjects for a stop
// request, a write request and bytes from the port, in that priority. The bytes are awaited with an
// overlapped read rather than WaitCommEvent: a pending event wait does not survive the purge before each
// write, nor reads made while it is pending, everywhere (under Wine it was left pending, deaf to the
// bytes that came), whereas a read ends when its bytes are there, or when it is cancelled. The read asks
// for as many bytes as can end the owner's wait, so that an answer costs one read however it arrives;
// while the owner awaits nothing it asks for one, and takes what came with it in one more read.
#include <algorithm>

#include "link/serial/serial_port_win.h"

namespace quillon {
namespace {

// The bytes in the port's input queue; 0 also when the port cannot say. Clears the port's error state.
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

// How long a cancelled read may take to end, and how often the cancel is asked meanwhile.
constexpr DWORD kCancelMs = 1000;
constexpr DWORD kCancelRetryMs = 10;

enum WaitIndex : DWORD { kStop = WAIT_OBJECT_0, kWrite = WAIT_OBJECT_0 + 1, kReadDone = WAIT_OBJECT_0 + 2 };

}  // namespace

void CSerialPort::MonitorThread() {
  m_monitorRunning = 1;
  HANDLE port = INVALID_HANDLE_VALUE;
  {
    std::scoped_lock lock(m_portLock);
    if (m_platform->m_portHandle) {
      port = m_platform->m_portHandle.get();
      PurgePort();
    }
  }
  bool watchPort = port != INVALID_HANDLE_VALUE && (m_eventMask & EV_RXCHAR) != 0;
  if (port == INVALID_HANDLE_VALUE) {
    // There is no port to wait on; the monitor still serves stop and write requests.
    ::SetLastError(ERROR_INVALID_HANDLE);
    ReportFailure("WaitCommEvent()");
  }
  m_platform->m_overlapped = {};
  m_platform->m_overlapped.hEvent = m_platform->m_pendingReadDone.handle();
  m_platform->m_readAborts = {};
  bool readPending = false;
  // A pending read is over before anything else touches the port; what it brought arrived before the
  // request that ends it, so it goes (a write purges such bytes anyway). A read that will not end leaves
  // the port unwatched: it counts as failed.
  const auto endPendingRead = [&] {
    if (!readPending) return;
    readPending = false;
    if (!m_platform->EndPendingRead(port)) {
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

  // From a write until its answer is in, the read asks for what can end the owner's wait. Otherwise
  // (the owner may be arming its wait for the next frame while the tail of the last answer comes in)
  // it asks for one byte.
  bool answerDue = false;
  // A port given up after a failure has most likely gone (its adapter pulled out): the owner hears of
  // it once, as of a tty that hangs up.
  bool ownerTold = !watchPort;
  for (;;) {
    if (watchPort && !readPending) {
      readPending = m_platform->StartPendingRead(*this, port, answerDue);
      // The port went away (an unplugged adapter): it would fail every read from now on.
      if (!readPending) watchPort = false;
    }
    if (!watchPort && !ownerTold) {
      ownerTold = true;
      if (m_ownerWindow != nullptr) m_ownerWindow->PortHungUp();
    }
    const HANDLE waitSet[] = {m_platform->m_stopRequest.handle(), m_platform->m_writeRequest.handle(),
                              m_platform->m_pendingReadDone.handle()};
    const DWORD result = ::WaitForMultipleObjects(watchPort ? 3 : 2, waitSet, FALSE, INFINITE);
    if (result == kStop) {
      endThread();
      return;
    }
    if (result == kWrite) {
      endPendingRead();
      WritePending();
      answerDue = true;
      continue;
    }
    if (result == kReadDone) {
      DWORD got = 0;
      if (!::GetOverlappedResult(port, &m_platform->m_overlapped, &got, FALSE)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_INCOMPLETE) continue;  // signalled before it was over
        readPending = false;
        if (error == ERROR_OPERATION_ABORTED) {
          if (!m_platform->ReadPastAbort(*this, port)) watchPort = false;
          continue;
        }
        // A read that met a time-out may say so (Wine does): no failure, the next read begins.
        if (IsTimeout(error)) continue;
        ReportFailure("GetOverlappedResults() in ReadFile()");
        watchPort = false;
        continue;
      }
      readPending = false;
      if (got > 0) {
        m_platform->m_readAborts.BytesCame();
        const bool lone = m_platform->m_pendingReadSize == 1;
        m_receivedCount += got;
        // A lone byte awaited while the owner awaited nothing may have others behind it: one more read
        // takes them. An answer read whole needs none.
        if (lone) {
          ReceiveBytes();
          if (m_platform->m_readAborts.GaveUp()) watchPort = false;
        } else {
          HandOverReceived();
        }
        if (OwnerAwaits() == 0) answerDue = false;
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

bool CSerialPort::Platform::StartPendingRead(CSerialPort& serial, HANDLE port, bool forAnswer) {
  const std::size_t room = serial.m_received.size() - serial.m_receivedCount;
  const std::size_t awaited = forAnswer ? serial.OwnerAwaits() : 0;
  const std::size_t beyondKept = awaited > serial.m_receivedCount ? awaited - serial.m_receivedCount : 0;
  m_pendingReadSize = std::clamp<std::size_t>(beyondKept, 1, room);
  DWORD got = 0;
  // Completed at once or pending, the event tells (ReadFile resets it as the read begins); it is taken
  // in its turn.
  if (::ReadFile(port, serial.m_received.data() + serial.m_receivedCount,
                 static_cast<DWORD>(m_pendingReadSize), &got, &m_overlapped) ||
      ::GetLastError() == ERROR_IO_PENDING) {
    return true;
  }
  serial.ReportFailure("ReadFile()");
  return false;
}

bool CSerialPort::Platform::EndPendingRead(HANDLE port) {
  // Under Wine a cancel that came as the read was taking in bytes was seen to find no read
  // (ERROR_NOT_FOUND) while the read stayed pending: the cancel is asked again until the read has ended.
  bool ended = false;
  for (DWORD waited = 0; !ended && waited < kCancelMs; waited += kCancelRetryMs) {
    ::CancelIoEx(port, &m_overlapped);
    ended = ::WaitForSingleObject(m_pendingReadDone.handle(), kCancelRetryMs) == WAIT_OBJECT_0;
  }
  if (!ended) return false;
  DWORD ignored = 0;
  ::GetOverlappedResult(port, &m_overlapped, &ignored, FALSE);
  return true;
}

bool CSerialPort::Platform::ReadPastAbort(CSerialPort& serial, HANDLE port) {
  if (m_readAborts.Aborted() == ReadAborts::Verdict::kGiveUp) {
    ::SetLastError(ERROR_OPERATION_ABORTED);
    serial.ReportFailure("ReadFile()");
    return false;
  }
  // A driver that aborts on a line error aborts every read until its error state is cleared.
  std::scoped_lock lock(serial.m_portLock);
  QueuedBytes(port);
  return true;
}

void CSerialPort::WritePending() {
  m_platform->m_writeRequest.Reset();
  std::scoped_lock lock(m_portLock);
  if (!m_platform->m_portHandle || !m_txBuffer) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    ReportFailure("WriteFile()");
    return;
  }
  // Whatever arrived and was not handed over yet belongs to an earlier exchange: the device answers each
  // frame anew.
  PurgePort();
  m_receivedCount = 0;
  const HANDLE port = m_platform->m_portHandle.get();
  const DWORD length = m_txLength;
  OVERLAPPED write{};
  write.hEvent = m_platform->m_writeDone.handle();
  DWORD written = 0;
  if (!::WriteFile(port, m_txBuffer.get(), length, &written, &write)) {
    if (::GetLastError() != ERROR_IO_PENDING) {
      ReportFailure("WriteFile()");
      return;
    }
    // A stop does not wait for the write's time-out: the write is cancelled (its end still awaited, as
    // its record lives here), and the bytes are dropped.
    const HANDLE waitSet[] = {m_platform->m_writeDone.handle(), m_platform->m_stopRequest.handle()};
    const bool stopped = ::WaitForMultipleObjects(2, waitSet, FALSE, INFINITE) != WAIT_OBJECT_0;
    if (stopped) ::CancelIoEx(port, &write);
    if (!::GetOverlappedResult(port, &write, &written, TRUE)) {
      if (stopped && ::GetLastError() == ERROR_OPERATION_ABORTED) return;
      ReportFailure("GetOverlappedResult() in WriteFile()");
      return;
    }
  }
  // The frame did not go out whole within its time-out: the device sees a broken frame.
  if (written < length) {
    ::SetLastError(ERROR_TIMEOUT);
    ReportFailure("WriteFile()");
  }
}

bool CSerialPort::ReceiveBytes() {
  for (;;) {
    if (m_platform->m_stopRequest.IsSignalled()) return true;
    DWORD got = 0;
    bool aborted = false;
    {
      std::scoped_lock lock(m_portLock);
      const DWORD queued = QueuedBytes(m_platform->m_portHandle.get());
      const DWORD wanted = std::min<DWORD>(queued, static_cast<DWORD>(m_received.size() - m_receivedCount));
      OVERLAPPED read{};
      read.hEvent = m_platform->m_readDone.handle();
      if (wanted > 0 && !::ReadFile(m_platform->m_portHandle.get(), m_received.data() + m_receivedCount,
                                    wanted, &got, &read)) {
        if (::GetLastError() != ERROR_IO_PENDING) {
          ReportFailure("ReadFile()");
          got = 0;
        } else if (!::GetOverlappedResult(m_platform->m_portHandle.get(), &read, &got, TRUE)) {
          aborted = ::GetLastError() == ERROR_OPERATION_ABORTED;
          if (!aborted) ReportFailure("GetOverlappedResults() in ReadFile()");
          got = 0;
        }
      }
    }
    if (aborted) {
      if (!m_platform->ReadPastAbort(*this, m_platform->m_portHandle.get())) return true;
      continue;
    }
    if (got > 0) m_platform->m_readAborts.BytesCame();
    m_receivedCount += got;
    if (m_receivedCount > 0) HandOverReceived();
    // Nothing more was queued: the next bytes are awaited with the next read.
    if (got == 0) return true;
  }
}

}  // namespace quillon
