// The exchange end to end: the dialog and its dialog thread, the real serial driver on a pseudo-terminal,
// and the simulated device behind it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <future>
#include <random>
#include <vector>

#include "link/serial/port_table.h"
#include "sim/pty_device.h"
#include "station/exchange_texts.h"
#include "station/shared_state.h"
#include "tests/support/simulated_device.h"
#include "tests/support/station_harness.h"

namespace quillon {
namespace {

using testing::Eventually;
using testing::StationHarness;
using testing::WaitForAllowance;

constexpr int kPort = 5;

class LinkPtyTest : public ::testing::Test {
 protected:
  void PlugIn(sim::PtyDeviceOptions options = {}) {
    device = testing::SimulatedDevice(options);
    ASSERT_NE(device, nullptr);
    BindPortPath(kPort, device->SlavePath());
  }
  void Open(int baud = 460800) {
    ASSERT_TRUE(station.dlg.m_port.Configure(&station.dlg, kPort, baud, 'N', 8, 1, EV_RXCHAR, 1024));
    ASSERT_TRUE(station.dlg.m_port.StartMonitor());
    g_linkKind = kPort;
    station.dlg.EnableJobButtons(true);
  }
  void TearDown() override {
    station.dlg.m_port.Stop();
    UnbindPortPath(kPort);
  }

  void SendHandshake() {
    std::uint8_t frame[kFrameSize] = {};
    std::ranges::copy(kFrameHeader, frame);
    frame[kFrameHeaderSize] = kCommandHandshake;
    station.dlg.m_port.QueueWrite(frame, kFrameSize);
  }

  // 0 when every command and read succeeded; readBack then holds the page as the device returned it.
  int WriteAndReadBack(std::uint32_t address, const std::vector<std::uint8_t>& page,
                       std::vector<std::uint8_t>& readBack) {
    std::ranges::copy(page, g_pageBuffer);
    g_pageAddress = address;
    const int result = station.dlg.ProgramPage();
    readBack.assign(g_verifyBuffer, g_verifyBuffer + kPageSize);
    return result;
  }

  static std::vector<std::uint8_t> RandomPage(std::mt19937& random) {
    std::vector<std::uint8_t> page(kPageSize);
    for (auto& byte : page) byte = static_cast<std::uint8_t>(random());
    return page;
  }

  void ExpectSerialLinkTakenDown() {
    ASSERT_EQ(station.view.MessageBoxes().size(), 1u);
    EXPECT_EQ(station.view.MessageBoxes()[0].text, kSerialFailureText);
    EXPECT_EQ(station.dlg.m_port.portState, CSerialPort::kStateClosed);
    EXPECT_EQ(g_linkKind, kNoLink);
    for (int id : kJobButtonIds) EXPECT_FALSE(station.dlg.IsControlEnabled(id)) << id;
  }

  StationHarness station;
  std::unique_ptr<sim::PtyDevice> device;
};

TEST_F(LinkPtyTest, TheHandshakeIsAnsweredAt460800) {
  PlugIn();
  Open(460800);
  SendHandshake();
  EXPECT_TRUE(Eventually([] { return g_handshakeReply.load() == kHandshakeSeen; }));
}

TEST_F(LinkPtyTest, PagesWrittenAtFullSpeedAreReadBackEqual) {
  // The device answers at once, so the tail of every acknowledgement is still arriving when the next
  // command goes out.
  PlugIn();
  Open();
  std::mt19937 random(7);
  constexpr int kPages = 120;
  for (int i = 0; i < kPages; ++i) {
    const std::uint32_t address = 0x10000 + static_cast<std::uint32_t>(i) * kPageSize;
    auto page = RandomPage(random);
    std::vector<std::uint8_t> readBack;
    ASSERT_EQ(WriteAndReadBack(address, page, readBack), 0) << "page " << i;
    EXPECT_EQ(readBack, page) << "page " << i;
    device->WithEngine([&](sim::DeviceEngine& engine) {
      std::vector<std::uint8_t> flash(kPageSize);
      engine.Memory().Read(address, flash);
      EXPECT_EQ(flash, page) << "page " << i;
    });
  }
  device->WithEngine([&](sim::DeviceEngine& engine) { EXPECT_EQ(engine.Counters().pagesWritten, kPages); });
  EXPECT_TRUE(station.view.MessageBoxes().empty());
}

TEST_F(LinkPtyTest, GarbageBetweenFramesAndAnEmulatedLineSpeedAreTolerated) {
  PlugIn({.faults = {.garbageBeforeReplies = 7}, .emulatedBaud = 460800});
  Open();
  std::mt19937 random(11);
  for (int i = 0; i < 3; ++i) {
    auto page = RandomPage(random);
    std::vector<std::uint8_t> readBack;
    ASSERT_EQ(WriteAndReadBack(0x200 * static_cast<std::uint32_t>(i), page, readBack), 0);
    EXPECT_EQ(readBack, page);
  }
}

TEST_F(LinkPtyTest, At115200TheHandshakeGoesUnansweredButCommandsWork) {
  PlugIn();
  Open(115200);
  SendHandshake();
  // A write purges what the device has not read yet: let the handshake arrive first.
  ASSERT_TRUE(Eventually([&] {
    return device->WithEngine([](sim::DeviceEngine& engine) { return engine.Counters().handshakes == 1; });
  }));
  std::mt19937 random(3);
  auto page = RandomPage(random);
  std::vector<std::uint8_t> readBack;
  ASSERT_EQ(WriteAndReadBack(0x400, page, readBack), 0);
  EXPECT_EQ(readBack, page);
  // The device answers in order, so a handshake reply would have come before the page's.
  device->WithEngine([](sim::DeviceEngine& engine) { EXPECT_EQ(engine.Counters().handshakesAnswered, 0u); });
  EXPECT_EQ(g_handshakeReply, 0);
}

TEST_F(LinkPtyTest, AnUnansweredCommandTakesTheLinkDownWhenTheAllowanceRunsOut) {
  PlugIn({.faults = {.noReplyTo = 3}});
  Open();
  g_txPayload[0] = kCommandOpenJob;
  ASSERT_EQ(station.dlg.ExchangeCommand(kOpenJobWaitTicks), 1);
  ASSERT_EQ(station.dlg.ExchangeCommand(kCommandWaitTicks), 1);
  g_waitTicks = 0;  // so that the allowance seen next is the third command's
  auto lost = std::async(std::launch::async, [&] { return station.dlg.ExchangeCommand(kCommandWaitTicks); });
  ASSERT_TRUE(WaitForAllowance(kCommandWaitTicks));
  station.Tick(3);
  EXPECT_EQ(lost.get(), 0);
  ExpectSerialLinkTakenDown();
}

TEST_F(LinkPtyTest, ADeviceThatVanishesMidWaitLeavesTheLinkDown) {
  PlugIn({.faults = {.noReplyTo = 1}});
  Open();
  auto reply = std::async(std::launch::async, [&] { return station.dlg.FetchReply(1); });
  ASSERT_TRUE(WaitForAllowance(kCommandWaitTicks));
  device->Unplug();
  EXPECT_TRUE(Eventually([&] { return station.dlg.m_port.portState.load() == CSerialPort::kStateFailed; }));
  station.Tick(3);
  EXPECT_EQ(reply.get(), 0);
  ExpectSerialLinkTakenDown();
}

TEST_F(LinkPtyTest, StopOnTheDialogThreadWhileTheMonitorDeliversCompletes) {
  int master = -1;
  int slave = -1;
  char slaveName[128] = {};
  ASSERT_EQ(openpty(&master, &slave, slaveName, nullptr, nullptr), 0);
  BindPortPath(kPort, slaveName);
  Open();
  // The monitor purges as it starts: wait for a byte to get through before the burst.
  const std::uint8_t probe = 0x01;
  ASSERT_TRUE(Eventually([&] {
    if (write(master, &probe, 1) != 1) return false;
    return g_rxIndex.load() != 0;
  }));
  std::vector<std::uint8_t> burst(2048, 0x55);
  ASSERT_EQ(write(master, burst.data(), burst.size()), static_cast<ssize_t>(burst.size()));
  ASSERT_TRUE(Eventually([] { return g_rxIndex.load() > 2; }));  // the monitor is delivering

  station.dialogThread.Send([&] { station.dlg.m_port.Stop(); });
  EXPECT_EQ(station.dlg.m_port.portState, CSerialPort::kStateClosed);
  close(slave);
  close(master);
}

}  // namespace
}  // namespace quillon
