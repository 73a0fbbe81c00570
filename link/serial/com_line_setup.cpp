#include "link/serial/com_line_setup.h"

namespace quillon {
namespace {

// A start bit, the data bits, a parity bit unless there is none, the stop bits (1.5 counts as 2).
DWORD BitsPerByte(const DCB& line) {
  const DWORD parityBits = line.Parity == NOPARITY ? 0 : 1;
  const DWORD stopBits = line.StopBits == ONESTOPBIT ? 1 : 2;
  return 1 + line.ByteSize + parityBits + stopBits;
}

}  // namespace

std::optional<DCB> StationDcb(const DCB& found, const std::string& settingsText) {
  DCB line = found;
  line.DCBlength = sizeof line;
  // The text comes first: BuildCommDCB itself turns flow control off and may set DTR and RTS its own
  // way, so the flags below have the last word.
  if (!::BuildCommDCBA(settingsText.c_str(), &line)) return std::nullopt;
  line.fBinary = TRUE;  // Windows knows no other mode
  line.fParity = FALSE;
  line.fOutxCtsFlow = FALSE;
  line.fOutxDsrFlow = FALSE;
  line.fDtrControl = DTR_CONTROL_ENABLE;
  line.fDsrSensitivity = FALSE;
  // Only matters with XOFF sent on input, which is off: transmission never waits for it.
  line.fTXContinueOnXoff = TRUE;
  line.fOutX = FALSE;
  line.fInX = FALSE;
  // The answers are full of 0x00 bytes, and a byte with a parity error is the device's all the same.
  line.fErrorChar = FALSE;
  line.fNull = FALSE;
  line.fRtsControl = RTS_CONTROL_ENABLE;
  // A framing error (the 460800-then-115200 attempts make them) must not abort the pending reads.
  line.fAbortOnError = FALSE;
  line.EvtChar = kEventCharacter;
  return line;
}

COMMTIMEOUTS StationTimeouts(const DCB& line) {
  COMMTIMEOUTS timeouts{};
  const DWORD baud = line.BaudRate > 0 ? line.BaudRate : 1;
  timeouts.WriteTotalTimeoutMultiplier = (BitsPerByte(line) * 1000 + baud - 1) / baud;
  timeouts.WriteTotalTimeoutConstant = kWriteMarginMs;
  return timeouts;
}

}  // namespace quillon
