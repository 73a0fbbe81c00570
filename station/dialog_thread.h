// The dialog thread: a small message loop that runs the main dialog's handlers one at a time, like the
// user-interface thread of a desktop program. Other threads post to it, or send and wait until the
// message has been handled; a periodic timer ticks on it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <thread>

namespace quillon {

class DialogThread {
 public:
  using Task = std::function<void()>;
  using MessageHandler =
      std::function<void(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

  DialogThread() = default;
  ~DialogThread();
  DialogThread(const DialogThread&) = delete;
  DialogThread& operator=(const DialogThread&) = delete;

  // Starts the loop; numbered messages go to onMessage.
  void Start(MessageHandler onMessage);
  // From now on onTick runs on the dialog thread every period; never by itself when the period is zero
  // (FireTimer still runs it).
  void SetTimer(std::chrono::milliseconds period, Task onTick);
  // Ends the loop after the message being handled. Sends still waiting return unhandled.
  void Quit();
  // Quit, then wait until the loop has ended (when called from another thread).
  void QuitAndWait();
  // Waits until the loop has ended by itself (when called from another thread).
  void WaitForEnd();

  void Post(Task task);
  // Runs the task on the dialog thread and returns when it has run; runs it at once when called on the
  // dialog thread. False, at once, when the loop has ended: the task did not run.
  bool Send(Task task);
  // The same for a numbered message, without allocating.
  bool Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  // The numbered message once for each byte, in order, each byte its wParam, in one hand-off: returns
  // when the last has been handled. The serial link sends the bytes of one read this way.
  bool SendEach(std::uint32_t message, std::span<const std::uint8_t> bytes, std::intptr_t lParam);
  // Runs the timer handler once, as a tick would; for a hand-driven timer.
  bool FireTimer();

  // On the dialog thread: handles every message waiting now. Elsewhere: nothing.
  void DispatchPending();
  bool IsCurrent() const;
  bool IsRunning() const;
  std::size_t QueuedMessages() const;

 private:
  struct Message {
    std::uint32_t number = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::span<const std::uint8_t> eachByte;  // not empty: the message once per byte, the byte its wParam
    Task task;
    std::atomic<int>* outcome = nullptr;  // set for a send: the sender waits on it
  };
  enum Outcome : int { kPending, kHandled, kAbandoned };

  void Loop();
  bool Enqueue(Message message);
  bool SendAndWait(Message message);
  void Handle(Message& message);
  static void Complete(Message& message, Outcome outcome);

  MessageHandler m_onMessage;

  mutable std::mutex m_lock;
  std::condition_variable m_wake;
  std::deque<Message> m_queue;
  Task m_onTick;  // the timer, guarded by m_lock
  std::chrono::milliseconds m_timerPeriod{0};
  std::chrono::steady_clock::time_point m_nextTick;
  bool m_timerChanged = false;  // wakes the loop to take the new period
  bool m_sleeping = false;      // the loop waits on m_wake: an enqueue must wake it
  bool m_accepting = false;
  bool m_quit = false;
  std::thread m_thread;
  std::atomic<std::thread::id> m_threadId{};
};

}  // namespace quillon
