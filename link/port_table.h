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

}  // namespace quillon
