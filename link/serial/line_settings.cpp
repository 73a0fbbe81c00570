#include "link/serial/line_settings.h"

#include <array>
#include <cctype>
#include <charconv>
#include <utility>

namespace quillon {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<int> ParseNumber(std::string_view value) {
  int number = 0;
  const char* end = value.data() + value.size();
  auto [stop, error] = std::from_chars(value.data(), end, number);
  if (error != std::errc() || stop != end || value.empty()) return std::nullopt;
  return number;
}

std::optional<Parity> ParseParity(std::string_view value) {
  if (value.size() != 1) return std::nullopt;
  switch (std::toupper(static_cast<unsigned char>(value[0]))) {
    case 'N':
      return Parity::kNone;
    case 'E':
      return Parity::kEven;
    case 'O':
      return Parity::kOdd;
    case 'M':
      return Parity::kMark;
    case 'S':
      return Parity::kSpace;
    default:
      return std::nullopt;
  }
}

std::optional<int> ParseDataBits(std::string_view value) {
  auto bits = ParseNumber(value);
  if (!bits || *bits < 5 || *bits > 8) return std::nullopt;
  return bits;
}

std::optional<StopBits> ParseStopBits(std::string_view value) {
  if (value == "1") return StopBits::kOne;
  if (value == "1.5") return StopBits::kOnePointFive;
  if (value == "2") return StopBits::kTwo;
  return std::nullopt;
}

// Stores value into field unless the key came before.
template <typename T>
bool StoreOnce(std::optional<T>& field, std::optional<T> value) {
  if (field || !value) return false;
  field = value;
  return true;
}

bool ParseField(std::string_view key, std::string_view value, LineSettings& settings) {
  if (EqualsIgnoringCase(key, "baud")) {
    auto baud = ParseNumber(value);
    return StoreOnce(settings.baudRate, baud && *baud > 0 ? baud : std::nullopt);
  }
  if (EqualsIgnoringCase(key, "parity")) return StoreOnce(settings.parity, ParseParity(value));
  if (EqualsIgnoringCase(key, "data")) return StoreOnce(settings.dataBits, ParseDataBits(value));
  if (EqualsIgnoringCase(key, "stop")) return StoreOnce(settings.stopBits, ParseStopBits(value));
  return false;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::optional<speed_t> TermiosSpeed(int baudRate) {
  static constexpr std::array<std::pair<int, speed_t>, 30> kSpeeds{{
      {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
      {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
      {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
      {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
      {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
      {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
  }};
  for (const auto& [rate, speed] : kSpeeds) {
    if (rate == baudRate) return speed;
  }
  return std::nullopt;
}

tcflag_t CharacterSize(int dataBits) {
  switch (dataBits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

void ApplyParity(Parity parity, termios& tty) {
  tty.c_cflag &= ~(PARENB | PARODD | CMSPAR);
  switch (parity) {
    case Parity::kNone:
      break;
    case Parity::kEven:
      tty.c_cflag |= PARENB;
      break;
    case Parity::kOdd:
      tty.c_cflag |= PARENB | PARODD;
      break;
    case Parity::kMark:
      tty.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case Parity::kSpace:
      tty.c_cflag |= PARENB | CMSPAR;
      break;
  }
}

int DataBitsOf(const termios& tty) {
  switch (tty.c_cflag & CSIZE) {
    case CS5:
      return 5;
    case CS6:
      return 6;
    case CS7:
      return 7;
    default:
      return 8;
  }
}

}  // namespace

std::optional<LineSettings> ParseLineSettings(std::string_view text) {
  LineSettings settings;
  std::size_t position = 0;
  while (position < text.size()) {
    if (IsBlank(text[position])) {
      ++position;
      continue;
    }
    std::size_t end = position;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    std::string_view field = text.substr(position, end - position);
    std::size_t equals = field.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    if (!ParseField(field.substr(0, equals), field.substr(equals + 1), settings)) return std::nullopt;
    position = end;
  }
  return settings;
}

bool ApplyLineSettings(const LineSettings& settings, termios& tty) {
  termios result = tty;
  cfmakeraw(&result);
  // cfmakeraw leaves these on; the link carries binary frames, in which 0x11 and 0x13 are ordinary bytes.
  result.c_iflag &= ~(IXOFF | IXANY);
  result.c_cflag |= CLOCAL | CREAD;
  // cfmakeraw forces 8 bits without parity; what the text does not name stays as the tty had it.
  result.c_cflag = (result.c_cflag & ~(CSIZE | PARENB | PARODD | CMSPAR)) |
                   (tty.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR));

  if (settings.baudRate) {
    auto speed = TermiosSpeed(*settings.baudRate);
    if (!speed) return false;
    cfsetispeed(&result, *speed);
    cfsetospeed(&result, *speed);
  }
  if (settings.dataBits) result.c_cflag = (result.c_cflag & ~CSIZE) | CharacterSize(*settings.dataBits);
  if (settings.parity) ApplyParity(*settings.parity, result);
  if (settings.stopBits) {
    // A UART sends 1.5 stop bits when asked for two with 5-bit characters; with wider characters it cannot.
    if (*settings.stopBits == StopBits::kOnePointFive && DataBitsOf(result) != 5) return false;
    if (*settings.stopBits == StopBits::kOne) {
      result.c_cflag &= ~CSTOPB;
    } else {
      result.c_cflag |= CSTOPB;
    }
  }
  tty = result;
  return true;
}

}  // namespace quillon
