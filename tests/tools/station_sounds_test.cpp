// The sound files kept in res/ are what quillon-sounds makes, and in the format every player reads.
#include "tools/station_sounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace quillon::sounds {
namespace {

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t LittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

void ExpectKeptFileIs(const char* name, const std::vector<std::int16_t>& samples) {
  const auto kept = ReadFile(std::filesystem::path(QUILLON_SOURCE_DIR) / "res" / name);
  ASSERT_EQ(kept.size(), 44 + 2 * samples.size()) << name;
  EXPECT_EQ(std::string(kept.begin(), kept.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(kept.begin() + 8, kept.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(LittleEndian(kept, 20, 2), 1u) << "PCM";
  EXPECT_EQ(LittleEndian(kept, 22, 2), 1u) << "mono";
  EXPECT_EQ(LittleEndian(kept, 24, 4), kSampleRate);
  EXPECT_EQ(LittleEndian(kept, 34, 2), 16u) << "bits per sample";
  EXPECT_EQ(LittleEndian(kept, 40, 4), 2 * samples.size());
  // Another mathematics library may round a sample the other way.
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto keptSample = static_cast<std::int16_t>(LittleEndian(kept, 44 + 2 * i, 2));
    ASSERT_LE(std::abs(keptSample - samples[i]), 1) << name << " sample " << i;
  }
}

TEST(StationSoundsTest, TheKeptFilesAreTheSynthesisedSounds) {
  ExpectKeptFileIs("FinishVoice.wav", FinishChime());
  ExpectKeptFileIs("ErrorVoice.wav", ErrorBeeps());
}

TEST(StationSoundsTest, TheSoundsAreShortAndNeverClip) {
  for (const auto& samples : {FinishChime(), ErrorBeeps()}) {
    EXPECT_LE(samples.size(), kSampleRate);
    const auto [low, high] = std::ranges::minmax(samples);
    EXPECT_GT(high, 8000) << "audible";
    EXPECT_GT(low, -32768);
    EXPECT_LT(high, 32767);
    EXPECT_EQ(samples.back(), 0) << "no click at the end";
  }
}

}  // namespace
}  // namespace quillon::sounds
