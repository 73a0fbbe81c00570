// One page written and verified on the USB link, against the simulator's bridge and a scripted one.
#include <gtest/gtest.h>

#include <algorithm>
#include <ranges>
#include <vector>

#include "sim/usb_device.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"
#include "tests/package/hex_package.h"
#include "tests/support/station_harness.h"

namespace quillon {
namespace {

// A station on the USB link to the bridge, the progress bar stepping by 1.
class UsbStation {
 public:
  explicit UsbStation(UsbBridge& bridge) : station(&bridge) {
    UsbHandle handle = kNoUsbDevice;
    bridge.Open(0, &handle);
    station.dlg.m_usbHandle = handle;
    g_linkKind = kUsbLinkKind;
    station.dialogThread.Send([this] { station.dlg.m_progress.step = 1; });
  }

  std::uint8_t Program(std::uint32_t address, const std::vector<std::uint8_t>& page) {
    std::ranges::copy(page, g_pageBuffer);
    g_pageAddress = address;
    return station.dlg.ProgramPage();
  }

  testing::StationHarness station;
};

class PageProgrammingTest : public ::testing::Test {
 protected:
  std::vector<std::uint8_t> Flash(std::uint32_t address) {
    std::vector<std::uint8_t> bytes(kPageSize);
    bridge.WithEngine(0, [&](sim::DeviceEngine& engine) { engine.Memory().Read(address, bytes); });
    return bytes;
  }

  sim::SimulatedUsbBridge bridge;
  UsbStation usb{bridge};
  const std::vector<std::uint8_t> page = testing::PatternBytes(0x0F0000, kPageSize);
};

TEST_F(PageProgrammingTest, AVerifiedPageIsInFlashAndStepsTheBarOnce) {
  EXPECT_EQ(usb.Program(0x0F0000, page), 0);
  EXPECT_EQ(Flash(0x0F0000), page);
  EXPECT_TRUE(std::ranges::equal(g_verifyBuffer, page));
  EXPECT_EQ(usb.station.dlg.ProgressPos(), 1);
  EXPECT_TRUE(usb.station.view.MessageBoxes().empty());
}

TEST_F(PageProgrammingTest, OnlyTheLow24BitsOfTheAddressAreSent) {
  EXPECT_EQ(usb.Program((1u << 24) + 256, page), 0);
  bridge.WithEngine(0, [](sim::DeviceEngine& engine) {
    EXPECT_EQ(engine.PageLog(), std::vector<std::uint32_t>{0x000100});
  });
  EXPECT_EQ(Flash(0x000100), page);
}

TEST_F(PageProgrammingTest, AReadBackDifferingInTheLastByteFailsThePageWithoutAStep) {
  bridge.WithEngine(0, [](sim::DeviceEngine& engine) {
    engine.Faults().corruptReadBack = sim::ReadBackCorruption{.pageOffset = 255};
  });
  EXPECT_EQ(usb.Program(0x0F0000, page), 1);
  EXPECT_EQ(g_verifyBuffer[255], static_cast<std::uint8_t>(~page[255]));
  EXPECT_EQ(usb.station.dlg.ProgressPos(), 0);
  EXPECT_TRUE(usb.station.view.MessageBoxes().empty()) << "the link itself is sound";
}

TEST(PageProgrammingScriptedTest, AFailedFifthReadEndsThePageAtOnce) {
  testing::ScriptedUsb scripted;
  scripted.readBackReplies = true;
  UsbStation usb(scripted);
  for (int i = 0; i < 10 + 4; ++i) scripted.Script({});
  scripted.Script({.status = 0x02});
  EXPECT_EQ(usb.Program(0x1000, std::vector<std::uint8_t>(kPageSize, 0)), 1);
  EXPECT_EQ(scripted.written.size(), 10u);
  EXPECT_EQ(scripted.reads, 5) << "replies 6 to 8 are not asked for";
  EXPECT_EQ(usb.station.view.MessageBoxes().size(), 1u);
  EXPECT_EQ(usb.station.dlg.ProgressPos(), 0);
}

TEST(PageProgrammingScriptedTest, TheTenCommandsCarryTheAddressAndTheChunksInOrder) {
  testing::ScriptedUsb scripted;
  scripted.readBackReplies = true;
  UsbStation usb(scripted);
  const auto page = testing::PatternBytes(0, kPageSize);
  usb.Program(0x12345600, page);  // the scripted reads deliver zeros: the comparison fails
  ASSERT_EQ(scripted.written.size(), 10u);
  const std::vector<std::uint8_t> writeAddress = {'f', 0x80, 0x34, 0x56, 0x00};
  EXPECT_TRUE(std::ranges::equal(writeAddress, scripted.written[0] | std::views::take(5)));
  for (std::size_t chunk = 0; chunk < 8; ++chunk) {
    const auto& command = scripted.written[1 + chunk];
    EXPECT_EQ(command[0], 'f');
    EXPECT_EQ(command[1], 0x90 + chunk);
    EXPECT_TRUE(std::equal(command.begin() + 2, command.end(), page.begin() + 32 * chunk)) << chunk;
  }
  // The read-back address leaves the tail of the last chunk in place.
  const auto& readBack = scripted.written[9];
  const std::vector<std::uint8_t> readAddress = {'h', 0x80, 0x34, 0x56, 0x00};
  EXPECT_TRUE(std::ranges::equal(readAddress, readBack | std::views::take(5)));
  EXPECT_TRUE(std::equal(readBack.begin() + 5, readBack.end(), page.begin() + 227));
  EXPECT_EQ(scripted.reads, 8);
}

TEST(PageProgrammingScriptedTest, AReplyThatIsNotTheOneAskedForIsALinkFaultNotADifferentPage) {
  // The device answers the third request with the fourth reply, whose bytes are the page's own: it has
  // lost its place in the page.
  testing::ScriptedUsb scripted;
  scripted.readBackReplies = true;
  UsbStation usb(scripted);
  for (int i = 0; i < 10 + 2; ++i) scripted.Script({});
  scripted.Script({.replyNumber = 4});
  EXPECT_EQ(usb.Program(0x1000, std::vector<std::uint8_t>(kPageSize, 0)), 1);
  EXPECT_EQ(scripted.reads, 3);
  EXPECT_EQ(g_linkKind, kNoLink) << "taken down as a failed exchange takes it";
  EXPECT_EQ(usb.station.view.MessageBoxes().size(), 1u);
}

}  // namespace
}  // namespace quillon
