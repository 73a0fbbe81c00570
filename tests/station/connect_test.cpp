// One connection attempt: the USB device first, then the CH340 port with the handshake at 460800, then
// the fallback at 115200, through the real serial driver on pseudo-terminals.
#include <gtest/gtest.h>

#include <termios.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "link/link_status.h"
#include "link/ports/given_port_list.h"
#include "link/serial/port_table.h"
#include "sim/pty_device.h"
#include "sim/usb_device.h"
#include "station/connection/discovery.h"
#include "station/shared_state.h"
#include "tests/station/refused_line_settings.h"
#include "tests/support/gate.h"
#include "tests/support/handshake_timing.h"
#include "tests/support/listed_ports.h"
#include "tests/support/pty_pair.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/simulated_device.h"
#include "tests/support/station_harness.h"

namespace quillon {
namespace {

using testing::Ch340;
using testing::Eventually;
using testing::Gate;
using testing::StationHarness;

class ConnectTest : public ::testing::Test {
 protected:
  ConnectTest() : station(&usb, {}, Timing()) {}

  void TearDown() override {
    station.dlg.m_port.Stop();
    for (int number = 1; number <= 99; ++number) UnbindPortPath(number);
  }

  StationTiming Timing() {
    StationTiming timing = testing::TimingAwaitingHandshake([this] { return device.get(); });
    timing.pause = [this, awaitDevice = timing.pause](std::chrono::milliseconds length) {
      if (duringHandshakeWait) {
        duringHandshakeWait();
      } else {
        awaitDevice(length);
      }
    };
    return timing;
  }

  void PlugSimulator(sim::DeviceFaults faults = {}) {
    device = testing::SimulatedDevice({.faults = faults, .linkPath = LinkPath()});
    ASSERT_NE(device, nullptr);
    ports.Set({Ch340("ttyUSB0", LinkPath().string())});
  }
  std::filesystem::path LinkPath() const { return scratch.Path() / "ttyUSB0"; }

  void Connect() {
    g_jobBusy = 1;  // as the watchdog leaves it when it starts an attempt
    ConnectThread(station.dlg, ports);
  }

  bool JobButtonsEnabled() {
    for (int id : kJobButtonIds) {
      if (!station.dlg.IsControlEnabled(id)) return false;
    }
    return true;
  }
  bool JobButtonsDisabled() {
    for (int id : kJobButtonIds) {
      if (station.dlg.IsControlEnabled(id)) return false;
    }
    return true;
  }

  // The link carries commands: an open-job command is acknowledged.
  void ExpectWorkingSerialLink() {
    std::ranges::fill(g_txPayload, 0);
    g_txPayload[0] = kCommandOpenJob;
    EXPECT_EQ(station.dlg.ExchangeCommand(kOpenJobWaitTicks), 1);
    EXPECT_TRUE(station.view.MessageBoxes().empty());
  }

  sim::DeviceCounters DeviceCounters() {
    return device->WithEngine([](sim::DeviceEngine& e) { return e.Counters(); });
  }

  testing::ScratchWorkingDirectory scratch;
  sim::SimulatedUsbBridge usb{std::vector<sim::SimulatedUsbDeviceConfig>{}};
  testing::ListedPorts ports;
  std::unique_ptr<sim::PtyDevice> device;
  std::function<void()> duringHandshakeWait;
  StationHarness station;
};

TEST_F(ConnectTest, AUsbDeviceIsPreferredToASerialOne) {
  sim::SimulatedUsbBridge usbWithDevice;
  StationHarness usbStation(&usbWithDevice);
  PlugSimulator();
  g_jobBusy = 1;
  ConnectThread(usbStation.dlg, ports);

  EXPECT_EQ(g_linkKind, kUsbLinkKind);
  EXPECT_TRUE(usbWithDevice.IsOpen(0));
  EXPECT_EQ(g_jobBusy, 0);
  EXPECT_EQ(usbStation.dlg.LinkStatus(), LinkedOverUsbText());
  // The serial port was never searched, let alone greeted.
  EXPECT_EQ(ports.searches, 0);
  EXPECT_EQ(usbStation.dlg.m_port.portState, CSerialPort::kStateClosed);
  usbStation.dlg.CloseUsbDevice();
}

TEST_F(ConnectTest, WithoutAnyDeviceTheButtonsStayDisabledAndTheStationBusy) {
  Connect();
  EXPECT_EQ(g_linkKind, kNoLink);
  EXPECT_EQ(g_jobBusy, 1);
  EXPECT_TRUE(JobButtonsDisabled());
  EXPECT_EQ(station.dlg.LinkStatus(), NoDeviceFoundText());
  EXPECT_EQ(ports.searches, 1);
}

TEST_F(ConnectTest, TheHandshakeAt460800BringsTheSerialLinkUp) {
  PlugSimulator();
  Connect();
  const int number = static_cast<int>(g_linkKind.load());
  EXPECT_GE(number, 1);
  EXPECT_LE(number, 99);
  EXPECT_EQ(PortPath(number), LinkPath().string());
  EXPECT_EQ(station.dlg.m_port.portState, CSerialPort::kStateOpen);
  EXPECT_EQ(g_jobBusy, 0);
  EXPECT_TRUE(JobButtonsEnabled());
  EXPECT_EQ(station.dlg.LinkStatus(), LinkedOnPortText("ttyUSB0", 460800));
  EXPECT_EQ(DeviceCounters().handshakesAnswered, 1u);
  ExpectWorkingSerialLink();
}

TEST_F(ConnectTest, FirmwareWithoutTheHandshakeIsLinkedAt115200) {
  PlugSimulator({.handshakeless = true});
  Connect();
  EXPECT_EQ(DeviceCounters().handshakes, 1u);
  EXPECT_EQ(DeviceCounters().handshakesAnswered, 0u);
  EXPECT_EQ(station.dlg.m_port.portState, CSerialPort::kStateOpen);
  EXPECT_EQ(g_jobBusy, 0);
  EXPECT_TRUE(JobButtonsEnabled());
  EXPECT_EQ(station.dlg.LinkStatus(), LinkedOnPortText("ttyUSB0", 115200));
  ExpectWorkingSerialLink();
}

TEST_F(ConnectTest, AHandshakeReplyAfterTheWaitDoesNotCount) {
  testing::PtyPair adapter;
  ASSERT_TRUE(adapter.ok());
  ports.Set({Ch340("ttyUSB0", adapter.slavePath())});
  duringHandshakeWait = [&] {
    // The device takes the handshake but is slow to answer it.
    std::string handshake = adapter.DeviceReceives(kFrameSize);
    ASSERT_EQ(handshake.size(), kFrameSize);
    EXPECT_EQ(handshake[kFrameHeaderSize], static_cast<char>(kCommandHandshake));
  };
  Connect();
  ASSERT_TRUE(adapter.DeviceSends(std::string(kFrameHeader.begin(), kFrameHeader.end()) + "WTRD" +
                                  std::string(kPayloadSize - 4, '\0')));

  termios settings{};
  ASSERT_EQ(::tcgetattr(adapter.slave(), &settings), 0);
  EXPECT_EQ(::cfgetospeed(&settings), B115200);
  EXPECT_EQ(station.dlg.LinkStatus(), LinkedOnPortText("ttyUSB0", 115200));
  EXPECT_TRUE(JobButtonsEnabled());
}

TEST_F(ConnectTest, AFallbackPortThatDoesNotOpenIsNoLink) {
  PlugSimulator({.handshakeless = true});
  // The adapter is pulled out while the station waits for the handshake's answer.
  duringHandshakeWait = [&] { device.reset(); };
  Connect();
  EXPECT_EQ(g_linkKind, kNoLink);
  EXPECT_EQ(g_jobBusy, 1);
  EXPECT_NE(station.dlg.m_port.portState, CSerialPort::kStateOpen);
  EXPECT_TRUE(JobButtonsDisabled());
  EXPECT_EQ(station.dlg.LinkStatus(), PortNotOpenedText("ttyUSB0"));
}

TEST_F(ConnectTest, APortThatRefusesTheLineSettingsIsNoLinkAtEitherSpeed) {
  PlugSimulator();
  const testing::RefusedLineSettings refused(LinkPath().string());
  Connect();
  EXPECT_EQ(g_linkKind, kNoLink);
  EXPECT_EQ(g_jobBusy, 1);
  EXPECT_TRUE(JobButtonsDisabled());
  // The status names the call that failed and the system's error.
  const SerialFailure refusal{"tcsetattr()", EINVAL, std::generic_category().message(EINVAL)};
  EXPECT_EQ(station.dlg.m_port.LastFailure(), refusal);
  EXPECT_EQ(station.dlg.LinkStatus(), PortNotSetUpText("ttyUSB0", refusal));
  EXPECT_EQ(station.dlg.LinkStatus(), "ID writer port ttyUSB0 could not be set up: " + refusal.call + ": " +
                                          refusal.text + " (" + std::to_string(EINVAL) + ").");
  EXPECT_EQ(DeviceCounters().handshakes, 0u) << "the handshake went out on a line not set up";
}

TEST_F(ConnectTest, APortThatTakesItsLineSettingsAgainForgetsItsLastFailure) {
  PlugSimulator();
  {
    const testing::RefusedLineSettings refused(LinkPath().string());
    Connect();
    ASSERT_TRUE(station.dlg.m_port.LastFailure());
  }
  Connect();
  EXPECT_EQ(station.dlg.LinkStatus(), LinkedOnPortText("ttyUSB0", 460800));
  EXPECT_EQ(station.dlg.m_port.LastFailure(), std::nullopt);
}

TEST_F(ConnectTest, WhatIsNoSerialPortIsNeverWrittenToAndTheStatusLineSaysWhatItIs) {
  const std::string package = ":00000001FF\r\n";
  std::ofstream("flash.txt", std::ios::binary) << package;
  GivenPortList given("flash.txt");
  g_jobBusy = 1;
  ConnectThread(station.dlg, given);
  EXPECT_EQ(g_linkKind, kNoLink);
  EXPECT_EQ(station.dlg.LinkStatus(), "flash.txt is a regular file, not a serial port.");

  // Nor does the driver itself open it, were it handed the path.
  BindPortPath(9, "flash.txt");
  EXPECT_FALSE(station.dlg.m_port.Configure(&station.dlg, 9, 460800, 'N', 8, 1, EV_RXCHAR, 1024));
  std::ifstream file("flash.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), package);
}

TEST_F(ConnectTest, APortLeftFailedByItsMonitorIsLetGoSoTheNextAttemptLinksAgain) {
  PlugSimulator();
  Connect();
  ASSERT_EQ(station.dlg.m_port.portState, CSerialPort::kStateOpen);

  // A failure report on the monitor thread (a read error, say) leaves the port failed while it still
  // holds the tty: its own presence test would refuse it for ever.
  station.dlg.m_port.portState = CSerialPort::kStateFailed;
  Connect();
  EXPECT_EQ(station.dlg.m_port.portState, CSerialPort::kStateOpen);
  EXPECT_EQ(station.dlg.LinkStatus(), LinkedOnPortText("ttyUSB0", 460800));
  EXPECT_EQ(DeviceCounters().handshakesAnswered, 2u);
  ExpectWorkingSerialLink();
}

TEST_F(ConnectTest, AnAdapterThatVanishedWhileIdleIsLinkedAgainWhenItReturns) {
  PlugSimulator();
  Connect();
  device->Unplug();
  ASSERT_TRUE(Eventually([&] { return station.dlg.m_port.portState.load() == CSerialPort::kStateFailed; }));
  Connect();
  EXPECT_EQ(station.dlg.LinkStatus(), NoDeviceFoundText());
  EXPECT_TRUE(JobButtonsDisabled());

  ASSERT_TRUE(testing::Replugged(*device));
  Connect();
  EXPECT_EQ(station.dlg.LinkStatus(), LinkedOnPortText("ttyUSB0", 460800));
  ExpectWorkingSerialLink();
}

TEST_F(ConnectTest, APressTheMomentTheButtonsComeUpStartsItsJob) {
  sim::SimulatedUsbBridge usbWithDevice;
  StationHarness pressingStation(&usbWithDevice, {.fontFileJob = [](CQuillonDlg&) { g_jobBusy = 0; }});
  // The operator's hand, or a front end that waits for the button: it presses as the button shows enabled.
  pressingStation.view.OnControlShown([&](int controlId, bool enabled) {
    if (enabled && controlId == kIdWriteChinese) pressingStation.dlg.OnCommand(controlId);
  });
  g_jobBusy = 1;  // as the watchdog leaves it when it starts an attempt
  ConnectThread(pressingStation.dlg, ports);
  EXPECT_EQ(pressingStation.dlg.JobsStarted(), 1u);
  pressingStation.dlg.WaitForJobWorkers();
  pressingStation.dlg.CloseUsbDevice();
}

TEST_F(ConnectTest, ALinkThatComesUpWhileAJobClosesIsHandedOverWhenTheJobHasEnded) {
  sim::SimulatedUsbBridge usbWithDevice;
  Gate closingShown;
  Gate jobMayEnd;
  StationWorkers workers;
  workers.fontFileJob = [&](CQuillonDlg&) {
    g_jobBusy = 0;  // its closing, after the last box; the worker has not returned yet
    closingShown.Open();
    jobMayEnd.Wait();
  };
  StationHarness busyStation(&usbWithDevice, std::move(workers));
  auto press = [&](int button) { busyStation.dialogThread.Send([&] { busyStation.dlg.OnCommand(button); }); };
  busyStation.dlg.EnableJobButtons(true);
  press(kIdWriteChinese);
  closingShown.Wait();

  g_jobBusy = 1;  // the watchdog's attempt, started as the failed link went down
  ConnectThread(busyStation.dlg, ports);
  EXPECT_EQ(g_linkKind, kUsbLinkKind);
  EXPECT_FALSE(busyStation.dlg.IsControlEnabled(kIdWriteKorean)) << "no button that would refuse its press";
  press(kIdWriteKorean);
  EXPECT_EQ(busyStation.dlg.JobsStarted(), 1u);

  jobMayEnd.Open();
  busyStation.dlg.WaitForJobWorkers();
  EXPECT_TRUE(busyStation.dlg.IsControlEnabled(kIdWriteKorean));
  EXPECT_EQ(g_jobBusy, 0);
  press(kIdWriteKorean);
  EXPECT_EQ(busyStation.dlg.JobsStarted(), 2u);
  busyStation.dlg.WaitForJobWorkers();
  busyStation.dlg.CloseUsbDevice();
}

}  // namespace
}  // namespace quillon
