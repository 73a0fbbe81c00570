#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "front/console/slot_process.h"
#include "link/file_descriptor.h"

extern char** environ;

namespace quillon::console {
namespace {

class UnixSlotProcess : public SlotProcess {
 public:
  UnixSlotProcess(pid_t pid, FileDescriptor output) : m_pid(pid), m_output(std::move(output)) {}
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

  void Interrupt() override {
    if (!m_waited) ::kill(m_pid, SIGINT);
  }

  int Wait() override {
    if (m_waited) return m_exitCode;
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_waited = true;
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    return m_exitCode;
  }

 private:
  const pid_t m_pid;
  FileDescriptor m_output;
  LineSplitter m_lines;
  bool m_closed = false;
  bool m_waited = false;
  int m_exitCode = 1;
};

}  // namespace

std::unique_ptr<SlotProcess> SlotProcess::Start(const std::vector<std::string>& arguments,
                                                std::string& error) {
  char self[4096];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) {
    error = std::string("cannot find this program: ") + std::strerror(errno);
    return nullptr;
  }
  self[length] = '\0';
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return nullptr;
  }
  FileDescriptor readEnd(pipeEnds[0]);
  FileDescriptor writeEnd(pipeEnds[1]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDERR_FILENO);
  std::vector<char*> argv{self};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int result = ::posix_spawn(&pid, self, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) {
    error = std::string("cannot start a slot's station: ") + std::strerror(result);
    return nullptr;
  }
  return std::make_unique<UnixSlotProcess>(pid, std::move(readEnd));
}

}  // namespace quillon::console
