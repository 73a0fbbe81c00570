#include "link/serial/com_port_name.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace quillon {
namespace {

constexpr char kDevicePrefix[] = "\\\\.\\";

bool StartsWithIgnoringCase(const std::string& text, const std::string& start) {
  return text.size() >= start.size() &&
         std::equal(start.begin(), start.end(), text.begin(), [](char a, char b) {
           return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
         });
}

}  // namespace

std::optional<std::string> ComPortName(const std::string& given) {
  std::string name = given;
  if (StartsWithIgnoringCase(name, kDevicePrefix)) name.erase(0, sizeof kDevicePrefix - 1);
  if (!StartsWithIgnoringCase(name, "COM")) return std::nullopt;
  const std::string digits = name.substr(3);
  int number = 0;
  const auto [end, problem] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || digits[0] == '0' || problem != std::errc() || end != digits.data() + digits.size() ||
      number < 1 || number > kHighestComPortNumber) {
    return std::nullopt;
  }
  return "COM" + std::to_string(number);
}

std::string ComDevicePath(const std::string& portName) {
  return kDevicePrefix + portName;
}

}  // namespace quillon
