// A Linux system of a test's own, laid out as files in a temporary folder for the set-up checks to look
// at: sysfs's USB devices, udev's rules and database, /proc's processes, /etc/group, device nodes and
// the kernel's log. Each test lays out the fault it wants (or none).
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "link/diagnosis/system_root.h"
#include "link/os/temporary_directory.h"

namespace quillon::testing {

inline constexpr unsigned kDesk = 1000;   // the user at the desk
inline constexpr unsigned kDialout = 20;  // the group that owns serial ports

class FakeSystem {
 public:
  FakeSystem() {
    Write("/etc/passwd", "root:x:0:0::/root:/bin/sh\nalice:x:1000:1000::/home/alice:/bin/sh\n");
    Write("/etc/group", "root:x:0:\ndialout:x:20:\nalice:x:1000:\n");
  }

  const std::filesystem::path& Root() const { return m_directory.Path(); }
  std::filesystem::path At(std::string_view absolute) const {
    return Root() / std::filesystem::path(absolute).relative_path();
  }

  void Write(std::string_view absolute, std::string_view text) {
    std::filesystem::create_directories(At(absolute).parent_path());
    std::ofstream(At(absolute), std::ios::binary) << text;
  }
  void Link(std::string_view absolute, const std::string& target) {
    std::filesystem::create_directories(At(absolute).parent_path());
    std::filesystem::create_symlink(target, At(absolute));
  }

  // A CH340 adapter at USB port busPort, with the tty its driver made (none when tty is empty) and that
  // tty's device node, owned root:dialout rw-rw----.
  void PlugAdapter(const std::string& busPort, const std::string& tty = "ttyUSB0",
                   const std::string& id = "1a86:7523") {
    const std::string device = "/sys/bus/usb/devices/" + busPort;
    Write(device + "/idVendor", id.substr(0, 4) + "\n");
    Write(device + "/idProduct", id.substr(5) + "\n");
    const std::string interface = device + "/" + busPort + ":1.0";
    Write(interface + "/bInterfaceNumber", "00\n");
    if (tty.empty()) return;
    Write(interface + "/" + tty + "/tty/" + tty + "/dev", "188:0\n");
    Node("/dev/" + tty, 0, kDialout, 0660);
  }
  void Node(const std::string& absolute, unsigned uid, unsigned gid, unsigned mode) {
    Write(absolute, "");
    [[maybe_unused]] const int owned = ::chown(At(absolute).c_str(), uid, gid);
    ::chmod(At(absolute).c_str(), mode);
  }
  // A process with the given name and the files it holds open.
  void Run(int pid, const std::string& name, const std::vector<std::string>& openFiles = {}) {
    const std::string process = "/proc/" + std::to_string(pid);
    Write(process + "/comm", name + "\n");
    std::filesystem::create_directories(At(process + "/fd"));
    for (std::size_t fd = 0; fd < openFiles.size(); ++fd) {
      Link(process + "/fd/" + std::to_string(fd + 3), openFiles[fd]);
    }
  }

  LinuxSystem System(Identity self = {kDesk, {kDesk}, 1}) const {
    return {SystemRoot(Root()), std::move(self)};
  }

 private:
  TemporaryDirectory m_directory{"quillon-system"};
};

}  // namespace quillon::testing
