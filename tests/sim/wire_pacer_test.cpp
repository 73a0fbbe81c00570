#include "sim/wire_pacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillon::sim {
namespace {

using namespace std::chrono_literals;

const WirePacer::Clock::time_point kStart{1s};

TEST(SimWirePacer, AnswersOnlyAfterTheCommandHasCrossedTheWireThenByteByByte) {
  WirePacer pacer(10'000);  // 1 ms a byte
  EXPECT_EQ(WirePacer(460800).ByteTime(), 21'701ns);

  WirePacer::Clock::time_point arrived{};
  for (int i = 0; i < 39; ++i) arrived = pacer.Arrive(kStart);
  EXPECT_EQ(arrived, kStart + 39ms);
  pacer.Queue(std::vector<std::uint8_t>{1, 2, 3}, arrived);
  pacer.Queue(std::vector<std::uint8_t>{4}, kStart);  // queues behind, however early it may go

  std::vector<std::uint8_t> sent;
  pacer.TakeDue(kStart + 39ms, sent);
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(pacer.NextDue(), kStart + 40ms);
  pacer.TakeDue(kStart + 41ms, sent);
  EXPECT_EQ(sent, (std::vector<std::uint8_t>{1, 2}));
  pacer.TakeDue(kStart + 43ms, sent);
  EXPECT_EQ(sent, (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_FALSE(pacer.NextDue());
}

TEST(SimWirePacer, WithoutABaudEverythingIsDueAtOnce) {
  WirePacer pacer(0);
  EXPECT_EQ(pacer.Arrive(kStart), kStart);
  pacer.Queue(std::vector<std::uint8_t>{7, 8}, kStart);
  std::vector<std::uint8_t> sent;
  pacer.TakeDue(kStart, sent);
  EXPECT_EQ(sent.size(), 2u);
}

TEST(SimWirePacer, SleepsUntilJustBeforeAByteIsDueAndListensBrieflyAfterTheLast) {
  WirePacer pacer(10'000);                   // 1 ms a byte
  EXPECT_FALSE(pacer.AllowedSleep(kStart));  // nothing sent yet: sleep until something happens

  pacer.Queue(std::vector<std::uint8_t>{1, 2}, kStart);
  EXPECT_EQ(pacer.AllowedSleep(kStart), 1ms - WirePacer::kWakeEarly);
  EXPECT_EQ(pacer.AllowedSleep(kStart + 990us), 0ms);  // inside the early wake: no sleep at all
  std::vector<std::uint8_t> sent;
  pacer.TakeDue(kStart + 990us, sent);
  EXPECT_TRUE(sent.empty());  // waking early never sends early

  pacer.TakeDue(kStart + 2ms, sent);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(pacer.AllowedSleep(kStart + 2ms + WirePacer::kListenAfterSending / 2), 0ms);
  EXPECT_FALSE(pacer.AllowedSleep(kStart + 2ms + WirePacer::kListenAfterSending));
}

TEST(SimWirePacer, AsUsbPacketsWhatHasCrossedGoesAtEachFrameUpToAPacket) {
  WirePacer pacer(460800, Delivery{.packetBytes = 32, .usbFrame = 1ms});  // 46 bytes cross in a frame
  const auto frame = kStart + 1ms;  // kStart lies on a frame's start
  pacer.Queue(std::vector<std::uint8_t>(50, 0xAB), kStart);
  std::vector<std::uint8_t> sent;
  pacer.TakeDue(frame - 1us, sent);
  EXPECT_TRUE(sent.empty()) << "nothing before the frame";
  EXPECT_EQ(pacer.NextDue(), frame);
  pacer.TakeDue(frame, sent);
  EXPECT_EQ(sent.size(), 32u) << "46 have crossed, one packet goes";
  EXPECT_EQ(pacer.NextDue(), frame + 1ms);
  pacer.TakeDue(frame + 1ms + 500us, sent);
  EXPECT_EQ(sent.size(), 50u) << "the rest had crossed by the next frame";
  EXPECT_FALSE(pacer.NextDue());

  // A byte that crosses after a frame has begun waits for the next one.
  pacer.Queue(std::vector<std::uint8_t>{1}, frame + 2ms);
  EXPECT_EQ(pacer.NextDue(), frame + 3ms);
}

TEST(SimWirePacer, WithoutABaudItNeverStaysAwake) {
  WirePacer pacer(0);
  pacer.Queue(std::vector<std::uint8_t>{7}, kStart);
  std::vector<std::uint8_t> sent;
  pacer.TakeDue(kStart, sent);
  EXPECT_FALSE(pacer.AllowedSleep(kStart));
}

}  // namespace
}  // namespace quillon::sim
