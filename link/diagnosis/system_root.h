// The Linux system the set-up checks look at, as files under a root folder: sysfs, udev's rules and its
// database, /proc, /etc/group and the device nodes. The station's own checks read "/"; tests lay out a
// system of their own in a temporary folder, with the fault they want, and name the user looking at it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Who is looking: what the kernel will weigh when this process opens a device.
struct Identity {
  unsigned uid = 0;
  std::vector<unsigned> groups;  // the process's groups, its own group first
  int pid = 0;                   // its own holds on a port are none of another program's
  static Identity OfThisProcess();
};

struct FileOwnership {
  unsigned uid = 0;
  unsigned gid = 0;
  unsigned mode = 0;  // the permission bits
};

// The extra users and groups a file's access list lets read and write (uaccess puts the user at the
// desk there), after the list's mask.
struct AccessList {
  std::vector<unsigned> users;
  std::vector<unsigned> groups;
};

class SystemRoot {
 public:
  explicit SystemRoot(std::filesystem::path root = "/") : m_root(std::move(root)) {}

  // Where the system's `absolute` path lies under the root.
  std::filesystem::path Path(std::string_view absolute) const;
  // A text file's first `limit` bytes; nothing when it cannot be read.
  std::optional<std::string> ReadText(std::string_view absolute, std::size_t limit = 1 << 20) const;
  // Its first line, without the line end or trailing blanks.
  std::optional<std::string> ReadLine(std::string_view absolute) const;
  // The names in a folder, sorted; none when it cannot be read.
  std::vector<std::string> Names(std::string_view folder) const;
  // Where a symbolic link points, as it says it (an absolute target is the system's path).
  std::optional<std::string> LinkTarget(std::string_view absolute) const;
  bool Exists(std::string_view absolute) const;
  std::optional<FileOwnership> Ownership(std::string_view absolute) const;
  AccessList ReadAccessList(std::string_view absolute) const;
  // The kernel's log records still held (/dev/kmsg, read without waiting); nothing when it cannot be
  // read by this user.
  std::optional<std::vector<std::string>> KernelMessages() const;

 private:
  std::filesystem::path m_root;
};

// The system as the checks see it: its files and who is looking.
struct LinuxSystem {
  SystemRoot root;
  Identity self;
};

}  // namespace quillon
