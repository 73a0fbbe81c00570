// The boxes a failed exchange shows the operator: the link is taken down and the device must be
// plugged in again.
#pragma once

namespace quillon {

inline constexpr char kUsbFailureText[] = "USB device error,Please reinsert the USB decive !!!";
inline constexpr char kSerialFailureText[] = "Hardware device error,Please reinsert the ID writer decive !!!";

}  // namespace quillon
