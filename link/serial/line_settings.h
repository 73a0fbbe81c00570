// Line settings written as text, "baud=460800 parity=N data=8 stop=1", the way the station names them,
// and their effect on a tty's termios.
#pragma once

#include <termios.h>

#include <optional>
#include <string_view>

namespace quillon {

enum class Parity { kNone, kEven, kOdd, kMark, kSpace };
enum class StopBits { kOne, kOnePointFive, kTwo };

// A key missing from the text leaves that setting of the tty as it was.
struct LineSettings {
  std::optional<int> baudRate;
  std::optional<Parity> parity;
  std::optional<int> dataBits;
  std::optional<StopBits> stopBits;
};

// Keys "baud", "parity" (N, E, O, M, S), "data" (5..8) and "stop" (1, 1.5, 2), written key=value and
// separated by blanks; keys and letters in either case. Nothing for an unknown key, a repeated key or a
// malformed value.
std::optional<LineSettings> ParseLineSettings(std::string_view text);

// Puts the tty in raw mode (no echo, no line editing, no translation, no software flow control), makes it
// ignore the modem lines and receive (CLOCAL, CREAD), then applies the settings given. False, leaving
// `tty` unchanged, when the speed has no termios rate or the combination cannot be made (1.5 stop bits
// exist only with 5 data bits).
bool ApplyLineSettings(const LineSettings& settings, termios& tty);

}  // namespace quillon
