// The serial port as its callers see it, on every platform: open and set up, start and stop the monitor,
// queue writes. The port itself and the monitor's waits are the platform's (serial_port_unix.cpp and
// serial_monitor_unix.cpp, serial_port_win.cpp and serial_monitor_win.cpp).
#include "link/serial/serial_port.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>

#include "link/serial/port_table.h"

namespace quillon {
namespace {

// How long one byte takes on the line: a start bit, the data bits, a parity bit unless there is none,
// and the stop bits.
std::chrono::nanoseconds ByteTime(int baudRate, char parity, int dataBits, int stopBits) {
  if (baudRate <= 0) return {};
  const int bits = 1 + dataBits + (parity == 'N' ? 0 : 1) + stopBits;
  return std::chrono::nanoseconds(std::int64_t{bits} * 1'000'000'000 / baudRate);
}

std::string SettingsText(int baudRate, char parity, int dataBits, int stopBits) {
  char text[96];
  std::snprintf(text, sizeof text, "baud=%d parity=%c data=%d stop=%d", baudRate, parity, dataBits, stopBits);
  return text;
}

}  // namespace

bool CSerialPort::Configure(SerialOwner* owner, int portNumber, int baudRate, char parity, int dataBits,
                            int stopBits, std::uint32_t eventMask, int writeBufferSize) {
  portState = kStateClosed;
  // Configure runs on the connection worker, never on the owner's thread, so a monitor blocked handing
  // a byte to the owner gets it handled without our help.
  EndMonitorWithoutDispatching();
  if (!CreateOrResetEvents()) return false;

  m_ownerWindow = owner;
  m_portNumber = portNumber;
  m_eventMask = eventMask;
  m_gathering = AnswerGathering(ByteTime(baudRate, parity, dataBits, stopBits));
  m_receivedCount = 0;

  std::unique_lock lock(m_portLock);
  m_txBufferSize = writeBufferSize > 0 ? static_cast<std::uint32_t>(writeBufferSize) : 0;
  m_txBuffer.reset(m_txBufferSize > 0 ? new (std::nothrow) std::uint8_t[m_txBufferSize]() : nullptr);
  if (!m_txBuffer) m_txBufferSize = 0;
  ClosePort();
  // An unbound number is a COM port that does not exist: the open fails, quietly.
  auto path = PortPath(portNumber);
  if (!path || !OpenPort(*path)) return false;

  // A line at settings other than those asked for would carry the station's frames to the device
  // garbled, or to something that is no serial device at all.
  if (!RunSetupSteps(SettingsText(baudRate, parity, dataBits, stopBits))) {
    ClosePort();
    return false;
  }
  PurgePort();
  lock.unlock();
  {
    std::scoped_lock failure(m_failureLock);
    m_lastFailure.reset();
  }
  portState = kStateOpen;
  return true;
}

bool CSerialPort::StartMonitor() {
  // Without the events of a Configure the thread could never be stopped.
  if (!HasRequestEvents()) return false;
  if (m_monitorThread.joinable()) {
    std::unique_lock ended(m_monitorEndLock);
    if (!m_monitorEnded) {
      // A second monitor would compete with the first for the received bytes: keep the one running.
      m_monitorSuspended = 0;
      return true;
    }
    ended.unlock();
    m_monitorThread.join();
  }
  {
    std::scoped_lock ended(m_monitorEndLock);
    m_monitorEnded = false;
  }
  try {
    m_monitorThread = std::thread(&CSerialPort::MonitorThread, this);
  } catch (const std::system_error&) {
    MarkMonitorEnded();
    return false;
  }
  m_monitorSuspended = 0;
  return true;
}

bool CSerialPort::ResumeMonitor() {
  // Nothing suspends the monitor; the flag is kept for the callers that look at it.
  m_monitorSuspended = 0;
  return true;
}

void CSerialPort::QueueWrite(const std::uint8_t* bytes, int length) {
  // The monitor writes from this buffer under the port lock: a write queued while the previous one is
  // still going out waits for it instead of overwriting the bytes being sent.
  std::scoped_lock lock(m_portLock);
  if (!m_txBuffer || !bytes || length <= 0 || static_cast<std::uint32_t>(length) > m_txBufferSize) return;
  std::memcpy(m_txBuffer.get(), bytes, static_cast<std::size_t>(length));
  m_txLength = static_cast<std::uint32_t>(length);
  SignalWriteRequest();
}

void CSerialPort::Stop() {
  if (m_monitorSuspended) ResumeMonitor();
  if (m_monitorThread.joinable()) {
    SignalStopRequest();
    WaitForMonitorEndDispatching();
    m_monitorThread.join();
  }
  {
    std::scoped_lock lock(m_portLock);
    m_txBuffer.reset();
    m_txBufferSize = 0;
    ClosePort();
  }
  ResetRequests();
  portState = kStateClosed;
}

void CSerialPort::EndMonitorWithoutDispatching() {
  if (!m_monitorThread.joinable()) return;
  SignalStopRequest();
  m_monitorThread.join();
}

void CSerialPort::WaitForMonitorEndDispatching() {
  std::unique_lock lock(m_monitorEndLock);
  while (!m_monitorEnded) {
    lock.unlock();
    // Stop may run on the owner's thread while the monitor waits there for a byte to be handled.
    if (m_ownerWindow) m_ownerWindow->DispatchPendingMessages();
    lock.lock();
    // A monitor blocked in a send cannot wake us; look for its message again soon.
    m_monitorEnd.wait_for(lock, std::chrono::milliseconds(1), [this] { return m_monitorEnded; });
  }
}

void CSerialPort::MarkMonitorEnded() {
  std::scoped_lock lock(m_monitorEndLock);
  m_monitorEnded = true;
  m_monitorEnd.notify_all();
}

void CSerialPort::HandOverReceived() {
  // Fewer bytes than the owner still awaits cannot end its wait: they are kept until they can, so that
  // the last few bytes of an answer do not cost a hand-off each. The owner counts the fewest bytes that
  // can end its wait, so keeping them never delays what it waits for.
  if (m_receivedCount < OwnerAwaits() && m_receivedCount < m_received.size()) return;
  // The owner handles every byte, in order, before the monitor goes on; the lock is free meanwhile so
  // that Configure is never held up by a slow owner.
  if (m_ownerWindow && !StopRequested()) {
    m_ownerWindow->SendSerialBytes(std::span(m_received.data(), m_receivedCount), m_portNumber);
  }
  m_receivedCount = 0;
}

std::size_t CSerialPort::OwnerAwaits() const {
  return m_ownerWindow ? m_ownerWindow->BytesAwaited() : 0;
}

void CSerialPort::SendEventMessages() {
  static constexpr std::pair<std::uint32_t, std::uint32_t> kEventMessages[] = {
      {EV_CTS, WM_SERIAL_CTS},   {EV_BREAK, WM_SERIAL_BREAK},       {EV_ERR, WM_SERIAL_LINE_ERROR},
      {EV_RING, WM_SERIAL_RING}, {EV_RXFLAG, WM_SERIAL_EVENT_CHAR},
  };
  for (const auto& [event, message] : kEventMessages) {
    if (m_eventMask & event) SendToOwner(message, 0);
  }
}

std::optional<SerialFailure> CSerialPort::LastFailure() const {
  std::scoped_lock lock(m_failureLock);
  return m_lastFailure;
}

void CSerialPort::KeepFailure(const char* step, int systemError, const std::string& systemText) {
  {
    // Kept before the state changes, so that whoever sees 'E' finds the failure that set it.
    std::scoped_lock lock(m_failureLock);
    m_lastFailure = SerialFailure{step, systemError, systemText};
  }
  // Said by whoever looks (the status line names the call and the system's words), never printed here:
  // a window has no console, and a script's standard error is not the driver's to fill.
  portState = kStateFailed;
}

void CSerialPort::SendToOwner(std::uint32_t message, std::uintptr_t wParam) {
  if (m_ownerWindow) m_ownerWindow->SendSerialMessage(message, wParam, m_portNumber);
}

}  // namespace quillon
