// The station's two sounds, synthesised: a rising two-note chime when a package is written, a low
// double beep when a page fails. quillon-sounds writes them as the WAV files in res/.
#pragma once

#include <cstdint>
#include <vector>

namespace quillon::sounds {

inline constexpr std::uint32_t kSampleRate = 22050;

std::vector<std::int16_t> FinishChime();
std::vector<std::int16_t> ErrorBeeps();

// A RIFF WAVE file: 16-bit PCM, mono, kSampleRate.
std::vector<std::uint8_t> WavFile(const std::vector<std::int16_t>& samples);

}  // namespace quillon::sounds
