// Two names of one port: a gang may not give one device to two slots (the second would wait for the
// port the first holds). On Linux the names are compared by the device they open (a symbolic link such
// as /dev/serial/by-path/… and its target, or two links to one tty); on Windows by the COM number.
#pragma once

#include <string>

namespace quillon {

bool SamePort(const std::string& first, const std::string& second);

}  // namespace quillon
