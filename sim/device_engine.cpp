#include "sim/device_engine.h"

#include <algorithm>

namespace quillon::sim {
namespace {

constexpr std::uint8_t kReadRepliesPerPage = kChunksPerPage;

// Garbage may hold the header's first bytes but never all of it, so the frame after it still stands out.
constexpr std::array<std::uint8_t, 5> kGarbagePattern = {0x00, 0x55, 0xFF, 0x81, 0x18};

std::uint32_t AddressOf(const Payload& command) {
  return (std::uint32_t{command[2]} << 16) | (std::uint32_t{command[3]} << 8) | command[4];
}

// The station looks only at an acknowledgement's arrival; echoing the command makes logs readable.
Payload Acknowledgement(const Payload& command) {
  Payload answer{};
  answer[0] = command[0];
  answer[1] = command[1];
  return answer;
}

Payload HandshakeReply() {
  Payload answer{};
  std::copy(kHandshakeReply.begin(), kHandshakeReply.end(), answer.begin());
  return answer;
}

}  // namespace

DeviceEngine::DeviceEngine(DeviceFaults faults) : m_faults(faults) {}

void DeviceEngine::ReceiveSerialByte(std::uint8_t byte, std::uint32_t lineBaud,
                                     std::vector<std::uint8_t>& reply) {
  if (m_unplugged) return;
  const std::optional<Payload> command = m_frames.Push(byte);
  if (!command || !CountExchange()) return;
  std::vector<Payload> answers;
  if (m_handshakeReplyHeld) {
    m_handshakeReplyHeld = false;
    if (lineBaud == kHandshakeBaud) answers.push_back(HandshakeReply());
  }
  Execute(*command, Link::kSerial, lineBaud, answers);
  for (const Payload& answer : answers) AppendFrame(answer, reply);
}

std::vector<std::uint8_t> DeviceEngine::ReceiveSerial(std::span<const std::uint8_t> bytes,
                                                      std::uint32_t lineBaud) {
  std::vector<std::uint8_t> reply;
  for (const std::uint8_t byte : bytes) ReceiveSerialByte(byte, lineBaud, reply);
  return reply;
}

BlockTransfer DeviceEngine::WriteBlock(std::span<const std::uint8_t, kPayloadSize> block) {
  if (m_unplugged) return BlockTransfer::kUnplugged;
  if (!CountExchange()) return BlockTransfer::kLost;
  Payload command{};
  std::copy(block.begin(), block.end(), command.begin());
  std::vector<Payload> answers;
  Execute(command, Link::kUsb, 0, answers);
  // The transfer that pulls the plug fails, as the serial command that does goes unanswered.
  if (m_unplugged) return BlockTransfer::kUnplugged;
  m_readable.insert(m_readable.end(), answers.begin(), answers.end());
  return BlockTransfer::kDone;
}

BlockTransfer DeviceEngine::ReadBlock(std::span<std::uint8_t, kPayloadSize> block) {
  if (m_unplugged) return BlockTransfer::kUnplugged;
  if (!CountExchange()) return BlockTransfer::kLost;
  if (m_readable.empty()) return BlockTransfer::kNothingReadable;
  std::copy(m_readable.front().begin(), m_readable.front().end(), block.begin());
  m_readable.pop_front();
  ++m_counters.blocksRead;
  return BlockTransfer::kDone;
}

void DeviceEngine::Replug() {
  m_unplugged = false;
  m_faults.unplugAfterPages.reset();
  // A device that comes back starts from a clean line; only its flash remembers.
  m_frames = FrameFinder{};
  m_readable.clear();
  m_handshakeReplyHeld = false;
}

bool DeviceEngine::CountExchange() {
  ++m_counters.exchanges;
  if (m_counters.exchanges != m_faults.noReplyTo) return true;
  ++m_counters.unansweredExchanges;
  return false;
}

void DeviceEngine::Execute(const Payload& command, Link link, std::uint32_t lineBaud,
                           std::vector<Payload>& answers) {
  const std::uint8_t kind = command[0];
  const std::uint8_t detail = command[1];
  const bool serial = link == Link::kSerial;

  if (kind == kCommandOpenJob && detail == 0) {
    ++m_counters.openJobs;
    // On USB this is the one block the station reads after opening a job.
    answers.push_back(Acknowledgement(command));
  } else if (kind == kCommandWrite && detail == kSubcommandAddress) {
    // The cable goes as the page after the chosen one begins: every page written so far could be read
    // back and verified, and what the station saw verified is exactly what the flash holds.
    if (m_faults.unplugAfterPages && m_counters.pagesWritten >= *m_faults.unplugAfterPages) {
      m_unplugged = true;
      return;
    }
    ++m_counters.writeAddresses;
    m_writeAddress = AddressOf(command);
    if (serial) answers.push_back(Acknowledgement(command));
  } else if (kind == kCommandWrite && detail >= kSubcommandFirstChunk &&
             detail < kSubcommandFirstChunk + kChunksPerPage) {
    WriteChunk(detail - kSubcommandFirstChunk, command);
    if (serial) answers.push_back(Acknowledgement(command));
  } else if (kind == kCommandReadBack && detail == kSubcommandAddress) {
    ++m_counters.readBackAddresses;
    m_readAddress = AddressOf(command);
    if (serial) {
      answers.push_back(Acknowledgement(command));
    } else {
      // USB has no read requests: the whole page becomes readable at once.
      for (std::uint8_t n = 1; n <= kReadRepliesPerPage; ++n) answers.push_back(ReadReply(n));
    }
  } else if (kind == kCommandReadRequest && detail >= 1 && detail <= kReadRepliesPerPage) {
    ++m_counters.readRequests;
    answers.push_back(ReadReply(detail));
  } else if (kind == kCommandHandshake && detail == 0) {
    ++m_counters.handshakes;
    if (serial && lineBaud == kHandshakeBaud && !m_faults.handshakeless) {
      ++m_counters.handshakesAnswered;
      if (m_faults.lateHandshake) {
        m_handshakeReplyHeld = true;
      } else {
        answers.push_back(HandshakeReply());
      }
    }
  } else {
    ++m_counters.unknownCommands;
  }
}

void DeviceEngine::WriteChunk(std::size_t chunk, const Payload& command) {
  ++m_counters.chunks;
  m_flash.Program(m_writeAddress + static_cast<std::uint32_t>(chunk * kChunkSize),
                  std::span(command).subspan(2, kChunkSize));
  if (chunk + 1 < kChunksPerPage) return;
  ++m_counters.pagesWritten;
  m_pageLog.push_back(m_writeAddress);
}

Payload DeviceEngine::ReadReply(std::uint8_t n) const {
  Payload reply{};
  reply[0] = kCommandReadRequest;
  reply[1] = n;
  const std::uint32_t chunkOffset = static_cast<std::uint32_t>((n - 1) * kChunkSize);
  m_flash.Read(m_readAddress + chunkOffset, std::span(reply).subspan(2, kChunkSize));

  const std::optional<ReadBackCorruption>& corruption = m_faults.corruptReadBack;
  if (corruption && (!corruption->pageAddress || *corruption->pageAddress == m_readAddress) &&
      corruption->pageOffset >= chunkOffset && corruption->pageOffset < chunkOffset + kChunkSize) {
    reply[2 + corruption->pageOffset - chunkOffset] ^= 0xFF;
  }
  return reply;
}

void DeviceEngine::AppendFrame(const Payload& payload, std::vector<std::uint8_t>& out) const {
  for (std::uint32_t i = 0; i < m_faults.garbageBeforeReplies; ++i) {
    out.push_back(kGarbagePattern[i % kGarbagePattern.size()]);
  }
  out.insert(out.end(), kFrameHeader.begin(), kFrameHeader.end());
  out.insert(out.end(), payload.begin(), payload.end());
}

}  // namespace quillon::sim
