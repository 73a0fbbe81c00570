// The serial port driven against a pseudo-terminal that plays the device.
#include "link/serial/serial_port.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <future>
#include <string>
#include <system_error>
#include <thread>

#include "link/serial/port_table.h"
#include "tests/link/fake_owners.h"
#include "tests/support/eventually.h"
#include "tests/support/pty_pair.h"

namespace quillon {
namespace {

using testing::kPatience;
using testing::OwnerThread;
using testing::PtyPair;
using testing::RecordingOwner;
using testing::SerialMessage;

constexpr int kPort = 7;
constexpr int kBufferSize = 1024;

using testing::Eventually;

int OpenDescriptorCount() {
  int count = 0;
  if (DIR* fds = ::opendir("/proc/self/fd")) {
    while (::readdir(fds)) ++count;
    ::closedir(fds);
  }
  return count;
}

std::string BytesOf(const std::vector<SerialMessage>& messages) {
  std::string bytes;
  for (const auto& m : messages) {
    if (m.message == WM_SERIAL_BYTE) bytes += static_cast<char>(m.wParam);
  }
  return bytes;
}

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    BindPortPath(kPort, pty.slavePath());
  }
  void TearDown() override { UnbindPortPath(kPort); }

  bool Open(CSerialPort& port, std::uint32_t mask = EV_RXCHAR, int baud = 460800,
            int bufferSize = kBufferSize) {
    return port.Configure(&owner, kPort, baud, 'N', 8, 1, mask, bufferSize);
  }
  void Write(CSerialPort& port, std::string_view bytes) {
    port.QueueWrite(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
  }
  // The monitor discards what waits in the tty as it starts. A byte the device sent before is gone once
  // the monitor is past that point; from then on every byte the device sends is delivered.
  bool StartMonitorAndSettle(CSerialPort& port) {
    if (!pty.DeviceSends("~") || !Eventually([&] { return pty.BytesWaitingAtPort() == 1; })) return false;
    return port.StartMonitor() && Eventually([&] { return pty.BytesWaitingAtPort() == 0; });
  }

  PtyPair pty;
  RecordingOwner owner;
};

// --- Opening and setting up -------------------------------------------------------------------------

TEST_F(SerialPortTest, PortThatDoesNotExistFailsQuietlyAndLeavesThePortUsable) {
  CSerialPort port;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(port.Configure(&owner, 42, 460800, 'N', 8, 1, EV_RXCHAR, kBufferSize));
  BindPortPath(43, "/dev/no-such-tty");
  EXPECT_FALSE(port.Configure(&owner, 43, 460800, 'N', 8, 1, EV_RXCHAR, kBufferSize));
  UnbindPortPath(43);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(port.portState, CSerialPort::kStateClosed);

  // Had a failed open kept the lock, this would never return.
  ASSERT_TRUE(Open(port));
  EXPECT_EQ(port.portState, CSerialPort::kStateOpen);
  ASSERT_TRUE(port.StartMonitor());
  Write(port, "ok");
  EXPECT_EQ(pty.DeviceReceives(2), "ok");
  port.Stop();
}

TEST_F(SerialPortTest, AppliesTheLineSettingsAndReopensWhileTheMonitorRuns) {
  CSerialPort port;
  ASSERT_TRUE(Open(port));
  termios tty = pty.PortSettings();
  EXPECT_EQ(cfgetospeed(&tty), B460800);
  EXPECT_EQ(cfgetispeed(&tty), B460800);
  EXPECT_EQ(tty.c_cflag & (CSIZE | PARENB | CSTOPB), CS8);
  ASSERT_TRUE(StartMonitorAndSettle(port));
  const int descriptors = OpenDescriptorCount();

  // The monitor still runs: Configure ends it, closes the old descriptor and reuses the events.
  ASSERT_TRUE(port.Configure(&owner, kPort, 115200, 'E', 7, 2, EV_RXCHAR, kBufferSize));
  EXPECT_EQ(port.portState, CSerialPort::kStateOpen);
  tty = pty.PortSettings();
  EXPECT_EQ(cfgetospeed(&tty), B115200);
  // A pty keeps 8 bits without parity whatever it is told; the stop bits it takes.
  EXPECT_EQ(tty.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));
  EXPECT_EQ(OpenDescriptorCount(), descriptors);

  ASSERT_TRUE(StartMonitorAndSettle(port));
  ASSERT_TRUE(pty.DeviceSends("xyz"));
  ASSERT_TRUE(owner.WaitForMessages(3));
  port.Stop();
  EXPECT_EQ(BytesOf(owner.Messages()), "xyz");
}

TEST_F(SerialPortTest, ClosingPutsBackTheSettingsTheTtyHadBefore) {
  termios found = pty.PortSettings();
  cfsetspeed(&found, B9600);
  found.c_lflag |= ICANON | ECHO;
  pty.SetPortSettings(found);
  CSerialPort port;
  ASSERT_TRUE(Open(port));
  termios tty = pty.PortSettings();
  ASSERT_EQ(cfgetospeed(&tty), B460800);
  ASSERT_EQ(tty.c_lflag & (ICANON | ECHO), 0u) << "the station's own raw settings";
  port.Stop();
  tty = pty.PortSettings();
  EXPECT_EQ(cfgetospeed(&tty), B9600);
  EXPECT_EQ(tty.c_lflag & (ICANON | ECHO), static_cast<tcflag_t>(ICANON | ECHO));
}

TEST_F(SerialPortTest, APortThatRefusesItsLineSettingsIsReportedAndClosedAgain) {
  const termios before = pty.PortSettings();

  CSerialPort port;
  EXPECT_FALSE(port.Configure(&owner, kPort, 460800, 'X', 8, 1, EV_RXCHAR, kBufferSize));
  EXPECT_EQ(port.LastFailure(),
            (SerialFailure{"reading the line settings \"baud=460800 parity=X data=8 stop=1\"", EINVAL,
                           std::generic_category().message(EINVAL)}));
  EXPECT_EQ(port.portState, CSerialPort::kStateFailed);
  const termios after = pty.PortSettings();
  EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));

  // Closed, not held: the next Configure opens it again.
  ASSERT_TRUE(Open(port));
  ASSERT_TRUE(port.StartMonitor());
  Write(port, "ok");
  EXPECT_EQ(pty.DeviceReceives(2), "ok");
  port.Stop();
}

TEST_F(SerialPortTest, PortHeldByAnotherOpenerIsRefused) {
  CSerialPort first;
  CSerialPort second;
  ASSERT_TRUE(Open(first));
  EXPECT_FALSE(Open(second));
  EXPECT_EQ(second.portState, CSerialPort::kStateClosed);
  first.Stop();
  ASSERT_TRUE(Open(second));
  second.Stop();

  // Another program that locks the tty the same way keeps the station out too.
  FileDescriptor other(::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(other.valid());
  ASSERT_EQ(::flock(other.get(), LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(Open(first));
  other.reset();
  EXPECT_TRUE(Open(first));
}

// --- Writing ------------------------------------------------------------------------------------------

TEST_F(SerialPortTest, WriteQueuedRightAfterStartIsServed) {
  CSerialPort port;
  ASSERT_TRUE(Open(port));
  ASSERT_TRUE(port.StartMonitor());
  Write(port, "hello");
  EXPECT_EQ(pty.DeviceReceives(5), "hello");
  port.Stop();
}

TEST_F(SerialPortTest, WriteDiscardsBytesThatArrivedBeforeIt) {
  CSerialPort port;
  // Not watching received bytes, so they stay in the tty until something discards them.
  ASSERT_TRUE(Open(port, 0));
  ASSERT_TRUE(StartMonitorAndSettle(port));

  ASSERT_TRUE(pty.DeviceSends("old"));
  ASSERT_TRUE(Eventually([&] { return pty.BytesWaitingAtPort() == 3; }));
  Write(port, "x");
  ASSERT_EQ(pty.DeviceReceives(1), "x");
  EXPECT_EQ(pty.BytesWaitingAtPort(), 0);
  port.Stop();
}

TEST_F(SerialPortTest, RefusesWritesThatDoNotFitTheBuffer) {
  CSerialPort port;
  ASSERT_TRUE(Open(port, EV_RXCHAR, 460800, 4));
  ASSERT_TRUE(StartMonitorAndSettle(port));
  // Keep the monitor busy handing a byte over, so the writes below pile up before it serves any.
  owner.HoldDeliveries();
  ASSERT_TRUE(pty.DeviceSends("a"));
  ASSERT_TRUE(owner.WaitForMessages(1));
  Write(port, "ok");
  Write(port, "vwxyz");
  Write(port, "");
  owner.ReleaseDeliveries();
  EXPECT_EQ(pty.DeviceReceives(2), "ok");
  port.Stop();
}

TEST_F(SerialPortTest, StopRequestedTogetherWithAWriteWinsOverIt) {
  CSerialPort port;
  ASSERT_TRUE(Open(port));
  ASSERT_TRUE(StartMonitorAndSettle(port));
  owner.HoldDeliveries();
  ASSERT_TRUE(pty.DeviceSends("a"));
  ASSERT_TRUE(owner.WaitForMessages(1));
  Write(port, "w");
  std::thread stopper([&] { port.Stop(); });
  // Stop signals the monitor before it starts waiting for it; both requests now wait.
  ASSERT_TRUE(owner.WaitForDispatchCall());
  owner.ReleaseDeliveries();
  stopper.join();
  EXPECT_EQ(port.portState, CSerialPort::kStateClosed);

  // Anything the monitor had written would reach the device before this.
  ASSERT_EQ(::write(pty.slave(), "m", 1), 1);
  EXPECT_EQ(pty.DeviceReceives(1), "m");
}

// --- Receiving ----------------------------------------------------------------------------------------

TEST_F(SerialPortTest, EachReceivedByteIsOneMessageInOrder) {
  CSerialPort port;
  ASSERT_TRUE(Open(port));
  ASSERT_TRUE(StartMonitorAndSettle(port));
  ASSERT_TRUE(pty.DeviceSends(std::string("\x00\x80\xff", 3)));
  ASSERT_TRUE(owner.WaitForMessages(3));
  port.Stop();
  const std::vector<SerialMessage> expected{
      {WM_SERIAL_BYTE, 0x00, kPort}, {WM_SERIAL_BYTE, 0x80, kPort}, {WM_SERIAL_BYTE, 0xff, kPort}};
  EXPECT_EQ(owner.Messages(), expected);
}

TEST_F(SerialPortTest, WatchedEventsAreAnnouncedAfterTheBytes) {
  CSerialPort port;
  ASSERT_TRUE(Open(port, EV_RXCHAR | EV_RXFLAG | EV_CTS | EV_BREAK | EV_ERR | EV_RING));
  ASSERT_TRUE(StartMonitorAndSettle(port));
  ASSERT_TRUE(pty.DeviceSends("q"));
  ASSERT_TRUE(owner.WaitForMessages(6));
  port.Stop();
  const std::vector<SerialMessage> expected{{WM_SERIAL_BYTE, 'q', kPort}, {WM_SERIAL_CTS, 0, kPort},
                                            {WM_SERIAL_BREAK, 0, kPort},  {WM_SERIAL_LINE_ERROR, 0, kPort},
                                            {WM_SERIAL_RING, 0, kPort},   {WM_SERIAL_EVENT_CHAR, 0, kPort}};
  EXPECT_EQ(owner.Messages(), expected);
}

TEST_F(SerialPortTest, DeviceThatVanishesIsKeptAsTheFailureWithoutSpinning) {
  CSerialPort port;
  ASSERT_TRUE(Open(port));
  ASSERT_TRUE(port.StartMonitor());
  pty.CloseMaster();
  ASSERT_TRUE(Eventually([&] { return port.portState == CSerialPort::kStateFailed; }));

  // A monitor that kept waking on the hung-up tty would use most of this window.
  const std::clock_t start = std::clock();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const double usedSeconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  EXPECT_LT(usedSeconds, 0.1);

  port.Stop();
  EXPECT_EQ(port.LastFailure(),
            (SerialFailure{"ppoll() on the tty (it hung up)", EIO, std::generic_category().message(EIO)}));
  EXPECT_EQ(port.portState, CSerialPort::kStateClosed);
}

// --- Starting and stopping ----------------------------------------------------------------------------

TEST_F(SerialPortTest, MonitorOnAPortThatFailedToOpenKeepsItsFailureAndStillStops) {
  CSerialPort port;
  ASSERT_FALSE(port.Configure(&owner, 42, 460800, 'N', 8, 1, EV_RXCHAR, kBufferSize));
  ASSERT_TRUE(port.StartMonitor());
  ASSERT_TRUE(Eventually([&] { return port.portState == CSerialPort::kStateFailed; }));
  port.Stop();
  EXPECT_EQ(port.LastFailure(),
            (SerialFailure{"ppoll() on the tty", EBADF, std::generic_category().message(EBADF)}));
  EXPECT_EQ(port.portState, CSerialPort::kStateClosed);
}

TEST_F(SerialPortTest, StopOnlyClearsTheStateWhenThereIsNothingToStop) {
  CSerialPort never;
  never.portState = CSerialPort::kStateFailed;
  never.Stop();
  EXPECT_EQ(never.portState, CSerialPort::kStateClosed);
  EXPECT_FALSE(never.StartMonitor());

  CSerialPort port;
  ASSERT_TRUE(Open(port));
  ASSERT_TRUE(port.StartMonitor());
  port.Stop();
  port.Stop();
  EXPECT_EQ(port.portState, CSerialPort::kStateClosed);
  Write(port, "lost");  // no buffer after Stop: refused
  ASSERT_TRUE(Open(port));
  ASSERT_TRUE(port.StartMonitor());
  Write(port, "again");
  EXPECT_EQ(pty.DeviceReceives(5), "again");
  port.Stop();
}

TEST_F(SerialPortTest, StopOnTheOwnersThreadCompletesWhileTheMonitorDelivers) {
  OwnerThread dialog;
  CSerialPort port;
  ASSERT_TRUE(port.Configure(&dialog, kPort, 460800, 'N', 8, 1, EV_RXCHAR, kBufferSize));
  ASSERT_TRUE(StartMonitorAndSettle(port));

  std::promise<void> running;
  std::promise<bool> stopped;
  dialog.Post([&] {
    running.set_value();
    // The byte is sent while this task runs, so the monitor waits for this very thread to handle it.
    const bool delivering = dialog.WaitForPendingSend();
    port.Stop();
    stopped.set_value(delivering);
  });
  running.get_future().wait();
  ASSERT_TRUE(pty.DeviceSends("b"));
  auto done = stopped.get_future();
  ASSERT_EQ(done.wait_for(kPatience), std::future_status::ready);
  EXPECT_TRUE(done.get());
  EXPECT_EQ(port.portState, CSerialPort::kStateClosed);
  EXPECT_EQ(BytesOf(dialog.Handled()), "b");
}

}  // namespace
}  // namespace quillon
