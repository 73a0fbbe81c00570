// A program run as a child process, its standard output and error read through one pipe: how scripts
// and the end-to-end tests run quillon-devsim, and Wine the Windows station.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/os/file_descriptor.h"

namespace quillon::testing {

class ChildProcess {
 public:
  // arguments[0] is the program's path, or its name on PATH. With ownGroup, it leads a process group of
  // its own, as a shell's job does: what a terminal's Ctrl-C reaches.
  explicit ChildProcess(std::vector<std::string> arguments, bool ownGroup = false) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    m_output = FileDescriptor(out[0]);
    const FileDescriptor write(out[1]);
    std::vector<char*> argv;
    for (std::string& word : arguments) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, write.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, write.get(), STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (ownGroup) {
      posix_spawnattr_setpgroup(&attributes, 0);
      posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    }
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ) == 0) m_pid = pid;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  ~ChildProcess() {
    if (m_pid && !m_status && ::kill(*m_pid, SIGKILL) == 0) ::waitpid(*m_pid, nullptr, 0);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Signal(int signal) const { return m_pid && !m_status && ::kill(*m_pid, signal) == 0; }
  // Every process of its group (it leads one of its own), as Ctrl-C at a terminal.
  bool SignalGroup(int signal) const { return m_pid && !m_status && ::kill(-*m_pid, signal) == 0; }

  // Output up to the next newline (not included), or to its end when `untilEnd`; reading stops when
  // nothing comes for `patience` (the time limit only keeps a broken test from hanging).
  std::string Read(bool untilEnd = false, std::chrono::milliseconds patience = std::chrono::seconds(10)) {
    std::string text;
    ReadInto(text, untilEnd, patience);
    return text;
  }

  // Everything it still prints, then its exit code; nullopt if it did not exit by itself (a process
  // silent for longer than `patience` is killed). Its output ends when it exits, even where a process
  // it started lives on with the pipe (Wine's wineserver does).
  std::optional<int> Finish(std::string* output = nullptr,
                            std::chrono::milliseconds patience = std::chrono::seconds(10)) {
    std::string rest;
    const bool ended = ReadInto(rest, true, patience);
    if (output != nullptr) *output = rest;
    if (!m_pid) return std::nullopt;
    const pid_t pid = *std::exchange(m_pid, std::nullopt);
    if (!ended) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      return std::nullopt;
    }
    if (!m_status && ::waitpid(pid, &m_status.emplace(), 0) != pid) return std::nullopt;
    if (!WIFEXITED(*m_status)) return std::nullopt;
    return WEXITSTATUS(*m_status);
  }

 private:
  static constexpr std::chrono::milliseconds kLook{50};

  // True when the output ended (every writer closed it, or the process exited and all it wrote is
  // read), false when nothing came for `patience` first.
  bool ReadInto(std::string& text, bool untilEnd, std::chrono::milliseconds patience) {
    pollfd watched{m_output.get(), POLLIN, 0};
    std::chrono::milliseconds silence{0};
    char c = 0;
    while (silence < patience) {
      const int ready = ::poll(&watched, 1, static_cast<int>(kLook.count()));
      if (ready == 1) {
        if (::read(m_output.get(), &c, 1) != 1) return true;
        silence = {};
        if (c == '\n' && !untilEnd) return false;
        text += c;
        continue;
      }
      // Nothing waits in the pipe: once the process has exited, nothing more will come from it.
      if (untilEnd && Exited()) return true;
      silence += kLook;
    }
    return false;
  }

  bool Exited() {
    if (m_status) return true;
    int status = 0;
    if (!m_pid || ::waitpid(*m_pid, &status, WNOHANG) != *m_pid) return false;
    m_status = status;
    return true;
  }

  FileDescriptor m_output;
  std::optional<pid_t> m_pid;
  std::optional<int> m_status;  // once reaped
};

}  // namespace quillon::testing
