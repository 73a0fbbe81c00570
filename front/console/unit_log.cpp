#include "front/console/unit_log.h"

#include "front/console/console_platform.h"
#include "link/utf8_path.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace quillon::console {
namespace {

std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          quoted += escaped;
        } else {
          quoted += c;  // UTF-8 passes as it is
        }
    }
  }
  return quoted + "\"";
}

}  // namespace

std::string JsonLine(const UnitRecord& unit) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", unit.seconds);
  return "{\"time\":" + JsonString(unit.time) + ",\"link\":" + JsonString(unit.link) +
         ",\"package\":" + JsonString(unit.package) + ",\"pages\":" + std::to_string(unit.pages) +
         ",\"result\":" + JsonString(unit.result) + ",\"message\":" + JsonString(unit.message) +
         ",\"seconds\":" + seconds + ",\"sha256\":" + JsonString(unit.sha256) + "}\n";
}

std::unique_ptr<UnitLog> UnitLog::Open(const std::string& path, std::string& error) {
  std::FILE* file = OpenFile(PathFromUtf8(path), "ab");
  if (file == nullptr) {
    error = "cannot open the log " + path + " for appending: " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<UnitLog>(new UnitLog(file));
}

UnitLog::~UnitLog() {
  std::fclose(m_file);
}

bool UnitLog::Append(const UnitRecord& unit) {
  const std::string line = JsonLine(unit);
  const bool written = std::fwrite(line.data(), 1, line.size(), m_file) == line.size();
  return std::fflush(m_file) == 0 && written;
}

std::string UtcTimeNow() {
  const std::tm utc = UtcTime(std::time(nullptr));
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace quillon::console
