// The station as it runs: the dialog initialised, its timer ticking (by hand), the watchdog starting
// connection attempts, the real serial driver, the port search over a tty path, and the simulated
// device coming and going.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

#include "front/common/device_setup.h"
#include "link/link_status.h"
#include "link/ports/given_port_list.h"
#include "link/serial/port_table.h"
#include "link/usb/no_usb_bridge.h"
#include "sim/pty_device.h"
#include "sim/usb_device.h"
#include "station/connection/discovery.h"
#include "station/shared_state.h"
#include "tests/support/handshake_timing.h"
#include "tests/support/made.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/simulated_device.h"
#include "tests/support/station_harness.h"

namespace quillon {
namespace {

using testing::Eventually;

class RunningStation {
 public:
  RunningStation(UsbBridge& usb, Worker connectThread, std::function<sim::PtyDevice*()> device)
      : station(&usb, Workers(std::move(connectThread)),
                testing::TimingAwaitingHandshake(std::move(device))) {
    station.dialogThread.Send([this] { station.dlg.OnInitDialog(); });
  }
  ~RunningStation() {
    Eventually([this] { return !station.dlg.ConnectionAttemptRunning(); });
    station.dlg.m_port.Stop();
    for (int number = 1; number <= 99; ++number) UnbindPortPath(number);
  }

  int TicksUntilStatus(const std::string& status) { return station.TicksUntilLinkStatus(status); }
  bool ButtonsEnabled(bool enabled) {
    return std::ranges::all_of(kJobButtonIds,
                               [&](int id) { return station.dlg.IsControlEnabled(id) == enabled; });
  }

  testing::StationHarness station;

 private:
  static StationWorkers Workers(Worker connectThread) {
    StationWorkers workers;
    workers.connectThread = std::move(connectThread);
    return workers;
  }
};

TEST(WatchdogLinkTest, TheSimulatorAppearsVanishesAndReturnsAndTheLinkFollows) {
  testing::ScratchWorkingDirectory scratch;
  const std::filesystem::path tty = scratch.Path() / "ttyUSB0";
  GivenPortList ports(tty.string());
  NoUsbBridge noUsb;
  std::unique_ptr<sim::PtyDevice> device;
  RunningStation running(noUsb, ConnectWorker(ports), [&] { return device.get(); });
  EXPECT_EQ(running.station.dlg.LinkStatus(), LookingForDeviceText());

  // Started without a device: the first check finds nothing.
  EXPECT_EQ(running.TicksUntilStatus(NoDeviceOnPortText(tty.string())), 1);
  EXPECT_TRUE(running.ButtonsEnabled(false));
  EXPECT_EQ(g_jobBusy, 1);

  device = testing::SimulatedDevice({.linkPath = tty});
  ASSERT_NE(device, nullptr);
  EXPECT_NE(running.TicksUntilStatus(LinkedOnPortText("ttyUSB0", 460800)), -1);
  EXPECT_TRUE(running.ButtonsEnabled(true));
  EXPECT_EQ(g_jobBusy, 0);

  // Gone while idle: the station notices at its next check and says so.
  device->Unplug();
  ASSERT_TRUE(
      Eventually([&] { return running.station.dlg.m_port.portState.load() == CSerialPort::kStateFailed; }));
  EXPECT_NE(running.TicksUntilStatus(NoDeviceOnPortText(tty.string())), -1);
  const std::vector<std::string> statuses = running.station.view.LinkStatuses();
  // The hang-up the monitor met is what took the link down, and the status says so.
  const SerialFailure hangUp{"ppoll() on the tty (it hung up)", EIO, std::generic_category().message(EIO)};
  EXPECT_EQ(running.station.dlg.m_port.LastFailure(), hangUp);
  EXPECT_NE(std::ranges::find(statuses, LinkLostText(hangUp)), statuses.end());
  EXPECT_TRUE(running.ButtonsEnabled(false));

  ASSERT_TRUE(testing::Replugged(*device));
  EXPECT_NE(running.TicksUntilStatus(LinkedOnPortText("ttyUSB0", 460800)), -1);
  EXPECT_TRUE(running.ButtonsEnabled(true));
}

TEST(WatchdogLinkTest, ADeviceAtTheWatchedPortIsLinkedAndLetGoOfWithoutATick) {
  testing::ScratchWorkingDirectory scratch;
  const std::filesystem::path tty = scratch.Path() / "tty";
  auto setup =
      testing::Made(DeviceSetup::Create({.source = DeviceChoice::Source::kPort, .portPath = tty.string()}));
  ASSERT_NE(setup, nullptr);
  // Made unplugged before anything watches, so that the attempts find it made.
  std::unique_ptr<sim::PtyDevice> device = testing::SimulatedDevice({.linkPath = tty});
  ASSERT_NE(device, nullptr);
  device->Unplug();
  RunningStation running(setup->Usb(), setup->ConnectWorker(), [&] { return device.get(); });
  setup->WatchDevices([&] { running.station.dlg.CheckForDeviceNow(); });
  const auto status = [&] { return running.station.dlg.LinkStatus(); };
  // The timer never ticks by itself here: only the watcher can bring the watchdog's check.
  EXPECT_EQ(status(), LookingForDeviceText());

  ASSERT_TRUE(testing::Replugged(*device));
  EXPECT_TRUE(Eventually([&] { return status() == LinkedOnPortText("tty", 460800); })) << status();
  EXPECT_TRUE(running.ButtonsEnabled(true));
  EXPECT_EQ(device->WithEngine([](sim::DeviceEngine& engine) { return engine.Counters().handshakes; }), 1u);

  device->Unplug();
  EXPECT_TRUE(Eventually([&] { return status() == NoDeviceOnPortText(tty.string()); })) << status();
  const std::vector<std::string> statuses = running.station.view.LinkStatuses();
  // The hang-up took the link down, and the status names it.
  const SerialFailure hangUp{"ppoll() on the tty (it hung up)", EIO, std::generic_category().message(EIO)};
  EXPECT_NE(std::ranges::find(statuses, LinkLostText(hangUp)), statuses.end());
  EXPECT_TRUE(running.ButtonsEnabled(false));

  ASSERT_TRUE(testing::Replugged(*device));
  EXPECT_TRUE(Eventually([&] { return status() == LinkedOnPortText("tty", 460800); })) << status();
  // The callback reaches the dialog: it ends before the station does.
  setup->StopWatching();
}

TEST(WatchdogLinkTest, TheBuiltInSimulatorIsFoundOnItsTtyOrAsAUsbDevice) {
  auto serial = testing::Made(DeviceSetup::Create({.source = DeviceChoice::Source::kSimulator}));
  ASSERT_NE(serial, nullptr);
  {
    RunningStation running(serial->Usb(), serial->ConnectWorker(), [&] { return serial->SerialSimulator(); });
    EXPECT_EQ(running.TicksUntilStatus(LinkedOnPortText("ttySIM0", 460800)), 1);
    EXPECT_TRUE(running.ButtonsEnabled(true));
  }

  auto usb = testing::Made(DeviceSetup::Create({.source = DeviceChoice::Source::kSimulatorUsb}));
  ASSERT_NE(usb, nullptr);
  RunningStation running(usb->Usb(), usb->ConnectWorker(), [] { return nullptr; });
  EXPECT_EQ(running.TicksUntilStatus(LinkedOverUsbText()), 1);
  EXPECT_EQ(g_linkKind, kUsbLinkKind);
  EXPECT_TRUE(usb->UsbSimulator()->IsOpen(0));
  running.station.dlg.CloseUsbDevice();
}

TEST(WatchdogLinkTest, AUsbDeviceGoneFromTheBusIsLetGoOfWhenTheSystemTellsOfIt) {
  auto usb = testing::Made(DeviceSetup::Create({.source = DeviceChoice::Source::kSimulatorUsb}));
  ASSERT_NE(usb, nullptr);
  RunningStation running(usb->Usb(), usb->ConnectWorker(), [] { return nullptr; });
  ASSERT_EQ(running.TicksUntilStatus(LinkedOverUsbText()), 1);

  // What the system's report of a USB device taken away brings, without a tick.
  usb->UsbSimulator()->Unplug(0);
  running.station.dlg.CheckForDeviceNow();
  EXPECT_TRUE(Eventually([&] { return running.station.dlg.LinkStatus() == NoDeviceFoundText(); }))
      << running.station.dlg.LinkStatus();
  const std::vector<std::string> statuses = running.station.view.LinkStatuses();
  EXPECT_NE(std::ranges::find(statuses, LinkLostText()), statuses.end());
  EXPECT_TRUE(running.ButtonsEnabled(false));
}

}  // namespace
}  // namespace quillon
