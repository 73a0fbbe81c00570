// The serial port on Windows: COMn opened for overlapped input and output, set up with the station's
// line settings, the time-outs that follow from the line's speed, and the event mask.
#include <cstdio>
#include <optional>
#include <utility>

#include "link/os/win_error.h"
#include "link/serial/com_line_setup.h"
#include "link/serial/serial_port_win.h"
#include "link/serial/win_com_port.h"

namespace quillon {

CSerialPort::CSerialPort() : m_platform(std::make_unique<Platform>()) {}

CSerialPort::~CSerialPort() {
  // The owner's window is gone by now, so the monitor cannot be waiting for it to handle a message.
  EndMonitorWithoutDispatching();
  std::scoped_lock lock(m_portLock);
  ClosePort();
}

bool CSerialPort::CreateOrResetEvents() {
  for (WinEvent* event : {&m_platform->m_pendingReadDone, &m_platform->m_writeRequest,
                          &m_platform->m_stopRequest, &m_platform->m_readDone, &m_platform->m_writeDone}) {
    if (event->IsOpen()) {
      event->Reset();
    } else if (!event->Create()) {
      return false;
    }
  }
  return true;
}

bool CSerialPort::OpenPort(const std::string& path) {
  ComPortOpening opening = OpenComPortExclusive(path);
  if (!opening) return false;
  m_platform->m_portHandle = std::move(opening.port);
  return true;
}

bool CSerialPort::RunSetupSteps(const std::string& settingsText) {
  const HANDLE port = m_platform->m_portHandle.get();
  // The line first: the write time-out follows from its speed.
  DCB found{};
  found.DCBlength = sizeof found;
  if (!::GetCommState(port, &found)) {
    ReportFailure("GetCommState()");
    return false;
  }
  const std::optional<DCB> line = StationDcb(found, settingsText);
  if (!line) {
    ReportFailure("BuildCommDCB()");
    return false;
  }
  m_platform->m_deviceControl = *line;
  if (!::SetCommState(port, &m_platform->m_deviceControl)) {
    ReportFailure("SetCommState()");
    return false;
  }
  COMMTIMEOUTS timeouts = StationTimeouts(m_platform->m_deviceControl);
  m_timeouts = {timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
                timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
                timeouts.WriteTotalTimeoutConstant};
  if (!::SetCommTimeouts(port, &timeouts)) {
    ReportFailure("SetCommTimeouts()");
    return false;
  }
  if (!::SetCommMask(port, m_eventMask)) {
    ReportFailure("SetCommMask()");
    return false;
  }
  return true;
}

void CSerialPort::PurgePort() {
  ::PurgeComm(m_platform->m_portHandle.get(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void CSerialPort::ClosePort() {
  m_platform->m_portHandle.reset();
}

bool CSerialPort::HasRequestEvents() const {
  return m_platform->m_stopRequest.IsOpen() && m_platform->m_writeRequest.IsOpen();
}

void CSerialPort::SignalStopRequest() {
  m_platform->m_stopRequest.Signal();
}

void CSerialPort::SignalWriteRequest() {
  m_platform->m_writeRequest.Signal();
}

bool CSerialPort::StopRequested() const {
  return m_platform->m_stopRequest.IsSignalled();
}

void CSerialPort::ResetRequests() {
  m_platform->m_stopRequest.Reset();
  m_platform->m_writeRequest.Reset();
}

void CSerialPort::ReportFailure(const char* step) {
  const DWORD error = ::GetLastError();
  KeepFailure(step, static_cast<int>(error), SystemErrorText(error));
}

}  // namespace quillon
