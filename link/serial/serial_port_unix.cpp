// The serial port's tty on Linux: opened exclusively, set up with termios, purged with tcflush.
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "link/serial/line_settings.h"
#include "link/serial/serial_port_unix.h"
#include "link/serial/tty_io.h"

namespace quillon {
namespace {

// Every time-out of the port, in milliseconds: a write of n bytes may take 1000 × n + 1000 ms.
constexpr std::uint32_t kPortTimeoutMs = 1000;

}  // namespace

CSerialPort::CSerialPort() : m_platform(std::make_unique<Platform>()) {}

CSerialPort::~CSerialPort() {
  // The owner's window is gone by now, so the monitor cannot be waiting for it to handle a message.
  EndMonitorWithoutDispatching();
  std::scoped_lock lock(m_portLock);
  ClosePort();
}

bool CSerialPort::CreateOrResetEvents() {
  for (EventFd* event : {&m_platform->m_writeRequest, &m_platform->m_stopRequest}) {
    if (event->IsOpen()) {
      event->Reset();
    } else if (!event->Create()) {
      return false;
    }
  }
  return true;
}

bool CSerialPort::OpenPort(const std::string& path) {
  TtyOpening opening = OpenTtyExclusive(path);
  if (!opening) return false;
  termios found{};
  m_platform->m_settingsAsFound.reset();
  if (::tcgetattr(opening.tty.get(), &found) == 0) m_platform->m_settingsAsFound = found;
  m_platform->m_portHandle = std::move(opening.tty);
  return true;
}

bool CSerialPort::RunSetupSteps(const std::string& settingsText) {
  // The time-outs and the event mask only record their values here (the writes and the monitor read
  // them), so they cannot fail.
  m_timeouts = {kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs};

  const int fd = m_platform->m_portHandle.get();
  if (::tcgetattr(fd, &m_platform->m_deviceControl) != 0) {
    ReportFailure("tcgetattr()");
    return false;
  }
  RaiseRts(fd);

  auto settings = ParseLineSettings(settingsText);
  if (!settings || !ApplyLineSettings(*settings, m_platform->m_deviceControl)) {
    errno = EINVAL;
    ReportFailure(("reading the line settings \"" + settingsText + "\"").c_str());
    return false;
  }
  if (::tcsetattr(fd, TCSANOW, &m_platform->m_deviceControl) != 0) {
    ReportFailure("tcsetattr()");
    return false;
  }
  return true;
}

void CSerialPort::PurgePort() {
  PurgeTty(m_platform->m_portHandle.get());
}

void CSerialPort::ClosePort() {
  // As Qt Serial Port does: the next program finds the tty as this one found it. A tty that hung up
  // takes nothing, which is fine.
  if (m_platform->m_portHandle && m_platform->m_settingsAsFound)
    ::tcsetattr(m_platform->m_portHandle.get(), TCSANOW, &*m_platform->m_settingsAsFound);
  m_platform->m_settingsAsFound.reset();
  CloseTty(m_platform->m_portHandle);
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
  const int error = errno;
  KeepFailure(step, error, std::generic_category().message(error));
}

}  // namespace quillon
