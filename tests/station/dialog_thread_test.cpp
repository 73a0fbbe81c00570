#include "station/dialog_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "tests/support/gate.h"

namespace quillon {
namespace {

struct Recorded {
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
  std::thread::id thread;
};

class DialogThreadTest : public ::testing::Test {
 protected:
  void StartHandDriven() {
    loop.Start([this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) {
      received.push_back({m, w, l, std::this_thread::get_id()});
    });
    loop.SetTimer(std::chrono::milliseconds(0), [this] { ++ticks; });
  }

  DialogThread loop;
  std::vector<Recorded> received;  // written on the dialog thread only
  std::atomic<int> ticks{0};
};

TEST_F(DialogThreadTest, SendsRunOnTheDialogThreadInOrderAfterEarlierPosts) {
  StartHandDriven();
  std::vector<int> order;
  loop.Post([&] { order.push_back(1); });
  loop.Post([&] { order.push_back(2); });
  ASSERT_TRUE(loop.Send(0x407, 0xDD, 5));
  ASSERT_TRUE(loop.Send([&] { order.push_back(3); }));

  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].message, 0x407u);
  EXPECT_EQ(received[0].wParam, 0xDDu);
  EXPECT_EQ(received[0].lParam, 5);
  EXPECT_NE(received[0].thread, std::this_thread::get_id());
}

TEST_F(DialogThreadTest, SendFromTheDialogThreadItselfRunsAtOnce) {
  StartHandDriven();
  bool inner = false;
  ASSERT_TRUE(loop.Send([&] {
    EXPECT_TRUE(loop.IsCurrent());
    loop.Send([&] { inner = true; });
    EXPECT_TRUE(inner);  // ran inside, without a deadlock
  }));
  EXPECT_TRUE(inner);
  EXPECT_FALSE(loop.IsCurrent());
}

TEST_F(DialogThreadTest, SendToAnEndedLoopReturnsAtOnceWithoutRunning) {
  StartHandDriven();
  loop.QuitAndWait();
  bool ran = false;
  EXPECT_FALSE(loop.Send([&] { ran = true; }));
  EXPECT_FALSE(loop.Send(0x407, 1, 5));
  EXPECT_FALSE(ran);
  EXPECT_TRUE(received.empty());
  EXPECT_FALSE(loop.IsRunning());
}

TEST_F(DialogThreadTest, SendsWaitingWhenTheLoopQuitsAreReleased) {
  StartHandDriven();
  std::promise<void> handlerEntered;
  std::promise<void> letHandlerFinish;
  loop.Post([&] {
    handlerEntered.set_value();
    letHandlerFinish.get_future().wait();
  });
  handlerEntered.get_future().wait();
  // The loop is busy: this send queues behind the handler.
  auto waitingSend = std::async(std::launch::async, [&] { return loop.Send(0x407, 7, 5); });
  while (loop.QueuedMessages() == 0) std::this_thread::yield();
  loop.Quit();
  letHandlerFinish.set_value();
  EXPECT_FALSE(waitingSend.get());
  loop.QuitAndWait();
  EXPECT_TRUE(received.empty());
}

TEST_F(DialogThreadTest, ABatchIsHandledByteByByteInOrderAndItsSenderWaitsForTheLast) {
  testing::Gate lastByteReached;
  testing::Gate lastByteMayEnd;
  loop.Start([&](std::uint32_t m, std::uintptr_t w, std::intptr_t l) {
    received.push_back({m, w, l, std::this_thread::get_id()});
    if (received.size() == 4) {
      lastByteReached.Open();
      lastByteMayEnd.Wait();
    }
  });
  const std::uint8_t bytes[] = {0x81, 0x00, 0xFF, 0x18};
  auto sent = std::async(std::launch::async, [&] { return loop.SendEach(0x407, bytes, 7); });
  lastByteReached.Wait();
  EXPECT_EQ(sent.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
  lastByteMayEnd.Open();
  EXPECT_TRUE(sent.get());

  ASSERT_EQ(received.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(received[i].message, 0x407u);
    EXPECT_EQ(received[i].wParam, bytes[i]);
    EXPECT_EQ(received[i].lParam, 7);
    EXPECT_EQ(received[i].thread, received[0].thread);
  }
  EXPECT_NE(received[0].thread, std::this_thread::get_id());
}

TEST_F(DialogThreadTest, DispatchPendingLetsAWaitingSenderGoOn) {
  StartHandDriven();
  // A handler on the dialog thread waits for another thread that is itself sending to the dialog: only
  // dispatching the pending messages lets both go on.
  std::atomic<bool> senderDone{false};
  ASSERT_TRUE(loop.Send([&] {
    std::thread sender([&] {
      loop.Send(0x407, 42, 3);
      senderDone = true;
    });
    while (!senderDone) loop.DispatchPending();
    sender.join();
  }));
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].wParam, 42u);
}

TEST_F(DialogThreadTest, DispatchPendingElsewhereDoesNothing) {
  StartHandDriven();
  std::promise<void> entered;
  std::promise<void> release;
  loop.Post([&] {
    entered.set_value();
    release.get_future().wait();
  });
  entered.get_future().wait();
  bool ran = false;
  loop.Post([&] { ran = true; });
  loop.DispatchPending();  // not the dialog thread
  EXPECT_FALSE(ran);
  release.set_value();
  loop.Send([] {});
  EXPECT_TRUE(ran);
}

TEST_F(DialogThreadTest, FiredTimerRunsTheTickHandler) {
  StartHandDriven();
  EXPECT_EQ(ticks, 0);
  loop.FireTimer();
  loop.FireTimer();
  EXPECT_EQ(ticks, 2);
}

TEST_F(DialogThreadTest, PeriodicTimerTicksByItself) {
  std::promise<void> thirdTick;
  std::atomic<int> count{0};
  loop.Start([](std::uint32_t, std::uintptr_t, std::intptr_t) {});
  loop.SetTimer(std::chrono::milliseconds(1), [&] {
    if (++count == 3) thirdTick.set_value();
  });
  EXPECT_EQ(thirdTick.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
}

}  // namespace
}  // namespace quillon
