// The processes running now whose command line holds given words, read from /proc without a stream:
// a process that ends while it is looked at is simply not counted.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace quillon::testing {

inline std::string CommandLineOf(const std::string& pid) {
  const int fd = ::open(("/proc/" + pid + "/cmdline").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string text;
  char buffer[4096];
  for (ssize_t count; (count = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, count);
  ::close(fd);
  return text;
}

// The ids of the processes whose command line holds every one of `words`.
inline std::vector<pid_t> ProcessesWith(const std::vector<std::string>& words) {
  std::vector<pid_t> found;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return found;
  while (const dirent* entry = ::readdir(proc)) {
    const std::string name = entry->d_name;
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string commandLine = CommandLineOf(name);
    bool all = !commandLine.empty();
    for (const std::string& word : words) all = all && commandLine.find(word) != std::string::npos;
    if (all) found.push_back(static_cast<pid_t>(std::atoi(name.c_str())));
  }
  ::closedir(proc);
  return found;
}

}  // namespace quillon::testing
