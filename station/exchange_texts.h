// The boxes a failed exchange shows the operator: the link is taken down and the device must be
// plugged in again.
#pragma once

#include "texts/catalogue.h"

namespace quillon {

inline constexpr const char* kUsbFailureText = N_("USB device error,Please reinsert the USB decive !!!");
inline constexpr const char* kSerialFailureText =
    N_("Hardware device error,Please reinsert the ID writer decive !!!");

}  // namespace quillon
