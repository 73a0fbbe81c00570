#include "tools/station_sounds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon::sounds {
namespace {

// Peak level: loud enough over a workshop, clear of clipping.
constexpr double kLevel = 0.45 * 32767;

std::vector<double> Silence(double seconds) {
  return std::vector<double>(static_cast<std::size_t>(seconds * kSampleRate), 0.0);
}

double Sine(double frequency, double t) {
  return std::sin(2 * std::numbers::pi * frequency * t);
}

// A struck bell: a quick attack, then its partials dying away, the higher ones sooner.
void AddBellNote(std::vector<double>& mix, double startSeconds, double frequency) {
  const auto start = static_cast<std::size_t>(startSeconds * kSampleRate);
  for (std::size_t i = start; i < mix.size(); ++i) {
    const double t = static_cast<double>(i - start) / kSampleRate;
    const double attack = std::min(1.0, t / 0.004);
    mix[i] += attack * (0.75 * Sine(frequency, t) * std::exp(-t / 0.30) +
                        0.20 * Sine(2 * frequency, t) * std::exp(-t / 0.12) +
                        0.05 * Sine(3 * frequency, t) * std::exp(-t / 0.06));
  }
}

// A soft square wave: odd partials only, with short ramps so the beep does not click.
void AddBeep(std::vector<double>& mix, double startSeconds, double seconds, double frequency) {
  const auto start = static_cast<std::size_t>(startSeconds * kSampleRate);
  const auto length = static_cast<std::size_t>(seconds * kSampleRate);
  for (std::size_t i = 0; i < length && start + i < mix.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double ramp = std::min({1.0, t / 0.01, (seconds - t) / 0.01});
    mix[start + i] +=
        ramp * (0.70 * Sine(frequency, t) + 0.20 * Sine(3 * frequency, t) + 0.10 * Sine(5 * frequency, t));
  }
}

// The last moments of a ringing note fade to nothing instead of stopping with a click.
void FadeOut(std::vector<double>& mix, double seconds) {
  const auto length = std::min(mix.size(), static_cast<std::size_t>(seconds * kSampleRate));
  for (std::size_t i = 0; i < length; ++i) mix[mix.size() - 1 - i] *= static_cast<double>(i) / length;
}

// Scaled so that the loudest moment reaches kLevel, whatever the notes add up to.
std::vector<std::int16_t> ToSamples(const std::vector<double>& mix) {
  double peak = 0;
  for (double value : mix) peak = std::max(peak, std::abs(value));
  std::vector<std::int16_t> samples;
  samples.reserve(mix.size());
  for (double value : mix) samples.push_back(static_cast<std::int16_t>(std::lround(value / peak * kLevel)));
  return samples;
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<std::int16_t> FinishChime() {
  // G5 then C6: a fourth upwards, the second note struck while the first still rings.
  std::vector<double> mix = Silence(1.0);
  AddBellNote(mix, 0.00, 783.99);
  AddBellNote(mix, 0.16, 1046.50);
  FadeOut(mix, 0.15);
  return ToSamples(mix);
}

std::vector<std::int16_t> ErrorBeeps() {
  std::vector<double> mix = Silence(0.50);
  AddBeep(mix, 0.00, 0.18, 196.0);
  AddBeep(mix, 0.26, 0.18, 196.0);
  return ToSamples(mix);
}

std::vector<std::uint8_t> WavFile(const std::vector<std::int16_t>& samples) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out;
  out.reserve(44 + dataBytes);
  auto tag = [&](const char* text) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(text[i]));
  };
  tag("RIFF");
  PutLittleEndian(out, 36 + dataBytes, 4);
  tag("WAVE");
  tag("fmt ");
  PutLittleEndian(out, 16, 4);  // the size of this chunk
  PutLittleEndian(out, 1, 2);   // PCM
  PutLittleEndian(out, 1, 2);   // mono
  PutLittleEndian(out, kSampleRate, 4);
  PutLittleEndian(out, kSampleRate * 2, 4);  // bytes per second
  PutLittleEndian(out, 2, 2);                // bytes per frame
  PutLittleEndian(out, 16, 2);               // bits per sample
  tag("data");
  PutLittleEndian(out, dataBytes, 4);
  for (std::int16_t sample : samples) PutLittleEndian(out, static_cast<std::uint16_t>(sample), 2);
  return out;
}

}  // namespace quillon::sounds
