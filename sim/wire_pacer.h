// Emulates a serial wire's speed on a pty, which moves bytes instantly: each byte takes 10 bit times
// (start, 8 data, stop) in each direction, and the device cannot answer a frame before the frame has
// finished arriving. The bytes that have crossed the wire reach the station one by one, as on a plain
// serial port, as a UART's receive FIFO hands them to its driver (up to 16 together, the last of an
// answer as soon as it has crossed), or as a CH340 hands them to its USB host: in packets of at most
// 32 bytes, one packet a USB frame. Times are passed in, so the pacing is plain arithmetic on a clock.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <span>
#include <utility>
#include <vector>

namespace quillon::sim {

// How the bytes that have crossed the wire reach the station.
struct Delivery {
  // 0: each byte as soon as it has crossed; else at most this many a USB frame.
  std::size_t packetBytes = 0;
  std::chrono::microseconds usbFrame{1000};
  // Without packets: 0, each byte on its own; else up to this many that follow each other on the wire
  // together, once the last of them has crossed.
  std::size_t fifoBytes = 0;

  static constexpr std::size_t kCh340PacketBytes = 32;
  static constexpr std::size_t kUartFifoBytes = 16;
};

// How long the device takes before it starts sending an answer, counted from the last byte of the
// command: a page program in flash takes time, and a real device takes a little more at one time than
// at another. The jitter is drawn from a generator seeded here, so a run can be repeated exactly.
struct AnswerDelay {
  std::chrono::microseconds delay{0};
  std::chrono::microseconds jitter{0};  // up to this much more, uniformly
  std::uint64_t seed = 1;
};

// Whether whoever serves the wire may stay awake near the moments it has to meet. Awake, it keeps the
// wire's pace to a few microseconds at the price of a processor while it talks; sleeping, it only
// sleeps and wakes, and its bytes go out as late as the system's timers wake it (tens of microseconds
// on a loaded or virtual machine), never earlier. Many devices in one process need sleeping.
enum class Wakefulness { kStaysAwakeNearDue, kOnlySleeps };

class WirePacer {
 public:
  using Clock = std::chrono::steady_clock;

  // baud 0: no pacing, every byte is due at once.
  explicit WirePacer(std::uint32_t baud, Delivery delivery = {}, AnswerDelay answerDelay = {},
                     Wakefulness wakefulness = Wakefulness::kStaysAwakeNearDue);

  Clock::duration ByteTime() const { return m_byteTime; }

  // A received byte was seen at `now`; returns when its last bit would have arrived. Bytes that come
  // together queue up behind each other, as on the wire.
  Clock::time_point Arrive(Clock::time_point now);
  // Queues bytes to send; the first starts no earlier than `notBefore`.
  void Queue(std::span<const std::uint8_t> bytes, Clock::time_point notBefore);
  // Queues an answer to a command whose last byte arrived at `commandArrived`: it starts after the
  // answer delay, drawn anew for each answer, and behind whatever is still queued. Returns the moment
  // it may start.
  Clock::time_point QueueAnswer(std::span<const std::uint8_t> bytes, Clock::time_point commandArrived);
  // Moves to `out` every queued byte whose wire time has passed at `now`; with packets, a packet for
  // each USB frame that has begun since the last call.
  void TakeDue(Clock::time_point now, std::vector<std::uint8_t>& out);
  // When the next queued byte is due to be handed over, if any is queued.
  std::optional<Clock::time_point> NextDue() const;
  // How long whoever serves the wire may sleep at `now`: nullopt, until something else happens; zero,
  // not at all. A thread wakes some tens of microseconds late on a loaded or virtual machine, which
  // would make the emulated wire slower than a real one: while pacing and allowed to stay awake, it
  // stops sleeping shortly before a byte is due, and for a moment after the last byte went, when the
  // station's next frame comes any microsecond. Only sleeping, it sleeps until the next byte is due.
  std::optional<Clock::duration> AllowedSleep(Clock::time_point now) const;
  bool Idle() const { return m_queue.empty(); }

  static constexpr std::chrono::microseconds kWakeEarly{30};
  static constexpr std::chrono::microseconds kListenAfterSending{300};

 private:
  // The start of the first USB frame that begins after `time`.
  Clock::time_point FrameAfter(Clock::time_point time) const;
  // How many of the queued bytes, one at least, are handed over together next: up to the FIFO's size,
  // as long as each follows the one before on the wire without a pause. The queue is not empty.
  std::size_t FifoRun() const;

  Clock::duration m_byteTime;
  Delivery m_delivery;
  AnswerDelay m_answerDelay;
  Wakefulness m_wakefulness;
  std::mt19937_64 m_random;
  Clock::time_point m_lastFrame;  // the last USB frame served
  Clock::time_point m_receiveFree;
  Clock::time_point m_sendFree;
  std::deque<std::pair<std::uint8_t, Clock::time_point>> m_queue;  // byte, moment it has been sent
  Clock::time_point m_lastTaken;
};

}  // namespace quillon::sim
