#include "link/diagnosis/system_files.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <sstream>

namespace quillon {
namespace {

// The folders udev reads its rules from, the first winning over the others for a file of one name.
constexpr std::array<const char*, 4> kRuleFolders = {"/etc/udev/rules.d", "/run/udev/rules.d",
                                                     "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
constexpr char kStationRuleName[] = "60-quillon.rules";

std::optional<int> Pid(const std::string& name) {
  int pid = 0;
  const auto [end, problem] = std::from_chars(name.data(), name.data() + name.size(), pid);
  if (problem != std::errc() || end != name.data() + name.size() || pid <= 0) return std::nullopt;
  return pid;
}

bool Holds(const SystemRoot& root, int pid, const std::string& device) {
  const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
  for (const std::string& fd : root.Names(fds)) {
    if (root.LinkTarget(fds + "/" + fd) == device) return true;
  }
  return false;
}

bool Masked(const SystemRoot& root, const std::string& path) {
  if (root.LinkTarget(path) == "/dev/null") return true;
  const std::optional<std::string> text = root.ReadText(path, 16);
  return text && text->empty();
}

// The fields of the colon-separated line of /etc/passwd or /etc/group whose third field is `id`.
std::vector<std::string> EntryWithId(const SystemRoot& root, const char* file, unsigned id) {
  std::istringstream lines(root.ReadText(file).value_or(""));
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, ':');) fields.push_back(field);
    if (line.ends_with(':')) fields.emplace_back();
    if (fields.size() >= 3 && fields[2] == std::to_string(id)) return fields;
  }
  return {};
}

}  // namespace

std::vector<RunningProcess> RunningProcesses(const SystemRoot& root) {
  std::vector<RunningProcess> processes;
  for (const std::string& name : root.Names("/proc")) {
    const std::optional<int> pid = Pid(name);
    if (!pid) continue;
    std::optional<std::string> comm = root.ReadLine("/proc/" + name + "/comm");
    if (comm) processes.push_back({*pid, *comm});
  }
  std::ranges::sort(processes, {}, &RunningProcess::pid);
  return processes;
}

std::vector<RunningProcess> ProcessesNamed(const SystemRoot& root, const std::string& name) {
  std::vector<RunningProcess> named;
  for (RunningProcess& process : RunningProcesses(root)) {
    if (process.name == name) named.push_back(std::move(process));
  }
  return named;
}

std::vector<RunningProcess> ProcessesHolding(const SystemRoot& root, const std::string& device, int except) {
  std::vector<RunningProcess> holders;
  for (RunningProcess& process : RunningProcesses(root)) {
    if (process.pid != except && Holds(root, process.pid, device)) holders.push_back(std::move(process));
  }
  return holders;
}

std::string ProcessesText(const std::vector<RunningProcess>& processes) {
  std::string text;
  for (const RunningProcess& process : processes) {
    if (!text.empty()) text += ", ";
    text += process.name + " (pid " + std::to_string(process.pid) + ")";
  }
  return text;
}

std::vector<RuleFile> RuleFilesInForce(const SystemRoot& root) {
  std::map<std::string, std::string> chosen;
  for (const char* folder : kRuleFolders) {
    for (const std::string& name : root.Names(folder)) {
      if (!name.ends_with(".rules")) continue;
      chosen.try_emplace(name, std::string(folder) + "/" + name);
    }
  }
  std::vector<RuleFile> files;
  for (const auto& [name, path] : chosen) {
    if (!Masked(root, path)) files.push_back({name, path});
  }
  return files;
}

std::optional<RuleFile> StationRule(const SystemRoot& root) {
  for (RuleFile& file : RuleFilesInForce(root)) {
    if (file.name == kStationRuleName) return std::move(file);
  }
  return std::nullopt;
}

std::optional<std::string> UdevProperty(const SystemRoot& root, const std::string& deviceNumber,
                                        const std::string& key) {
  if (deviceNumber.empty()) return std::nullopt;
  std::istringstream lines(root.ReadText("/run/udev/data/c" + deviceNumber).value_or(""));
  const std::string wanted = "E:" + key + "=";
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(wanted)) return line.substr(wanted.size());
  }
  return std::nullopt;
}

std::string UserName(const SystemRoot& root, unsigned uid) {
  const std::vector<std::string> entry = EntryWithId(root, "/etc/passwd", uid);
  return entry.empty() ? std::to_string(uid) : entry[0];
}

std::string GroupName(const SystemRoot& root, unsigned gid) {
  const std::vector<std::string> entry = EntryWithId(root, "/etc/group", gid);
  return entry.empty() ? std::to_string(gid) : entry[0];
}

bool GroupListsUser(const SystemRoot& root, unsigned gid, const std::string& user) {
  const std::vector<std::string> entry = EntryWithId(root, "/etc/group", gid);
  if (entry.size() < 4) return false;
  std::istringstream members(entry[3]);
  for (std::string member; std::getline(members, member, ',');) {
    if (member == user) return true;
  }
  return false;
}

}  // namespace quillon
