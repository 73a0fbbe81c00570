// Serial ports are known to the station by number, as COMn (1..99, never 85, which stands for USB).
// On Linux each number stands for a tty path; discovery binds them, and tests bind their ptys.
#pragma once

#include <optional>
#include <string>

namespace quillon {

void BindPortPath(int portNumber, const std::string& path);
void UnbindPortPath(int portNumber);
// The tty path bound to a port number, if any.
std::optional<std::string> PortPath(int portNumber);

// The number of the port named portName (as in "COM5" or "ttyUSB0") at path, bound to that path. A
// COMn name keeps its n where that is free for it; any other port, and a COM number outside 1..99 or
// equal to 85, gets the lowest free number, the same one for as long as the program runs. 0 when all
// numbers are taken.
int AssignPortNumber(const std::string& portName, const std::string& path);

}  // namespace quillon
