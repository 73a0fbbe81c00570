// What the set-up checks read from a Linux system's files besides sysfs: the processes running and what
// they hold open, the udev rules in force and udev's properties of a device, users and groups.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/diagnosis/system_root.h"

namespace quillon {

struct RunningProcess {
  int pid = 0;
  std::string name;  // as the kernel keeps it (/proc/PID/comm)
};

std::vector<RunningProcess> RunningProcesses(const SystemRoot& root);
std::vector<RunningProcess> ProcessesNamed(const SystemRoot& root, const std::string& name);
// The processes other than `except` that have `device` open, as far as /proc lets this user see.
std::vector<RunningProcess> ProcessesHolding(const SystemRoot& root, const std::string& device, int except);
// "minicom (pid 4242)", joined by ", "
std::string ProcessesText(const std::vector<RunningProcess>& processes);

// A udev rules file in force: of the files of one name, the one in the folder udev reads first. A file
// that is empty or a link to /dev/null masks those of its name.
struct RuleFile {
  std::string name;  // "85-brltty.rules"
  std::string path;  // "/usr/lib/udev/rules.d/85-brltty.rules"
};
std::vector<RuleFile> RuleFilesInForce(const SystemRoot& root);
// The station's own rule (60-quillon.rules), when it is in force.
std::optional<RuleFile> StationRule(const SystemRoot& root);

// udev's property of a device (a character device by its "188:0"), from its database.
std::optional<std::string> UdevProperty(const SystemRoot& root, const std::string& deviceNumber,
                                        const std::string& key);

std::string UserName(const SystemRoot& root, unsigned uid);
std::string GroupName(const SystemRoot& root, unsigned gid);
// Whether /etc/group names the user among the group's members.
bool GroupListsUser(const SystemRoot& root, unsigned gid, const std::string& user);

}  // namespace quillon
