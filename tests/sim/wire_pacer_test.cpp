#include "sim/wire_pacer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace quillon::sim {
namespace {

using namespace std::chrono_literals;
using Clock = WirePacer::Clock;

const Clock::time_point kStart{1s};

TEST(SimWirePacer, ByteTimeIsTenBitTimes) {
  EXPECT_EQ(WirePacer(9600).ByteTime(), std::chrono::nanoseconds(1'041'667));
  EXPECT_EQ(WirePacer(460800).ByteTime(), std::chrono::nanoseconds(21'701));
  EXPECT_EQ(WirePacer(0).ByteTime(), Clock::duration::zero());
}

TEST(SimWirePacer, AFrameArrivesOnlyAfterAllItsBytesHaveCrossedTheWire) {
  WirePacer pacer(10'000);  // 1 ms per byte
  Clock::time_point last{};
  for (int i = 0; i < 39; ++i) last = pacer.Arrive(kStart);
  EXPECT_EQ(last, kStart + 39ms);
  // A byte seen after the wire fell idle starts fresh.
  EXPECT_EQ(pacer.Arrive(kStart + 100ms), kStart + 101ms);
}

TEST(SimWirePacer, SendsByteByByteNoEarlierThanAllowed) {
  WirePacer pacer(10'000);
  const std::vector<std::uint8_t> reply = {1, 2, 3};
  pacer.Queue(reply, kStart + 5ms);
  EXPECT_EQ(pacer.NextDue(), kStart + 6ms);

  std::vector<std::uint8_t> out;
  pacer.TakeDue(kStart + 5ms, out);
  EXPECT_TRUE(out.empty());
  pacer.TakeDue(kStart + 7ms, out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(pacer.NextDue(), kStart + 8ms);
  pacer.TakeDue(kStart + 8ms, out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_TRUE(pacer.Idle());
  EXPECT_FALSE(pacer.NextDue());
}

TEST(SimWirePacer, RepliesQueueBehindEachOther) {
  WirePacer pacer(10'000);
  pacer.Queue(std::vector<std::uint8_t>{1, 2}, kStart);
  pacer.Queue(std::vector<std::uint8_t>{3}, kStart);
  std::vector<std::uint8_t> out;
  pacer.TakeDue(kStart + 2ms, out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(pacer.NextDue(), kStart + 3ms);
}

TEST(SimWirePacer, WithoutABaudEverythingIsDueAtOnce) {
  WirePacer pacer(0);
  EXPECT_EQ(pacer.Arrive(kStart), kStart);
  pacer.Queue(std::vector<std::uint8_t>{7, 8, 9}, kStart);
  std::vector<std::uint8_t> out;
  pacer.TakeDue(kStart, out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{7, 8, 9}));
}

}  // namespace
}  // namespace quillon::sim
