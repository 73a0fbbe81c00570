#include "sim/frame_finder.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "sim_test_support.h"

namespace quillon::sim {
namespace {

using testing::Command;
using testing::Frame;

// Pushes bytes and collects every payload completed.
std::vector<Payload> PushAll(FrameFinder& finder, const std::vector<std::uint8_t>& bytes) {
  std::vector<Payload> found;
  for (const std::uint8_t byte : bytes) {
    if (std::optional<Payload> payload = finder.Push(byte)) found.push_back(*payload);
  }
  return found;
}

Payload Numbered(std::uint8_t first) {
  Payload payload{};
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(first + i);
  return payload;
}

TEST(SimFrameFinder, CompletesAFrameOnItsLastByteOnly) {
  FrameFinder finder;
  const std::vector<std::uint8_t> frame = Frame(Numbered(1));
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) EXPECT_FALSE(finder.Push(frame[i])) << "byte " << i;
  const std::optional<Payload> payload = finder.Push(frame.back());
  ASSERT_TRUE(payload);
  EXPECT_EQ(*payload, Numbered(1));
}

TEST(SimFrameFinder, IgnoresBytesBeforeAHeaderAndBetweenFrames) {
  FrameFinder finder;
  std::vector<std::uint8_t> stream = {0x00, 0x81, 0x18, 0x11, 0xAA, 0x55};
  const std::vector<std::uint8_t> first = Frame(Numbered(10));
  const std::vector<std::uint8_t> second = Frame(Numbered(50));
  stream.insert(stream.end(), first.begin(), first.end());
  stream.insert(stream.end(), {0xDD, 0x11, 0x81});
  stream.insert(stream.end(), second.begin(), second.end());

  EXPECT_EQ(PushAll(finder, stream), (std::vector<Payload>{Numbered(10), Numbered(50)}));
}

TEST(SimFrameFinder, AHeaderInsideAPartialFrameStartsItOver) {
  FrameFinder finder;
  std::vector<std::uint8_t> stream = Frame(Numbered(1));
  stream.resize(kFrameHeaderSize + 20);  // cut short, as by a station that gave up mid-frame
  const std::vector<std::uint8_t> whole = Frame(Numbered(100));
  stream.insert(stream.end(), whole.begin(), whole.end());

  EXPECT_EQ(PushAll(finder, stream), std::vector<Payload>{Numbered(100)});
}

TEST(SimFrameFinder, HeaderBytesWithAnythingBetweenThemAreNoHeader) {
  for (std::size_t gap = 1; gap < kFrameHeaderSize; ++gap) {
    FrameFinder finder;
    std::vector<std::uint8_t> stream(kFrameHeader.begin(), kFrameHeader.end());
    stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(gap), 0x00);
    stream.resize(stream.size() + kPayloadSize, 0x42);
    EXPECT_TRUE(PushAll(finder, stream).empty()) << "gap before header byte " << gap;
  }
}

TEST(SimFrameFinder, BackToBackFramesAreAllFound) {
  FrameFinder finder;
  std::vector<std::uint8_t> stream;
  std::vector<Payload> sent;
  for (std::uint8_t n = 0; n < 5; ++n) {
    sent.push_back(Command('r', n));
    const std::vector<std::uint8_t> frame = Frame(sent.back());
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  EXPECT_EQ(PushAll(finder, stream), sent);
}

}  // namespace
}  // namespace quillon::sim
