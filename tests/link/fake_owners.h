// Owners for the serial port under test: one that records what it is sent (and can keep the monitor
// waiting inside a send), and one with a thread of its own, as the station's dialog thread has.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/serial/serial_messages.h"

namespace quillon::testing {

// A failure guard only: conditions that hold come true in far less.
inline constexpr std::chrono::seconds kPatience{10};

struct SerialMessage {
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
  bool operator==(const SerialMessage&) const = default;
};

class RecordingOwner : public SerialOwner {
 public:
  void SendSerialMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    std::unique_lock lock(m_lock);
    m_messages.push_back({message, wParam, lParam});
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_holding; });
  }

  void DispatchPendingMessages() override {
    std::scoped_lock lock(m_lock);
    ++m_dispatchCalls;
    m_changed.notify_all();
  }

  // While held, a send records its message and then waits, as the monitor does for a busy owner.
  void HoldDeliveries() {
    std::scoped_lock lock(m_lock);
    m_holding = true;
  }
  void ReleaseDeliveries() {
    std::scoped_lock lock(m_lock);
    m_holding = false;
    m_changed.notify_all();
  }

  bool WaitForMessages(std::size_t count) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, kPatience, [&] { return m_messages.size() >= count; });
  }
  bool WaitForDispatchCall() {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, kPatience, [&] { return m_dispatchCalls > 0; });
  }

  std::vector<SerialMessage> Messages() {
    std::scoped_lock lock(m_lock);
    return m_messages;
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<SerialMessage> m_messages;
  bool m_holding = false;
  int m_dispatchCalls = 0;
};

// Sends from other threads queue up and wait until this thread handles them: when it is idle, or when
// it calls DispatchPendingMessages while it runs a task.
class OwnerThread : public SerialOwner {
 public:
  OwnerThread() : m_thread([this] { Run(); }) {}
  ~OwnerThread() override {
    {
      std::scoped_lock lock(m_lock);
      m_ending = true;
      m_changed.notify_all();
    }
    m_thread.join();
  }

  void SendSerialMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    std::unique_lock lock(m_lock);
    if (std::this_thread::get_id() == m_thread.get_id()) {
      m_handled.push_back({message, wParam, lParam});
      return;
    }
    const std::uint64_t ticket = m_nextTicket++;
    m_pending.push_back({message, wParam, lParam});
    m_changed.notify_all();
    // A send to an owner that has ended returns at once.
    m_changed.wait(lock, [&] { return m_handledTickets > ticket || m_ending; });
  }

  void DispatchPendingMessages() override {
    if (std::this_thread::get_id() != m_thread.get_id()) return;
    std::scoped_lock lock(m_lock);
    HandlePending();
  }

  // Runs task on the owner's thread; it may not handle messages while the task runs.
  void Post(std::function<void()> task) {
    std::scoped_lock lock(m_lock);
    m_tasks.push_back(std::move(task));
    m_changed.notify_all();
  }

  // For a task: waits until a send from another thread is queued.
  bool WaitForPendingSend() {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, kPatience, [&] { return !m_pending.empty(); });
  }

  std::vector<SerialMessage> Handled() {
    std::scoped_lock lock(m_lock);
    return m_handled;
  }

 private:
  void Run() {
    std::unique_lock lock(m_lock);
    for (;;) {
      m_changed.wait(lock, [&] { return m_ending || !m_tasks.empty() || !m_pending.empty(); });
      if (m_ending) return;
      HandlePending();
      if (m_tasks.empty()) continue;
      auto task = std::move(m_tasks.front());
      m_tasks.pop_front();
      lock.unlock();
      task();
      lock.lock();
    }
  }

  void HandlePending() {
    while (!m_pending.empty()) {
      m_handled.push_back(m_pending.front());
      m_pending.pop_front();
      ++m_handledTickets;
    }
    m_changed.notify_all();
  }

  std::mutex m_lock;
  std::condition_variable m_changed;
  std::deque<SerialMessage> m_pending;
  std::vector<SerialMessage> m_handled;
  std::deque<std::function<void()>> m_tasks;
  std::uint64_t m_nextTicket = 0;
  std::uint64_t m_handledTickets = 0;
  bool m_ending = false;
  std::thread m_thread;
};

}  // namespace quillon::testing
