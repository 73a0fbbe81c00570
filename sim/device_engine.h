// The font writer device's protocol, without any transport: serial bytes in, serial bytes out, and the
// same commands as 34-byte blocks for the USB link. Not thread-safe; transports serialise access.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "link/frame.h"
#include "sim/device_faults.h"
#include "sim/flash.h"
#include "sim/frame_finder.h"

namespace quillon::sim {

// The only line speed at which the device answers the handshake.
inline constexpr std::uint32_t kHandshakeBaud = 460800;

struct DeviceCounters {
  std::uint32_t exchanges = 0;  // serial command frames and USB transfers, the count noReplyTo uses
  std::uint32_t unansweredExchanges = 0;
  std::uint32_t openJobs = 0;
  std::uint32_t writeAddresses = 0;
  std::uint32_t chunks = 0;
  std::uint32_t readBackAddresses = 0;
  std::uint32_t readRequests = 0;
  std::uint32_t handshakes = 0;
  std::uint32_t handshakesAnswered = 0;
  std::uint32_t unknownCommands = 0;
  std::uint32_t pagesWritten = 0;
  std::uint32_t blocksRead = 0;  // USB blocks delivered
};

enum class BlockTransfer {
  kDone,
  kLost,             // the noReplyTo fault took this transfer
  kNothingReadable,  // a read with no answer pending
  kUnplugged,
};

class DeviceEngine {
 public:
  explicit DeviceEngine(DeviceFaults faults = {});

  // Serial link. lineBaud is the tty's speed when the byte arrived; it decides the handshake.
  // Appends to `reply` whatever the device sends back because of this byte.
  void ReceiveSerialByte(std::uint8_t byte, std::uint32_t lineBaud, std::vector<std::uint8_t>& reply);
  std::vector<std::uint8_t> ReceiveSerial(std::span<const std::uint8_t> bytes, std::uint32_t lineBaud);

  // USB link: a command is one block, and only the open-job, read-back and read commands make blocks
  // readable.
  BlockTransfer WriteBlock(std::span<const std::uint8_t, kPayloadSize> block);
  BlockTransfer ReadBlock(std::span<std::uint8_t, kPayloadSize> block);
  std::size_t ReadableBlocks() const { return m_readable.size(); }
  // Answers nobody read before the station closed the device go with its handle.
  void ForgetReadableBlocks() { m_readable.clear(); }

  // An unplugged device ignores everything. Re-plugging disarms the unplug-after-pages fault, which
  // would otherwise fire again at once.
  bool Unplugged() const { return m_unplugged; }
  void Unplug() { m_unplugged = true; }
  void Replug();

  DeviceFaults& Faults() { return m_faults; }
  const DeviceCounters& Counters() const { return m_counters; }
  // Page addresses in the order their last chunk arrived.
  const std::vector<std::uint32_t>& PageLog() const { return m_pageLog; }
  // Forgets the addresses logged so far (keeping the room they took): a device that serves job after
  // job, as in the fault campaign's long sessions, does not grow its log without end.
  void ClearPageLog() { m_pageLog.clear(); }
  const Flash& Memory() const { return m_flash; }
  Flash& Memory() { return m_flash; }

 private:
  enum class Link { kSerial, kUsb };

  // Returns false when the noReplyTo fault takes this exchange.
  bool CountExchange();
  void Execute(const Payload& command, Link link, std::uint32_t lineBaud, std::vector<Payload>& answers);
  void WriteChunk(std::size_t chunk, const Payload& command);
  Payload ReadReply(std::uint8_t n) const;
  void AppendFrame(const Payload& payload, std::vector<std::uint8_t>& out) const;

  DeviceFaults m_faults;
  DeviceCounters m_counters;
  std::vector<std::uint32_t> m_pageLog;
  Flash m_flash;
  FrameFinder m_frames;
  std::deque<Payload> m_readable;
  std::uint32_t m_writeAddress = 0;
  std::uint32_t m_readAddress = 0;
  bool m_unplugged = false;
  bool m_handshakeReplyHeld = false;  // lateHandshake: answered, not yet sent
};

}  // namespace quillon::sim
