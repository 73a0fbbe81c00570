// Any bytes as "Speed.txt". The station reads its first line as the C library reads a long (blanks, a
// sign, decimal digits; none gives 0; beyond a long's range the nearest long) and keeps the low 8 bits;
// a line too long for the station is read only as far as it holds, which a number never needs.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "fuzz/no_view.h"
#include "link/os/temporary_directory.h"
#include "link/usb/no_usb_bridge.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"

namespace {

using quillon::fuzz::Require;

// The station's line buffer holds this many characters of the first line.
constexpr std::size_t kLineRead = 255;

std::uint8_t ExpectedSpeed(std::string_view file) {
  std::string_view line = file.substr(0, file.find('\n')).substr(0, kLineRead);
  line = line.substr(0, line.find('\0'));  // the number is read as C text
  std::size_t at = 0;
  while (at < line.size() && (line[at] == ' ' || (line[at] >= '\t' && line[at] <= '\r'))) ++at;
  bool negative = false;
  if (at < line.size() && (line[at] == '+' || line[at] == '-')) negative = line[at++] == '-';
  // Exact while the digits fit a long, then pinned to its range.
  constexpr unsigned long long kBeyondLong = static_cast<unsigned long long>(LONG_MAX) + 1;
  unsigned long long magnitude = 0;
  for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
    const unsigned digit = static_cast<unsigned>(line[at] - '0');
    magnitude = magnitude > (kBeyondLong - digit) / 10 ? kBeyondLong : magnitude * 10 + digit;
  }
  long value;
  if (negative) {
    value = magnitude > static_cast<unsigned long long>(LONG_MAX) ? LONG_MIN : -static_cast<long>(magnitude);
  } else {
    value = magnitude > static_cast<unsigned long long>(LONG_MAX) ? LONG_MAX : static_cast<long>(magnitude);
  }
  return static_cast<std::uint8_t>(static_cast<unsigned long>(value) & 0xFF);
}

// One dialog, never started, in a directory of its own: LoadSpeed reads "Speed.txt" where it runs.
quillon::CQuillonDlg& Dialog() {
  static quillon::fuzz::NoView view;
  static quillon::DialogThread dialogThread;
  static quillon::NoUsbBridge usb;
  static quillon::CQuillonDlg dlg(view, dialogThread, usb);
  return dlg;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Removed when the run ends, with every "Speed.txt" it held.
  static const quillon::TemporaryDirectory directory("quillon-speed-fuzz");
  Require(directory.Made(), "a directory of its own to work in");
  std::filesystem::current_path(directory.Path());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  std::ofstream("Speed.txt", std::ios::binary | std::ios::trunc)
      .write(file.data(), static_cast<std::streamsize>(size));
  quillon::g_writeSpeed.store(quillon::kDefaultWriteSpeed);
  Dialog().LoadSpeed();
  Require(quillon::g_writeSpeed.load() == ExpectedSpeed(file),
          "the speed is the first line's number, modulo 256");
  return 0;
}
