#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>

#include "line/slot_process.h"
#include "link/os/file_descriptor.h"

extern char** environ;

namespace quillon {
namespace {

Problem CannotStart(const std::string& what, int error) {
  return {ProblemKind::kSystem, what + ": " + std::strerror(error)};
}

class UnixSlotProcess : public SlotProcess {
 public:
  UnixSlotProcess(pid_t pid, FileDescriptor output, FileDescriptor control)
      : m_pid(pid), m_output(std::move(output)), m_control(std::move(control)) {}
  ~UnixSlotProcess() override { Wait(); }

  bool ReadLine(std::string& line) override {
    for (;;) {
      if (m_lines.Take(line, m_closed)) return true;
      if (m_closed) return false;
      char buffer[4096];
      const ssize_t count = ::read(m_output.get(), buffer, sizeof buffer);
      if (count > 0) {
        m_lines.Add(buffer, static_cast<std::size_t>(count));
      } else if (count == 0 || errno != EINTR) {
        m_closed = true;
      }
    }
  }

  bool Send(char control) override {
    // A slot that has gone has closed its end: the write fails (SIGPIPE is ignored).
    for (;;) {
      const ssize_t written = ::write(m_control.get(), &control, 1);
      if (written == 1) return true;
      if (written < 0 && errno == EINTR) continue;
      return false;
    }
  }

  void Kill() override {
    std::scoped_lock guard(m_lock);
    if (!m_ending) ::kill(m_pid, SIGKILL);
  }

  SlotEnding Wait() override {
    std::scoped_lock guard(m_lock);
    if (m_ending) return *m_ending;
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    SlotEnding ending;
    if (WIFEXITED(status)) {
      ending.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
      ending.fault = "signal " + std::to_string(WTERMSIG(status));
    }
    m_ending = ending;
    return ending;
  }

 private:
  const pid_t m_pid;
  FileDescriptor m_output;
  FileDescriptor m_control;
  LineSplitter m_lines;
  bool m_closed = false;
  std::mutex m_lock;  // the process is reaped once, and never signalled after
  std::optional<SlotEnding> m_ending;
};

}  // namespace

Result<std::unique_ptr<SlotProcess>> SlotProcess::Start(const std::string& program,
                                                        const std::vector<std::string>& arguments) {
  char self[4096];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return CannotStart("cannot find this program", errno);
  self[length] = '\0';
  const std::string path = program.empty() ? std::string(self) : program;
  // Close-on-exec: no other slot inherits either end; the slot's own ends are duplicated onto its
  // standard descriptors, which keep them.
  int outputEnds[2];
  int controlEnds[2];
  if (::pipe2(outputEnds, O_CLOEXEC) != 0) return CannotStart("cannot make a pipe", errno);
  FileDescriptor outputRead(outputEnds[0]);
  FileDescriptor outputWrite(outputEnds[1]);
  if (::pipe2(controlEnds, O_CLOEXEC) != 0) return CannotStart("cannot make a pipe", errno);
  FileDescriptor controlRead(controlEnds[0]);
  FileDescriptor controlWrite(controlEnds[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, controlRead.get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, outputWrite.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, outputWrite.get(), STDERR_FILENO);
  // A process group of its own: Ctrl-C at the terminal reaches the supervisor alone, which passes the
  // request on once; no signal is blocked or ignored in it but what it sets itself.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGXFSZ);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int result = ::posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (result != 0) return CannotStart("cannot start a slot's station", result);
  return std::unique_ptr<SlotProcess>(
      std::make_unique<UnixSlotProcess>(pid, std::move(outputRead), std::move(controlWrite)));
}

}  // namespace quillon
