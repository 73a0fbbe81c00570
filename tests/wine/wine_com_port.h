// The Wine prefix the tests run in, and a Wine COM port of a test's own pointing at a tty.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace quillon::testing {

inline std::filesystem::path WinePrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix != nullptr) return prefix;
  return std::filesystem::path(std::getenv("HOME")) / ".wine";
}

// The lowest free number from 41 (Wine's own COM ports take the lowest numbers), so that tests running
// side by side never share one. Gone with the test.
class WineComPort {
 public:
  explicit WineComPort(const std::filesystem::path& tty) {
    for (int number = kFirstTestComPort; number <= kLastTestComPort; ++number) {
      const std::filesystem::path link = WinePrefix() / "dosdevices" / ("com" + std::to_string(number));
      if (::symlink(tty.c_str(), link.c_str()) == 0) {
        m_link = link;
        m_name = "COM" + std::to_string(number);
        return;
      }
    }
  }
  ~WineComPort() {
    if (!m_link.empty()) ::unlink(m_link.c_str());
  }
  WineComPort(const WineComPort&) = delete;
  WineComPort& operator=(const WineComPort&) = delete;
  const std::string& Name() const { return m_name; }

 private:
  static constexpr int kFirstTestComPort = 41;
  static constexpr int kLastTestComPort = 99;
  std::filesystem::path m_link;
  std::string m_name;
};

}  // namespace quillon::testing
