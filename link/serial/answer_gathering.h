// How long the serial monitor may leave the tty alone while its owner awaits an answer. The awaited bytes
// cannot all be in before they have crossed the line, so waking for each one before then would be
// wasted: one wake-up for the lot is enough. A device that answers faster than the line (a simulator on
// a pty) must not be held to the line's pace, though: the wait halves while answers turn out to be
// complete at the first look, and returns to the line's pace as soon as one comes in pieces. Bytes that
// have crossed the line may still be held back a while (a UART's receive FIFO hands over up to 16
// together, a USB adapter a packet a frame): when a look finds the answer short, the wait for the rest
// leaves out the last kHeldBackBytes, and the monitor watches the tty for them, so that a burst is
// read the moment it comes. Times are passed in, so this is plain arithmetic on a clock.
#pragma once

#include <chrono>
#include <cstddef>

namespace quillon {

class AnswerGathering {
 public:
  using Clock = std::chrono::steady_clock;

  // byteTime: one byte on the line; zero leaves the tty watched all the time.
  explicit AnswerGathering(std::chrono::nanoseconds byteTime = {}) : m_byteTime(byteTime) {}

  // A frame of `sentBytes` went out at `now`; the owner awaits `awaitedBytes` of its answer.
  void Sent(Clock::time_point now, std::size_t sentBytes, std::size_t awaitedBytes);
  // The tty was read at `now`; the owner still awaits `awaitedBytes` beyond what it has been given.
  void Read(Clock::time_point now, std::size_t awaitedBytes);
  // Until when the tty is left alone; a time gone by means it is watched.
  Clock::time_point Until() const { return m_until; }

  // A timer wakes a thread some tens of microseconds late on a busy or virtual machine: the wait ends
  // that much early, and the last bytes wake the monitor as they come.
  static constexpr std::chrono::microseconds kTimerLateness{60};
  static constexpr int kMostHalvings = 8;
  static constexpr std::size_t kHeldBackBytes = 16;

 private:
  void WaitFor(Clock::time_point now, std::size_t bytes);

  std::chrono::nanoseconds m_byteTime;
  Clock::time_point m_until{};
  int m_halvings = 0;        // the wait is the line's time for the bytes, halved this often
  int m_readsForAnswer = 0;  // since the last frame went out
};

}  // namespace quillon
