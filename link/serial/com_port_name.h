// The names a COM port goes by on Windows: COMn, or its device path \\.\COMn, n from 1 to 255.
#pragma once

#include <optional>
#include <string>

namespace quillon {

inline constexpr int kHighestComPortNumber = 255;

// "COMn" for "COMn" or "\\.\COMn" in any case (n without leading zeros); nothing for anything else.
std::optional<std::string> ComPortName(const std::string& given);

// The device path a COM port is opened by: "\\.\COM5".
std::string ComDevicePath(const std::string& portName);

}  // namespace quillon
