// What the console needs of its platform: whether standard output is a terminal, a console that shows
// the station's Chinese messages and is left as it was found, Ctrl-C for a production run, the time in
// UTC, and the finish and error sounds.
#pragma once

#include <atomic>
#include <ctime>
#include <string>

namespace quillon::console {

bool StandardOutputIsTerminal();
// Lets standard output's terminal take the cursor movements that redraw lines in place (a Windows
// console must be asked, and is put back at the session's end); false when it cannot.
bool RedrawInPlace();

// The console for the life of quillon-cli, made first thing in main, one only. Meanwhile it shows UTF-8
// text as written (Windows' console has a code page of its own). When the process ends the last sound
// has played to its end and the console is as it was found: on Windows its code page is put back, also
// when Ctrl-C ends the process.
class ConsoleSession {
 public:
  ConsoleSession();
  ~ConsoleSession() { End(); }
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

  // From now on Ctrl-C (on Windows also Ctrl-Break and closing the console window) sets `stop`, each
  // time, instead of ending the process; closing the window waits for End (the system allows about 5 s).
  // `stop` lives as long as the process.
  void StopOnInterrupt(std::atomic<bool>& stop);

  // Waits for the sound that plays, writes out what is buffered, then puts back what the session
  // changed. For a process that ends without returning from main, once nothing more is shown.
  void End();
};

// The calendar time of `time` in UTC.
std::tm UtcTime(std::time_t time);

// Starts the sound and returns at once; the system's default sound plays when the file is missing.
void PlayConsoleSound(const std::string& path);

}  // namespace quillon::console
