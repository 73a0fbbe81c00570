// A port enumeration that lists what the test says, and counts how often it was asked.
#pragma once

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "link/ports/serial_port_list.h"

namespace quillon::testing {

class ListedPorts : public SerialPortList {
 public:
  ListedPorts() = default;
  explicit ListedPorts(std::vector<SerialPortEntry> entries) : m_entries(std::move(entries)) {}

  std::vector<SerialPortEntry> Ports() override {
    ++searches;
    std::scoped_lock guard(m_lock);
    return m_entries;
  }
  void Set(std::vector<SerialPortEntry> entries) {
    std::scoped_lock guard(m_lock);
    m_entries = std::move(entries);
  }

  std::atomic<int> searches{0};

 private:
  std::mutex m_lock;
  std::vector<SerialPortEntry> m_entries;
};

// A CH340 adapter's entry, as the enumeration names one.
inline SerialPortEntry Ch340(const std::string& portName, const std::string& path) {
  return {portName, path, "USB-SERIAL CH340 (" + portName + ")"};
}

}  // namespace quillon::testing
