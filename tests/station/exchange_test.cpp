// The exchange with the device, driven without a port: received bytes are handed to the dialog as the
// serial driver would hand them, and the timer is ticked by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <vector>

#include "station/exchange_texts.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"
#include "tests/support/station_harness.h"

namespace quillon {
namespace {

using testing::StationHarness;
using testing::WaitForAllowance;

std::vector<std::uint8_t> Payload(std::uint8_t first, std::size_t length = kPayloadSize) {
  std::vector<std::uint8_t> payload(length);
  for (std::size_t i = 0; i < length; ++i) payload[i] = static_cast<std::uint8_t>(first + i);
  return payload;
}

class FramingTest : public ::testing::Test {
 protected:
  StationHarness station;
};

TEST_F(FramingTest, AHeaderRestartsTheFrameWhereverTheIndexStood) {
  station.Receive({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  EXPECT_EQ(g_rxIndex, 12u);
  station.Receive({0x81, 0x18, 0x11, 0xAA, 0xDD});
  EXPECT_EQ(g_rxIndex, 5u);
  EXPECT_EQ(g_rxCount, 5u);
  EXPECT_TRUE(std::equal(kFrameHeader.begin(), kFrameHeader.end(), g_rxFrame));
  // The window is cleared: the header's last byte cannot start another match.
  EXPECT_TRUE(std::all_of(g_syncWindow, g_syncWindow + 5, [](std::uint8_t b) { return b == 0; }));
}

TEST_F(FramingTest, HeaderBytesWithAnotherByteBetweenAreNoHeader) {
  for (int gap = 1; gap < 5; ++gap) {
    ResetSharedState();
    std::vector<std::uint8_t> broken(kFrameHeader.begin(), kFrameHeader.end());
    broken.insert(broken.begin() + gap, 0x00);
    for (std::uint8_t byte : broken) station.dialogThread.Send(WM_SERIAL_BYTE, byte, 5);
    EXPECT_EQ(g_rxIndex, 6u) << "gap before header byte " << gap;
    EXPECT_EQ(g_rxHeaderSinceSend, 0) << "gap before header byte " << gap;
  }
}

TEST_F(FramingTest, AWholeFrameWrapsTheIndexAndAHandshakeReplyIsSeen) {
  auto payload = Payload(0);
  std::copy(kHandshakeReply.begin(), kHandshakeReply.end(), payload.begin());
  station.ReceiveFrame(payload.data(), kPayloadSize - 1);
  EXPECT_EQ(g_handshakeReply, 0);  // not before the frame's last byte
  station.Receive({payload.back()});
  EXPECT_EQ(g_rxIndex, 0u);
  EXPECT_EQ(g_rxCount, 39u);
  EXPECT_EQ(g_handshakeReply, 'Y');
}

TEST_F(FramingTest, AFrameOfAnotherPayloadIsNoHandshake) {
  auto payload = Payload(0);
  payload[0] = 'W';
  payload[1] = 'T';
  payload[2] = 'R';
  payload[3] = 'X';
  station.ReceiveFrame(payload.data(), kPayloadSize);
  EXPECT_EQ(g_handshakeReply, 0);
}

TEST_F(FramingTest, BytesFromAPortOutsideOneToNinetyNineAreDropped) {
  for (std::intptr_t port : {0, -1, 100, 250}) {
    int result = 0;
    station.dialogThread.Send([&] { result = station.dlg.OnSerialByte(0x81, port); });
    EXPECT_EQ(result, -1) << port;
  }
  EXPECT_EQ(g_rxIndex, 0u);
  EXPECT_EQ(g_syncWindow[4], 0);
  int result = -1;
  station.dialogThread.Send([&] { result = station.dlg.OnSerialByte(0x181, 99); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(g_syncWindow[4], 0x81);  // the low 8 bits of the message
}

// A serial link is up on COM5, with no port behind it: what is queued goes nowhere, and the tests
// play the device.
class SerialExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_linkKind = 5;
    station.dlg.EnableJobButtons(true);
  }

  std::future<int> Exchange(std::uint8_t ticks) {
    return std::async(std::launch::async, [this, ticks] { return station.dlg.ExchangeCommand(ticks); });
  }
  std::future<int> Fetch(std::uint8_t n) {
    return std::async(std::launch::async, [this, n] { return station.dlg.FetchReply(n); });
  }
  void ExpectSerialFailureShown() {
    ASSERT_EQ(station.view.MessageBoxes().size(), 1u);
    auto box = station.view.MessageBoxes()[0];
    EXPECT_EQ(box.text, kSerialFailureText);
    EXPECT_EQ(box.title, g_windowTitle);
    EXPECT_EQ(box.icon, MessageIcon::kError);
    EXPECT_EQ(g_linkKind, kNoLink);
    EXPECT_EQ(station.dlg.m_port.portState, CSerialPort::kStateClosed);
    for (int id : kJobButtonIds) EXPECT_FALSE(station.dlg.IsControlEnabled(id)) << id;
  }

  StationHarness station;
};

TEST_F(SerialExchangeTest, AnAcknowledgementEndsTheWaitAfterAHeaderAndFourBytes) {
  std::ranges::copy(Payload(0x40), g_txPayload);
  auto result = Exchange(6);
  ASSERT_TRUE(WaitForAllowance(6));
  station.Receive({0x81, 0x18, 0x11, 0xAA, 0xDD, 'c', 0, 'O'});
  EXPECT_EQ(g_rxCount, 8u);
  station.Receive({'K'});
  ASSERT_EQ(result.get(), 1);
  EXPECT_EQ(g_txFrame[0], 0x81);
  EXPECT_TRUE(std::equal(g_txPayload, g_txPayload + kPayloadSize, g_txFrame + 5));
  EXPECT_EQ(g_rxPayload[0], 'c');
  EXPECT_EQ(g_rxPayload[3], 'K');
  EXPECT_TRUE(station.view.MessageBoxes().empty());
}

TEST_F(SerialExchangeTest, AReplyNeedsAWholeFrameAndCarriesItsPayload) {
  auto result = Fetch(3);
  ASSERT_TRUE(WaitForAllowance(6));
  auto payload = Payload(0x10);
  station.ReceiveFrame(payload.data(), kPayloadSize - 1);
  EXPECT_EQ(g_rxCount, 38u);
  station.Receive({payload.back()});
  ASSERT_EQ(result.get(), 1);
  EXPECT_EQ(g_txFrame[5], 'r');
  EXPECT_EQ(g_txFrame[6], 3);
  EXPECT_TRUE(std::equal(payload.begin(), payload.end(), g_rxPayload));
}

// The serial driver keeps back fewer received bytes than this count: it must never be more than the bytes
// that can still complete the wait, header bytes already in included, or the answer would be kept back
// for ever.
TEST_F(SerialExchangeTest, TheBytesStillAwaitedCountTheHeaderBytesAlreadyIn) {
  auto result = Fetch(1);
  ASSERT_TRUE(WaitForAllowance(6));
  EXPECT_EQ(station.dlg.BytesAwaited(), 39u);
  station.Receive({0x00, 0x55, 0xFF, 0x81, 0x18});  // garbage ending in the header's first two bytes
  EXPECT_EQ(station.dlg.BytesAwaited(), 37u);
  station.Receive({0x11, 0xAA, 0xDD});
  EXPECT_EQ(station.dlg.BytesAwaited(), 34u);
  const auto payload = Payload(0x10);
  for (const std::uint8_t byte : payload) station.Receive({byte});
  ASSERT_EQ(result.get(), 1);
  EXPECT_EQ(station.dlg.BytesAwaited(), 0u);
}

TEST_F(SerialExchangeTest, TheTailOfAnAcknowledgementDoesNotEndTheNextWait) {
  // The device acknowledges with a whole frame; the station goes on after nine of its bytes, so the
  // other thirty can arrive after the next command was queued.
  std::promise<void> firstDone;
  auto worker = std::async(std::launch::async, [&] {
    std::vector<int> results;
    results.push_back(station.dlg.ExchangeCommand(6));
    g_waitTicks = 0;
    firstDone.set_value();
    results.push_back(station.dlg.ExchangeCommand(6));
    return results;
  });
  ASSERT_TRUE(WaitForAllowance(6));
  auto firstAck = Payload(0xA0);
  station.ReceiveFrame(firstAck.data(), 4);  // the first command's wait ends here
  firstDone.get_future().wait();
  ASSERT_TRUE(WaitForAllowance(6));  // the second command is queued

  for (std::size_t i = 4; i < kPayloadSize; ++i) station.Receive({firstAck[i]});
  EXPECT_LT(g_rxCount, kAcknowledgementBytes) << "the old tail was counted for the new command";

  auto secondAck = Payload(0xB0);
  station.ReceiveFrame(secondAck.data(), 4);
  auto results = worker.get();
  EXPECT_EQ(results, (std::vector<int>{1, 1}));
  EXPECT_EQ(g_rxPayload[0], 0xB0);  // the second command's own acknowledgement
}

TEST_F(SerialExchangeTest, NineBytesWithoutAHeaderAreNoAcknowledgement) {
  auto result = Exchange(6);
  ASSERT_TRUE(WaitForAllowance(6));
  station.Receive({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  EXPECT_EQ(g_rxCount, 0u);
  station.Tick(3);
  EXPECT_EQ(result.get(), 0);
  ExpectSerialFailureShown();
}

TEST_F(SerialExchangeTest, AnAllowanceOfSixRunsOutAtTheThirdTick) {
  auto result = Exchange(6);
  ASSERT_TRUE(WaitForAllowance(6));
  station.Tick(2);
  EXPECT_EQ(g_waitTicks, 2);
  EXPECT_TRUE(station.view.MessageBoxes().empty());
  station.Tick();
  EXPECT_EQ(result.get(), 0);
  ExpectSerialFailureShown();
}

TEST_F(SerialExchangeTest, TheOpenJobAllowanceRunsOutAtTheEighthTick) {
  auto result = Exchange(kOpenJobWaitTicks);
  ASSERT_TRUE(WaitForAllowance(16));
  station.Tick(7);
  EXPECT_EQ(g_waitTicks, 2);
  station.Tick();
  EXPECT_EQ(result.get(), 0);
  ExpectSerialFailureShown();
}

TEST_F(SerialExchangeTest, AnAllowanceOfZeroFailsAtOnceAfterQueueing) {
  EXPECT_EQ(station.dlg.ExchangeCommand(0), 0);
  EXPECT_EQ(g_txFrame[0], 0x81);  // the frame was built and queued
  ExpectSerialFailureShown();
}

TEST_F(SerialExchangeTest, AFailedReplyWaitTakesTheLinkDown) {
  auto result = Fetch(8);
  ASSERT_TRUE(WaitForAllowance(6));
  station.ReceiveFrame(Payload(0).data(), 20);
  station.Tick(3);
  EXPECT_EQ(result.get(), 0);
  ExpectSerialFailureShown();
}

TEST_F(SerialExchangeTest, WithoutALinkNothingIsSentAndTheFailureIsShown) {
  g_linkKind = kNoLink;
  std::ranges::fill(g_txFrame, 0);
  EXPECT_EQ(station.dlg.ExchangeCommand(6), 0);
  EXPECT_EQ(station.dlg.FetchReply(1), 0);
  EXPECT_EQ(g_txFrame[0], 0);
  EXPECT_EQ(station.view.MessageBoxes().size(), 2u);
  EXPECT_EQ(station.view.MessageBoxes()[1].text, kSerialFailureText);
}

class UsbExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_linkKind = kUsbLinkKind;
    station.dlg.m_usbHandle = 7;
    station.dlg.EnableJobButtons(true);
  }
  void ExpectUsbFailureShown() {
    ASSERT_EQ(station.view.MessageBoxes().size(), 1u);
    EXPECT_EQ(station.view.MessageBoxes()[0].text, kUsbFailureText);
    EXPECT_EQ(station.view.MessageBoxes()[0].icon, MessageIcon::kError);
    EXPECT_EQ(station.usb.closed, (std::vector<UsbHandle>{7}));
    EXPECT_EQ(station.dlg.m_usbHandle, kNoUsbDevice);
    EXPECT_EQ(g_linkKind, kNoLink);
    for (int id : kJobButtonIds) EXPECT_FALSE(station.dlg.IsControlEnabled(id)) << id;
  }
  StationHarness station;
};

TEST_F(UsbExchangeTest, ACommandIsOneBlockOfThePayloadAlone) {
  std::ranges::copy(Payload(1), g_txPayload);
  EXPECT_EQ(station.dlg.ExchangeCommand(6), 1);
  ASSERT_EQ(station.usb.written.size(), 1u);
  EXPECT_EQ(station.usb.written[0], Payload(1));
  EXPECT_EQ(station.usb.reads, 0);
  EXPECT_EQ(g_usbTransferred, 34u);
}

TEST_F(UsbExchangeTest, AWriteOfThirtyThreeBytesFails) {
  station.usb.Script({.status = kUsbSuccess, .transferred = 33});
  EXPECT_EQ(station.dlg.ExchangeCommand(6), 0);
  ExpectUsbFailureShown();
}

TEST_F(UsbExchangeTest, AWriteWithANonzeroStatusFails) {
  station.usb.Script({.status = 4, .transferred = 34});
  EXPECT_EQ(station.dlg.ExchangeCommand(6), 0);
  ExpectUsbFailureShown();
  EXPECT_EQ(station.dlg.m_usbStatus, 4);
}

TEST_F(UsbExchangeTest, ReadsIgnoreTheReplyNumberAndSendNothing) {
  station.usb.Script({.fill = 0x11});
  station.usb.Script({.fill = 0x22});
  EXPECT_EQ(station.dlg.FetchReply(1), 1);
  EXPECT_EQ(g_rxPayload[33], 0x11);
  EXPECT_EQ(station.dlg.FetchReply(8), 1);
  EXPECT_EQ(g_rxPayload[0], 0x22);
  EXPECT_TRUE(station.usb.written.empty());
  EXPECT_EQ(station.usb.reads, 2);
}

TEST_F(UsbExchangeTest, AShortReadFails) {
  station.usb.Script({.status = kUsbSuccess, .transferred = 0});
  EXPECT_EQ(station.dlg.FetchReply(2), 0);
  ExpectUsbFailureShown();
}

class PacingTest : public ::testing::Test {
 protected:
  StationHarness station;
};

TEST_F(PacingTest, UsbPaceRunsTheSpinDelayOnTheUsbLinkOnly) {
  g_writeSpeed = 3;
  constexpr std::uint32_t kUntouched = 0xC0FFEE;
  auto paceTouchesCounter = [&](std::uint32_t link, std::uint8_t units) {
    g_linkKind = link;
    g_spinCounter = kUntouched;
    UsbPace(units);
    return g_spinCounter != kUntouched;
  };
  EXPECT_TRUE(paceTouchesCounter(kUsbLinkKind, 100));
  EXPECT_TRUE(paceTouchesCounter(kUsbLinkKind, 255));
  EXPECT_FALSE(paceTouchesCounter(5, 200));
  EXPECT_FALSE(paceTouchesCounter(kNoLink, 200));
}

}  // namespace
}  // namespace quillon
