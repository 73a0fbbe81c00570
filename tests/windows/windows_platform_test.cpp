// The Windows platform layer's own behaviour, under Wine: what the presence test and the serial port
// make of COM ports that are not there, and the words the operator is given.
#include <gtest/gtest.h>

#include "link/link_status.h"
#include "link/os/win_error.h"
#include "link/os/windows_api.h"
#include "link/ports/given_port_list.h"
#include "link/ports/port_probe.h"
#include "link/serial/port_table.h"
#include "link/serial/serial_port.h"

namespace quillon {
namespace {

// Wine's own COM ports take the lowest numbers; nothing stands behind this one.
constexpr char kAbsentPort[] = "\\\\.\\COM97";

TEST(WindowsPortProbeTest, CreateFilesErrorsSayWhetherAPortIsGoneOrHeld) {
  EXPECT_EQ(AvailabilityAfterOpenError(ERROR_FILE_NOT_FOUND), PortAvailability::kMissing);
  // Windows answers "access denied" for a COM port that another program has open, and cannot say who.
  const PortProbe held{PortAvailability::kBusy, FindPortHolder(kAbsentPort), {}};
  EXPECT_EQ(AvailabilityAfterOpenError(ERROR_ACCESS_DENIED), PortAvailability::kBusy);
  EXPECT_EQ(PortNotUsableText("COM5", held),
            "ID writer port COM5 is busy in another program: close it there.");
  EXPECT_EQ(AvailabilityAfterOpenError(ERROR_GEN_FAILURE), PortAvailability::kUnusable);

  EXPECT_EQ(ProbePort(kAbsentPort).availability, PortAvailability::kMissing);
}

TEST(WindowsPortProbeTest, APortGivenByNameIsListedAsTheCh340PortUnderItsDeviceName) {
  for (const char* given : {"COM7", "com7", "\\\\.\\COM7"}) {
    const std::vector<SerialPortEntry> ports = GivenPortList(given).Ports();
    ASSERT_EQ(ports.size(), 1u) << given;
    EXPECT_EQ(ports[0].portName, "COM7");
    EXPECT_EQ(ports[0].systemLocation, "\\\\.\\COM7");
    EXPECT_EQ(ports[0].friendlyName, "USB-SERIAL CH340 (COM7)");
  }
}

TEST(WindowsPortProbeTest, ANameOtherThanComNIsNoSerialPortAndIsNeverOpened) {
  for (const char* given : {"C:\\x\\flash.txt", "COM0", "COM256"}) {
    const std::vector<SerialPortEntry> ports = GivenPortList(given).Ports();
    ASSERT_EQ(ports.size(), 1u) << given;
    EXPECT_EQ(ports[0].friendlyName, std::string("Not a serial port (") + given + ")");
    const PortProbe probe = ProbePort(ports[0].systemLocation);
    EXPECT_EQ(probe.availability, PortAvailability::kNotSerialPort) << given;
    EXPECT_EQ(AvailabilityWords(probe),
              std::string(given) + " is not a serial port: a port is COM1 to COM255 (or \\\\.\\COMn)");
  }
}

TEST(WindowsSerialPortTest, APortThatDoesNotOpenLeavesTheStateClosedAndTheObjectUsable) {
  CSerialPort port;
  BindPortPath(40, kAbsentPort);
  EXPECT_FALSE(port.Configure(nullptr, 40, 460800, 'N', 8, 1, EV_RXCHAR, 1024));
  EXPECT_EQ(port.portState, CSerialPort::kStateClosed);
  // Not held up by the lock, and a monitor on no port still stops.
  EXPECT_FALSE(port.Configure(nullptr, 41, 115200, 'N', 8, 1, EV_RXCHAR, 1024));
  EXPECT_TRUE(port.StartMonitor());
  port.QueueWrite(reinterpret_cast<const std::uint8_t*>("W"), 1);
  port.Stop();
  EXPECT_EQ(port.portState, CSerialPort::kStateClosed);
  port.Stop();
  UnbindPortPath(40);
}

TEST(WindowsSerialPortTest, AFailureCarriesTheSystemsWordsForTheError) {
  // The words differ between Windows and Wine ("File not found."); the system has some.
  EXPECT_NE(SystemErrorText(ERROR_FILE_NOT_FOUND).find("not f"), std::string::npos);
  EXPECT_EQ(SystemErrorText(0xDEADu), "error 57005");
}

}  // namespace
}  // namespace quillon
