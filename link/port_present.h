// Whether a port is there at all: a serial adapter pulled out takes its tty (and its by-path link) with
// it. A production line's slot knows its unit was taken away only when its port has gone: a device whose
// link failed stays in its fixture, its failure shown, until the operator pulls it.
#pragma once

#include <string>

namespace quillon {

// Linux: the path names a file (a link is followed), never opened. Windows: the COM port opens or is
// held by a program, which its presence test tells.
bool PortPresent(const std::string& port);

}  // namespace quillon
