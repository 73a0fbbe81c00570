// Any serial byte stream into the simulated device's frame finder. It must find exactly the frames that
// a plain scan finds: a payload is the 34 bytes after a header, and a header inside them starts over.
#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "sim/frame_finder.h"

namespace {

using quillon::kFrameHeader;
using quillon::kFrameHeaderSize;
using quillon::kPayloadSize;
using quillon::fuzz::Require;
using quillon::sim::Payload;

bool HeaderEndsAt(std::span<const std::uint8_t> stream, std::size_t last) {
  return last + 1 >= kFrameHeaderSize &&
         std::equal(kFrameHeader.begin(), kFrameHeader.end(), stream.begin() + (last + 1 - kFrameHeaderSize));
}

// The payloads in the stream, and after which byte each is complete.
std::vector<std::pair<std::size_t, Payload>> ScanFrames(std::span<const std::uint8_t> stream) {
  std::vector<std::pair<std::size_t, Payload>> frames;
  std::size_t i = 0;
  while (i < stream.size()) {
    if (!HeaderEndsAt(stream, i)) {
      ++i;
      continue;
    }
    // A payload follows unless another header ends within its 34 bytes.
    std::size_t end = i + 1;
    while (end < stream.size() && end - i <= kPayloadSize && !HeaderEndsAt(stream, end)) ++end;
    if (end - i == kPayloadSize + 1) {
      Payload payload;
      std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(i + 1), kPayloadSize, payload.begin());
      frames.emplace_back(end - 1, payload);
      i = end;
    } else {
      i = end;  // at the next header's last byte, or the end of the stream
    }
  }
  return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> stream(data, size);
  const auto expected = ScanFrames(stream);
  quillon::sim::FrameFinder finder;
  std::size_t found = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const auto payload = finder.Push(stream[i]);
    if (!payload) continue;
    Require(found < expected.size(), "the finder finds no frame that the stream does not hold");
    Require(expected[found].first == i, "a frame is found at its last byte");
    Require(*payload == expected[found].second, "a frame's payload is the 34 bytes after its header");
    ++found;
  }
  Require(found == expected.size(), "the finder finds every frame the stream holds");
  return 0;
}
