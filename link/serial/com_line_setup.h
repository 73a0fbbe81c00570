// What the station sets on a COM port, worked out from what the port held before: the line settings
// (DCB) and the time-outs. A driver keeps the previous program's settings while the adapter stays
// plugged in, so every flag that could change a byte, hold one back or abort a read is set, not kept.
#pragma once

#include <optional>
#include <string>

#include "link/os/windows_api.h"

namespace quillon {

// The character that raises EV_RXFLAG, should a port ever watch for it.
inline constexpr char kEventCharacter = 'q';

// The found DCB with the settings text ("baud=460800 parity=N data=8 stop=1") applied, then binary
// mode on; parity checking, CTS/DSR output flow, DSR sensitivity, XON/XOFF both ways, the error
// character, null stripping and abort-on-error off; DTR and RTS on. Nothing when the text is refused.
std::optional<DCB> StationDcb(const DCB& found, const std::string& settingsText);

// A write may take its bytes' time on the line at the DCB's speed, rounded up to whole milliseconds a
// byte, and a margin for the driver and the scheduler. A read waits for the bytes it asks for, without
// a time-out of its own: the monitor asks for what can end its owner's wait and cancels a read that a
// write or stop overtakes.
COMMTIMEOUTS StationTimeouts(const DCB& line);

inline constexpr DWORD kWriteMarginMs = 100;

}  // namespace quillon
