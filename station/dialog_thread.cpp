#include "station/dialog_thread.h"

#include "station/atomic_wait.h"

#include <utility>

namespace quillon {

DialogThread::~DialogThread() {
  QuitAndWait();
}

void DialogThread::QuitAndWait() {
  Quit();
  WaitForEnd();
}

void DialogThread::WaitForEnd() {
  if (m_thread.joinable() && !IsCurrent()) m_thread.join();
}

void DialogThread::Start(MessageHandler onMessage) {
  m_onMessage = std::move(onMessage);
  {
    std::scoped_lock guard(m_lock);
    m_accepting = true;
    m_quit = false;
  }
  m_thread = std::thread([this] { Loop(); });
}

void DialogThread::Quit() {
  std::deque<Message> abandoned;
  {
    std::scoped_lock guard(m_lock);
    m_accepting = false;
    m_quit = true;
    abandoned.swap(m_queue);
  }
  m_wake.notify_all();
  // Like messages to a window that is gone: senders return, nothing runs.
  for (auto& message : abandoned) Complete(message, kAbandoned);
}

void DialogThread::Post(Task task) {
  Enqueue(Message{.task = std::move(task)});
}

bool DialogThread::Send(Task task) {
  if (IsCurrent()) {
    task();
    return true;
  }
  return SendAndWait(Message{.task = std::move(task)});
}

bool DialogThread::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (IsCurrent()) {
    m_onMessage(message, wParam, lParam);
    return true;
  }
  Message numbered;
  numbered.number = message;
  numbered.wParam = wParam;
  numbered.lParam = lParam;
  return SendAndWait(std::move(numbered));
}

bool DialogThread::SendEach(std::uint32_t message, std::span<const std::uint8_t> bytes,
                            std::intptr_t lParam) {
  if (bytes.empty()) return true;
  Message numbered;
  numbered.number = message;
  numbered.lParam = lParam;
  numbered.eachByte = bytes;
  if (IsCurrent()) {
    Handle(numbered);
    return true;
  }
  return SendAndWait(std::move(numbered));
}

void DialogThread::SetTimer(std::chrono::milliseconds period, Task onTick) {
  {
    std::scoped_lock guard(m_lock);
    m_onTick = std::move(onTick);
    m_timerPeriod = period;
    m_nextTick = std::chrono::steady_clock::now() + period;
    m_timerChanged = true;
  }
  m_wake.notify_all();
}

bool DialogThread::FireTimer() {
  return Send([this] {
    Task onTick;
    {
      std::scoped_lock guard(m_lock);
      onTick = m_onTick;
    }
    if (onTick) onTick();
  });
}

void DialogThread::DispatchPending() {
  if (!IsCurrent()) return;
  for (;;) {
    Message message;
    {
      std::scoped_lock guard(m_lock);
      if (m_queue.empty() || m_quit) return;
      message = std::move(m_queue.front());
      m_queue.pop_front();
    }
    Handle(message);
  }
}

bool DialogThread::IsCurrent() const {
  return m_threadId.load() == std::this_thread::get_id();
}

bool DialogThread::IsRunning() const {
  std::scoped_lock guard(m_lock);
  return m_accepting;
}

std::size_t DialogThread::QueuedMessages() const {
  std::scoped_lock guard(m_lock);
  return m_queue.size();
}

bool DialogThread::Enqueue(Message message) {
  // The wake-up goes out under the lock: once the loop can take the message, the sender touches
  // nothing of this object any more, so whoever waits for the message's effect may destroy it.
  std::scoped_lock guard(m_lock);
  if (!m_accepting) return false;
  m_queue.push_back(std::move(message));
  if (m_sleeping) m_wake.notify_one();
  return true;
}

bool DialogThread::SendAndWait(Message message) {
  std::atomic<int> outcome{kPending};
  message.outcome = &outcome;
  if (!Enqueue(std::move(message))) return false;
  WaitWhileEquals(outcome, int{kPending}, std::memory_order_acquire);
  return outcome.load(std::memory_order_acquire) == kHandled;
}

void DialogThread::Handle(Message& message) {
  if (message.task) {
    message.task();
  } else if (m_onMessage && !message.eachByte.empty()) {
    for (const std::uint8_t byte : message.eachByte) m_onMessage(message.number, byte, message.lParam);
  } else if (m_onMessage) {
    m_onMessage(message.number, message.wParam, message.lParam);
  }
  Complete(message, kHandled);
}

void DialogThread::Complete(Message& message, Outcome outcome) {
  if (message.outcome == nullptr) return;
  // Sequentially consistent, not release: the library's notify skips the wake-up when it sees no
  // waiter, and a release store may still sit in this processor's store buffer while it looks, so a
  // sender that has just seen the old value would sleep for ever (seen as a monitor stuck in a send).
  message.outcome->store(outcome, std::memory_order_seq_cst);
  WakeAllWaiters(*message.outcome);
}

void DialogThread::Loop() {
  m_threadId.store(std::this_thread::get_id());
  std::unique_lock guard(m_lock);
  while (!m_quit) {
    if (m_queue.empty()) {
      m_sleeping = true;
      auto woken = [this] { return m_quit || !m_queue.empty() || m_timerChanged; };
      if (m_timerPeriod.count() > 0) {
        m_wake.wait_until(guard, m_nextTick, woken);
      } else {
        m_wake.wait(guard, woken);
      }
      m_sleeping = false;
      m_timerChanged = false;
    }
    if (m_quit) break;
    const auto now = std::chrono::steady_clock::now();
    if (m_timerPeriod.count() > 0 && now >= m_nextTick) {
      // A late timer ticks once, not once per period missed.
      while (m_nextTick <= now) m_nextTick += m_timerPeriod;
      Task onTick = m_onTick;
      guard.unlock();
      if (onTick) onTick();
      guard.lock();
      continue;
    }
    if (m_queue.empty()) continue;
    Message message = std::move(m_queue.front());
    m_queue.pop_front();
    guard.unlock();
    Handle(message);
    guard.lock();
  }
  m_accepting = false;
  std::deque<Message> abandoned;
  abandoned.swap(m_queue);
  guard.unlock();
  for (auto& message : abandoned) Complete(message, kAbandoned);
  m_threadId.store(std::thread::id{});
}

}  // namespace quillon
