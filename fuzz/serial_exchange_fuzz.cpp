// Any byte streams from the device, between and during exchanges. An exchange must succeed exactly when
// a header and the bytes it awaits after it (9 for an acknowledgement, 39 for a read-back reply) came
// after its command was queued, and a reply's payload must be the bytes of that frame; a failed
// exchange delivers no payload. A receiver model written here independently says what must happen.
//
// The input is a script of steps, each a byte and what it needs: bytes between exchanges, bytes from a
// port outside 1..99, a header, or an exchange (an acknowledged command or a read request) with the
// bytes that arrive while it waits. The dialog thread is the real one; its timer is fired by hand.
#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/no_view.h"
#include "link/frame.h"
#include "link/usb/no_usb_bridge.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"

namespace {

using namespace quillon;
using quillon::fuzz::Require;

constexpr std::intptr_t kPort = 5;
constexpr int kMostExchanges = 12;  // an input's exchanges, so that one input stays quick

// What the receive side must have done: frames found by their header in the stream, counted from the
// header when it came after the exchange was armed.
class ReceiverModel {
 public:
  void Arm(std::uint32_t awaited) {
    m_awaited = awaited;
    m_headerSinceArm = false;
    m_count = 0;
    m_completed.reset();
  }
  void Byte(std::uint8_t byte) {
    std::shift_left(m_window.begin(), m_window.end(), 1);
    m_window.back() = byte;
    if (m_window == kFrameHeader) {
      m_headerSinceArm = true;
      m_count = kFrameHeaderSize;
      m_sinceHeader.clear();
      return;
    }
    if (!m_headerSinceArm) return;
    ++m_count;
    m_sinceHeader.push_back(byte);
    if (m_count == m_awaited && !m_completed) m_completed = m_sinceHeader;
  }
  // The bytes after the header of the frame that completed the exchange.
  const std::optional<std::vector<std::uint8_t>>& Completed() const { return m_completed; }

 private:
  std::array<std::uint8_t, kFrameHeaderSize> m_window{};
  std::uint32_t m_awaited = 0;
  bool m_headerSinceArm = false;
  std::uint32_t m_count = 0;
  std::vector<std::uint8_t> m_sinceHeader;
  std::optional<std::vector<std::uint8_t>> m_completed;
};

class Script {
 public:
  Script(const std::uint8_t* data, std::size_t size) : m_bytes(data, size) {}
  bool Done() const { return m_bytes.empty(); }
  std::uint8_t Byte() {
    if (m_bytes.empty()) return 0;
    const std::uint8_t byte = m_bytes.front();
    m_bytes = m_bytes.subspan(1);
    return byte;
  }
  std::span<const std::uint8_t> Bytes(std::size_t count) {
    const std::span<const std::uint8_t> taken = m_bytes.first(std::min(count, m_bytes.size()));
    m_bytes = m_bytes.subspan(taken.size());
    return taken;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
};

// The worker that runs the exchanges, one at a time on a thread kept for the process: a thread of its
// own for each exchange would cost more than the exchange.
class ExchangeWorker {
 public:
  explicit ExchangeWorker(CQuillonDlg& dlg) : m_dlg(dlg), m_thread([this] { Serve(); }) {}

  void Start(bool readRequest, std::uint8_t n) {
    std::scoped_lock guard(m_lock);
    m_request = Request{readRequest, n};
    m_result.reset();
    m_changed.notify_all();
  }
  // The exchange's result, once it has returned.
  int Finish() {
    std::unique_lock guard(m_lock);
    m_changed.wait(guard, [this] { return m_result.has_value(); });
    return *m_result;
  }

 private:
  struct Request {
    bool readRequest;
    std::uint8_t n;
  };

  void Serve() {
    for (;;) {
      std::unique_lock guard(m_lock);
      m_changed.wait(guard, [this] { return m_request.has_value(); });
      const Request request = *m_request;
      m_request.reset();
      guard.unlock();
      const int result = request.readRequest ? m_dlg.FetchReply(request.n) : m_dlg.ExchangeCommand(6);
      guard.lock();
      m_result = result;
      m_changed.notify_all();
    }
  }

  CQuillonDlg& m_dlg;
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::optional<Request> m_request;
  std::optional<int> m_result;
  std::thread m_thread;
};

// The dialog on its own dialog thread with its exchange worker, made once for the process and never
// taken down.
struct Station {
  Station() : dlg(view, dialogThread, usb, StationTiming{.timerPeriod = std::chrono::milliseconds(0)}) {
    dialogThread.Start(
        [this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) { dlg.OnMessage(m, w, l); });
    dialogThread.SetTimer(std::chrono::milliseconds(0), [this] { dlg.OnTimer(1); });
  }
  quillon::fuzz::NoView view;
  DialogThread dialogThread;
  NoUsbBridge usb;
  CQuillonDlg dlg;
  ExchangeWorker worker{dlg};
};

Station& TheStation() {
  static Station* station = new Station;
  return *station;
}

void Deliver(Station& station, ReceiverModel& model, std::span<const std::uint8_t> bytes) {
  for (std::uint8_t byte : bytes) model.Byte(byte);
  station.dialogThread.SendEach(WM_SERIAL_BYTE, bytes, kPort);
}

void RunExchange(Station& station, ReceiverModel& model, bool readRequest, std::uint8_t n,
                 std::span<const std::uint8_t> arriving) {
  const std::uint32_t awaited = readRequest ? kReplyBytes : kAcknowledgementBytes;
  g_linkKind.store(kPort);  // a failed exchange took the link down
  g_waitTicks.store(0);
  std::ranges::fill(g_rxPayload, 0xEE);  // no payload from an earlier exchange may pass for this one's
  model.Arm(awaited);
  station.worker.Start(readRequest, n);
  // The allowance is stored after the receiver is armed and the command queued.
  while (g_waitTicks.load() != kCommandWaitTicks) std::this_thread::yield();

  // The bytes up to the one that completes the exchange arrive while it waits; the rest after it.
  ReceiverModel probe = model;
  std::size_t during = 0;
  while (during < arriving.size() && !probe.Completed()) probe.Byte(arriving[during++]);
  Deliver(station, model, arriving.first(during));

  if (model.Completed()) {
    // The count was published before the hand-off returned: the worker is on its way out with success.
    Require(g_rxCount.load() >= awaited, "a header and the awaited bytes after the command end the wait");
    Require(station.worker.Finish() == 1, "an answered exchange succeeds");
    const std::vector<std::uint8_t>& frame = *model.Completed();
    Require(std::equal(frame.begin(), frame.end(), g_rxPayload),
            "the payload is that of the answering frame");
  } else {
    Require(g_rxCount.load() < awaited, "no wait ends before a header and the awaited bytes came");
    for (int tick = 0; tick < 3; ++tick) station.dialogThread.FireTimer();  // the allowance of 6 runs out
    Require(station.worker.Finish() == 0, "an unanswered exchange fails when its allowance runs out");
    Require(std::ranges::all_of(g_rxPayload, [](std::uint8_t b) { return b == 0; }),
            "a failed exchange delivers no payload");
  }
  Deliver(station, model, arriving.subspan(during));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Station& station = TheStation();
  ResetSharedState();
  ReceiverModel model;
  Script script(data, size);
  for (int exchanges = 0; !script.Done();) {
    const std::uint8_t step = script.Byte();
    switch (step % 5) {
      case 0:
        Deliver(station, model, script.Bytes(step / 5));
        break;
      case 1: {
        // Another port's bytes are dropped before they reach the frame.
        const std::span<const std::uint8_t> stray = script.Bytes(step / 5 % 8);
        station.dialogThread.SendEach(WM_SERIAL_BYTE, stray, step & 0x80 ? 0 : 100);
        break;
      }
      case 2:
        Deliver(station, model, kFrameHeader);
        break;
      default:
        if (++exchanges > kMostExchanges) return 0;
        const std::uint8_t n = script.Byte();
        RunExchange(station, model, step % 5 == 4, static_cast<std::uint8_t>(n % 8 + 1),
                    script.Bytes(script.Byte()));
        break;
    }
  }
  return 0;
}
