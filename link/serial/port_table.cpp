#include "link/serial/port_table.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

namespace quillon {
namespace {

struct PortTable {
  std::mutex lock;
  std::map<int, std::string> paths;
};

PortTable& Table() {
  static PortTable table;
  return table;
}

constexpr int kLowestPortNumber = 1;
constexpr int kHighestPortNumber = 99;
constexpr int kUsbPortNumber = 85;  // the USB link's number

bool Assignable(long number) {
  return number >= kLowestPortNumber && number <= kHighestPortNumber && number != kUsbPortNumber;
}

// The number in a COMn name: every 'C', 'O' and 'M' removed, then the leading digits.
long ComNumber(std::string name) {
  std::erase_if(name, [](char c) { return c == 'C' || c == 'O' || c == 'M'; });
  return std::strtol(name.c_str(), nullptr, 10);  // saturates rather than overflowing
}

// The caller holds the table's lock.
bool FreeFor(const PortTable& table, int number, const std::string& path) {
  auto bound = table.paths.find(number);
  return bound == table.paths.end() || bound->second == path;
}

}  // namespace

void BindPortPath(int portNumber, const std::string& path) {
  std::scoped_lock guard(Table().lock);
  Table().paths[portNumber] = path;
}

void UnbindPortPath(int portNumber) {
  std::scoped_lock guard(Table().lock);
  Table().paths.erase(portNumber);
}

std::optional<std::string> PortPath(int portNumber) {
  std::scoped_lock guard(Table().lock);
  auto found = Table().paths.find(portNumber);
  if (found == Table().paths.end()) return std::nullopt;
  return found->second;
}

int AssignPortNumber(const std::string& portName, const std::string& path) {
  std::scoped_lock guard(Table().lock);
  PortTable& table = Table();
  const long comNumber = ComNumber(portName);
  if (Assignable(comNumber) && FreeFor(table, static_cast<int>(comNumber), path)) {
    table.paths[static_cast<int>(comNumber)] = path;
    return static_cast<int>(comNumber);
  }
  for (const auto& [number, boundPath] : table.paths) {
    if (boundPath == path && Assignable(number)) return number;
  }
  for (int number = kLowestPortNumber; number <= kHighestPortNumber; ++number) {
    if (Assignable(number) && !table.paths.contains(number)) {
      table.paths[number] = path;
      return number;
    }
  }
  return 0;
}

}  // namespace quillon
