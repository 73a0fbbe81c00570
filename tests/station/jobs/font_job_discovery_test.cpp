// The font file job as an operator meets it: the station starts, the watchdog finds the simulated
// device (or does not), a job runs, the device is pulled out in mid-job and plugged in again.
#include <gtest/gtest.h>

#include <memory>

#include "front/common/device_setup.h"
#include "link/link_status.h"
#include "link/serial/port_table.h"
#include "sim/pty_device.h"
#include "sim/usb_device.h"
#include "station/connection/discovery.h"
#include "station/exchange_texts.h"
#include "tests/package/hex_package.h"
#include "tests/station/jobs/font_job_station.h"
#include "tests/support/handshake_timing.h"
#include "tests/support/listed_ports.h"
#include "tests/support/made.h"
#include "tests/support/simulated_device.h"

namespace quillon {
namespace {

using testing::PackageLines;
using testing::PatternBytes;
using testing::WriteLines;

std::vector<std::uint8_t> FlashOf(sim::DeviceEngine& engine, std::uint32_t address, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  engine.Memory().Read(address, bytes);
  return bytes;
}

class FontJobDiscoveryTest : public ::testing::Test {
 protected:
  FontJobDiscoveryTest()
      : job(nullptr, ConnectWorker(ports),
            testing::TimingAwaitingHandshake([this] { return device.get(); })) {}
  ~FontJobDiscoveryTest() override {
    job.station.dlg.m_port.Stop();
    for (int number = 1; number <= 99; ++number) UnbindPortPath(number);
  }

  std::filesystem::path Tty() const { return job.scratch.Path() / "ttyUSB0"; }
  void PlugIn(sim::DeviceFaults faults = {}) {
    device = testing::SimulatedDevice({.faults = faults, .linkPath = Tty()});
    ASSERT_NE(device, nullptr);
    ports.Set({testing::Ch340("ttyUSB0", Tty().string())});
  }
  template <typename F>
  decltype(auto) WithEngine(F&& f) {
    return device->WithEngine(std::forward<F>(f));
  }

  testing::ListedPorts ports;
  std::unique_ptr<sim::PtyDevice> device;
  testing::FontJobStation job;
};

TEST_F(FontJobDiscoveryTest, TheStationStartsWithoutADeviceLinksItAsItAppearsAndCompletesAJob) {
  const auto bytes = PatternBytes(0, 48 * kPageSize);
  WriteLines("flash.txt", PackageLines(0, bytes));
  EXPECT_EQ(job.station.TicksUntilLinkStatus(NoDeviceFoundText()), 1);
  EXPECT_FALSE(job.station.dlg.IsControlEnabled(kIdWriteChinese));

  PlugIn();
  EXPECT_NE(job.station.TicksUntilLinkStatus(LinkedOnPortText("ttyUSB0", 460800)), -1);
  ASSERT_TRUE(job.RunJob());
  EXPECT_EQ(job.BoxTexts(), std::vector<std::string>{"写入完成!!!"});
  WithEngine([&](sim::DeviceEngine& engine) { EXPECT_EQ(FlashOf(engine, 0, bytes.size()), bytes); });
}

TEST_F(FontJobDiscoveryTest, ADevicePulledOutInMidJobIsLinkedAgainAndTheNextJobCompletes) {
  constexpr std::uint32_t kPagesBeforeUnplug = 20;
  const auto bytes = PatternBytes(0x20000, 40 * kPageSize);
  WriteLines("KoreaFlash.txt", PackageLines(0x20000, bytes));
  PlugIn({.unplugAfterPages = kPagesBeforeUnplug});
  ASSERT_NE(job.station.TicksUntilLinkStatus(LinkedOnPortText("ttyUSB0", 460800)), -1);

  job.Press(kIdWriteKorean);
  ASSERT_TRUE(testing::Eventually([&] { return !device->Plugged(); }));
  // The wait for the lost page's acknowledgement runs out with the ticks; the watchdog goes on meanwhile.
  ASSERT_TRUE(testing::Eventually([&] {
    job.station.Tick();
    return job.station.view.MessageBoxes().size() >= 2;
  }));
  ASSERT_TRUE(job.JobEnded());
  EXPECT_EQ(job.BoxTexts(), (std::vector<std::string>{kSerialFailureText, "Write Error!!!"}));
  EXPECT_EQ(job.station.view.Sounds(), std::vector<std::string>{g_errorSoundPath});
  // Exactly the pages verified are in flash, and nothing after them.
  WithEngine([&](sim::DeviceEngine& engine) {
    EXPECT_EQ(engine.PageLog().size(), kPagesBeforeUnplug);
    EXPECT_EQ(FlashOf(engine, 0x20000, kPagesBeforeUnplug * kPageSize),
              std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + kPagesBeforeUnplug * kPageSize));
    EXPECT_EQ(FlashOf(engine, 0x20000 + kPagesBeforeUnplug * kPageSize, 20 * kPageSize),
              std::vector<std::uint8_t>(20 * kPageSize, 0xFF));
  });

  ASSERT_TRUE(testing::Replugged(*device));
  ASSERT_NE(job.station.TicksUntilLinkStatus(LinkedOnPortText("ttyUSB0", 460800)), -1)
      << ::testing::PrintToString(job.station.view.LinkStatuses());
  job.station.view.ClearMessageBoxes();
  ASSERT_TRUE(job.RunJob(kIdWriteKorean));
  EXPECT_EQ(job.BoxTexts(), std::vector<std::string>{"写入完成!!!"});
  WithEngine([&](sim::DeviceEngine& engine) { EXPECT_EQ(FlashOf(engine, 0x20000, bytes.size()), bytes); });
}

// The same package through the built-in simulator, once on its tty and once as a USB device.
std::vector<std::uint8_t> FlashAfterJob(DeviceChoice::Source source) {
  auto device = testing::Made(DeviceSetup::Create({.source = source}));
  EXPECT_NE(device, nullptr);
  if (!device) return {};
  testing::FontJobStation job(&device->Usb(), device->ConnectWorker(),
                              testing::TimingAwaitingHandshake([&] { return device->SerialSimulator(); }));
  // Ends mid-page, so the last page's unfilled bytes matter too.
  WriteLines("Bigfont.txt", PackageLines(0x30000, PatternBytes(0x30000, 30 * kPageSize + 96)));
  const std::string linked = source == DeviceChoice::Source::kSimulatorUsb
                                 ? LinkedOverUsbText()
                                 : LinkedOnPortText("ttySIM0", 460800);
  EXPECT_EQ(job.station.TicksUntilLinkStatus(linked), 1);
  EXPECT_TRUE(job.RunJob(kIdWriteLargeAscii));
  EXPECT_EQ(job.BoxTexts(), std::vector<std::string>{"写入完成!!!"});
  job.station.dlg.m_port.Stop();
  job.station.dlg.CloseUsbDevice();
  auto image = [](sim::DeviceEngine& engine) {
    const auto flash = engine.Memory().Image();
    return std::vector<std::uint8_t>(flash.begin(), flash.end());
  };
  if (source == DeviceChoice::Source::kSimulatorUsb) return device->UsbSimulator()->WithEngine(0, image);
  return device->SerialSimulator()->WithEngine(image);
}

TEST(FontJobSimulatorTest, AUsbDeviceReinsertedWhileTheFailureBoxIsOpenTakesTheNextJob) {
  auto device = testing::Made(DeviceSetup::Create({.source = DeviceChoice::Source::kSimulatorUsb}));
  ASSERT_NE(device, nullptr);
  testing::FontJobStation job(&device->Usb(), device->ConnectWorker(), testing::HandDrivenTiming());
  WriteLines("Bigfont.txt", PackageLines(0x30000, PatternBytes(0x30000, 4 * kPageSize)));
  ASSERT_EQ(job.station.TicksUntilLinkStatus(LinkedOverUsbText()), 1);
  device->UsbSimulator()->WithEngine(0, [](sim::DeviceEngine& engine) {
    engine.Faults().usbTransferFault = sim::UsbTransferFault{engine.Counters().exchanges + 5};
  });
  job.station.view.HoldMessageBoxes();
  job.Press(kIdWriteLargeAscii);
  ASSERT_TRUE(job.station.view.WaitForMessageBoxes(1));
  // While the box is open the watchdog links the device again; then it is taken out and put back in,
  // as the box asks.
  ASSERT_NE(job.station.TicksUntilLinkStatus(LinkedOverUsbText()), -1);
  device->UsbSimulator()->Unplug(0);
  job.station.Tick();
  device->UsbSimulator()->Replug(0);
  job.station.view.ReleaseMessageBoxes();
  ASSERT_TRUE(job.JobEnded());
  ASSERT_NE(job.station.TicksUntilLinkStatus(LinkedOverUsbText()), -1);
  job.station.view.ClearMessageBoxes();
  ASSERT_TRUE(job.RunJob(kIdWriteLargeAscii));
  EXPECT_EQ(job.BoxTexts(), std::vector<std::string>{"写入完成!!!"});
  job.station.dlg.CloseUsbDevice();
}

TEST(FontJobSimulatorTest, TheSameJobOnUsbLeavesTheSameFlashAsOnTheSerialLink) {
  const std::vector<std::uint8_t> serial = FlashAfterJob(DeviceChoice::Source::kSimulator);
  const std::vector<std::uint8_t> usb = FlashAfterJob(DeviceChoice::Source::kSimulatorUsb);
  ASSERT_EQ(serial.size(), sim::kFlashSize);
  EXPECT_TRUE(serial == usb);
  EXPECT_EQ(serial[0x30000 + 30 * kPageSize + 95], PatternBytes(0x30000 + 30 * kPageSize + 95, 1)[0]);
  EXPECT_EQ(serial[0x30000 + 30 * kPageSize + 96], 0xFF);
}

}  // namespace
}  // namespace quillon
