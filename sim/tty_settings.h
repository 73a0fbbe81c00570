// What the simulator needs to know about a tty's termios.
#pragma once

#include <termios.h>

#include <cstdint>
#include <optional>

namespace quillon::sim {

// The line speed in baud that a termios speed code stands for; 0 for B0 or a code not known here.
std::uint32_t BaudOfSpeed(speed_t speed);
// The termios speed code of a baud rate, if termios has one.
std::optional<speed_t> SpeedOfBaud(std::uint32_t baud);

// The output speed of the tty behind fd. On Linux a pty master reports its slave's settings, so the
// device learns the station's speed from its own end. 0 when it cannot be read.
std::uint32_t LineBaud(int fd);

}  // namespace quillon::sim
