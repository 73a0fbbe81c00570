// quillon-devsim run as a child process, with its standard output and error on pipes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "sim/unique_fd.h"
#include "station_tty.h"

namespace quillon::sim::testing {

class DevsimProcess {
 public:
  explicit DevsimProcess(const std::vector<std::string>& arguments) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    out_ = UniqueFd(out[0]);
    UniqueFd outWrite(out[1]);
    if (::pipe2(err, O_CLOEXEC) != 0) return;
    err_ = UniqueFd(err[0]);
    UniqueFd errWrite(err[1]);

    std::vector<std::string> words = {QUILLON_DEVSIM_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errWrite.Get(), STDERR_FILENO);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
  }

  ~DevsimProcess() {
    if (!pid_) return;
    ::kill(*pid_, SIGKILL);
    int status = 0;
    ::waitpid(*pid_, &status, 0);
  }
  DevsimProcess(const DevsimProcess&) = delete;
  DevsimProcess& operator=(const DevsimProcess&) = delete;

  bool Started() const { return pid_.has_value(); }
  bool Signal(int signal) const { return pid_ && ::kill(*pid_, signal) == 0; }

  // One line of standard output without its newline; nullopt when none comes.
  std::optional<std::string> ReadLine() {
    std::string line;
    for (;;) {
      const std::optional<char> next = ReadChar(out_);
      if (!next) return std::nullopt;
      if (*next == '\n') return line;
      line += *next;
    }
  }

  // Everything still to come on standard output or standard error, up to the end.
  std::string RestOfOutput() { return ReadAll(out_); }
  std::string RestOfErrors() { return ReadAll(err_); }

  // The exit code once the process has ended by itself; nullopt if it was killed or does not end.
  std::optional<int> Wait() {
    if (!pid_) return std::nullopt;
    // Its output ends when the process does; the pipe is the clock-free way to wait for that.
    ReadAll(out_);
    int status = 0;
    const pid_t ended = ::waitpid(*pid_, &status, 0);
    pid_.reset();
    if (ended <= 0 || !WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
  }

 private:
  static std::optional<char> ReadChar(const UniqueFd& fd) {
    pollfd watched{fd.Get(), POLLIN, 0};
    if (::poll(&watched, 1, static_cast<int>(kPatience.count())) != 1) return std::nullopt;
    char c = 0;
    if (::read(fd.Get(), &c, 1) != 1) return std::nullopt;
    return c;
  }

  static std::string ReadAll(const UniqueFd& fd) {
    std::string text;
    while (const std::optional<char> next = ReadChar(fd)) text += *next;
    return text;
  }

  UniqueFd out_;
  UniqueFd err_;
  std::optional<pid_t> pid_;
};

}  // namespace quillon::sim::testing
