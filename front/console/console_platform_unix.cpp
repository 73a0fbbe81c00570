#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <pthread.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <thread>

#include "front/console/console_platform.h"

extern char** environ;

namespace quillon::console {
namespace {

// The signals that ask a run to stop: blocked in every thread, and taken by one that waits for them.
sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

// Starts the player on the file with its output silenced; false when the player is not installed.
bool StartPlayer(const char* player, const std::string& path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  char* const arguments[] = {const_cast<char*>(player), const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = 0;
  const int result = posix_spawnp(&pid, player, &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) return false;
  // Reaped in the background: the sound plays on while the station goes on.
  std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
  return true;
}

}  // namespace

bool StandardOutputIsTerminal() {
  return ::isatty(STDOUT_FILENO) != 0;
}

// Every terminal Linux has takes them.
bool RedrawInPlace() {
  return StandardOutputIsTerminal();
}

int ReadStandardInputByte() {
  unsigned char byte = 0;
  for (;;) {
    const ssize_t count = ::read(STDIN_FILENO, &byte, 1);
    if (count == 1) return byte;
    if (count < 0 && errno == EINTR) continue;
    return -1;
  }
}

// A Linux terminal takes UTF-8 as it is; a sound's player is a process of its own and plays on.
ConsoleSession::ConsoleSession() {
  // A supervisor that has gone leaves its slots' output without a reader: the write fails, and that is
  // how a slot notices. A full log fails its write too.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  // Before any thread starts, so that every thread inherits the mask and only the watcher takes them.
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

void ConsoleSession::WatchInterrupts(StopRequest& stop) {
  std::thread([&stop] {
    const sigset_t signals = StopSignals();
    for (;;) {
      int signal = 0;
      if (sigwait(&signals, &signal) == 0) stop.Raise();
    }
  }).detach();
}

void ConsoleSession::End() {}

void PlayConsoleSound(const std::string& path) {
  // The sound system's player, else ALSA's; the terminal's bell when the file or a player is missing.
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error) &&
      (StartPlayer("paplay", path) || StartPlayer("aplay", path))) {
    return;
  }
  if (::isatty(STDERR_FILENO) != 0) (void)!::write(STDERR_FILENO, "\a", 1);
}

}  // namespace quillon::console
