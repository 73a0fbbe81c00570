#include "bench/device_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace quillon::bench {
namespace {

cpu_set_t Only(int processor) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(processor, &set);
  return set;
}

}  // namespace

bool HasOwnProcessors() {
  return std::thread::hardware_concurrency() >= 2;
}

DeviceProcess::DeviceProcess(const std::filesystem::path& link, unsigned baud, Placement placement,
                             ByteDelivery delivery, const std::string& answerDelay) {
  const std::string linkArgument = link.string();
  const std::string baudArgument = std::to_string(baud);
  std::vector<const char*> argv = {QUILLON_DEVSIM_PATH, "--link", linkArgument.c_str(), "--baud-delay",
                                   baudArgument.c_str()};
  if (delivery == ByteDelivery::kUsbPackets) argv.push_back("--usb-packets");
  if (delivery == ByteDelivery::kUartFifo) argv.push_back("--fifo");
  if (!answerDelay.empty()) {
    argv.push_back("--answer-delay");
    argv.push_back(answerDelay.c_str());
  }
  argv.push_back(nullptr);
  // A child starts on the processors of the thread that spawns it, and so do the threads it starts: the
  // device is born on its own processor rather than moved there after its serving thread may have begun.
  const bool ownProcessor = placement == Placement::kOwnProcessors && HasOwnProcessors();
  cpu_set_t spawner{};
  ::sched_getaffinity(0, sizeof spawner, &spawner);
  if (ownProcessor) {
    const cpu_set_t last = Only(static_cast<int>(std::thread::hardware_concurrency()) - 1);
    ::sched_setaffinity(0, sizeof last, &last);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const bool spawned =
      posix_spawn(&m_pid, argv[0], &actions, nullptr, const_cast<char**>(argv.data()), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  ::sched_setaffinity(0, sizeof spawner, &spawner);
  if (!spawned) {
    m_pid = -1;
    return;
  }
  // The link appears once the device has plugged in; a spawned process that died will never make it.
  std::error_code error;
  for (int tries = 0; tries < 500 && !std::filesystem::exists(link, error); ++tries) {
    if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
      m_pid = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  m_ready = std::filesystem::exists(link, error);
}

DeviceProcess::~DeviceProcess() {
  if (m_pid <= 0) return;
  ::kill(m_pid, SIGTERM);
  ::waitpid(m_pid, nullptr, 0);
}

StationPlacement::StationPlacement(Placement placement) {
  ::sched_getaffinity(0, sizeof m_before, &m_before);
  if (placement != Placement::kOwnProcessors || !HasOwnProcessors()) return;
  // Threads started from here on inherit the set.
  const cpu_set_t first = Only(0);
  ::sched_setaffinity(0, sizeof first, &first);
}

StationPlacement::~StationPlacement() {
  ::sched_setaffinity(0, sizeof m_before, &m_before);
}

}  // namespace quillon::bench
