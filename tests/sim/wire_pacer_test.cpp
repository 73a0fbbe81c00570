#include "sim/wire_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  const auto frame = kStart + 1ms;                                        // kStart lies on a frame's start
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

// Every answer's start against the pacer's own schedule, on a clock of the test's.
std::vector<WirePacer::Clock::duration> AnswerDelays(AnswerDelay delay, Delivery delivery = {}) {
  WirePacer pacer(460800, delivery, delay);
  std::vector<WirePacer::Clock::duration> delays;
  std::vector<std::uint8_t> sent;
  for (int i = 0; i < 200; ++i) {
    const WirePacer::Clock::time_point arrived = kStart + i * 10ms;
    const WirePacer::Clock::time_point start = pacer.QueueAnswer(std::vector<std::uint8_t>{1, 2}, arrived);
    delays.push_back(start - arrived);
    // The first byte has crossed one byte's time after the answer began, and not a moment sooner.
    pacer.TakeDue(start + pacer.ByteTime() - 1ns, sent);
    EXPECT_TRUE(sent.empty()) << "answer " << i;
    EXPECT_GE(*pacer.NextDue(), start + pacer.ByteTime());
    pacer.TakeDue(arrived + 9ms, sent);
    EXPECT_EQ(sent.size(), 2u);
    sent.clear();
  }
  return delays;
}

TEST(SimWirePacer, AnAnswerStartsItsDelayPlusAtMostItsJitterAfterTheCommand) {
  const AnswerDelay delay{.delay = 1000us, .jitter = 500us, .seed = 7};
  const std::vector<WirePacer::Clock::duration> delays = AnswerDelays(delay);
  const auto [shortest, longest] = std::ranges::minmax(delays);
  EXPECT_GE(shortest, 1000us);
  EXPECT_LE(longest, 1500us);
  EXPECT_GT(longest - shortest, 400us) << "the jitter spreads over its range";

  EXPECT_EQ(AnswerDelays(delay), delays) << "the same seed draws the same delays";
  EXPECT_NE(AnswerDelays({.delay = 1000us, .jitter = 500us, .seed = 8}), delays);
  EXPECT_EQ(AnswerDelays({.delay = 200us}), std::vector<WirePacer::Clock::duration>(200, 200us));
  // In USB packets the answer waits for its delay, then for the frame after its bytes have crossed.
  for (const WirePacer::Clock::duration packetDelay :
       AnswerDelays(delay, Delivery{.packetBytes = Delivery::kCh340PacketBytes})) {
    EXPECT_GE(packetDelay, 1000us);
  }
}

TEST(SimWirePacer, OnlySleepingItSleepsUntilTheByteIsDueAndNotAfterTheLast) {
  WirePacer pacer(10'000, {}, {}, Wakefulness::kOnlySleeps);  // 1 ms a byte
  pacer.Queue(std::vector<std::uint8_t>{1}, kStart);
  EXPECT_EQ(pacer.AllowedSleep(kStart), 1ms);
  std::vector<std::uint8_t> sent;
  pacer.TakeDue(kStart + 1ms, sent);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_FALSE(pacer.AllowedSleep(kStart + 1ms));
}

TEST(SimWirePacer, AFifoHandsOverUpToItsSizeAndTheLastOfAnAnswerOnceItHasCrossed) {
  WirePacer pacer(10'000, Delivery{.fifoBytes = 4}, {}, Wakefulness::kOnlySleeps);  // 1 ms a byte
  pacer.Queue(std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}, kStart);
  pacer.Queue(std::vector<std::uint8_t>{7}, kStart + 10ms);  // an answer after a pause
  std::vector<std::uint8_t> sent;
  EXPECT_EQ(pacer.AllowedSleep(kStart), 4ms);  // one wake-up for the first four
  pacer.TakeDue(kStart + 3ms, sent);
  EXPECT_TRUE(sent.empty());
  pacer.TakeDue(kStart + 4ms, sent);
  EXPECT_EQ(sent, (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(pacer.NextDue(), kStart + 6ms);  // the answer's last two, not held for more
  pacer.TakeDue(kStart + 6ms, sent);
  EXPECT_EQ(sent.size(), 6u);
  EXPECT_EQ(pacer.NextDue(), kStart + 11ms);
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
