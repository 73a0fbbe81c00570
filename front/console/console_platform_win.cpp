#include <io.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "front/console/console_platform.h"
#include "link/os/wide_text.h"
#include "link/os/windows_api.h"

#include <mmsystem.h>

namespace quillon::console {
namespace {

// What the session changed and what it waits for. Never destroyed: the control handler runs on a thread
// the system makes, and a sound's thread may still play, until the process ends.
struct ProcessConsole {
  std::mutex lock;
  std::condition_variable changed;
  UINT foundOutputCodePage = 0;  // 0: the code page is as it was found
  DWORD foundOutputMode = 0;
  bool outputModeChanged = false;
  StopRequest* stop = nullptr;
  int soundsPlaying = 0;
  bool ended = false;
};

ProcessConsole& TheConsole() {
  static ProcessConsole& console = *new ProcessConsole;
  return console;
}

void PutBackCodePage(ProcessConsole& console) {
  std::scoped_lock guard(console.lock);
  if (console.outputModeChanged) {
    ::SetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), console.foundOutputMode);
    console.outputModeChanged = false;
  }
  if (console.foundOutputCodePage == 0) return;
  ::SetConsoleOutputCP(console.foundOutputCodePage);
  console.foundOutputCodePage = 0;
}

// Runs on a thread of its own, made by the system for each event.
BOOL WINAPI OnConsoleControl(DWORD event) {
  const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  const bool ending = event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
  if (!interrupt && !ending) return FALSE;
  ProcessConsole& console = TheConsole();
  std::unique_lock guard(console.lock);
  StopRequest* stop = console.stop;
  if (stop == nullptr) {
    // Nothing watches: the process ends as it would without this handler, with the console as found.
    guard.unlock();
    std::fflush(nullptr);
    PutBackCodePage(console);
    return FALSE;
  }
  guard.unlock();
  if (interrupt) {
    stop->Raise();
    return TRUE;
  }
  // The console closes, or the user logs off, or the system shuts down: the process is ended as soon as
  // this returns, or once the system's time-out has passed (about 5 s). Far too short for the unit in
  // hand: it is recorded as interrupted now, and the run ends.
  stop->RaiseTo(StopLevel::kNow);
  guard.lock();
  console.changed.wait(guard, [&] { return console.ended; });
  return TRUE;
}

}  // namespace

bool StandardOutputIsTerminal() {
  return ::_isatty(::_fileno(stdout)) != 0;
}

bool RedrawInPlace() {
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (!::GetConsoleMode(output, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  if (!::SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
  ProcessConsole& console = TheConsole();
  std::scoped_lock guard(console.lock);
  console.foundOutputMode = mode;
  console.outputModeChanged = true;
  return true;
}

int ReadStandardInputByte() {
  unsigned char byte = 0;
  DWORD count = 0;
  // A pipe whose writer has gone answers ERROR_BROKEN_PIPE.
  if (!::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &count, nullptr) || count != 1) return -1;
  return byte;
}

ConsoleSession::ConsoleSession() {
  ProcessConsole& console = TheConsole();
  // 0 when there is no console (output to a pipe from a program without one): nothing to change.
  const UINT found = ::GetConsoleOutputCP();
  if (found != 0 && found != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
    std::scoped_lock guard(console.lock);
    console.foundOutputCodePage = found;
  }
  // For the whole run, so that Ctrl-C outside a production run also leaves the console as found. The
  // handler stays installed: the C runtime's SIGINT handler is reset before it runs, so a second Ctrl-C
  // would end the process mid-unit.
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void ConsoleSession::WatchInterrupts(StopRequest& stop) {
  ProcessConsole& console = TheConsole();
  std::scoped_lock guard(console.lock);
  console.stop = &stop;
}

void ConsoleSession::End() {
  ProcessConsole& console = TheConsole();
  {
    std::unique_lock guard(console.lock);
    if (console.ended) return;
    console.changed.wait(guard, [&] { return console.soundsPlaying == 0; });
  }
  // Written while the console still shows UTF-8.
  std::fflush(nullptr);
  PutBackCodePage(console);
  std::scoped_lock guard(console.lock);
  console.ended = true;
  console.changed.notify_all();
}

void PlayConsoleSound(const std::string& path) {
  ProcessConsole& console = TheConsole();
  {
    std::scoped_lock guard(console.lock);
    if (console.ended) return;
    ++console.soundsPlaying;
  }
  // Played to its end on a thread of its own, so that the process can wait for it before it ends
  // (SND_ASYNC leaves nothing to wait for, and the process's end cuts the sound off). A newer sound
  // stops the one playing, as SND_ASYNC would. Without SND_NODEFAULT the system's default sound plays
  // when the file cannot be found, as the window does.
  std::thread([&console, file = WideText(path)] {
    ::PlaySoundW(file.c_str(), nullptr, SND_SYNC | SND_FILENAME);
    std::scoped_lock guard(console.lock);
    --console.soundsPlaying;
    console.changed.notify_all();
  }).detach();
}

}  // namespace quillon::console
