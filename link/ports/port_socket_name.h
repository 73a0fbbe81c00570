// The name that stays with a USB socket whatever number the system gives the adapter plugged into it:
// on Linux udev's /dev/serial/by-path link to the tty, which --port accepts as it accepts the tty. A
// CH340 has no serial number, so no name can follow the adapter itself; on Windows it keeps its COM
// number per socket, and there is no other name.
#pragma once

#include <string>

namespace quillon {

// The by-path name of the tty at `systemLocation` (a link in `byPathFolder` to it); empty when it has
// none.
std::string PortSocketName(const std::string& systemLocation,
                           const std::string& byPathFolder = "/dev/serial/by-path");

}  // namespace quillon
