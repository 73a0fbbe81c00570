#include "link/serial/answer_gathering.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using Clock = AnswerGathering::Clock;

const Clock::time_point kStart{1s};
constexpr auto kLateness = AnswerGathering::kTimerLateness;

TEST(AnswerGatheringTest, TheTtyIsLeftAloneWhileTheAwaitedBytesCrossTheLine) {
  AnswerGathering gathering(10us);
  EXPECT_LT(gathering.Until(), kStart) << "nothing awaited: watched";
  gathering.Sent(kStart, 39, 9);
  EXPECT_EQ(gathering.Until(), kStart + 480us - kLateness) << "the frame out, then the answer back";
  gathering.Read(kStart + 500us, 30);  // the tail of the last answer came first
  EXPECT_EQ(gathering.Until(), kStart + 640us - kLateness) << "the line's time but for a FIFO's worth";
  gathering.Read(kStart + 600us, 16);
  EXPECT_LT(gathering.Until(), kStart + 600us) << "the last bytes may all be waiting in a FIFO: watched";
  gathering.Read(kStart + 700us, 0);
  EXPECT_LT(gathering.Until(), kStart + 700us);

  gathering.Sent(kStart + 1ms, 39, 39);
  EXPECT_EQ(gathering.Until(), kStart + 1ms + 780us - kLateness) << "an answer in pieces keeps the pace";
}

TEST(AnswerGatheringTest, ADeviceQuickerThanTheLineIsNotHeldToItsPace) {
  AnswerGathering gathering(10us);
  Clock::time_point now = kStart;
  for (int answer = 0; answer < 10; ++answer) {
    gathering.Sent(now, 40, 40);
    now = std::max(now, gathering.Until());
    gathering.Read(now, 0);  // whole at the first look
  }
  gathering.Sent(now, 40, 40);
  EXPECT_EQ(gathering.Until(), now + 800'000ns / 256 - kLateness) << "halved down to the least";

  gathering.Read(now + 10us, 20);
  gathering.Read(now + 400us, 0);  // in pieces: the device keeps the line's pace after all
  gathering.Sent(now + 1ms, 40, 40);
  EXPECT_EQ(gathering.Until(), now + 1ms + 800us - kLateness);
}

}  // namespace
}  // namespace quillon
