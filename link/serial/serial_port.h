// The serial port driver: opens and configures one port (a tty on Linux, COMn on Windows), runs a
// monitor thread that waits at once for a stop request, a write request and received bytes (in that
// priority), writes what its callers queue, and hands the received bytes to its owner as WM_SERIAL_BYTE,
// synchronously: all the bytes of one read in one hand-off, in order.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "link/serial/answer_gathering.h"
#include "link/serial/serial_failure.h"
#include "link/serial/serial_messages.h"

namespace quillon {

// Applied by Configure. Windows takes all five (SetCommTimeouts), from the line's speed; on Linux every
// value is 1000 ms, the reads wait in poll() and only the write time-out applies.
struct SerialTimeouts {
  std::uint32_t readInterval = 0;
  std::uint32_t readTotalMultiplier = 0;
  std::uint32_t readTotalConstant = 0;
  std::uint32_t writeTotalMultiplier = 0;
  std::uint32_t writeTotalConstant = 0;
};

class CSerialPort {
 public:
  static constexpr char kStateClosed = 0;
  static constexpr char kStateOpen = 'Y';
  static constexpr char kStateFailed = 'E';

  CSerialPort();
  virtual ~CSerialPort();
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  // Opens the tty bound to portNumber (link/serial/port_table.h) exclusively and applies the line settings.
  // True when the port is open and set up. A port whose settings cannot be applied is no link: the
  // failed step is reported (state 'E') and the port closed again.
  bool Configure(SerialOwner* owner, int portNumber, int baudRate, char parity, int dataBits, int stopBits,
                 std::uint32_t eventMask, int writeBufferSize);
  bool StartMonitor();
  // Nothing suspends the monitor: this only clears m_monitorSuspended. Kept with that flag and
  // m_monitorRunning as the driver's documented interface, which Stop honours.
  bool ResumeMonitor();
  // Copies the bytes into the write buffer and signals the monitor thread; does not wait for the write
  // it asks for, only for one still in progress. A write longer than the buffer is refused.
  void QueueWrite(const std::uint8_t* bytes, int length);
  // Ends the monitor thread, frees the write buffer, closes the port. On the owner's thread it keeps
  // dispatching the owner's messages while it waits.
  void Stop();

  std::atomic<char> portState{kStateClosed};

  // The driver's last failure, the one its latest report on standard error told; nothing since the
  // last Configure that succeeded. Safe from any thread: the monitor thread may set it.
  std::optional<SerialFailure> LastFailure() const;

 private:
  // The port's handles, events and line settings are the platform's own (a tty and eventfds on Linux,
  // a COM port handle, Win32 events and the overlapped reads on Windows): serial_port_unix.h and
  // serial_port_win.h, seen only by the platform's files.
  struct Platform;

  void MonitorThread();
  void WritePending();
  // Reads what has arrived and hands it to the owner unless the owner awaits more; false when nothing
  // could be read.
  bool ReceiveBytes();
  // Reports the failed step with the system's error (errno, GetLastError()) on standard error and keeps
  // it as the last failure; the port's state becomes 'E'.
  void ReportFailure(const char* step);
  void KeepFailure(const char* step, int systemError, const std::string& systemText);

  // The monitor's requests, on the platform's events.
  bool HasRequestEvents() const;
  void SignalStopRequest();
  void SignalWriteRequest();
  bool StopRequested() const;
  void ResetRequests();

  // Configure's platform steps. The events are made on the first Configure and only reset afterwards.
  bool CreateOrResetEvents();
  // Opens the port exclusively into m_portHandle; the caller holds m_portLock.
  bool OpenPort(const std::string& path);
  // The setup chain on the open port, with the line settings as text ("baud=460800 parity=N data=8
  // stop=1"): the first step that fails is reported and ends it with false.
  bool RunSetupSteps(const std::string& settingsText);
  // Discards what was received and not read, and what waits to be sent; the caller holds m_portLock.
  void PurgePort();
  // Signals the monitor thread to stop and joins it. Safe only off the owner's thread (see Stop).
  void EndMonitorWithoutDispatching();
  // Waits for the monitor thread's last step, handling the owner's messages meanwhile.
  void WaitForMonitorEndDispatching();
  void MarkMonitorEnded();
  // Closes the port; the caller holds m_portLock.
  void ClosePort();
  void SendToOwner(std::uint32_t message, std::uintptr_t wParam);
  // Hands the bytes received so far to the owner, or keeps them while they are fewer than it awaits. On
  // the monitor thread, without the port lock.
  void HandOverReceived();
  // How many more received bytes the owner awaits.
  std::size_t OwnerAwaits() const;
  // The messages of the communication events the port watches, other than received bytes.
  void SendEventMessages();

  std::thread m_monitorThread;
  std::atomic<std::uint32_t> m_monitorSuspended{0};  // never set: see ResumeMonitor
  std::mutex m_portLock;
  // 1 from the monitor's first step until it ends. Nothing here waits on it (Stop waits for the
  // monitor's end itself); kept with ResumeMonitor.
  std::atomic<std::uint32_t> m_monitorRunning{0};
  std::unique_ptr<Platform> m_platform;
  SerialTimeouts m_timeouts;
  SerialOwner* m_ownerWindow = nullptr;
  int m_portNumber = 0;
  std::unique_ptr<std::uint8_t[]> m_txBuffer;
  std::uint32_t m_eventMask = 0;
  // The monitor thread's only: received bytes not handed over yet (a block read keeps up with 460800
  // baud where a read per byte would not), and until when to leave the tty alone.
  std::array<std::uint8_t, 4096> m_received{};
  std::size_t m_receivedCount = 0;
  AnswerGathering m_gathering;
  std::uint32_t m_txBufferSize = 0;
  std::atomic<std::uint32_t> m_txLength{1};

  // Set by the monitor thread as it ends; a thread that has not yet reached its first step has not ended.
  std::mutex m_monitorEndLock;
  std::condition_variable m_monitorEnd;
  bool m_monitorEnded = true;

  mutable std::mutex m_failureLock;
  std::optional<SerialFailure> m_lastFailure;
};

}  // namespace quillon
