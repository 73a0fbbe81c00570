// The serial port on Windows: COMn opened for overlapped input and output, set up with the communication
// time-outs, the event mask and a DCB that the settings text completes.
#include <cstdio>
#include <utility>

#include "link/serial_port.h"
#include "link/win_com_port.h"
#include "link/win_error.h"

namespace quillon {
namespace {

// Every time-out of the port, in milliseconds: a write of n bytes may take 1000 × n + 1000 ms.
constexpr DWORD kPortTimeoutMs = 1000;
// The character that raises EV_RXFLAG, should a port ever watch for it.
constexpr char kEventCharacter = 'q';

}  // namespace

bool CSerialPort::CreateOrResetEvents() {
  for (WinEvent* event : {&m_firstByteDone, &m_writeRequest, &m_stopRequest, &m_readDone, &m_writeDone}) {
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
  m_timeouts = {kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs};
  COMMTIMEOUTS timeouts{m_timeouts.readInterval, m_timeouts.readTotalMultiplier, m_timeouts.readTotalConstant,
                        m_timeouts.writeTotalMultiplier, m_timeouts.writeTotalConstant};
  if (!::SetCommTimeouts(port, &timeouts)) {
    ReportFailure("SetCommTimeouts()");
    return false;
  }
  if (!::SetCommMask(port, m_eventMask)) {
    ReportFailure("SetCommMask()");
    return false;
  }
  m_deviceControl = {};
  m_deviceControl.DCBlength = sizeof m_deviceControl;
  if (!::GetCommState(port, &m_deviceControl)) {
    ReportFailure("GetCommState()");
    return false;
  }
  m_deviceControl.EvtChar = kEventCharacter;
  m_deviceControl.fRtsControl = RTS_CONTROL_ENABLE;
  if (!::BuildCommDCBA(settingsText.c_str(), &m_deviceControl)) {
    ReportFailure("BuildCommDCB()");
    return false;
  }
  if (!::SetCommState(port, &m_deviceControl)) {
    ReportFailure("SetCommState()");
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
