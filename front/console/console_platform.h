// What the console needs of its platform: whether standard output is a terminal, a console that shows
// the station's Chinese messages and is left as it was found, Ctrl-C for a production run, the time in
// UTC, and the finish and error sounds.
#pragma once

#include <ctime>
#include <string>

#include "line/stop_request.h"

namespace quillon::console {

bool StandardOutputIsTerminal();
// Lets standard output's terminal take the cursor movements that redraw lines in place (a Windows
// console must be asked, and is put back at the session's end); false when it cannot.
bool RedrawInPlace();

// The console for the life of quillon-cli, made first thing in main, before any thread, one only.
// Meanwhile it shows UTF-8 text as written (Windows' console has a code page of its own), and a write to
// a closed pipe or past a file size limit fails as a value instead of ending the process. When the process
// ends the last sound has played to its end and the console is as it was found: on Windows its code page is
// put back, also when Ctrl-C ends the process.
class ConsoleSession {
 public:
  ConsoleSession();
  ~ConsoleSession() { End(); }
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

  // From now on Ctrl-C, SIGTERM and SIGHUP (on Windows Ctrl-C and Ctrl-Break) raise `stop` by one step
  // each, instead of ending the process; on Windows closing the console window, log-off and shut-down
  // raise it to stop now (the system allows about 5 s). `stop` lives as long as the process.
  void WatchInterrupts(StopRequest& stop);

  // Waits for the sound that plays, writes out what is buffered, then puts back what the session
  // changed. For a process that ends without returning from main, once nothing more is shown.
  void End();
};

// The next byte of standard input, waiting for it; -1 once it has ended (its writer has gone) or fails.
int ReadStandardInputByte();

// Starts the sound and returns at once; the system's default sound plays when the file is missing.
void PlayConsoleSound(const std::string& path);

}  // namespace quillon::console
