// The serial port on Windows: COMn opened for overlapped input and output, set up with the station's
// line settings, the time-outs that follow from the line's speed, and the event mask.
#include <cstdio>
#include <optional>
#include <utility>

#include "link/com_line_setup.h"
#include "link/serial_port.h"
#include "link/win_com_port.h"
#include "link/win_error.h"

namespace quillon {

bool CSerialPort::CreateOrResetEvents() {
  for (WinEvent* event : {&m_pendingReadDone, &m_writeRequest, &m_stopRequest, &m_readDone, &m_writeDone}) {
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
  m_portHandle = std::move(opening.port);
  return true;
}

bool CSerialPort::RunSetupSteps(const std::string& settingsText) {
  const HANDLE port = m_portHandle.get();
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
  m_deviceControl = *line;
  if (!::SetCommState(port, &m_deviceControl)) {
    ReportFailure("SetCommState()");
    return false;
  }
  COMMTIMEOUTS timeouts = StationTimeouts(m_deviceControl);
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
  ::PurgeComm(m_portHandle.get(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void CSerialPort::ClosePort() {
  m_portHandle.reset();
}

void CSerialPort::ReportFailure(const char* step) {
  const DWORD error = ::GetLastError();
  portState = kStateFailed;
  std::fputs(SerialFailureReport(step, SystemErrorText(error), static_cast<int>(error), m_portNumber).c_str(),
             stderr);
}

}  // namespace quillon
