#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "front/console/console_platform.h"

extern char** environ;

namespace quillon::console {
namespace {

// Where Ctrl-C asks to stop: set before the handler is installed, read in it (lock-free).
std::atomic<std::atomic<bool>*> g_stop{nullptr};

extern "C" void RequestStop(int /*signal*/) {
  std::atomic<bool>* stop = g_stop.load();
  if (stop != nullptr) stop->store(true);
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

std::tm UtcTime(std::time_t time) {
  std::tm utc{};
  gmtime_r(&time, &utc);
  return utc;
}

// A Linux terminal takes UTF-8 as it is; a sound's player is a process of its own and plays on.
ConsoleSession::ConsoleSession() = default;

void ConsoleSession::StopOnInterrupt(std::atomic<bool>& stop) {
  g_stop.store(&stop);
  std::signal(SIGINT, RequestStop);  // glibc keeps the handler installed
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
