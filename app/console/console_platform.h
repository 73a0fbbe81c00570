// What the console needs of its platform: whether standard output is a terminal, output that shows the
// station's Chinese messages, the time in UTC, and the finish and error sounds.
#pragma once

#include <ctime>
#include <string>

namespace quillon::console {

bool StandardOutputIsTerminal();

// Makes the console show UTF-8 text as written (Windows' console has its own code page otherwise).
void PrepareConsoleOutput();

// The calendar time of `time` in UTC.
std::tm UtcTime(std::time_t time);

// Starts the sound and returns at once; the system's default sound plays when the file is missing.
void PlayConsoleSound(const std::string& path);

}  // namespace quillon::console
