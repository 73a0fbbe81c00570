// The serial port's Windows part: the COM port handle, the events of the monitor's requests and of its
// overlapped operations, the DCB, and the monitor's pending read. Seen only by serial_port_win.cpp and
// serial_monitor_win.cpp.
#pragma once

#include <cstddef>

#include "link/os/win_event.h"
#include "link/os/win_handle.h"
#include "link/os/windows_api.h"
#include "link/serial/read_aborts.h"
#include "link/serial/serial_port.h"

namespace quillon {

struct CSerialPort::Platform {
  // Starts the read that awaits the next bytes into serial's received bytes: for an answer, as many as
  // can end the owner's wait; otherwise one.
  bool StartPendingRead(CSerialPort& serial, HANDLE port, bool forAnswer);
  // Cancels the pending read and sees it end; false when it does not end.
  bool EndPendingRead(HANDLE port);
  // A read ended aborted, with the station cancelling nothing: false when the port is to be given up.
  bool ReadPastAbort(CSerialPort& serial, HANDLE port);

  WinEvent m_writeRequest;
  WinHandle m_portHandle;
  WinEvent m_stopRequest;
  // The events of the monitor's overlapped operations: the read that awaits the next bytes, the reads
  // of the bytes queued after a lone byte, and a write each have a record of their own.
  WinEvent m_pendingReadDone;
  WinEvent m_readDone;
  WinEvent m_writeDone;
  // The record of the monitor's pending read, which reads into the port's received bytes; it outlives
  // the monitor thread, as a read cancelled at its end may complete after it.
  OVERLAPPED m_overlapped{};
  std::size_t m_pendingReadSize = 0;
  ReadAborts m_readAborts;
  DCB m_deviceControl{};
};

}  // namespace quillon
