#include "bench/bare_exchanges.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "link/frame.h"
#include "link/os/file_descriptor.h"

namespace quillon::bench {
namespace {

using Frame = std::array<std::uint8_t, kFrameSize>;

constexpr int kAnswerTimeoutMs = 1000;

FileDescriptor OpenRaw(const std::filesystem::path& tty) {
  FileDescriptor fd(::open(tty.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  termios settings{};
  if (!fd || ::tcgetattr(fd.get(), &settings) != 0) return {};
  ::cfmakeraw(&settings);
  ::cfsetspeed(&settings, B460800);
  if (::tcsetattr(fd.get(), TCSANOW, &settings) != 0) return {};
  return fd;
}

Frame MakeFrame(std::uint8_t command, std::uint8_t detail, std::uint32_t address) {
  Frame frame{};
  std::ranges::copy(kFrameHeader, frame.begin());
  frame[kFrameHeaderSize] = command;
  frame[kFrameHeaderSize + 1] = detail;
  frame[kFrameHeaderSize + 2] = static_cast<std::uint8_t>(address >> 16);
  frame[kFrameHeaderSize + 3] = static_cast<std::uint8_t>(address >> 8);
  frame[kFrameHeaderSize + 4] = static_cast<std::uint8_t>(address);
  return frame;
}

// Sends a frame and waits for `awaited` bytes of the answer counted from its header, as the station
// does: what arrived before the frame went out is dropped.
bool Exchange(int fd, const Frame& frame, std::uint32_t awaited) {
  ::tcflush(fd, TCIOFLUSH);
  if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) return false;
  std::array<std::uint8_t, kFrameHeaderSize> window{};
  std::uint32_t count = 0;  // 0 until a header has come
  std::array<std::uint8_t, 256> block{};
  for (;;) {
    pollfd readable{fd, POLLIN, 0};
    if (::poll(&readable, 1, kAnswerTimeoutMs) <= 0) return false;
    const ssize_t length = ::read(fd, block.data(), block.size());
    if (length <= 0) return false;
    for (ssize_t i = 0; i < length; ++i) {
      std::shift_left(window.begin(), window.end(), 1);
      window.back() = block[i];
      if (window == kFrameHeader) {
        count = kFrameHeaderSize;
      } else if (count != 0) {
        ++count;
      }
      if (count >= awaited) return true;
    }
  }
}

bool ProgramBarePage(int fd, std::uint32_t address) {
  if (!Exchange(fd, MakeFrame(kCommandWrite, kSubcommandAddress, address), kAcknowledgementBytes))
    return false;
  for (std::uint8_t chunk = 0; chunk < kChunksPerPage; ++chunk) {
    const std::uint8_t detail = kSubcommandFirstChunk + chunk;
    if (!Exchange(fd, MakeFrame(kCommandWrite, detail, address + chunk), kAcknowledgementBytes)) return false;
  }
  if (!Exchange(fd, MakeFrame(kCommandReadBack, kSubcommandAddress, address), kAcknowledgementBytes))
    return false;
  for (std::uint8_t n = 1; n <= kChunksPerPage; ++n) {
    if (!Exchange(fd, MakeFrame(kCommandReadRequest, n, 0), kReplyBytes)) return false;
  }
  return true;
}

}  // namespace

bool RunBareExchanges(const std::filesystem::path& tty, int pages) {
  const FileDescriptor fd = OpenRaw(tty);
  if (!fd) return false;
  for (int page = 0; page < pages; ++page) {
    if (!ProgramBarePage(fd.get(), static_cast<std::uint32_t>(page) * kPageSize)) return false;
  }
  return true;
}

}  // namespace quillon::bench
