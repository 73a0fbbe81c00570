#include "link/port_table.h"

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

}  // namespace quillon
